// Start-up decisions of the program: a second start, the uninstaller from the
// uninstall entry, the language from the regional setting, the browser, the
// keyboard shortcuts and where a skin image comes from.
#include "movaro/Browser.h"
#include "movaro/MainForm.h"
#include "movaro/ProgramEntry.h"
#include "movaro/Shortcuts.h"
#include "movaro/SkinImages.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessRegistry.h"
#include "platform/headless/HeadlessShell.h"
#include "platform/headless/HeadlessWindowMessenger.h"
#include "support/BitmapFile.h"
#include "support/ScratchFolder.h"
#include "ui/Controls.h"
#include "ui/kit/Background.h"
#include "ui/kit/SkinnedButton.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

TEST(ProgramEntry, SecondStartHandsOverAndUninstallClosesTheRunningOne) {
  THeadlessWindowMessenger windows;
  EXPECT_EQ(DecideEntry(windows, {}), TEntryAction::eaRun);
  EXPECT_EQ(DecideEntry(windows, {"UnInstall"}), TEntryAction::eaUninstall);
  EXPECT_TRUE(windows.Posted.empty());

  windows.Windows.insert("Movaro");
  EXPECT_EQ(DecideEntry(windows, {"something", "else"}), TEntryAction::eaHandedOver);
  ASSERT_EQ(windows.Posted.size(), 1u);
  EXPECT_EQ(windows.Posted[0].Message, kShowYourselfMessage);
  // Only the first argument counts, in any letter case.
  EXPECT_EQ(DecideEntry(windows, {"UNINSTALL"}), TEntryAction::eaUninstall);
  ASSERT_EQ(windows.Posted.size(), 2u);
  EXPECT_EQ(windows.Posted[1].Message, kCloseRequestMessage);
  EXPECT_EQ(DecideEntry(windows, {"x", "uninstall"}), TEntryAction::eaHandedOver);
}

TEST(ProgramEntry, UninstallCommandInBothQuotingForms) {
  TUninstallCommand split;
  ASSERT_TRUE(SplitUninstallCommand(
      "\"C:\\Program Data\\Kestrup\\Kestrup.exe\" \"uninstall\" \"C:\\P D\\Movaro.inf\"", split));
  EXPECT_EQ(split.Program, "C:\\Program Data\\Kestrup\\Kestrup.exe");
  EXPECT_EQ(split.Parameters, "\"uninstall\" \"C:\\P D\\Movaro.inf\"");
  ASSERT_TRUE(SplitUninstallCommand("C:\\Program Data\\Kestrup.exe \"uninstall\" \"C:\\x.inf\"", split));
  EXPECT_EQ(split.Program, "C:\\Program Data\\Kestrup.exe");
  EXPECT_EQ(split.Parameters, "\"uninstall\" \"C:\\x.inf\"");
  ASSERT_TRUE(SplitUninstallCommand("\"C:\\K.exe\"", split));
  EXPECT_EQ(split.Program, "C:\\K.exe");
  EXPECT_EQ(split.Parameters, "");
  ASSERT_TRUE(SplitUninstallCommand("C:\\K.exe uninstall", split));
  EXPECT_EQ(split.Program, "C:\\K.exe uninstall");
  // Outside bytes: nothing usable, nothing started.
  EXPECT_FALSE(SplitUninstallCommand("", split));
  EXPECT_FALSE(SplitUninstallCommand("\"C:\\K.exe uninstall", split));
  EXPECT_FALSE(SplitUninstallCommand("\"\" \"uninstall\"", split));

  THeadlessRegistry registry;
  THeadlessFileSystem files;
  THeadlessShell shell(files);
  EXPECT_FALSE(StartUninstaller(registry, shell)); // no entry: nothing visible
  EXPECT_TRUE(shell.Opened.empty());
  registry.WriteValue(kHKeyLocalMachine, kUninstallKey, "UninstallString",
                      TRegValue::String("\"C:\\Data\\Kestrup\\Kestrup.exe\" \"uninstall\" \"C:\\M.inf\""));
  EXPECT_TRUE(StartUninstaller(registry, shell));
  ASSERT_EQ(shell.Opened.size(), 1u);
  EXPECT_EQ(shell.Opened[0].File, "C:\\Data\\Kestrup\\Kestrup.exe");
  EXPECT_EQ(shell.Opened[0].Arguments, "\"uninstall\" \"C:\\M.inf\"");
  EXPECT_EQ(shell.Opened[0].Folder, "C:\\Data\\Kestrup\\");
  registry.WriteValue(kHKeyLocalMachine, kUninstallKey, "UninstallString", TRegValue::DWord(5));
  EXPECT_FALSE(StartUninstaller(registry, shell));
}

TEST(ProgramEntry, LanguageFromTheRegionalSetting) {
  THeadlessRegistry registry;
  EXPECT_EQ(LanguageFromRegionalSetting(registry), 44);
  const std::map<std::string, int32_t> expected{{"NLD", 31}, {"fra", 33}, {"ESN", 34}, {"ITA", 39},
                                                {"DEU", 49}, {"ENU", 44}, {"SVE", 44}, {"n", 44}};
  for (const auto &[setting, language] : expected) {
    registry.WriteValue(kHKeyCurrentUser, "Control Panel\\International", "sLanguage",
                        TRegValue::String(setting));
    EXPECT_EQ(LanguageFromRegionalSetting(registry), language) << setting;
  }
}

TEST(Browser, CommandOfTheHtmlClassOpensTheAddress) {
  THeadlessRegistry registry;
  THeadlessFileSystem files;
  THeadlessShell shell(files);
  EXPECT_FALSE(OpenAddress(registry, shell, "https://a.example/"));
  registry.WriteValue(kHKeyClassesRoot, ".htm", "", TRegValue::String("PageFile"));
  registry.WriteValue(kHKeyClassesRoot, "PageFile\\Shell\\Open\\Command", "",
                      TRegValue::String("\"C:\\Web Tools\\view.exe\" -new \"%1\""));
  EXPECT_TRUE(OpenAddress(registry, shell, "https://a.example/"));
  ASSERT_EQ(shell.Opened.size(), 1u);
  EXPECT_EQ(shell.Opened[0].File, "C:\\Web Tools\\view.exe");
  EXPECT_EQ(shell.Opened[0].Arguments, "-new https://a.example/");
  registry.WriteValue(kHKeyClassesRoot, ".HTML", "", TRegValue::String("Other"));
  registry.WriteValue(kHKeyClassesRoot, "Other\\Shell\\Open\\Command", "",
                      TRegValue::String("C:\\browse %1"));
  EXPECT_TRUE(OpenAddress(registry, shell, "x.htm"));
  EXPECT_EQ(shell.Opened.back().File, "C:\\browse");
  EXPECT_EQ(shell.Opened.back().Arguments, "x.htm");
}

TEST(Shortcuts, KeysModifiersAndTheProfile) {
  const TShiftState none, alt{false, false, true}, altShift{true, false, true}, ctrl{false, true, false};
  EXPECT_EQ(ShortcutForKey('S', alt, true), TShortcut::scStatus);
  EXPECT_EQ(ShortcutForKey('S', altShift, true), TShortcut::scStatus);
  EXPECT_EQ(ShortcutForKey('S', none, true), TShortcut::scNone);
  EXPECT_EQ(ShortcutForKey(kVkInsert, none, true), TShortcut::scHide);
  EXPECT_EQ(ShortcutForKey(kVkInsert, alt, true), TShortcut::scMinimize);
  EXPECT_EQ(ShortcutForKey(kVkInsert, ctrl, true), TShortcut::scNone);
  EXPECT_EQ(ShortcutForKey(kVkDelete, alt, true), TShortcut::scAbout);
  EXPECT_EQ(ShortcutForKey('X', alt, true), TShortcut::scHide);
  EXPECT_EQ(ShortcutForKey(kVkF1, none, true), TShortcut::scHelp);
  EXPECT_EQ(ShortcutForKey(kVkF1, alt, true), TShortcut::scNone);
  EXPECT_EQ(ShortcutForKey(kVkPageDown, ctrl, true), TShortcut::scScrollDown);
  // Without a profile only Insert acts.
  EXPECT_EQ(ShortcutForKey(kVkInsert, none, false), TShortcut::scHide);
  EXPECT_EQ(ShortcutForKey('S', alt, false), TShortcut::scNone);
  EXPECT_EQ(ShortcutForKey(kVkF1, none, false), TShortcut::scNone);
  EXPECT_TRUE(IsCloseKey(kVkF4, alt));
  EXPECT_FALSE(IsCloseKey(kVkF4, none));
}

namespace {

// Bitmap resources of the program for tests: bitmap files without their
// 14-byte file header, as the resource compiler stores them.
class TMapSkinResources : public ISkinResources {
public:
  std::string_view BitmapBytes(const std::string &name) override {
    auto found = Bitmaps.find(name);
    return found == Bitmaps.end() ? std::string_view() : std::string_view(found->second);
  }
  std::string_view PictureBytes(const std::string &name) override {
    auto found = Pictures.find(name);
    return found == Pictures.end() ? std::string_view() : std::string_view(found->second);
  }
  std::map<std::string, std::string> Bitmaps, Pictures;
};

} // namespace

TEST(SkinImages, OverrideFilePlainOrTwoHundredFiftySixColourResource) {
  TScratchFolder scratch;
  THeadlessFileSystem files;
  TMapSkinResources resources;
  resources.Bitmaps["background"] = BitmapFile(4, 3, 0x102030).substr(14);
  resources.Bitmaps["background_256"] = BitmapFile(4, 3, 0x336699).substr(14);
  resources.Bitmaps["about"] = "damaged";
  const std::string folder = scratch.Path("") + "\\";

  TSkinLoader deep(files, resources, folder, 32);
  EXPECT_EQ(deep.ResourceName("background"), "background");
  auto plain = deep.LoadSkinImage("background");
  ASSERT_EQ(plain->Width, 4);
  EXPECT_EQ(plain->At(3, 2), 0x102030u);
  EXPECT_TRUE(deep.LoadSkinImage("about")->Empty()); // a damaged resource: no picture
  EXPECT_TRUE(deep.LoadSkinImage("missing")->Empty());

  TSkinLoader palette(files, resources, folder, 8);
  EXPECT_EQ(palette.ResourceName("background"), "background_256");
  EXPECT_EQ(palette.LoadSkinImage("background")->At(0, 0), 0x336699u);

  // An override file in "I\" wins; a damaged one leaves the resource.
  files.ForceDirectories(folder + "I");
  {
    std::ofstream(scratch.Path("I/background.bmp"), std::ios::binary) << BitmapFile(2, 2, 0xFF0000);
    std::ofstream(scratch.Path("I/but_up.bmp"), std::ios::binary) << "not a picture";
  }
  resources.Bitmaps["but_up"] = BitmapFile(1, 1, 0x00FF00).substr(14);
  TSkinLoader overridden(files, resources, folder, 32);
  auto replaced = overridden.LoadSkinImage("background");
  ASSERT_EQ(replaced->Width, 2);
  EXPECT_EQ(replaced->At(1, 1), 0xFF0000u);
  EXPECT_EQ(overridden.LoadSkinImage("but_up")->At(0, 0), 0x00FF00u);
}

// A display at 150 % gets the skin drawn for it, which the controls place at
// its design size (so it is shown pixel for pixel); a skin without that
// variant, and a user's own file, come at their own size as before.
TEST(SkinImages, ALargerScaleTakesTheSkinDrawnForIt) {
  TScratchFolder scratch;
  THeadlessFileSystem files;
  TMapSkinResources resources;
  resources.Bitmaps["background"] = BitmapFile(8, 6, 0x102030).substr(14);
  resources.Pictures["background_150"] = BitmapFile(12, 9, 0x405060);
  resources.Bitmaps["about"] = BitmapFile(5, 5, 0x708090).substr(14);
  const std::string folder = scratch.Path("") + "\\";
  TSkinLoader skins(files, resources, folder, 32, 150);
  TPictureProperty background;
  background.SetPicture(skins.LoadSkinImage("background"));
  EXPECT_EQ(background.Picture()->At(11, 8), 0x405060u);
  EXPECT_EQ(background.Width(), 8);
  EXPECT_EQ(background.Height(), 6);
  const TCanvasBitmap bitmap = background.Bitmap();
  EXPECT_EQ(bitmap.Width, 12);
  EXPECT_EQ(bitmap.DesignWidth(), 8);
  EXPECT_EQ(skins.LoadSkinImage("about")->DesignWidth(), 5);

  files.ForceDirectories(folder + "I");
  std::ofstream(scratch.Path("I/background.bmp"), std::ios::binary) << BitmapFile(3, 3, 0xFF0000);
  TSkinLoader own(files, resources, folder, 32, 150);
  EXPECT_EQ(own.LoadSkinImage("background")->DesignWidth(), 3);
}

// A form moved to a display of another scale takes the skins drawn for that
// scale's nearest in every backdrop and button face the loader gave it;
// a picture of another source stays, and so does a later form's skin.
TEST(SkinImages, AFormMovedToAnotherScaleTakesTheSkinsDrawnForIt) {
  TScratchFolder scratch;
  THeadlessFileSystem files;
  TMapSkinResources resources;
  resources.Bitmaps["background"] = BitmapFile(8, 6, 0x102030).substr(14);
  resources.Pictures["background_200"] = BitmapFile(16, 12, 0x405060);
  resources.Bitmaps["but_up_quit"] = BitmapFile(4, 4, 0x111111).substr(14);
  resources.Pictures["but_up_quit_200"] = BitmapFile(8, 8, 0x222222);
  THeadlessApplication app; // outlives the loader that follows it, as in the program
  TSkinLoader skins(files, resources, scratch.Path("") + "\\", 32);
  TForm form(app, nullptr, "MainForm");
  auto &backdrop = form.Create<TBkControl>("Background");
  backdrop.SetParent(&form);
  auto &panel = form.Create<TPanel>("ColumnPnl");
  panel.SetParent(&form);
  auto &quit = form.Create<TBaseBtn>("QuitBtn");
  quit.SetParent(&panel);
  skins.LoadInto(backdrop.Background().Image, "background");
  skins.LoadButtonFaces(quit, "_quit");
  auto own = std::make_shared<TPicture>();
  quit.GlyphDown.SetPicture(own, "but_down_quit"); // not the loader's
  skins.Follow(app);

  app.FormScaleChanged(form, 192);
  EXPECT_EQ(backdrop.Background().Image.Picture()->Width, 16);
  EXPECT_EQ(backdrop.Background().Image.Width(), 8); // its design size
  EXPECT_EQ(quit.GlyphUp.Picture()->At(0, 0), 0x222222u);
  EXPECT_EQ(quit.GlyphDown.Picture(), own.get());
  EXPECT_EQ(skins.LoadSkinImage("background")->Width, 8); // the system's scale for new forms

  app.FormScaleChanged(form, 96);
  EXPECT_EQ(quit.GlyphUp.Picture()->At(0, 0), 0x111111u);
  { // a loader that goes stops following
    TSkinLoader brief(files, resources, scratch.Path("") + "\\", 32);
    brief.Follow(app);
  }
  EXPECT_FALSE(app.OnFormScaleChanged);
}
