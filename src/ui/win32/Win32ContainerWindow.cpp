#include "ui/win32/Win32ContainerWindow.h"

#include "platform/win32/GdiCanvas.h"
#include "ui/Forms.h"
#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32Peer.h"

namespace {

// The control pressed with the mouse in a container, until the button is up.
TControl *g_pressed = nullptr;

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

void Paint(HWND window, TControl &self) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  {
    TGdiCanvas canvas(dc);
    RECT client;
    GetClientRect(window, &client);
    canvas.Brush.Color = self.Color();
    canvas.FillRect({client.left, client.top, client.right, client.bottom});
    if (auto *container = dynamic_cast<TWinControl *>(&self))
      for (TControl *child : container->Controls())
        if (child->Windowless() && child->Visible())
          child->Paint(canvas);
  }
  EndPaint(window, &paint);
}

TMouseButton ButtonOf(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ? TMouseButton::mbLeft
                                                              : TMouseButton::mbRight;
}

// The windowless child under the mouse, or the container itself.
TControl &MouseTarget(TControl &self, int x, int y) {
  auto *container = dynamic_cast<TWinControl *>(&self);
  TControl *hit = container ? container->ControlAt(x, y) : nullptr;
  return hit && hit->Windowless() ? *hit : self;
}

void MouseDown(HWND window, TControl &self, UINT message, int x, int y) {
  TControl &target = MouseTarget(self, x, y);
  if (!target.CanUse())
    return;
  SetCapture(window);
  g_pressed = &target;
  if (target.OnMouseDown)
    target.OnMouseDown(target, ButtonOf(message), x, y);
}

void MouseUp(TControl &self, UINT message, int x, int y) {
  ReleaseCapture();
  TControl *pressed = g_pressed;
  g_pressed = nullptr;
  if (!pressed)
    return;
  if (pressed->OnMouseUp)
    pressed->OnMouseUp(*pressed, ButtonOf(message), x, y);
  // A windowless child released where it was pressed has been clicked.
  auto *container = dynamic_cast<TWinControl *>(&self);
  if (message == WM_LBUTTONUP && pressed != &self && container &&
      container->ControlAt(x, y) == pressed)
    pressed->Click();
}

void MouseMove(TControl &self, int x, int y) {
  TControl &target = g_pressed ? *g_pressed : MouseTarget(self, x, y);
  if (target.OnMouseMove)
    target.OnMouseMove(target, x, y);
}

} // namespace

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TControl *self = TWin32Application::ControlOf(window);
  if (!self)
    return DefWindowProcA(window, message, wParam, lParam);
  const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
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
    Notify(*self, {WM_HSCROLL, LOWORD(wParam), 0, reinterpret_cast<HWND>(lParam)});
    return 0;
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
    MouseDown(window, *self, message, x, y);
    return 0;
  case WM_LBUTTONUP:
  case WM_RBUTTONUP:
    MouseUp(*self, message, x, y);
    return 0;
  case WM_MOUSEMOVE:
    MouseMove(*self, x, y);
    return 0;
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
