#pragma once
// The input blocking window of a blocked break: a borderless window on top of
// everything that covers every monitor and swallows key presses, button
// presses and wheel turns until the break ends. The prompt dialog floats
// above it, so answering the prompt is all the user can do. For the first
// five inputs it shows the desktop as it was when it appeared, with its
// notice; from the sixth on a red field that grows brighter with every
// further input, the notice turning white. The window is kept and reused,
// and so are its input count and colours, for as long as the program runs.

#include "movaro/MovaroContext.h"
#include "movaro/schedule/SchedulerViews.h"
#include "platform/Desktop.h"
#include "platform/Screen.h"
#include "ui/Controls.h"
#include "ui/Forms.h"

#include <cstdint>
#include <string>
#include <vector>

class TBlockingWindow;

// What the blocking window shows under its notice, painted through the canvas.
class TBlockingBackdrop : public TControl {
public:
  TBlockingBackdrop(TComponent *owner, std::string name, TBlockingWindow &window)
      : TControl(owner, std::move(name)), window_(window) {}
  MOVARO_KIND(ckShape)
  bool Windowless() const override { return true; }
  void Paint(ICanvas &canvas) override;

private:
  TBlockingWindow &window_;
};

class TBlockingWindow : public TForm, public IBlockingWindow {
public:
  TBlockingWindow(TApplication &application, TMovaroContext &context, IScreen &screen,
                  IDesktop &desktop);
  ~TBlockingWindow() override;

  // The language file its notice comes from ("Movaro.lng"); none: English.
  std::string LanguageFile;
  TBlockingBackdrop &Backdrop; // fills the window, under the notice
  TLabel &HeaderLbl;

  // IBlockingWindow: ShowBlocking shows it (again) in front; closing hides it.
  bool Showing() const override { return Visible(); }
  void ShowBlocking() override;
  void CloseBlocking() override { Close(); }

  // A key press, button press or wheel turn that reached the window.
  void CountInput();
  int32_t InputCount() const { return inputCount_; }
  // What lies under the notice: the desktop as it was (first five inputs),
  // else the window's colour.
  void PaintBackdrop(ICanvas &canvas);
  bool ShowsDesktop() const { return inputCount_ <= 5; }

private:
  // Translates the notice and centres it on the primary monitor.
  void PlaceNotice();

  TMovaroContext &context_;
  IScreen &screen_;
  IDesktop &desktop_;
  int32_t inputCount_ = 0;
  TDesktopRect covered_;
  std::vector<uint32_t> desktopPixels_; // what the covered area showed
};
