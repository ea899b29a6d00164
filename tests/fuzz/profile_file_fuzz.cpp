// Loads arbitrary bytes as the profile file: every setting and history entry
// must come out as a value the program can hold, the gauges within 0..100,
// and what the profile then saves must load back unchanged.
#include "base/Random.h"
#include "movaro/profile/MessageEntry.h"
#include "movaro/profile/UserData.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessLocale.h"
#include "platform/headless/HeadlessProfileFiles.h"
#include "platform/headless/HeadlessRegistry.h"
#include "platform/headless/HeadlessUserSession.h"
#include "platform/headless/VirtualClock.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

void Check(bool condition) {
  if (!condition)
    __builtin_trap();
}

struct TCheckingView : IProfileView {
  std::string MainText(int index) override { return "T" + std::to_string(index); }
  std::string TranslateMainText(int, const std::string &defaultText) override { return defaultText; }
  void ShowTitle(const std::string &) override {}
  void ShowSettings(const TProfileSettings &) override {}
  void ShowSupportLabel(const std::string &) override {}
  void ShowRecentMessages(const std::vector<TRecentMessageItem> &) override {}
  void ShowGauge(int gauge, int percent) override {
    Check(gauge >= 0 && gauge < kTestGaugeCount && percent >= 0 && percent <= 100);
  }
};

const std::vector<std::string> kHeads = {"qggt0040010001", "qggt0400010002", "ikki0000010005",
                                         "wmgw0000070006", "qkkt0930100003"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const std::string path =
      (std::filesystem::temp_directory_path() /
       ("profile-fuzz-" + std::to_string(getpid()) + ".ini"))
          .string();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
  }
  THeadlessFileSystem fs;
  THeadlessProfileFiles ini(fs);
  THeadlessRegistry registry;
  THeadlessLocale locale;
  TVirtualClock clock(46000.5, 1000);
  THeadlessUserSession session("U");
  TSeededRandom random(1);
  TCheckingView view;
  TTraceState trace;
  trace.Rules = std::make_unique<TRuleList>();
  BuildRules(*trace.Rules, TRuleSetup(), fs, clock.Now(), 0);

  auto load = [&] {
    auto profile = std::make_unique<TUserData>(
        TProfilePlatform{registry, locale, ini, clock, session, random}, path);
    profile->Links = {&view, nullptr, &trace, nullptr};
    profile->LoadSettings();
    profile->MessageHistory = kHeads;
    profile->LoadProfile();
    return profile;
  };
  auto first = load();
  Check(first->ConfigLevel >= 1 && first->ConfigLevel <= 240 && first->ConfigLevelBase == 15);
  Check(first->ConfigWarningtype <= 2);
  Check(first->ConfigShortPause >= 30 && first->ConfigShortPause <= 300);
  Check(first->ConfigLongPause >= 30 && first->ConfigLongPause <= 180);
  Check(first->MessageHistory.size() == kHeads.size());
  for (size_t i = 0; i < kHeads.size(); ++i) {
    const std::string &entry = first->MessageHistory[i];
    Check(EntryHead(entry) == kHeads[i]);
    Check(EntryCount(entry) >= -1 && EntryCount(entry) <= 9 && EntryValue(entry) >= 0);
  }
  ChooseStatusQuestion(first->MessageHistory, "gg", "kk", 46000, "001");
  first->AddRecentMessage(std::string(reinterpret_cast<const char *>(data), std::min<size_t>(size, 24)));

  first->SaveProfile();
  auto second = load();
  Check(second->MessageHistory == first->MessageHistory);
  for (int i = 0; i < kSettingCount; ++i)
    if (i != 3) // the sound file's text may lose enclosing quotes, as the system's reads do
      Check(SettingText(*second, i) == SettingText(*first, i));
  return 0;
}
