#include "data/archive/DosDateTime.h"

bool DosDateTimeToDateTime(uint32_t dos, TDateTime &result) {
  TDateTimeParts parts;
  parts.Year = 1980 + static_cast<int>(dos >> 25);
  parts.Month = static_cast<int>((dos >> 21) & 0x0F);
  parts.Day = static_cast<int>((dos >> 16) & 0x1F);
  parts.Hour = static_cast<int>((dos >> 11) & 0x1F);
  parts.Minute = static_cast<int>((dos >> 5) & 0x3F);
  parts.Second = static_cast<int>(dos & 0x1F) * 2;
  return EncodeDateTime(parts, result);
}

bool DateTimeToDosDateTime(TDateTime value, uint32_t &result) {
  TDateTimeParts p;
  if (!DecodeDateTime(value, p))
    return false;
  if (p.Year < 1980) {
    p = TDateTimeParts{};
    p.Year = 1980, p.Month = 1, p.Day = 1;
  } else if (p.Year > 2107) {
    p.Year = 2107, p.Month = 12, p.Day = 31, p.Hour = 23, p.Minute = 59, p.Second = 58;
  }
  result = (static_cast<uint32_t>(p.Year - 1980) << 25) | (static_cast<uint32_t>(p.Month) << 21) |
           (static_cast<uint32_t>(p.Day) << 16) | (static_cast<uint32_t>(p.Hour) << 11) |
           (static_cast<uint32_t>(p.Minute) << 5) | static_cast<uint32_t>(p.Second / 2);
  return true;
}
