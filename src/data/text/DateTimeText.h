#pragma once
// Date-times written as text in data files, read the way the platform's short
// date and time formats write them:
//   time alone     h:mm[:ss[.zzz]]            -> a fraction of a day (0:05:00 = 5 min)
//   date alone     yyyy-mm-dd | d.m.yyyy | m/d/yyyy
//   both           date, one or more blanks, time
// Leading and trailing blanks are ignored. Anything else does not parse.

#include "base/DateTime.h"

#include <string_view>

// False (and result untouched) when the text is not a date-time in those forms.
bool TextToDateTime(std::string_view text, TDateTime &result);
