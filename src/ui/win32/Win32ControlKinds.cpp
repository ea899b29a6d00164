#include "ui/win32/Win32ControlKinds.h"

#include "ui/Controls.h"
#include "ui/DialogKeys.h"
#include "ui/Forms.h"
#include "ui/win32/Win32CommonControls.h"
#include "ui/win32/Win32ContainerWindow.h"
#include "ui/win32/Win32Peer.h"
#include "ui/win32/Win32Pictures.h"
#include "ui/win32/Win32Spinner.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <vector>

namespace {

using TKind = TComponentKind;

HINSTANCE InstanceOf(HWND window) {
  return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
}

// --- forms --------------------------------------------------------------------

// A form that comes to the front takes the keyboard unless it has it: the
// control last focused, else its ActiveControl, else its first tab stop,
// else its own window, so keys and Alt shortcuts reach it without a click.
void TakeKeyboardFocus(TForm &form, HWND window) {
  // Activation gives the form's own window the focus; a child keeps it.
  if (HWND focus = GetFocus(); focus && IsChild(window, focus))
    return;
  TControl *target = form.HeadlessFocus();
  if (!target || !IsTabStop(*target))
    target = form.ActiveControl;
  if (!target || !IsTabStop(*target))
    target = NextTabStop(form, nullptr, true);
  if (target && target->Peer())
    target->SetFocus();
  else
    SetFocus(window);
}

bool SyncForm(TWin32Peer &peer, TControl &control, TProperty property) {
  auto &form = static_cast<TForm &>(control);
  HWND window = peer.Window;
  if (property == TProperty::Bounds) {
    const RECT r = FormWindowRect(form.Bounds(), GetWindowLongA(window, GWL_STYLE),
                                  GetMenu(window) != nullptr, GetWindowLongA(window, GWL_EXSTYLE),
                                  peer.Scale());
    MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    return true;
  }
  if (property == TProperty::Front) {
    ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    TakeKeyboardFocus(form, window);
    return true;
  }
  if (property == TProperty::Minimized) {
    EndPointerTracking(window);
    ShowWindow(window, SW_MINIMIZE);
    return true;
  }
  if (property == TProperty::Visible) {
    if (!form.Visible()) {
      EndPointerTracking(window);
      ShowWindow(window, SW_HIDE);
      return true;
    }
    ShowWindow(window, form.ShowActivated ? SW_SHOW : SW_SHOWNOACTIVATE);
    if (form.StayOnTop)
      SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | (form.ShowActivated ? 0 : SWP_NOACTIVATE));
    if (form.ShowActivated)
      TakeKeyboardFocus(form, window);
    UpdateWindow(window);
    return true;
  }
  return false;
}

// --- controls painted by their parent -----------------------------------------

bool SyncPainted(TWin32Peer &peer, TControl &control, TProperty) {
  // Whatever changed, the old and the new area are painted again.
  if (peer.ParentWindow) {
    RECT old = ClientRectOf(peer.PaintedBounds, peer.Scale());
    InvalidateRect(peer.ParentWindow, &old, TRUE);
  }
  peer.PaintedBounds = control.Bounds();
  peer.Repaint(control);
  return true;
}

// --- buttons --------------------------------------------------------------------

void PrepareButton(TControl &control, TWin32WindowStyles &styles) {
  styles.Style |= static_cast<TButton &>(control).Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void NotifyClicked(TControl &control, const TWin32Notice &notice) {
  if (notice.Message == WM_COMMAND && notice.Code == BN_CLICKED)
    control.Click();
}

bool Checked(const TControl &control) {
  return control.Kind() == TKind::ckCheckBox ? static_cast<const TCheckBox &>(control).Checked()
                                             : static_cast<const TRadioButton &>(control).Checked();
}

bool SyncCheck(TWin32Peer &peer, TControl &control, TProperty property) {
  if (property != TProperty::Checked)
    return false;
  SendMessageA(peer.Window, BM_SETCHECK, Checked(control) ? BST_CHECKED : BST_UNCHECKED, 0);
  // The button draws only its box anew, over its focus mark (seen under
  // Wine): a focused one is painted whole again.
  if (GetFocus() == peer.Window)
    InvalidateRect(peer.Window, nullptr, TRUE);
  return true;
}

void FirstSyncCheck(TWin32Peer &peer, TControl &control) {
  SyncCheck(peer, control, TProperty::Checked);
}

// --- edits ----------------------------------------------------------------------

void PrepareEdit(TControl &control, TWin32WindowStyles &styles) {
  auto &edit = static_cast<TEdit &>(control);
  styles.Style |= (edit.ReadOnly ? ES_READONLY : 0) | (edit.PasswordChar ? ES_PASSWORD : 0);
}

bool SyncEditText(TWin32Peer &peer, TControl &control, TProperty property) {
  if (property != TProperty::Text)
    return false;
  auto &edit = static_cast<TEdit &>(control);
  std::string shown = WindowText(peer.Window);
  if (shown == edit.Text())
    return true;
  // A text the program corrects while the user types (a character taken
  // out) keeps the caret where the typing goes on.
  DWORD caret = 0;
  SendMessageA(peer.Window, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
  bool focused = GetFocus() == peer.Window;
  SetWindowTextA(peer.Window, edit.Text().c_str());
  if (focused) {
    long removed = static_cast<long>(shown.size()) - static_cast<long>(edit.Text().size());
    long at = std::clamp<long>(static_cast<long>(caret) - std::max(0L, removed), 0,
                               static_cast<long>(edit.Text().size()));
    SendMessageA(peer.Window, EM_SETSEL, at, at);
  }
  return true;
}

void NotifyEditChanged(TControl &control, const TWin32Notice &notice) {
  if (notice.Message == WM_COMMAND && notice.Code == EN_CHANGE)
    static_cast<TEdit &>(control).SetText(WindowText(notice.From));
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

bool SyncRichEdit(TWin32Peer &peer, TControl &control, TProperty property) {
  if (property != TProperty::Text)
    return false;
  auto &rich = static_cast<TRichEdit &>(control);
  if (rich.RichText().empty())
    return SyncEditText(peer, control, property);
  TRichTextSource source{&rich.RichText(), 0};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = StreamRichText;
  SendMessageA(peer.Window, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  return true;
}

void FirstSyncRichEdit(TWin32Peer &peer, TControl &control) {
  SyncRichEdit(peer, control, TProperty::Text);
}

// --- lists ----------------------------------------------------------------------

// The messages of a list box or of a drop-down list.
struct TListMessages {
  UINT Reset, Add, SetSelection, GetSelection, SelectionChanged;
};
constexpr TListMessages kListBox{LB_RESETCONTENT, LB_ADDSTRING, LB_SETCURSEL, LB_GETCURSEL,
                                 LBN_SELCHANGE};
constexpr TListMessages kComboBox{CB_RESETCONTENT, CB_ADDSTRING, CB_SETCURSEL, CB_GETCURSEL,
                                  CBN_SELCHANGE};

template <const TListMessages &M> bool SyncList(TWin32Peer &peer, TControl &control, TProperty property) {
  auto &list = static_cast<TListControl &>(control);
  if (property == TProperty::Items) {
    SendMessageA(peer.Window, M.Reset, 0, 0);
    for (const std::string &item : list.Items.Items())
      SendMessageA(peer.Window, M.Add, 0, reinterpret_cast<LPARAM>(item.c_str()));
  } else if (property != TProperty::ItemIndex) {
    return false;
  }
  SendMessageA(peer.Window, M.SetSelection, list.ItemIndex(), 0);
  return true;
}

template <const TListMessages &M> void FirstSyncList(TWin32Peer &peer, TControl &control) {
  SyncList<M>(peer, control, TProperty::Items);
}

template <const TListMessages &M> void NotifyList(TControl &control, const TWin32Notice &notice) {
  if (notice.Message == WM_COMMAND && notice.Code == M.SelectionChanged)
    static_cast<TListControl &>(control).Select(
        static_cast<int>(SendMessageA(notice.From, M.GetSelection, 0, 0)));
  else if (notice.Message == WM_COMMAND && notice.Code == LBN_DBLCLK && &M == &kListBox &&
           control.OnDblClick && control.CanUse())
    control.OnDblClick(control);
}

// Replaces a tab control's tabs.
void SetTabs(HWND tabs, const std::vector<std::string> &captions) {
  TabCtrl_DeleteAllItems(tabs);
  for (size_t i = 0; i < captions.size(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    std::string caption = captions[i];
    item.pszText = caption.data();
    SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
}

bool IsTabChange(const TWin32Notice &notice) {
  return notice.Message == WM_NOTIFY && notice.Code == static_cast<UINT>(TCN_SELCHANGE);
}

bool SyncTabSet(TWin32Peer &peer, TControl &control, TProperty property) {
  auto &tabs = static_cast<TListControl &>(control);
  if (property == TProperty::Items)
    SetTabs(peer.Window, tabs.Items.Items());
  else if (property != TProperty::ItemIndex)
    return false;
  TabCtrl_SetCurSel(peer.Window, tabs.ItemIndex());
  return true;
}

void FirstSyncTabSet(TWin32Peer &peer, TControl &control) {
  SyncTabSet(peer, control, TProperty::Items);
}

void NotifyTabSet(TControl &control, const TWin32Notice &notice) {
  if (IsTabChange(notice))
    static_cast<TListControl &>(control).Select(TabCtrl_GetCurSel(notice.From));
}

// --- radio groups: a frame and one button per item, inside the group's window ---

// The group's frame: the one child window that is none of its buttons.
HWND RadioFrameOf(const TWin32Peer &peer) {
  for (HWND child = GetWindow(peer.Window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (std::find(peer.ItemWindows.begin(), peer.ItemWindows.end(), child) == peer.ItemWindows.end())
      return child;
  return nullptr;
}

void LayoutRadioGroup(TWin32Peer &peer, const TControl &group) {
  const TRect &b = group.Bounds();
  if (HWND frame = RadioFrameOf(peer))
    MoveWindowTo(frame, {0, 0, b.Width, b.Height});
  int count = static_cast<int>(peer.ItemWindows.size());
  int rowHeight = count ? std::max(16, (b.Height - 24) / count) : 0;
  for (int i = 0; i < count; ++i)
    MoveWindowTo(peer.ItemWindows[i], {8, 18 + i * rowHeight, std::max(0, b.Width - 16), rowHeight});
}

void CheckRadioItems(TWin32Peer &peer, int index) {
  for (size_t i = 0; i < peer.ItemWindows.size(); ++i)
    SendMessageA(peer.ItemWindows[i], BM_SETCHECK,
                 static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool SyncRadioGroup(TWin32Peer &peer, TControl &control, TProperty property) {
  auto &group = static_cast<TRadioGroup &>(control);
  switch (property) {
  case TProperty::Bounds:
    MoveWindowTo(peer.Window, group.Bounds());
    LayoutRadioGroup(peer, group);
    return true;
  case TProperty::Items:
    for (HWND item : peer.ItemWindows)
      DestroyWindow(item);
    peer.ItemWindows.clear();
    // The buttons' control IDs are their positions + 1.
    for (int i = 0; i < group.Items.Count(); ++i) {
      HWND item = CreateWindowExA(0, "BUTTON", group.Items[i].c_str(),
                                  WS_CHILD | WS_VISIBLE | BS_RADIOBUTTON, 0, 0, 10, 10, peer.Window,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(i + 1)), nullptr,
                                  nullptr);
      if (peer.Font)
        SendMessageA(item, WM_SETFONT, reinterpret_cast<WPARAM>(peer.Font), FALSE);
      peer.ItemWindows.push_back(item);
    }
    CheckRadioItems(peer, group.ItemIndex());
    LayoutRadioGroup(peer, group);
    return true;
  case TProperty::ItemIndex:
    CheckRadioItems(peer, group.ItemIndex());
    return true;
  case TProperty::Font:
    peer.SyncFont(group);
    if (HWND frame = RadioFrameOf(peer))
      SendMessageA(frame, WM_SETFONT, reinterpret_cast<WPARAM>(peer.Font), TRUE);
    return true;
  default:
    return false;
  }
}

void FirstSyncRadioGroup(TWin32Peer &peer, TControl &control) {
  const TRect &b = control.Bounds();
  const TDisplayScale scale = peer.Scale();
  // A child of the group's window: it goes with it.
  HWND frame = CreateWindowExA(0, "BUTTON", control.Caption().c_str(),
                               WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, 0, scale.ToDevice(b.Width),
                               scale.ToDevice(b.Height),
                               peer.Window, nullptr, InstanceOf(peer.Window), nullptr);
  SendMessageA(frame, WM_SETFONT, reinterpret_cast<WPARAM>(peer.Font), FALSE);
  SyncRadioGroup(peer, control, TProperty::Items);
}

void NotifyRadioGroup(TControl &control, const TWin32Notice &notice) {
  if (notice.Message == WM_COMMAND && notice.Code == BN_CLICKED)
    static_cast<TRadioGroup &>(control).Select(static_cast<int>(notice.Id) - 1);
}

// --- pages ----------------------------------------------------------------------

void PrepareScrollBox(TControl &control, TWin32WindowStyles &styles) {
  if (!static_cast<TScrollBox &>(control).VertScrollBarVisible)
    styles.Style &= ~static_cast<DWORD>(WS_VSCROLL);
}

// The bar shows the content's height against the box's, and the position;
// it hides while everything fits.
void SyncScrollInfo(TWin32Peer &peer, TScrollBox &box) {
  if (!box.VertScrollBarVisible)
    return;
  SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
  info.nMax = std::max(0, box.VertRange() - 1);
  info.nPage = static_cast<UINT>(std::max(0, box.Bounds().Height));
  info.nPos = box.VertScrollPos();
  SetScrollInfo(peer.Window, SB_VERT, &info, TRUE);
}

void FirstSyncScrollBox(TWin32Peer &peer, TControl &control) {
  SyncScrollInfo(peer, static_cast<TScrollBox &>(control));
}

bool SyncScrollBox(TWin32Peer &peer, TControl &control, TProperty property) {
  auto &box = static_cast<TScrollBox &>(control);
  if (property == TProperty::Position) {
    SyncScrollInfo(peer, box);
    // The children moved: what shows of the windowless ones is painted anew.
    InvalidateRect(peer.Window, nullptr, FALSE);
    return true;
  }
  if (property == TProperty::Bounds)
    SyncScrollInfo(peer, box); // a new page size; the window moves as any other
  return false;
}

// The box's own scroll bar (a notice from no child window).
void NotifyScrollBox(TControl &control, const TWin32Notice &notice) {
  if (notice.Message != WM_VSCROLL || notice.From)
    return;
  auto &box = static_cast<TScrollBox &>(control);
  switch (notice.Code) {
  case SB_LINEUP:
    return box.Scroll(TScrollRequest::srLineUp);
  case SB_LINEDOWN:
    return box.Scroll(TScrollRequest::srLineDown);
  case SB_PAGEUP:
    return box.Scroll(TScrollRequest::srPageUp);
  case SB_PAGEDOWN:
    return box.Scroll(TScrollRequest::srPageDown);
  case SB_TOP:
    return box.Scroll(TScrollRequest::srTop);
  case SB_BOTTOM:
    return box.Scroll(TScrollRequest::srBottom);
  case SB_THUMBTRACK:
  case SB_THUMBPOSITION: {
    SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    if (TWin32Peer *peer = PeerOf(control); peer && GetScrollInfo(peer->Window, SB_VERT, &info))
      box.Scroll(TScrollRequest::srThumb, info.nTrackPos);
    return;
  }
  default:
    return;
  }
}

void PreparePage(TControl &control, TWin32WindowStyles &) {
  if (control.Bounds().Width != 0)
    return;
  // A page fills its page control beside the tabs: below them, or left of
  // them when they stand on the right.
  const TControl &owner = *control.Parent();
  const TRect &b = owner.Bounds();
  if (owner.Kind() == TKind::ckNotebook) {
    control.SetBounds(0, 0, b.Width, b.Height);
  } else if (static_cast<const TPageControl &>(owner).TabPosition == TPageControl::TTabPosition::Right) {
    control.SetBounds(0, 0, std::max(0, b.Width - TPageControl::kTabsExtent), b.Height);
  } else {
    const int top = TPageControl::kTabsExtent;
    control.SetBounds(0, top, b.Width, std::max(0, b.Height - top));
  }
}

void FirstSyncPage(TWin32Peer &peer, TControl &) {
  // Above its page control's tab strip, which would otherwise paint its
  // empty display area over the page.
  SetWindowPos(peer.Window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool SyncPage(TWin32Peer &, TControl &control, TProperty property) {
  // A page's caption is its tab's text; the page's own window keeps it too.
  if (property == TProperty::Caption && control.Parent() && control.Parent()->Peer())
    control.Parent()->Peer()->Changed(*control.Parent(), TProperty::Pages);
  return false;
}

// The tab strip fills the page control; tabs on the right get more room at
// their ends (the chosen tab is drawn a little larger and covered the last
// letter of the tab above it).
void LayoutTabStrip(TWin32Peer &peer, const TPageControl &pages, HWND tabs) {
  const TRect &b = pages.Bounds();
  MoveWindowTo(tabs, {0, 0, b.Width, b.Height});
  if (pages.TabPosition == TPageControl::TTabPosition::Right) {
    const TDisplayScale scale = peer.Scale();
    SendMessageA(tabs, TCM_SETPADDING, 0, MAKELPARAM(scale.ToDevice(10), scale.ToDevice(3)));
  }
}

bool SyncPageControl(TWin32Peer &peer, TControl &control, TProperty property) {
  auto &pages = static_cast<TPageControl &>(control);
  HWND tabs = peer.ItemWindows.empty() ? nullptr : peer.ItemWindows.front();
  if (property == TProperty::Bounds) {
    MoveWindowTo(peer.Window, pages.Bounds());
    if (tabs)
      LayoutTabStrip(peer, pages, tabs);
    return true;
  }
  if (property != TProperty::Pages && property != TProperty::ActivePage)
    return false;
  if (!tabs)
    return true;
  if (property == TProperty::Pages) {
    std::vector<std::string> captions;
    for (int i = 0; i < pages.PageCount(); ++i)
      captions.push_back(pages.Page(i).Caption());
    SetTabs(tabs, captions);
  }
  TabCtrl_SetCurSel(tabs, pages.ActivePageIndex());
  return true;
}

void FirstSyncPageControl(TWin32Peer &peer, TControl &control) {
  const TRect &b = control.Bounds();
  // Tabs on the right need the vertical, multi-line style; the tab control
  // then turns their text itself.
  auto &pages = static_cast<TPageControl &>(control);
  const bool right = pages.TabPosition == TPageControl::TTabPosition::Right;
  const DWORD side = right ? TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE : 0;
  const TDisplayScale scale = peer.Scale();
  HWND tabs = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | side, 0, 0,
                              scale.ToDevice(b.Width), scale.ToDevice(b.Height), peer.Window, nullptr, InstanceOf(peer.Window),
                              nullptr);
  SendMessageA(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(peer.Font), FALSE);
  LayoutTabStrip(peer, pages, tabs);
  peer.ItemWindows.push_back(tabs);
  SyncPageControl(peer, control, TProperty::Pages);
}

void NotifyPageControl(TControl &control, const TWin32Notice &notice) {
  if (IsTabChange(notice))
    static_cast<TPageControl &>(control).SetActivePageIndex(TabCtrl_GetCurSel(notice.From));
}

// --- pictures painted by their parent -------------------------------------------

void FirstSyncImage(TWin32Peer &peer, TControl &control) {
  auto &image = static_cast<TImage &>(control);
  if (image.Bitmap.Handle)
    return;
  // The bitmap shown before (another picture, or drawn for another scale)
  // is drawn no more.
  for (HGDIOBJ shown : peer.Pictures)
    DeleteObject(shown);
  peer.Pictures.clear();
  if (image.Picture.empty())
    return;
  // On a display of a larger scale the picture drawn for its nearest scale,
  // where the program has one.
  HDC screen = GetDC(nullptr);
  const int depth = screen ? GetDeviceCaps(screen, BITSPIXEL) : 24;
  if (screen)
    ReleaseDC(nullptr, screen);
  if (TCanvasBitmap scaled = LoadScaledPicture(GetModuleHandleA(nullptr), image.Picture,
                                               peer.Scale().SkinPercent(), ColorLevelForDepth(depth));
      scaled.Handle) {
    peer.Pictures.push_back(static_cast<HGDIOBJ>(const_cast<void *>(scaled.Handle)));
    image.Bitmap = scaled;
    peer.Repaint(control);
    return;
  }
  // A bitmap resource of the program, else a bitmap file of that name.
  HANDLE picture = LoadImageA(GetModuleHandleA(nullptr), image.Picture.c_str(), IMAGE_BITMAP, 0, 0,
                              LR_CREATEDIBSECTION);
  if (!picture)
    picture = LoadImageA(nullptr, image.Picture.c_str(), IMAGE_BITMAP, 0, 0,
                         LR_CREATEDIBSECTION | LR_LOADFROMFILE);
  if (!picture)
    return;
  BITMAP info{};
  GetObjectA(picture, sizeof info, &info);
  peer.Pictures.push_back(static_cast<HGDIOBJ>(picture));
  image.Bitmap = TCanvasBitmap{picture, image.Picture, info.bmWidth, info.bmHeight, nullptr};
  peer.Repaint(control);
}

bool SyncImage(TWin32Peer &peer, TControl &control, TProperty property) {
  if (property == TProperty::Picture)
    FirstSyncImage(peer, control); // a picture set after the first one
  return SyncPainted(peer, control, property);
}

// --- the table ------------------------------------------------------------------

using enum TWindowText;

constexpr TWin32ControlKind kContainer{
    .Kind = TKind::ckPanel, .WindowClass = kContainerClass, .Style = WS_CLIPCHILDREN};
constexpr TWin32ControlKind kPainted{.Kind = TKind::ckOther, .Sync = SyncPainted};

const TWin32ControlKind kKinds[] = {
    {.Kind = TKind::ckForm, .WindowClass = kGenericFormClass, .Sync = SyncForm},
    // Containers of our own class: child windows inside, windowless children painted on them.
    {.Kind = TKind::ckPanel, .WindowClass = kContainerClass, .Style = WS_CLIPCHILDREN},
    {.Kind = TKind::ckPage, .WindowClass = kContainerClass, .Style = WS_CLIPCHILDREN,
     .Prepare = PreparePage, .FirstSync = FirstSyncPage, .Sync = SyncPage},
    {.Kind = TKind::ckNotebook, .WindowClass = kContainerClass, .Style = WS_CLIPCHILDREN},
    {.Kind = TKind::ckPageControl, .WindowClass = kContainerClass, .Style = WS_CLIPCHILDREN,
     .FirstSync = FirstSyncPageControl, .Sync = SyncPageControl, .Notify = NotifyPageControl},
    {.Kind = TKind::ckScrollBox, .WindowClass = kContainerClass,
     .Style = WS_VSCROLL | WS_CLIPCHILDREN, .Prepare = PrepareScrollBox,
     .FirstSync = FirstSyncScrollBox, .Sync = SyncScrollBox, .Notify = NotifyScrollBox},
    {.Kind = TKind::ckRadioGroup, .WindowClass = kContainerClass, .Style = WS_CLIPCHILDREN,
     .FirstSync = FirstSyncRadioGroup, .Sync = SyncRadioGroup, .Notify = NotifyRadioGroup},
    // Standard and common controls.
    {.Kind = TKind::ckButton, .WindowClass = "BUTTON", .Style = WS_TABSTOP,
     .Prepare = PrepareButton, .Notify = NotifyClicked},
    {.Kind = TKind::ckBitButton, .WindowClass = "BUTTON", .Style = WS_TABSTOP,
     .Prepare = PrepareButton, .Notify = NotifyClicked},
    // Check boxes and radio buttons are not automatic: the model decides.
    {.Kind = TKind::ckCheckBox, .WindowClass = "BUTTON", .Style = WS_TABSTOP | BS_CHECKBOX,
     .FirstSync = FirstSyncCheck, .Sync = SyncCheck, .Notify = NotifyClicked},
    {.Kind = TKind::ckRadioButton, .WindowClass = "BUTTON", .Style = WS_TABSTOP | BS_RADIOBUTTON,
     .FirstSync = FirstSyncCheck, .Sync = SyncCheck, .Notify = NotifyClicked},
    {.Kind = TKind::ckGroupBox, .WindowClass = "BUTTON", .Style = BS_GROUPBOX},
    {.Kind = TKind::ckEdit, .WindowClass = "EDIT", .Style = WS_TABSTOP | ES_AUTOHSCROLL,
     .ExStyle = WS_EX_CLIENTEDGE, .Text = wtEditText, .Prepare = PrepareEdit,
     .Sync = SyncEditText, .Notify = NotifyEditChanged},
    // A multi-line edit, so its formatting rectangle can leave room for the arrows.
    {.Kind = TKind::ckSpinner, .WindowClass = "EDIT",
     .Style = WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL | WS_CLIPCHILDREN,
     .ExStyle = WS_EX_CLIENTEDGE, .Text = wtEditText, .Prepare = PrepareEdit,
     .FirstSync = FirstSyncSpinner, .Sync = SyncEditText, .Notify = NotifyEditChanged},
    {.Kind = TKind::ckRichEdit, .WindowClass = "RichEdit20A",
     .Style = WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, .ExStyle = WS_EX_CLIENTEDGE,
     .Text = wtEditText, .FirstSync = FirstSyncRichEdit, .Sync = SyncRichEdit,
     .Notify = NotifyEditChanged},
    {.Kind = TKind::ckListBox, .WindowClass = "LISTBOX",
     .Style = WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
     .ExStyle = WS_EX_CLIENTEDGE, .Text = wtNone, .FirstSync = FirstSyncList<kListBox>,
     .Sync = SyncList<kListBox>, .Notify = NotifyList<kListBox>},
    {.Kind = TKind::ckComboBox, .WindowClass = "COMBOBOX",
     .Style = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, .Text = wtNone,
     .FirstSync = FirstSyncList<kComboBox>, .Sync = SyncList<kComboBox>,
     .Notify = NotifyList<kComboBox>},
    {.Kind = TKind::ckTabSet, .WindowClass = WC_TABCONTROLA, .Style = WS_TABSTOP, .Text = wtNone,
     .FirstSync = FirstSyncTabSet, .Sync = SyncTabSet, .Notify = NotifyTabSet},
    {.Kind = TKind::ckTrackBar, .WindowClass = TRACKBAR_CLASSA,
     .Style = WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS, .FirstSync = FirstSyncTrackBar,
     .Sync = SyncTrackBar, .Notify = NotifyTrackBar},
    {.Kind = TKind::ckGauge, .WindowClass = PROGRESS_CLASSA, .FirstSync = FirstSyncGauge,
     .Sync = SyncGauge},
    {.Kind = TKind::ckStatusBar, .WindowClass = STATUSCLASSNAMEA,
     .Style = CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, .Text = wtNone,
     .FirstSync = FirstSyncStatusBar, .Sync = SyncStatusBar},
    {.Kind = TKind::ckTreeView, .WindowClass = WC_TREEVIEWA,
     .Style = WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
     .ExStyle = WS_EX_CLIENTEDGE, .FirstSync = FirstSyncTreeView, .Sync = SyncTreeView,
     .Notify = NotifyTreeView},
    // Painted by their parent through the canvas (TControl::Paint); the
    // parent's window routes the mouse to them.
    {.Kind = TKind::ckLabel, .Sync = SyncPainted},
    {.Kind = TKind::ckSpeedButton, .Sync = SyncPainted},
    {.Kind = TKind::ckImage, .FirstSync = FirstSyncImage, .Sync = SyncImage},
    {.Kind = TKind::ckShape, .Sync = SyncPainted},
    {.Kind = TKind::ckSkinnedButton, .Sync = SyncPainted},
};

} // namespace

const TWin32ControlKind &ControlKindOf(const TControl &control) {
  const bool painted = control.Windowless();
  for (const TWin32ControlKind &row : kKinds)
    if (row.Kind == control.Kind() && row.PaintedByParent() == painted)
      return row;
  return painted ? kPainted : kContainer;
}
