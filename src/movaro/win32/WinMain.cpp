// Movaro program entry. A second start finds the running program by its main
// window's class and asks it to show itself (message 0x1400) before ending.
// Otherwise the entry builds the program's context on the real platform and
// runs the main window through the UI kit until it closes.
#include "movaro/MainForm.h"
#include "movaro/MovaroContext.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Input.h"
#include "platform/win32/Win32Locale.h"
#include "platform/win32/Win32Screen.h"
#include "ui/ComponentTimer.h"
#include "ui/PasswordDlg.h"
#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32Palettes.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (HWND running = FindWindowA(kMainWindowClass.c_str(), nullptr)) {
    PostMessageA(running, kShowYourselfMessage, 0, 0);
    return 0;
  }
  // The display's palette is chosen before the first window and kept to the end.
  TWin32Screen screen;
  TWin32Palettes palettes(instance, screen);
  TWin32Application application(instance);
  TMainForm mainForm(application);
  HWND window = application.Realize(mainForm);
  if (!window)
    return 1;

  // The hook library stays loaded for the life of the program; without it the
  // monitor cannot start its hooks, and the program still runs.
  HMODULE hookLibrary = LoadLibraryA("Movaro.dll");
  TStartHookFn startHook;
  TStopHookFn stopHook;
  TWin32InputHooks::Resolve(hookLibrary, startHook, stopHook);
  TWin32InputHooks hooks(window, startHook, stopHook);
  TWin32Clock clock;
  TWin32Cursor cursor;
  TWin32FileSystem files;
  TWin32Locale locale;
  TComponentTimer traceTimer(mainForm.TraceTimer);
  TMovaroContext context({clock, cursor, traceTimer, hooks, files, locale});
  context.Translator.PasswordPrompt = [&application] { return AskPassword(application); };
  mainForm.Bind(context);

  application.Run(mainForm);
  if (hookLibrary)
    FreeLibrary(hookLibrary);
  return 0;
}
