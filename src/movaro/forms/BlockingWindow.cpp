#include "movaro/forms/BlockingWindow.h"

#include "movaro/schedule/MainTexts.h"

#include <algorithm>
#include <climits>

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kInputsShowingDesktop = 5;
constexpr int kRedStep = 10;

} // namespace

TBlockingWindow::TBlockingWindow(TApplication &application, TMovaroContext &context,
                                 IScreen &screen, IDesktop &desktop)
    : TForm(application, nullptr, "BlockingWindow"),
      Backdrop(Create<TBlockingBackdrop>("Backdrop", *this)), HeaderLbl(Create<TLabel>("HeaderLbl")),
      context_(context), screen_(screen), desktop_(desktop) {
  Borderless = true;
  StayOnTop = true;
  KeyPreview = true;
  SetColor(0);
  Backdrop.SetParent(this);
  HeaderLbl.SetParent(this);
  HeaderLbl.Tag = 21;
  HeaderLbl.Alignment = TLabel::taCenter;
  HeaderLbl.Transparent = true;
  TFont font;
  font.Name = "Verdana";
  font.Size = 24; // 32 pixels high
  font.Color = 0;
  HeaderLbl.SetFont(font);
  HeaderLbl.SetCaption("All input is blocked by Movaro!");

  // The input goes nowhere else.
  OnKeyDown = [this](TComponent &, int &key, bool) {
    CountInput();
    key = 0;
  };
  auto pressed = [this](TComponent &, TMouseButton, int, int) { CountInput(); };
  OnMouseDown = pressed;
  HeaderLbl.OnMouseDown = pressed;
  Backdrop.OnMouseDown = pressed;
  OnHide = [this](TComponent &) { desktopPixels_.clear(); };
  context_.Dialogs.BlockingWindow = true;
}

TBlockingWindow::~TBlockingWindow() {
  context_.Dialogs.BlockingWindow = false;
  DestroyComponents();
}

void TBlockingWindow::ShowBlocking() {
  if (!Visible()) {
    // One window over the smallest rectangle holding every monitor: a
    // second screen left free would let the user work on through the break.
    covered_ = VirtualScreen(desktop_);
    if (!desktop_.Capture(covered_, desktopPixels_))
      desktopPixels_.clear();
    SetBounds(covered_.Left, covered_.Top, covered_.Width, covered_.Height);
    Backdrop.SetBounds(0, 0, covered_.Width, covered_.Height);
    // Placed before the window appears: a first paint with the notice still
    // at the origin leaves part of it there, outside the area repainted
    // when it moves (nothing under the notice is erased).
    PlaceNotice();
  }
  BringToFront();
}

void TBlockingWindow::PlaceNotice() {
  if (!LanguageFile.empty())
    context_.Translator.TranslateForm(*this, kMainFormTable, LanguageFile);
  // The notice in the middle of the primary monitor.
  ICanvas &measure = screen_.MeasuringCanvas();
  measure.Font = CanvasFontOf(HeaderLbl.Font());
  const int width = measure.TextWidth(HeaderLbl.Caption());
  const int height = measure.TextHeight(HeaderLbl.Caption());
  const TDesktopRect primary = PrimaryMonitor(desktop_);
  HeaderLbl.SetBounds(primary.Left - covered_.Left + (primary.Width - width) / 2,
                      primary.Top - covered_.Top + (primary.Height - height) / 2, width, height);
}

void TBlockingWindow::CountInput() {
  if (inputCount_ < INT32_MAX)
    ++inputCount_;
  const int64_t red = std::min<int64_t>(static_cast<int64_t>(inputCount_) * kRedStep, 255);
  SetColor(static_cast<uint32_t>(std::max<int64_t>(red, 0)));
  if (static_cast<int64_t>(inputCount_) * kRedStep > kInputsShowingDesktop * kRedStep) {
    TFont font = HeaderLbl.Font();
    font.Color = kWhite;
    HeaderLbl.SetFont(font);
  }
  Invalidate();
  Backdrop.Invalidate();
}

void TBlockingWindow::PaintBackdrop(ICanvas &canvas) {
  const TRect &b = Bounds();
  const size_t expected = static_cast<size_t>(std::max(0, b.Width)) * std::max(0, b.Height);
  if (ShowsDesktop() && !desktopPixels_.empty() && desktopPixels_.size() == expected) {
    canvas.Draw(0, 0, {nullptr, "desktop", b.Width, b.Height, desktopPixels_.data()});
    return;
  }
  canvas.Brush = {Color(), TBrushStyle::bsSolid};
  canvas.FillRect({0, 0, b.Width, b.Height});
}

void TBlockingBackdrop::Paint(ICanvas &canvas) { window_.PaintBackdrop(canvas); }
