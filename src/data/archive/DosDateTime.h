#pragma once
// Packed DOS date-times as archive directories carry them: the DOS date in the
// high 16 bits (bits 15-9 year - 1980, 8-5 month, 4-0 day), the DOS time in the
// low 16 bits (bits 15-11 hour, 10-5 minute, 4-0 seconds / 2).

#include "base/DateTime.h"

#include <cstdint>

// False (result untouched) when a field is out of range.
bool DosDateTimeToDateTime(uint32_t dos, TDateTime &result);
// Seconds are rounded down to even; years before 1980 give 1980-01-01 00:00:00,
// years after 2107 give 2107-12-31 23:59:58. False for a value DecodeDateTime refuses.
bool DateTimeToDosDateTime(TDateTime value, uint32_t &result);
