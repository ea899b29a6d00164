#include "ui/win32/Win32Spinner.h"

#include "platform/win32/Win32DisplayScale.h"
#include "ui/kit/Spinner.h"
#include "ui/win32/Win32Peer.h"

namespace {

constexpr char kArrowsClass[] = "MovaroSpinArrows";
constexpr char kEditProcProp[] = "MovaroSpinnerEditProc";
constexpr char kArrowsProp[] = "MovaroSpinnerArrows";
constexpr LONG_PTR kNoneHeld = 0, kUpperHeld = 1, kLowerHeld = 2;

// None while the spinner's window is being destroyed (the peer takes the
// control's property away first).
TSpinner *SpinnerOf(HWND edit) { return static_cast<TSpinner *>(GetPropA(edit, kControlProp)); }

void Layout(HWND edit) {
  // The model lays the arrows out in design units.
  RECT client;
  GetClientRect(edit, &client);
  const TDisplayScale scale = DisplayScaleOf(edit);
  const int width = scale.ToDesign(client.right), height = scale.ToDesign(client.bottom);
  if (auto arrows = static_cast<HWND>(GetPropA(edit, kArrowsProp)))
    MoveWindowTo(arrows, TSpinner::ArrowsBounds(width, height));
  const TCanvasRect f = scale.ToDevice(TSpinner::FormattingRect(width, height));
  RECT format{f.Left, f.Top, f.Right, f.Bottom};
  SendMessageA(edit, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&format));
}

LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(GetPropA(edit, kEditProcProp));
  if (!previous)
    return DefWindowProcA(edit, message, wParam, lParam);
  TSpinner *spinner = SpinnerOf(edit);
  switch (message) {
  case WM_KEYDOWN:
    if (spinner && (wParam == VK_UP || wParam == VK_DOWN))
      spinner->KeyDown(static_cast<int>(wParam));
    break; // then the edit's own handling
  case WM_CHAR:
    if (spinner && !spinner->KeyPress(static_cast<char>(wParam)))
      return 0;
    break;
  case WM_CUT:
  case WM_PASTE:
  case WM_CLEAR:
    if (spinner && !spinner->CanCutOrPaste())
      return 0;
    break;
  case WM_SETFOCUS: {
    LRESULT result = CallWindowProcA(previous, edit, message, wParam, lParam);
    if (spinner && spinner->SelectAllOnFocus(GetKeyState(VK_LBUTTON) < 0))
      SendMessageA(edit, EM_SETSEL, 0, -1);
    return result;
  }
  case WM_KILLFOCUS: {
    LRESULT result = CallWindowProcA(previous, edit, message, wParam, lParam);
    if (spinner)
      spinner->FocusLeft();
    return result;
  }
  case WM_SIZE: {
    LRESULT result = CallWindowProcA(previous, edit, message, wParam, lParam);
    Layout(edit);
    return result;
  }
  case WM_NCDESTROY:
    SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    RemovePropA(edit, kEditProcProp);
    RemovePropA(edit, kArrowsProp);
    break;
  }
  return CallWindowProcA(previous, edit, message, wParam, lParam);
}

void PaintArrows(HWND arrows) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(arrows, &paint);
  RECT r;
  GetClientRect(arrows, &r);
  const LONG_PTR held = GetWindowLongPtrA(arrows, GWLP_USERDATA);
  const int middle = r.bottom / 2;
  RECT upper{0, 0, r.right, middle}, lower{0, middle, r.right, r.bottom};
  const UINT disabled = IsWindowEnabled(GetParent(arrows)) ? 0 : DFCS_INACTIVE;
  DrawFrameControl(dc, &upper, DFC_SCROLL,
                   DFCS_SCROLLUP | disabled | (held == kUpperHeld ? DFCS_PUSHED : 0));
  DrawFrameControl(dc, &lower, DFC_SCROLL,
                   DFCS_SCROLLDOWN | disabled | (held == kLowerHeld ? DFCS_PUSHED : 0));
  EndPaint(arrows, &paint);
}

// Ends a held arrow: the model stops repeating and the arrow comes up.
void ReleaseArrow(HWND arrows) {
  if (GetWindowLongPtrA(arrows, GWLP_USERDATA) == kNoneHeld)
    return;
  SetWindowLongPtrA(arrows, GWLP_USERDATA, kNoneHeld);
  InvalidateRect(arrows, nullptr, FALSE);
  if (TSpinner *spinner = SpinnerOf(GetParent(arrows)))
    spinner->ArrowRelease();
}

LRESULT CALLBACK ArrowsProc(HWND arrows, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND edit = GetParent(arrows);
  switch (message) {
  case WM_PAINT:
    PaintArrows(arrows);
    return 0;
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK: {
    TSpinner *spinner = SpinnerOf(edit);
    if (!spinner || !spinner->CanUse())
      return 0;
    if (GetFocus() != edit)
      SetFocus(edit); // the arrows work for the edit, which keeps the focus
    RECT r;
    GetClientRect(arrows, &r);
    const bool upper = static_cast<short>(HIWORD(lParam)) < r.bottom / 2;
    SetCapture(arrows);
    SetWindowLongPtrA(arrows, GWLP_USERDATA, upper ? kUpperHeld : kLowerHeld);
    InvalidateRect(arrows, nullptr, FALSE);
    if ((spinner = SpinnerOf(edit))) // the focus change may have ended it
      spinner->ArrowPress(upper);
    return 0;
  }
  case WM_LBUTTONUP:
    ReleaseArrow(arrows);
    if (GetCapture() == arrows)
      ReleaseCapture();
    return 0;
  case WM_CAPTURECHANGED:
    ReleaseArrow(arrows);
    return 0;
  }
  return DefWindowProcA(arrows, message, wParam, lParam);
}

bool RegisterArrowsClass(HINSTANCE instance) {
  WNDCLASSA known;
  if (GetClassInfoA(instance, kArrowsClass, &known))
    return true;
  WNDCLASSA c{};
  c.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  c.lpfnWndProc = ArrowsProc;
  c.hInstance = instance;
  c.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  c.lpszClassName = kArrowsClass;
  return RegisterClassA(&c) != 0;
}

} // namespace

void FirstSyncSpinner(TWin32Peer &peer, TControl &) {
  HWND edit = peer.Window;
  auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(edit, GWLP_HINSTANCE));
  if (RegisterArrowsClass(instance)) {
    HWND arrows = CreateWindowExA(0, kArrowsClass, "", WS_CHILD | WS_VISIBLE, 0, 0,
                                  TSpinner::kArrowsWidth, 17, edit, nullptr, instance, nullptr);
    SetPropA(edit, kArrowsProp, arrows);
  }
  SetPropA(edit, kEditProcProp,
           reinterpret_cast<HANDLE>(SetWindowLongPtrA(edit, GWLP_WNDPROC,
                                                      reinterpret_cast<LONG_PTR>(EditProc))));
  Layout(edit);
}
