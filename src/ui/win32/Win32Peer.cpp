#include "ui/win32/Win32Peer.h"

#include "platform/win32/GdiCanvas.h"
#include "platform/win32/Win32DisplayScale.h"
#include "ui/Forms.h"
#include "ui/win32/Win32Accessible.h"
#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32ContainerWindow.h"

#include <algorithm>

TWin32Peer *PeerOf(const TControl &control) { return static_cast<TWin32Peer *>(control.Peer()); }

RECT ClientRectOf(const TRect &r, const TDisplayScale &scale) {
  const TCanvasRect device = scale.ToDevice({r.Left, r.Top, r.Left + r.Width, r.Top + r.Height});
  return RECT{device.Left, device.Top, device.Right, device.Bottom};
}

void MoveWindowTo(HWND window, const TRect &bounds) {
  const RECT r = ClientRectOf(bounds, DisplayScaleOf(window));
  MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(length + 1, '\0');
  GetWindowTextA(window, text.data(), length + 1);
  text.resize(std::max(0, length));
  return text;
}

RECT FormWindowRect(const TRect &client, DWORD style, bool menu, DWORD exStyle,
                    const TDisplayScale &scale) {
  const RECT at = ClientRectOf(client, scale);
  RECT r{0, 0, at.right - at.left, at.bottom - at.top};
  AdjustWindowRectEx(&r, style, menu, exStyle);
  return RECT{at.left, at.top, at.left + r.right - r.left, at.top + r.bottom - r.top};
}

TWin32Peer::~TWin32Peer() {
  for (HWND item : ItemWindows)
    DestroyWindow(item);
  if (Window) {
    // The control is partly destroyed already: the messages of the window's
    // end must not reach it.
    RemovePropA(Window, kControlProp);
    DestroyWindow(Window);
  }
  if (Font)
    DeleteObject(Font);
  for (HGDIOBJ picture : Pictures)
    DeleteObject(picture);
  if (ImageList)
    ImageList_Destroy(ImageList);
}

namespace {
HWND FormWindowOf(HWND parent) { return parent ? GetAncestor(parent, GA_ROOT) : nullptr; }

// The item window that takes the focus for its control: the checked radio
// button, or the first item (a page control's tab strip).
HWND FocusItem(const std::vector<HWND> &items) {
  for (HWND item : items)
    if (SendMessageA(item, BM_GETCHECK, 0, 0) == BST_CHECKED)
      return item;
  return items.empty() ? nullptr : items.front();
}
} // namespace

bool TWin32Peer::Focused() const {
  HWND focus = GetFocus();
  if (!Window)
    return focus && focus == FormWindowOf(ParentWindow);
  return focus && (focus == Window ||
                   std::find(ItemWindows.begin(), ItemWindows.end(), focus) != ItemWindows.end());
}

void TWin32Peer::SetFocus() {
  if (!Window) {
    HWND form = FormWindowOf(ParentWindow);
    // A form taking the focus now tells of its focused control itself.
    const bool formFocused = form && GetFocus() == form;
    if (form)
      ::SetFocus(form);
    // The control of this peer, for the screen reader following the focus.
    if (auto *parent = formFocused ? dynamic_cast<TWinControl *>(TWin32Application::ControlOf(ParentWindow))
                                   : nullptr)
      for (TControl *child : parent->Controls())
        if (child->Peer() == this && child->Focused())
          NotifyWindowlessFocus(ParentWindow, *child);
  } else if (HWND item = FocusItem(ItemWindows)) {
    ::SetFocus(item);
  } else {
    ::SetFocus(Window);
  }
}

TDisplayScale TWin32Peer::Scale() const { return DisplayScaleOf(Window ? Window : ParentWindow); }

void TWin32Peer::Repaint(TControl &control) {
  if (Window) {
    InvalidateRect(Window, nullptr, TRUE);
  } else if (ParentWindow) {
    RECT r = ClientRectOf(control.Bounds(), Scale());
    InvalidateRect(ParentWindow, &r, TRUE);
  }
}

void TWin32Peer::SyncFont(TControl &control) {
  if (!Window)
    return;
  const TFont &f = control.Font();
  HFONT made = TGdiCanvas::CreateFontFor(
      TCanvasFont{f.Name, f.Size, f.Bold, f.Italic, f.Underline, f.StrikeOut, f.Color}, Scale());
  SendMessageA(Window, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
  for (HWND item : ItemWindows)
    SendMessageA(item, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
  if (Font)
    DeleteObject(Font);
  Font = made;
}

void TWin32Peer::Changed(TControl &control, TProperty property) {
  Updating = true;
  bool handled = Kind.Sync && Kind.Sync(*this, control, property);
  if (!handled && Window) {
    switch (property) {
    case TProperty::Bounds:
      MoveWindowTo(Window, control.Bounds());
      break;
    case TProperty::Visible:
      if (!control.Visible())
        EndPointerTracking(Window);
      ShowWindow(Window, control.Visible() ? SW_SHOWNA : SW_HIDE);
      break;
    case TProperty::Enabled:
      EnableWindow(Window, control.Enabled());
      for (HWND item : ItemWindows)
        EnableWindow(item, control.Enabled());
      break;
    case TProperty::Caption:
      if (Kind.Text == TWindowText::wtCaption)
        SetWindowTextA(Window, control.Caption().c_str());
      break;
    case TProperty::Font:
      SyncFont(control);
      break;
    default:
      InvalidateRect(Window, nullptr, TRUE);
      break;
    }
  }
  Updating = false;
}
