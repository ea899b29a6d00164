// The prompt dialog and the input blocking window as models: placement,
// size, keys, answers, the tray icon, and the blocking window's colours.
#include "SchedulerWorld.h"

#include "movaro/forms/PromptGraphics.h"

#include <gtest/gtest.h>

namespace {

TPromptMessage Question(const std::string &text, int32_t record = 1) {
  TPromptMessage m;
  m.RuleIndex = 0;
  m.RecordIndex = record;
  m.Text = text;
  m.TimeOut = 20;
  m.Kind = 2;
  m.FirstCaption = "Yes";
  m.SecondCaption = "No";
  m.CancelVisible = true;
  return m;
}

} // namespace

TEST(MessageDialog, OpensInTheUpperRightCornerAndComesBackOnScreenWhenDraggedOff) {
  TSchedulerWorld w;
  TMessageDialog &d = w.day->Dialog;
  d.ShowMessage(Question("Short."));
  EXPECT_EQ(d.Bounds().Left, 1024 - kDialogWidth - 30);
  EXPECT_EQ(d.Bounds().Top, 30);
  EXPECT_TRUE(d.StayOnTop);
  EXPECT_FALSE(d.ShowActivated);

  // Dragged by the header: the dialog follows the cursor.
  w.day->Sim.Cursor.Position = {900, 40};
  d.HeaderMouseDown();
  w.day->Sim.Cursor.Position = {1200, -100};
  d.HeaderMouseMove();
  d.HeaderMouseUp();
  w.day->Sim.Cursor.Position = {0, 0};
  d.HeaderMouseMove(); // the button is up: nothing moves
  EXPECT_EQ(d.Bounds().Left, 1024 - kDialogWidth - 30 + 300);
  EXPECT_EQ(d.Bounds().Top, 30 - 140);
  d.HideMessage();
  d.ShowMessage(Question("Short."));
  EXPECT_EQ(d.Bounds().Left, 1024 - kDialogWidth);
  EXPECT_EQ(d.Bounds().Top, 0);
}

TEST(MessageDialog, HeightFollowsTheTextHeaderAndFooterKeepTheirs) {
  TSchedulerWorld w;
  TMessageDialog &d = w.day->Dialog;
  d.ShowMessage(Question("Short."));
  const int shortHeight = d.Bounds().Height;
  std::string longText;
  for (int i = 0; i < 40; ++i)
    longText += "A rather long sentence about sitting straight. ";
  d.ShowMessage(Question(longText));
  const int longHeight = d.Bounds().Height;
  EXPECT_GT(longHeight, shortHeight + 50);
  EXPECT_LE(longHeight, 768);
  d.ShowMessage(Question("Short again."));
  EXPECT_EQ(d.Bounds().Height, shortHeight);
  EXPECT_EQ(d.HeaderPnl.Bounds().Height, kDialogHeaderHeight);
  EXPECT_EQ(d.FooterPnl.Bounds().Height, kDialogFooterHeight);
  EXPECT_EQ(d.FooterPnl.Bounds().Top + kDialogFooterHeight + kDialogBorder, shortHeight);
}

TEST(MessageDialog, EnterAnswersYesEscapeCancelsAndAnUnknownRecordIsNotAnswered) {
  TSchedulerWorld w;
  TMessageDialog &d = w.day->Dialog;
  w.Fire(0, 30);
  d.ShowMessage(Question("Q?"));
  d.FormKeyUp(13, /*shift=*/true); // not without Shift
  EXPECT_TRUE(d.Showing());
  d.FormKeyUp(27, false);
  EXPECT_FALSE(d.Showing());
  EXPECT_FALSE(w.Rule(0).Fired);
  d.ShowMessage(Question("Q?"));
  d.FormKeyUp(13, false);
  d.ShowMessage(Question("Q?", 77)); // beyond the file: closes, records nothing
  d.YesBtnClick();
  EXPECT_FALSE(d.Showing());
  EXPECT_EQ(w.day->Owner.Answers,
            (std::vector<TQuestionAnswer>{{1, false, true}, {1, true, false}}));

  // A notice stays through HideMessageDialog; a key on it restores the window.
  TPromptMessage notice;
  notice.Text = "Pausing...";
  notice.Persistent = true;
  d.ShowMessage(notice);
  d.HideMessageDialog();
  EXPECT_TRUE(d.Showing());
  w.day->Owner.Minimized = true;
  d.FormKeyUp(27, false);
  EXPECT_FALSE(d.Showing());
  EXPECT_EQ(w.day->Owner.Restores, 1);
}

TEST(MessageDialog, TrayIconBlinksWhileCountingDownAndIsBackWhenTheDialogGoes) {
  TSchedulerWorld w;
  TMessageDialog &d = w.day->Dialog;
  TPromptMessage m = Question("Q?");
  m.Kind = 3;
  d.ShowMessage(m);
  for (int s = 20; s > 16; --s)
    d.SetTimeLeft(s);
  EXPECT_EQ(w.day->Tray.History, (std::vector<uint8_t>{3, 0, 3, 0}));
  EXPECT_EQ(d.TimeOutBar.Progress(), 17);
  d.SetTimeLeft(16);
  d.CancelBtnClick();
  EXPECT_TRUE(w.day->Tray.ShowsApplicationIcon());

  w.day->Owner.TrayBlinks = false; // "Show in taskbar" off
  w.day->Tray.History.clear();
  d.ShowMessage(m);
  d.SetTimeLeft(19);
  EXPECT_TRUE(w.day->Tray.History.empty());
}

TEST(BlockingWindow, FiveInputsShowTheDesktopTheSixthTurnsItRedAndTheColourStays) {
  TSchedulerWorld w;
  w.day->Desktop.MonitorList = {{0, 0, 1024, 768}, {1024, 0, 800, 600}};
  TBlockingWindow &b = w.day->Blocking;
  b.ShowBlocking();
  // Both monitors covered; the notice in the middle of the primary one.
  EXPECT_EQ(b.Bounds(), (TRect{0, 0, 1824, 768}));
  const TRect label = b.HeaderLbl.Bounds();
  EXPECT_EQ(label.Left, (1024 - label.Width) / 2);
  EXPECT_EQ(label.Top, (768 - label.Height) / 2);

  auto paint = [&] {
    TRecordingCanvas canvas;
    b.PaintBackdrop(canvas);
    return canvas.Calls.empty() ? std::string() : canvas.Calls.front();
  };
  const std::string desktop = paint();
  EXPECT_NE(desktop.find("desktop"), std::string::npos) << desktop;
  for (int i = 0; i < 5; ++i)
    b.CountInput();
  EXPECT_EQ(paint(), desktop);
  EXPECT_EQ(b.HeaderLbl.Font().Color, 0u);
  b.CountInput();
  EXPECT_EQ(b.Color(), 60u); // red 60 in a Windows colour value
  EXPECT_EQ(b.HeaderLbl.Font().Color, 0xFFFFFFu);
  EXPECT_EQ(paint().find("desktop"), std::string::npos);

  b.CloseBlocking();
  EXPECT_FALSE(b.Showing());
  b.ShowBlocking(); // the next blocked break starts where this one ended
  EXPECT_EQ(b.Color(), 60u);
  for (int i = 0; i < 30; ++i)
    b.CountInput();
  EXPECT_EQ(b.Color(), 255u);
}

TEST(BlockingWindow, NoticeCentredOnThePrimaryMonitorWithOthersLeftAndAbove) {
  TSchedulerWorld w;
  w.day->Desktop.MonitorList = {{0, 0, 1024, 768}, {-1280, 0, 1280, 1024}, {0, -600, 800, 600}};
  TBlockingWindow &b = w.day->Blocking;
  b.ShowBlocking();
  EXPECT_EQ(b.Bounds(), (TRect{-1280, -600, 2304, 1624}));
  // In the window's own coordinates the primary monitor starts at 1280,600.
  const TRect label = b.HeaderLbl.Bounds();
  EXPECT_EQ(label.Left, 1280 + (1024 - label.Width) / 2);
  EXPECT_EQ(label.Top, 600 + (768 - label.Height) / 2);
}

TEST(PromptGraphics, KindIconsAndPie) {
  // Every kind has a round icon in both sets; the corners stay clear.
  for (uint8_t kind = 1; kind <= 4; ++kind)
    for (TIconSet set : {TIconSet::is16Colours, TIconSet::isTrueColour}) {
      TIconPixels icon = RenderKindIcon(kind, 32, set);
      ASSERT_EQ(icon.Rgb.size(), 32u * 32u);
      EXPECT_EQ(icon.Alpha[0], 0);
      EXPECT_EQ(icon.Alpha[16 * 32 + 16], 255);
    }
  EXPECT_TRUE(RenderKindIcon(0, 32, TIconSet::isTrueColour).Rgb.empty());
  EXPECT_TRUE(RenderKindIcon(5, 32, TIconSet::isTrueColour).Rgb.empty());
  // A quarter left: the upper right quarter is the fore colour, the rest not.
  const uint32_t fore = 0x0000FF, back = 0xFFFFFF; // red in Windows order
  std::vector<uint32_t> pie = RenderPie(32, 5, 20, fore, back);
  EXPECT_EQ(pie[8 * 32 + 24], 0xFF0000u);
  EXPECT_NE(pie[24 * 32 + 8], 0xFF0000u);
  EXPECT_EQ(RenderPie(32, 0, 0, fore, back).size(), 32u * 32u);
}
