#include "data/text/LogLine.h"

#include <cstdio>

std::string FormatTimeOfDay(TDateTime value, char separator) {
  TDateTimeParts p;
  if (!DecodeDateTime(value, p))
    return "";
  char text[16];
  std::snprintf(text, sizeof text, "%02d%c%02d%c%02d", p.Hour, separator, p.Minute, separator,
                p.Second);
  return text;
}

std::string FormatHourMinute(TDateTime value) {
  std::string text = FormatTimeOfDay(value);
  return text.empty() ? text : text.substr(0, 5);
}

std::string StampLogLine(TDateTime now, const std::string &message, char separator) {
  return FormatTimeOfDay(now, separator) + message;
}
