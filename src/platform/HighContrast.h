#pragma once
// The system's high-contrast setting: whether it is on, and the colours it
// gives text and what stands behind it. The Win32 implementation asks the
// system (platform/win32/Win32HighContrast.h); the headless double says what
// a test sets (platform/headless/HeadlessHighContrast.h).

#include <cstdint>

struct THighContrast {
  bool On = false;
  uint32_t Text = 0x000000;     // the window text colour, 0x00BBGGRR
  uint32_t Back = 0xFFFFFF;     // the window colour behind it
  uint32_t Disabled = 0x808080; // the colour of unavailable text
  bool operator==(const THighContrast &) const = default;
};

class IHighContrastSetting {
public:
  virtual ~IHighContrastSetting() = default;
  // The setting now; off (the defaults) when the system cannot say.
  virtual THighContrast Read() = 0;
};
