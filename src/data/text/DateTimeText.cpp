#include "data/text/DateTimeText.h"

#include <cctype>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

void SkipBlanks(std::string_view &text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
}

// Reads 1..maxDigits digits from the front of text; digits is how many.
bool ReadNumber(std::string_view &text, int maxDigits, int &value, int &digits) {
  digits = 0;
  value = 0;
  while (!text.empty() && IsDigit(text.front()) && digits < maxDigits) {
    value = value * 10 + (text.front() - '0');
    text.remove_prefix(1);
    ++digits;
  }
  return digits > 0 && (text.empty() || !IsDigit(text.front()));
}

bool ReadNumber(std::string_view &text, int maxDigits, int &value) {
  int digits;
  return ReadNumber(text, maxDigits, value, digits);
}

bool ReadChar(std::string_view &text, char c) {
  if (text.empty() || text.front() != c)
    return false;
  text.remove_prefix(1);
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (prefix.empty() || text.size() < prefix.size())
    return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

// How a locale writes dates and times, taken from its pictures.
struct TTextLayout {
  char Order[3] = {'y', 'M', 'd'};
  char DateSeparator = '-';
  char TimeSeparator = ':';
};

// Calls visit(letter, run) for each field of a picture and (0, run) for each
// other character outside quoted literals, with that character in letter.
template <typename Visit> void WalkPicture(const std::string &picture, Visit visit) {
  size_t i = 0;
  while (i < picture.size()) {
    char c = picture[i];
    if (c == '\'') {
      size_t close = picture.find('\'', i + 1);
      i = close == std::string::npos ? picture.size() : close + 1;
      continue;
    }
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c)
      ++run;
    visit(c, run);
    i += run;
  }
}

TTextLayout LocaleLayout(const TLocaleFormats &formats) {
  TTextLayout layout;
  int fields = 0;
  bool separatorFound = false;
  WalkPicture(formats.ShortDate, [&](char c, size_t run) {
    if ((c == 'd' && run <= 2) || c == 'M' || c == 'y') {
      bool seen = false;
      for (int i = 0; i < fields; ++i)
        seen = seen || layout.Order[i] == c;
      if (!seen && fields < 3)
        layout.Order[fields++] = c;
    } else if (c != 'd' && !IsBlank(c) && !IsLetter(c) && fields > 0 && !separatorFound) {
      layout.DateSeparator = c;
      separatorFound = true;
    }
  });
  if (fields != 3)
    layout = TTextLayout(); // no usable picture: ISO order
  bool afterHour = false;
  WalkPicture(formats.LongTime, [&](char c, size_t) {
    if (c == 'h' || c == 'H') {
      afterHour = true;
    } else if (afterHour) {
      if (!IsBlank(c) && !IsLetter(c))
        layout.TimeSeparator = c;
      afterHour = false;
    }
  });
  return layout;
}

// A month by the start of its long or short name.
bool ReadMonthName(std::string_view &text, const TLocaleFormats &formats, int &month) {
  for (const auto *names : {&formats.LongMonthNames, &formats.ShortMonthNames})
    for (int m = 0; m < 12; ++m)
      if (StartsWithNoCase(text, (*names)[m])) {
        text.remove_prefix((*names)[m].size());
        month = m + 1;
        return true;
      }
  return false;
}

// A separator with optional blanks around it; blanks alone separate when the
// picture's separator is itself a blank.
bool ReadDateSeparator(std::string_view &text, char separator) {
  SkipBlanks(text);
  ReadChar(text, separator);
  SkipBlanks(text);
  return true;
}

bool ParseDate(std::string_view &text, const TTextLayout &layout, const TLocaleFormats &formats,
               int twoDigitYearMax, TDateTimeParts &parts) {
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      std::string_view before = text;
      ReadDateSeparator(text, layout.DateSeparator);
      if (text.size() == before.size())
        return false;
    }
    const char field = layout.Order[i];
    int value, digits;
    if (field == 'M' && !text.empty() && !IsDigit(text.front())) {
      if (!ReadMonthName(text, formats, value))
        return false;
    } else if (!ReadNumber(text, field == 'y' ? 4 : 2, value, digits)) {
      return false;
    }
    if (field == 'y') {
      if (digits <= 2) {
        int century = twoDigitYearMax - twoDigitYearMax % 100;
        value += value > twoDigitYearMax % 100 ? century - 100 : century;
      }
      parts.Year = value;
    } else if (field == 'M') {
      parts.Month = value;
    } else {
      parts.Day = value;
    }
  }
  // Some pictures close the date with its separator ("yyyy. MM. dd.").
  if (layout.DateSeparator != ' ')
    ReadChar(text, layout.DateSeparator);
  return true;
}

// The AM or PM designator at the front of text: 1 for AM, 2 for PM, 0 for none.
int ReadDesignator(std::string_view &text, const TLocaleFormats &formats) {
  const std::string_view candidates[] = {formats.AmDesignator, formats.PmDesignator, "AM", "PM"};
  for (int i = 0; i < 4; ++i)
    if (StartsWithNoCase(text, candidates[i])) {
      text.remove_prefix(candidates[i].size());
      return i % 2 + 1;
    }
  return 0;
}

bool ReadTimeSeparator(std::string_view &text, char separator) {
  return ReadChar(text, separator) || ReadChar(text, ':');
}

bool ParseTime(std::string_view text, const TTextLayout &layout, const TLocaleFormats &formats,
               TDateTimeParts &parts) {
  int designator = ReadDesignator(text, formats);
  SkipBlanks(text);
  parts.Second = parts.Millisecond = 0;
  if (!ReadNumber(text, 2, parts.Hour) || !ReadTimeSeparator(text, layout.TimeSeparator) ||
      !ReadNumber(text, 2, parts.Minute))
    return false;
  if (ReadTimeSeparator(text, layout.TimeSeparator)) {
    if (!ReadNumber(text, 2, parts.Second))
      return false;
    if (ReadChar(text, '.')) {
      int digits;
      if (!ReadNumber(text, 3, parts.Millisecond, digits))
        return false;
      for (; digits < 3; ++digits)
        parts.Millisecond *= 10; // ".5" is half a second
    }
  }
  SkipBlanks(text);
  if (designator == 0)
    designator = ReadDesignator(text, formats);
  if (!text.empty())
    return false;
  if (designator != 0) {
    if (parts.Hour > 12)
      return false;
    parts.Hour = parts.Hour % 12 + (designator == 2 ? 12 : 0);
  }
  return true;
}

bool ParseWithLayout(std::string_view text, const TTextLayout &layout,
                     const TLocaleFormats &formats, TDateTime &result) {
  TDateTimeParts parts;
  std::string_view rest = text;
  TDateTime value;
  if (ParseDate(rest, layout, formats, formats.TwoDigitYearMax, parts) &&
      (rest.empty() || (IsBlank(rest.front()) && ParseTime(Trim(rest), layout, formats, parts))) &&
      EncodeDateTime(parts, value)) {
    result = value;
    return true;
  }
  // Not a date: a time alone ("0.05.00" may look like one under a locale
  // writing both with dots).
  parts = TDateTimeParts();
  if (!ParseTime(text, layout, formats, parts) ||
      !EncodeTime(parts.Hour, parts.Minute, parts.Second, parts.Millisecond, value))
    return false;
  result = value;
  return true;
}

} // namespace

bool TextToDateTime(std::string_view text, const TLocaleFormats &formats, TDateTime &result) {
  text = Trim(text);
  if (text.empty())
    return false;
  return ParseWithLayout(text, LocaleLayout(formats), formats, result) ||
         ParseWithLayout(text, TTextLayout(), formats, result);
}
