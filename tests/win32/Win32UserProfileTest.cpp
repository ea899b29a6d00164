// The user profile on the real system: the logged-on user's section of
// movaro.ini in the Windows folder and the program's key of the machine
// registry, read back by the system's own calls and by a new profile.
#include "base/Random.h"
#include "movaro/profile/UserData.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Locale.h"
#include "platform/win32/Win32ProfileFiles.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32UserSession.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

namespace {

class Win32UserProfile : public ::testing::Test {
protected:
  void SetUp() override {
    user = session.LogonUserName();
    ASSERT_FALSE(user.empty());
    char folder[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(folder, MAX_PATH), 0u);
    iniPath = std::string(folder) + "\\movaro.ini";
    Clean();
  }
  void TearDown() override { Clean(); }
  void Clean() {
    ini.EraseSection(kProfileFileName, user + ".Data");
    registry.DeleteKey(kHKeyLocalMachine, kProgramRegistryKey);
  }

  std::unique_ptr<TUserData> NewProfile() {
    auto profile = std::make_unique<TUserData>(
        TProfilePlatform{registry, locale, ini, clock, session, random}, "C:\\Program Files\\Movaro\\");
    profile->LoadSettings();
    profile->MessageHistory = {"qggt0040010001", "ikki0000010005"};
    return profile;
  }

  TWin32Registry registry;
  TWin32ProfileFiles ini;
  TWin32Locale locale;
  TWin32Clock clock;
  TWin32UserSession session;
  TSeededRandom random{3};
  std::string user, iniPath;
};

TEST_F(Win32UserProfile, LandsInTheWindowsFolderAndTheMachineKeyAndReadsBack) {
  auto profile = NewProfile();
  EXPECT_EQ(profile->UserName, user);
  profile->LoadProfile();
  profile->ConfigLevel = 240;
  profile->ConfigWarningsoundfile = "Sonar";
  profile->ConfigLongPauseBlock = true;
  profile->ServerHost = "profiles.example";
  profile->ServerPort = 4242;
  profile->SaveProfile();
  profile->SaveSettings();
  // Recorded after the save: written through at once.
  profile->UpdateEntry("qggt", 4, 46000.5);

  // The file in the Windows folder, as bytes on disk.
  std::ifstream file(iniPath, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_NE(bytes.find("[" + user + ".Data]"), std::string::npos) << bytes;
  for (const char *line : {"ConfigLevel=240", "ConfigWarningsoundfile=Sonar", "ConfigLongPauseBlock=1",
                           "t0010001=4>46000", "i0010005=-1>0"})
    EXPECT_NE(bytes.find(line), std::string::npos) << line << " in\n" << bytes;

  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Veltrin\\Movaro", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0, port = 0, size = sizeof port;
  EXPECT_EQ(RegQueryValueExA(key, "ServerPort", nullptr, &type, reinterpret_cast<BYTE *>(&port), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(port, 4242u);
  char path[MAX_PATH] = {};
  size = sizeof path;
  EXPECT_EQ(RegQueryValueExA(key, "ProgramPath", nullptr, &type, reinterpret_cast<BYTE *>(path), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(path, "C:\\Program Files\\Movaro\\");
  RegCloseKey(key);

  auto again = NewProfile();
  EXPECT_EQ(again->ServerHost, "profiles.example");
  EXPECT_EQ(again->ServerPort, 4242);
  again->LoadProfile();
  EXPECT_EQ(again->ConfigLevel, 240);
  EXPECT_EQ(again->ConfigWarningsoundfile, "Sonar");
  EXPECT_TRUE(again->ConfigLongPauseBlock);
  EXPECT_EQ(again->FindEntry("qggt"), "qggt0040010001" "4>46000");
}

} // namespace
