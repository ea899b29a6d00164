#pragma once
// The user's regional date and time settings, as the date-time rendering of
// data fields needs them. Formats are Windows date/time pictures:
//   d dd ddd dddd   day, two-digit day, abbreviated and full day name
//   M MM MMM MMMM   month, two-digit month, abbreviated and full month name
//   y yy yyyy       year in century, two-digit year, full year
//   h hh H HH       hour 1..12 / 0..23, one or two digits
//   m mm s ss       minute, second
//   t tt            first letter of / whole AM or PM designator
//   '...'           literal text ('' is a quote); other characters stand as they are
// Besides, the list separator that spreadsheet programs split a line of
// values by (a comma, a semicolon where the comma is the decimal sign).
// The Win32 implementation reads the user's locale; the headless one holds a
// fixed set (platform/headless/HeadlessLocale.h).

#include <array>
#include <string>

struct TLocaleFormats {
  std::string ShortDate, LongDate, ShortTime, LongTime;
  std::string AmDesignator, PmDesignator;
  std::array<std::string, 12> ShortMonthNames, LongMonthNames; // January first
  std::array<std::string, 7> ShortDayNames, LongDayNames;       // Sunday first
  // A year written with two digits is the one of the hundred years ending here.
  int TwoDigitYearMax = 2049;
  std::string ListSeparator = ",";
};

class ILocale {
public:
  virtual ~ILocale() = default;
  // Read on every call, so a change of the user's settings shows at once.
  virtual TLocaleFormats DateTimeFormats() const = 0;
};
