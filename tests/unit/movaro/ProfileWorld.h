#pragma once
// A headless world for the user profile: profile file in a scratch folder,
// in-memory registry, virtual clock, a fixed user, a seeded random source,
// the built-in rules, an information file of a few records and a view that
// records what the profile shows.

#include "authoring/IDbRecWriter.h"
#include "base/Random.h"
#include "movaro/profile/DayHistory.h"
#include "movaro/profile/UserData.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessLocale.h"
#include "platform/headless/HeadlessProfileFiles.h"
#include "platform/headless/HeadlessRegistry.h"
#include "platform/headless/HeadlessUserSession.h"
#include "platform/headless/VirtualClock.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

// A day record of time worked (seconds), short break prompts, those rested
// through and the risk index (-1: none).
inline TDayRecord DayOfWork(int32_t date, int32_t worked, int32_t prompts, int32_t rested,
                            int32_t risk) {
  TDayRecord record;
  record.Date = date;
  record.Measured = record.Worked = worked;
  record.ShortPrompts = prompts;
  record.RestedThrough = rested;
  record.RiskIndex = risk;
  return record;
}

class TRecordingProfileView : public IProfileView {
public:
  std::string MainText(int index) override { return index == 0 ? "Movaro" : "M" + std::to_string(index); }
  std::string TranslateMainText(int number, const std::string &defaultText) override {
    auto found = Translations.find(number);
    return found == Translations.end() ? defaultText : found->second;
  }
  void ShowTitle(const std::string &title) override { Title = title; }
  void ShowSettings(const TProfileSettings &settings) override { Settings = settings; }
  void ShowSupportLabel(const std::string &text) override { SupportLabel = text; }
  void ShowRecentMessages(const std::vector<TRecentMessageItem> &items) override { Recent = items; }
  void ShowGauge(int gauge, int percent) override { Gauges[gauge] = percent; }

  std::map<int, std::string> Translations;
  std::string Title, SupportLabel;
  TProfileSettings Settings;
  std::vector<TRecentMessageItem> Recent;
  std::map<int, int> Gauges;
};

struct TProfileWorld {
  TProfileWorld() {
    trace.Rules = std::make_unique<TRuleList>();
    BuildRules(*trace.Rules, TRuleSetup(), fs, clock.Now(), 0);
    WriteInfoFile({});
  }

  // The information file: these records (names with "_44", English), and a
  // Dutch copy of the first.
  void WriteInfoFile(std::vector<TRecordSource> records) {
    if (!records.empty()) {
      std::string dutch = records.front().Name;
      dutch.replace(dutch.find("_44"), 3, "_31");
      records.push_back({99, dutch, "nl"});
    }
    std::string path = scratch.Path("MVRInfo.dat"), error;
    ASSERT_TRUE(WriteRecordFile(fs, records, path, error)) << error;
    info.LoadRecords(path);
    info.SelectRecords("_44");
  }

  // history: where the day records go (none kept without).
  std::unique_ptr<TUserData> NewProfile(IProfileFiles *files = nullptr, TFileSystem *history = nullptr) {
    auto profile = std::make_unique<TUserData>(
        TProfilePlatform{registry, locale, files ? *files : ini, clock, session, random, history},
        IniPath);
    profile->Links = {&view, &info, &trace, nullptr};
    profile->LoadSettings();
    return profile;
  }

  TScratchFolder scratch;
  std::string IniPath = scratch.Path("movaro.ini");
  THeadlessFileSystem fs;
  THeadlessProfileFiles ini{fs};
  THeadlessRegistry registry;
  THeadlessLocale locale;
  TVirtualClock clock{46000.5, 5000};
  THeadlessUserSession session{"Anna"};
  TSeededRandom random{7};
  TRecordingProfileView view;
  TTraceState trace;
  TIDbRecFile info{fs};
};
