// The user profile: defaults, rule periods, the profile file and registry,
// saving that survives a crash, message history and recent messages.
#include "movaro/profile/MessageEntry.h"
#include "unit/movaro/ProfileWorld.h"

#include <algorithm>

namespace {

double PeriodSeconds(const TTraceState &trace, int rule) {
  return (*trace.Rules)[rule].TraceMsgStats.TracePeriod * kSecondsPerDay;
}

// Profile files that stop working after a number of writes, as a program
// killed in the middle of a save.
class TDyingProfileFiles : public THeadlessProfileFiles {
public:
  TDyingProfileFiles(TFileSystem &fs, int writesLeft) : THeadlessProfileFiles(fs), left_(writesLeft) {}
  bool WriteString(const std::string &f, const std::string &s, const std::string &k,
                   const std::string &v) override {
    return left_-- > 0 && THeadlessProfileFiles::WriteString(f, s, k, v);
  }
  bool EraseSection(const std::string &f, const std::string &s) override {
    return left_-- > 0 && THeadlessProfileFiles::EraseSection(f, s);
  }
  bool DeleteKey(const std::string &f, const std::string &s, const std::string &k) override {
    return left_-- > 0 && THeadlessProfileFiles::DeleteKey(f, s, k);
  }

private:
  int left_;
};

TEST(UserProfile, NewUserDefaultsRulePeriodsAndSupportLabel) {
  TProfileWorld w;
  auto profile = w.NewProfile();
  profile->LoadProfile();
  EXPECT_EQ(static_cast<TProfileSettings>(*profile), TProfileSettings());
  EXPECT_EQ(w.view.Settings, TProfileSettings());
  EXPECT_EQ(w.view.Title, "Movaro 3.0 release 2 - Anna (logged out/local)");
  EXPECT_DOUBLE_EQ(PeriodSeconds(w.trace, 0), 900);
  EXPECT_EQ(w.view.SupportLabel, "(1x / 15 min)");
  EXPECT_DOUBLE_EQ(PeriodSeconds(w.trace, 3), 60);
  EXPECT_DOUBLE_EQ(PeriodSeconds(w.trace, 4), 3600);

  const struct {
    uint8_t Level;
    double Seconds;
    const char *Label;
  } levels[] = {{240, 15, "(1x / 15 sec)"}, {1, 3600, "(1x / 1 hour)"}, {231, 150, "(1x / 2 min 30 sec)"}};
  for (const auto &level : levels) {
    profile->ConfigLevel = level.Level;
    profile->ApplyRulePeriods();
    EXPECT_DOUBLE_EQ(PeriodSeconds(w.trace, 0), level.Seconds);
    EXPECT_EQ(w.view.SupportLabel, level.Label);
  }
  profile->ConfigLongPause = 90;
  profile->ApplyRulePeriods();
  EXPECT_DOUBLE_EQ(PeriodSeconds(w.trace, 4), 90 * 60);

  // A failed start of tracing leaves fewer than five rules: nothing is set.
  w.trace.Rules->resize(4);
  w.view.SupportLabel.clear();
  profile->ConfigShortPause = 30;
  profile->LoadProfile();
  EXPECT_EQ(w.view.SupportLabel, "");
  EXPECT_DOUBLE_EQ(PeriodSeconds(w.trace, 3), 60);
}

TEST(UserProfile, RegistrySettingsWithDefaultsForMissingAndJunkValues) {
  TProfileWorld w;
  w.session.Name = "";
  auto profile = w.NewProfile();
  EXPECT_EQ(profile->UserName, "Default User");
  EXPECT_EQ(profile->ServerPort, 1684);
  EXPECT_EQ(profile->ConnectionType, "auto connect");

  profile->ServerHost = "profiles.example";
  profile->ServerPort = 8080;
  profile->ConnectionType = "manual connect";
  profile->SaveSettings();
  EXPECT_EQ(w.NewProfile()->ServerPort, 8080);
  EXPECT_EQ(w.NewProfile()->ConnectionType, "manual connect");
  EXPECT_EQ(w.NewProfile()->ServerHost, "profiles.example");

  w.registry.WriteValue(kHKeyCurrentUser, kProgramRegistryKey, "ServerPort", TRegValue::String("abc"));
  w.registry.WriteValue(kHKeyCurrentUser, kProgramRegistryKey, "ConnectionType", TRegValue::String("?"));
  EXPECT_EQ(w.NewProfile()->ServerPort, 1684);
  EXPECT_EQ(w.NewProfile()->ConnectionType, "auto connect");
}

TEST(UserProfile, ServerSettingsAreTheUsersOverTheVirtualStoreAndTheMachinesAndNeverWrittenToTheMachine) {
  TProfileWorld w;
  const std::string store = "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\Veltrin\\Movaro";
  w.registry.WriteValue(kHKeyLocalMachine, kProgramRegistryKey, "ServerHost", TRegValue::String("company.example"));
  w.registry.WriteValue(kHKeyLocalMachine, kProgramRegistryKey, "ServerPort", TRegValue::DWord(7000));
  w.registry.WriteValue(kHKeyLocalMachine, kProgramRegistryKey, "ServerAddress", TRegValue::String("10.0.0.1"));
  // Where an earlier release's writes under the machine key went for a standard user.
  w.registry.WriteValue(kHKeyCurrentUser, store, "ServerPort", TRegValue::DWord(7100));
  w.registry.WriteValue(kHKeyCurrentUser, kProgramRegistryKey, "ServerAddress", TRegValue::String("10.0.0.2"));
  auto profile = w.NewProfile();
  EXPECT_EQ(profile->ServerHost, "company.example");
  EXPECT_EQ(profile->ServerPort, 7100);
  EXPECT_EQ(profile->ServerAddress, "10.0.0.2");

  EXPECT_EQ(ReadProgramString(w.registry, "ServerAddress"), "10.0.0.2");
  EXPECT_EQ(ReadProgramString(w.registry, "ServerHost"), "company.example");

  profile->ServerPort = 7200;
  profile->ServerAddress = "10.0.0.3";
  profile->SaveSettings();
  std::vector<std::string> names;
  ASSERT_TRUE(w.registry.ValueNames(kHKeyCurrentUser, kProgramRegistryKey, names));
  std::sort(names.begin(), names.end());
  // An unchanged value stays the machine's, so a later program-wide change reaches the user.
  EXPECT_EQ(names, (std::vector<std::string>{"ServerAddress", "ServerPort"}));
  ASSERT_TRUE(w.registry.ValueNames(kHKeyLocalMachine, kProgramRegistryKey, names));
  EXPECT_EQ(names.size(), 3u);
  TRegValue port;
  ASSERT_EQ(w.registry.ReadValue(kHKeyLocalMachine, kProgramRegistryKey, "ServerPort", port), TRegStatus::Ok);
  EXPECT_EQ(port.Data, TRegValue::DWord(7000).Data);
  EXPECT_EQ(w.NewProfile()->ServerPort, 7200);
  EXPECT_EQ(w.NewProfile()->ServerAddress, "10.0.0.3");
  w.registry.WriteValue(kHKeyLocalMachine, kProgramRegistryKey, "ServerHost", TRegValue::String("new.example"));
  EXPECT_EQ(w.NewProfile()->ServerHost, "new.example");
}

TEST(UserProfile, SavedProfileReadsBackEverySettingAndEntry) {
  TProfileWorld w;
  w.WriteInfoFile({{1, "msg_1_44|Dlg #qkkt0041230001", "q"}, {2, "msg_2_44|Dlg #wmgw0000070006", "w"}});
  auto profile = w.NewProfile();
  profile->BuildMessageHistory(w.info);
  profile->LoadProfile();
  TProfileSettings changed{240, 15, 2, "C:\\sounds\\my.wav", false, 300, true, 30, true, 0};
  static_cast<TProfileSettings &>(*profile) = changed;
  ASSERT_TRUE(profile->UpdateEntry("qkkt004", 3, 46000.75));
  profile->SaveProfile();

  auto again = w.NewProfile();
  again->BuildMessageHistory(w.info);
  again->LoadProfile();
  EXPECT_EQ(static_cast<TProfileSettings>(*again), changed);
  EXPECT_EQ(again->FindEntry("qkkt"), "qkkt0041230001" "3>46000");
  EXPECT_EQ(again->FindEntry("wmgw"), "wmgw0000070006-1>0");
  std::string stored;
  w.ini.ReadString(w.IniPath, "Anna.Data", "t1230001", "", stored);
  EXPECT_EQ(stored, "3>46000");
  w.ini.ReadString(w.IniPath, "Anna.Data", "ConfigLevelBase", "", stored);
  EXPECT_EQ(stored, "15");
}

TEST(UserProfile, AnEntryShownButNeverAnsweredKeepsItsDay) {
  TProfileWorld w;
  w.WriteInfoFile({{1, "a_44|Dlg #ikki0000010005", ""}});
  auto profile = w.NewProfile();
  profile->BuildMessageHistory(w.info);
  profile->LoadProfile();
  ASSERT_TRUE(profile->UpdateEntry("ikki", -1, 46001.5)); // the prompt timed out
  profile->SaveProfile();
  auto again = w.NewProfile();
  again->BuildMessageHistory(w.info);
  again->LoadProfile();
  EXPECT_EQ(again->FindEntry("ikki"), "ikki0000010005-1>46001");
}

TEST(UserProfile, AnAnswerScoresItsHeadsDigitsAndNeedsADialogHead) {
  TProfileWorld w;
  w.WriteInfoFile({{1, "a_44|Dlg #qkkt0940010001", ""}});
  auto profile = w.NewProfile();
  profile->BuildMessageHistory(w.info);
  profile->LoadProfile();
  EXPECT_FALSE(profile->RecordAnswer("a_44|qkkt0940010001", true, false)); // no dialog head
  EXPECT_EQ(EntryCount(profile->FindEntry("qkkt")), -1);
  ASSERT_TRUE(profile->RecordAnswer("a_44|Dlg #qkkt0940010001", false, false));
  EXPECT_EQ(EntryCount(profile->FindEntry("qkkt")), 9); // "no" scores the sixth digit
  ASSERT_TRUE(profile->RecordAnswer("a_44|Dlg #qkkt0940010001", true, false));
  EXPECT_EQ(EntryCount(profile->FindEntry("qkkt")), 4); // "yes" the seventh
  ASSERT_TRUE(profile->RecordAnswer("a_44|Dlg #qkkt0940010001", false, true));
  EXPECT_EQ(EntryCount(profile->FindEntry("qkkt")), 4); // a cancel keeps the score
}

TEST(UserProfile, HandEditedJunkLoadsAsDefaultsForThoseKeysOnly) {
  TProfileWorld w;
  w.WriteInfoFile({{1, "a_44|Dlg #qkkt0041230001", ""}, {2, "b_44|Dlg #ikki0000010005", ""},
                   {3, "c_44|Dlg #okki0000020005", ""}});
  TScratchFolder::WriteFile(w.IniPath, "[Anna.Data]\r\nConfigLevel=abc\r\nConfigWarningtype=7\r\n"
                                       "ConfigShortPause=5\r\nConfigLongPause=120\r\n"
                                       "ConfigShowInSysTray=yes\r\nConfigLongPauseBlock=1\r\n"
                                       "ConfigLevelBase=99\r\nt1230001=junk\r\ni0010005=1>abc\r\n"
                                       "i0020005=1>45999\r\nConfigFullScreenWait=121\r\n");
  auto profile = w.NewProfile();
  profile->BuildMessageHistory(w.info);
  profile->LoadProfile();
  TProfileSettings expected;
  expected.ConfigLongPause = 120;
  expected.ConfigLongPauseBlock = true;
  EXPECT_EQ(static_cast<TProfileSettings>(*profile), expected);
  EXPECT_EQ(profile->FindEntry("qkkt"), "qkkt0041230001-1>0");
  EXPECT_EQ(profile->FindEntry("ikki"), "ikki0000010005-1>0");
  EXPECT_EQ(profile->FindEntry("okki"), "okki0000020005" "1>45999");
}

// A save killed after any number of writes leaves every key with its old or
// its new value: nothing falls back to a default or to "never shown".
TEST(UserProfile, SaveKilledMidwayLeavesEachKeyOldOrNew) {
  TProfileWorld w;
  w.WriteInfoFile({{1, "a_44|Dlg #qkkt0041230001", ""}, {2, "b_44|Dlg #ikki0000010005", ""}});
  TProfileSettings before{100, 15, 0, "", false, 40, true, 40, true, 10};
  TProfileSettings after{200, 15, 2, "x.wav", true, 50, false, 50, false, 120};
  for (int writes = 0; writes <= 12; ++writes) {
    std::remove(w.IniPath.c_str());
    auto first = w.NewProfile();
    first->BuildMessageHistory(w.info);
    first->LoadProfile();
    static_cast<TProfileSettings &>(*first) = before;
    first->UpdateEntry("qkkt", 1, 45000);
    first->UpdateEntry("ikki", 0, 45000);
    first->SaveProfile();

    TDyingProfileFiles dying(w.fs, writes);
    auto second = w.NewProfile(&dying);
    second->BuildMessageHistory(w.info);
    second->LoadProfile();
    static_cast<TProfileSettings &>(*second) = after;
    second->SaveProfile();
    // The answers, recorded while the file could still be written or not.
    second->UpdateEntry("qkkt", 4, 46000);
    second->UpdateEntry("ikki", 1, 46000);

    auto reread = w.NewProfile();
    reread->BuildMessageHistory(w.info);
    reread->LoadProfile();
    for (int i = 0; i < kSettingCount; ++i) {
      std::string now = SettingText(*reread, i);
      EXPECT_TRUE(now == SettingText(before, i) || now == SettingText(after, i))
          << kSettingNames[i] << " after " << writes << " writes: " << now;
    }
    for (const char *prefix : {"qkkt", "ikki"})
      EXPECT_NE(EntryValue(reread->FindEntry(prefix)), 0) << prefix << " after " << writes << " writes";
  }
}

TEST(UserProfile, ChangesAndAnswersAreWrittenAtOnceToTheLoadedSectionOnly) {
  TProfileWorld w;
  w.WriteInfoFile({{1, "a_44|Dlg #qkkt0041230001", ""}});
  TScratchFolder::WriteFile(w.IniPath, "[Anna.Data]\r\nConfigLevel=50\r\nt1230001=2>45000\r\n");
  auto profile = w.NewProfile();
  profile->BuildMessageHistory(w.info);
  // Not loaded yet (monitoring never started): nothing may overwrite the file.
  profile->UpdateEntry("qkkt", 0, 46000);
  profile->StoreSettings();
  profile->SaveProfile();
  std::string stored;
  w.ini.ReadString(w.IniPath, "Anna.Data", "t1230001", "", stored);
  EXPECT_EQ(stored, "2>45000");
  w.ini.ReadString(w.IniPath, "Anna.Data", "ConfigLevel", "", stored);
  EXPECT_EQ(stored, "50");

  profile->LoadProfile();
  EXPECT_EQ(profile->ConfigLevel, 50);
  profile->ConfigShortPause = 45;
  profile->StoreSettings();
  profile->UpdateEntry("qkkt", 4, 46001);
  w.ini.ReadString(w.IniPath, "Anna.Data", "ConfigShortPause", "", stored);
  EXPECT_EQ(stored, "45");
  w.ini.ReadString(w.IniPath, "Anna.Data", "t1230001", "", stored);
  EXPECT_EQ(stored, "4>46001");

  // The Windows user changed before the new user's profile was loaded: Anna's
  // data still goes to Anna's section.
  profile->UserName = "Bert";
  profile->ConfigLongPause = 33;
  profile->StoreSettings();
  std::vector<std::string> sections;
  w.ini.SectionNames(w.IniPath, sections);
  EXPECT_EQ(sections, std::vector<std::string>{"Anna.Data"});
}

TEST(UserProfile, HistoryFromQuestionRecordsShuffledAndFoundAgain) {
  TProfileWorld w;
  std::vector<TRecordSource> records = {
      {1, "bgi_1_44||Chapter", ""},
      {2, "exp_1_44|Dlg #nggt0000010000|Stress", ""},
      {3, "msg_1_44|Dlg #qkkt0041230001||bgi_1", ""},
      {4, "msg_2_44|Title|Dlg #wmgw0000070006", ""},
      {5, "msg_3_44|x Dlg #ikki0000010005", ""},
      {6, "msg_4_44|Dlg #okki0000020005", ""},
      {7, "msg_5_44|Dlg #qkkt004", ""}};
  w.WriteInfoFile(records);
  auto profile = w.NewProfile();
  profile->BuildMessageHistory(w.info);
  std::vector<std::string> sorted = profile->MessageHistory;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<std::string>{"okki0000020005", "qkkt0041230001", "wmgw0000070006"}));
  EXPECT_NE(profile->MessageHistory, (std::vector<std::string>{"qkkt0041230001", "wmgw0000070006", "okki0000020005"}));

  profile->LoadProfile();
  EXPECT_EQ(profile->QuestionRecordIndex(profile->FindEntry("wmgw")), 4);
  EXPECT_EQ(profile->QuestionRecordIndex("qkkt0041230001-1>0"), 3);
  EXPECT_EQ(profile->QuestionRecordIndex(""), 0);
  EXPECT_EQ(profile->QuestionRecordIndex("qkkt004"), 0);
  EXPECT_EQ(profile->FindEntry(""), "");
}

TEST(UserProfile, RecentMessagesKeepTenWithTheirCaptions) {
  TProfileWorld w;
  w.WriteInfoFile({{1, "msg_1_44|Dlg #qkkt0041230001", ""}, {2, "bgi_1_44||Chapter", ""},
                   {3, "msg_2_44|Dlg #igge0000010005", ""}});
  w.view.Translations[19] = "Kurze Pause";
  auto profile = w.NewProfile();
  const std::pair<const char *, const char *> captions[] = {
      {"0-1>09:10", "M14 (09:10)"},  {"0-3>09:11", "M13 (09:11)"},  {"0-2>09:12", "M16"},
      {"0-4>09:13", ""},             {"3-0>14:25", "Kurze Pause (14:25)"},
      {"4-0>14:26", "Long Break Warning (14:26)"},                  {"2-0>14:27", "Non Input (14:27)"},
      {"9-0>14:28", "M16"},          {"3-5>14:29", ""},             {"x-y>z", ""}};
  for (const auto &[entry, caption] : captions)
    EXPECT_EQ(profile->RecentMessageCaption(entry), caption) << entry;

  for (int i = 0; i < 11; ++i)
    profile->AddRecentMessage(MakeRecentEntry(3, 0, 46000 + (9 * 60 + i) / 1440.0));
  ASSERT_EQ(profile->RecentMessages.size(), 10u);
  EXPECT_EQ(profile->RecentMessages.front(), "3-0>09:10");
  EXPECT_EQ(profile->RecentMessages.back(), "3-0>09:01");
  ASSERT_EQ(w.view.Recent.size(), 10u);
  EXPECT_EQ(w.view.Recent[9].Name, "MainToolBarPopupLastMessageItem9");
  EXPECT_EQ(w.view.Recent[9].Caption, "Kurze Pause (09:01)");
}

TEST(MessageEntry, HeadKeyCountAndValue) {
  const std::string entry = "qkkx0451230001-1>0";
  EXPECT_EQ(EntryKey(entry), "x1230001");
  EXPECT_EQ(EntryCount(entry), -1);
  EXPECT_EQ(EntryValue(entry), 0);
  EXPECT_EQ(EntryCount("qkkx0451230001abc>12"), -1);
  EXPECT_EQ(EntryValue("qkkx0451230001abc>12"), 12);
  EXPECT_EQ(EntryValue("qkkx04512300013>x"), -1);
  EXPECT_EQ(EntryCount("qkkx04512300013"), -1);
  // A ">" inside the head does not end the count.
  EXPECT_EQ(EntryCount("q>kx04512300015>7"), 5);
  EXPECT_EQ(EntryKey("qkkx045"), "");
  EXPECT_EQ(ExplanationHead(1), "nggt0000010000");
  EXPECT_EQ(MakeEntry("qkkx0451230001-1>0", 4, 46000.9), "qkkx0451230001" "4>46000");
}

} // namespace
