#pragma once
// What every page of the main window's page container shares: the title on
// its coloured shape, fonts given in pixels, and finding a page by name.

#include "ui/Controls.h"

#include <string>

constexpr uint32_t kPageTitleColor = 5455213; // red 109, green 61, blue 83
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kPageWidth = 500, kPageHeight = 335;

// A font of the given pixel height (the kit's sizes are points at 96 dpi).
TFont PixelFont(const std::string &name, int pixels, bool bold = false, uint32_t color = 0);

struct TPageTitle {
  TShape *Shape = nullptr;
  TLabel *Label = nullptr;
};
// The coloured shape at 5,4 with the white bold title label on it.
TPageTitle MakePageTitle(TWinControl &page, const std::string &labelName, const std::string &caption,
                         int32_t tag);
// Widens the shape to the title's text width, as the canvas measures it in
// the label's font, + 10 pixels.
void FitPageTitle(const TPageTitle &title, ICanvas &measuring);

// The index of the page with that name, or -1.
int PageIndex(const TPageControl &pages, const std::string &name);
// Makes the named page the active one; false when there is none.
bool ShowPage(TPageControl &pages, const std::string &name);
