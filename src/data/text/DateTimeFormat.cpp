#include "data/text/DateTimeFormat.h"

#include <cstdio>

namespace {

std::string Digits(int value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  return buffer;
}

} // namespace

std::string FormatDateTimePicture(const std::string &picture, const TDateTimeParts &parts,
                                  const TLocaleFormats &formats) {
  std::string out;
  const size_t n = picture.size();
  size_t i = 0;
  while (i < n) {
    const char c = picture[i];
    if (c == '\'') {
      // Literal text up to the closing quote; '' inside stands for one quote.
      ++i;
      while (i < n) {
        if (picture[i] == '\'') {
          if (i + 1 < n && picture[i + 1] == '\'') {
            out += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        out += picture[i++];
      }
      continue;
    }
    size_t run = 1;
    while (i + run < n && picture[i + run] == c)
      ++run;
    const int hour12 = parts.Hour % 12 == 0 ? 12 : parts.Hour % 12;
    const std::string &designator = parts.Hour < 12 ? formats.AmDesignator : formats.PmDesignator;
    switch (c) {
    case 'd':
      if (run == 1)
        out += std::to_string(parts.Day);
      else if (run == 2)
        out += Digits(parts.Day, 2);
      else if (run == 3)
        out += formats.ShortDayNames[(parts.DayOfWeek + 6) % 7];
      else
        out += formats.LongDayNames[(parts.DayOfWeek + 6) % 7];
      break;
    case 'M':
      if (run == 1)
        out += std::to_string(parts.Month);
      else if (run == 2)
        out += Digits(parts.Month, 2);
      else if (run == 3)
        out += formats.ShortMonthNames[parts.Month - 1];
      else
        out += formats.LongMonthNames[parts.Month - 1];
      break;
    case 'y':
      if (run == 1)
        out += std::to_string(parts.Year % 100);
      else if (run == 2)
        out += Digits(parts.Year % 100, 2);
      else
        out += Digits(parts.Year, 4);
      break;
    case 'h':
      out += run == 1 ? std::to_string(hour12) : Digits(hour12, 2);
      break;
    case 'H':
      out += run == 1 ? std::to_string(parts.Hour) : Digits(parts.Hour, 2);
      break;
    case 'm':
      out += run == 1 ? std::to_string(parts.Minute) : Digits(parts.Minute, 2);
      break;
    case 's':
      out += run == 1 ? std::to_string(parts.Second) : Digits(parts.Second, 2);
      break;
    case 't':
      if (run == 1)
        out += designator.substr(0, 1);
      else
        out += designator;
      break;
    default:
      out.append(run, c);
      break;
    }
    i += run;
  }
  return out;
}
