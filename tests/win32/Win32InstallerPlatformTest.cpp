// The registry, profile-file, shell and file-system calls the installer uses,
// against the real system.
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ProfileFiles.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

const std::string kTestKey = "Software\\MovaroTests\\Registry";

TEST(Win32Registry, TypedValuesEnumerationAndRecursiveDeletion) {
  TWin32Registry reg;
  reg.DeleteKey(kHKeyCurrentUser, kTestKey);
  EXPECT_FALSE(reg.KeyExists(kHKeyCurrentUser, kTestKey));
  TRegValue value;
  EXPECT_EQ(reg.ReadValue(kHKeyCurrentUser, kTestKey, "x", value), TRegStatus::NoKey);

  ASSERT_EQ(reg.WriteValue(kHKeyCurrentUser, kTestKey + "\\Sub\\Deeper", "Text", TRegValue::String("abc")),
            TRegStatus::Ok);
  ASSERT_EQ(reg.WriteValue(kHKeyCurrentUser, kTestKey, "Number", TRegValue::DWord(0x12345678)), TRegStatus::Ok);
  ASSERT_EQ(reg.WriteValue(kHKeyCurrentUser, kTestKey, "", TRegValue::Binary(std::string("\0\1\2", 3))),
            TRegStatus::Ok);
  EXPECT_TRUE(reg.KeyExists(kHKeyCurrentUser, kTestKey + "\\SUB"));

  ASSERT_EQ(reg.ReadValue(kHKeyCurrentUser, kTestKey + "\\sub\\deeper", "TEXT", value), TRegStatus::Ok);
  EXPECT_EQ(value.Type, kRegString);
  EXPECT_EQ(value.Data, "abc");
  uint32_t number = 0;
  ASSERT_EQ(reg.ReadValue(kHKeyCurrentUser, kTestKey, "Number", value), TRegStatus::Ok);
  EXPECT_TRUE(value.AsDWord(number));
  EXPECT_EQ(number, 0x12345678u);
  ASSERT_EQ(reg.ReadValue(kHKeyCurrentUser, kTestKey, "", value), TRegStatus::Ok);
  EXPECT_EQ(value.Type, kRegBinary);
  EXPECT_EQ(value.Data, std::string("\0\1\2", 3));
  EXPECT_EQ(reg.ReadValue(kHKeyCurrentUser, kTestKey, "Missing", value), TRegStatus::NoValue);

  std::vector<std::string> names;
  ASSERT_TRUE(reg.ValueNames(kHKeyCurrentUser, kTestKey, names));
  EXPECT_EQ(names.size(), 2u);
  ASSERT_TRUE(reg.SubKeyNames(kHKeyCurrentUser, kTestKey, names));
  EXPECT_EQ(names, std::vector<std::string>{"Sub"});

  EXPECT_EQ(reg.DeleteValue(kHKeyCurrentUser, kTestKey, "Number"), TRegStatus::Ok);
  EXPECT_EQ(reg.DeleteValue(kHKeyCurrentUser, kTestKey, "Number"), TRegStatus::NoValue);
  EXPECT_EQ(reg.DeleteValue(kHKeyCurrentUser, kTestKey + "\\Nowhere", "Number"), TRegStatus::NoKey);
  EXPECT_FALSE(reg.KeyExists(kHKeyCurrentUser, kTestKey + "\\Nowhere"));

  EXPECT_EQ(reg.DeleteKey(kHKeyCurrentUser, kTestKey), TRegStatus::Ok);
  EXPECT_FALSE(reg.KeyExists(kHKeyCurrentUser, kTestKey + "\\Sub"));
  EXPECT_FALSE(reg.KeyExists(kHKeyCurrentUser, kTestKey));
  EXPECT_EQ(reg.DeleteKey(kHKeyCurrentUser, kTestKey), TRegStatus::NoKey);
}

TEST(Win32ProfileFiles, WriteReadListDeleteAndErase) {
  TScratchFolder scratch;
  TWin32ProfileFiles ini;
  std::string file = WinPath(scratch.Path("test.ini"));
  std::string value;
  EXPECT_TRUE(ini.ReadString(file, "S", "K", "fallback", value));
  EXPECT_EQ(value, "fallback");
  ASSERT_TRUE(ini.WriteString(file, "First", "Alpha", "1"));
  ASSERT_TRUE(ini.WriteString(file, "First", "Beta", "two words"));
  ASSERT_TRUE(ini.WriteString(file, "Second", "Gamma", "3"));
  EXPECT_TRUE(ini.ReadString(file, "first", "BETA", "", value));
  EXPECT_EQ(value, "two words");
  ASSERT_TRUE(ini.WriteString(file, "First", "Quoted", "\"q\""));
  EXPECT_TRUE(ini.ReadString(file, "First", "Quoted", "", value));
  EXPECT_EQ(value, "q");
  ASSERT_TRUE(ini.DeleteKey(file, "First", "Quoted"));

  std::vector<std::string> names;
  ASSERT_TRUE(ini.SectionNames(file, names));
  EXPECT_EQ(names, (std::vector<std::string>{"First", "Second"}));
  ASSERT_TRUE(ini.KeyNames(file, "First", names));
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Beta"}));

  ASSERT_TRUE(ini.DeleteKey(file, "First", "Alpha"));
  ASSERT_TRUE(ini.KeyNames(file, "First", names));
  EXPECT_EQ(names, std::vector<std::string>{"Beta"});
  ASSERT_TRUE(ini.EraseSection(file, "First"));
  ASSERT_TRUE(ini.SectionNames(file, names));
  EXPECT_EQ(names, std::vector<std::string>{"Second"});
  ASSERT_TRUE(ini.DeleteKey(file, "Second", "Gamma"));
  ASSERT_TRUE(ini.KeyNames(file, "Second", names));
  EXPECT_TRUE(names.empty());
  // A section without keys stays until it is erased.
  ASSERT_TRUE(ini.SectionNames(file, names));
  EXPECT_EQ(names, std::vector<std::string>{"Second"});
}

TEST(Win32Shell, ShortcutReadsBackThroughTheShellLink) {
  TScratchFolder scratch;
  TWin32Shell shell;
  std::string link = WinPath(scratch.Path("Movaro.lnk"));
  TShortcutData data;
  data.Target = "C:\\windows\\notepad.exe";
  data.Arguments = "/a b";
  data.WorkingDirectory = "C:\\windows\\";
  data.IconFile = "C:\\windows\\notepad.exe";
  data.IconIndex = 2;
  data.HotKey = ParseHotKey("Ctrl+Alt+M");
  ASSERT_TRUE(shell.SaveShortcut(link, data));
  TShortcutData back;
  ASSERT_TRUE(shell.LoadShortcut(link, back));
  EXPECT_TRUE(lstrcmpiA(back.Target.c_str(), data.Target.c_str()) == 0) << back.Target;
  EXPECT_EQ(back.Arguments, data.Arguments);
  EXPECT_EQ(back.WorkingDirectory, data.WorkingDirectory);
  EXPECT_EQ(back.IconFile, data.IconFile);
  EXPECT_EQ(back.IconIndex, 2);
  EXPECT_EQ(back.HotKey, (kHotKeyCtrl | kHotKeyAlt) << 8 | 'M');
  EXPECT_FALSE(shell.LoadShortcut(WinPath(scratch.Path("none.lnk")), back));
}

TEST(Win32Shell, FoldersAndRecycling) {
  TWin32Shell shell;
  TWin32FileSystem files;
  std::string windows = shell.WindowsFolder();
  ASSERT_FALSE(windows.empty());
  EXPECT_EQ(windows.back(), '\\');
  EXPECT_TRUE(files.DirectoryExists(windows));
  EXPECT_TRUE(files.DirectoryExists(shell.SystemFolder()));
  EXPECT_TRUE(files.DirectoryExists(shell.DesktopFolder()));
  EXPECT_FALSE(shell.VolumeFileSystem(windows.substr(0, 3)).empty());

  TScratchFolder scratch;
  std::string doomed = WinPath(scratch.Path("doomed.exe"));
  TScratchFolder::WriteFile(scratch.Path("doomed.exe"), "x");
  EXPECT_TRUE(shell.Recycle(doomed));
  EXPECT_FALSE(files.FileExists(doomed));
}

TEST(Win32FileSystem, FindEntriesByMaskFreeSpaceAndAppend) {
  TScratchFolder scratch;
  TWin32FileSystem files;
  std::string folder = WinPath(scratch.Path());
  TScratchFolder::WriteFile(scratch.Path("a.inf"), "1");
  TScratchFolder::WriteFile(scratch.Path("B.INF"), "2");
  TScratchFolder::WriteFile(scratch.Path("c.info"), "3");
  ASSERT_TRUE(files.ForceDirectories(folder + "\\sub"));
  auto entries = files.FindEntries(folder, "*.inf");
  ASSERT_EQ(entries.size(), 2u);
  entries = files.FindEntries(folder, "*");
  ASSERT_EQ(entries.size(), 4u);
  for (auto &e : entries)
    EXPECT_EQ((e.Attributes & kFileAttributeDirectory) != 0, e.Name == "sub") << e.Name;
  EXPECT_GT(files.FreeSpace(folder), 0);
  EXPECT_EQ(files.FreeSpace("Q:\\nowhere\\"), -1);

  for (int i = 0; i < 2; ++i) {
    auto log = files.OpenAppend(folder + "\\log.txt");
    ASSERT_TRUE(log);
    EXPECT_EQ(log->Write("ab", 2), 2);
  }
  EXPECT_EQ(TScratchFolder::ReadFile(scratch.Path("log.txt")), "abab");
}

} // namespace
