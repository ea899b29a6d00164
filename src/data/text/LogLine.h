#pragma once
// Report lines for the installer log. Writers hand over the message, which
// begins with a space (" Extracting ..."); the log puts the time of day in
// front of it.

#include "base/DateTime.h"

#include <functional>
#include <string>

using TLogSink = std::function<void(const std::string &message)>;

// "hh:mm:ss" (24-hour clock) with the given time separator; "" for a value
// DecodeDateTime refuses.
std::string FormatTimeOfDay(TDateTime value, char separator = ':');
// "hh:mm" (24-hour clock); "" for a value DecodeDateTime refuses.
std::string FormatHourMinute(TDateTime value);
// The line as the log file holds it: the time of day, then the message.
std::string StampLogLine(TDateTime now, const std::string &message, char separator = ':');
