#pragma once
// The high-contrast setting of Windows (SPI_GETHIGHCONTRAST) and, while it
// is on, the system's window text, window and grey text colours.

#include "platform/HighContrast.h"

class TWin32HighContrastSetting : public IHighContrastSetting {
public:
  THighContrast Read() override;
};
