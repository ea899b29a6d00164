#include "movaro/profile/ProfileSettings.h"

#include "base/AnsiText.h"

const std::array<const char *, kSettingCount> kSettingNames = {
    "ConfigLevel",      "ConfigLevelBase",       "ConfigWarningtype",
    "ConfigWarningsoundfile", "ConfigShowInSysTray", "ConfigShortPause",
    "ConfigShortPauseBlock",  "ConfigLongPause",     "ConfigLongPauseBlock",
    "ConfigFullScreenWait"};

namespace {

template <class Field> bool TakeNumber(const std::string &text, int32_t low, int32_t high, Field &field) {
  int32_t number;
  if (!TextToInt32(text, number) || number < low || number > high)
    return false;
  field = static_cast<Field>(number);
  return true;
}

// Any number counts: 0 is off, everything else on.
bool TakeSwitch(const std::string &text, bool &field) {
  int32_t number;
  if (!TextToInt32(text, number))
    return false;
  field = number != 0;
  return true;
}

} // namespace

std::string SettingText(const TProfileSettings &s, int index) {
  switch (index) {
  case 0: return std::to_string(s.ConfigLevel);
  case 1: return std::to_string(s.ConfigLevelBase);
  case 2: return std::to_string(s.ConfigWarningtype);
  case 3: return s.ConfigWarningsoundfile;
  case 4: return s.ConfigShowInSysTray ? "1" : "0";
  case 5: return std::to_string(s.ConfigShortPause);
  case 6: return s.ConfigShortPauseBlock ? "1" : "0";
  case 7: return std::to_string(s.ConfigLongPause);
  case 8: return s.ConfigLongPauseBlock ? "1" : "0";
  case 9: return std::to_string(s.ConfigFullScreenWait);
  default: return "";
  }
}

bool ApplySettingText(TProfileSettings &s, int index, const std::string &text) {
  switch (index) {
  case 0: return TakeNumber(text, 1, 240, s.ConfigLevel);
  case 2: return TakeNumber(text, 0, 2, s.ConfigWarningtype);
  case 3: s.ConfigWarningsoundfile = text; return true;
  case 4: return TakeSwitch(text, s.ConfigShowInSysTray);
  case 5: return TakeNumber(text, 30, 300, s.ConfigShortPause);
  case 6: return TakeSwitch(text, s.ConfigShortPauseBlock);
  case 7: return TakeNumber(text, 30, 180, s.ConfigLongPause);
  case 8: return TakeSwitch(text, s.ConfigLongPauseBlock);
  case 9: return TakeNumber(text, kFullScreenWaitMin, kFullScreenWaitMax, s.ConfigFullScreenWait);
  default: return false; // ConfigLevelBase stays at its default
  }
}

int32_t SupportPeriodSeconds(const TProfileSettings &s) {
  return (241 - static_cast<int32_t>(s.ConfigLevel)) * s.ConfigLevelBase;
}

std::string SupportLabelText(int32_t periodSeconds) {
  // The period taken as a time of day.
  int32_t seconds = ((periodSeconds % 86400) + 86400) % 86400;
  const int32_t parts[] = {seconds / 3600, seconds / 60 % 60, seconds % 60};
  const char *const units[] = {" hour", " min", " sec"};
  std::string label = "(1x /";
  for (int i = 0; i < 3; ++i)
    if (parts[i] != 0)
      label += " " + std::to_string(parts[i]) + units[i];
  return label + ")";
}
