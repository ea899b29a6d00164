// Kestrup program entry. One installer runs at a time: a second start finds
// the open wizard by its window class and asks it to come forward, or finds
// an installer still starting by its application title, and ends. The
// command line chooses the run: none installs with the wizard, "/silent"
// installs without a window, "uninstall" and the product's script copy
// uninstall (with "/silent" too: without a window); anything else ends at
// once. The exit code tells how the run ended (kestrup/RunRequest.h). A run
// for every user of the machine that lacks an administrator's rights asks
// for them first (kestrup/win32/Elevation.h).
#include "base/CommandLine.h"
#include "base/win32/LibrarySearch.h"
#include "kestrup/KestrupContext.h"
#include "kestrup/RunRequest.h"
#include "kestrup/SilentRun.h"
#include "kestrup/Startup.h"
#include "kestrup/win32/Elevation.h"
#include "kestrup/wizard/MainForm.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32DisplayScale.h"
#include "platform/win32/Win32DesktopWindows.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Locale.h"
#include "platform/win32/Win32ProfileFiles.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32Screen.h"
#include "ui/PasswordDlg.h"
#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32Palettes.h"

#include <windows.h>

namespace {

std::string OwnPath() {
  char path[MAX_PATH + 1] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length);
}

void SleepFor(uint32_t milliseconds) { Sleep(milliseconds); }

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  RestrictLibrarySearch();
  // Before any window or measuring canvas: they take the display's scale.
  DeclareDpiAware();
  TWin32DesktopWindows windows;
  if (windows.ClassExists(kestrup::kWindowClass)) {
    windows.PostToClass(kestrup::kWindowClass, kestrup::kShowYourselfMessage);
    return ecAlreadyRunning;
  }
  if (windows.TitleExists(kestrup::kApplicationTitle))
    return ecAlreadyRunning;
  const std::string parameters = commandLine ? commandLine : "";
  TRunRequest request = ReadRunRequest(SplitCommandLine(parameters.c_str()));
  if (request.Refused)
    return ecCommandLine;

  const std::string program = OwnPath();
  std::string folder = program.substr(0, program.find_last_of('\\') + 1);
  SetCurrentDirectoryA(folder.c_str());

  TWin32FileSystem files;
  TWin32Registry registry;
  TWin32ProfileFiles profiles;
  TWin32Shell shell;
  TWin32Clock clock;
  TWin32Locale locale;
  TEnginePlatform platform{files, registry, profiles, shell, clock, locale};

  // Read before anything is written: the start-up guards the installer's
  // folder of such a run from the first file on.
  const bool forAllUsers = RunIsForAllUsers(platform, program, request, kestrup::ScratchFile(".inf"));
  if (forAllUsers && kestrup::MayBeElevated()) {
    int code = kestrup::RunElevated(program, parameters, ecCancelled);
    if (code != -1)
      return code;
  }

  // The application's title, found by a second start until the wizard's
  // window exists (and by a silent run's whole life).
  HWND title = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", kestrup::kApplicationTitle.c_str(), WS_POPUP, 0, 0,
                               0, 0, nullptr, nullptr, instance, nullptr);

  int exitCode;
  if (request.Silent) {
    TSilentPage page(SleepFor);
    TKestrupContext context(platform, page);
    context.ProgramPath = program;
    context.State.ForAllUsers = forAllUsers;
    exitCode = RunSilent(context, request, windows, page);
  } else {
    // The display's palette is chosen before the first window and kept to the end.
    TWin32Screen screen;
    TWin32Palettes palettes(instance, screen);
    TWin32Application application(instance);
    kestrup::TMainForm form(application);
    TKestrupContext context(platform, form);
    context.ProgramPath = program;
    context.State.ForAllUsers = forAllUsers;
    context.Translator.PasswordPrompt = [&application] { return AskPassword(application); };
    form.Bind(context, windows, SleepFor);
    if (!application.Realize(form)) {
      exitCode = ecStartupFailed;
    } else {
      if (form.Start(request.Arguments))
        application.Run(form);
      else
        form.Close();
      exitCode = ExitCodeOf(context.State);
    }
  }
  if (title)
    DestroyWindow(title);
  return exitCode;
}
