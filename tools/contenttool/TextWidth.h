#pragma once
// Width of a Windows-1252 text in pixels, measured from a TrueType font the
// way a GDI text extent adds up: whole-pixel advance widths without kerning,
// at a given character height (em) in pixels. The windows are designed in Verdana; under
// Wine it is replaced by DejaVu Sans, whose files the overflow check measures.

#include <memory>
#include <string>

class TTextMeasure {
public:
  // The regular and bold faces; Valid() is false when either cannot be read.
  TTextMeasure(const std::string &regularFont, const std::string &boldFont);
  ~TTextMeasure();
  bool Valid() const;
  int Width(const std::string &cp1252, int pixels, bool bold) const;

private:
  struct Face;
  std::unique_ptr<Face> regular_, bold_;
};
