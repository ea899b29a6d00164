#pragma once
// The user's settings: support level, prompt sound, tray icon, break periods,
// input blocking and how long prompts wait for a full-screen program. The key
// names are those of the profile file and, but for the full-screen wait,
// which stays on this computer, of the user data the server keeps.

#include "protocol/UserData.h"

#include <array>
#include <cstdint>
#include <string>

// The same values the server keeps (protocol/UserData.h), with the same
// ranges: support 1 (less) .. 240 (much); ConfigLevelBase seconds per support
// step, written, never read; prompt sound 0 none, 1 standard, 2 the user's own
// file (ConfigWarningsoundfile: the standard sound's name or the file's path);
// short break in seconds 30..300; long break in minutes 30..180.
struct TProfileSettings : TUserDataSettings {
  // Minutes a due prompt waits while another program runs full screen.
  int32_t ConfigFullScreenWait = 30;
  friend bool operator==(const TProfileSettings &, const TProfileSettings &) = default;
};

inline constexpr int32_t kFullScreenWaitMin = 0, kFullScreenWaitMax = 120;

constexpr int kSettingCount = 10;
// The settings from this one on are this computer's own: the server does not
// keep them, so the file holds them also while the user is logged in.
constexpr int kFirstLocalSetting = 9;
// The key names, in the order they are written.
extern const std::array<const char *, kSettingCount> kSettingNames;

// The setting as stored: numbers in decimal, booleans "1" or "0".
std::string SettingText(const TProfileSettings &settings, int index);
// Takes a stored text for the setting. False, and the setting unchanged, for
// a text that is not a value the setting can hold (junk, out of range), and
// always for ConfigLevelBase, which is never read back.
bool ApplySettingText(TProfileSettings &settings, int index, const std::string &text);

// The period of the support level in seconds: (241 - level) x base.
int32_t SupportPeriodSeconds(const TProfileSettings &settings);
// The support label: "(1x /" and, for each of the hours, minutes and seconds
// of the period that is not 0, a blank, the number and " hour", " min" or
// " sec", then ")": (1x / 15 min), (1x / 2 min 30 sec).
std::string SupportLabelText(int32_t periodSeconds);
