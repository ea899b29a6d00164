#include "ui/win32/Win32ContainerWindow.h"

#include "platform/win32/GdiCanvas.h"
#include "platform/win32/Win32DisplayScale.h"
#include "ui/Forms.h"
#include "ui/MouseRouter.h"
#include "ui/win32/Win32Accessible.h"
#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32Peer.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

TControl *ChildControl(HWND child) {
  return child ? TWin32Application::ControlOf(child) : nullptr;
}

// A notification from a child window goes to the child's control, or, from a
// window the container made itself (a radio group's button, a page
// control's tabs), to the container.
void Notify(TControl &self, const TWin32Notice &notice) {
  TControl *target = ChildControl(notice.From);
  if (!target)
    target = &self;
  TWin32Peer *peer = PeerOf(*target);
  if (!peer || peer->Updating || !peer->Kind.Notify)
    return; // the window is being set from the model, or the kind has nothing to say
  peer->Kind.Notify(*target, notice);
}

// The windowless control the form of a container keeps the focus for.
TControl *KeptFocus(TControl &self) {
  TControl *root = &self;
  while (root->Parent())
    root = root->Parent();
  auto *form = dynamic_cast<TWinControl *>(root);
  return form ? form->HeadlessFocus() : nullptr;
}

void Paint(HWND window, TControl &self) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  const TDisplayScale scale = DisplayScaleOf(window);
  {
    TGdiCanvas canvas(dc, scale);
    RECT client;
    GetClientRect(window, &client);
    canvas.Brush.Color = self.Color();
    canvas.FillRect(scale.DesignRectCovering({client.left, client.top, client.right, client.bottom}));
    if (auto *container = dynamic_cast<TWinControl *>(&self))
      for (TControl *child : container->Controls())
        if (child->Windowless() && child->Visible())
          child->Paint(canvas);
  }
  // The focus of a windowless control, as the system marks a focused button.
  if (TControl *focused = KeptFocus(self); focused && focused->Parent() == &self &&
                                           focused->Visible() && focused->Focused()) {
    RECT r = ClientRectOf(focused->Bounds(), scale);
    InflateRect(&r, -1, -1);
    SetTextColor(dc, 0);
    SetBkColor(dc, 0xFFFFFF);
    DrawFocusRect(dc, &r);
  }
  EndPaint(window, &paint);
}

TMouseButton ButtonOf(UINT message) {
  switch (message) {
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
  case WM_LBUTTONUP:
    return TMouseButton::mbLeft;
  case WM_MBUTTONDOWN:
  case WM_MBUTTONDBLCLK:
  case WM_MBUTTONUP:
    return TMouseButton::mbMiddle;
  default:
    return TMouseButton::mbRight;
  }
}

// The windowless controls get the mouse through the backend's one router;
// the window that a press starts in keeps the mouse until the release.
TMouseRouter &Router() {
  static TMouseRouter router;
  static bool wired = [] {
    router.OnCapture = [](TWinControl &container) {
      if (HWND window = TWin32Application::WindowOf(container))
        SetCapture(window);
    };
    router.OnReleaseCapture = [] { ReleaseCapture(); };
    return true;
  }();
  (void)wired;
  return router;
}

// Asks for WM_MOUSELEAVE when the pointer leaves the window (or enters one
// of its child windows), so the control it was over hears that it left.
void TrackLeave(HWND window) {
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
  TrackMouseEvent(&track);
}

// Moved to a monitor of another scale (Windows 10, aware of each monitor's
// scale): the window takes the rectangle the system suggests, and every
// window inside it its bounds and font at the new scale (a page control's
// tab strip, a radio group's frame and buttons, a status bar's panels);
// every picture the backend loaded becomes the one drawn for the new
// scale's nearest, the one before freed. The application hears of the move
// first, so pictures the program chose for the scale (skins) are chosen
// again before the windows are laid out.
void Rescale(TWinControl &container) {
  for (TControl *child : container.Controls()) {
    TWin32Peer *peer = PeerOf(*child);
    if (peer && peer->Window) {
      peer->Changed(*child, TProperty::Bounds);
      peer->Changed(*child, TProperty::Font);
      if (child->Kind() == TComponentKind::ckStatusBar)
        peer->Changed(*child, TProperty::Panels); // their widths
    } else if (auto *image = dynamic_cast<TImage *>(child);
               peer && image && !image->Picture.empty() && image->Bitmap.Handle) {
      image->Bitmap = {};
      peer->Changed(*child, TProperty::Picture);
    }
    if (auto *inner = dynamic_cast<TWinControl *>(child))
      Rescale(*inner);
  }
}

// Shows the cursor the router chooses at a point of the container; false
// when that is the window's own.
bool ShowCursorAt(TWinControl &container, int x, int y) {
  int number = Router().CursorAt(container, x, y);
  HCURSOR cursor = number != crDefault ? TWin32Application::CursorOf(number) : nullptr;
  if (!cursor)
    return false;
  SetCursor(cursor);
  return true;
}

// The palette a form's controls want on a display of 256 colours or fewer.
const void *WantedPalette(const TWinControl &container) {
  for (const TControl *child : container.Controls()) {
    if (const void *palette = child->Palette())
      return palette;
    if (auto *inner = dynamic_cast<const TWinControl *>(child))
      if (const void *palette = WantedPalette(*inner))
        return palette;
  }
  return nullptr;
}

// Realises the form's palette; when that maps colours anew, everything is
// painted again with them. True when the form has a palette.
bool RealizeFormPalette(HWND window, const TWinControl &form, bool foreground) {
  const void *palette = WantedPalette(form);
  if (!palette)
    return false;
  HDC dc = GetDC(window);
  HPALETTE old = SelectPalette(dc, static_cast<HPALETTE>(const_cast<void *>(palette)), !foreground);
  if (RealizePalette(dc) > 0)
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  SelectPalette(dc, old, TRUE);
  ReleaseDC(window, dc);
  return true;
}

} // namespace

void EndPointerTracking(HWND window) {
  TRACKMOUSEEVENT current{sizeof current, TME_QUERY, nullptr, 0};
  if (!TrackMouseEvent(&current) || !(current.dwFlags & TME_LEAVE) || !current.hwndTrack)
    return;
  HWND tracked = current.hwndTrack;
  if (tracked != window && !IsChild(window, tracked))
    return;
  TRACKMOUSEEVENT cancel{sizeof cancel, TME_CANCEL | TME_LEAVE, tracked, 0};
  TrackMouseEvent(&cancel);
  SendMessageA(tracked, WM_MOUSELEAVE, 0, 0);
}

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TControl *self = TWin32Application::ControlOf(window);
  if (!self)
    return DefWindowProcA(window, message, wParam, lParam);
  // The mouse in design units, as the model places its controls.
  const TDisplayScale scale = DisplayScaleOf(window);
  const int x = scale.ToDesign(static_cast<short>(LOWORD(lParam))),
            y = scale.ToDesign(static_cast<short>(HIWORD(lParam)));
  auto *container = dynamic_cast<TWinControl *>(self);
  switch (message) {
  case WM_ERASEBKGND:
    return 1; // WM_PAINT fills the whole client area
  case WM_PAINT:
    Paint(window, *self);
    return 0;
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
  case WM_COMMAND:
    if (lParam == 0) { // a menu command
      auto *application = dynamic_cast<TWin32Application *>(ApplicationOf(*self));
      if (application && HIWORD(wParam) == 0)
        application->RunMenuCommand(LOWORD(wParam));
      return 0;
    }
    Notify(*self, {WM_COMMAND, HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam)});
    return 0;
  case WM_NOTIFY: {
    auto *header = reinterpret_cast<NMHDR *>(lParam);
    Notify(*self,
           {WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom), header->hwndFrom, header});
    return 0;
  }
  case WM_HSCROLL:
  case WM_VSCROLL:
    Notify(*self, {message, LOWORD(wParam), 0, reinterpret_cast<HWND>(lParam)});
    return 0;
  case WM_MOUSEWHEEL: {
    // The system sends the wheel to the focused window; a standard control
    // there passes it on to us. The model then offers it to the focused
    // control and its parents in turn.
    TControl *focused = nullptr;
    if (HWND focus = GetFocus(); focus && IsChild(window, focus))
      focused = ChildControl(focus);
    RouteMouseWheel(focused ? *focused : *self, GET_WHEEL_DELTA_WPARAM(wParam));
    return 0;
  }
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
  case WM_RBUTTONDBLCLK:
  case WM_MBUTTONDBLCLK:
    if (container) {
      const bool twice = message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK ||
                         message == WM_MBUTTONDBLCLK;
      Router().Down(*container, ButtonOf(message), x, y, twice);
    }
    return 0;
  case WM_LBUTTONUP:
  case WM_RBUTTONUP:
  case WM_MBUTTONUP:
    if (container)
      Router().Up(*container, ButtonOf(message), x, y);
    return 0;
  case WM_MOUSEMOVE:
    if (container) {
      TrackLeave(window);
      Router().Move(*container, x, y);
      ShowCursorAt(*container, x, y); // the move may have changed the control's cursor
    }
    return 0;
  case WM_MOUSELEAVE:
    if (container)
      Router().Left(*container);
    return 0;
  case WM_CAPTURECHANGED:
    if (reinterpret_cast<HWND>(lParam) != window)
      Router().CaptureLost();
    return 0;
  case WM_SETCURSOR:
    if (container && reinterpret_cast<HWND>(wParam) == window && LOWORD(lParam) == HTCLIENT) {
      POINT at;
      GetCursorPos(&at);
      ScreenToClient(window, &at);
      if (ShowCursorAt(*container, scale.ToDesign(at.x), scale.ToDesign(at.y)))
        return TRUE;
    }
    break;
  case WM_QUERYNEWPALETTE:
    if (container && self->Kind() == TComponentKind::ckForm)
      return RealizeFormPalette(window, *container, true);
    break;
  case WM_PALETTECHANGED:
    if (container && self->Kind() == TComponentKind::ckForm &&
        reinterpret_cast<HWND>(wParam) != window)
      RealizeFormPalette(window, *container, false);
    return 0;
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
    // The focus mark of the windowless control comes and goes with the form's focus.
    if (TControl *focused = KeptFocus(*self); focused && self->Kind() == TComponentKind::ckForm) {
      focused->Invalidate();
      if (message == WM_SETFOCUS && focused->Focused() && focused->Parent())
        if (HWND parent = TWin32Application::WindowOf(*focused->Parent()))
          NotifyWindowlessFocus(parent, *focused);
    }
    return 0;
  case WM_DPICHANGED:
    if (container && self->Kind() == TComponentKind::ckForm) {
      const RECT &suggested = *reinterpret_cast<const RECT *>(lParam);
      KeepReportedScale(window, LOWORD(wParam));
      auto *form = static_cast<TForm *>(self);
      form->Application().FormScaleChanged(*form, LOWORD(wParam));
      SetWindowPos(window, nullptr, suggested.left, suggested.top,
                   suggested.right - suggested.left, suggested.bottom - suggested.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      if (TWin32Peer *peer = PeerOf(*self))
        peer->SyncFont(*self);
      Rescale(*container);
      InvalidateRect(window, nullptr, TRUE);
    }
    return 0;
  case WM_SETTINGCHANGE:
  case WM_SYSCOLORCHANGE:
    // High contrast turned on or off, or its colours changed: every form
    // hears it, the first one reads it.
    if (self->Kind() == TComponentKind::ckForm &&
        (message == WM_SYSCOLORCHANGE || wParam == SPI_SETHIGHCONTRAST)) {
      ReadSystemContrast();
      RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    break;
  case WM_GETOBJECT:
    if (LRESULT answer = AnswerGetObject(window, wParam, lParam))
      return answer;
    break;
  case WM_CLOSE:
    if (self->Kind() == TComponentKind::ckForm)
      static_cast<TForm *>(self)->Close();
    return 0;
  case WM_ACTIVATE:
    if (LOWORD(wParam) == WA_INACTIVE && self->Kind() == TComponentKind::ckForm) {
      auto *form = static_cast<TForm *>(self);
      if (form->OnDeactivate)
        form->OnDeactivate(*form);
    }
    break;
  case WM_QUERYENDSESSION:
    return TRUE; // the program never holds up a log-off: it saves at WM_ENDSESSION
  case WM_ENDSESSION:
    if (wParam && self->Kind() == TComponentKind::ckForm) {
      auto *form = static_cast<TForm *>(self);
      if (form->OnEndSession)
        form->OnEndSession(*form);
    }
    return 0;
  case WM_DESTROY:
    RemovePropA(window, kControlProp);
    ForgetReportedScale(window);
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
