#include "platform/headless/HostFileTime.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <system_error>

namespace fs = std::filesystem;

bool HostFileLocalTime(const fs::path &path, TDateTime &result) {
  std::error_code ec;
  fs::file_time_type time = fs::last_write_time(path, ec);
  if (ec)
    return false;
  auto system = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
      fs::file_time_type::clock::to_sys(time));
  std::time_t t = std::chrono::system_clock::to_time_t(system);
  std::tm *tm = std::localtime(&t);
  if (!tm)
    return false;
  TDateTimeParts parts;
  parts.Year = tm->tm_year + 1900;
  parts.Month = tm->tm_mon + 1;
  parts.Day = tm->tm_mday;
  parts.Hour = tm->tm_hour;
  parts.Minute = tm->tm_min;
  parts.Second = std::min(tm->tm_sec, 59); // a leap second is not a calendar second
  return EncodeDateTime(parts, result);
}

bool SetHostFileLocalTime(const fs::path &path, TDateTime local) {
  TDateTimeParts parts;
  if (!DecodeDateTime(local, parts) || parts.Year < 1970)
    return false;
  std::tm tm{};
  tm.tm_year = parts.Year - 1900;
  tm.tm_mon = parts.Month - 1;
  tm.tm_mday = parts.Day;
  tm.tm_hour = parts.Hour;
  tm.tm_min = parts.Minute;
  tm.tm_sec = parts.Second;
  tm.tm_isdst = -1;
  std::time_t t = std::mktime(&tm);
  if (t == static_cast<std::time_t>(-1))
    return false;
  auto system = std::chrono::system_clock::from_time_t(t);
  std::error_code ec;
  fs::last_write_time(path, fs::file_time_type::clock::from_sys(system), ec);
  return !ec;
}
