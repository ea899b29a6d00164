// Any bytes as a markup text (up to its first NUL, as the control keeps it):
// scanned with every text token reported, checked as a page, laid out and
// painted by the control on the recording canvas, and the mouse moved and
// released over it. Checks that the control's size and areas stay within
// 32 bits and that a painting pass finds what the measuring pass laid out.
#include "platform/headless/HeadlessScreen.h"
#include "ui/markup/MarkupScanner.h"
#include "ui/markup/ParserControl.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string text(reinterpret_cast<const char *>(data), size);
  text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));

  TMarkupScanner scanner(text);
  scanner.ReportText = true;
  TMarkupToken token;
  size_t lastOffset = 0;
  while (scanner.Next(token)) {
    if (token.Offset > text.size() || (token.Offset < lastOffset && token.Kind != TMarkupTokenKind::mkWord))
      std::abort();
    if (token.Kind != TMarkupTokenKind::mkWord)
      lastOffset = token.Offset;
  }
  for (const TMarkupFinding &f : CheckMarkup(text))
    if (f.Offset > text.size() || f.Line < 1)
      std::abort();

  THeadlessScreen screen;
  TPanel parent(nullptr, "Box");
  parent.SetBounds(0, 0, 200, 150);
  GParserControl control(nullptr, "Text", screen);
  control.SetParent(&parent);
  control.SetHorScrollBar(size % 2 == 1);
  control.OnHyperLinkClick = [](TComponent &, const std::string &) {};
  control.SetText(text.c_str());
  const TRect laidOut = control.Bounds();
  if (control.YMax() < 150 || control.XMax() < 200 || laidOut.Width < 0 || laidOut.Height < 0)
    std::abort();
  TRecordingCanvas canvas;
  canvas.Clip = {0, 0, 200, 150};
  control.Paint(canvas);
  for (int32_t i = 1; i <= control.HyperLinks().Count(); ++i) {
    auto *area = static_cast<THyperLinkArea *>(control.HyperLinks().GetItem(i));
    control.MouseMove(area->Left, area->Top);
    control.MouseUp(TMouseButton::mbLeft, area->Left, area->Top);
  }
  return 0;
}
