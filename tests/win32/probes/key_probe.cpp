// A window that writes down what is typed into it, for tests that check
// whether keys reach another program:
//   key_probe.exe LOG_FILE
// Shows a 200 x 150 window titled "Key probe" at 100,100 and appends every
// character it receives to LOG_FILE at once (the file exists, empty, once the
// window is on screen). Ends on WM_CLOSE or after 180 s.
#include <windows.h>

#include <cstdio>

namespace {
FILE *keyLog = nullptr;

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_CHAR:
    if (keyLog) {
      std::fputc(static_cast<int>(wParam & 0xFF), keyLog);
      std::fflush(keyLog);
    }
    return 0;
  case WM_TIMER:
    DestroyWindow(window);
    return 0;
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  default:
    return DefWindowProcA(window, message, wParam, lParam);
  }
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  if (!commandLine || !*commandLine)
    return 2;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ProbeProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = CreateSolidBrush(RGB(224, 224, 224));
  windowClass.lpszClassName = "MovaroKeyProbe";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "MovaroKeyProbe", "Key probe", WS_POPUP, 100, 100, 200, 150,
                                nullptr, nullptr, instance, nullptr);
  if (!window)
    return 1;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  keyLog = std::fopen(commandLine, "wb");
  if (!keyLog)
    return 3;
  SetTimer(window, 1, 180000, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  std::fclose(keyLog);
  return 0;
}
