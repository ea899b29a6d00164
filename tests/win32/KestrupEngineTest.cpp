// The installer engine against the real system: the test product installed
// from a real self-extracting file, updated, and uninstalled, in this test
// tree's own Wine prefix.
#include "base/AnsiText.h"
#include "data/archive/DosDateTime.h"
#include "kestrup/Engine.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Locale.h"
#include "platform/win32/Win32ProfileFiles.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "support/ScratchFolder.h"
#include "support/TestProductSetup.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <map>

namespace {

constexpr uint32_t kDos = 862411107; // 2005-11-07 11:11:06, local time
const std::string kProductKey = "Software\\Veltrin\\Testo";
const std::string kEntryKey = kUninstallKeyBase + "Testo";

std::string SourceFolder() {
  std::string file = __FILE__;
  return file.substr(0, file.find_last_of("\\/") + 1);
}

class TWinePage : public IEnginePage {
public:
  void EnableButtons(bool back, bool next, bool cancel) override { Buttons = {back, next, cancel}; }
  void SetLabel(TPageLabel label, const std::string &text) override { Labels[label] = text; }
  void SetBar(TPageBar, int64_t, int64_t) override {}
  void ShowUninstallProgress(bool) override {}
  std::string FitPath(TPageLabel, const std::string &path) override { return path; }
  void ShowFinishPage() override { FinishShown = true; }
  std::string MessageText(int) override { return ""; }
  void ProcessMessages() override {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&msg);
  }
  void Wait(uint32_t ms) override { Sleep(ms); }
  void SetBusyCursor(bool) override {}
  bool ShowLogChecked() override { return false; }

  std::vector<bool> Buttons;
  std::map<TPageLabel, std::string> Labels;
  bool FinishShown = false;
};

std::string ShellFolderPath(int csidl) {
  char path[MAX_PATH];
  if (FAILED(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path)))
    return "";
  return std::string(path) + "\\";
}

uint32_t DosTimeOf(const std::string &path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return 0;
  FILETIME utc, local;
  WORD date = 0, time = 0;
  GetFileTime(h, nullptr, nullptr, &utc);
  CloseHandle(h);
  FileTimeToLocalFileTime(&utc, &local);
  FileTimeToDosDateTime(&local, &date, &time);
  return static_cast<uint32_t>(date) << 16 | time;
}

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class KestrupEngineTest : public ::testing::Test {
protected:
  void SetUp() override {
    // Asking the shell for its folders makes sure their registry values exist.
    programs = ShellFolderPath(CSIDL_PROGRAMS);
    desktop = ShellFolderPath(CSIDL_DESKTOPDIRECTORY);
    appData = ShellFolderPath(CSIDL_APPDATA);
    commonAppData = ShellFolderPath(CSIDL_COMMON_APPDATA);
    ASSERT_FALSE(programs.empty());
    ShellFolderPath(CSIDL_COMMON_PROGRAMS);
    ShellFolderPath(CSIDL_COMMON_DESKTOPDIRECTORY);
    ShellFolderPath(CSIDL_PROGRAM_FILES);
    ASSERT_TRUE(SameText(engine.FolderPath(sfPrograms), programs)) << engine.FolderPath(sfPrograms);
    ASSERT_TRUE(SameText(engine.FolderPath(sfDesktop), desktop)) << engine.FolderPath(sfDesktop);
    installer = engine.InstallerFolder();
    Forget();
  }
  void TearDown() override { Forget(); }
  // Whatever an earlier run left behind.
  void Forget() {
    registry.DeleteKey(kHKeyCurrentUser, kProductKey);
    registry.DeleteKey(kHKeyCurrentUser, kEntryKey);
    std::string dir = engine.FolderPath(sfProgramFiles) + "Veltrin\\Testo\\";
    for (const std::string &folder : {dir, dir + "Data\\"})
      for (const std::string &name : files.ListFiles(folder)) {
        files.SetAttributes(folder + name, kFileAttributeArchive);
        files.RemoveFile(folder + name);
      }
    engine.Actions().RemoveEmptyFolders(dir);
  }

  void Prepare(const std::string &edit = "", const std::string &replacement = "") {
    std::string source = TScratchFolder::ReadFile(SourceFolder() + "../data/kestrup/TestProduct.txt");
    ASSERT_FALSE(source.empty());
    if (!edit.empty())
      source.replace(source.find(edit), edit.size(), replacement);
    setup = scratch.Path("setup.exe");
    ASSERT_EQ(WriteTestProductSetup(files, setup, source, kDos, 50000), "");
    archive.Release();
    script.Close();
    ASSERT_TRUE(archive.LoadDirectory(setup));
    engine.SetArchive(&archive);
    ASSERT_TRUE(files.ForceDirectories(installer));
    for (const char *name : {"Kestrup.exe", "KestrupEx.exe", "Kestrup.inf"})
      ASSERT_TRUE(archive.ExtractMember(archive.LookupMember(name), installer + name, "", "", {}, {}));
    ASSERT_TRUE(script.Open(installer + "Kestrup.inf", installer + "Kestrup.inf", "", ""));
    engine.SetScript(&script);
    TInstallScript reader(script);
    state = TRunState();
    state.Product = ReadProductSettings(reader);
    state.InstallDir = engine.Expand(state.Product.InstallDir);
    state.GroupBase = engine.FolderPath(sfPrograms);
    state.ProgramGroup = engine.Expand(state.Product.ProgramGroup);
    state.ScriptPath = installer + "Kestrup.inf";
  }
  std::string Reg(const std::string &key, const std::string &name, std::string type = "ftString") {
    return engine.Actions().RegRead(kHKeyCurrentUser, key, type, name);
  }
  std::string Ini(const std::string &section, const std::string &key) {
    char value[256];
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "<none>", value, sizeof value,
                             (state.InstallDir + "testo.ini").c_str());
    return value;
  }
  std::string LogText() { return TScratchFolder::ReadFile(installer + "Kestrup.log"); }
  bool Logged(const std::string &message) { return LogText().find(message + "\r\n") != std::string::npos; }
  void BeginUninstall() {
    state.Mode = TRunMode::Uninstall;
    state.Completed = state.ErrorsLogged = false;
    state.LastProduct = true;
    state.ProgramGroup = Reg(kEntryKey, "ProgramGroup");
    state.GroupBase = "";
  }

  TScratchFolder scratch;
  TWin32FileSystem files;
  TWin32Registry registry;
  TWin32ProfileFiles profiles;
  TWin32Shell shell;
  TWin32Clock clock;
  TWin32Locale locale;
  TRunState state;
  TWinePage page;
  TKestrupEngine engine{TEnginePlatform{files, registry, profiles, shell, clock, locale}, state, page};
  TStrovdexObject script{files, locale};
  TArchive archive{files};
  std::string setup, programs, desktop, appData, commonAppData, installer;
};

TEST_F(KestrupEngineTest, InstallUpdateAndUninstallForReal) {
  Prepare();
  engine.OpenLog();
  engine.FreshInstall();
  ASSERT_FALSE(state.ErrorsLogged) << LogText();
  ASSERT_TRUE(state.Completed);
  const std::string dir = state.InstallDir;
  const std::string group = programs + "Veltrin\\Testo\\";
  EXPECT_EQ(DosTimeOf(dir + "Testo.exe"), kDos);
  EXPECT_EQ(DosTimeOf(dir + "Data\\Old.dat"), kDos);
  // Wine keeps the archive bit beside the mask set.
  EXPECT_EQ(GetFileAttributesA((dir + "Readme.txt").c_str()) & ~FILE_ATTRIBUTE_ARCHIVE,
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Ini("Settings", "Path"), dir);
  EXPECT_EQ(Ini("Settings", "Version"), "1.2");
  EXPECT_EQ(Reg(kProductKey, "Path"), dir);
  EXPECT_EQ(Reg(kProductKey, "Count", "ftInteger"), "12");
  EXPECT_EQ(Reg(kProductKey, "Enabled", "ftBoolean"), "1");
  EXPECT_EQ(Reg(kProductKey, "Installed"), "1.2");
  TShortcutData link;
  ASSERT_TRUE(shell.LoadShortcut(group + "Testo.LNK", link));
  EXPECT_TRUE(SameText(link.Target, dir + "Testo.exe")) << link.Target;
  EXPECT_EQ(link.Arguments, "/start");
  EXPECT_EQ(link.HotKey, (kHotKeyCtrl | kHotKeyAlt) << 8 | 'T');
  ASSERT_TRUE(shell.LoadShortcut(desktop + "Testo.LNK", link));
  EXPECT_TRUE(SameText(link.Target, dir + "Testo.exe")) << link.Target;
  std::string copy = appData + "Veltrin\\Kestrup\\Testo.inf";
  EXPECT_TRUE(Exists(copy));
  EXPECT_EQ(Reg(kEntryKey, "DisplayName"), "Testo 1.2");
  EXPECT_EQ(Reg(kEntryKey, "UninstallString"),
            "\"" + commonAppData + "Veltrin\\Kestrup\\Kestrup.exe\" \"uninstall\" \"" + copy + "\"");
  EXPECT_EQ(Reg(kEntryKey, "ProgramGroup"), group);
  EXPECT_EQ(Reg(kEntryKey, "ProgramVersionNumber", "ftInteger"), "120");

  // Update: obsolescent rows go, included rows are written again, shared ones are left.
  Prepare("row IsUpdate False", "row IsUpdate True");
  ASSERT_TRUE(state.Product.IsUpdate);
  WritePrivateProfileStringA("Settings", "Version", "0.9", (dir + "testo.ini").c_str());
  WritePrivateProfileStringA("Settings", "Tag", "mine", (dir + "testo.ini").c_str());
  engine.UpdateInstall();
  EXPECT_FALSE(state.ErrorsLogged) << LogText();
  EXPECT_FALSE(Exists(dir + "Data\\Old.dat"));
  EXPECT_EQ(Ini("Settings", "Version"), "1.2");
  EXPECT_EQ(Ini("Settings", "Tag"), "mine");
  EXPECT_EQ(Ini("Old", "Gone"), "<none>");
  EXPECT_FALSE(registry.KeyExists(kHKeyCurrentUser, kProductKey + "\\Old"));
  EXPECT_FALSE(Exists(group + "Old Tool.LNK"));
  EXPECT_TRUE(Exists(group + "Readme.LNK"));

  // A user's own file keeps the program folder and the uninstall entry.
  BeginUninstall();
  TScratchFolder::WriteFile(dir + "notes.txt", "mine");
  engine.Uninstall();
  EXPECT_TRUE(state.ErrorsLogged);
  EXPECT_TRUE(Logged(" Error: unable to delete " + dir)) << LogText();
  EXPECT_TRUE(registry.KeyExists(kHKeyCurrentUser, kEntryKey));
  EXPECT_FALSE(Exists(dir + "Testo.exe"));

  // Without it, everything goes, and the last product takes the installer's files along.
  DeleteFileA((dir + "notes.txt").c_str());
  BeginUninstall();
  state.ScriptPath = copy;
  engine.Uninstall();
  EXPECT_FALSE(state.ErrorsLogged) << LogText();
  EXPECT_TRUE(state.Completed);
  EXPECT_FALSE(Exists(dir));
  EXPECT_FALSE(Exists(group));
  EXPECT_FALSE(Exists(desktop + "Testo.LNK"));
  EXPECT_FALSE(registry.KeyExists(kHKeyCurrentUser, kProductKey));
  EXPECT_FALSE(registry.KeyExists(kHKeyCurrentUser, kEntryKey));
  EXPECT_TRUE(Exists(programs));
  engine.CloseDown();
  EXPECT_FALSE(Exists(copy));
  EXPECT_EQ(files.ListFiles(installer), std::vector<std::string>{"Kestrup.exe"});
}

// A program held open (deletion not shared) is tried for five seconds, then
// left to the next restart with its folder: logged, and no error of the run.
TEST_F(KestrupEngineTest, LockedProgramIsRetriedForFiveSecondsThenDeletedAtTheRestart) {
  Prepare();
  engine.OpenLog();
  engine.FreshInstall();
  ASSERT_TRUE(state.Completed) << LogText();
  std::string program = state.InstallDir + "Testo.exe";
  HANDLE held = CreateFileA(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  BeginUninstall();
  DWORD start = GetTickCount();
  engine.Uninstall();
  DWORD elapsed = GetTickCount() - start;
  CloseHandle(held);
  EXPECT_GE(elapsed, 5000u);
  EXPECT_LT(elapsed, 9000u);
  EXPECT_TRUE(Exists(program));
  EXPECT_TRUE(Logged(" File in use, deleted at the next restart (" + program + ")")) << LogText();
  EXPECT_FALSE(Logged(" Error: unable to delete " + program)) << LogText();
  EXPECT_FALSE(state.ErrorsLogged) << LogText();
  EXPECT_TRUE(state.RestartNeeded);
  EXPECT_FALSE(registry.KeyExists(kHKeyCurrentUser, kEntryKey));
  engine.CloseLog();
}

} // namespace
