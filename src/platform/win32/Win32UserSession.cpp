#include "platform/win32/Win32UserSession.h"

#include "base/win32/LibrarySearch.h"
#include "platform/win32/EntryPoint.h"

#include <string>

namespace {

constexpr char kWatchClass[] = "MovaroSessionWatch";
constexpr DWORD kNotifyForThisSession = 0;
constexpr int kRegisterTries = 120; // one a trace tick: the first two minutes
// The shell's notification states that mean "another program owns the screen".
constexpr int kStateBusy = 2, kStateD3dFullScreen = 3, kStatePresentation = 4;

using TRegister = BOOL(WINAPI *)(HWND window, DWORD flags);
using TUnregister = BOOL(WINAPI *)(HWND window);

} // namespace

TWin32UserSession::TWin32UserSession() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = &TWin32UserSession::WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWatchClass;
  RegisterClassA(&windowClass); // fails harmlessly when a session before registered it
  window_ = CreateWindowExA(0, kWatchClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                            nullptr);
  if (window_)
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  wtsLibrary_ = LoadSystemLibrary("wtsapi32.dll");
  TryRegister();
  shellLibrary_ = LoadSystemLibrary("shell32.dll");
  queryState_ = EntryPoint<TQueryNotificationState>(shellLibrary_, "SHQueryUserNotificationState");
}

TWin32UserSession::~TWin32UserSession() {
  if (registered_)
    if (auto unregister = EntryPoint<TUnregister>(wtsLibrary_, "WTSUnRegisterSessionNotification"))
      unregister(window_);
  if (window_)
    DestroyWindow(window_);
  if (wtsLibrary_)
    FreeLibrary(wtsLibrary_);
  if (shellLibrary_)
    FreeLibrary(shellLibrary_);
}

std::string TWin32UserSession::LogonUserName() {
  char name[257]; // the longest user name and its terminator
  DWORD size = sizeof name;
  if (!GetUserNameA(name, &size))
    return "";
  name[sizeof name - 1] = '\0';
  return name;
}

void TWin32UserSession::TryRegister() {
  auto registerWindow = EntryPoint<TRegister>(wtsLibrary_, "WTSRegisterSessionNotification");
  if (!registerWindow || !window_ || registerTries_ >= kRegisterTries)
    return;
  ++registerTries_;
  registered_ = registerWindow(window_, kNotifyForThisSession) != FALSE;
}

LRESULT CALLBACK TWin32UserSession::WindowProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  if (message == WM_WTSSESSION_CHANGE) {
    if (auto *session = reinterpret_cast<TWin32UserSession *>(GetWindowLongPtrA(window, GWLP_USERDATA)))
      session->SessionChanged(wParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void TWin32UserSession::SessionChanged(WPARAM change) {
  switch (change) {
  case WTS_SESSION_LOCK: locked_ = true; break;
  case WTS_SESSION_UNLOCK: locked_ = false; break;
  // Another user took the console (fast user switching) or the remote link
  // dropped; a connect of either kind gives the session a screen again.
  case WTS_CONSOLE_DISCONNECT:
  case WTS_REMOTE_DISCONNECT: switchedAway_ = true; break;
  case WTS_CONSOLE_CONNECT:
  case WTS_REMOTE_CONNECT: switchedAway_ = false; break;
  default: break;
  }
}

TSessionPresence TWin32UserSession::Presence() {
  // A program started with the logon may come before the session service,
  // which then refuses the registration for a while.
  if (!registered_)
    TryRegister();
  TSessionPresence presence;
  presence.Locked = locked_;
  presence.SwitchedAway = switchedAway_;
  BOOL running = FALSE;
  presence.ScreenSaver =
      SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) && running;
  presence.FullScreen = !presence.Away() && OtherProgramFullScreen();
  return presence;
}

bool TWin32UserSession::OtherProgramFullScreen() const {
  if (queryState_) {
    int state = 0;
    return SUCCEEDED(queryState_(&state)) &&
           (state == kStateBusy || state == kStateD3dFullScreen || state == kStatePresentation);
  }
  HWND foreground = GetForegroundWindow();
  DWORD process = 0;
  GetWindowThreadProcessId(foreground, &process);
  // The program's own blocking window covers the screen too.
  return process != GetCurrentProcessId() && WindowFillsItsMonitor(foreground);
}

bool WindowFillsItsMonitor(HWND window) {
  if (!window || !IsWindowVisible(window) || IsIconic(window) || window == GetDesktopWindow() ||
      window == GetShellWindow())
    return false;
  char className[16] = "";
  GetClassNameA(window, className, sizeof className);
  const std::string name = className;
  if (name == "Progman" || name == "WorkerW") // the desktop's icons and wallpaper
    return false;
  // A maximized window keeps its caption; a slide show, a film or a game has none.
  if ((GetWindowLongA(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION)
    return false;
  HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONULL);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  RECT bounds;
  if (!monitor || !GetMonitorInfoA(monitor, &info) || !GetWindowRect(window, &bounds))
    return false;
  return bounds.left <= info.rcMonitor.left && bounds.top <= info.rcMonitor.top &&
         bounds.right >= info.rcMonitor.right && bounds.bottom >= info.rcMonitor.bottom;
}
