// The content pages and the setup page headless: menus from a generated
// information file, records on their pages, videos from the content
// container, answers into the message history and the gauges, questionnaire
// pages answered by their radio buttons, setup changes reaching the rules and
// the profile file, and a language switch.
#include "movaro/pages/ContentPages.h"
#include "movaro/pages/ContentRecords.h"
#include "movaro/pages/SetupPage.h"

#include "authoring/ArchiveWriter.h"
#include "authoring/StrovdexWriter.h"
#include "movaro/profile/MessageEntry.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessScreen.h"
#include "platform/headless/ManualTimer.h"
#include "platform/headless/RecordingMediaPlayer.h"
#include "ui/Forms.h"
#include "unit/movaro/ProfileWorld.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const std::string kWave = std::string("RIFF\x24\0\0\0WAVEfmt ", 16);
const std::string kAvi = std::string("RIFF\x24\0\0\0AVI LIST", 16);

// The window around the pages: records what they ask of it and forwards
// what the profile shows to them.
class TPagesHost : public IContentPagesHost, public ISetupPageHost, public TRecordingProfileView {
public:
  void UpdateStatus() override { ++StatusUpdates; }
  void FormRestore() override { ++Restores; }
  void FormMinimize() override { ++Minimizes; }
  void ShowRuleMessage(int32_t rule, int32_t record, bool persistent) override {
    Shown.push_back(std::to_string(rule) + "-" + std::to_string(record) + (persistent ? " persistent" : ""));
  }
  void PopupMenu(TPopupMenu &menu, TControl &) override { PoppedUp = &menu; }
  void StartMonitoring() override {}
  void PauseMonitoring() override {}
  void RebuildMainTexts() override { ++MainTextBuilds; }
  void ShowCaption(const std::string &caption) override { Caption = caption; }
  void ShowGauge(int gauge, int percent) override {
    TRecordingProfileView::ShowGauge(gauge, percent);
    if (Pages)
      Pages->ShowGauge(gauge, percent);
  }
  void ShowRecentMessages(const std::vector<TRecentMessageItem> &items) override {
    if (Pages)
      Pages->ShowRecentMessages(items);
  }

  TContentPages *Pages = nullptr;
  int StatusUpdates = 0, Restores = 0, Minimizes = 0, MainTextBuilds = 0;
  std::vector<std::string> Shown;
  TPopupMenu *PoppedUp = nullptr;
  std::string Caption;
};

std::vector<TRecordSource> Records(const std::string &language) {
  const std::string s = "_" + language;
  return {
      {1, "bgi_000" + s + "||Orphan section", "no chapter before me"},
      {2, "bgi_001" + s + "|Chapter A", "chapter A"},
      {3, "bgi_002" + s + "||Section A1", "section A1 <A HREF=exe_001>to the exercise</A>"},
      {4, "bgi_003" + s + "|||Deep A1a", "third level"},
      {5, "msg_001" + s + "|Dlg #wkkw0000050005||bgi_002", "lean back"},
      {6, "bgi_005" + s + "|Chapter B", "chapter B"},
      {7, "exe_001" + s + "|00000007-00101000|Wrist stretch", "stretch your wrist"},
      {11, "msg_002" + s + "|Dlg #igge0000010007||exe_001", "try an exercise"},
      {8, "exe_002" + s + "|00000008-0010100|Seven", "seven-character region"},
      {9, "exe_003" + s + "|00000009|No dash", "no dash"},
      {10, "exe_004" + s + "|00000099-00100000|Missing video", "<IMG NAME=gone>the film is missing"},
      {12, "msg_003" + s + "|Dlg #qggi0000030006||bgi_005", "a question"},
      {13, "exp_001" + s + "|Dlg #nggt0000010000|Stress", "about stress"},
      {14, "msg_004" + s + "|Dlg #qggt0030010001||exp_001", "Rushed?"},
      {15, "msg_005" + s + "|Dlg #qggt0200010002||exp_001", "Breaks when you like?"},
      {16, "exp_000" + s + "|Dlg #nggt0000000000|Risk Index", "all of it"},
      {17, "note" + s, "fits no menu"},
  };
}

const char kLanguageFile[] = R"SRC(
table Contents
column iCountry integer7
column sCountry text width=128
column sLanguage text width=10
row 44 English English
row 49 German Deutsch
row 90 Test xx_test
table "MainForm (English)"
column Tag integer7
column Caption text width=255
column Hint text width=255
row 10100 "Background Information" ""
table "MainForm (German)"
column Tag integer7
column Caption text width=255
column Hint text width=255
row 10100 "Hintergrund" ""
row 12007 "Unterarme und Haende" ""
row 14100 "Einstellungen" ""
)SRC";

class ContentPagesTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::vector<TRecordSource> records = Records("44");
    for (TRecordSource r : Records("49")) {
      r.Id += 100;
      if (r.Name.rfind("bgi_001", 0) == 0)
        r.Name = "bgi_001_49|Kapitel A";
      if (r.Name.rfind("bgi_000", 0) == 0)
        r.Name = "bgi_000_49||Verwaister Abschnitt";
      records.push_back(r);
    }
    std::string error;
    ASSERT_TRUE(WriteRecordFile(world.fs, records, folder + "MVRInfo.dat", error)) << error;
    ASSERT_TRUE(world.info.LoadRecords(folder + "MVRInfo.dat"));
    world.info.SelectRecords("_44");
    TDatabaseSource source;
    ASSERT_TRUE(ParseTableSource(kLanguageFile, source, error)) << error;
    ASSERT_TRUE(WriteStrovdex(world.fs, source, folder + "Movaro.lng", "", error)) << error;
    world.fs.ForceDirectories(folder + "Av");
    TScratchFolder::WriteFile(folder + "Av/Bit.wav", kWave);
    TScratchFolder::WriteFile(folder + "Av/Sonar.wav", kWave);
    TScratchFolder::WriteFile(folder + "Av/00000009.avi", kAvi);

    pages.InfoFile = &world.info;
    host.Pages = &pages;
    profile = world.NewProfile();
    profile->Links.View = &host;
    context.Profile = profile.get();
    profile->BuildMessageHistory(world.info);
    profile->LoadProfile();
    pages.BuildBkInfoMenu();
    pages.BuildExerciseMenu();
  }

  TMenuItem *Item(const std::vector<TMenuItem *> &items, const std::string &caption) {
    for (TMenuItem *item : items)
      if (item->Caption == caption)
        return item;
    return nullptr;
  }
  int32_t Ordinal(const std::string &base) { return FindRecordByBaseName(world.info, base); }
  std::string Entry(const std::string &head) { return profile->FindEntry(head); }

  TProfileWorld world;
  std::string folder = world.scratch.Path() + "/";
  THeadlessApplication app;
  TForm form{app, nullptr, "MainForm"};
  TPageControl &pageCtrl = form.Create<TPageControl>("PageCtrl");
  TVirtualCursor cursor;
  TManualTimer timer;
  TRecordingInputHooks hooks;
  TMovaroContext context{{world.clock, cursor, timer, hooks, world.fs, world.locale}};
  TPagesHost host;
  TRecordingMediaPlayer player{world.fs};
  THeadlessScreen screen;
  TContentPages pages{form, pageCtrl, context, host, player, screen, folder};
  std::unique_ptr<TUserData> profile;
};

const std::string &ActivePage(TPageControl &pages) {
  return pages.Page(pages.ActivePageIndex()).Name();
}

} // namespace

TEST_F(ContentPagesTest, MenusFollowTheRecordNames) {
  // Chapters A and B; the orphan section and every other record get no item.
  const auto &chapters = pages.BkInfoItems->Items();
  ASSERT_EQ(chapters.size(), 2u);
  EXPECT_EQ(chapters[0]->Caption, "Chapter A");
  EXPECT_EQ(chapters[0]->Name(), "BkInfoItem2");
  // A chapter with sections, and a section with a third level, only open submenus.
  EXPECT_EQ(chapters[0]->Tag, 0);
  EXPECT_FALSE(chapters[0]->OnClick);
  ASSERT_EQ(chapters[0]->Items().size(), 1u);
  TMenuItem &section = *chapters[0]->Items()[0];
  EXPECT_EQ(section.Caption, "  Section A1");
  EXPECT_FALSE(section.OnClick);
  ASSERT_EQ(section.Items().size(), 1u);
  EXPECT_EQ(section.Items()[0]->Caption, "  Deep A1a");
  EXPECT_EQ(section.Items()[0]->Tag, 4);
  EXPECT_EQ(chapters[1]->Tag, 6);
  EXPECT_TRUE(chapters[1]->OnClick);

  // Only the exercise with an eight-character known region code has an item.
  int items = 0;
  for (TMenuItem *submenu : pages.ExerciseSubmenus)
    items += static_cast<int>(submenu->Items().size());
  EXPECT_EQ(items, 2); // exe_001 and exe_004
  ASSERT_EQ(pages.ExerciseSubmenus[6]->Items().size(), 1u);
  EXPECT_EQ(pages.ExerciseSubmenus[6]->Items()[0]->Name(), "MainToolBarPopupSubExerItem7");
  EXPECT_EQ(pages.ExerciseSubmenus[7]->Items()[0]->Name(), "MainToolBarPopupSubExerItem11");

  // Rebuilding starts afresh.
  pages.BuildBkInfoMenu();
  EXPECT_EQ(pages.BkInfoItems->Items().size(), 2u);
}

TEST_F(ContentPagesTest, RecordsShowOnTheirPagesWithTheirTitles) {
  pages.BackgroundInfoBtnClick(*pages.BkInfo.Page);
  EXPECT_EQ(host.PoppedUp, pages.BkInfoItems);
  pages.BkInfoItems->Items()[1]->Click();
  EXPECT_EQ(ActivePage(pageCtrl), "BkInfo");
  EXPECT_EQ(pages.BkInfo.Header->Caption(), "Chapter B");
  EXPECT_STREQ(pages.BkInfo.Parser->Text(), "chapter B");
  // The entry on show, chosen again, changes nothing, not even the status.
  const int updates = host.StatusUpdates;
  pages.BkInfoItems->Items()[1]->Click();
  EXPECT_EQ(host.StatusUpdates, updates);
  // The third level is titled with its part 4.
  pages.BkInfoItems->Items()[0]->Items()[0]->Items()[0]->Click();
  EXPECT_EQ(pages.BkInfo.Header->Caption(), "Deep A1a");
  // Out of range clears the page.
  pages.BkInfoLstSelect(999);
  EXPECT_EQ(pages.BkInfo.Header->Caption(), "");
  EXPECT_FALSE(pages.BkInfo.Parser->HasText());

  // An exercise: region caption and title, text, and its video looping.
  pages.ExerciseSubmenus[6]->Items()[0]->Click();
  EXPECT_EQ(ActivePage(pageCtrl), "Exercise");
  EXPECT_EQ(pages.Exer.Header->Caption(), "Lower arms and hands - Wrist stretch");
  EXPECT_TRUE(pages.Media.LoopPlayback);
  // An exercise whose part 2 has no "-" only switches the page.
  pages.StatusBtnClick();
  pages.ShowContentRecord(world.info.GetSelectedRecord(Ordinal("exe_003")), "Exercise");
  EXPECT_EQ(ActivePage(pageCtrl), "Exercise");
  EXPECT_STREQ(pages.Exer.Parser->Text(), "stretch your wrist");

  // A link in a page opens the record it names on that record's page.
  pages.BkInfoLstSelect(Ordinal("bgi_002"));
  pages.HyperLinkClick(*pages.BkInfo.Parser, "EXE_001");
  app.ProcessMessages();
  EXPECT_EQ(ActivePage(pageCtrl), "Exercise");
  pages.HyperLinkClick(*pages.BkInfo.Parser, "NO_SUCH_RECORD"); // nothing happens
  app.ProcessMessages();
  EXPECT_EQ(ActivePage(pageCtrl), "Exercise");

  // The empty record clears all three pages and keeps the active one.
  pages.ShowContentRecord(TIDbRec{}, "Info");
  EXPECT_EQ(ActivePage(pageCtrl), "Exercise");
  EXPECT_EQ(pages.Exer.Header->Caption(), "");
  EXPECT_FALSE(pages.Exer.Parser->HasText());
}

TEST_F(ContentPagesTest, ContainerVideosPlayLoopAndLeaveNoCopy) {
  TArchiveWriter writer(world.fs);
  ASSERT_TRUE(writer.Open(folder + "movaro.dat"));
  ASSERT_TRUE(writer.AddMember("00000007.avi", 862411107, kAvi + std::string(200, 'v')));
  ASSERT_TRUE(writer.Finish());
  pages.ReloadContentDirectory();

  pages.ShowContentRecord(world.info.GetSelectedRecord(Ordinal("exe_001")), "Exercise");
  const std::string temp = folder + "T\\00000007.avi";
  EXPECT_EQ(player.FileName(), temp);
  EXPECT_TRUE(world.fs.FileExists(temp));
  EXPECT_EQ(player.Display, (TMediaRect{25, 30, 180, 180}));
  EXPECT_TRUE(pages.MediaButtons[0]->Enabled());

  // The end of the film starts it again; pause and play continue.
  player.FinishPlayback();
  EXPECT_EQ(player.Mode(), TMediaMode::mmPlaying);
  EXPECT_EQ(player.Log.back(), "play");
  pages.MediaButtons[1]->Click();
  EXPECT_EQ(player.Mode(), TMediaMode::mmPaused);
  pages.MediaButtons[0]->Click();
  EXPECT_EQ(player.Log.back(), "resume");
  pages.MediaButtons[3]->Click(); // a tenth of the film
  EXPECT_EQ(player.Position, 3);

  // A finished sound is closed; the film's copy is gone.
  pages.Media.LoopPlayback = false;
  pages.Media.PlayMediaFile(folder + "Av\\Bit.wav");
  EXPECT_FALSE(world.fs.FileExists(temp));
  player.FinishPlayback();
  EXPECT_FALSE(pages.Media.Loaded());

  // Bad media: a member missing from the container and from "Av", and a
  // sound that is no wave file. The page shows, nothing plays, the buttons say so.
  pages.ShowContentRecord(world.info.GetSelectedRecord(Ordinal("exe_004")), "Exercise");
  EXPECT_STREQ(pages.Exer.Parser->Text(), "<IMG NAME=gone>the film is missing"); // no picture either
  EXPECT_GT(pages.Exer.Parser->YMax(), 0);
  EXPECT_FALSE(pages.Media.Loaded());
  EXPECT_FALSE(pages.MediaButtons[0]->Enabled());
  pages.MediaButtons[0]->Click(); // does nothing
  TScratchFolder::WriteFile(folder + "Av/Text.wav", "just some words");
  pages.Media.PlayMediaFile(folder + "Av\\Text.wav");
  EXPECT_FALSE(pages.Media.Loaded());

  // A device that stops answering: the buttons say that nothing plays, and
  // the copy it holds stays until the page goes.
  pages.ShowContentRecord(world.info.GetSelectedRecord(Ordinal("exe_001")), "Exercise");
  ASSERT_TRUE(pages.MediaButtons[0]->Enabled());
  player.Lose();
  EXPECT_FALSE(pages.Media.Loaded());
  EXPECT_FALSE(pages.MediaButtons[0]->Enabled());
  EXPECT_TRUE(world.fs.FileExists(temp));
  pages.MediaButtons[0]->Click();
  EXPECT_EQ(player.Log.back(), "lost");
}

TEST_F(ContentPagesTest, AnswersGoIntoTheHistoryAndOpenTheirPages) {
  const TDateTime today = world.clock.Now();
  // A health message: yes 1, no 0, cancel keeps the count and moves the day.
  pages.AnswerQuestion(Ordinal("msg_001"), true, false);
  EXPECT_EQ(EntryCount(Entry("wkkw0000050005")), 1);
  EXPECT_EQ(host.Restores, 1);
  EXPECT_EQ(ActivePage(pageCtrl), "Info");
  EXPECT_EQ(pages.Info.Header->Caption(), "Section A1"); // its owning page
  pages.AnswerQuestion(Ordinal("msg_001"), false, false);
  EXPECT_EQ(EntryCount(Entry("wkkw0000050005")), 0);
  world.clock.Advance(2 * 86400000u);
  pages.AnswerQuestion(Ordinal("msg_001"), false, true);
  EXPECT_EQ(EntryCount(Entry("wkkw0000050005")), 0);
  EXPECT_EQ(EntryValue(Entry("wkkw0000050005")), static_cast<int32_t>(today) + 2);

  // Yes to a question ("Dlg #q") stores 1 and opens nothing.
  const int restores = host.Restores;
  pages.AnswerQuestion(Ordinal("msg_003"), true, false);
  EXPECT_EQ(EntryCount(Entry("qggi0000030006")), 1);
  EXPECT_EQ(host.Restores, restores);

  // Yes to an exercise message shows its exercise, the film looping.
  pages.Media.LoopPlayback = false;
  pages.AnswerQuestion(Ordinal("msg_002"), true, false);
  EXPECT_EQ(ActivePage(pageCtrl), "Exercise");
  EXPECT_STREQ(pages.Exer.Parser->Text(), "stretch your wrist");
  EXPECT_TRUE(pages.Media.LoopPlayback);

  // Questionnaire items score the digit of the answer; cancel keeps it.
  pages.AnswerQuestion(Ordinal("msg_004"), true, false);
  EXPECT_EQ(EntryCount(Entry("qggt0030010001")), 3);
  pages.AnswerQuestion(Ordinal("msg_004"), false, true);
  EXPECT_EQ(EntryCount(Entry("qggt0030010001")), 3);
  pages.AnswerQuestion(Ordinal("msg_005"), false, false);
  EXPECT_EQ(EntryCount(Entry("qggt0200010002")), 2);
  // Worst answers to both items: the Stress gauge is empty, the Risk Index full.
  EXPECT_EQ(pages.TestGauges[1]->Progress(), 0);
  EXPECT_EQ(pages.TestGauges[0]->Progress(), 100);
  EXPECT_EQ(pages.TestScore(1), 0);

  // Records without a dialog head, and ordinals out of range, record nothing.
  const std::vector<std::string> before = profile->MessageHistory;
  pages.AnswerQuestion(Ordinal("note"), true, false);
  pages.AnswerQuestion(0, true, false);
  EXPECT_EQ(profile->MessageHistory, before);
}

TEST_F(ContentPagesTest, QuestionnairePageIsAnsweredByItsRadioButtons) {
  pages.TestItemClick(*pages.TestLabels[1]); // "Stress"
  EXPECT_EQ(ActivePage(pageCtrl), "Info");
  EXPECT_EQ(pages.Info.Header->Caption(), "Stress");
  EXPECT_NE(std::string(pages.Info.Parser->Text()).find("Rushed?"), std::string::npos);

  TControl *yes = pages.Info.Parser->InputControl("ANSWERYES");
  ASSERT_NE(yes, nullptr);
  yes->Click();
  app.ProcessMessages();
  EXPECT_EQ(EntryCount(Entry("qggt0030010001")), 3);
  EXPECT_NE(std::string(pages.Info.Parser->Text()).find("Breaks when you like?"), std::string::npos);
  TControl *no = pages.Info.Parser->InputControl("ANSWERNO");
  ASSERT_NE(no, nullptr);
  no->Click();
  app.ProcessMessages();
  EXPECT_EQ(EntryCount(Entry("qggt0200010002")), 2);
  // Done: the page shows the questionnaire's score, the status page its gauge.
  EXPECT_NE(std::string(pages.Info.Parser->Text()).find("Score: 0 %"), std::string::npos);
  EXPECT_EQ(pages.TestGauges[1]->Progress(), 0);
  pages.HyperLinkClick(*pages.Info.Parser, "ANSWER:AGAIN");
  app.ProcessMessages();
  EXPECT_NE(std::string(pages.Info.Parser->Text()).find("Rushed?"), std::string::npos);
  pages.HyperLinkClick(*pages.Info.Parser, "ANSWER:MAYBE"); // not an answer
  pages.HyperLinkClick(*pages.Info.Parser, "ANSWER:SKIP");  // cancel keeps the answer
  app.ProcessMessages();
  EXPECT_EQ(EntryCount(Entry("qggt0030010001")), 3);

  // The Risk Index explains itself without items; without a profile nothing opens.
  pages.TestItemClick(*pages.TestLabels[0]);
  EXPECT_EQ(pages.Info.Header->Caption(), "Risk Index");
  context.Profile = nullptr;
  pages.StatusBtnClick();
  pages.TestItemClick(*pages.TestLabels[1]);
  EXPECT_EQ(ActivePage(pageCtrl), "Status");
}

TEST_F(ContentPagesTest, AReopenedQuestionnaireGoesOnAtTheFirstItemNeverAnswered) {
  auto shown = [&] {
    pages.TestItemClick(*pages.TestLabels[1]); // "Stress"
    return std::string(pages.Info.Parser->Text());
  };
  pages.AnswerQuestion(Ordinal("msg_004"), false, false); // "No" to the first: it scores 0
  std::string text = shown();
  EXPECT_NE(text.find("2 / 2"), std::string::npos) << text;
  EXPECT_EQ(text.find("Rushed?"), std::string::npos);
  pages.AnswerQuestion(Ordinal("msg_005"), true, false);
  text = shown(); // all answered: the result
  EXPECT_NE(text.find("Score: "), std::string::npos) << text;
  EXPECT_EQ(text.find(" / 2"), std::string::npos);
}

TEST_F(ContentPagesTest, LastMessagesMenuShowsTheMessageAgain) {
  profile->AddRecentMessage("3-0>14:25");
  profile->AddRecentMessage("0-12>14:30");
  ASSERT_EQ(pages.PopupLastMessageItems->Items().size(), 2u);
  pages.MessagesBtnClick(*pages.Info.Page);
  EXPECT_EQ(host.PoppedUp, pages.PopupLastMessageItems);
  pages.PopupLastMessageItems->Items()[1]->Click();
  EXPECT_EQ(host.Minimizes, 1);
  EXPECT_EQ(host.Shown, (std::vector<std::string>{"3-0 persistent"}));
}

TEST_F(ContentPagesTest, SetupChangesReachTheRulesAndTheProfileFile) {
  TSetupPage setup(form, pageCtrl, context, host, pages, world.ini, folder);
  ShowPage(pageCtrl, "Config"); // controls of a hidden page take no clicks
  setup.FillStandardSounds();
  EXPECT_EQ(setup.ConfigMsgStandardSoundList->Items.Items(), (std::vector<std::string>{"Bit", "Sonar"}));
  setup.ShowSettings(*profile);
  EXPECT_TRUE(player.Log.empty()); // showing the settings plays nothing
  auto stored = [&](const std::string &key) {
    std::string value;
    world.ini.ReadString(world.IniPath, "Anna.Data", key, "", value);
    return value;
  };

  setup.ConfigLevelTrackBar->SetPosition(240);
  EXPECT_NEAR((*world.trace.Rules)[0].TraceMsgStats.TracePeriod * kSecondsPerDay, 15, 1e-6);
  EXPECT_EQ(host.SupportLabel, "(1x / 15 sec)");
  EXPECT_EQ(stored("ConfigLevel"), "240");

  setup.ConfigPausesShortSpinner->SetText("");
  setup.ConfigPausesShortSpinner->Type("999");
  setup.ConfigPausesShortSpinner->FocusLeft(); // kept within 30..300
  EXPECT_EQ(profile->ConfigShortPause, 300);
  // A box half typed or emptied stores nothing; left empty, it shows the
  // stored length again.
  setup.ConfigPausesShortSpinner->SetText("");
  setup.ConfigPausesShortSpinner->Type("\t4");
  EXPECT_EQ(profile->ConfigShortPause, 300);
  EXPECT_EQ(stored("ConfigShortPause"), "300");
  setup.ConfigPausesShortSpinner->SetText("");
  setup.ConfigPausesShortSpinner->FocusLeft();
  EXPECT_EQ(setup.ConfigPausesShortSpinner->Text(), "300");
  EXPECT_EQ(profile->ConfigShortPause, 300);
  EXPECT_NEAR((*world.trace.Rules)[3].TraceMsgStats.TracePeriod * kSecondsPerDay, 300, 1e-6);
  setup.ConfigPausesLongSpinner->SetText("45");
  EXPECT_NEAR((*world.trace.Rules)[4].TraceMsgStats.TracePeriod * kSecondsPerDay, 45 * 60, 1e-6);
  EXPECT_EQ(stored("ConfigLongPause"), "45");
  setup.ConfigPausesLongBlockCBox->Click();
  EXPECT_EQ(stored("ConfigLongPauseBlock"), "1");
  setup.ConfigShowInSysTrayCBox->Click();
  EXPECT_EQ(stored("ConfigShowInSysTray"), "0");
  EXPECT_EQ(setup.ConfigFullScreenSpinner->Text(), "30");
  setup.ConfigFullScreenSpinner->SetText("");
  setup.ConfigFullScreenSpinner->Type("500");
  setup.ConfigFullScreenSpinner->FocusLeft(); // kept within 0..120
  EXPECT_EQ(stored("ConfigFullScreenWait"), "120");

  // Sounds: choosing a standard sound plays and stores it; a cancelled open
  // dialog with "My sound" stores type 2 with the dialog's (empty) name.
  setup.ConfigMsgStandardSoundRBtn->Click();
  setup.ConfigMsgStandardSoundList->Select(1);
  EXPECT_EQ(player.FileName(), folder + "Av\\Sonar.wav");
  EXPECT_FALSE(pages.Media.LoopPlayback);
  EXPECT_EQ(stored("ConfigWarningsoundfile"), "Sonar");
  EXPECT_FALSE(setup.ConfigMsgOwnSoundOpenBtn->Enabled());
  setup.ConfigMsgOwnSoundRBtn->Click();
  EXPECT_FALSE(setup.ConfigMsgStandardSoundList->Enabled());
  pages.Media.StopMediaFile();
  setup.ConfigMsgOwnSoundOpenBtn->Click(); // no prepared answer: cancelled
  EXPECT_FALSE(pages.Media.Loaded());
  EXPECT_EQ(stored("ConfigWarningtype"), "2");
  EXPECT_EQ(profile->ConfigWarningsoundfile, "");
  setup.ConfigMsgNoSoundRBtn->Click();
  EXPECT_EQ(stored("ConfigWarningtype"), "0");
}

TEST_F(ContentPagesTest, EachBlockInputBoxHoldsItsOwnBreak) {
  TSetupPage setup(form, pageCtrl, context, host, pages, world.ini, folder);
  ShowPage(pageCtrl, "Config");
  profile->ConfigLongPauseBlock = true;
  setup.ShowSettings(*profile);
  EXPECT_FALSE(setup.ConfigPausesShortBlockCBox->Checked());
  EXPECT_TRUE(setup.ConfigPausesLongBlockCBox->Checked());
  setup.ConfigPausesShortBlockCBox->Click();
  EXPECT_TRUE(profile->ConfigShortPauseBlock);
  EXPECT_TRUE(profile->ConfigLongPauseBlock);
  setup.ConfigPausesLongBlockCBox->Click();
  EXPECT_FALSE(profile->ConfigLongPauseBlock);
  EXPECT_TRUE(profile->ConfigShortPauseBlock);
}

TEST_F(ContentPagesTest, LanguageSwitchRetranslatesEveryPage) {
  TSetupPage setup(form, pageCtrl, context, host, pages, world.ini, folder);
  world.ini.WriteString(world.IniPath, kLanguageSection, kLanguageKey, "77"); // unknown to the file
  setup.ApplyLanguage();
  EXPECT_EQ(context.Translator.LanguageNumber, 44);
  // Languages whose code holds "_" are not offered.
  EXPECT_EQ(setup.ConfigLanguageList->Items.Items(), (std::vector<std::string>{"English", "German"}));
  EXPECT_EQ(setup.ConfigLanguageList->ItemIndex(), 0);
  EXPECT_EQ(pages.BkInfo.Header->Caption(), "Orphan section"); // record 1 of the file shown

  ShowPage(pageCtrl, "Exercise");
  pages.ExerciseSubmenus[6]->Items()[0]->Click();
  EXPECT_NE(pages.Exer.Header->Caption(), "");
  ShowPage(pageCtrl, "Config");
  setup.ConfigLanguageList->Select(1);
  EXPECT_EQ(context.Translator.LanguageNumber, 49);
  std::string stored;
  world.ini.ReadString(world.IniPath, kLanguageSection, kLanguageKey, "", stored);
  EXPECT_EQ(stored, "49");
  EXPECT_EQ(ActivePage(pageCtrl), "Config");
  EXPECT_EQ(pages.BkInfo.Title.Label->Caption(), "Hintergrund");
  EXPECT_EQ(setup.Title.Label->Caption(), "Einstellungen");
  EXPECT_EQ(pages.ExerciseSubmenus[6]->Caption, "Unterarme und Haende");
  EXPECT_EQ(pages.BkInfoItems->Items()[0]->Caption, "Kapitel A");
  EXPECT_EQ(pages.BkInfo.Header->Caption(), "Verwaister Abschnitt");
  EXPECT_EQ(pages.Exer.Header->Caption(), ""); // the old language's page is cleared
  EXPECT_EQ(host.MainTextBuilds, 2);
  EXPECT_NE(host.Caption.find("Anna"), std::string::npos);
  // The title's shape follows the translated title's width.
  EXPECT_GT(pages.BkInfo.Title.Shape->Bounds().Width, pages.BkInfo.Title.Label->Bounds().Width);
}

TEST_F(ContentPagesTest, FocusedTextBoxScrollsByWheelAndKeysWithinItsText) {
  std::string longText;
  for (int i = 0; i < 60; ++i)
    longText += "A line of the background page\r\n";
  ShowPage(pageCtrl, "BkInfo");
  GParserControl &text = *pages.BkInfo.Parser;
  TScrollBox &box = *pages.BkInfo.TextCtrl;
  text.SetText(longText.c_str());
  EXPECT_EQ(box.VertRange(), text.Bounds().Height);
  const int bottom = box.VertRange() - 290; // the box is 290 high
  ASSERT_GT(bottom, 290);
  EXPECT_EQ(box.LineIncrement(), 26); // smooth: a tenth of nine tenths of the box

  // Without the focus the wheel and the keys leave the text where it is.
  EXPECT_FALSE(RouteMouseWheel(box, -kWheelNotch));
  EXPECT_FALSE(pages.ScrollFocusedText(TShortcut::scScrollDown));
  EXPECT_EQ(box.VertScrollPos(), 0);
  // A click on the text gives its box the focus; each notch then scrolls a line.
  ASSERT_TRUE(text.Click());
  EXPECT_TRUE(box.Focused());
  EXPECT_FALSE(RouteMouseWheel(box, -2 * kWheelNotch)); // the turn stays unhandled
  EXPECT_EQ(box.VertScrollPos(), 52);
  EXPECT_EQ(text.Bounds().Top, -52);
  RouteMouseWheel(box, 5 * kWheelNotch);
  EXPECT_EQ(box.VertScrollPos(), 0);

  // The keys: the bottom, never past it, a line up, the top.
  EXPECT_TRUE(pages.ScrollFocusedText(TShortcut::scScrollEnd));
  EXPECT_TRUE(pages.ScrollFocusedText(TShortcut::scScrollDown));
  EXPECT_EQ(box.VertScrollPos(), bottom);
  EXPECT_TRUE(pages.ScrollFocusedText(TShortcut::scScrollUp));
  EXPECT_EQ(box.VertScrollPos(), bottom - 26);
  EXPECT_TRUE(pages.ScrollFocusedText(TShortcut::scScrollHome));
  EXPECT_EQ(box.VertScrollPos(), 0);
  EXPECT_EQ(pages.Info.TextCtrl->VertScrollPos(), 0);

  // A new text starts at its top.
  pages.ScrollFocusedText(TShortcut::scScrollEnd);
  pages.BkInfoLstSelect(Ordinal("bgi_002"));
  EXPECT_EQ(box.VertScrollPos(), 0);
  EXPECT_EQ(text.Bounds().Top, 0);
}

TEST_F(ContentPagesTest, StatusHistoryChartsTheChosenDaysWithGapsAndReadsOutTheDayChosenByKey) {
  // Today is 2025-12-09; days without a record, prompts or a score are gaps.
  // A profile that keeps its history in the scratch folder.
  TUserData keeping(TProfilePlatform{world.registry, world.locale, world.ini, world.clock,
                                     world.session, world.random, &world.fs},
                    world.IniPath);
  keeping.Links = {&host, &world.info, &world.trace, nullptr};
  keeping.LoadSettings();
  context.Profile = &keeping;
  const std::string file = DayHistoryFile(world.IniPath, keeping.UserName);
  for (const TDayRecord &record :
       {DayOfWork(45980, 3600, 1, 1, 10), DayOfWork(45994, 7200, 4, 3, 40),
        DayOfWork(45996, 9 * 3600 + 300, 0, 0, -1), DayOfWork(46000, 3600, 2, 2, 35)})
    ASSERT_TRUE(WriteDayHistory(world.fs, file, record));
  auto damaged = world.fs.OpenAppend(file);
  ASSERT_TRUE(damaged && WriteFully(*damaged, "1,2025-12-04,x*00000000\r\n", 25));
  damaged.reset();
  ShowPage(pageCtrl, "Status");
  GChart &chart = *pages.HistoryChart;
  EXPECT_FALSE(chart.Visible());
  ASSERT_TRUE(pages.StatusViewCBox->Select(1)); // the last 7 days
  EXPECT_TRUE(chart.Visible());
  EXPECT_FALSE(pages.TestGauges[0]->Visible());
  EXPECT_FALSE(pages.StatusValues[0]->Visible());

  auto values = [&](int series) {
    std::vector<std::string> shown;
    for (double v : chart.Data().Series[series].Values)
      shown.push_back(std::isnan(v) ? "-" : std::to_string(static_cast<int>(std::lround(v * 60))));
    return shown;
  };
  ASSERT_EQ(chart.SlotCount(), 7);
  EXPECT_EQ(chart.Data().SlotLabels.front(), "12-03");
  EXPECT_EQ(chart.Data().SlotLabels.back(), "12-09");
  // Minutes worked (hours times 60), the share of breaks taken and the risk
  // index (times 60 too); the hours' axis reaches past the longest day.
  using TShown = std::vector<std::string>;
  EXPECT_EQ(values(0), (TShown{"120", "-", "545", "-", "-", "-", "60"}));
  EXPECT_EQ(values(1), (TShown{"4500", "-", "-", "-", "-", "-", "6000"}));
  EXPECT_EQ(values(2), (TShown{"2400", "-", "-", "-", "-", "-", "2100"}));
  EXPECT_EQ(chart.Data().Left.Maximum, 12);
  EXPECT_EQ(chart.Data().Series[2].Name, "Risk index (%)");

  // Today is chosen and read out; the arrow keys go to the chart only while
  // it has the focus.
  EXPECT_EQ(pages.HistoryDayLbl->Caption(),
            "Tue 2025-12-09: 1:00 h worked, 2 of 2 prompted breaks taken, risk index 35 %\n"
            "Damaged lines of your history file left out: 1");
  EXPECT_FALSE(pages.HistoryKeyDown(kKeyLeft));
  chart.SetFocus();
  EXPECT_TRUE(pages.HistoryKeyDown(kKeyLeft));
  auto dayShown = [&] {
    const std::string caption = pages.HistoryDayLbl->Caption();
    return caption.substr(0, caption.find('\n'));
  };
  EXPECT_EQ(dayShown(), "Mon 2025-12-08: no record");
  EXPECT_TRUE(pages.HistoryKeyDown(kKeyHome));
  EXPECT_EQ(dayShown(),
            "Wed 2025-12-03: 2:00 h worked, 3 of 4 prompted breaks taken, risk index 40 %");
  pages.HistoryKeyDown(kKeyRight);
  pages.HistoryKeyDown(kKeyRight);
  EXPECT_EQ(dayShown(), "Fri 2025-12-05: 9:05 h worked, no break prompted");

  // Thirty days reach the day twenty before today and start on today again.
  ASSERT_TRUE(pages.StatusViewCBox->Select(2));
  ASSERT_EQ(chart.SlotCount(), 30);
  EXPECT_EQ(values(2)[9], "600");
  EXPECT_EQ(chart.Selected(), 29);
  EXPECT_EQ(dayShown(), "Tue 2025-12-09: 1:00 h worked, 2 of 2 prompted breaks taken, risk index 35 %");
  // Back to today's figures.
  ASSERT_TRUE(pages.StatusViewCBox->Select(0));
  EXPECT_FALSE(chart.Visible());
  EXPECT_FALSE(pages.HistoryDayLbl->Visible());
  EXPECT_TRUE(pages.TestGauges[0]->Visible());
}
