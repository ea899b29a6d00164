// Updates and uninstalls that meet failing disks and files in use: an
// installed file is only ever the old version or the whole new one, no
// temporary copy stays behind, and a file in use waits for the next restart.
#include "kestrup/RunRequest.h"
#include "platform/FileReplacement.h"
#include "platform/headless/FaultInjectingFileSystem.h"
#include "unit/kestrup/EngineWorld.h"

#include <gtest/gtest.h>

namespace {

using TOperation = TFaultInjectingFileSystem::TOperation;

// Version 1.2 installed; the update brings new bytes for the three files
// (none read-only, or nothing could replace them) and removes Old.dat.
std::string UpdatableSource(bool update) {
  std::string source = Edit(TestProductSource(), "Readme.txt 1 included", "Readme.txt 0 included");
  if (!update)
    return source;
  source = Edit(source, "Testo.exe 0 \"\"", "Testo.exe 0 included");
  source = Edit(source, "Shared.dll 32 shared", "Shared.dll 32 included");
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
    w.state.Product.IsUpdate = true;
  }
  // Runs the update through the given file system; the log stays on the plain one.
  void Update(TFileSystem &files) {
    TEnginePlatform platform{files, w.registry, w.profiles, w.shell, w.clock, w.locale};
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

} // namespace
