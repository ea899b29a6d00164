#include "platform/headless/RecordingCanvas.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace {
// Appending in place keeps a recorded text call to one allocation: painting
// benchmarks record hundreds of them per pass.
void AppendInt(std::string &s, int value) {
  char buffer[16];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  s.append(buffer, end);
}

void AppendHex(std::string &s, uint32_t colour) {
  static const char kDigits[] = "0123456789ABCDEF";
  for (int shift = 20; shift >= 0; shift -= 4)
    s.push_back(kDigits[(colour >> shift) & 0xF]);
}

std::string RectText(const TCanvasRect &r) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%d,%d,%d,%d", r.Left, r.Top, r.Right, r.Bottom);
  return buffer;
}

std::string Hex(uint32_t colour) {
  std::string s;
  AppendHex(s, colour);
  return s;
}
} // namespace

int TRecordingCanvas::CharWidth(const TCanvasFont &font) {
  return std::max(1, font.Size * 6 / 10) + (font.Bold ? 1 : 0);
}

int TRecordingCanvas::LineHeight(const TCanvasFont &font) { return std::max(1, font.Size * 3 / 2); }

void TRecordingCanvas::Record(std::string call) { Calls.push_back(std::move(call)); }

void TRecordingCanvas::TextAt(int x, int y, const std::string &text) {
  std::string call;
  call.reserve(64 + Font.Name.size() + text.size());
  call += "TextAt ";
  AppendInt(call, x);
  call += ',';
  AppendInt(call, y);
  call += " [";
  call += Font.Name;
  call += ' ';
  AppendInt(call, Font.Size);
  if (Font.Bold)
    call += " bold";
  if (Font.Italic)
    call += " italic";
  if (Font.Underline)
    call += " underline";
  if (Font.StrikeOut)
    call += " strikeout";
  call += " #";
  AppendHex(call, Font.Color);
  if (Brush.Style != TBrushStyle::bsClear) {
    call += " on #";
    AppendHex(call, Brush.Color);
  }
  call += "] ";
  call += text;
  Record(std::move(call));
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

const void *TRecordingCanvas::SelectPalette(const void *palette) {
  Record(palette ? "SelectPalette" : "SelectPalette default");
  const void *previous = palette_;
  palette_ = palette;
  return previous;
}
