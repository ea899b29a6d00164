// A window of one known colour at a known place, for screenshot tests:
//   paint_probe.exe READY_FILE
// Paints a 200 x 150 window at 100,100 in RGB(32,128,224), writes READY_FILE once
// painted, and ends after 30 s or on WM_CLOSE.
#include <windows.h>

#include <cstdio>

namespace {
LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ProbeProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = CreateSolidBrush(RGB(32, 128, 224));
  windowClass.lpszClassName = "MovaroPaintProbe";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "MovaroPaintProbe", "Paint probe", WS_POPUP,
                                100, 100, 200, 150, nullptr, nullptr, instance, nullptr);
  if (!window)
    return 1;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  GdiFlush();
  if (commandLine && *commandLine) {
    if (FILE *ready = std::fopen(commandLine, "w"))
      std::fclose(ready);
  }
  SetTimer(window, 1, 30000, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER)
      DestroyWindow(window);
    DispatchMessageA(&message);
  }
  return 0;
}
