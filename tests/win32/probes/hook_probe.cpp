// The activity monitor in a real window, fed by Movaro.dll:
//   hook_probe.exe READY_FILE COUNTS_FILE
// Loads Movaro.dll, starts tracing with the real clock, cursor, window timer
// and hooks, writes "ok" (or "failed") to READY_FILE, then rewrites
// COUNTS_FILE every 100 ms with the counters. Ends on WM_CLOSE or after 60 s.
#include "movaro/TraceEngine.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Input.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr UINT_PTR kTraceTimerId = 1, kReportTimerId = 2, kLifetimeTimerId = 3;

struct TProbe {
  std::unique_ptr<TWin32WindowTimer> Timer;
  std::unique_ptr<TWin32InputHooks> Hooks;
  TWin32Clock Clock;
  TWin32Cursor Cursor;
  TWin32FileSystem Files;
  std::unique_ptr<TTraceEngine> Engine;
  std::string CountsFile;
};
TProbe *g_probe = nullptr;

void WriteFileText(const std::string &path, const std::string &text) {
  std::string temporary = path + ".tmp";
  if (FILE *file = std::fopen(temporary.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
  }
}

void ReportCounts() {
  const TTraceEngine &engine = *g_probe->Engine;
  char line[200];
  std::snprintf(line, sizeof line, "keystrokes=%u moves=%u clicks=%u dclicks=%u wheel=%u global=%u\n",
                engine.InputCount(ttKeystrokes), engine.InputCount(ttMouseMoves),
                engine.InputCount(ttMouseClicks), engine.InputCount(ttMouseDClicks),
                engine.InputCount(ttMouseWheel), engine.InputCount(ttGlobalInput));
  WriteFileText(g_probe->CountsFile, line);
}

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_probe && g_probe->Engine && g_probe->Engine->HandleNotification(message, wParam, lParam))
    return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
  case WM_TIMER:
    if (wParam == kTraceTimerId)
      g_probe->Timer->OnTimerMessage();
    else if (wParam == kReportTimerId)
      ReportCounts();
    else if (wParam == kLifetimeTimerId)
      DestroyWindow(window);
    return 0;
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc < 3)
    return 2;
  std::string readyFile = __argv[1];
  TProbe probe;
  probe.CountsFile = __argv[2];
  g_probe = &probe;

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ProbeProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "MovaroHookProbe";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "MovaroHookProbe", "Hook probe", WS_POPUP, 0, 0, 10, 10,
                                nullptr, nullptr, instance, nullptr);
  HMODULE library = LoadLibraryA("Movaro.dll");
  TStartHookFn startHook;
  TStopHookFn stopHook;
  if (!window || !TWin32InputHooks::Resolve(library, startHook, stopHook)) {
    WriteFileText(readyFile, "failed: no window or no Movaro.dll\n");
    return 1;
  }
  probe.Timer = std::make_unique<TWin32WindowTimer>(window, kTraceTimerId);
  probe.Hooks = std::make_unique<TWin32InputHooks>(window, startHook, stopHook);
  probe.Engine = std::make_unique<TTraceEngine>(probe.Clock, probe.Cursor, *probe.Timer, *probe.Hooks,
                                                probe.Files);
  probe.Timer->SetHandler([&] { probe.Engine->TraceTick(); });
  probe.Engine->RememberCursorPosition();
  bool started = probe.Engine->StartTracing();
  ReportCounts();
  WriteFileText(readyFile, started ? "ok\n" : "failed: StartTracing\n");
  SetTimer(window, kReportTimerId, 100, nullptr);
  SetTimer(window, kLifetimeTimerId, 60000, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  bool stopped = probe.Engine->StopTracing();
  g_probe = nullptr;
  return started && stopped ? 0 : 1;
}
