#include "platform/headless/HeadlessLocale.h"

TLocaleFormats THeadlessLocale::DefaultFormats() {
  TLocaleFormats f;
  f.ShortDate = "yyyy-MM-dd";
  f.LongDate = "dddd, d MMMM yyyy";
  f.ShortTime = "HH:mm";
  f.LongTime = "HH:mm:ss";
  f.AmDesignator = "AM";
  f.PmDesignator = "PM";
  f.LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                      "July",    "August",   "September", "October", "November", "December"};
  f.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  f.LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  f.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  return f;
}

THeadlessLocale::THeadlessLocale() : formats_(DefaultFormats()) {}
