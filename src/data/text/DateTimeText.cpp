#include "data/text/DateTimeText.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

// Reads 1..maxDigits digits from the front of text.
bool ReadNumber(std::string_view &text, int maxDigits, int &value) {
  int digits = 0;
  value = 0;
  while (!text.empty() && IsDigit(text.front()) && digits < maxDigits) {
    value = value * 10 + (text.front() - '0');
    text.remove_prefix(1);
    ++digits;
  }
  return digits > 0 && (text.empty() || !IsDigit(text.front()));
}

bool ReadSeparator(std::string_view &text, char separator) {
  if (text.empty() || text.front() != separator)
    return false;
  text.remove_prefix(1);
  return true;
}

bool ParseTime(std::string_view text, int &hour, int &minute, int &second, int &millisecond) {
  second = millisecond = 0;
  if (!ReadNumber(text, 2, hour) || !ReadSeparator(text, ':') || !ReadNumber(text, 2, minute))
    return false;
  if (ReadSeparator(text, ':')) {
    if (!ReadNumber(text, 2, second))
      return false;
    if (ReadSeparator(text, '.')) {
      std::string_view digits = text;
      if (!ReadNumber(text, 3, millisecond))
        return false;
      for (size_t n = digits.size() - text.size(); n < 3; ++n)
        millisecond *= 10; // ".5" is half a second
    }
  }
  return text.empty();
}

bool ParseDate(std::string_view text, int &year, int &month, int &day) {
  int first, second, third;
  if (!ReadNumber(text, 4, first) || text.empty())
    return false;
  char separator = text.front();
  if (separator != '-' && separator != '.' && separator != '/')
    return false;
  text.remove_prefix(1);
  if (!ReadNumber(text, 2, second) || !ReadSeparator(text, separator) ||
      !ReadNumber(text, 4, third) || !text.empty())
    return false;
  switch (separator) {
  case '-': year = first, month = second, day = third; break;  // ISO
  case '.': day = first, month = second, year = third; break;  // day first
  default: month = first, day = second, year = third; break;   // month first
  }
  return true;
}

} // namespace

bool TextToDateTime(std::string_view text, TDateTime &result) {
  text = Trim(text);
  if (text.empty())
    return false;
  size_t blank = 0;
  while (blank < text.size() && !IsBlank(text[blank]))
    ++blank;
  std::string_view first = text.substr(0, blank);
  std::string_view rest = Trim(text.substr(blank));
  TDateTimeParts parts;
  if (rest.empty()) {
    if (first.find(':') != std::string_view::npos) {
      TDateTime time;
      if (!ParseTime(first, parts.Hour, parts.Minute, parts.Second, parts.Millisecond) ||
          !EncodeTime(parts.Hour, parts.Minute, parts.Second, parts.Millisecond, time))
        return false;
      result = time;
      return true;
    }
    TDateTime date;
    if (!ParseDate(first, parts.Year, parts.Month, parts.Day) ||
        !EncodeDate(parts.Year, parts.Month, parts.Day, date))
      return false;
    result = date;
    return true;
  }
  TDateTime value;
  if (!ParseDate(first, parts.Year, parts.Month, parts.Day) ||
      !ParseTime(rest, parts.Hour, parts.Minute, parts.Second, parts.Millisecond) ||
      !EncodeDateTime(parts, value))
    return false;
  result = value;
  return true;
}
