#pragma once
// A canvas that records every drawing call as one text line, for layout and
// painting tests without a screen.
//
// Text metrics are fixed so tests can compute layouts by hand: a character is
// Size * 6 / 10 pixels wide (at least 1, plus 1 when bold), a line is
// Size * 3 / 2 pixels high (at least 1), whatever the face.

#include "platform/Canvas.h"

#include <string>
#include <vector>

class TRecordingCanvas : public ICanvas {
public:
  std::vector<std::string> Calls;
  // What ClipRect answers: a big screen unless a test says otherwise.
  TCanvasRect Clip{0, 0, 4096, 4096};

  static int CharWidth(const TCanvasFont &font);
  static int LineHeight(const TCanvasFont &font);

  void TextAt(int x, int y, const std::string &text) override;
  int TextWidth(const std::string &text) override;
  int TextHeight(const std::string &text) override;
  void Rectangle(const TCanvasRect &r) override;
  void RoundRect(const TCanvasRect &r, int cornerWidth, int cornerHeight) override;
  void FillRect(const TCanvasRect &r) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void Draw(int x, int y, const TCanvasBitmap &bitmap) override;
  void StretchDraw(const TCanvasRect &target, const TCanvasBitmap &bitmap) override;
  TCanvasRect ClipRect() override { return Clip; }
  const void *SelectPalette(const void *palette) override;

private:
  void Record(std::string call);
  const void *palette_ = nullptr;
};
