#pragma once
// The system's high-contrast setting as the kit paints by it. While it is on,
// text the kit draws over its skins (labels, skinned buttons' captions, the
// markup text) is drawn in the system's text colour on its window colour,
// so it stays readable whatever the pictures behind it. The backend reads
// the setting from the system and sets it here (at start and when the
// system's settings change); headless it stays off unless a test sets it.

#include <cstdint>

struct THighContrast {
  bool On = false;
  uint32_t Text = 0x000000;     // the window text colour, 0x00BBGGRR
  uint32_t Back = 0xFFFFFF;     // the window colour behind it
  uint32_t Disabled = 0x808080; // the colour of unavailable text
  bool operator==(const THighContrast &) const = default;
};

const THighContrast &HighContrast();
void SetHighContrast(const THighContrast &setting);
