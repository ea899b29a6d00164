#include "platform/win32/Win32Clock.h"

#include <windows.h>

TDateTime TWin32Clock::Now() {
  SYSTEMTIME local;
  GetLocalTime(&local);
  TDateTimeParts parts;
  parts.Year = local.wYear, parts.Month = local.wMonth, parts.Day = local.wDay;
  parts.Hour = local.wHour, parts.Minute = local.wMinute, parts.Second = local.wSecond;
  parts.Millisecond = local.wMilliseconds;
  TDateTime value = 0;
  EncodeDateTime(parts, value);
  return value;
}

uint32_t TWin32Clock::TickCount() { return GetTickCount(); }
