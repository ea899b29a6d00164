// Movaro program entry. A second start finds the running program by its main
// window's class and asks it to show itself (message 0x1400) before ending;
// "uninstall" closes it and starts the installed uninstaller. Otherwise the
// entry builds the program's context and the user's profile on the real
// platform and runs the main window through the UI kit until it closes.
#include "base/CommandLine.h"
#include "base/win32/LibrarySearch.h"
#include "movaro/MainForm.h"
#include "movaro/MovaroContext.h"
#include "movaro/ProgramEntry.h"
#include "movaro/forms/ClientDialog.h"
#include "movaro/profile/UserData.h"
#include "movaro/win32/KindTrayIcons.h"
#include "movaro/win32/Win32SkinResources.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32DisplayScale.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Input.h"
#include "platform/win32/Win32Locale.h"
#include "platform/win32/Win32MediaPlayer.h"
#include "platform/win32/Win32NetClientLibrary.h"
#include "platform/win32/Win32ProfileFiles.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Screen.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32UserSession.h"
#include "platform/win32/Win32WindowMessenger.h"
#include "ui/ComponentTimer.h"
#include "ui/PasswordDlg.h"
#include "ui/win32/TrayIcon.h"
#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32Palettes.h"

#include <windows.h>

namespace {

// The folder of the program file, with its backslash.
std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length < MAX_PATH ? length : 0);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  RestrictLibrarySearch();
  // Before any window or measuring canvas: they take the display's scale.
  DeclareDpiAware();
  const std::vector<std::string> arguments = SplitCommandLine(commandLine ? commandLine : "");
  TWin32WindowMessenger windows;
  const TEntryAction action = DecideEntry(windows, arguments);
  if (action == TEntryAction::eaHandedOver)
    return 0;
  TSeededRandom random(GetTickCount());
  TWin32Registry registry;
  TWin32Shell shell;
  if (action == TEntryAction::eaUninstall) {
    StartUninstaller(registry, shell);
    return 0;
  }

  const std::string folder = ProgramFolder();
  SetCurrentDirectoryA(folder.c_str());
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
  HMODULE hookLibrary = LoadProgramLibrary("Movaro.dll");
  TStartHookFn startHook;
  TStopHookFn stopHook;
  TWin32InputHooks::Resolve(hookLibrary, startHook, stopHook);
  TWin32InputHooks hooks(window, startHook, stopHook);
  TWin32Clock clock;
  TWin32Cursor cursor;
  TWin32FileSystem files;
  TWin32Locale locale;
  TWin32ProfileFiles profileFiles;
  TWin32UserSession session;
  TComponentTimer traceTimer(mainForm.TraceTimer);
  TMovaroContext context({clock, cursor, traceTimer, hooks, files, locale});
  context.Translator.PasswordPrompt = [&application] { return AskPassword(application); };
  // Takes an earlier release's profile file over on the first start.
  const TProfileFilePlace profilePlace = PrepareProfileFile(files, shell);
  TUserData profile({registry, locale, profileFiles, clock, session, random, &files},
                    profilePlace.File);
  profile.LoadSettings();
  context.Profile = &profile;
  mainForm.Bind(context);

  TWin32SkinResources resources(instance);
  TSkinLoader skins(files, resources, folder, screen.BitsPerPixel(), SystemDisplayScale().SkinPercent());
  skins.Follow(application); // a window moved to a display of another scale
  TWin32NotificationIcon tray(window, instance, kTrayIconId, kTrayCallbackMessage);
  AddKindTrayIcons(tray, screen.BitsPerPixel());
  TWin32Desktop desktop;
  TWin32MediaPlayer player;
  TMainFormEnv env{tray,     shell,  registry, skins,        session,
                   screen,   desktop, player,  random,       profileFiles,
                   folder,   [&application](uint32_t ms) {
                     const DWORD start = GetTickCount();
                     while (GetTickCount() - start < ms) {
                       application.ProcessMessages();
                       Sleep(10);
                     }
                   }};
  env.Popup = [&application](TPopupMenu &menu, int x, int y) { application.Popup(menu, x, y); };
  env.PopupAtCursor = [&application](TPopupMenu &menu) { application.PopupAtCursor(menu); };
  env.RealizeControls = [&application, &mainForm] { application.Realize(mainForm); };
  env.NativeWindowOf = [](TControl &control) {
    return reinterpret_cast<TNativeWindow>(TWin32Application::WindowOf(control));
  };
  // The network dialog loads the client library only while it works.
  TWin32NetClientLibrary netLibrary;
  TNetworkProfile network(application,
                          {context, netLibrary, &skins, &mainForm.LanguageFile(), env.Wait,
                           [&mainForm] { return (mainForm.StartFlags & kStartPhase) != 0; }});
  profile.Links.Network = &network;
  mainForm.Start(env);
  application.Run(mainForm);
  mainForm.FormDestroy();
  profile.Links.Network = nullptr;
  profile.SaveSettings();
  context.Profile = nullptr;
  if (hookLibrary)
    FreeLibrary(hookLibrary);
  return 0;
}
