#include "ui/Contrast.h"

namespace {
THighContrast &Setting() {
  static THighContrast setting;
  return setting;
}
} // namespace

const THighContrast &HighContrast() { return Setting(); }

void SetHighContrast(const THighContrast &setting) { Setting() = setting; }

bool FollowHighContrast(IHighContrastSetting &system) {
  const THighContrast now = system.Read();
  if (now == Setting())
    return false;
  Setting() = now;
  return true;
}
