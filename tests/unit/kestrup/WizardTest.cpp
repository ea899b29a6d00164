// The installer wizard driven through its model: the pages Next and Back
// lead to under every combination of page switches, the licence and folder
// pages' rules, start-up failures, the language kept between runs, and the
// run without a window with its exit codes.
#include "EngineWorld.h"

#include "authoring/StrovdexWriter.h"
#include "kestrup/SilentRun.h"
#include "kestrup/Startup.h"
#include "kestrup/wizard/Dialogs.h"
#include "kestrup/wizard/MainForm.h"
#include "platform/headless/HeadlessDesktopWindows.h"
#include "support/AccessibleWalk.h"
#include "ui/DialogKeys.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using namespace kestrup;

const char *const kLanguages = R"lang(
table Contents
column iCountry integer7 byte0=1 byte69=1
column sCountry text width=128 byte69=1
column sLanguage text width=10
row 33 French Francais
row 44 English English
row 49 German Deutsch
row 50 Hidden x_y
table "MainForm (English)"
column Tag text width=63 byte0=1 byte69=1
column Caption text width=255
column Hint text width=255
row 200 "Next >" ""
table "MainForm (German)"
column Tag text width=63 byte0=1 byte69=1
column Caption text width=255
column Hint text width=255
row 200 "Weiter >" ""
row 301 "Kestrup abbrechen?" ""
row 19000 "Dr\xfccken" ""
)lang";

std::string Database(const std::string &source) {
  TDatabaseSource db;
  std::string error;
  std::vector<uint8_t> defs, data;
  EXPECT_TRUE(ParseTableSource(source, db, error)) << error;
  EXPECT_TRUE(BuildStrovdex(db, false, defs, data, error)) << error;
  return std::string(data.begin(), data.end());
}

class WizardWorld : public TEngineWorld {
public:
  // The setup file of the test product with a language file, a licence and
  // a manifest; the switches named are turned on.
  void BuildSetup(const std::vector<std::string> &switches,
                  const std::pair<std::string, std::string> &extraEdit = {}) {
    std::string source = TestProductSource();
    for (const std::string &name : switches)
      source = Edit(source, "row " + name + " False", "row " + name + " True");
    if (!extraEdit.first.empty())
      source = Edit(source, extraEdit.first, extraEdit.second);
    setup = scratch.Path("setup.exe");
    TArchiveWriter writer(files);
    ASSERT_TRUE(writer.Open(setup) && writer.AddStored("Kestrup.exe", kMemberDos, "installer image") &&
                writer.AddMember("KestrupEx.exe", kMemberDos, "clean-up program") &&
                writer.AddMember("Kestrup.lng", kMemberDos, Database(kLanguages)) &&
                writer.AddMember("Kestrup_lic_uk.rtf", kMemberDos, "{\\rtf1 [ProgramTitle] terms}") &&
                writer.AddMember("Testo.exe", kMemberDos, std::string(5000, 'T')) &&
                writer.AddMember("readme.TXT", kMemberDos, "Read me.\r\n") &&
                writer.AddMember("Old.dat", kMemberDos, "old data") &&
                writer.AddMember("Shared.dll", kMemberDos, "shared library") &&
                writer.AddStored("Kestrup.inf", kMemberDos, Database(source)) &&
                writer.AddManifest(kMemberDos) && writer.Finish(true))
        << writer.Error();
    files.SetFreeSpace(int64_t(1) << 30);
  }

  // One run of the wizard: a window, its context and its start.
  struct TRun {
    explicit TRun(WizardWorld &world) : context(world.platform, form) {
      context.ProgramPath = world.setup;
      form.Bind(context, world.windows, [&world](uint32_t ms) { world.clock.Advance(ms); });
    }
    bool Start(const std::vector<std::string> &arguments = {}) {
      bool ok = form.Start(arguments);
      form.Show();
      return ok;
    }
    THeadlessApplication application;
    TMainForm form{application};
    TKestrupContext context;
  };

  void SetLocale(const std::string &language) {
    registry.WriteValue(kHKeyCurrentUser, "Control Panel\\International", "sLanguage",
                        TRegValue::String(language));
  }

  WizardWorld() {
    // The documents the finish page opens, by their associations.
    for (auto [extension, kind, command] :
         {std::tuple{".EXE", "exefile", "\"%1\" %*"}, {".TXT", "txtfile", "notepad.exe %1"}}) {
      registry.WriteValue(kHKeyClassesRoot, extension, "", TRegValue::String(kind));
      registry.WriteValue(kHKeyClassesRoot, std::string(kind) + "\\Shell\\Open\\Command", "",
                          TRegValue::String(command));
    }
  }

  // One run without a window.
  TExitCode Silent(const std::vector<std::string> &arguments) {
    TSilentPage page([this](uint32_t ms) { clock.Advance(ms); });
    TKestrupContext context(platform, page);
    context.ProgramPath = setup;
    const TRunRequest request = ReadRunRequest(arguments);
    // As the entry does, before anything is written.
    context.State.ForAllUsers = RunIsForAllUsers(platform, setup, request, scratch.Path("script.inf"));
    return RunSilent(context, request, windows, page);
  }
  // The product's script copy, which its uninstall command names.
  std::string ScriptCopy() const { return AppData() + "Veltrin\\Kestrup\\Testo.inf"; }

  THeadlessDesktopWindows windows;
};

// The pages a user sees on the way to the installation, in order.
std::vector<TWizardPage> Route(bool language, bool licence, bool folder, bool group, bool summary) {
  std::vector<TWizardPage> route;
  for (auto [on, page] : {std::pair{language, wpLanguage}, {licence, wpLicence}, {folder, wpFolder},
                          {group, wpProgramGroup}, {summary, wpSummary}})
    if (on)
      route.push_back(page);
  return route;
}

TEST(Wizard, NextAndBackFollowThePageSwitchesBothWays) {
  const char *names[] = {"LanguagePage", "LicencePage", "ProgramFolderPage", "ProgramGroupPage",
                         "SummaryPage"};
  for (int mask = 0; mask < 32; ++mask) {
    SCOPED_TRACE("switches " + std::to_string(mask));
    WizardWorld world;
    std::vector<std::string> on;
    for (int i = 0; i < 5; ++i)
      if (mask & (1 << i))
        on.push_back(names[i]);
    world.BuildSetup(on);
    WizardWorld::TRun run(world);
    ASSERT_TRUE(run.Start());
    TMainForm &w = run.form;
    std::vector<TWizardPage> route = Route(mask & 1, mask & 2, mask & 4, mask & 8, mask & 16);
    if (route.empty()) { // straight through the leaving steps into the installation
      EXPECT_EQ(w.CurrentPage(), wpFinish);
      EXPECT_TRUE(run.context.State.Completed);
      continue;
    }
    // Forward: each page in turn, Back enabled on all but the first.
    for (size_t i = 0; i < route.size(); ++i) {
      ASSERT_EQ(w.CurrentPage(), route[i]) << i;
      EXPECT_EQ(w.BackBtn.Enabled(), i > 0) << i;
      if (route[i] == wpLicence) {
        EXPECT_FALSE(w.NextBtn.Enabled());
        w.LicenceDeclineRBtn.Click();
        EXPECT_FALSE(w.NextBtn.Enabled());
        w.LicenceAcceptRBtn.Click();
      }
      EXPECT_TRUE(w.NextBtn.Enabled()) << i;
      if (i + 1 < route.size())
        w.NextBtn.Click();
    }
    // Back: the same pages in reverse; on the first one Back does nothing.
    for (size_t i = route.size(); i-- > 0;) {
      ASSERT_EQ(w.CurrentPage(), route[i]) << i;
      EXPECT_TRUE(w.NextBtn.Enabled()) << i;
      EXPECT_EQ(w.BackBtn.Enabled(), i > 0) << i;
      if (i > 0)
        w.BackBtn.Click();
    }
    w.BackBtnClick(); // as if it were pressed while disabled
    EXPECT_EQ(w.CurrentPage(), route[0]);
    // Through to the end: the product is installed and Next on the finish
    // page closes the window.
    while (w.CurrentPage() != wpFinish && w.NextBtn.Enabled())
      w.NextBtn.Click();
    ASSERT_EQ(w.CurrentPage(), wpFinish);
    EXPECT_TRUE(run.context.State.Completed);
    EXPECT_FALSE(w.FinishRestartLbl.Visible());
    EXPECT_TRUE(world.files.FileExists(world.InstallDir() + "Testo.exe"));
    EXPECT_TRUE(w.NextBtn.Click());
    EXPECT_FALSE(w.Visible());
    EXPECT_EQ(world.shell.Opened.size() + world.shell.Started.size(), 2u); // the program and the readme
  }
}

TEST(Wizard, TabEnterAndEscapeWorkTheWizardLikeAnyDialog) {
  WizardWorld world;
  world.BuildSetup({"LanguagePage", "LicencePage"});
  WizardWorld::TRun run(world);
  ASSERT_TRUE(run.Start());
  TMainForm &w = run.form;
  ASSERT_EQ(w.CurrentPage(), wpLanguage);
  const TShiftState none;
  EXPECT_TRUE(HandleDialogKey(w, &w.LanguageList, kKeyTab, none));
  EXPECT_TRUE(w.NextBtn.Focused()); // Back is disabled on the first page
  EXPECT_TRUE(HandleDialogKey(w, &w.LanguageList, kKeyEnter, none));
  EXPECT_EQ(w.CurrentPage(), wpLicence);
  EXPECT_TRUE(w.LicenceText.Focused()); // the list went with its page
  const size_t asked = run.application.MessagesShown.size();
  run.application.MessageAnswers.push_back(mrCancel);
  EXPECT_TRUE(HandleDialogKey(w, &w.LicenceText, kKeyEscape, none)); // asks, and goes on
  EXPECT_FALSE(HandleDialogKey(w, &w.LicenceText, kKeyEnter, none)); // Next waits for Yes
  EXPECT_EQ(run.application.MessagesShown.size(), asked + 1);
  EXPECT_TRUE(w.Visible());
}

TEST(Wizard, EnterAloneGoesThroughToTheFinish) {
  WizardWorld world;
  world.BuildSetup({"LanguagePage", "SummaryPage"});
  // An older program file that another program holds open.
  const std::string held = world.InstallDir() + "Testo.exe";
  ASSERT_TRUE(world.files.ForceDirectories(world.InstallDir()));
  ASSERT_TRUE(world.files.Create(held) && world.files.SetLastWriteTime(held, 30000.0));
  world.files.SetInUse(held, true);
  WizardWorld::TRun run(world);
  ASSERT_TRUE(run.Start());
  TMainForm &w = run.form;
  const TShiftState none;
  EXPECT_TRUE(HandleDialogKey(w, &w.LanguageList, kKeyEnter, none));
  ASSERT_EQ(w.CurrentPage(), wpSummary);
  // The list went with its page: the focus is on Next, not on Back, so the
  // next Enter goes on.
  EXPECT_TRUE(w.NextBtn.Focused());
  EXPECT_TRUE(HandleDialogKey(w, &w.NextBtn, kKeyEnter, none));
  EXPECT_EQ(w.CurrentPage(), wpFinish);
  EXPECT_TRUE(w.FinishRestartLbl.Visible()); // a restart completes the installation
}

TEST(Wizard, AReinstallSkipsTheFolderAndGroupPages) {
  WizardWorld world;
  world.BuildSetup({"LanguagePage", "ProgramFolderPage", "ProgramGroupPage", "SummaryPage"});
  const std::string key = kUninstallKeyBase + "Testo";
  world.registry.WriteValue(kHKeyCurrentUser, key, "InstallDir", TRegValue::String(world.InstallDir()));
  world.registry.WriteValue(kHKeyCurrentUser, key, "ProgramGroup", TRegValue::String(world.Group()));
  WizardWorld::TRun run(world);
  ASSERT_TRUE(run.Start());
  EXPECT_EQ(run.form.HeaderLbl.Caption(), " Testo 1.2 (reinstall)");
  run.form.NextBtn.Click();
  EXPECT_EQ(run.form.CurrentPage(), wpSummary);
  run.form.BackBtn.Click();
  EXPECT_EQ(run.form.CurrentPage(), wpLanguage);
}

TEST(Wizard, TheUninstallRunHasItsOwnPictureAndEndsWithoutItsAnnouncement) {
  WizardWorld world;
  world.BuildSetup({"LanguagePage"});
  {
    WizardWorld::TRun install(world);
    ASSERT_TRUE(install.Start());
    EXPECT_EQ(install.form.SetupImage.Picture, "SETUP");
    install.form.NextBtn.Click();
    ASSERT_TRUE(install.context.State.Completed);
  }
  WizardWorld::TRun run(world);
  ASSERT_TRUE(run.Start({"uninstall", world.AppData() + "Veltrin\\Kestrup\\Testo.inf"}));
  EXPECT_EQ(run.form.SetupImage.Picture, "UNSETUP");
  run.form.NextBtn.Click();
  ASSERT_EQ(run.form.CurrentPage(), wpUninstall);
  EXPECT_TRUE(run.form.UninstallLbl.Visible());
  run.form.NextBtn.Click();
  // Done (with or without errors): the page tells so and no longer announces it.
  EXPECT_NE(run.form.UninstallMessageLbl.Caption().find("Uninstall complete"), std::string::npos);
  EXPECT_FALSE(run.form.UninstallLbl.Visible());
}

TEST(Wizard, FolderPageCleansTheTextAndShowsTheSpaceLeft) {
  WizardWorld world;
  world.BuildSetup({"LanguagePage", "ProgramFolderPage"});
  WizardWorld::TRun run(world);
  ASSERT_TRUE(run.Start());
  TMainForm &w = run.form;
  w.NextBtn.Click();
  ASSERT_EQ(w.CurrentPage(), wpFolder);
  const int32_t total = run.context.State.TotalSize;
  EXPECT_GT(total, 5000);
  // 10.5 KB free rounds to 10 (halves to even); what is left after the
  // installation is negative, so Next stays disabled.
  world.files.SetFreeSpace(10 * 1024 + 512);
  w.FolderEdit.SetText("");
  EXPECT_EQ(w.FolderFDSLbl.Caption(), "0 kb");
  EXPECT_EQ(w.FolderFDSAILbl.Caption(), " 0 kb");
  EXPECT_FALSE(w.NextBtn.Enabled());
  w.FolderEdit.Type("C:\\Pro?gram Files\\");
  EXPECT_EQ(w.FolderEdit.Text(), "C:\\Program Files\\");
  EXPECT_EQ(run.context.State.InstallDir, "C:\\Program Files\\");
  EXPECT_EQ(w.FolderFDSLbl.Caption(), "10 kb");
  EXPECT_EQ(w.FolderFDSAILbl.Caption(), KilobyteText(10 * 1024 + 512 - total));
  EXPECT_EQ(w.FolderFDSAILbl.Caption().front(), '-');
  EXPECT_FALSE(w.NextBtn.Enabled());
  w.FolderEdit.SetText("Cprogram"); // the drive is the first letter, colon or not
  EXPECT_EQ(w.FolderFDSLbl.Caption(), "10 kb");
  world.files.SetFreeSpace(int64_t(3) << 40);
  w.FolderDefaultBtn.Click();
  EXPECT_EQ(w.FolderEdit.Text(), world.InstallDir());
  EXPECT_TRUE(w.NextBtn.Enabled());
  EXPECT_EQ(KilobyteText(1536), "2 kb");
  EXPECT_EQ(KilobyteText(-1), "0 kb");
}

TEST(Wizard, ALanguageChosenOnceComesBackAtTheNextRun) {
  WizardWorld world;
  world.SetLocale("FRA");
  world.BuildSetup({"LanguagePage"});
  {
    WizardWorld::TRun run(world);
    ASSERT_TRUE(run.Start());
    TMainForm &w = run.form;
    EXPECT_EQ(w.LanguageList.Items.Items(), (std::vector<std::string>{"English", "French", "German"}));
    EXPECT_EQ(w.LanguageList.Items[w.LanguageList.ItemIndex()], "French");
    ASSERT_TRUE(w.LanguageList.Select(w.LanguageList.Items.IndexOf("German")));
    EXPECT_EQ(w.NextBtn.Caption(), "Weiter >");
    EXPECT_EQ(AccessibleActions().Press, "Dr\xfc" "cken"); // what a screen reader says
    SetAccessibleActions({});
    w.NextBtn.Click();
    ASSERT_EQ(w.CurrentPage(), wpFinish);
    w.NextBtn.Click();
  }
  WizardWorld::TRun second(world);
  ASSERT_TRUE(second.Start());
  EXPECT_EQ(second.context.State.Language, 49);
  EXPECT_EQ(second.form.LanguageList.Items[second.form.LanguageList.ItemIndex()], "German");
  EXPECT_EQ(second.form.NextBtn.Caption(), "Weiter >");
  // Cancel asks in the chosen language; Alt+F4 never closes the window.
  second.application.Modifiers = mkAlt;
  int f4 = 0x73;
  second.form.OnKeyDown(second.form, f4, false);
  EXPECT_FALSE(second.form.Close());
  second.application.MessageAnswers = {mrCancel};
  second.form.CancelBtn.Click();
  EXPECT_TRUE(second.form.Visible());
  second.form.CancelBtn.Click();
  EXPECT_FALSE(second.form.Visible());
  EXPECT_TRUE(second.context.State.Cancelled);
  EXPECT_EQ(second.application.MessagesShown.back(), "Kestrup: Kestrup abbrechen?");
}

TEST(Wizard, StartUpFailuresShowTheirMessageAndInstallNothing) {
  {
    WizardWorld world;
    world.BuildSetup({"LanguagePage"}, {"row IsUpdate False", "row IsUpdate True"});
    WizardWorld::TRun run(world);
    EXPECT_FALSE(run.Start());
    EXPECT_EQ(run.application.MessagesShown.back(),
              "Kestrup: Testo is not installed\r\n\r\nUnable to install update!");
  }
  {
    WizardWorld world;
    world.BuildSetup({"LanguagePage"});
    world.registry.WriteValue(kHKeyCurrentUser, kUninstallKeyBase + "Testo", "InstallDir",
                              TRegValue::String(world.InstallDir()));
    world.registry.WriteValue(kHKeyCurrentUser, kUninstallKeyBase + "Testo", "ProgramGroup",
                              TRegValue::String(world.Group()));
    world.registry.WriteValue(kHKeyCurrentUser, kUninstallKeyBase + "Testo", "ProgramVersionNumber",
                              TRegValue::DWord(130));
    WizardWorld::TRun run(world);
    EXPECT_FALSE(run.Start());
    EXPECT_EQ(run.application.MessagesShown.back(),
              "Kestrup: A higher version than of Testo is installed\r\n\r\nUnable to install this lower "
              "version!");
  }
  {
    // A script without a usable title would name the whole uninstall tree.
    WizardWorld world;
    world.BuildSetup({}, {"row ProgramTitle Testo", "row ProgramTitle \"\""});
    world.registry.WriteValue(kHKeyCurrentUser, kUninstallKeyBase + "Other", "InstallDir",
                              TRegValue::String("C:\\Other"));
    WizardWorld::TRun run(world);
    EXPECT_FALSE(run.Start());
    EXPECT_EQ(run.application.MessagesShown.back(), "Kestrup: Fatal error initializing!");
    TRegValue other;
    EXPECT_EQ(world.registry.ReadValue(kHKeyCurrentUser, kUninstallKeyBase + "Other", "InstallDir", other),
              TRegStatus::Ok);
  }
  // One flipped byte in the last product member: refused before anything
  // is written, not even the installer's own files.
  WizardWorld world;
  world.BuildSetup({});
  std::string bytes = TScratchFolder::ReadFile(world.setup);
  TArchive probe(world.files);
  ASSERT_TRUE(probe.LoadDirectory(world.setup));
  bytes[probe.LookupMember("Shared.dll").Offset + 2] ^= 1;
  TScratchFolder::WriteFile(world.setup, bytes);
  WizardWorld::TRun run(world);
  EXPECT_FALSE(run.Start());
  EXPECT_NE(run.application.MessagesShown.back().find("damaged"), std::string::npos);
  EXPECT_FALSE(world.files.DirectoryExists(world.InstallDir()));
  EXPECT_FALSE(world.files.FileExists(world.InstallerFolder() + "Kestrup.exe"));
}

TEST(Wizard, AStartUpThatFailsKeepsTheStoredLanguage) {
  WizardWorld world;
  world.SetLocale("NLD"); // 31
  world.BuildSetup({"LanguagePage"});
  std::string bytes = TScratchFolder::ReadFile(world.setup); // damaged: no language file is read
  bytes[bytes.size() / 2] ^= 1;
  TScratchFolder::WriteFile(world.setup, bytes);
  ScratchWrite(world, world.InstallerFolder() + "Kestrup.dat", "[Common]\r\nLngID=49\r\n");
  WizardWorld::TRun run(world);
  EXPECT_FALSE(run.Start());
  run.form.Close();
  EXPECT_EQ(run.context.Engine.Actions().IniRead(world.InstallerFolder() + "Kestrup.dat", "Common", "LngID", ""),
            "49");
}

TEST(Wizard, SilentRunsEndWithTheirExitCodes) {
  WizardWorld world;
  world.BuildSetup({"LanguagePage", "LicencePage", "ProgramFolderPage"});
  auto silent = [&](const std::vector<std::string> &arguments) { return world.Silent(arguments); };
  EXPECT_TRUE(ReadRunRequest({"/other"}).Refused);
  world.windows.Windows.push_back({"Testo", "Testo"});
  EXPECT_EQ(silent({"/silent"}), ecSuccess);
  EXPECT_TRUE(world.windows.Windows.empty()); // the running product was asked to close
  EXPECT_TRUE(world.files.FileExists(world.InstallDir() + "Testo.exe"));
  EXPECT_TRUE(world.shell.Opened.empty() && world.shell.Started.empty());
  const std::string script = world.ScriptCopy();
  EXPECT_EQ(silent({"uninstall", script, "/silent"}), ecSuccess);
  EXPECT_FALSE(world.files.FileExists(world.InstallDir() + "Testo.exe"));
  EXPECT_EQ(silent({"uninstall", script, "/silent"}), ecNotInstalled);
  // A cut setup file.
  std::string bytes = TScratchFolder::ReadFile(world.setup);
  TScratchFolder::WriteFile(world.setup, bytes.substr(0, bytes.size() - 40));
  EXPECT_EQ(silent({"/silent"}), ecStartupFailed);
}

// A program file that cannot be written (a folder stands in its place): the
// silent run rolls back and ends with its own exit code. A start that finds
// the journal an interrupted run left behind reverses it first and says so;
// the wizard's failing run then tells on its finish page that the product
// was left as it was, and offers nothing of it to start.
TEST(Wizard, ARolledBackRunSaysTheProductWasLeftAsItWas) {
  WizardWorld world;
  world.BuildSetup({});
  ASSERT_TRUE(world.files.ForceDirectories(world.InstallDir() + "Readme.txt\\"));
  EXPECT_EQ(world.Silent({"/silent"}), ecRolledBack);
  EXPECT_FALSE(world.files.FileExists(world.InstallDir() + "Testo.exe"));
  EXPECT_FALSE(world.registry.KeyExists(kHKeyCurrentUser, kUninstallKeyBase + "Testo"));
  // A first installation: nothing of it stays but the log that tells why.
  EXPECT_EQ(world.files.ListFiles(world.InstallerFolder()), std::vector<std::string>{"Kestrup.log"});

  const std::string stray = world.InstallDir() + "Stray.txt";
  ScratchWrite(world, stray);
  ScratchWrite(world, world.InstallerFolder() + "Kestrup.jnl", "W\t" + stray + "\t0\r\n");
  WizardWorld::TRun run(world);
  run.application.MessageAnswers.push_back(mrOk);
  ASSERT_TRUE(run.Start());
  EXPECT_FALSE(world.files.FileExists(stray));
  ASSERT_FALSE(run.application.MessagesShown.empty());
  EXPECT_NE(run.application.MessagesShown.back().find(
                "An earlier installation was interrupted: the previous version was restored first."),
            std::string::npos);
  TMainForm &w = run.form;
  while (w.CurrentPage() != wpFinish && w.NextBtn.Enabled())
    w.NextBtn.Click();
  ASSERT_EQ(w.CurrentPage(), wpFinish);
  EXPECT_TRUE(w.FinishRolledBackLbl.Visible());
  EXPECT_FALSE(w.FinishLaunchProgram.Visible());
  EXPECT_FALSE(w.FinishRestartLbl.Visible());
  EXPECT_TRUE(w.FinishShowLogfile.Visible());
}

// A program file in use waits for the restart: the finish page says so and
// offers no program to start, since its new copy is not in place yet.
TEST(Wizard, ARestartNeededHidesLaunch) {
  WizardWorld world;
  world.BuildSetup({});
  ASSERT_EQ(world.Silent({"/silent"}), ecSuccess);
  const std::string program = world.InstallDir() + "Testo.exe";
  ASSERT_TRUE(world.files.SetLastWriteTime(program, 1.0)); // older than the setup's copy
  world.files.SetInUse(program, true);
  WizardWorld::TRun run(world);
  ASSERT_TRUE(run.Start());
  TMainForm &w = run.form;
  while (w.CurrentPage() != wpFinish && w.NextBtn.Enabled())
    w.NextBtn.Click();
  ASSERT_EQ(w.CurrentPage(), wpFinish);
  EXPECT_TRUE(w.FinishRestartLbl.Visible());
  EXPECT_FALSE(w.FinishLaunchProgram.Visible());
  w.NextBtn.Click();
  for (const auto &opened : world.shell.Opened)
    EXPECT_NE(opened.File, program);
}

TEST(Wizard, ASilentUninstallThatLoggedErrorsOpensNoViewer) {
  WizardWorld world;
  world.BuildSetup({});
  ASSERT_EQ(world.Silent({"/silent"}), ecSuccess);
  ScratchWrite(world, world.InstallDir() + "Mine.txt"); // the user's own file keeps the folder
  EXPECT_EQ(world.Silent({"uninstall", world.ScriptCopy(), "/silent"}), ecErrorsLogged);
  EXPECT_TRUE(world.files.FileExists(world.InstallerFolder() + "Kestrup.log"));
  EXPECT_TRUE(world.shell.Opened.empty());
  EXPECT_TRUE(world.shell.Started.empty());
}

// A run for every user gives the maker's and the installer's folders,
// prepared by another user with a program of theirs in it, to the
// administrators and says so; when that is refused it installs nothing. A
// run for the user alone leaves the lists as they are, and a volume without
// lists is said to be one.
TEST(Wizard, ARunForAllUsersGuardsTheInstallersFolder) {
  struct TCase {
    bool ForAll, MayRestrict, KeepsLists;
  };
  for (const TCase &c : {TCase{true, true, true}, {true, false, true}, {false, false, true}, {true, true, false}}) {
    WizardWorld world;
    world.BuildSetup({}, c.ForAll ? std::pair<std::string, std::string>{"row ProgramTarget HKEY_CURRENT_USER",
                                                                        "row ProgramTarget HKEY_LOCAL_MACHINE"}
                                  : std::pair<std::string, std::string>{});
    const std::string installer = world.InstallerFolder(), maker = world.CommonAppData() + "Veltrin\\";
    ScratchWrite(world, installer + "KestrupEx.exe", "another user's program");
    world.files.LetOthersChange(maker);
    world.files.LetOthersChange(installer + "KestrupEx.exe");
    world.files.MayRestrict = c.MayRestrict;
    world.files.KeepsAccessLists = c.KeepsLists;
    const TExitCode code = world.Silent({"/silent"});
    SCOPED_TRACE(testing::Message() << c.ForAll << c.MayRestrict << c.KeepsLists);
    const bool corrected = c.ForAll && c.MayRestrict && c.KeepsLists, refused = c.ForAll && !c.MayRestrict;
    EXPECT_EQ(code, refused ? ecStartupFailed : ecSuccess);
    EXPECT_EQ(world.files.FileExists(world.InstallDir() + "Testo.exe"), code == ecSuccess);
    world.files.KeepsAccessLists = true;
    for (const std::string &folder : {maker, installer})
      EXPECT_EQ(FolderWriters(world.files, folder),
                corrected ? TFolderWriters::OnlyTrusted : TFolderWriters::Others);
    EXPECT_EQ(world.Logged(" Access list of " + installer + " corrected: other users could change it"), corrected);
    EXPECT_EQ(world.Logged(" Error: other users may change " + maker + " and its access list cannot be corrected"),
              refused);
    EXPECT_EQ(world.Logged(" Warning: the volume of " + maker + " keeps no access lists"),
              c.ForAll && !c.KeepsLists);
    // What the other user put there under the installer's own name is
    // replaced even though it looks newer than the setup's copy.
    EXPECT_EQ(ReadTestFile(installer + "KestrupEx.exe") == "clean-up program", corrected);
    if (corrected) {
      // The uninstall checks again: a script copy opened to others since stops it.
      world.files.LetOthersChange(installer + "Testo.inf");
      world.files.MayRestrict = false;
      EXPECT_NE(world.Silent({"uninstall", installer + "Testo.inf", "/silent"}), ecSuccess);
      EXPECT_TRUE(world.files.FileExists(world.InstallDir() + "Testo.exe"));
    }
  }
}

TEST(Wizard, TheLastUninstallKnowsItsScriptInAnotherLetterCase) {
  WizardWorld world;
  world.BuildSetup({});
  ASSERT_EQ(world.Silent({"/silent"}), ecSuccess);
  // The installer folder holds the script as "Testo.inf"; the command line
  // names it in capitals. A Windows disk finds the one file under either
  // spelling, the host's needs a second one.
  const std::string installer = world.InstallerFolder(), script = ReadTestFile(world.ScriptCopy());
  ScratchWrite(world, installer + "Testo.inf", script);
  ScratchWrite(world, installer + "TESTO.INF", script);
  EXPECT_EQ(world.Silent({"uninstall", installer + "TESTO.INF", "/silent"}), ecSuccess);
  EXPECT_FALSE(world.files.DirectoryExists(world.InstallDir()));
  EXPECT_EQ(world.files.ListFiles(installer), std::vector<std::string>{"Kestrup.exe"});
  EXPECT_EQ(world.shell.Started.size(), 1u); // the clean-up program
}

TEST(ProgramGroupsDialog, ListsPlainFoldersAndSelectsTheCurrentGroup) {
  WizardWorld world;
  for (const char *folder : {"Zeta\\", "Alpha\\Inner\\", "Hidden\\"})
    world.files.ForceDirectories(world.Programs() + folder);
  world.files.SetAttributes(world.Programs() + "Hidden\\", kFileAttributeDirectory | 2);
  THeadlessApplication application;
  TProgramGroupsDialog dialog(application, nullptr);
  dialog.Show();
  dialog.Fill(world.files, world.Programs(), "Alpha\\Inner");
  const TTreeNode &root = dialog.ProgramGroupsLst.Nodes.at(0);
  ASSERT_EQ(root.Children.size(), 2u); // not the hidden one
  EXPECT_EQ(root.Children[0].Text, "Alpha");
  EXPECT_EQ(root.Children[1].Text, "Zeta");
  EXPECT_EQ(dialog.ProgramGroupsLst.Selected(), (TTreePath{0, 0, 0}));
  EXPECT_EQ(dialog.ProgramGroupLbl.Caption(), "Alpha\\Inner");
  dialog.ProgramGroupsLst.Select({0, 1});
  EXPECT_EQ(dialog.Chosen(), "Zeta");
  // A group ending with a backslash selects nothing; OK keeps it as it was.
  dialog.Fill(world.files, world.Programs(), "Alpha\\");
  EXPECT_TRUE(dialog.ProgramGroupsLst.Selected().empty());
  EXPECT_TRUE(dialog.ProgramGroupsLst.Nodes[0].Expanded);
  EXPECT_EQ(dialog.Chosen(), "Alpha\\");
}

} // namespace

TEST(Wizard, EveryControlOfEveryPageHasAnAccessibleName) {
  WizardWorld world;
  world.BuildSetup({"LanguagePage", "LicencePage", "ProgramFolderPage", "ProgramGroupPage", "SummaryPage"});
  WizardWorld::TRun run(world);
  ASSERT_TRUE(run.Start());
  std::vector<std::string> unnamed;
  int count = 0;
  for (int page = wpLanguage; page <= wpUninstall; ++page) {
    run.form.Pages.SetActivePageIndex(page);
    CollectUnnamed(run.form, unnamed, count);
  }
  EXPECT_EQ(unnamed, std::vector<std::string>{});
  EXPECT_GT(count, 8 * 4); // Back, Next, Cancel and the page's own on each page
}
