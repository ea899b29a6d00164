#include "movaro/pages/PageChrome.h"

TFont PixelFont(const std::string &name, int pixels, bool bold, uint32_t color) {
  TFont font;
  font.Name = name;
  font.Size = (pixels * 72 + 48) / 96;
  font.Bold = bold;
  font.Color = color;
  return font;
}

TPageTitle MakePageTitle(TWinControl &page, const std::string &labelName, const std::string &caption,
                         int32_t tag) {
  TComponent &owner = page.Owner() ? *page.Owner() : page;
  TShape &shape = owner.Create<TShape>(labelName + "Shape");
  shape.SetParent(&page);
  shape.SetBounds(5, 4, 250, 20);
  shape.BrushColor = kPageTitleColor;
  shape.PenColor = kWhite;
  TLabel &label = owner.Create<TLabel>(labelName);
  label.SetParent(&page);
  label.SetBounds(10, 5, 240, 18);
  label.SetFont(PixelFont("Verdana", 16, true, kWhite));
  label.SetCaption(caption);
  label.Tag = tag;
  return {&shape, &label};
}

void FitPageTitle(const TPageTitle &title, ICanvas &measuring) {
  measuring.Font = CanvasFontOf(title.Label->Font());
  const int width = measuring.TextWidth(title.Label->Caption());
  const TRect &l = title.Label->Bounds();
  title.Label->SetBounds(l.Left, l.Top, width, l.Height);
  const TRect &r = title.Shape->Bounds();
  title.Shape->SetBounds(r.Left, r.Top, width + 10, r.Height);
}

int PageIndex(const TPageControl &pages, const std::string &name) {
  for (int i = 0; i < pages.PageCount(); ++i)
    if (pages.Page(i).Name() == name)
      return i;
  return -1;
}

bool ShowPage(TPageControl &pages, const std::string &name) {
  const int index = PageIndex(pages, name);
  if (index < 0)
    return false;
  pages.SetActivePageIndex(index);
  return true;
}
