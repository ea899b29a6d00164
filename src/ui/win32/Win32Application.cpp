#include "ui/win32/Win32Application.h"

#include "platform/win32/GdiCanvas.h"

#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>

#include <algorithm>
#include <vector>

namespace {

constexpr char kControlProp[] = "MovaroControl";
constexpr char kPanelClass[] = "MovaroPanel";
constexpr char kGenericFormClass[] = "MovaroForm";
constexpr char kUtilityClass[] = "MovaroUtility";
constexpr UINT kRunPosted = WM_APP + 1;

TWin32Application *g_application = nullptr; // the one realising windows

int ControlId(const TControl &control) {
  return control.Tag > 0 && control.Tag <= 0xFFFF ? control.Tag : 0;
}

RECT ClientRectOf(const TRect &r) { return RECT{r.Left, r.Top, r.Left + r.Width, r.Top + r.Height}; }

// The window half of a control. Windowless controls have no window; their
// peer repaints their area of the parent.
class TWin32Peer : public TControlPeer {
public:
  TWin32Peer(HWND window, HWND parent) : Window(window), ParentWindow(parent) {}
  ~TWin32Peer() override {
    for (HWND item : ItemWindows)
      DestroyWindow(item);
    if (Window)
      DestroyWindow(Window);
    if (Font)
      DeleteObject(Font);
  }
  void Changed(TControl &control, TProperty property) override;
  void SyncItems(TControl &control);
  void SyncFont(TControl &control);
  void Repaint(TControl &control) {
    if (Window) {
      InvalidateRect(Window, nullptr, TRUE);
    } else if (ParentWindow) {
      RECT r = ClientRectOf(control.Bounds());
      InvalidateRect(ParentWindow, &r, TRUE);
    }
  }

  HWND Window;
  HWND ParentWindow;
  HFONT Font = nullptr;
  bool Updating = false; // the window is being set from the model
  std::vector<HWND> ItemWindows; // a radio group's buttons
  TRect PaintedBounds;           // a windowless control's last area
};

TWin32Peer *PeerOf(const TControl &control) {
  return static_cast<TWin32Peer *>(control.Peer());
}

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(length + 1, '\0');
  GetWindowTextA(window, text.data(), length + 1);
  text.resize(std::max(0, length));
  return text;
}

void LayoutRadioGroup(TRadioGroup &group, TWin32Peer &peer) {
  const TRect &b = group.Bounds();
  int count = static_cast<int>(peer.ItemWindows.size());
  int rowHeight = count ? std::max(16, (b.Height - 24) / count) : 0;
  for (int i = 0; i < count; ++i)
    MoveWindow(peer.ItemWindows[i], 8, 18 + i * rowHeight, std::max(0, b.Width - 16), rowHeight,
               TRUE);
}

void TWin32Peer::SyncFont(TControl &control) {
  if (!Window)
    return;
  HDC dc = GetDC(Window);
  const TFont &f = control.Font();
  HFONT made = TGdiCanvas::CreateFontFor(
      dc, TCanvasFont{f.Name, f.Size, f.Bold, f.Italic, f.Underline, f.StrikeOut, f.Color});
  ReleaseDC(Window, dc);
  SendMessageA(Window, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
  for (HWND item : ItemWindows)
    SendMessageA(item, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
  if (Font)
    DeleteObject(Font);
  Font = made;
}

void TWin32Peer::SyncItems(TControl &control) {
  Updating = true;
  switch (control.Kind()) {
  case TComponentKind::ckListBox:
  case TComponentKind::ckComboBox: {
    auto &list = static_cast<TListControl &>(control);
    bool isList = control.Kind() == TComponentKind::ckListBox;
    SendMessageA(Window, isList ? LB_RESETCONTENT : CB_RESETCONTENT, 0, 0);
    for (const std::string &item : list.Items.Items())
      SendMessageA(Window, isList ? LB_ADDSTRING : CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageA(Window, isList ? LB_SETCURSEL : CB_SETCURSEL, list.ItemIndex(), 0);
    break;
  }
  case TComponentKind::ckTabSet: {
    auto &tabs = static_cast<TListControl &>(control);
    TabCtrl_DeleteAllItems(Window);
    for (int i = 0; i < tabs.Items.Count(); ++i) {
      TCITEMA item{};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<char *>(tabs.Items[i].c_str());
      SendMessageA(Window, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    TabCtrl_SetCurSel(Window, tabs.ItemIndex());
    break;
  }
  case TComponentKind::ckRadioGroup: {
    auto &group = static_cast<TRadioGroup &>(control);
    for (HWND item : ItemWindows)
      DestroyWindow(item);
    ItemWindows.clear();
    for (int i = 0; i < group.Items.Count(); ++i) {
      HWND item = CreateWindowExA(0, "BUTTON", group.Items[i].c_str(),
                                  WS_CHILD | WS_VISIBLE | BS_RADIOBUTTON, 0, 0, 10, 10, Window,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(i + 1)),
                                  nullptr, nullptr);
      if (Font)
        SendMessageA(item, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
      SendMessageA(item, BM_SETCHECK, i == group.ItemIndex() ? BST_CHECKED : BST_UNCHECKED, 0);
      ItemWindows.push_back(item);
    }
    LayoutRadioGroup(group, *this);
    break;
  }
  case TComponentKind::ckTreeView: {
    auto &tree = static_cast<TTreeView &>(control);
    SendMessageA(Window, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    struct Inserter {
      HWND window;
      void Add(const std::vector<TTreeNode> &nodes, HTREEITEM parent) {
        for (const TTreeNode &node : nodes) {
          TVINSERTSTRUCTA insert{};
          insert.hParent = parent;
          insert.hInsertAfter = TVI_LAST;
          insert.item.mask = TVIF_TEXT | TVIF_PARAM;
          insert.item.pszText = const_cast<char *>(node.Text.c_str());
          insert.item.lParam = node.Data;
          auto item = reinterpret_cast<HTREEITEM>(
              SendMessageA(window, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
          Add(node.Children, item);
        }
      }
    };
    Inserter{Window}.Add(tree.Nodes, TVI_ROOT);
    break;
  }
  default:
    break;
  }
  Updating = false;
}

void TWin32Peer::Changed(TControl &control, TProperty property) {
  if (!Window) { // windowless: repaint the old and the new area
    if (ParentWindow) {
      RECT old = ClientRectOf(PaintedBounds);
      InvalidateRect(ParentWindow, &old, TRUE);
    }
    PaintedBounds = control.Bounds();
    Repaint(control);
    return;
  }
  Updating = true;
  TComponentKind kind = control.Kind();
  switch (property) {
  case TProperty::Bounds: {
    const TRect &b = control.Bounds();
    if (kind == TComponentKind::ckForm) {
      RECT r{0, 0, b.Width, b.Height};
      AdjustWindowRectEx(&r, GetWindowLongA(Window, GWL_STYLE), GetMenu(Window) != nullptr,
                         GetWindowLongA(Window, GWL_EXSTYLE));
      MoveWindow(Window, b.Left, b.Top, r.right - r.left, r.bottom - r.top, TRUE);
    } else {
      MoveWindow(Window, b.Left, b.Top, b.Width, b.Height, TRUE);
      if (kind == TComponentKind::ckRadioGroup)
        LayoutRadioGroup(static_cast<TRadioGroup &>(control), *this);
    }
    break;
  }
  case TProperty::Visible:
    if (kind == TComponentKind::ckForm) {
      auto &form = static_cast<TForm &>(control);
      if (form.Visible()) {
        ShowWindow(Window, form.ShowActivated ? SW_SHOW : SW_SHOWNOACTIVATE);
        if (form.StayOnTop)
          SetWindowPos(Window, HWND_TOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | (form.ShowActivated ? 0 : SWP_NOACTIVATE));
        if (form.ShowActivated && form.ActiveControl && form.ActiveControl->Peer())
          if (HWND focus = static_cast<TWin32Peer *>(form.ActiveControl->Peer())->Window)
            SetFocus(focus);
        UpdateWindow(Window);
      } else {
        ShowWindow(Window, SW_HIDE);
      }
    } else {
      ShowWindow(Window, control.Visible() ? SW_SHOWNA : SW_HIDE);
    }
    break;
  case TProperty::Enabled:
    EnableWindow(Window, control.Enabled());
    for (HWND item : ItemWindows)
      EnableWindow(item, control.Enabled());
    break;
  case TProperty::Caption:
    if (kind == TComponentKind::ckPage && control.Parent() && control.Parent()->Peer())
      control.Parent()->Peer()->Changed(*control.Parent(), TProperty::Pages); // its tab
    if (kind != TComponentKind::ckEdit && kind != TComponentKind::ckRichEdit &&
        kind != TComponentKind::ckListBox && kind != TComponentKind::ckComboBox &&
        kind != TComponentKind::ckTabSet)
      SetWindowTextA(Window, control.Caption().c_str());
    break;
  case TProperty::Text: {
    auto &edit = static_cast<TEdit &>(control);
    if (WindowText(Window) != edit.Text())
      SetWindowTextA(Window, edit.Text().c_str());
    break;
  }
  case TProperty::Font:
    SyncFont(control);
    break;
  case TProperty::Items:
    Updating = false;
    SyncItems(control);
    Updating = true;
    break;
  case TProperty::ItemIndex: {
    auto &list = static_cast<TListControl &>(control);
    if (kind == TComponentKind::ckListBox)
      SendMessageA(Window, LB_SETCURSEL, list.ItemIndex(), 0);
    else if (kind == TComponentKind::ckComboBox)
      SendMessageA(Window, CB_SETCURSEL, list.ItemIndex(), 0);
    else if (kind == TComponentKind::ckTabSet)
      TabCtrl_SetCurSel(Window, list.ItemIndex());
    else if (kind == TComponentKind::ckRadioGroup)
      for (size_t i = 0; i < ItemWindows.size(); ++i)
        SendMessageA(ItemWindows[i], BM_SETCHECK,
                     static_cast<int>(i) == list.ItemIndex() ? BST_CHECKED : BST_UNCHECKED, 0);
    break;
  }
  case TProperty::Checked: {
    bool checked = kind == TComponentKind::ckCheckBox
                       ? static_cast<TCheckBox &>(control).Checked()
                       : static_cast<TRadioButton &>(control).Checked();
    SendMessageA(Window, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    break;
  }
  case TProperty::Position:
    if (kind == TComponentKind::ckTrackBar) {
      auto &bar = static_cast<TTrackBar &>(control);
      SendMessageA(Window, TBM_SETRANGEMIN, FALSE, bar.Min);
      SendMessageA(Window, TBM_SETRANGEMAX, FALSE, bar.Max);
      SendMessageA(Window, TBM_SETPOS, TRUE, bar.Position());
    } else if (kind == TComponentKind::ckGauge) {
      auto &gauge = static_cast<TGauge &>(control);
      SendMessageA(Window, PBM_SETRANGE32, gauge.MinValue, gauge.MaxValue);
      SendMessageA(Window, PBM_SETPOS, gauge.Progress(), 0);
    }
    break;
  case TProperty::Panels: {
    auto &bar = static_cast<TStatusBar &>(control);
    std::vector<int> edges;
    int right = 0;
    for (const TStatusPanel &panel : bar.Panels())
      edges.push_back(right += panel.Width);
    if (!edges.empty())
      edges.back() = -1; // the last panel takes the rest
    SendMessageA(Window, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (size_t i = 0; i < bar.Panels().size(); ++i)
      SendMessageA(Window, SB_SETTEXTA, i, reinterpret_cast<LPARAM>(bar.Panels()[i].Text.c_str()));
    break;
  }
  case TProperty::Pages:
  case TProperty::ActivePage: {
    auto &pages = static_cast<TPageControl &>(control);
    HWND tabs = ItemWindows.empty() ? nullptr : ItemWindows.front();
    if (tabs) {
      if (property == TProperty::Pages) {
        TabCtrl_DeleteAllItems(tabs);
        for (int i = 0; i < pages.PageCount(); ++i) {
          TCITEMA item{};
          item.mask = TCIF_TEXT;
          std::string caption = pages.Page(i).Caption();
          item.pszText = caption.data();
          SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
        }
      }
      TabCtrl_SetCurSel(tabs, pages.ActivePageIndex());
    }
    break;
  }
  default:
    InvalidateRect(Window, nullptr, TRUE);
    break;
  }
  Updating = false;
}

// Feeds a rich-text source to EM_STREAMIN in the pieces the control asks for.
struct TRichTextSource {
  const std::string *Text;
  size_t At;
};

DWORD CALLBACK StreamRichText(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG *done) {
  auto *source = reinterpret_cast<TRichTextSource *>(cookie);
  LONG n = static_cast<LONG>(std::min<size_t>(size, source->Text->size() - source->At));
  std::copy_n(source->Text->data() + source->At, n, buffer);
  source->At += n;
  *done = n;
  return 0;
}

// The control a container window's child notification is about.
TControl *ChildControl(HWND child) {
  return child ? TWin32Application::ControlOf(child) : nullptr;
}

} // namespace

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK UtilityProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

TWin32Application::TWin32Application(HINSTANCE instance) : instance_(instance) {
  g_application = this;
  INITCOMMONCONTROLSEX common{sizeof common, ICC_WIN95_CLASSES | ICC_BAR_CLASSES |
                                                 ICC_PROGRESS_CLASS | ICC_TAB_CLASSES |
                                                 ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&common);
  LoadLibraryA("riched20.dll");

  WNDCLASSA panel{};
  panel.style = CS_DBLCLKS;
  panel.lpfnWndProc = ContainerProc;
  panel.hInstance = instance_;
  panel.hCursor = LoadCursor(nullptr, IDC_ARROW);
  panel.lpszClassName = kPanelClass;
  RegisterClassA(&panel);
  registeredClasses_[kPanelClass] = true;

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

HWND TWin32Application::Realize(TForm &form) {
  if (!WindowOf(form)) {
    std::string className = form.WindowClassName.empty() ? kGenericFormClass : form.WindowClassName;
    if (!RegisterFormClass(className))
      return nullptr;
    DWORD style = form.Borderless ? WS_POPUP
                                  : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    DWORD exStyle = form.StayOnTop ? WS_EX_TOPMOST : 0;
    HMENU menu = nullptr;
    for (TComponent *c : form.Components())
      if (c->Kind() == TComponentKind::ckMainMenu)
        menu = BuildMenu(static_cast<TMainMenu *>(c)->Items(), false);
    if (form.CenterOnScreen) {
      const TRect &size = form.Bounds();
      form.SetBounds((GetSystemMetrics(SM_CXSCREEN) - size.Width) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - size.Height) / 2, size.Width, size.Height);
    }
    const TRect &b = form.Bounds();
    RECT r{0, 0, b.Width, b.Height};
    AdjustWindowRectEx(&r, style, menu != nullptr, exStyle);
    HWND window = CreateWindowExA(exStyle, className.c_str(), form.Caption().c_str(), style,
                                  b.Left, b.Top, r.right - r.left, r.bottom - r.top, nullptr,
                                  menu, instance_, nullptr);
    if (!window)
      return nullptr;
    SetPropA(window, kControlProp, &form);
    form.AttachPeer(std::make_unique<TWin32Peer>(window, nullptr));
    PeerOf(form)->SyncFont(form);
  }
  RealizeChildren(form);
  if (form.Visible())
    PeerOf(form)->Changed(form, TProperty::Visible);
  return WindowOf(form);
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
  if (control.Windowless()) {
    auto peer = std::make_unique<TWin32Peer>(nullptr, parent);
    peer->PaintedBounds = control.Bounds();
    control.AttachPeer(std::move(peer));
    return;
  }
  const char *windowClass = kPanelClass;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  std::string text = control.Caption();
  switch (control.Kind()) {
  case TComponentKind::ckButton:
  case TComponentKind::ckBitButton:
  case TComponentKind::ckSkinnedButton:
    windowClass = "BUTTON";
    style |= WS_TABSTOP |
             (static_cast<TButton &>(control).Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    break;
  case TComponentKind::ckCheckBox:
    windowClass = "BUTTON";
    style |= WS_TABSTOP | BS_CHECKBOX; // not automatic: the model decides
    break;
  case TComponentKind::ckRadioButton:
    windowClass = "BUTTON";
    style |= WS_TABSTOP | BS_RADIOBUTTON;
    break;
  case TComponentKind::ckGroupBox:
    windowClass = "BUTTON";
    style |= BS_GROUPBOX;
    break;
  case TComponentKind::ckEdit: {
    auto &edit = static_cast<TEdit &>(control);
    windowClass = "EDIT";
    style |= WS_TABSTOP | ES_AUTOHSCROLL | (edit.ReadOnly ? ES_READONLY : 0) |
             (edit.PasswordChar ? ES_PASSWORD : 0);
    exStyle |= WS_EX_CLIENTEDGE;
    text = edit.Text();
    break;
  }
  case TComponentKind::ckRichEdit:
    windowClass = "RichEdit20A";
    style |= WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
    exStyle |= WS_EX_CLIENTEDGE;
    text = static_cast<TEdit &>(control).Text();
    break;
  case TComponentKind::ckListBox:
    windowClass = "LISTBOX";
    style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    exStyle |= WS_EX_CLIENTEDGE;
    text.clear();
    break;
  case TComponentKind::ckComboBox:
    windowClass = "COMBOBOX";
    style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
    text.clear();
    break;
  case TComponentKind::ckTabSet:
    windowClass = WC_TABCONTROLA;
    style |= WS_TABSTOP;
    text.clear();
    break;
  case TComponentKind::ckTrackBar:
    windowClass = TRACKBAR_CLASSA;
    style |= WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS;
    break;
  case TComponentKind::ckGauge:
    windowClass = PROGRESS_CLASSA;
    break;
  case TComponentKind::ckStatusBar:
    windowClass = STATUSCLASSNAMEA;
    style |= CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER;
    text.clear();
    break;
  case TComponentKind::ckTreeView:
    windowClass = WC_TREEVIEWA;
    style |= WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    exStyle |= WS_EX_CLIENTEDGE;
    break;
  case TComponentKind::ckScrollBox:
    style |= WS_VSCROLL | WS_CLIPCHILDREN;
    break;
  default: // panels, pages, page controls, radio groups: our own container class
    style |= WS_CLIPCHILDREN;
    break;
  }
  if (control.Kind() == TComponentKind::ckPage && control.Bounds().Width == 0) {
    // A page fills its page control below the tabs.
    const TRect &b = control.Parent()->Bounds();
    int top = control.Parent()->Kind() == TComponentKind::ckNotebook ? 0 : 24;
    control.SetBounds(0, top, b.Width, std::max(0, b.Height - top));
  }
  const TRect &b = control.Bounds();
  HWND window = CreateWindowExA(exStyle, windowClass, text.c_str(), style, b.Left, b.Top, b.Width,
                                b.Height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(control))),
                                instance_, nullptr);
  if (!window)
    return;
  SetPropA(window, kControlProp, &control);
  control.AttachPeer(std::make_unique<TWin32Peer>(window, parent));
  TWin32Peer &peer = *PeerOf(control);
  peer.SyncFont(control);
  switch (control.Kind()) {
  case TComponentKind::ckRadioGroup: {
    HWND frame = CreateWindowExA(0, "BUTTON", control.Caption().c_str(),
                                 WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, 0, b.Width, b.Height,
                                 window, nullptr, instance_, nullptr);
    SendMessageA(frame, WM_SETFONT, reinterpret_cast<WPARAM>(peer.Font), FALSE);
    (void)frame; // a child of the group's window: it goes with it
    peer.SyncItems(control);
    break;
  }
  case TComponentKind::ckPageControl: {
    HWND tabs = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0,
                                0, b.Width, b.Height, window, nullptr, instance_, nullptr);
    SendMessageA(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(peer.Font), FALSE);
    peer.ItemWindows.push_back(tabs);
    peer.Changed(control, TProperty::Pages);
    break;
  }
  case TComponentKind::ckListBox:
  case TComponentKind::ckComboBox:
  case TComponentKind::ckTabSet:
  case TComponentKind::ckTreeView:
    peer.SyncItems(control);
    break;
  case TComponentKind::ckCheckBox:
  case TComponentKind::ckRadioButton:
    peer.Changed(control, TProperty::Checked);
    break;
  case TComponentKind::ckTrackBar:
  case TComponentKind::ckGauge:
    peer.Changed(control, TProperty::Position);
    break;
  case TComponentKind::ckStatusBar:
    peer.Changed(control, TProperty::Panels);
    break;
  case TComponentKind::ckRichEdit: {
    auto &rich = static_cast<TRichEdit &>(control);
    if (!rich.RichText.empty()) {
      TRichTextSource source{&rich.RichText, 0};
      EDITSTREAM stream{};
      stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
      stream.pfnCallback = StreamRichText;
      SendMessageA(window, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    }
    break;
  }
  default:
    break;
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

void TWin32Application::Popup(TPopupMenu &menu, int x, int y) {
  TApplication *owner = ApplicationOf(menu);
  HWND anchor = nullptr;
  for (TForm *form : Forms())
    if (form->Visible() && WindowOf(*form))
      anchor = WindowOf(*form);
  if (!owner || !anchor)
    return;
  menuCommands_.clear();
  HMENU popup = BuildMenu(menu.Items(), true);
  SetForegroundWindow(anchor);
  UINT chosen = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_NONOTIFY, x, y, 0, anchor, nullptr);
  DestroyMenu(popup);
  if (chosen)
    RunMenuCommand(chosen);
}

void TWin32Application::Dispatch(MSG &message) {
  if (message.message == WM_KEYDOWN || message.message == WM_KEYUP) {
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    TControl *top = root ? ControlOf(root) : nullptr;
    if (top && top->Kind() == TComponentKind::ckForm) {
      auto *form = static_cast<TForm *>(top);
      auto &handler = message.message == WM_KEYDOWN ? form->OnKeyDown : form->OnKeyUp;
      if (form->KeyPreview && handler) {
        int key = static_cast<int>(message.wParam);
        handler(*form, key, GetKeyState(VK_SHIFT) < 0);
        if (key == 0)
          return; // the form took the key
      }
      // Enter presses the form's default button, Escape its cancel button.
      if (message.message == WM_KEYDOWN &&
          (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE)) {
        bool enter = message.wParam == VK_RETURN;
        for (TComponent *c : form->Components()) {
          auto *button = dynamic_cast<TButton *>(c);
          if (button && (enter ? button->Default : button->Cancel) && button->CanUse()) {
            button->Click();
            return;
          }
        }
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
  mainForm.Show();
  MSG message;
  while (IsAlive(&mainForm) && mainForm.Visible()) {
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0)
      break;
    Dispatch(message);
  }
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

namespace {
// The control pressed with the mouse in a container, until the button is up.
TControl *g_pressed = nullptr;
} // namespace

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TControl *self = TWin32Application::ControlOf(window);
  if (!self)
    return DefWindowProcA(window, message, wParam, lParam);
  auto *container = dynamic_cast<TWinControl *>(self);
  switch (message) {
  case WM_ERASEBKGND:
    return 1; // WM_PAINT fills the whole client area
  case WM_PAINT: {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    {
      TGdiCanvas canvas(dc);
      RECT client;
      GetClientRect(window, &client);
      canvas.Brush.Color = self->Color();
      canvas.FillRect({client.left, client.top, client.right, client.bottom});
      if (container)
        for (TControl *child : container->Controls())
          if (child->Windowless() && child->Visible())
            child->Paint(canvas);
    }
    EndPaint(window, &paint);
    return 0;
  }
  case WM_CTLCOLORSTATIC:
  case WM_CTLCOLORBTN: {
    // Check boxes, radio buttons and group boxes on the container's colour.
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetBkColor(dc, self->Color());
    TControl *child = ChildControl(reinterpret_cast<HWND>(lParam));
    SetTextColor(dc, child ? child->Font().Color : 0);
    SetDCBrushColor(dc, self->Color());
    return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
  }
  case WM_COMMAND: {
    if (lParam == 0) { // a menu command
      if (g_application && HIWORD(wParam) == 0)
        g_application->RunMenuCommand(LOWORD(wParam));
      return 0;
    }
    HWND child = reinterpret_cast<HWND>(lParam);
    TControl *control = ChildControl(child);
    UINT code = HIWORD(wParam);
    if (!control) {
      // A radio group's own button: its id is the item's position + 1.
      if (self->Kind() == TComponentKind::ckRadioGroup && code == BN_CLICKED)
        static_cast<TRadioGroup *>(self)->Select(LOWORD(wParam) - 1);
      return 0;
    }
    auto *peer = PeerOf(*control);
    if (peer && peer->Updating)
      return 0;
    switch (control->Kind()) {
    case TComponentKind::ckButton:
    case TComponentKind::ckBitButton:
    case TComponentKind::ckSkinnedButton:
    case TComponentKind::ckCheckBox:
    case TComponentKind::ckRadioButton:
      if (code == BN_CLICKED)
        control->Click();
      break;
    case TComponentKind::ckEdit:
    case TComponentKind::ckRichEdit:
      if (code == EN_CHANGE)
        static_cast<TEdit *>(control)->SetText(WindowText(child));
      break;
    case TComponentKind::ckListBox:
      if (code == LBN_SELCHANGE)
        static_cast<TListControl *>(control)->Select(
            static_cast<int>(SendMessageA(child, LB_GETCURSEL, 0, 0)));
      break;
    case TComponentKind::ckComboBox:
      if (code == CBN_SELCHANGE)
        static_cast<TListControl *>(control)->Select(
            static_cast<int>(SendMessageA(child, CB_GETCURSEL, 0, 0)));
      break;
    default:
      break;
    }
    return 0;
  }
  case WM_NOTIFY: {
    auto *header = reinterpret_cast<NMHDR *>(lParam);
    if (header->code == static_cast<UINT>(TCN_SELCHANGE)) {
      int selected = TabCtrl_GetCurSel(header->hwndFrom);
      TControl *control = ChildControl(header->hwndFrom);
      if (control && control->Kind() == TComponentKind::ckTabSet)
        static_cast<TListControl *>(control)->Select(selected);
      else if (self->Kind() == TComponentKind::ckPageControl)
        static_cast<TPageControl *>(self)->SetActivePageIndex(selected);
    }
    return 0;
  }
  case WM_HSCROLL: {
    TControl *control = ChildControl(reinterpret_cast<HWND>(lParam));
    if (control && control->Kind() == TComponentKind::ckTrackBar)
      static_cast<TTrackBar *>(control)->SetPosition(static_cast<int>(
          SendMessageA(reinterpret_cast<HWND>(lParam), TBM_GETPOS, 0, 0)));
    return 0;
  }
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN: {
    int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    TControl *hit = container ? container->ControlAt(x, y) : nullptr;
    TControl *target = hit && hit->Windowless() ? hit : self;
    if (!target->CanUse())
      return 0;
    TMouseButton button = message == WM_LBUTTONDOWN ? TMouseButton::mbLeft : TMouseButton::mbRight;
    SetCapture(window);
    g_pressed = target;
    if (target->OnMouseDown)
      target->OnMouseDown(*target, button, x, y);
    return 0;
  }
  case WM_LBUTTONUP:
  case WM_RBUTTONUP: {
    int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    ReleaseCapture();
    TControl *pressed = g_pressed;
    g_pressed = nullptr;
    if (!pressed)
      return 0;
    TMouseButton button = message == WM_LBUTTONUP ? TMouseButton::mbLeft : TMouseButton::mbRight;
    if (pressed->OnMouseUp)
      pressed->OnMouseUp(*pressed, button, x, y);
    if (message == WM_LBUTTONUP && pressed != self && container &&
        container->ControlAt(x, y) == pressed)
      pressed->Click();
    return 0;
  }
  case WM_MOUSEMOVE: {
    int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    TControl *hit = container ? container->ControlAt(x, y) : nullptr;
    TControl *target = g_pressed ? g_pressed : (hit && hit->Windowless() ? hit : self);
    if (target->OnMouseMove)
      target->OnMouseMove(*target, x, y);
    return 0;
  }
  case WM_CLOSE:
    if (self->Kind() == TComponentKind::ckForm)
      static_cast<TForm *>(self)->Close();
    return 0;
  case WM_DESTROY:
    RemovePropA(window, kControlProp);
    return 0;
  default:
    break;
  }
  if (message >= WM_USER && message < 0x8000 && self->Kind() == TComponentKind::ckForm) {
    auto *form = static_cast<TForm *>(self);
    if (form->OnMessage)
      form->OnMessage(message, wParam, lParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
