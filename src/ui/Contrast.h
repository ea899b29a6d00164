#pragma once
// The system's high-contrast setting as the kit paints by it. While it is on,
// text the kit draws over its skins (labels, skinned buttons' captions, the
// markup text) is drawn in the system's text colour on its window colour,
// so it stays readable whatever the pictures behind it. The backend follows
// the system's setting (platform/HighContrast.h) at start and when the
// system's settings change; headless it stays off unless a test sets it.

#include "platform/HighContrast.h"

const THighContrast &HighContrast();
void SetHighContrast(const THighContrast &setting);
// Takes the system's setting as the kit's; true when that changed it (the
// windows are then painted again).
bool FollowHighContrast(IHighContrastSetting &system);
