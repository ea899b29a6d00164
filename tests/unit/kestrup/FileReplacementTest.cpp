// Updates and uninstalls that meet failing disks and files in use: an
// installed file is only ever the old version or the whole new one, no
// temporary copy stays behind, and a file in use waits for the next restart.
// A run that fails, or is stopped dead, is rolled back to what was there.
#include "kestrup/RunRequest.h"
#include "platform/FileReplacement.h"
#include "platform/headless/FaultInjectingFileSystem.h"
#include "unit/kestrup/EngineWorld.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using TOperation = TFaultInjectingFileSystem::TOperation;

// Version 1.2 installed; the update to 1.3 brings new bytes for the three
// files (none read-only, or nothing could replace them), a new version in
// the ini file and the uninstall entry, and removes Old.dat.
std::string UpdatableSource(bool update) {
  std::string source = Edit(TestProductSource(), "Readme.txt 1 included", "Readme.txt 0 included");
  if (!update)
    return source;
  source = Edit(source, "Testo.exe 0 \"\"", "Testo.exe 0 included");
  source = Edit(source, "Shared.dll 32 shared", "Shared.dll 32 included");
  source = Edit(source, "row ProgramVersion 1.2", "row ProgramVersion 1.3");
  return Edit(source, "row IsUpdate False", "row IsUpdate True");
}

constexpr uint32_t kNewerDos = TEngineWorld::kMemberDos + (1u << 25); // a year later

struct TUpdateRun {
  TEngineWorld w;
  TStrovdexObject script{w.files, w.locale};
  std::string updateSetup;
  std::map<std::string, std::string> oldBytes;

  TUpdateRun() {
    w.Prepare(UpdatableSource(false));
    w.engine.FreshInstall();
    EXPECT_TRUE(w.state.Completed);
    for (const char *name : {"Testo.exe", "Readme.txt", "Shared.dll"})
      oldBytes[name] = ReadTestFile(w.InstallDir() + name);
    updateSetup = w.scratch.Path("update.exe");
    EXPECT_EQ(WriteTestProductSetup(w.files, updateSetup, UpdatableSource(true), kNewerDos, 7000), "");
    // The update's own script, as its start-up would open it.
    TArchive archive(w.files);
    EXPECT_TRUE(archive.LoadDirectory(updateSetup));
    const std::string scriptCopy = w.InstallerFolder() + "Update.inf";
    EXPECT_TRUE(archive.ExtractMember(archive.LookupMember("Kestrup.inf"), scriptCopy, "", "", {}, {}));
    EXPECT_TRUE(script.Open(scriptCopy, scriptCopy, "", ""));
    w.state = TRunState{w.state};
    TInstallScript reader(script);
    w.state.Product = ReadProductSettings(reader); // version 1.3, an update
    w.state.Completed = false;
  }
  // Runs the update through the given file system (its ini files too);
  // arm is called once the update's archive is open, as the run begins.
  void Update(TFileSystem &files, const std::function<void()> &arm = {}) {
    THeadlessProfileFiles profiles{files};
    TEnginePlatform platform{files, w.registry, profiles, w.shell, w.clock, w.locale};
    TKestrupEngine engine(platform, w.state, w.page);
    TArchive archive(files);
    ASSERT_TRUE(archive.LoadDirectory(updateSetup));
    newBytes.clear();
    for (const auto &[name, bytes] : oldBytes) {
      std::string content;
      TMemberExtractor extractor;
      ASSERT_TRUE(extractor.Read(w.files, updateSetup, archive.LookupMember(name), content));
      newBytes[name] = content;
    }
    engine.SetScript(&script);
    engine.SetArchive(&archive);
    if (arm)
      arm();
    engine.OpenLog();
    engine.UpdateInstall();
    engine.CloseLog();
  }
  std::vector<std::string> Leftovers() {
    std::vector<std::string> found;
    for (const std::string &folder : {w.InstallDir(), w.InstallDir() + "Data\\"})
      for (const std::string &name : w.files.ListFiles(folder))
        if (name.find(TFileReplacement::kTemporarySuffix) != std::string::npos)
          found.push_back(folder + name);
    return found;
  }
  std::map<std::string, std::string> newBytes;
};

// The Nth operation on the installation's files fails, for every N up to the
// first run that meets no fault: each file is then byte for byte its old or
// its new version (the one that failed the old), nothing temporary stays, and
// the log names the file and the reason.
TEST(FileReplacement, UpdateFailingAtEveryDiskOperationKeepsEachFileWhole) {
  int runs = 0, failedWrites = 0;
  for (int n = 1;; ++n) {
    TUpdateRun run;
    TFaultInjectingFileSystem faulty(run.w.files);
    faulty.SetPathMask(run.w.InstallDir() + "*");
    faulty.Fail(TOperation::Any, n);
    run.Update(faulty);
    const std::string at = "operation " + std::to_string(n);
    EXPECT_EQ(run.Leftovers(), std::vector<std::string>{}) << at;
    std::vector<std::string> log = run.w.LogMessages();
    for (const auto &[name, before] : run.oldBytes) {
      const std::string path = run.w.InstallDir() + name;
      const std::string now = ReadTestFile(path);
      EXPECT_TRUE(now == before || now == run.newBytes[name]) << at << " " << name << " is cut";
      if (run.w.Logged(" Error: Unable to create " + path)) {
        ++failedWrites;
        EXPECT_TRUE(now == before) << at << " " << name << " is not the old version";
        auto line = std::find(log.begin(), log.end(), " Error: Unable to create " + path);
        ASSERT_NE(line + 1, log.end()) << at;
        EXPECT_TRUE(line[1] == " Error: the disk is full (" + path + ")" ||
                    line[1] == " Error: access is denied (" + path + ")" ||
                    line[1] == " Error: the system refused it (" + path + ")")
            << at << ": " << line[1];
      }
    }
    if (faulty.Failures() == 0) {
      // Past the last operation: the update went through whole.
      EXPECT_TRUE(run.w.state.Completed) << at;
      for (const auto &[name, after] : run.newBytes)
        EXPECT_TRUE(ReadTestFile(run.w.InstallDir() + name) == after) << name << " is not new";
      EXPECT_FALSE(run.w.files.FileExists(run.w.InstallDir() + "Data\\Old.dat"));
      break;
    }
    ++runs;
    ASSERT_LT(n, 500) << "the update never ran without a fault";
  }
  EXPECT_GT(runs, 20);                 // every open, read, write, flush, stamp and rename met
  EXPECT_GE(failedWrites, 3 * 4);      // each file: its open, write, flush and rename at least
}

// A file another program holds open is tried again for five seconds (the
// page's wait, so no real time passes), then left to the next restart with
// its new copy waiting; the run completes and says a restart finishes it.
// The uninstall deletes such a file at the restart, without an error.
TEST(FileReplacement, FileInUseIsReplacedAndDeletedAtTheNextRestart) {
  TUpdateRun run;
  TEngineWorld &w = run.w;
  const std::string program = w.InstallDir() + "Testo.exe";
  const std::string waiting = TFileReplacement::TemporaryPath(program);
  w.files.SetInUse(program, true);
  run.Update(w.files);
  EXPECT_EQ(w.page.WaitedMs, 5000u);
  EXPECT_TRUE(w.Logged(" File in use, replaced at the next restart (" + program + ")"));
  ASSERT_EQ(w.files.AtRestart().size(), 1u);
  EXPECT_EQ(w.files.AtRestart()[0].From, waiting);
  EXPECT_EQ(w.files.AtRestart()[0].To, program);
  EXPECT_TRUE(ReadTestFile(program) == run.oldBytes["Testo.exe"]);
  EXPECT_TRUE(ReadTestFile(waiting) == run.newBytes["Testo.exe"]);
  EXPECT_TRUE(ReadTestFile(w.InstallDir() + "Shared.dll") == run.newBytes["Shared.dll"]);
  EXPECT_FALSE(w.state.ErrorsLogged);
  EXPECT_TRUE(w.state.Completed);
  EXPECT_TRUE(w.state.RestartNeeded);
  EXPECT_EQ(ExitCodeOf(w.state), ecRestartNeeded);

  // The next extraction is an ordinary one again.
  TArchive archive(w.files);
  ASSERT_TRUE(archive.LoadDirectory(run.updateSetup));
  ASSERT_TRUE(archive.ExtractMember(archive.LookupMember("Testo.exe"), program, "", "", {}, {},
                                    TInUseRetry{0, 0, {}, true}));
  EXPECT_TRUE(archive.LastAwaitsRestart());
  ASSERT_TRUE(archive.ExtractMember(archive.LookupMember("Shared.dll"), w.scratch.Path("other.dll"), "",
                                    "", {}, {}, TInUseRetry{0, 0, {}, true}));
  EXPECT_FALSE(archive.LastAwaitsRestart());

  // Uninstalled while the program still runs: a file of the user's keeps the
  // folder (an error, as ever); without it the folder goes after the program.
  w.files.RemoveFile(waiting);
  ScratchWrite(w, w.InstallDir() + "Mine.txt");
  auto uninstall = [&] {
    w.state = TRunState{w.state};
    w.state.Mode = TRunMode::Uninstall;
    w.state.Completed = w.state.RestartNeeded = w.state.ErrorsLogged = false;
    w.state.LastProduct = true;
    w.engine.OpenLog();
    w.engine.Uninstall();
    w.engine.CloseLog();
  };
  uninstall();
  EXPECT_TRUE(w.Logged(" File in use, deleted at the next restart (" + program + ")"));
  ASSERT_EQ(w.files.AtRestart().size(), 3u);
  EXPECT_EQ(w.files.AtRestart()[2].From, program);
  EXPECT_EQ(w.files.AtRestart()[2].To, "");
  EXPECT_FALSE(w.files.FileExists(w.InstallDir() + "Shared.dll"));
  EXPECT_TRUE(w.state.ErrorsLogged);
  EXPECT_TRUE(w.Logged(" Error: unable to delete " + w.InstallDir()));
  w.files.RemoveFile(w.InstallDir() + "Mine.txt");
  uninstall();
  ASSERT_EQ(w.files.AtRestart().size(), 5u);
  EXPECT_EQ(w.files.AtRestart()[4].From, w.InstallDir());
  EXPECT_FALSE(w.state.ErrorsLogged) << ReadTestFile(w.InstallerFolder() + "Kestrup.log");
  EXPECT_TRUE(w.state.Completed);
  EXPECT_EQ(ExitCodeOf(w.state), ecRestartNeeded);
}

// Everything a run could change: each file (its bytes) and folder below the
// scratch root but the log, and each key and value below Software of both roots.
std::map<std::string, std::string> Snapshot(TEngineWorld &w) {
  std::map<std::string, std::string> seen;
  namespace fs = std::filesystem;
  for (const auto &entry : fs::recursive_directory_iterator(w.scratch.Path())) {
    const std::string path = entry.path().generic_string();
    if (entry.is_directory())
      seen[path] = "<folder>";
    else if (entry.path().filename() != "Kestrup.log")
      seen[path] = TScratchFolder::ReadFile(path);
  }
  std::function<void(TRootKey, const std::string &)> walk = [&](TRootKey root, const std::string &key) {
    std::vector<std::string> names;
    seen["key " + std::to_string(root) + "\\" + key] = "";
    if (w.registry.ValueNames(root, key, names))
      for (const std::string &name : names) {
        TRegValue value;
        w.registry.ReadValue(root, key, name, value);
        seen["value " + std::to_string(root) + "\\" + key + "|" + name] =
            std::to_string(value.Type) + ":" + value.Data;
      }
    if (w.registry.SubKeyNames(root, key, names))
      for (const std::string &sub : names)
        walk(root, key + "\\" + sub);
  };
  walk(kHKeyCurrentUser, "Software");
  walk(kHKeyLocalMachine, "Software");
  return seen;
}

std::string Differences(const std::map<std::string, std::string> &a, const std::map<std::string, std::string> &b) {
  std::string out;
  for (const auto &[k, v] : a) if (!b.count(k) || b.at(k) != v) out += "\n+ " + k;
  for (const auto &[k, v] : b) if (!a.count(k)) out += "\n- " + k;
  return out;
}

// The files a finished run may not leave: new copies, backups, its journal.
std::vector<std::string> Leftovers(TEngineWorld &w) {
  std::vector<std::string> found;
  for (const auto &[path, bytes] : Snapshot(w))
    if (path.find(TFileReplacement::kTemporarySuffix) != std::string::npos ||
        path.find(TFileReplacement::kBackupSuffix) != std::string::npos ||
        path.find("Kestrup.jnl") != std::string::npos)
      found.push_back(path);
  return found;
}

// Whether the log names a failure, then the rollback and its end.
bool FailureNamedThenRestored(TEngineWorld &w) {
  std::vector<std::string> log = w.LogMessages();
  auto restoring = std::find(log.begin(), log.end(), " Restoring the previous version");
  return restoring != log.end() &&
         std::any_of(log.begin(), restoring, [](const std::string &l) { return l.rfind(" Error: ", 0) == 0; }) &&
         std::find(restoring, log.end(), " The previous version was restored") != log.end();
}

// A run whose Nth disk operation anywhere (program files, ini file, journal,
// setup archive, script copy) fails, for every N up to the first run that
// meets no fault. A failure the product cannot be left with rolls the run
// back: everything is then exactly as before (files byte for byte, ini file,
// registry), the exit code says so and the log names the failure and each
// reversed change. Any other failure leaves the whole new version and no
// backup. Both for an update and for a first installation (where nothing
// remains).
TEST(Rollback, RunFailingAtEveryDiskOperationIsReversedWhole) {
  auto check = [](TEngineWorld &w, const std::map<std::string, std::string> &before,
                  TFaultInjectingFileSystem &faulty, const std::string &at) {
    if (!w.state.RolledBack)
      return;
    EXPECT_TRUE(Snapshot(w) == before) << at;
    EXPECT_EQ(ExitCodeOf(w.state), ecRolledBack) << at;
    EXPECT_FALSE(w.state.Completed) << at;
    EXPECT_GT(faulty.Failures(), 0) << at;
    EXPECT_TRUE(FailureNamedThenRestored(w)) << at << "\n" << ReadTestFile(w.InstallerFolder() + "Kestrup.log");
    EXPECT_EQ(w.page.Labels[TPageLabel::InstallMessage], "Restoring the previous version...") << at;
  };
  int rolledBack = 0, reversedLines = 0, iniRestored = 0;
  for (int n = 1;; ++n) {
    const std::string at = "update, operation " + std::to_string(n);
    TUpdateRun run;
    const auto before = Snapshot(run.w);
    TFaultInjectingFileSystem faulty(run.w.files);
    faulty.SetPathMask(run.w.Root() + "*");
    run.Update(faulty, [&] { faulty.Fail(TOperation::Any, n); });
    check(run.w, before, faulty, at);
    EXPECT_EQ(Leftovers(run.w), std::vector<std::string>{}) << at;
    if (run.w.state.RolledBack) {
      ++rolledBack;
      for (const std::string &line : run.w.LogMessages()) {
        reversedLines += line.rfind(" Restored ", 0) == 0;
        iniRestored += line == " Restored " + run.w.InstallDir() + "testo.ini [Settings] Version";
      }
    } else {
      for (const auto &[name, after] : run.newBytes)
        EXPECT_TRUE(ReadTestFile(run.w.InstallDir() + name) == after) << at << " " << name;
      EXPECT_EQ(run.w.Ini("Settings", "Version"), "1.3") << at;
      EXPECT_EQ(run.w.Reg(kUninstallKeyBase + "Testo", "DisplayVersion"), "1.3") << at;
    }
    if (faulty.Failures() == 0)
      break;
    ASSERT_LT(n, 1000) << "the update never ran without a fault";
  }
  EXPECT_GT(rolledBack, 20);
  EXPECT_GT(reversedLines, rolledBack); // old files, ini and registry values each restored
  EXPECT_GT(iniRestored, 0);
  int firstRolledBack = 0;
  for (int n = 1;; ++n) {
    const std::string at = "first installation, operation " + std::to_string(n);
    TEngineWorld w;
    w.Prepare();
    const auto before = Snapshot(w);
    TFaultInjectingFileSystem faulty(w.files);
    faulty.SetPathMask(w.Root() + "*");
    THeadlessProfileFiles profiles{faulty};
    TEnginePlatform platform{faulty, w.registry, profiles, w.shell, w.clock, w.locale};
    TKestrupEngine engine(platform, w.state, w.page);
    TArchive archive(faulty);
    ASSERT_TRUE(archive.LoadDirectory(w.setup));
    engine.SetScript(&w.script);
    engine.SetArchive(&archive);
    faulty.Fail(TOperation::Any, n);
    engine.OpenLog();
    engine.FreshInstall();
    engine.CloseLog();
    check(w, before, faulty, at);
    EXPECT_EQ(Leftovers(w), std::vector<std::string>{}) << at;
    firstRolledBack += w.state.RolledBack;
    if (w.state.RolledBack) {
      EXPECT_FALSE(w.files.DirectoryExists(w.ProgramFiles() + "Veltrin\\")) << at;
    }
    if (faulty.Failures() == 0) {
      EXPECT_TRUE(w.state.Completed) << at;
      break;
    }
    ASSERT_LT(n, 1000) << "the installation never ran without a fault";
  }
  EXPECT_GT(firstRolledBack, 10);
}

// The update stopped dead at its Nth disk operation, for every N: no
// clean-up runs, the journal stays. The next start of the installer finds
// it, reverses every change and says so: everything is as before the update.
TEST(Rollback, RunKilledAtEveryDiskOperationIsReversedAtTheNextStart) {
  struct TKilled {};
  int killed = 0, recovered = 0;
  for (int n = 1;; ++n) {
    const std::string at = "operation " + std::to_string(n);
    TUpdateRun run;
    const auto before = Snapshot(run.w);
    TFaultInjectingFileSystem faulty(run.w.files);
    faulty.SetPathMask(run.w.Root() + "*");
    faulty.OnFault([] { throw TKilled{}; });
    try {
      run.Update(faulty, [&] { faulty.Fail(TOperation::Any, n); });
    } catch (const TKilled &) {
      ++killed;
    }
    if (faulty.Failures() == 0) {
      EXPECT_TRUE(run.w.state.Completed) << at;
      EXPECT_EQ(Leftovers(run.w), std::vector<std::string>{}) << at;
      break;
    }
    // The next start, on the same disk and registry.
    TKestrupContext kestrup(run.w.platform, run.w.page);
    kestrup.Engine.OpenLog();
    kestrup.Engine.RecoverInterruptedRun();
    kestrup.Engine.CloseLog();
    EXPECT_EQ(Leftovers(run.w), std::vector<std::string>{}) << at;
    const bool restoring = run.w.Logged(" An earlier run was interrupted: restoring the previous version");
    if (run.w.Logged(" An earlier run was interrupted after it was complete: its backups are deleted") ||
        (!restoring && run.w.state.Completed)) {
      // Stopped while deleting its backups or closing its log: the new version stands.
      for (const auto &[name, after] : run.newBytes)
        EXPECT_TRUE(ReadTestFile(run.w.InstallDir() + name) == after) << at << " " << name;
      continue;
    }
    EXPECT_TRUE(Snapshot(run.w) == before) << at << Differences(Snapshot(run.w), before);
    if (restoring) {
      ++recovered;
      EXPECT_TRUE(kestrup.State.RecoveredRun) << at;
      EXPECT_TRUE(run.w.Logged(" The previous version was restored")) << at;
    }
    ASSERT_LT(n, 1000);
  }
  EXPECT_GT(killed, 20);
  EXPECT_GT(recovered, 20);
}

// The installed product uninstalled while its Nth disk operation fails, or
// while the run is stopped dead there and the next start finishes it, for
// every N up to the first run that meets no fault. Each ends with the
// product whole (everything byte for byte as before; a failed run says so
// on the page, by its exit code and with the failure in the log) or wholly
// removed, and never with a backup, new copy or journal left.
TEST(Rollback, UninstallFailingOrKilledAtEveryDiskOperationIsWholeOrNothing) {
  struct TKilled {};
  for (bool kill : {false, true}) {
    int whole = 0, removed = 0;
    for (int n = 1;; ++n) {
      const std::string at = (kill ? "killed at " : "failing at ") + std::to_string(n);
      TEngineWorld w;
      w.Prepare();
      w.engine.FreshInstall();
      ASSERT_TRUE(w.state.Completed);
      w.state.Mode = TRunMode::Uninstall;
      w.state.Completed = false;
      w.state.LastProduct = true;
      const auto before = Snapshot(w);
      TFaultInjectingFileSystem faulty(w.files);
      faulty.SetPathMask(w.Root() + "*");
      if (kill)
        faulty.OnFault([] { throw TKilled{}; });
      THeadlessProfileFiles profiles{faulty};
      TEnginePlatform platform{faulty, w.registry, profiles, w.shell, w.clock, w.locale};
      bool stopped = false;
      { // a run stopped dead holds no file open any more, as a killed process
        TKestrupEngine engine(platform, w.state, w.page);
        engine.SetScript(&w.script);
        faulty.Fail(TOperation::Any, n);
        try {
          engine.OpenLog();
          engine.Uninstall();
          engine.CloseLog();
        } catch (const TKilled &) {
          stopped = true;
        }
      }
      if (stopped) {
        TKestrupContext next(w.platform, w.page);
        next.Engine.OpenLog();
        EXPECT_TRUE(next.Engine.RecoverInterruptedRun()) << at;
        next.Engine.CloseLog();
      }
      EXPECT_EQ(Leftovers(w), std::vector<std::string>{}) << at;
      if (w.files.FileExists(w.InstallDir() + "Testo.exe")) {
        ++whole;
        // The stand-in ini writer's copy of a write stopped dead is its own
        // (the system's writer keeps none).
        auto after = Snapshot(w);
        std::erase_if(after, [](const auto &entry) { return entry.first.ends_with(".~ini"); });
        EXPECT_TRUE(after == before) << at << Differences(after, before);
        if (!kill) {
          EXPECT_EQ(ExitCodeOf(w.state), ecRolledBack) << at;
          EXPECT_TRUE(FailureNamedThenRestored(w)) << at << "\n" << ReadTestFile(w.InstallerFolder() + "Kestrup.log");
          EXPECT_EQ(w.page.Labels[TPageLabel::UninstallMessage],
                    "The uninstall could not be completed: the product was left as it was.") << at;
        }
      } else {
        ++removed;
        EXPECT_FALSE(w.files.DirectoryExists(w.InstallDir())) << at << Differences(Snapshot(w), before);
        EXPECT_FALSE(w.files.DirectoryExists(w.Group())) << at;
        EXPECT_FALSE(w.files.FileExists(w.Desktop() + "Testo.LNK")) << at;
        EXPECT_FALSE(w.registry.KeyExists(kHKeyCurrentUser, "Software\\Veltrin\\Testo")) << at;
        EXPECT_FALSE(w.registry.KeyExists(kHKeyCurrentUser, kUninstallKeyBase + "Testo")) << at;
      }
      if (faulty.Failures() == 0) {
        EXPECT_TRUE(w.state.Completed) << at;
        break;
      }
      ASSERT_LT(n, 1000) << "the uninstall never ran without a fault";
    }
    EXPECT_GT(whole, 20) << kill;
    EXPECT_GT(removed, kill ? 1 : 0) << kill;
  }
}

// A program in use at the uninstall is deleted at the restart. A rollback
// of that uninstall takes the deletion back, and so does an install that
// puts a new copy in its place before the restart.
TEST(Rollback, DeletionAtRestartIsTakenBackByARollbackAndByTheNextInstall) {
  TEngineWorld w;
  w.Prepare();
  w.engine.FreshInstall();
  const std::string program = w.InstallDir() + "Testo.exe";
  auto deletions = [&] {
    std::vector<std::string> paths;
    for (const auto &rename : w.files.AtRestart())
      if (rename.To.empty())
        paths.push_back(rename.From);
    return paths;
  };
  auto uninstall = [&](TFileSystem &files) {
    w.state = TRunState{w.state};
    w.state.Mode = TRunMode::Uninstall;
    w.state.Completed = w.state.ErrorsLogged = w.state.RolledBack = w.state.RestartNeeded = false;
    w.state.LastProduct = true;
    THeadlessProfileFiles profiles{files};
    TEnginePlatform platform{files, w.registry, profiles, w.shell, w.clock, w.locale};
    TKestrupEngine engine(platform, w.state, w.page);
    engine.SetScript(&w.script);
    engine.OpenLog();
    engine.Uninstall();
    engine.CloseLog();
  };
  w.files.SetInUse(program, true);
  TFaultInjectingFileSystem faulty(w.files);
  faulty.SetPathMask(w.Group() + "Testo.LNK"); // the shortcut will not go
  faulty.Fail(TOperation::Rename, 1);
  uninstall(faulty);
  EXPECT_TRUE(w.state.RolledBack);
  EXPECT_TRUE(w.Logged(" File in use, deleted at the next restart (" + program + ")"));
  EXPECT_EQ(deletions(), std::vector<std::string>{});
  EXPECT_TRUE(w.files.FileExists(w.InstallDir() + "Readme.txt"));

  uninstall(w.files);
  EXPECT_TRUE(w.state.Completed && !w.state.ErrorsLogged);
  EXPECT_EQ(ExitCodeOf(w.state), ecRestartNeeded);
  EXPECT_EQ(w.page.Labels[TPageLabel::UninstallMessage],
            "Uninstall complete... Restart the computer to remove the files still in use.");
  EXPECT_EQ(deletions(), (std::vector<std::string>{program, w.InstallDir()}));

  w.files.SetInUse(program, false);
  w.state = TRunState{w.state};
  w.state.Mode = TRunMode::Install;
  w.engine.FreshInstall();
  EXPECT_TRUE(w.state.Completed);
  EXPECT_EQ(deletions(), std::vector<std::string>{w.InstallDir()}); // a folder not empty then stays
}

// Cancel confirmed on the installation page once the first file is in
// place: the run stops and takes back all of the update.
TEST(Rollback, CancelReversesTheRunSoFar) {
  TUpdateRun run;
  const auto before = Snapshot(run.w);
  const std::string program = run.w.InstallDir() + "Testo.exe";
  run.w.page.Cancel = [&] { return ReadTestFile(program) == run.newBytes["Testo.exe"]; };
  run.Update(run.w.files);
  EXPECT_TRUE(run.w.state.Cancelled && run.w.state.RolledBack);
  EXPECT_EQ(ExitCodeOf(run.w.state), ecCancelled);
  EXPECT_TRUE(run.w.Logged(" The installation was cancelled"));
  EXPECT_TRUE(run.w.Logged(" Restored " + program));
  EXPECT_TRUE(Snapshot(run.w) == before);
}

// A damaged journal: what is not a whole step (nonsense, a wrong root, the
// line the stop cut short) is counted and left alone; the rest is reversed.
TEST(Rollback, DamagedJournalLinesAreSkipped) {
  TEngineWorld w;
  const std::string made = w.Root() + "Made.txt", cut = w.Root() + "Cut.txt";
  ScratchWrite(w, made);
  ScratchWrite(w, cut);
  ScratchWrite(w, w.InstallerFolder() + "Kestrup.jnl",
               "nonsense\r\nR\t7\tk\tn\t0\t0\t\t\r\nW\t" + made + "\t0\r\nW\t" + cut + "\t0");
  w.engine.OpenLog();
  EXPECT_TRUE(w.engine.RecoverInterruptedRun());
  w.engine.CloseLog();
  EXPECT_FALSE(w.files.FileExists(made));
  EXPECT_TRUE(w.files.FileExists(cut));
  EXPECT_TRUE(w.Logged(" Error: 2 unreadable lines in " + w.InstallerFolder() + "Kestrup.jnl"));
  EXPECT_FALSE(w.files.FileExists(w.InstallerFolder() + "Kestrup.jnl"));
}

// A file kept aside for a rollback whose new copy then cannot take its
// place: the old one goes back under its own name, whole, and the reason
// of the failure is the one the disk gave.
TEST(FileReplacement, KeptFileGoesBackWhenTheNewCopyCannotTakeItsPlace) {
  TScratchFolder scratch;
  THeadlessFileSystem files;
  const std::string target = scratch.Path("a.dll"), kept = TFileReplacement::BackupPath(target);
  TScratchFolder::WriteFile(target, "old");
  TFaultInjectingFileSystem faulty(files);
  faulty.Fail(TOperation::Rename, 2); // the old file moves aside, the new one does not follow
  faulty.FailWith(TFileError::DiskFull);
  TReplaceResult result = TFileReplacement(faulty).Write(target, "new", 3, 40000.0, 0, kept);
  EXPECT_TRUE(result.Failed());
  EXPECT_EQ(result.Error, TFileError::DiskFull);
  EXPECT_EQ(TScratchFolder::ReadFile(target), "old");
  EXPECT_FALSE(files.FileExists(kept));
  EXPECT_FALSE(files.FileExists(TFileReplacement::TemporaryPath(target)));
  // Without a fault the old file stays aside and the new one is in place.
  ASSERT_FALSE(TFileReplacement(files).Write(target, "new", 3, 40000.0, 0, kept).Failed());
  EXPECT_EQ(TScratchFolder::ReadFile(target), "new");
  EXPECT_EQ(TScratchFolder::ReadFile(kept), "old");
}

} // namespace
