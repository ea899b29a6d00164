#include "kestrup/InstallScript.h"
#include "kestrup/Startup.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessShell.h"
#include "unit/kestrup/EngineWorld.h"

#include <gtest/gtest.h>

namespace {

// Folders from a fixed table; counts the registry reads behind them.
class ScriptTest : public ::testing::Test {
protected:
  ScriptTest() {
    shell.Windows = "C:\\WINDOWS\\";
    shell.System = "C:\\WINDOWS\\system32\\";
    values.RootKey = kHKeyCurrentUser;
    values.ProgramTitle = "Movaro";
    values.ProgramLabel = "Movaro";
    values.ProgramTag = "MVR";
    values.ProgramVersion = "2.0";
    values.ProgramVersionNumber = 200;
    values.InstallDir = "C:\\Program Files\\Movaro\\";
    values.ProgramGroup = "Veltrin\\Movaro\\";
  }
  std::string Expand(const std::string &text) { return ExpandPlaceholders(text, values, folders); }

  std::map<std::string, std::string> stored{
      {"Programs", "C:\\Menu\\Programs"},
      {"Desktop", "C:\\User\\Desktop"},
      {"Common Programs", "C:\\All\\Programs"},
      {"Templates", "C:\\User\\Templates"},
      {"ProgramFilesDir", "C:\\Program Files"}};
  int reads = 0;
  THeadlessFileSystem files;
  THeadlessShell shell{files};
  TShellFolders folders{[this](TRootKey, const std::string &, const std::string &name) {
                          ++reads;
                          auto it = stored.find(name);
                          return it == stored.end() ? std::string() : it->second;
                        },
                        shell};
  TPlaceholderValues values;
};

TEST_F(ScriptTest, PlaceholdersIgnoreCaseAndReplaceOnlyTheFirstOccurrence) {
  EXPECT_EQ(Expand("[FTINSTALLDIR]bin\\"), "C:\\Program Files\\Movaro\\bin\\");
  EXPECT_EQ(Expand("[ftInstallDir]bin\\"), "C:\\Program Files\\Movaro\\bin\\");
  std::string once = Expand("[ProgramTitle] and [ProgramTitle]");
  EXPECT_EQ(once, "Movaro and [ProgramTitle]");
  EXPECT_EQ(Expand(once), "Movaro and Movaro");
  EXPECT_EQ(Expand("%SystemRoot%\\system32\\notepad.exe"), "C:\\WINDOWS\\system32\\notepad.exe");
  EXPECT_EQ(Expand("[ProgramTarget] [ProgramLabel] [ProgramTag] [ProgramVersion] [ProgramVersionNumber]"),
            "HKEY_CURRENT_USER Movaro MVR 2.0 200");
  EXPECT_EQ(Expand("A[ftSystem16]B[ftSystem32]"), "ABC:\\WINDOWS\\system32\\");
  // Text outside placeholders keeps its case; a value is not scanned again.
  values.ProgramTitle = "[ftInstallDir]";
  EXPECT_EQ(Expand("Title: [programtitle]"), "Title: [ftInstallDir]");
  // A value holding its own placeholder stays whole.
  values.ProgramTitle = "x[ProgramTitle]";
  EXPECT_EQ(Expand("[ProgramTitle]!"), "x[ProgramTitle]!");
}

TEST_F(ScriptTest, FoldersAreReadOnlyForPlaceholdersPresentAndFallBack) {
  EXPECT_EQ(Expand("[ProgramTitle]"), "Movaro");
  EXPECT_EQ(reads, 0);
  EXPECT_EQ(Expand("[ftPrograms]x"), "C:\\Menu\\Programs\\x");
  EXPECT_EQ(reads, 1);
  // No "Common Desktop": the user's desktop stands in.
  EXPECT_EQ(Expand("[ftCommonDesktop]"), "C:\\User\\Desktop\\");
  EXPECT_EQ(Expand("[ftCommonPrograms]"), "C:\\All\\Programs\\");
  // A missing per-user folder is the bare backslash.
  EXPECT_EQ(Expand("[ftFavorites]"), "\\");
  // The last of the user's folders, at the edge of the numbers.
  EXPECT_EQ(Expand("[ftTemplates]"), "C:\\User\\Templates\\");
  EXPECT_EQ(folders.FolderPath(sfTemplates), "C:\\User\\Templates\\");
  EXPECT_EQ(folders.FolderPath(sfProgramFiles), "C:\\Program Files\\");
  EXPECT_EQ(folders.FolderPath(sfSystem16), "");
  EXPECT_EQ(folders.FolderPath(sfWindows), "C:\\WINDOWS\\");
  EXPECT_EQ(folders.FolderPath(static_cast<TShellFolder>(30)), "");
  shell.Windows = "";
  EXPECT_EQ(Expand("%systemroot%\\x"), "x");
}

TEST_F(ScriptTest, ProgramGroupFollowsTheRootKey) {
  TEngineWorld world;
  world.Prepare(Edit(TestProductSource(), "row ProgramTarget HKEY_CURRENT_USER",
                     "row ProgramTarget HKEY_LOCAL_MACHINE"));
  EXPECT_EQ(world.state.Product.RootKey, kHKeyLocalMachine);
  // No "Common Programs" value: the user's Programs folder stands in.
  EXPECT_EQ(world.engine.Expand("[ftProgramGroup]"), world.Programs() + "Veltrin\\Testo\\");
  world.registry.WriteValue(kHKeyLocalMachine, kShellFoldersKey, "Common Programs",
                            TRegValue::String("C:\\All"));
  world.state.GroupBase = world.engine.FolderPath(sfCommonPrograms);
  EXPECT_EQ(world.engine.Expand("[ftProgramGroup]"), "C:\\All\\Veltrin\\Testo\\");
  world.state.GroupBase = "";
  EXPECT_EQ(world.engine.Expand("[ftProgramGroup]"), "Veltrin\\Testo\\");
}

TEST(InstallScript, DefaultsCutLabelAndTagAndSwitchesNeedExactTrue) {
  TEngineWorld world;
  std::string source = Edit(TestProductSource(), "row ProgramLabel Testo", "row ProgramLabel abcdefghij");
  source = Edit(source, "row ProgramTag TST", "row ProgramTag abcd");
  source = Edit(source, "row IsUpdate False", "row IsUpdate true");
  source = Edit(source, "row ProgramVersionNumber 120", "row ProgramVersionNumber 1.2.0");
  source = Edit(source, "row ProgramTarget HKEY_CURRENT_USER", "row ProgramTarget hkey_local_machine");
  source = Edit(source, "row SummaryPage False\n", "");
  world.Prepare(source);
  const TProductSettings &s = world.state.Product;
  EXPECT_EQ(s.ProgramLabel, "abcdefgh");
  EXPECT_EQ(s.ProgramTag, "abc");
  EXPECT_FALSE(s.IsUpdate);
  EXPECT_TRUE(s.DesktopShortcut);
  EXPECT_FALSE(s.SummaryPage);
  EXPECT_EQ(s.ProgramVersionNumber, 0);
  EXPECT_EQ(s.RootKey, kHKeyCurrentUser);
  EXPECT_EQ(s.ProgramModule, "[ftInstallDir]Testo.exe");
}

TEST(InstallScript, RootKeyNamesAndFieldTypes) {
  EXPECT_EQ(RootKeyFromName("HKEY_LOCAL_MACHINE", kHKeyCurrentUser), kHKeyLocalMachine);
  EXPECT_EQ(RootKeyFromName("HKEY_DYN_DATA", kHKeyCurrentUser), 0x80000006u);
  EXPECT_EQ(RootKeyFromName("HKLM", kHKeyUsers), kHKeyUsers);
  EXPECT_EQ(RootKeyName(0x80000000u), "HKEY_CLASSES_ROOT");
  EXPECT_EQ(RootKeyName(0x80000007u), "");
  EXPECT_EQ(FieldTypeCode("FTINTEGER"), 7);
  EXPECT_EQ(FieldTypeCode("ftTime"), 9);
  EXPECT_EQ(FieldTypeCode("ftBinaryData"), 1);
  EXPECT_EQ(FieldTypeCode("ftWideString"), 0);
  EXPECT_EQ(NumberOrZero("-12"), -12);
  EXPECT_EQ(NumberOrZero("2147483648"), 0);
  EXPECT_EQ(NumberOrZero("12x"), 0);
}

TEST(HotKeys, ModifiersAndKeyNames) {
  EXPECT_EQ(ParseHotKey("Ctrl+Alt+M"), (kHotKeyCtrl | kHotKeyAlt) << 8 | 'M');
  EXPECT_EQ(ParseHotKey("shift+F12"), kHotKeyShift << 8 | 0x7B);
  EXPECT_EQ(ParseHotKey("Home"), 0x24);
  EXPECT_EQ(ParseHotKey("Ctrl+"), 0);
  EXPECT_EQ(ParseHotKey("Ctrl+Banana"), 0);
  EXPECT_EQ(ParseHotKey("F25"), 0);
}

} // namespace

namespace {

TEST(InstallScript, ShippedScriptSourceBuildsAndNamesTheProduct) {
  TEngineWorld world;
  world.Prepare(ReadTestFile(std::string(MOVARO_TEST_DATA) + "/../../content/kestrup/Kestrup.inf.txt"));
  const TProductSettings &s = world.state.Product;
  EXPECT_TRUE(world.script.Scrambled());
  EXPECT_EQ(s.RootKey, kHKeyLocalMachine);
  EXPECT_EQ(s.ProgramTitle, "Movaro");
  EXPECT_EQ(s.ProgramLabel, "movaro");
  EXPECT_EQ(s.ProgramVersionNumber, 3021);
  EXPECT_TRUE(s.LicencePage && s.DesktopShortcut && !s.IsUpdate);
  EXPECT_EQ(world.state.InstallDir, world.ProgramFiles() + "Veltrin\\Movaro\\");
  TInstallScript reader(world.script);
  EXPECT_EQ(reader.RecordCount(kFilesTable), 16);
  EXPECT_EQ(reader.Field(kShortcutsTable, "Description", 2), "[ProgramTitle] Readme");
}

} // namespace

// Whether a run needs an administrator's rights is read from its script
// before anything is written: the setup file's for an install (its scratch
// copy removed again), the script copy named for an uninstall.
TEST(InstallScript, ARunIsForAllUsersWhenItsScriptTargetsTheMachine) {
  TEngineWorld world;
  const std::string scratch = world.Root() + "peek.inf";
  world.Prepare(Edit(TestProductSource(), "row ProgramTarget HKEY_CURRENT_USER",
                     "row ProgramTarget HKEY_LOCAL_MACHINE"));
  TRunRequest install;
  EXPECT_TRUE(RunIsForAllUsers(world.platform, world.setup, install, scratch));
  EXPECT_FALSE(world.files.FileExists(scratch));
  TRunRequest uninstall = ReadRunRequest({"uninstall", world.state.ScriptPath});
  EXPECT_TRUE(RunIsForAllUsers(world.platform, "", uninstall, scratch));

  TEngineWorld own;
  own.Prepare();
  EXPECT_FALSE(RunIsForAllUsers(own.platform, own.setup, install, scratch));
  EXPECT_FALSE(RunIsForAllUsers(own.platform, own.Root() + "missing.exe", install, scratch));
  EXPECT_FALSE(RunIsForAllUsers(own.platform, "", ReadRunRequest({"uninstall", own.Root() + "x.inf"}),
                                scratch));
}
