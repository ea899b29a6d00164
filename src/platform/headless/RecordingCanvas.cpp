#include "platform/headless/RecordingCanvas.h"

#include <algorithm>
#include <cstdio>

namespace {
std::string RectText(const TCanvasRect &r) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%d,%d,%d,%d", r.Left, r.Top, r.Right, r.Bottom);
  return buffer;
}

std::string Hex(uint32_t colour) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%06X", colour & 0xFFFFFF);
  return buffer;
}

std::string FontText(const TCanvasFont &f) {
  std::string s = f.Name + " " + std::to_string(f.Size);
  if (f.Bold) s += " bold";
  if (f.Italic) s += " italic";
  if (f.Underline) s += " underline";
  if (f.StrikeOut) s += " strikeout";
  return s + " #" + Hex(f.Color);
}
} // namespace

int TRecordingCanvas::CharWidth(const TCanvasFont &font) {
  return std::max(1, font.Size * 6 / 10) + (font.Bold ? 1 : 0);
}

int TRecordingCanvas::LineHeight(const TCanvasFont &font) { return std::max(1, font.Size * 3 / 2); }

void TRecordingCanvas::Record(std::string call) { Calls.push_back(std::move(call)); }

void TRecordingCanvas::TextAt(int x, int y, const std::string &text) {
  Record("TextAt " + std::to_string(x) + "," + std::to_string(y) + " [" + FontText(Font) +
         (Brush.Style == TBrushStyle::bsClear ? "" : " on #" + Hex(Brush.Color)) + "] " + text);
}

int TRecordingCanvas::TextWidth(const std::string &text) {
  return static_cast<int>(text.size()) * CharWidth(Font);
}

int TRecordingCanvas::TextHeight(const std::string &) { return LineHeight(Font); }

void TRecordingCanvas::Rectangle(const TCanvasRect &r) {
  Record("Rectangle " + RectText(r) + " pen #" + Hex(Pen.Color) + " brush " +
         (Brush.Style == TBrushStyle::bsClear ? std::string("clear") : "#" + Hex(Brush.Color)));
}

void TRecordingCanvas::RoundRect(const TCanvasRect &r, int cw, int ch) {
  Record("RoundRect " + RectText(r) + " " + std::to_string(cw) + "x" + std::to_string(ch) +
         " pen #" + Hex(Pen.Color) + " brush #" + Hex(Brush.Color));
}

void TRecordingCanvas::FillRect(const TCanvasRect &r) {
  Record("FillRect " + RectText(r) + " #" + Hex(Brush.Color));
}

void TRecordingCanvas::Line(int x1, int y1, int x2, int y2) {
  Record("Line " + std::to_string(x1) + "," + std::to_string(y1) + "-" + std::to_string(x2) +
         "," + std::to_string(y2) + " #" + Hex(Pen.Color));
}

void TRecordingCanvas::Draw(int x, int y, const TCanvasBitmap &b) {
  Record("Draw " + std::to_string(x) + "," + std::to_string(y) + " " + b.Name);
}

void TRecordingCanvas::StretchDraw(const TCanvasRect &target, const TCanvasBitmap &b) {
  Record("StretchDraw " + RectText(target) + " " + b.Name);
}

void TRecordingCanvas::SelectPalette(const void *palette) {
  Record(palette ? "SelectPalette" : "SelectPalette default");
}
