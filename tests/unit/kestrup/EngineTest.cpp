#include "data/archive/DosDateTime.h"
#include "kestrup/Startup.h"
#include "platform/headless/FaultInjectingFileSystem.h"
#include "unit/kestrup/EngineWorld.h"

#include <gtest/gtest.h>

namespace {

const std::string kProductKey = "Software\\Veltrin\\Testo";
const std::string kEntryKey = kUninstallKeyBase + "Testo";

// A file system on which chosen files cannot be deleted, as when a running
// program holds them; each refusal is counted.
class TLockingFileSystem : public THeadlessFileSystem {
public:
  bool RemoveFile(const std::string &path) override {
    for (const std::string &locked : Locked)
      if (path == locked) {
        ++Refusals;
        return false;
      }
    return THeadlessFileSystem::RemoveFile(path);
  }
  // A file held open without sharing cannot be moved aside either.
  bool RenameFile(const std::string &from, const std::string &to, uint32_t flags = 0) override {
    for (const std::string &locked : Locked)
      if (from == locked) {
        ++Refusals;
        return false;
      }
    return THeadlessFileSystem::RenameFile(from, to, flags);
  }
  std::vector<std::string> Locked;
  int Refusals = 0;
};

TEST(EnginePrimitives, RegWriteVerifiesByReadingBack) {
  TEngineWorld w;
  w.engine.OpenLog();
  TRootKey cu = kHKeyCurrentUser;
  EXPECT_TRUE(w.engine.Actions().RegWrite(cu, "Software\\T", "ftInteger", "12", "A"));
  EXPECT_EQ(w.Reg("Software\\T", "A"), "#12");
  // Stored as 7 and 10: the text read back differs, so both count as failures.
  EXPECT_FALSE(w.engine.Actions().RegWrite(cu, "Software\\T", "ftInteger", "007", "B"));
  EXPECT_EQ(w.Reg("Software\\T", "B"), "#7");
  EXPECT_FALSE(w.engine.Actions().RegWrite(cu, "Software\\T", "FTINTEGER", "010", "B"));
  EXPECT_EQ(w.Reg("Software\\T", "B"), "#10");
  EXPECT_FALSE(w.engine.Actions().RegWrite(cu, "Software\\T", "ftInteger", "x", "C"));
  EXPECT_EQ(w.Reg("Software\\T", "C"), "#0");
  EXPECT_TRUE(w.engine.Actions().RegWrite(cu, "Software\\T", "ftBoolean", "1", "D"));
  EXPECT_FALSE(w.engine.Actions().RegWrite(cu, "Software\\T", "ftBoolean", "yes", "E"));
  EXPECT_EQ(w.Reg("Software\\T", "E"), "<none>");
  EXPECT_TRUE(w.engine.Actions().RegWrite(cu, "Software\\T", "ftString", "first", "F"));
  EXPECT_TRUE(w.engine.Actions().RegWrite(cu, "Software\\T", "ftString", "second", "F"));
  EXPECT_EQ(w.Reg("Software\\T", "F"), "second");
  EXPECT_TRUE(w.engine.Actions().RegWrite(cu, "Software\\T", "ftDateTime", "2024-02-29 13:05:09", "G"));
  EXPECT_TRUE(w.engine.Actions().RegWrite(cu, "Software\\T", "ftDate", "2024-02-29", "H"));
  // A date alone in a date-time row reads back without a time part.
  EXPECT_TRUE(w.engine.Actions().RegWrite(cu, "Software\\T", "ftDateTime", "2024-02-29", "G"));
  EXPECT_FALSE(w.engine.Actions().RegWrite(cu, "Software\\T", "ftDate", "29 Feb", "I"));
  // A type that stores nothing succeeds only for empty data.
  EXPECT_TRUE(w.engine.Actions().RegWrite(cu, "Software\\T", "ftCurrency", "", "J"));
  EXPECT_FALSE(w.engine.Actions().RegWrite(cu, "Software\\T", "ftFloat", "1.5", "J"));
  w.registry.SetReadOnly(kHKeyLocalMachine);
  EXPECT_FALSE(w.engine.Actions().RegWrite(kHKeyLocalMachine, "Software\\T", "ftString", "x", "K"));
  w.engine.CloseLog();
  auto log = w.LogMessages();
  // Missing values of typed kinds are read errors (E, I); ftFloat reads as empty without one.
  EXPECT_EQ(std::count(log.begin(), log.end(), " Error: unable to read from the registry"), 2);
  EXPECT_EQ(std::count(log.begin(), log.end(), " Error: unable to write to the registry"), 1); // I
  EXPECT_EQ(std::count(log.begin(), log.end(), " Error: unable to open key in the registry"), 1); // K
}

TEST(EnginePrimitives, RegDeleteValueRemovesTheEmptiedKeyOnly) {
  TEngineWorld w;
  w.registry.WriteValue(kHKeyCurrentUser, "Software\\A\\B", "x", TRegValue::String("1"));
  w.registry.WriteValue(kHKeyCurrentUser, "Software\\A\\B", "y", TRegValue::String("2"));
  EXPECT_TRUE(w.engine.Actions().RegDeleteValue(kHKeyCurrentUser, "Software\\A\\B", "x"));
  EXPECT_TRUE(w.registry.KeyExists(kHKeyCurrentUser, "Software\\A\\B"));
  EXPECT_TRUE(w.engine.Actions().RegDeleteValue(kHKeyCurrentUser, "Software\\A\\B", "y"));
  EXPECT_FALSE(w.registry.KeyExists(kHKeyCurrentUser, "Software\\A\\B"));
  EXPECT_TRUE(w.registry.KeyExists(kHKeyCurrentUser, "Software\\A"));
  EXPECT_TRUE(w.engine.Actions().RegDeleteValue(kHKeyCurrentUser, "Software\\Nowhere", "x"));
  EXPECT_TRUE(w.engine.Actions().RegDeleteKey(kHKeyCurrentUser, "Software\\A"));
  EXPECT_FALSE(w.registry.KeyExists(kHKeyCurrentUser, "Software\\A"));
  EXPECT_TRUE(w.engine.Actions().RegDeleteKey(kHKeyCurrentUser, "Software\\A"));
}

// A key deleted while the journal records (the uninstall entry) comes back
// from a rollback with every value of its subkeys.
TEST(EnginePrimitives, KeyDeletedWhileRecordingComesBackWhole) {
  TEngineWorld w;
  w.registry.WriteValue(kHKeyCurrentUser, "Software\\A", "x", TRegValue::String("1"));
  w.registry.WriteValue(kHKeyCurrentUser, "Software\\A\\B", "y", TRegValue::DWord(2));
  TEngineContext context(w.platform, w.state, w.page);
  ASSERT_TRUE(context.Journal.Begin(w.Root() + "run.jnl"));
  ASSERT_TRUE(context.Actions.RegDeleteKey(kHKeyCurrentUser, "Software\\A"));
  EXPECT_FALSE(w.registry.KeyExists(kHKeyCurrentUser, "Software\\A"));
  EXPECT_TRUE(context.Journal.RollBack());
  EXPECT_EQ(w.Reg("Software\\A", "x"), "1");
  EXPECT_EQ(w.Reg("Software\\A\\B", "y"), "#2");
}

TEST(EnginePrimitives, IniDeletionErasesTheSectionAndThenTheFile) {
  TEngineWorld w;
  std::string ini = w.Root() + "sub\\dir\\test.ini";
  EXPECT_TRUE(w.engine.Actions().IniDelete(ini, "S", "k")); // no file: nothing to do
  ASSERT_TRUE(w.engine.Actions().IniWrite(ini, "S", "k", "1"));
  ASSERT_TRUE(w.engine.Actions().IniWrite(ini, "S", "m", "2"));
  ASSERT_TRUE(w.engine.Actions().IniWrite(ini, "T", "n", "3"));
  EXPECT_FALSE(w.engine.Actions().IniWrite(ini, "T", "o", " padded ")); // stored trimmed
  EXPECT_FALSE(w.engine.Actions().IniWrite(ini, "T", "q", "\"quoted\"")); // read back without quotes
  EXPECT_TRUE(w.engine.Actions().IniDelete(ini, "T", "q"));
  EXPECT_TRUE(w.engine.Actions().IniValueExists(ini, "s", "K"));
  EXPECT_EQ(w.engine.Actions().IniRead(ini, "T", "n", "d"), "3");

  EXPECT_TRUE(w.engine.Actions().IniDelete(ini, "S", "k"));
  std::vector<std::string> sections;
  w.profiles.SectionNames(ini, sections);
  EXPECT_EQ(sections, (std::vector<std::string>{"S", "T"}));
  EXPECT_TRUE(w.engine.Actions().IniDelete(ini, "S", "m"));
  w.profiles.SectionNames(ini, sections);
  EXPECT_EQ(sections, std::vector<std::string>{"T"});
  EXPECT_TRUE(w.engine.Actions().IniDelete(ini, "T", "n"));
  EXPECT_TRUE(w.engine.Actions().IniDelete(ini, "T", "o"));
  EXPECT_FALSE(w.files.FileExists(ini));
  EXPECT_FALSE(w.engine.Actions().IniValueExists(ini, "T", "n"));
  // Paths that climb out of their folder are refused.
  EXPECT_FALSE(w.engine.Actions().IniWrite(w.Root() + "a\\..\\..\\x.ini", "S", "k", "1"));
}

TEST(EnginePrimitives, ShortcutsNumberOnlyWhenTheOldOneStays) {
  TEngineWorld w;
  std::string group = w.Root() + "Group\\";
  std::string target = w.Root() + "App\\Tool.exe";
  ASSERT_TRUE(w.engine.Actions().CreateShortcut(group, "Tool", "Ctrl+Alt+M", "", "/x", 1, target, target));
  TShortcutData data;
  ASSERT_TRUE(w.shell.LoadShortcut(group + "Tool.LNK", data));
  EXPECT_EQ(data.Target, target);
  EXPECT_EQ(data.WorkingDirectory, w.Root() + "App\\");
  EXPECT_EQ(data.HotKey, (kHotKeyCtrl | kHotKeyAlt) << 8 | 'M');
  // A second one replaces the first...
  ASSERT_TRUE(w.engine.Actions().CreateShortcut(group, "Tool", "", "", "", 0, "", target + "2"));
  EXPECT_FALSE(w.files.FileExists(group + "Tool (2).LNK"));
  // ...unless the first cannot be deleted.
  w.files.SetAttributes(group + "Tool.LNK", kFileAttributeArchive);
  TLockingFileSystem locking;
  TEnginePlatform platform{locking, w.registry, w.profiles, w.shell, w.clock, w.locale};
  TKestrupEngine engine(platform, w.state, w.page);
  locking.Locked = {group + "Tool.LNK"};
  ASSERT_TRUE(engine.Actions().CreateShortcut(group, "Tool", "", "", "", 0, "", target));
  ASSERT_TRUE(engine.Actions().CreateShortcut(group, "Tool", "", "", "", 0, "", target));
  EXPECT_TRUE(w.files.FileExists(group + "Tool (2).LNK"));
  EXPECT_TRUE(w.files.FileExists(group + "Tool (3).LNK"));
  // An empty name and an empty folder: "Shortcut to" on the desktop.
  ASSERT_TRUE(w.engine.Actions().CreateShortcut("", "", "", "", "", 0, "", target));
  EXPECT_TRUE(w.files.FileExists(w.Desktop() + "Shortcut to Tool.exe.LNK"));
  w.engine.OpenLog();
  EXPECT_FALSE(w.engine.Actions().CreateShortcut(group, "x", "", "", "", 0, "", ""));
  EXPECT_FALSE(w.engine.Actions().CreateShortcut(group + "..\\..\\", "x", "", "", "", 0, "", target));
  w.shell.FailShortcuts = true;
  EXPECT_FALSE(w.engine.Actions().CreateShortcut(group, "y", "", "", "", 0, "", target));
  w.engine.CloseLog();
  EXPECT_TRUE(w.Logged(" Error: unable to create shortcut to "));
  EXPECT_TRUE(w.Logged(" Error: unable to create shortcut to " + target));
}

TEST(EnginePrimitives, RemoveEmptyFoldersStopsAtFilesAndShellFolders) {
  TEngineWorld w;
  std::string top = w.Programs() + "Veltrin\\Testo\\";
  w.files.ForceDirectories(top + "a\\b\\");
  w.files.ForceDirectories(top + "hidden\\");
  w.files.SetAttributes(top + "hidden\\", kFileAttributeDirectory | kFileAttributeHidden);
  EXPECT_FALSE(w.engine.Actions().RemoveEmptyFolders(top)); // the hidden folder is not entered
  EXPECT_FALSE(w.files.DirectoryExists(top + "a\\"));
  EXPECT_TRUE(w.files.DirectoryExists(top + "hidden\\"));
  w.files.SetAttributes(top + "hidden\\", kFileAttributeDirectory);
  EXPECT_TRUE(w.engine.Actions().RemoveEmptyFolders(top));
  // "Veltrin" went with it; the emptied Programs folder of the shell stays.
  EXPECT_FALSE(w.files.DirectoryExists(w.Programs() + "Veltrin\\"));
  EXPECT_TRUE(w.files.DirectoryExists(w.Programs()));
  // The check of the shell folders leaves no log lines, even where their keys are missing.
  w.engine.OpenLog();
  w.registry.DeleteKey(kHKeyCurrentUser, kShellFoldersKey);
  w.files.ForceDirectories(w.Programs() + "Other\\");
  EXPECT_TRUE(w.engine.Actions().RemoveEmptyFolders(w.Programs() + "Other\\"));
  w.engine.CloseLog();
  EXPECT_EQ(w.LogMessages().size(), 3u); // opening line, closing line and the empty line
  ScratchWrite(w, w.Root() + "keep\\inner\\file.txt");
  EXPECT_FALSE(w.engine.Actions().RemoveEmptyFolders(w.Root() + "keep\\"));
  EXPECT_TRUE(w.files.FileExists(w.Root() + "keep\\inner\\file.txt"));
}

TEST(EnginePrimitives, OpenDocumentByAssociation) {
  TEngineWorld w;
  w.registry.WriteValue(kHKeyClassesRoot, ".TXT", "", TRegValue::String("txtfile"));
  w.registry.WriteValue(kHKeyClassesRoot, "txtfile\\Shell\\Open\\Command", "",
                        TRegValue::String("%SystemRoot%\\system32\\NOTEPAD.EXE %1"));
  EXPECT_TRUE(w.engine.Actions().OpenDocument("txt", "C:\\Logs\\Kestrup.log"));
  ASSERT_EQ(w.shell.Opened.size(), 1u);
  EXPECT_EQ(w.shell.Opened[0].File, w.Windows() + "system32\\NOTEPAD.EXE");
  EXPECT_EQ(w.shell.Opened[0].Arguments, "C:\\Logs\\Kestrup.log");
  EXPECT_EQ(w.shell.Opened[0].Folder, "C:\\Logs\\");
  EXPECT_TRUE(w.engine.Actions().OpenDocument("txt", "C:\\Program Files\\Readme.txt"));
  EXPECT_EQ(w.shell.Opened.back().Arguments, "\"C:\\Program Files\\Readme.txt\"");
  w.shell.Opened.pop_back();
  EXPECT_FALSE(w.engine.Actions().OpenDocument(".doc", "C:\\a.doc"));
  // A program starts itself, with no association for programs (Wine has
  // none) as with an empty command.
  EXPECT_TRUE(w.engine.Actions().OpenDocument(".exe", "C:\\App\\Tool.exe"));
  ASSERT_EQ(w.shell.Opened.size(), 2u);
  EXPECT_EQ(w.shell.Opened[1].File, "C:\\App\\Tool.exe");
  w.registry.WriteValue(kHKeyClassesRoot, ".EXE", "", TRegValue::String("exefile"));
  w.registry.WriteValue(kHKeyClassesRoot, "exefile\\Shell\\Open\\Command", "",
                        TRegValue::String("\"%1\" %*"));
  EXPECT_TRUE(w.engine.Actions().OpenDocument(".exe", "C:\\App\\Tool.exe"));
  ASSERT_EQ(w.shell.Opened.size(), 3u);
  EXPECT_EQ(w.shell.Opened[2].File, "C:\\App\\Tool.exe");
  EXPECT_EQ(w.shell.Opened[2].Arguments, "");
  EXPECT_EQ(w.shell.Opened[2].Folder, "C:\\App\\");
}

TEST(EngineLog, OpeningErrorAndClosingLines) {
  TEngineWorld w;
  w.engine.OpenLog();
  w.engine.Log(" Error: writing failed to x.ini");
  w.engine.CloseLog();
  w.engine.OpenLog(); // a second run appends
  w.engine.CloseLog();
  std::string text = ReadTestFile(w.InstallerFolder() + "Kestrup.log");
  EXPECT_EQ(text, "**** Kestrup started at 12-09-2026 13:05:09 ****\r\n"
                  "13:05:09 Error: writing failed to x.ini\r\n"
                  "**** Kestrup closed at 12-09-2026 13:05:09 ****\r\n\r\n"
                  "**** Kestrup started at 12-09-2026 13:05:09 ****\r\n"
                  "**** Kestrup closed at 12-09-2026 13:05:09 ****\r\n\r\n");
  // The locale's separators stand for "/" and ":".
  TLocaleFormats dotted = THeadlessLocale::DefaultFormats();
  dotted.ShortDate = "dd.MM.yyyy";
  dotted.LongTime = "HH.mm.ss";
  THeadlessLocale locale(dotted);
  TEnginePlatform platform{w.files, w.registry, w.profiles, w.shell, w.clock, locale};
  TKestrupEngine engine(platform, w.state, w.page);
  w.files.RemoveFile(w.InstallerFolder() + "Kestrup.log");
  engine.OpenLog();
  engine.Log(" Initialization ok");
  engine.CloseLog();
  EXPECT_EQ(ReadTestFile(w.InstallerFolder() + "Kestrup.log"),
            "**** Kestrup started at 12.09.2026 13.05.09 ****\r\n13.05.09 Initialization ok\r\n"
            "**** Kestrup closed at 12.09.2026 13.05.09 ****\r\n\r\n");
}

TEST(EngineLog, NoApplicationDataFolderMeansNoInstallerFolderAndNoLog) {
  TEngineWorld w;
  w.registry.DeleteKey(kHKeyLocalMachine, kShellFoldersKey);
  w.registry.DeleteKey(kHKeyCurrentUser, kShellFoldersKey);
  EXPECT_EQ(w.engine.InstallerFolder(), "");
  w.engine.OpenLog();
  w.engine.Log(" Initialization failed");
  w.state.FirstRun = w.state.Cancelled = true;
  w.engine.CloseDown();
  EXPECT_EQ(w.engine.LogPath(), "");
  EXPECT_FALSE(w.files.FileExists("\\Veltrin\\Kestrup\\Kestrup.log"));
}

TEST(EngineInstall, FreshInstallAppliesEveryRowAndRegistersTheUninstaller) {
  TEngineWorld w;
  w.Prepare();
  w.engine.OpenLog();
  w.engine.FreshInstall();
  w.engine.CloseLog();
  EXPECT_FALSE(w.state.ErrorsLogged) << ReadTestFile(w.InstallerFolder() + "Kestrup.log");
  EXPECT_TRUE(w.state.Completed);
  EXPECT_TRUE(w.page.FinishShown);
  EXPECT_EQ(w.page.Buttons, (std::vector<bool>{false, true, false}));
  std::string dir = w.InstallDir();
  for (const char *name : {"Testo.exe", "Readme.txt", "Shared.dll"})
    EXPECT_TRUE(w.files.FileExists(dir + name)) << name;
  EXPECT_TRUE(w.files.FileExists(dir + "Data\\Old.dat")); // obsolescent rows install too
  uint32_t attributes = 0;
  w.files.GetAttributes(dir + "Readme.txt", attributes);
  EXPECT_EQ(attributes, kFileAttributeReadOnly);
  TDateTime when = 0, expected = 0;
  w.files.GetLastWriteTime(dir + "Testo.exe", when);
  DosDateTimeToDateTime(TEngineWorld::kMemberDos, expected);
  EXPECT_DOUBLE_EQ(when, expected);
  // The script's own row counts in the total but has no target folder.
  EXPECT_EQ(w.page.Bars[TPageBar::InstallProgress].first,
            w.state.TotalSize - w.archive.LookupMember("Kestrup.inf").Size);

  EXPECT_EQ(w.Ini("Settings", "Path"), dir);
  EXPECT_EQ(w.Ini("Settings", "Version"), "1.2");
  EXPECT_EQ(w.Ini("Old", "Gone"), "yes");
  EXPECT_EQ(w.Reg(kProductKey, "Path"), dir);
  EXPECT_EQ(w.Reg(kProductKey, "Count"), "#12");
  EXPECT_EQ(w.Reg(kProductKey, "Enabled"), "#1");
  EXPECT_EQ(w.Reg(kProductKey + "\\Old", "Legacy"), "abc");

  TShortcutData link;
  ASSERT_TRUE(w.shell.LoadShortcut(w.Group() + "Testo.LNK", link));
  EXPECT_EQ(link.Target, dir + "Testo.exe");
  EXPECT_EQ(link.Arguments, "/start");
  EXPECT_EQ(link.HotKey, (kHotKeyCtrl | kHotKeyAlt) << 8 | 'T');
  ASSERT_TRUE(w.shell.LoadShortcut(w.Desktop() + "Testo.LNK", link));
  EXPECT_EQ(link.IconFile, dir + "Testo.exe");
  EXPECT_EQ(link.WorkingDirectory, dir);

  std::string copy = w.AppData() + "Veltrin\\Kestrup\\Testo.inf";
  EXPECT_TRUE(w.files.FileExists(copy));
  EXPECT_EQ(w.Reg(kEntryKey, "DisplayName"), "Testo 1.2");
  EXPECT_EQ(w.Reg(kEntryKey, "UninstallString"),
            "\"" + w.InstallerFolder() + "Kestrup.exe\" \"uninstall\" \"" + copy + "\"");
  EXPECT_EQ(w.Reg(kEntryKey, "InstallDir"), dir);
  EXPECT_EQ(w.Reg(kEntryKey, "ProgramGroup"), w.Group());
  EXPECT_EQ(w.Reg(kEntryKey, "ProgramVersionNumber"), "#120");
  EXPECT_TRUE(w.Logged(" Extracting Testo.exe to " + dir));
}

TEST(EngineInstall, ReinstallSkipsFilesThatAreNotOlder) {
  TEngineWorld w;
  w.Prepare();
  w.engine.FreshInstall();
  ScratchWrite(w, w.InstallDir() + "Testo.exe", "user's newer build");
  w.files.SetLastWriteTime(w.InstallDir() + "Testo.exe", TestNow());
  w.state.Completed = false;
  w.engine.FreshInstall();
  EXPECT_TRUE(w.state.Completed);
  EXPECT_EQ(ReadTestFile(w.InstallDir() + "Testo.exe"), "user's newer build");
  // The script's own row counts in the total but has no target folder.
  EXPECT_EQ(w.page.Bars[TPageBar::InstallProgress].first,
            w.state.TotalSize - w.archive.LookupMember("Kestrup.inf").Size);
}

// A script that could not be opened is no script: nothing is applied or
// removed, and the run ends with errors instead of "complete".
TEST(EngineInstall, UnopenedScriptFailsTheRun) {
  TEngineWorld w; // the context's script stays closed
  w.engine.FreshInstall();
  EXPECT_TRUE(w.state.ErrorsLogged);
  EXPECT_FALSE(w.state.Completed);
  EXPECT_TRUE(w.page.FinishShown);
  w.state = TRunState{};
  w.engine.Uninstall();
  EXPECT_TRUE(w.state.ErrorsLogged);
  EXPECT_FALSE(w.state.Completed);
  EXPECT_EQ(w.page.Labels[TPageLabel::UninstallMessage],
            "Uninstall complete with errors... Tip! View the log file and rerun uninstall.");
}

// Writes into the installation folder that fail (one at a time, then a disk
// that fills up): the install stops at the file that failed, names it, and
// is rolled back, so no file of it remains, whole or cut short.
TEST(EngineInstall, FailingWritesLeaveNoPartlyWrittenFiles) {
  using TOperation = TFaultInjectingFileSystem::TOperation;
  const std::vector<std::string> names = {"Testo.exe", "Readme.txt", "Data\\Old.dat", "Shared.dll"};
  auto install = [&](const std::function<void(TFaultInjectingFileSystem &)> &fault,
                     const std::string &context) -> int {
    TEngineWorld w;
    w.Prepare();
    TFaultInjectingFileSystem faulty(w.files);
    faulty.SetPathMask(w.InstallDir() + "*"); // the log stays writable
    TEnginePlatform platform{faulty, w.registry, w.profiles, w.shell, w.clock, w.locale};
    TKestrupEngine engine(platform, w.state, w.page);
    TArchive archive(faulty);
    EXPECT_TRUE(archive.LoadDirectory(w.setup));
    engine.SetScript(&w.script);
    engine.SetArchive(&archive);
    fault(faulty);
    engine.OpenLog();
    engine.FreshInstall();
    engine.CloseLog();
    EXPECT_GT(faulty.Failures(), 0) << context;
    EXPECT_TRUE(w.state.ErrorsLogged) << context;
    EXPECT_FALSE(w.state.Completed) << context;
    int absent = 0, named = 0;
    for (const std::string &name : names) {
      const std::string path = w.InstallDir() + name;
      if (!w.files.FileExists(path)) {
        ++absent;
        named += w.Logged(" Error: Unable to create " + path);
        continue;
      }
      EXPECT_EQ(static_cast<int32_t>(ReadTestFile(path).size()),
                archive.LookupMember(ExtractFileName(name)).Size)
          << context << " " << name;
    }
    EXPECT_EQ(named, 1) << context; // the run went no further
    EXPECT_TRUE(w.state.RolledBack) << context;
    return absent;
  };
  for (int n = 1; n <= static_cast<int>(names.size()); ++n)
    EXPECT_EQ(install([n](TFaultInjectingFileSystem &f) { f.Fail(TOperation::Write, n); },
                      "write " + std::to_string(n)),
              4);
  // Room for part of the program only.
  EXPECT_EQ(install([](TFaultInjectingFileSystem &f) { f.SetDiskSpace(2000); }, "full disk"), 4);
}

// After a fresh install of the test product, an update with the same rows:
// each table's row of each status is checked, removed, applied or ignored.
TEST(EngineInstall, UpdateHandlesEveryRowByStatus) {
  TEngineWorld w;
  w.Prepare();
  w.engine.FreshInstall();
  ASSERT_TRUE(w.state.Completed);
  std::string dir = w.InstallDir();
  // Changes the update should repair (included), leave (shared) or check (empty).
  w.profiles.WriteString(dir + "testo.ini", "Settings", "Version", "0.9");
  w.profiles.WriteString(dir + "testo.ini", "Settings", "Tag", "changed");
  w.registry.WriteValue(kHKeyCurrentUser, kProductKey, "Count", TRegValue::DWord(1));
  w.registry.WriteValue(kHKeyCurrentUser, kProductKey, "Installed", TRegValue::String("kept"));
  w.files.RemoveFile(dir + "Shared.dll");
  w.files.RemoveFile(w.Group() + "Help.LNK");
  w.registry.WriteValue(kHKeyCurrentUser, kProductKey + "\\Old", "Mine", TRegValue::String("1"));

  w.state = TRunState{w.state};
  w.state.Completed = false;
  w.state.Product.IsUpdate = true;
  w.engine.OpenLog();
  w.engine.UpdateInstall();
  w.engine.CloseLog();
  EXPECT_FALSE(w.state.ErrorsLogged) << ReadTestFile(w.InstallerFolder() + "Kestrup.log");
  EXPECT_TRUE(w.state.Completed);
  // Files: empty checked, included applied, obsolescent removed, shared ignored.
  EXPECT_TRUE(w.files.FileExists(dir + "Testo.exe"));
  EXPECT_TRUE(w.files.FileExists(dir + "Readme.txt"));
  EXPECT_FALSE(w.files.FileExists(dir + "Data\\Old.dat"));
  EXPECT_FALSE(w.files.FileExists(dir + "Shared.dll"));
  // Ini Files.
  EXPECT_EQ(w.Ini("Settings", "Path"), dir);
  EXPECT_EQ(w.Ini("Settings", "Version"), "1.2");
  EXPECT_EQ(w.Ini("Old", "Gone"), "<none>");
  EXPECT_EQ(w.Ini("Settings", "Tag"), "changed");
  // Registry.
  EXPECT_EQ(w.Reg(kProductKey, "Count"), "#12");
  // The obsolescent value goes; its key stays while it holds another value.
  EXPECT_EQ(w.Reg(kProductKey + "\\Old", "Legacy"), "<none>");
  EXPECT_EQ(w.Reg(kProductKey + "\\Old", "Mine"), "1");
  EXPECT_EQ(w.Reg(kProductKey, "Installed"), "kept");
  EXPECT_EQ(w.Reg(kProductKey, "Case"), "kept"); // "Obsolescent" is no status
  // Shortcuts: empty checked, included applied, obsolescent removed.
  EXPECT_TRUE(w.files.FileExists(w.Group() + "Readme.LNK"));
  EXPECT_FALSE(w.files.FileExists(w.Group() + "Old Tool.LNK"));
  EXPECT_FALSE(w.files.FileExists(w.Group() + "Help.LNK"));

  // Rows of empty status whose targets are gone are failures with their lines.
  w.files.RemoveFile(dir + "Testo.exe");
  w.files.RemoveFile(w.Group() + "Testo.LNK");
  w.profiles.DeleteKey(dir + "testo.ini", "Settings", "Path");
  w.state.ErrorsLogged = w.state.Completed = false;
  w.engine.OpenLog();
  w.engine.UpdateInstall();
  w.engine.CloseLog();
  EXPECT_TRUE(w.state.ErrorsLogged);
  EXPECT_FALSE(w.state.Completed);
  EXPECT_TRUE(w.Logged(" Error: unable to find " + dir + "Testo.exe"));
  EXPECT_TRUE(w.Logged(" Error: unable to find " + w.Group() + "Testo.LNK"));
}

TEST(EngineUninstall, RemovesEverythingAndTheEntry) {
  TEngineWorld w;
  w.Prepare();
  w.engine.FreshInstall();
  ScratchWrite(w, w.InstallDir() + "Shared.dll"); // a shared file stays unless this is the last product
  w.state.Mode = TRunMode::Uninstall;
  w.state.Completed = false;
  w.state.LastProduct = false;
  w.state.ProgramGroup = w.Group();
  w.state.GroupBase = "";
  w.engine.OpenLog();
  w.engine.Uninstall();
  w.engine.CloseLog();
  EXPECT_TRUE(w.files.FileExists(w.InstallDir() + "Shared.dll"));
  EXPECT_TRUE(w.state.ErrorsLogged); // the folder holding it stays
  EXPECT_TRUE(w.Logged(" Error: unable to delete " + w.InstallDir()));
  EXPECT_TRUE(w.registry.KeyExists(kHKeyCurrentUser, kEntryKey));

  w.state.ErrorsLogged = false;
  w.state.LastProduct = true;
  w.page.BarPositions.clear();
  w.engine.Uninstall();
  EXPECT_FALSE(w.state.ErrorsLogged) << ReadTestFile(w.InstallerFolder() + "Kestrup.log");
  EXPECT_TRUE(w.state.Completed);
  // The bar goes through the five steps, one each, and ends full.
  EXPECT_EQ(w.page.BarPositions[TPageBar::UninstallProgress], (std::vector<int64_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(w.page.Bars[TPageBar::UninstallProgress].second, 5);
  EXPECT_FALSE(w.files.DirectoryExists(w.InstallDir()));
  EXPECT_FALSE(w.files.DirectoryExists(w.ProgramFiles() + "Veltrin\\"));
  EXPECT_TRUE(w.files.DirectoryExists(w.ProgramFiles()));
  EXPECT_FALSE(w.files.DirectoryExists(w.Group()));
  EXPECT_FALSE(w.files.FileExists(w.Desktop() + "Testo.LNK"));
  EXPECT_FALSE(w.registry.KeyExists(kHKeyCurrentUser, kProductKey));
  EXPECT_FALSE(w.registry.KeyExists(kHKeyCurrentUser, kEntryKey));
  EXPECT_EQ(w.page.Labels[TPageLabel::UninstallMessage], "Uninstall complete...");
  EXPECT_EQ(w.page.Labels[TPageLabel::UninstallBottom], "Click next to finish uninstall!");
  EXPECT_FALSE(w.page.ProgressVisible);
  // The row without a target folder was never installed and is not looked for elsewhere.
  EXPECT_TRUE(w.files.FileExists(w.InstallerFolder() + "Kestrup.inf"));
}

TEST(EngineInstall, FilesClimbingOutOfTheirFolderAreRefused) {
  TEngineWorld w;
  w.Prepare(Edit(TestProductSource(), "row \"[ftInstallDir]\" 0 Shared.dll 32 shared",
                 "row \"[ftInstallDir]..\\\\..\\\\\" 0 Shared.dll 32 shared"));
  w.engine.OpenLog();
  w.engine.FreshInstall();
  w.engine.CloseLog();
  EXPECT_TRUE(w.state.ErrorsLogged);
  std::string outside = w.InstallDir() + "..\\..\\Shared.dll";
  EXPECT_TRUE(w.Logged(" Error: Unable to create " + outside));
  EXPECT_FALSE(w.files.FileExists(w.ProgramFiles() + "Shared.dll"));
  ScratchWrite(w, w.ProgramFiles() + "Shared.dll", "another product's");
  w.state.ErrorsLogged = false;
  w.state.LastProduct = true;
  w.engine.OpenLog();
  w.engine.Uninstall();
  w.engine.CloseLog();
  EXPECT_TRUE(w.state.ErrorsLogged);
  EXPECT_TRUE(w.files.FileExists(w.ProgramFiles() + "Shared.dll"));
  EXPECT_TRUE(w.Logged(" Error: unable to delete " + outside));
}

// Without a title the entry's key would be the Uninstall key itself, which
// holds every product's entry: the start-up refuses such a script, and the
// engine neither writes into nor deletes that key.
TEST(EngineUninstall, ProductWithoutTitleLeavesOtherProductsEntries) {
  TEngineWorld w;
  w.Prepare(Edit(TestProductSource(), "row ProgramTitle Testo", "row ProgramTitle \"\""));
  EXPECT_FALSE(UsableProductTitle(w.state.Product.ProgramTitle));
  EXPECT_FALSE(UsableProductTitle("Veltrin\\"));
  EXPECT_TRUE(UsableProductTitle(" Testo 2"));
  const std::string other = kUninstallKeyBase + "Other";
  w.registry.WriteValue(kHKeyCurrentUser, other, "DisplayName", TRegValue::String("Other 1.0"));
  w.engine.FreshInstall();
  EXPECT_TRUE(w.state.ErrorsLogged);
  std::vector<std::string> values;
  ASSERT_TRUE(w.registry.ValueNames(kHKeyCurrentUser, kUninstallKeyBase, values));
  EXPECT_TRUE(values.empty());
  w.state.ErrorsLogged = false;
  w.state.LastProduct = true;
  w.engine.Uninstall();
  EXPECT_TRUE(w.state.ErrorsLogged);
  EXPECT_EQ(w.Reg(other, "DisplayName"), "Other 1.0");
}

TEST(EngineUninstall, UsersOwnFileKeepsTheFolderAndTheEntry) {
  TEngineWorld w;
  w.Prepare();
  w.engine.FreshInstall();
  ScratchWrite(w, w.InstallDir() + "my notes.txt");
  w.state.Completed = false;
  w.state.LastProduct = true;
  w.engine.OpenLog();
  w.engine.Uninstall();
  w.engine.CloseLog();
  EXPECT_TRUE(w.state.ErrorsLogged);
  EXPECT_FALSE(w.state.Completed);
  EXPECT_TRUE(w.files.FileExists(w.InstallDir() + "my notes.txt"));
  EXPECT_FALSE(w.files.FileExists(w.InstallDir() + "Testo.exe"));
  EXPECT_TRUE(w.Logged(" Error: unable to delete " + w.InstallDir()));
  EXPECT_TRUE(w.registry.KeyExists(kHKeyCurrentUser, kEntryKey));
  EXPECT_EQ(w.page.Labels[TPageLabel::UninstallBottom],
            "Click next to finish uninstall and view the logfile!");
}

// An obsolete file or shortcut that will not go is named in the log.
TEST(EngineInstall, UndeletableObsoleteFileAndShortcutAreNamed) {
  TEngineWorld w;
  w.Prepare();
  w.engine.FreshInstall();
  const std::string oldFile = w.InstallDir() + "Data\\Old.dat", oldLink = w.Group() + "Old Tool.LNK";
  ASSERT_TRUE(w.files.FileExists(oldFile));
  ASSERT_TRUE(w.files.FileExists(oldLink));
  TLockingFileSystem locking;
  locking.Locked = {oldFile, oldLink};
  TEnginePlatform platform{locking, w.registry, w.profiles, w.shell, w.clock, w.locale};
  TKestrupEngine engine(platform, w.state, w.page);
  engine.SetScript(&w.script);
  w.state = TRunState{w.state};
  w.state.Product.IsUpdate = true;
  engine.OpenLog();
  engine.UpdateInstall();
  engine.CloseLog();
  EXPECT_TRUE(w.state.ErrorsLogged);
  EXPECT_TRUE(w.Logged(" Error: unable to delete " + oldFile));
  EXPECT_TRUE(w.Logged(" Error: unable to delete " + oldLink));
}

// A program of the product that cannot be moved aside, not even after five
// seconds, and not for being in use: the uninstall stops there and is
// rolled back, so the product stays whole and can still be uninstalled.
TEST(EngineUninstall, LockedProgramIsRetriedForFiveSecondsThenRolledBack) {
  TEngineWorld w;
  w.Prepare();
  w.engine.FreshInstall();
  TLockingFileSystem locking;
  TEnginePlatform platform{locking, w.registry, w.profiles, w.shell, w.clock, w.locale};
  TKestrupEngine engine(platform, w.state, w.page);
  engine.SetScript(&w.script);
  locking.Locked = {w.InstallDir() + "Testo.exe", w.InstallDir() + "Readme.txt"};
  w.state.Completed = false;
  w.state.LastProduct = true;
  engine.OpenLog();
  engine.Uninstall();
  engine.CloseLog();
  EXPECT_EQ(w.page.WaitedMs, 5000u);
  EXPECT_EQ(locking.Refusals, 1 + 5); // the run went no further than the program
  EXPECT_TRUE(w.Logged(" Error: unable to delete " + w.InstallDir() + "Testo.exe"));
  EXPECT_FALSE(w.Logged(" Error: unable to delete " + w.InstallDir() + "Readme.txt"));
  EXPECT_TRUE(w.Logged(" The previous version was restored"));
  EXPECT_FALSE(w.page.BusyCursor);
  EXPECT_TRUE(w.state.RolledBack && w.state.ErrorsLogged && !w.state.Completed);
  EXPECT_TRUE(w.files.FileExists(w.InstallDir() + "Shared.dll"));
  EXPECT_TRUE(w.files.FileExists(w.Group() + "Testo.LNK"));
  EXPECT_EQ(w.Reg(kProductKey, "Count"), "#12");
  EXPECT_EQ(w.Reg(kEntryKey, "DisplayName"), "Testo 1.2");
  EXPECT_EQ(w.page.Labels[TPageLabel::UninstallMessage],
            "The uninstall could not be completed: the product was left as it was.");
}

TEST(EngineCloseDown, LastUninstallStartsTheCleanUpProgram) {
  TEngineWorld w;
  w.Prepare();
  w.engine.FreshInstall();
  w.state.Mode = TRunMode::Uninstall;
  w.state.Completed = false;
  w.state.LastProduct = true;
  w.state.ScriptPath = w.AppData() + "Veltrin\\Kestrup\\Testo.inf";
  w.engine.OpenLog();
  w.engine.Uninstall();
  ASSERT_TRUE(w.state.Completed);
  w.registry.WriteValue(kHKeyCurrentUser, "Software\\Veltrin", "x", TRegValue::String("1"));
  // A folder an earlier uninstall left is never used again.
  ScratchWrite(w, w.Temp() + "KestrupEx1\\KestrupEx.exe", "an earlier copy");
  w.engine.CloseDown();
  EXPECT_FALSE(w.files.FileExists(w.state.ScriptPath));
  EXPECT_FALSE(w.registry.KeyExists(kHKeyCurrentUser, "Software\\Veltrin"));
  // No recycle folder on this disk: the copy in a new folder of the user's
  // own temporary folder is started, not one in the Windows folder's Temp.
  std::string cleaner = w.Temp() + "KestrupEx2\\KestrupEx.exe";
  EXPECT_TRUE(w.files.FileExists(cleaner));
  EXPECT_FALSE(w.files.FileExists(w.Windows() + "Temp\\KestrupEx.exe"));
  ASSERT_EQ(w.shell.Started.size(), 1u);
  EXPECT_EQ(w.shell.Started[0].File, cleaner);
  EXPECT_EQ(w.shell.Started[0].Arguments, "\"/kestrup\" \"" + w.CommonAppData() + "\"");
  EXPECT_EQ(w.files.ListFiles(w.InstallerFolder()), std::vector<std::string>{"Kestrup.exe"});
}

// The folder pages' check makes a missing folder and removes every level it
// made, so an installation that then fails leaves none; what existed stays.
TEST(EngineStartup, ProvingAFolderLeavesNoneOfTheLevelsItMade) {
  TEngineWorld w;
  EXPECT_TRUE(ProveFolder(w.kestrup, w.ProgramFiles() + "A\\B\\C\\"));
  EXPECT_FALSE(w.files.DirectoryExists(w.ProgramFiles() + "A\\"));
  EXPECT_TRUE(w.files.DirectoryExists(w.ProgramFiles()));
  EXPECT_TRUE(ProveFolder(w.kestrup, w.ProgramFiles()));
  EXPECT_TRUE(w.files.DirectoryExists(w.ProgramFiles()));
}

TEST(EngineCloseDown, AbandonedFirstInstallRemovesTheInstallerFolder) {
  TEngineWorld w;
  w.Prepare();
  w.state.FirstRun = w.state.Cancelled = true;
  w.engine.OpenLog();
  w.engine.CloseDown();
  EXPECT_FALSE(w.files.DirectoryExists(w.InstallerFolder()));
  EXPECT_FALSE(w.files.DirectoryExists(w.CommonAppData() + "Veltrin\\"));
  EXPECT_TRUE(w.files.DirectoryExists(w.CommonAppData()));
  EXPECT_TRUE(w.shell.Opened.empty());
}

} // namespace

namespace {

TEST(EngineCloseDown, RecycleBinCopyIsStartedAndOtherProductsKeepTheInstaller) {
  for (bool lastProduct : {false, true}) {
    TEngineWorld w;
    w.Prepare();
    w.engine.FreshInstall();
    std::string recycler = w.Root() + "Recycler\\";
    ScratchWrite(w, recycler + "Dc1.exe", "someone else's");
    w.shell.RecycleFolder = recycler;
    w.state.Mode = TRunMode::Uninstall;
    w.state.Completed = false;
    w.state.LastProduct = lastProduct;
    w.state.ScriptPath = w.AppData() + "Veltrin\\Kestrup\\Testo.inf";
    w.engine.OpenLog();
    w.engine.Uninstall();
    // Another product keeps the shared file, and with it the folder; the
    // close-down is gated by LastProduct alone.
    ASSERT_EQ(w.state.Completed, lastProduct);
    w.state.Completed = true;
    w.engine.CloseDown();
    if (!lastProduct) {
      EXPECT_TRUE(w.shell.Started.empty());
      // installer, clean-up program, script, log and the language setting
      EXPECT_EQ(w.files.ListFiles(w.InstallerFolder()).size(), 5u);
      EXPECT_EQ(w.engine.Actions().IniRead(w.InstallerFolder() + "Kestrup.dat", "Common", "LngID", ""), "44");
      continue;
    }
    ASSERT_EQ(w.shell.Started.size(), 1u);
    EXPECT_EQ(w.shell.Started[0].File, recycler + "Dc2.exe");
    EXPECT_FALSE(w.files.DirectoryExists(w.Temp() + "KestrupEx1\\"));
    EXPECT_EQ(w.files.ListFiles(w.InstallerFolder()), std::vector<std::string>{"Kestrup.exe"});
  }
}

TEST(EngineCloseDown, RecycleBinOfVistaAndLaterKeepsTheCleanUpProgramInTheUsersFolder) {
  // The user's folder in the bin exists already, or the recycling makes it.
  for (bool userFolderExists : {true, false}) {
    TEngineWorld w;
    w.Prepare();
    w.engine.FreshInstall();
    const std::string bin = w.Root() + "$Recycle.Bin\\";
    const std::string user = bin + "S-1-5-21-7\\";
    ScratchWrite(w, bin + "S-1-5-21-9\\$Rother.exe", "another user's");
    if (userFolderExists) {
      ScratchWrite(w, user + "$Rold.exe", "recycled before");
      ScratchWrite(w, user + "$Iold.exe", "C:\\old.exe");
    }
    w.shell.RecycleFolder = user;
    w.shell.RecycleAsVista = true;
    w.state.Mode = TRunMode::Uninstall;
    w.state.LastProduct = true;
    w.state.ScriptPath = w.AppData() + "Veltrin\\Kestrup\\Testo.inf";
    w.engine.OpenLog();
    w.engine.Uninstall();
    ASSERT_TRUE(w.state.Completed);
    w.engine.CloseDown();
    ASSERT_EQ(w.shell.Started.size(), 1u);
    const std::string kept = user + (userFolderExists ? "$R3.exe" : "$R1.exe");
    EXPECT_EQ(w.shell.Started[0].File, kept);
    EXPECT_TRUE(w.files.FileExists(kept));
    EXPECT_FALSE(w.files.DirectoryExists(w.Temp() + "KestrupEx1\\"));
  }
}

// A copy of the clean-up program that another user could change before it
// runs (a recycle folder open to others, or the copy itself) is not
// started: the installer's folder stays instead.
TEST(EngineCloseDown, ACleanUpCopyOthersCouldChangeIsNotStarted) {
  for (bool copyItself : {false, true}) {
    TEngineWorld w;
    w.Prepare();
    w.engine.FreshInstall();
    const std::string recycler = w.Root() + "Recycler\\";
    w.files.ForceDirectories(recycler);
    w.shell.RecycleFolder = recycler;
    if (copyItself) // the bin's copy is open to others, not only its folder
      w.files.LetOthersChange(recycler + "Dc1.exe");
    else
      w.files.LetOthersChange(recycler);
    w.state.Mode = TRunMode::Uninstall;
    w.state.LastProduct = true;
    w.state.ScriptPath = w.AppData() + "Veltrin\\Kestrup\\Testo.inf";
    w.engine.OpenLog();
    w.engine.Uninstall();
    ASSERT_TRUE(w.state.Completed);
    w.engine.CloseDown();
    EXPECT_TRUE(w.files.FileExists(recycler + "Dc1.exe"));
    EXPECT_TRUE(w.shell.Started.empty()) << copyItself;
  }
}

} // namespace
