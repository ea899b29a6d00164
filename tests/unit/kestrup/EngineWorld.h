#pragma once
// A fresh headless world for the installer engine: a scratch folder standing
// for the disk (shell folders, program files, Windows folder below it), an
// in-memory registry, profile files and shell on the scratch folder, a
// virtual clock, a recording install/uninstall page, and the test product's
// script and setup archive built from tests/data/kestrup/TestProduct.txt.

#include "base/DateTime.h"
#include "kestrup/KestrupContext.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessLocale.h"
#include "platform/headless/HeadlessProfileFiles.h"
#include "platform/headless/HeadlessRegistry.h"
#include "platform/headless/HeadlessShell.h"
#include "platform/headless/VirtualClock.h"
#include "support/ScratchFolder.h"
#include "support/TestProductSetup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

class TRecordingPage : public IEnginePage {
public:
  explicit TRecordingPage(TVirtualClock &clock) : clock_(clock) {}
  void EnableButtons(bool back, bool next, bool cancel) override { Buttons = {back, next, cancel}; }
  void SetLabel(TPageLabel label, const std::string &text) override { Labels[label] = text; }
  void SetBar(TPageBar bar, int64_t position, int64_t maximum) override {
    Bars[bar] = {position, maximum};
    BarPositions[bar].push_back(position);
  }
  void ShowUninstallProgress(bool visible) override { ProgressVisible = visible; }
  std::string FitPath(TPageLabel, const std::string &path) override { return path; }
  void ShowFinishPage() override { FinishShown = true; }
  std::string MessageText(int) override { return ""; }
  void ProcessMessages() override {}
  void Wait(uint32_t ms) override {
    WaitedMs += ms;
    clock_.Advance(ms);
  }
  void SetBusyCursor(bool busy) override { BusyCursor = busy; }
  bool ShowLogChecked() override { return LogChecked; }
  bool CancelRequested() override { return Cancel && Cancel(); }

  std::vector<bool> Buttons;
  std::map<TPageLabel, std::string> Labels;
  std::map<TPageBar, std::pair<int64_t, int64_t>> Bars;
  std::map<TPageBar, std::vector<int64_t>> BarPositions; // every position set, in order
  bool ProgressVisible = false, FinishShown = false, BusyCursor = false, LogChecked = true;
  uint32_t WaitedMs = 0;
  std::function<bool()> Cancel; // the user confirmed Cancel once it returns true

private:
  TVirtualClock &clock_;
};

inline TDateTime TestNow() {
  TDateTime date = 0, time = 0;
  EncodeDate(2026, 12, 9, date);
  EncodeTime(13, 5, 9, 0, time);
  return date + time;
}

// Reads a file named by a Windows-style path.
inline std::string ReadTestFile(std::string path) {
#ifndef _WIN32
  std::replace(path.begin(), path.end(), '\\', '/');
#endif
  return TScratchFolder::ReadFile(path);
}

// Writes a file (and its folders) through the world's own file system.
class TEngineWorld;
void ScratchWrite(TEngineWorld &world, const std::string &path, const std::string &data = "x");

inline std::string TestProductSource() {
  return ReadTestFile(std::string(MOVARO_TEST_DATA) + "/kestrup/TestProduct.txt");
}

// Replaces the first occurrence of a text in the script source.
inline std::string Edit(std::string source, const std::string &from, const std::string &to) {
  size_t at = source.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos)
    source.replace(at, from.size(), to);
  return source;
}

class TEngineWorld {
public:
  // Folders below the scratch root, each ending with a backslash.
  std::string Root() const { return scratch.Path() + "\\"; }
  std::string AppData() const { return Root() + "AppData\\"; }
  std::string Desktop() const { return Root() + "Desktop\\"; }
  std::string Programs() const { return Root() + "Programs\\"; }
  std::string CommonAppData() const { return Root() + "CommonAppData\\"; }
  std::string ProgramFiles() const { return Root() + "Program Files\\"; }
  std::string Windows() const { return Root() + "Windows\\"; }
  std::string Temp() const { return Root() + "Temp\\"; }
  std::string InstallDir() const { return ProgramFiles() + "Veltrin\\Testo\\"; }
  std::string Group() const { return Programs() + "Veltrin\\Testo\\"; }
  std::string InstallerFolder() const { return CommonAppData() + "Veltrin\\Kestrup\\"; }

  TEngineWorld() {
    const std::string shellFolders = kShellFoldersKey;
    auto folder = [&](TRootKey root, const char *name, const std::string &path) {
      registry.WriteValue(root, shellFolders, name,
                          TRegValue::String(path.substr(0, path.size() - 1)));
      files.ForceDirectories(path);
    };
    folder(kHKeyCurrentUser, "AppData", AppData());
    folder(kHKeyCurrentUser, "Desktop", Desktop());
    folder(kHKeyCurrentUser, "Programs", Programs());
    folder(kHKeyLocalMachine, "Common AppData", CommonAppData());
    registry.WriteValue(kHKeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                        "ProgramFilesDir",
                        TRegValue::String(ProgramFiles().substr(0, ProgramFiles().size() - 1)));
    files.ForceDirectories(ProgramFiles());
    files.ForceDirectories(Windows() + "Temp\\");
    files.ForceDirectories(Temp());
    shell.Windows = Windows();
    shell.Temp = Temp();
    shell.System = Windows() + "system32\\";
    shell.Desktop = Desktop();
  }

  // Builds the script (Kestrup.inf) and the setup archive, and prepares the
  // run state as the wizard's start-up does for a first installation.
  void Prepare(const std::string &source = TestProductSource()) {
    setup = scratch.Path("setup.exe");
    ASSERT_EQ(WriteTestProductSetup(files, setup, source, kMemberDos, 5000), "");
    ASSERT_TRUE(archive.LoadDirectory(setup));

    // The start-up's part: installer files in place, the script copy opened.
    files.ForceDirectories(InstallerFolder());
    for (const char *name : {"Kestrup.exe", "KestrupEx.exe", "Kestrup.inf"})
      ASSERT_TRUE(archive.ExtractMember(archive.LookupMember(name), InstallerFolder() + name, "", "",
                                        {}, {}));
    state.ScriptPath = InstallerFolder() + "Kestrup.inf";
    ASSERT_TRUE(script.Open(state.ScriptPath, state.ScriptPath, "", ""));
    TInstallScript reader(script);
    state.Product = ReadProductSettings(reader);
    state.InstallDir = engine.Expand(state.Product.InstallDir);
    state.GroupBase = state.Product.RootKey == kHKeyLocalMachine ? engine.FolderPath(sfCommonPrograms)
                                                                  : engine.FolderPath(sfPrograms);
    state.ProgramGroup = engine.Expand(state.Product.ProgramGroup);
    state.TotalSize = 0;
    for (int32_t r = 1; r <= reader.RecordCount(kFilesTable); ++r)
      state.TotalSize += archive.LookupMember(reader.Field(kFilesTable, "FileName", r)).Size;
  }

  // The log's lines after the time of day (opening and closing lines whole).
  std::vector<std::string> LogMessages() {
    std::string text = ReadTestFile(InstallerFolder() + "Kestrup.log");
    std::vector<std::string> lines;
    for (size_t pos = 0, end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
      std::string line = text.substr(pos, end - pos);
      lines.push_back(line.size() >= 8 && line[2] == ':' && line[5] == ':' ? line.substr(8) : line);
    }
    return lines;
  }
  bool Logged(const std::string &message) {
    for (const std::string &line : LogMessages())
      if (line == message)
        return true;
    return false;
  }
  std::string Reg(const std::string &key, const std::string &name) {
    TRegValue value;
    if (registry.ReadValue(kHKeyCurrentUser, key, name, value) != TRegStatus::Ok)
      return "<none>";
    uint32_t number;
    return value.Type == kRegDWord && value.AsDWord(number) ? "#" + std::to_string(number) : value.Data;
  }
  std::string Ini(const std::string &section, const std::string &key) {
    std::string value;
    profiles.ReadString(InstallDir() + "testo.ini", section, key, "<none>", value);
    return value;
  }

  static constexpr uint32_t kMemberDos = 862411107; // 2005-11-07 11:11:06

  TScratchFolder scratch;
  THeadlessFileSystem files;
  THeadlessRegistry registry;
  THeadlessProfileFiles profiles{files};
  THeadlessShell shell{files};
  TVirtualClock clock{TestNow(), 1000};
  THeadlessLocale locale;
  TRecordingPage page{clock};
  TEnginePlatform platform{files, registry, profiles, shell, clock, locale};
  // The installer's context, as the program builds it; the names below are its parts.
  TKestrupContext kestrup{platform, page};
  TRunState &state = kestrup.State;
  TKestrupEngine &engine = kestrup.Engine;
  TStrovdexObject &script = kestrup.Script;
  TArchive &archive = kestrup.Archive;
  std::string setup;
};

inline void ScratchWrite(TEngineWorld &world, const std::string &path, const std::string &data) {
  world.files.ForceDirectories(ExtractFilePath(path));
  auto stream = world.files.Create(path);
  ASSERT_TRUE(stream) << path;
  stream->Write(data.data(), static_cast<int32_t>(data.size()));
}
