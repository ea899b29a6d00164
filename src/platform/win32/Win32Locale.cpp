#include "platform/win32/Win32Locale.h"

#include <windows.h>

namespace {

// LOCALE_SSHORTTIME exists from Windows 7 on; older systems have no short
// time picture and answer 0.
constexpr LCTYPE kLocaleShortTime = 0x00000079;

std::string Info(LCTYPE type) {
  char buffer[256];
  int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
  if (n <= 0)
    return {};
  return std::string(buffer, static_cast<size_t>(n - 1));
}

// The long time picture without its seconds (and the separator before them),
// the way systems without a short time setting shorten it.
std::string WithoutSeconds(const std::string &picture) {
  std::string out;
  bool quoted = false;
  for (size_t i = 0; i < picture.size(); ++i) {
    char c = picture[i];
    if (c == '\'')
      quoted = !quoted;
    if (!quoted && c == 's') {
      // Drop the separator written since the minutes.
      while (!out.empty() && out.back() != 'm' && out.back() != 'H' && out.back() != 'h')
        out.pop_back();
      while (i + 1 < picture.size() && picture[i + 1] == 's')
        ++i;
      continue;
    }
    out += c;
  }
  return out;
}

} // namespace

TLocaleFormats TWin32Locale::DateTimeFormats() const {
  TLocaleFormats f;
  f.ShortDate = Info(LOCALE_SSHORTDATE);
  f.LongDate = Info(LOCALE_SLONGDATE);
  f.LongTime = Info(LOCALE_STIMEFORMAT);
  f.ShortTime = Info(kLocaleShortTime);
  if (f.ShortTime.empty())
    f.ShortTime = WithoutSeconds(f.LongTime);
  f.AmDesignator = Info(LOCALE_S1159);
  f.PmDesignator = Info(LOCALE_S2359);
  for (int m = 0; m < 12; ++m) {
    f.LongMonthNames[m] = Info(LOCALE_SMONTHNAME1 + m);
    f.ShortMonthNames[m] = Info(LOCALE_SABBREVMONTHNAME1 + m);
  }
  // The locale's day names start with Monday (LOCALE_SDAYNAME1); ours with Sunday.
  for (int d = 0; d < 7; ++d) {
    int windowsDay = (d + 6) % 7;
    f.LongDayNames[d] = Info(LOCALE_SDAYNAME1 + windowsDay);
    f.ShortDayNames[d] = Info(LOCALE_SABBREVDAYNAME1 + windowsDay);
  }
  DWORD yearMax = 0;
  if (GetCalendarInfoA(LOCALE_USER_DEFAULT, CAL_GREGORIAN,
                       CAL_ITWODIGITYEARMAX | CAL_RETURN_NUMBER, nullptr, 0, &yearMax) > 0 &&
      yearMax >= 99 && yearMax <= 9999)
    f.TwoDigitYearMax = static_cast<int>(yearMax);
  if (std::string list = Info(LOCALE_SLIST); !list.empty())
    f.ListSeparator = list;
  return f;
}
