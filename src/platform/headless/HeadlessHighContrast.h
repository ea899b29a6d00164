#pragma once
// A high-contrast setting for tests: what Setting says.

#include "platform/HighContrast.h"

class THeadlessHighContrastSetting : public IHighContrastSetting {
public:
  THighContrast Setting;
  THighContrast Read() override { return Setting; }
};
