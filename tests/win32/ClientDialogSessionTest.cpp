// The network dialog with the real MVRClient.dll against the real profile
// server on 127.0.0.1 (started by tests/win32/profile_server_session.sh, see
// ProfileServerSessionTest.cpp): a user's data round-trips through a logout
// and a login, and with the server stopped mid-session the logout keeps the
// day in the profile file and the next login says "Unable to connect!" and
// falls back to that file. The manual-connect dialog is kept as
// network_dialog.bmp in the current folder.
#include "movaro/forms/ClientDialog.h"
#include "netclient/UserToken.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/ManualTimer.h"
#include "platform/win32/Win32NetClientLibrary.h"
#include "protocol/Requests.h"
#include "support/Win32Screenshot.h"
#include "ui/win32/Win32Application.h"
#include "unit/movaro/ProfileWorld.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

std::string Environment(const char *name) {
  const char *value = std::getenv(name);
  return value ? value : "";
}

bool FileExists(const std::string &path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RealWait(TApplication &app, uint32_t ms) {
  const DWORD start = GetTickCount();
  do {
    app.ProcessMessages();
    Sleep(10);
  } while (GetTickCount() - start < ms);
}

} // namespace

TEST(ProfileServerDialog, RoundTripThenServerStoppedLosesNothingLocally) {
  const int port = std::atoi(Environment("MOVARO_PROFILE_SERVER_PORT").c_str());
  const std::string control = Environment("MOVARO_PROFILE_SERVER_CONTROL");
  if (port == 0)
    GTEST_SKIP() << "run through tests/win32/profile_server_session.sh, which starts the server";
  // The library is looked for in the current folder, the program's.
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string folder(exe);
  folder.resize(folder.find_last_of('\\') + 1);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
  RegDeleteKeyA(HKEY_CURRENT_USER,
                (std::string(kTokenKey) + "\\127.0.0.1:" + std::to_string(port)).c_str());

  TProfileWorld world;
  world.WriteInfoFile({{1, "a_44|Dlg #qkkt0451230001", "Q1"}, {2, "b_44|Dlg #immh0000010002", "I2"}});
  TWin32Application app(GetModuleHandleA(nullptr));
  TVirtualCursor cursor;
  TManualTimer timer;
  TRecordingInputHooks hooks;
  TMovaroContext context{{world.clock, cursor, timer, hooks, world.fs, world.locale}};
  TWin32NetClientLibrary library;
  TNetworkProfile net(app, {context, library, nullptr, nullptr,
                            [&app](uint32_t ms) { RealWait(app, ms); }, [] { return false; }});
  std::string status;
  std::function<void(TClientDialog &)> act;
  net.OnDialogMade = [&](TClientDialog &d) {
    d.OnHide = [&status, &d](TComponent &) { status = d.StatusLbl.Caption(); };
    if (act)
      app.Post([&d, &act] { act(d); });
  };
  std::unique_ptr<TUserData> profile = world.NewProfile();
  profile->BuildMessageHistory(world.info);
  profile->Links.Network = &net;
  profile->UserName = "Wine Dialog";
  profile->ServerHost = "127.0.0.1";
  profile->ServerPort = port;
  profile->ConnectionType = "manual connect";

  // Manual connect: the dialog waits for the user, who logs in (a new user:
  // the defaults).
  act = [&](TClientDialog &d) {
    RealWait(app, 300);
    Screenshot shot;
    shot.Take();
    shot.Save("network_dialog.bmp");
    EXPECT_TRUE(d.LoginBtn.Visible());
    EXPECT_TRUE(d.LoginBtn.Click());
  };
  profile->LoadProfile();
  ASSERT_TRUE(profile->LoggedIn) << status;
  EXPECT_EQ(status, kLoggedInText);
  EXPECT_EQ(profile->ConfigLevel, 181);

  // The day's settings and history go to the server and come back.
  act = nullptr;
  profile->ConfigLevel = 33;
  profile->ConfigLongPause = 120;
  profile->UpdateEntry("qkkt", 2, 46001.2);
  profile->SaveProfile();
  EXPECT_FALSE(profile->LoggedIn);
  EXPECT_EQ(status, kLoggedOutText);
  profile->ConnectionType = "auto connect";
  profile->LoadProfile(); // resets to the defaults first
  ASSERT_TRUE(profile->LoggedIn) << status;
  EXPECT_EQ(profile->ConfigLevel, 33);
  EXPECT_EQ(profile->ConfigLongPause, 120);
  EXPECT_EQ(profile->FindEntry("qkkt"), "qkkt0451230001" "2>46001");

  // The server stops mid-session: the check-out is not confirmed, and the
  // day stays in the profile file.
  ASSERT_FALSE(control.empty());
  HANDLE stop = CreateFileA((control + "\\stop").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(stop, INVALID_HANDLE_VALUE);
  CloseHandle(stop);
  for (DWORD start = GetTickCount(); !FileExists(control + "\\stopped") && GetTickCount() - start < 30000;)
    Sleep(50);
  ASSERT_TRUE(FileExists(control + "\\stopped"));
  profile->ConfigLevel = 44;
  profile->UpdateEntry("qkkt", 3, 46002.5);
  profile->SaveProfile();
  EXPECT_FALSE(profile->LoggedIn);
  EXPECT_NE(status, kLoggedOutText);
  EXPECT_FALSE(status.empty());

  // The next login cannot connect; the file's values are the profile's.
  profile->LoadProfile();
  EXPECT_FALSE(profile->LoggedIn);
  EXPECT_EQ(status, kUnableToConnectText);
  EXPECT_EQ(profile->ConfigLevel, 44);
  EXPECT_EQ(profile->ConfigLongPause, 120);
  EXPECT_EQ(profile->FindEntry("qkkt"), "qkkt0451230001" "3>46002");
  EXPECT_FALSE(library.Loaded());
  EXPECT_FALSE(context.Dialogs.NetworkDialog);
}

// A first login to a server that trusts no first use (the script runs it so
// and makes codes for "Wine Dialog Enrol"): the dialog asks for the code,
// which is typed with real key presses into the field that has the focus,
// and Enter logs in. The dialog with its code field is kept as
// network_enrolment.bmp; in the language MOVARO_LANGUAGE (a number of the
// language file MOVARO_LANGUAGE_FILE) as network_enrolment_NUMBER.bmp.
TEST(ProfileServerEnrolmentDialog, FirstLoginAsksForTheCodeTypedIntoTheFocusedField) {
  const int port = std::atoi(Environment("MOVARO_PROFILE_SERVER_PORT").c_str());
  const std::string code = Environment("MOVARO_PROFILE_SERVER_CODES").substr(0, 11);
  const std::string language = Environment("MOVARO_LANGUAGE"), languageFile = Environment("MOVARO_LANGUAGE_FILE");
  if (port == 0)
    GTEST_SKIP() << "run through tests/win32/profile_server_session.sh, which starts the server";
  ASSERT_EQ(code.size(), 11u);
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string folder(exe);
  folder.resize(folder.find_last_of('\\') + 1);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
  RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(kTokenKey) + "\\127.0.0.1:" + std::to_string(port)).c_str());

  TProfileWorld world;
  world.WriteInfoFile({{1, "a_44|Dlg #qkkt0451230001", "Q1"}});
  TWin32Application app(GetModuleHandleA(nullptr));
  TVirtualCursor cursor;
  TManualTimer timer;
  TRecordingInputHooks hooks;
  TMovaroContext context{{world.clock, cursor, timer, hooks, world.fs, world.locale}};
  if (!language.empty()) {
    ASSERT_TRUE(FileExists(languageFile)) << languageFile;
    context.Translator.LanguageNumber = std::atoi(language.c_str());
  }
  TWin32NetClientLibrary library;
  TNetworkProfile net(app, {context, library, nullptr, &languageFile,
                            [&app](uint32_t ms) { RealWait(app, ms); }, [] { return false; }});
  std::string status, asked, label;
  net.OnDialogMade = [&](TClientDialog &d) {
    d.OnHide = [&status, &d](TComponent &) { status = d.StatusLbl.Caption(); };
    app.Post([&] {
      EXPECT_TRUE(d.LoginBtn.Click());
      ASSERT_TRUE(d.AsksForCode()) << d.StatusLbl.Caption();
      asked = d.StatusLbl.Caption();
      SetForegroundWindow(TWin32Application::WindowOf(d));
      RealWait(app, 300);
      std::vector<INPUT> keys;
      for (char c : code + "\r") {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = c == '-' ? VK_OEM_MINUS : c == '\r' ? VK_RETURN : static_cast<WORD>(c);
        keys.push_back(input);
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        keys.push_back(input);
      }
      // The code first, then a look at the dialog, then Enter.
      SendInput(static_cast<UINT>(keys.size() - 2), keys.data(), sizeof(INPUT));
      RealWait(app, 300);
      Screenshot shot;
      shot.Take();
      const std::string name = language.empty() ? "network_enrolment.bmp" : "network_enrolment_" + language + ".bmp";
      shot.Save(name.c_str());
      label = d.EnrolmentCodeLbl.Caption();
      EXPECT_EQ(NormalizedEnrolmentCode(d.EnrolmentCodeEdit.Text()), NormalizedEnrolmentCode(code))
          << d.EnrolmentCodeEdit.Text();
      SendInput(2, keys.data() + keys.size() - 2, sizeof(INPUT));
      RealWait(app, 300);
    });
  };
  std::unique_ptr<TUserData> profile = world.NewProfile();
  profile->BuildMessageHistory(world.info);
  profile->Links.Network = &net;
  profile->UserName = "Wine Dialog Enrol";
  profile->ServerHost = "127.0.0.1";
  profile->ServerPort = port;
  profile->ConnectionType = "manual connect";
  profile->LoadProfile();
  if (language.empty()) {
    EXPECT_EQ(asked, kEnterCodeText.English);
    EXPECT_EQ(label, "Enrolment code");
    EXPECT_EQ(status, kLoggedInText);
  } else { // the language file's own words
    EXPECT_NE(asked, kEnterCodeText.English);
    EXPECT_NE(label, "Enrolment code");
    EXPECT_FALSE(asked.empty() || label.empty() || status.empty());
  }
  ASSERT_TRUE(profile->LoggedIn) << status;

  // Enrolled: the next login (auto connect) asks nothing.
  net.OnDialogMade = nullptr;
  profile->SaveProfile();
  profile->ConnectionType = "auto connect";
  profile->LoadProfile();
  EXPECT_TRUE(profile->LoggedIn);
}
