// Movaro program entry. So far only the single-instance rule and an empty main
// window exist: a second start finds the first by its window class "Movaro" and
// posts it 0x1400 (show yourself) before ending.
#include <windows.h>

namespace {

constexpr char kWindowClass[] = "Movaro";
constexpr UINT kShowYourself = 0x1400;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case kShowYourself:
    ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    return 0;
  case WM_PAINT: {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT area;
    GetClientRect(window, &area);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, "Movaro: the main window is not built yet.", -1, &area,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(window, &paint);
    return 0;
  }
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  if (HWND running = FindWindowA(kWindowClass, nullptr)) {
    PostMessageA(running, kShowYourself, 0, 0);
    return 0;
  }
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = CreateSolidBrush(RGB(0xFC, 0xCA, 0x8F)); // 9423612
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassA(&windowClass))
    return 1;
  RECT bounds{0, 0, 640, 445};
  AdjustWindowRect(&bounds, WS_POPUP, FALSE);
  int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
  HWND window = CreateWindowExA(0, kWindowClass, "Movaro", WS_POPUP,
                                (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                                nullptr, nullptr, instance, nullptr);
  if (!window)
    return 1;
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
