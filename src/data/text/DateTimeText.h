#pragma once
// Date-times written as text in data files and registry values, read the way
// the user's short date and time formats write them:
//   date   the short date picture's order of day, month and year and its
//          separator (blanks around a separator are allowed, so are a trailing
//          separator and month names); a year of one or two digits lies in the
//          hundred years ending with the locale's TwoDigitYearMax
//   time   hour, minute and optional seconds (and milliseconds after a '.'),
//          with the long time picture's separator or ':', and the AM or PM
//          designator before or after it (the locale's or "AM"/"PM", any case);
//          without a designator the hour counts 0..23
//   both   date, one or more blanks, time
// A time alone is a fraction of a day (0:05:00 = 5 min). Dates in ISO form
// (yyyy-mm-dd) are read under every locale, being unambiguous. Formats without
// a short date picture read ISO dates only. Leading and trailing blanks are
// ignored; anything else does not parse.

#include "base/DateTime.h"
#include "platform/Locale.h"

#include <string_view>

// False (and result untouched) when the text is not a date-time in those forms.
bool TextToDateTime(std::string_view text, const TLocaleFormats &formats, TDateTime &result);
