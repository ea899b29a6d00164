#include "ui/win32/Win32Application.h"

#include "base/win32/LibrarySearch.h"
#include "platform/win32/Win32DisplayScale.h"
#include "ui/Cursors.h"
#include "ui/DialogKeys.h"
#include "ui/win32/Win32Accessible.h"
#include "ui/win32/Win32ContainerWindow.h"
#include "ui/win32/Win32Peer.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace {

constexpr char kUtilityClass[] = "MovaroUtility";
constexpr UINT kRunPosted = WM_APP + 1;

TWin32Application *g_application = nullptr; // the one whose timers and posted calls run

int ControlId(const TControl &control) {
  return control.Tag > 0 && control.Tag <= 0xFFFF ? control.Tag : 0;
}

// The control a key pressed in a window of the form belongs to: the
// window's control, or that of the nearest parent that has one (a combo
// box's edit, a page control's tabs); in the form's own window, the
// windowless control the form keeps the focus for.
TControl *FocusedControl(TForm &form, HWND window) {
  HWND formWindow = TWin32Application::WindowOf(form);
  for (HWND w = window; w && w != formWindow; w = GetParent(w))
    if (TControl *control = TWin32Application::ControlOf(w))
      return control;
  return form.HeadlessFocus();
}

// Whether a dialog key is the dialog's: Enter and Escape belong to an open
// drop-down list, letters and digits alone to the focused control.
bool TakesDialogKey(HWND window, int key) {
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if ((key == VK_RETURN || key == VK_ESCAPE) && lstrcmpiA(className, "ComboBox") == 0 &&
      SendMessageA(window, CB_GETDROPPEDSTATE, 0, 0))
    return false;
  const bool accessKey = (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
  return accessKey ? GetKeyState(VK_MENU) < 0
                   : key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_SPACE;
}

} // namespace

LRESULT CALLBACK UtilityProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

TWin32Application::TWin32Application(HINSTANCE instance) : instance_(instance) {
  g_application = this;
  INITCOMMONCONTROLSEX common{sizeof common, ICC_WIN95_CLASSES | ICC_BAR_CLASSES |
                                                 ICC_PROGRESS_CLASS | ICC_TAB_CLASSES |
                                                 ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&common);
  LoadSystemLibrary("riched20.dll");
  ReadSystemContrast();

  WNDCLASSA panel{};
  panel.style = CS_DBLCLKS;
  panel.lpfnWndProc = ContainerProc;
  panel.hInstance = instance_;
  panel.hCursor = LoadCursor(nullptr, IDC_ARROW);
  panel.lpszClassName = kContainerClass;
  RegisterClassA(&panel);
  registeredClasses_[kContainerClass] = true;

  WNDCLASSA utility{};
  utility.lpfnWndProc = UtilityProc;
  utility.hInstance = instance_;
  utility.lpszClassName = kUtilityClass;
  RegisterClassA(&utility);
  utility_ = CreateWindowExA(0, kUtilityClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             instance_, nullptr);
}

TWin32Application::~TWin32Application() {
  if (utility_)
    DestroyWindow(utility_);
  // Classes go with the application, so that a later one in the same process
  // registers them again with its own instance (fails harmlessly while windows remain).
  for (const auto &entry : registeredClasses_)
    UnregisterClassA(entry.first.c_str(), instance_);
  UnregisterClassA(kUtilityClass, instance_);
  if (g_application == this)
    g_application = nullptr;
}

uint64_t TWin32Application::TickCount() const {
  // GetTickCount wraps every 49.7 days; extend it to 64 bits.
  auto *self = const_cast<TWin32Application *>(this);
  uint32_t now = GetTickCount();
  if (now < lastTick_)
    self->tickHigh_ += 1ull << 32;
  self->lastTick_ = now;
  return tickHigh_ + now;
}

bool TWin32Application::RegisterFormClass(const std::string &name) {
  if (registeredClasses_.count(name))
    return true;
  WNDCLASSA form{};
  form.style = CS_DBLCLKS;
  form.lpfnWndProc = ContainerProc;
  form.hInstance = instance_;
  form.hCursor = LoadCursor(nullptr, IDC_ARROW);
  form.hIcon = LoadIconA(instance_, "MAINICON");
  form.lpszClassName = name.c_str();
  // A class left registered by an earlier application object uses the same window
  // procedure, so it serves as well as a new one.
  if (!RegisterClassA(&form) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return false;
  registeredClasses_[name] = true;
  return true;
}

HWND TWin32Application::WindowOf(const TControl &control) {
  TWin32Peer *peer = PeerOf(control);
  return peer ? peer->Window : nullptr;
}

TControl *TWin32Application::ControlOf(HWND window) {
  return static_cast<TControl *>(GetPropA(window, kControlProp));
}

HCURSOR TWin32Application::CursorOf(int number) {
  const std::string name = CursorResourceName(number);
  if (name.empty())
    return nullptr;
  // Cursors loaded from resources are shared and never destroyed.
  static std::map<std::string, HCURSOR> loaded;
  auto it = loaded.find(name);
  if (it == loaded.end())
    it = loaded.emplace(name, LoadCursorA(GetModuleHandleA(nullptr), name.c_str())).first;
  return it->second;
}

char TWin32Application::DecimalSeparator() const {
  char separator[4] = {};
  // Read on every call, so a change of the user's settings shows at once.
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) < 2)
    return '.';
  return separator[0];
}

HWND TWin32Application::Realize(TForm &form) {
  if (!WindowOf(form)) {
    const TWin32ControlKind &kind = ControlKindOf(form);
    std::string className = form.WindowClassName.empty() ? kind.WindowClass : form.WindowClassName;
    if (!RegisterFormClass(className))
      return nullptr;
    DWORD style = form.Borderless      ? WS_POPUP
                  : form.NoBorderIcons ? WS_OVERLAPPED | WS_CAPTION
                  : form.DialogBorder  ? WS_POPUP | WS_CAPTION | WS_SYSMENU
                                       : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    DWORD exStyle = (form.StayOnTop ? WS_EX_TOPMOST : 0) | (form.DialogBorder ? WS_EX_DLGMODALFRAME : 0);
    // A form owned by another form's window stays in front of it (dialogs of
    // an always-on-top window would otherwise open behind it).
    HWND owner = nullptr;
    for (TComponent *c = form.Owner(); c && !owner; c = c->Owner())
      if (c->Kind() == TComponentKind::ckForm)
        owner = WindowOf(*static_cast<TForm *>(c));
    HMENU menu = nullptr;
    for (TComponent *c : form.Components())
      if (c->Kind() == TComponentKind::ckMainMenu)
        menu = BuildMenu(static_cast<TMainMenu *>(c)->Items(), false);
    // Before the window is there, the display it opens on is the system's.
    const TDisplayScale scale = SystemDisplayScale();
    if (form.CenterOnScreen) {
      const TRect &size = form.Bounds();
      form.SetBounds((scale.ToDesign(GetSystemMetrics(SM_CXSCREEN)) - size.Width) / 2,
                     (scale.ToDesign(GetSystemMetrics(SM_CYSCREEN)) - size.Height) / 2, size.Width,
                     size.Height);
    }
    const RECT r = FormWindowRect(form.Bounds(), style, menu != nullptr, exStyle, scale);
    HWND window = CreateWindowExA(exStyle, className.c_str(), form.Caption().c_str(), style,
                                  r.left, r.top, r.right - r.left, r.bottom - r.top, owner,
                                  menu, instance_, nullptr);
    if (!window)
      return nullptr;
    SetPropA(window, kControlProp, &form);
    form.AttachPeer(std::make_unique<TWin32Peer>(kind, window, nullptr));
    // Opened on a monitor of another scale than the system's: laid out anew for it.
    if (!(DisplayScaleOf(window) == scale))
      PeerOf(form)->Changed(form, TProperty::Bounds);
    PeerOf(form)->SyncFont(form);
  }
  RealizeChildren(form);
  if (form.Visible())
    PeerOf(form)->Changed(form, TProperty::Visible);
  return WindowOf(form);
}

void TWin32Application::FormShown(TForm &form) {
  if (!WindowOf(form))
    Realize(form); // shows it, as it is visible now
}

void TWin32Application::RealizeChildren(TWinControl &parent) {
  for (TControl *child : parent.Controls()) {
    if (!child->Peer())
      RealizeControl(*child);
    if (auto *container = dynamic_cast<TWinControl *>(child))
      RealizeChildren(*container);
  }
}

void TWin32Application::RealizeControl(TControl &control) {
  HWND parent = WindowOf(*control.Parent());
  if (!parent)
    return;
  const TWin32ControlKind &kind = ControlKindOf(control);
  if (kind.PaintedByParent()) {
    auto peer = std::make_unique<TWin32Peer>(kind, nullptr, parent);
    peer->PaintedBounds = control.Bounds();
    control.AttachPeer(std::move(peer));
    if (kind.FirstSync)
      kind.FirstSync(*PeerOf(control), control);
    return;
  }
  TWin32WindowStyles styles{WS_CHILD | WS_CLIPSIBLINGS | kind.Style, kind.ExStyle};
  if (kind.Prepare)
    kind.Prepare(control, styles);
  std::string text;
  if (kind.Text == TWindowText::wtCaption)
    text = control.Caption();
  else if (kind.Text == TWindowText::wtEditText)
    text = static_cast<TEdit &>(control).Text();
  const RECT b = ClientRectOf(control.Bounds(), DisplayScaleOf(parent));
  HWND window = CreateWindowExA(styles.ExStyle, kind.WindowClass, text.c_str(), styles.Style, b.left,
                                b.top, b.right - b.left, b.bottom - b.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(control))),
                                instance_, nullptr);
  if (!window)
    return;
  SetPropA(window, kControlProp, &control);
  control.AttachPeer(std::make_unique<TWin32Peer>(kind, window, parent));
  TWin32Peer &peer = *PeerOf(control);
  peer.SyncFont(control);
  if (kind.FirstSync) {
    peer.Updating = true;
    kind.FirstSync(peer, control);
    peer.Updating = false;
  }
  EnableWindow(window, control.Enabled());
  if (control.Visible())
    ShowWindow(window, SW_SHOWNA);
}

HMENU TWin32Application::BuildMenu(const std::vector<TMenuItem *> &items, bool popup) {
  HMENU menu = popup ? CreatePopupMenu() : CreateMenu();
  for (TMenuItem *item : items) {
    if (!item->Visible)
      continue;
    UINT flags = MF_STRING | (item->Enabled ? 0 : MF_GRAYED) | (item->Checked ? MF_CHECKED : 0);
    if (item->Caption == "-") {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    } else if (!item->Items().empty()) {
      AppendMenuA(menu, flags | MF_POPUP,
                  reinterpret_cast<UINT_PTR>(BuildMenu(item->Items(), true)),
                  item->Caption.c_str());
    } else {
      UINT id = nextMenuCommand_++;
      if (nextMenuCommand_ > 0xEFFF)
        nextMenuCommand_ = 0xE000;
      menuCommands_[id] = item;
      AppendMenuA(menu, flags, id, item->Caption.c_str());
    }
  }
  return menu;
}

void TWin32Application::RunMenuCommand(UINT id) {
  auto it = menuCommands_.find(id);
  if (it != menuCommands_.end())
    it->second->Click();
}

// The window a pop-up menu belongs to: the last shown form's, or with none
// shown (a menu of the tray icon) the first form's.
HWND TWin32Application::MenuAnchor(const TPopupMenu &menu) {
  HWND anchor = nullptr, hidden = nullptr;
  for (TForm *form : Forms())
    if (HWND window = WindowOf(*form)) {
      if (form->Visible())
        anchor = window;
      else if (!hidden)
        hidden = window;
    }
  return ApplicationOf(menu) ? (anchor ? anchor : hidden) : nullptr;
}

void TWin32Application::TrackMenu(TPopupMenu &menu, HWND anchor, POINT device) {
  menuCommands_.clear();
  HMENU popup = BuildMenu(menu.Items(), true);
  // Taken to the front, so that a click elsewhere (or Escape) closes the menu.
  SetForegroundWindow(anchor);
  UINT chosen = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_NONOTIFY, device.x, device.y, 0,
                               anchor, nullptr);
  // The menu of a window in the background otherwise comes back closed only
  // at the second try.
  PostMessageA(anchor, WM_NULL, 0, 0);
  DestroyMenu(popup);
  if (chosen)
    RunMenuCommand(chosen);
}

void TWin32Application::Popup(TPopupMenu &menu, int x, int y) {
  HWND anchor = MenuAnchor(menu);
  if (!anchor)
    return;
  // The point is in design units, as the model places windows.
  const TDisplayScale scale = DisplayScaleOf(anchor);
  TrackMenu(menu, anchor, POINT{scale.ToDevice(x), scale.ToDevice(y)});
}

void TWin32Application::PopupAtCursor(TPopupMenu &menu) {
  HWND anchor = MenuAnchor(menu);
  POINT at{};
  if (anchor && GetCursorPos(&at))
    TrackMenu(menu, anchor, at);
}

void TWin32Application::Dispatch(MSG &message) {
  const UINT m = message.message;
  if (m == WM_KEYDOWN || m == WM_KEYUP || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP) {
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    TControl *top = root ? ControlOf(root) : nullptr;
    if (top && top->Kind() == TComponentKind::ckForm) {
      auto *form = static_cast<TForm *>(top);
      const bool down = m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
      int key = static_cast<int>(message.wParam);
      auto &preview = down ? form->OnPreviewKeyDown : form->OnPreviewKeyUp;
      if (form->KeyPreview && preview) {
        TShiftState shift{GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0,
                          GetKeyState(VK_MENU) < 0};
        preview(*form, key, shift);
        if (key == 0)
          return; // the form took the key
      }
      auto &handler = down ? form->OnKeyDown : form->OnKeyUp;
      // Keys pressed with Alt held come as system keys; the form sees them
      // all (ModifierKeys tells them apart).
      if (form->KeyPreview && handler) {
        handler(*form, key, GetKeyState(VK_SHIFT) < 0);
        if (key == 0)
          return; // the form took the key
      }
      // Then the keys every dialog knows: Tab, Enter, Escape, Space, Alt with
      // an access key.
      if (down && TakesDialogKey(message.hwnd, key) &&
          HandleDialogKey(*form, FocusedControl(*form, message.hwnd), key,
                          TShiftState{GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0,
                                      m == WM_SYSKEYDOWN || GetKeyState(VK_MENU) < 0})) {
        // The keyboard is in use: the system's controls show their focus
        // from now on (they hide it until then).
        SendMessageA(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        return;
      }
    }
  }
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

void TWin32Application::ProcessMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    Dispatch(message);
  }
  RunPosted();
}

int TWin32Application::RunModal(TForm &form) {
  std::vector<HWND> disabled;
  for (TForm *other : Forms()) {
    HWND window = WindowOf(*other);
    if (other != &form && window && IsWindowEnabled(window)) {
      EnableWindow(window, FALSE);
      disabled.push_back(window);
    }
  }
  MSG message;
  if (!Realize(form) && form.ModalResult == 0)
    form.ModalResult = mrCancel; // no window, so nobody could ever answer it
  while (form.ModalResult == 0 && form.Visible()) {
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      if (form.ModalResult == 0)
        form.ModalResult = mrCancel;
      break;
    }
    if (got > 0)
      Dispatch(message);
  }
  for (HWND window : disabled)
    EnableWindow(window, TRUE);
  return form.ModalResult;
}

void TWin32Application::Run(TForm &mainForm) {
  Realize(mainForm);
  MainForm = &mainForm;
  mainForm.Show();
  MSG message;
  // Hiding the main window (to the tray) keeps the program running; closing it ends it.
  while (IsAlive(&mainForm) && !Terminated) {
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0)
      break;
    Dispatch(message);
  }
}

HWND TWin32Application::ActiveFormWindow() const {
  HWND active = GetActiveWindow();
  if (active && ControlOf(active))
    return active;
  HWND anchor = nullptr;
  for (TForm *form : Forms())
    if (form->Visible() && WindowOf(*form))
      anchor = WindowOf(*form);
  return anchor;
}

int TWin32Application::ShowMessageBox(const std::string &text, const std::string &title,
                                  TMessageButtons buttons) {
  UINT type = buttons == TMessageButtons::mbOkCancel ? MB_OKCANCEL | MB_ICONQUESTION
                                                     : MB_OK | MB_ICONINFORMATION;
  // Owned by the form in front, so it opens over an always-on-top window.
  int answer = MessageBoxA(ActiveFormWindow(), text.c_str(), title.c_str(),
                           type | MB_SETFOREGROUND);
  return answer == IDOK ? mrOk : mrCancel;
}

uint8_t TWin32Application::ModifierKeys() const {
  uint8_t keys = 0;
  if (GetKeyState(VK_SHIFT) < 0)
    keys |= mkShift;
  if (GetKeyState(VK_CONTROL) < 0)
    keys |= mkCtrl;
  if (GetKeyState(VK_MENU) < 0)
    keys |= mkAlt;
  return keys;
}

void TWin32Application::SetBusyCursor(bool busy) {
  SetCursor(LoadCursor(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

bool TWin32Application::RunFileDialog(TFileDialog &dialog) {
  char file[MAX_PATH] = {};
  dialog.FileName.copy(file, MAX_PATH - 1);
  // The filter is "Text|*.txt|All|*.*"; the system wants NUL separators.
  std::string filter = dialog.Filter;
  std::replace(filter.begin(), filter.end(), '|', '\0');
  filter.push_back('\0');
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  for (TForm *form : Forms())
    if (form->Visible() && WindowOf(*form))
      ofn.hwndOwner = WindowOf(*form);
  ofn.lpstrFilter = dialog.Filter.empty() ? nullptr : filter.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = dialog.InitialDir.empty() ? nullptr : dialog.InitialDir.c_str();
  ofn.lpstrTitle = dialog.Title.empty() ? nullptr : dialog.Title.c_str();
  ofn.lpstrDefExt = dialog.DefaultExt.empty() ? nullptr : dialog.DefaultExt.c_str();
  bool saving = dialog.Kind() == TComponentKind::ckSaveDialog;
  ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
              (saving ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  BOOL chosen = saving ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  if (!chosen)
    return false;
  dialog.FileName = file;
  return true;
}

void TWin32Application::PostFormMessage(TForm &form, uint32_t message, uintptr_t wParam,
                                        intptr_t lParam) {
  if (HWND window = WindowOf(form))
    PostMessageA(window, message, wParam, lParam);
  else
    TApplication::PostFormMessage(form, message, wParam, lParam);
}

void TWin32Application::BackendTimerChanged(TTimer &timer, bool alive) {
  if (!utility_)
    return;
  auto id = reinterpret_cast<UINT_PTR>(&timer);
  KillTimer(utility_, id);
  if (alive && timer.Enabled() && timer.Interval() > 0)
    SetTimer(utility_, id, timer.Interval(), nullptr);
}

void TWin32Application::PostedCallQueued() {
  if (utility_)
    PostMessageA(utility_, kRunPosted, 0, 0);
}

LRESULT CALLBACK UtilityProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TWin32Application *app = g_application;
  if (app && message == WM_TIMER) {
    auto *timer = reinterpret_cast<TTimer *>(wParam);
    const auto &timers = app->Timers();
    if (std::find(timers.begin(), timers.end(), timer) != timers.end() && timer->Enabled() &&
        timer->OnTimer)
      timer->OnTimer(*timer);
    return 0;
  }
  if (app && message == kRunPosted) {
    app->RunPosted();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
