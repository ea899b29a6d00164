#pragma once
// A fixed locale for tests and tools, English names and unambiguous formats:
//   short date "yyyy-MM-dd"          2024-02-29
//   long date  "dddd, d MMMM yyyy"   Thursday, 29 February 2024
//   short time "HH:mm"               13:05
//   long time  "HH:mm:ss"            13:05:09
//   designators "AM" and "PM"
//   list separator ","
// A test may replace any of them through the constructor.

#include "platform/Locale.h"

class THeadlessLocale : public ILocale {
public:
  THeadlessLocale();
  explicit THeadlessLocale(TLocaleFormats formats) : formats_(std::move(formats)) {}
  TLocaleFormats DateTimeFormats() const override { return formats_; }
  static TLocaleFormats DefaultFormats();

private:
  TLocaleFormats formats_;
};
