// The user profile on the real system: the logged-on user's section of
// movaro.ini in the user's application data folder and the program's key
// of the user's registry, read back by the system's own calls and by a new
// profile; an earlier release's file in the Windows folder taken over.
#include "base/Random.h"
#include "movaro/profile/UserData.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Locale.h"
#include "platform/win32/Win32ProfileFiles.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32UserSession.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

namespace {

std::string FileBytes(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

class Win32UserProfile : public ::testing::Test {
protected:
  void SetUp() override {
    user = session.LogonUserName();
    ASSERT_FALSE(user.empty());
    char folder[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, folder, CSIDL_APPDATA, FALSE));
    userFile = std::string(folder) + "\\Veltrin\\Movaro\\movaro.ini";
    ASSERT_GT(GetWindowsDirectoryA(folder, MAX_PATH), 0u);
    windowsFile = std::string(folder) + "\\movaro.ini";
    Clean();
  }
  void TearDown() override { Clean(); }
  void Clean() {
    DeleteFileA(userFile.c_str());
    ini.EraseSection(windowsFile, user + ".Data");
    registry.DeleteKey(kHKeyCurrentUser, kProgramRegistryKey);
    registry.DeleteKey(kHKeyLocalMachine, kProgramRegistryKey);
  }

  std::unique_ptr<TUserData> NewProfile() {
    place = PrepareProfileFile(files, shell);
    auto profile = std::make_unique<TUserData>(
        TProfilePlatform{registry, locale, ini, clock, session, random}, place.File);
    profile->LoadSettings();
    profile->MessageHistory = {"qggt0040010001", "ikki0000010005"};
    return profile;
  }

  TWin32Registry registry;
  TWin32ProfileFiles ini;
  TWin32FileSystem files;
  TWin32Shell shell;
  TWin32Locale locale;
  TWin32Clock clock;
  TWin32UserSession session;
  TSeededRandom random{3};
  TProfileFilePlace place;
  std::string user, userFile, windowsFile;
};

TEST_F(Win32UserProfile, LandsInTheUsersFolderAndKeyAndReadsBack) {
  auto profile = NewProfile();
  EXPECT_EQ(profile->UserName, user);
  EXPECT_EQ(place.File, userFile);
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

  const std::string bytes = FileBytes(userFile);
  EXPECT_NE(bytes.find("[" + user + ".Data]"), std::string::npos) << bytes;
  for (const char *line : {"ConfigLevel=240", "ConfigWarningsoundfile=Sonar", "ConfigLongPauseBlock=1",
                           "t0010001=4>46000", "i0010005=-1>0"})
    EXPECT_NE(bytes.find(line), std::string::npos) << line << " in\n" << bytes;
  EXPECT_EQ(FileBytes(windowsFile).find("[" + user + ".Data]"), std::string::npos);

  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Veltrin\\Movaro", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0, port = 0, size = sizeof port;
  EXPECT_EQ(RegQueryValueExA(key, "ServerPort", nullptr, &type, reinterpret_cast<BYTE *>(&port), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(port, 4242u);
  RegCloseKey(key);
  EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Veltrin\\Movaro", 0, KEY_READ, &key), ERROR_SUCCESS);

  auto again = NewProfile();
  EXPECT_EQ(place.Source, TProfileFileSource::UserFile);
  EXPECT_EQ(again->ServerHost, "profiles.example");
  EXPECT_EQ(again->ServerPort, 4242);
  again->LoadProfile();
  EXPECT_EQ(again->ConfigLevel, 240);
  EXPECT_EQ(again->ConfigWarningsoundfile, "Sonar");
  EXPECT_TRUE(again->ConfigLongPauseBlock);
  EXPECT_EQ(again->FindEntry("qggt"), "qggt0040010001" "4>46000");
}

TEST_F(Win32UserProfile, AnEarlierReleasesFileInTheWindowsFolderIsTakenOver) {
  // As the earlier release wrote it: by bare name, so into the Windows folder.
  ASSERT_TRUE(ini.WriteString(kProfileFileName, user + ".Data", "ConfigLevel", "231"));
  ASSERT_TRUE(ini.WriteString(kProfileFileName, user + ".Data", "t0010001", "3>45000"));
  auto profile = NewProfile();
  EXPECT_EQ(place.Source, TProfileFileSource::TakenOver);
  EXPECT_EQ(place.File, userFile);
  EXPECT_EQ(FileBytes(userFile), FileBytes(windowsFile));
  profile->LoadProfile();
  EXPECT_EQ(profile->ConfigLevel, 231);
  EXPECT_EQ(profile->FindEntry("qggt"), "qggt0040010001" "3>45000");
  profile->ConfigLevel = 240;
  profile->SaveProfile();
  // The old file stays as it was.
  EXPECT_NE(FileBytes(windowsFile).find("ConfigLevel=231"), std::string::npos);
  EXPECT_NE(FileBytes(userFile).find("ConfigLevel=240"), std::string::npos);
}

} // namespace
