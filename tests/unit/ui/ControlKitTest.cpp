#include "platform/headless/HeadlessScreen.h"
#include "platform/headless/RecordingCanvas.h"
#include "ui/Accessibility.h"
#include "ui/Cursors.h"
#include "ui/DialogKeys.h"
#include "ui/Forms.h"
#include "ui/MouseRouter.h"
#include "ui/kit/Background.h"
#include "ui/kit/Chart.h"
#include "ui/kit/Palettes.h"
#include "ui/kit/SkinnedButton.h"
#include "ui/kit/Spinner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using TCalls = std::vector<std::string>;

std::shared_ptr<const TPicture> Solid(int width, int height) {
  auto picture = std::make_shared<TPicture>();
  picture->Width = width;
  picture->Height = height;
  picture->Pixels.assign(static_cast<size_t>(std::max(0, width * height)), 0x336699);
  return picture;
}

// Counts the changes a painted control reports to its backend, each of
// which repaints it there.
class TRepaintCounter : public TControlPeer {
public:
  void Changed(TControl &, TProperty) override { ++Repaints; }
  int Repaints = 0;
};

class ControlKitTest : public ::testing::Test {
protected:
  void TearDown() override { InstallScreenPalettes(nullptr, {}); }
  TCalls PaintCalls(TControl &control) {
    TRecordingCanvas canvas;
    control.Paint(canvas);
    return canvas.Calls;
  }
  THeadlessApplication app;
  TForm form{app, nullptr, "KitForm"};
};

// A 120 x 40 button at (10, 20) with 5 % shadow offsets: 6 and 2 pixels.
TBaseBtn &ShadowedButton(TForm &form, const std::string &name) {
  auto &button = form.Create<TBaseBtn>(name);
  button.SetParent(&form);
  button.SetBounds(10, 20, 120, 40);
  button.ShadowXOffset = 0.05;
  button.ShadowYOffset = 0.05;
  button.CaptionXRound = 10;
  button.CaptionYRound = 8;
  button.SetCaption("OK");
  button.GlyphUp.SetPicture(Solid(4, 4), "Up");
  return button;
}

TEST_F(ControlKitTest, ButtonPaintsUpPressedAndLatchedStates) {
  TBaseBtn &button = ShadowedButton(form, "OkBtn");
  EXPECT_EQ(PaintCalls(button), (TCalls{"RoundRect 16,22,112,42 10x8 pen #808080 brush #808080",
                                        "RoundRect 10,20,106,40 10x8 pen #000000 brush #FFFFFF",
                                        "Draw 10,20 Up",
                                        "TextAt 10,20 [MS Sans Serif 8 #000000] OK"}));

  // Pressed: no shadow; face, the down glyph and the caption on the shadow's place.
  button.GlyphDown.SetPicture(Solid(4, 4), "Down");
  button.MouseDown(TMouseButton::mbLeft, 3, 3);
  EXPECT_EQ(PaintCalls(button), (TCalls{"RoundRect 16,22,112,42 10x8 pen #000000 brush #FFFFFF",
                                        "Draw 16,22 Down",
                                        "TextAt 16,22 [MS Sans Serif 8 #000000] OK"}));
  button.MouseUp(TMouseButton::mbLeft, 3, 3);

  // Latched down, GlyphUpIsGlyphDown with no down glyph: the up glyph
  // shifted, stretched into its rectangle (0.2 x 0.8 by default), with the
  // caption's outline copy one pixel up and left.
  button.GlyphDown.Clear();
  button.GlyphUpIsGlyphDown = true;
  button.GlyphStretched = true;
  button.GlyphXOffset = 0.1;
  button.ButtonIsDown = true;
  button.CaptionPenVisible = true;
  button.CaptionPenColor = 0xFFFFFF;
  EXPECT_EQ(PaintCalls(button), (TCalls{"RoundRect 16,22,112,42 10x8 pen #000000 brush #FFFFFF",
                                        "StretchDraw 28,22,52,54 Up",
                                        "TextAt 15,21 [MS Sans Serif 8 #FFFFFF] OK",
                                        "TextAt 16,22 [MS Sans Serif 8 #000000] OK"}));

  // Latched without GlyphUpIsGlyphDown while GlyphDown is empty: no glyph.
  button.GlyphUpIsGlyphDown = false;
  button.CaptionPenVisible = false;
  EXPECT_EQ(PaintCalls(button), (TCalls{"RoundRect 16,22,112,42 10x8 pen #000000 brush #FFFFFF",
                                        "TextAt 16,22 [MS Sans Serif 8 #000000] OK"}));
}

TEST_F(ControlKitTest, ButtonPaintsDisabledAndFacelessStates) {
  TBaseBtn &button = ShadowedButton(form, "OkBtn");
  button.GlyphDisabled.SetPicture(Solid(6, 6), "Grey");
  button.GlyphCentered = true;
  button.ButtonIsDown = true;
  button.SetEnabled(false);
  // Disabled and latched: unshifted face and centred disabled glyph, grey
  // caption still on the shifted place.
  EXPECT_EQ(PaintCalls(button), (TCalls{"RoundRect 10,20,106,40 10x8 pen #000000 brush #FFFFFF",
                                        "Draw 67,37 Grey",
                                        "TextAt 16,22 [MS Sans Serif 8 #808080] OK"}));

  button.SetEnabled(true);
  button.ButtonIsDown = false;
  button.FaceVisible = false;
  // Face-less and plain: glyph and caption only, no frame.
  EXPECT_EQ(PaintCalls(button),
            (TCalls{"Draw 68,38 Up", "TextAt 10,20 [MS Sans Serif 8 #000000] OK"}));
  // Face-less and hot: a raised frame, white at the top and left.
  button.ButtonIsHot = true;
  EXPECT_EQ(PaintCalls(button),
            (TCalls{"Draw 68,38 Up", "Line 129,20-10,20 #FFFFFF", "Line 10,20-10,59 #FFFFFF",
                    "Line 10,59-129,59 #808080", "Line 129,59-129,20 #808080",
                    "TextAt 10,20 [MS Sans Serif 8 #000000] OK"}));
  // Face-less and pressed: the up glyph shifted by the shadow offsets (there
  // is no down glyph) and a sunken frame, grey at the top and left.
  button.GlyphUpIsGlyphDown = true;
  button.MouseDown(TMouseButton::mbLeft, 1, 1);
  EXPECT_EQ(PaintCalls(button),
            (TCalls{"Draw 74,40 Up", "Line 129,20-10,20 #808080", "Line 10,20-10,59 #808080",
                    "Line 10,59-129,59 #FFFFFF", "Line 129,59-129,20 #FFFFFF",
                    "TextAt 16,22 [MS Sans Serif 8 #000000] OK"}));
}

TEST_F(ControlKitTest, CentredCaptionIsMeasuredAndFollowsThePress) {
  TBaseBtn &button = ShadowedButton(form, "OkBtn");
  button.FaceVisible = false;
  button.GlyphUp.Clear();
  button.CaptionXOffset = 0.9; // ignored while centred
  button.CaptionCentered = true;
  // "OK" measures 8 x 12 on the recording canvas: (120 - 8) / 2, (40 - 12) / 2.
  EXPECT_EQ(PaintCalls(button), (TCalls{"TextAt 66,34 [MS Sans Serif 8 #000000] OK"}));
  button.SetCaption("Cancel");
  button.MouseDown(TMouseButton::mbLeft, 1, 1);
  const TCalls pressed = PaintCalls(button);
  EXPECT_EQ(pressed.back(), "TextAt 64,36 [MS Sans Serif 8 #000000] Cancel");
}

TEST_F(ControlKitTest, ButtonRepaintsOnlyOnChangeAndLooksPressedDuringItsClick) {
  TBaseBtn &button = ShadowedButton(form, "OkBtn");
  EXPECT_EQ(button.Bounds().Width, 120);
  auto peer = std::make_unique<TRepaintCounter>();
  TRepaintCounter &counter = *peer;
  button.AttachPeer(std::move(peer));
  button.FaceWidth = 0.8; // the default: nothing to repaint
  button.ButtonIsHot = false;
  EXPECT_EQ(counter.Repaints, 0);
  button.FaceWidth = 0.7;
  button.SetCaption("Go");
  button.GlyphUp.SetPicture(Solid(4, 4), "Up"); // pictures repaint even when the same
  EXPECT_EQ(counter.Repaints, 3);

  form.Show();
  bool pressedInClick = false;
  button.OnClick = [&](TComponent &) { pressedInClick = button.Pressed(); };
  TMouseRouter router;
  router.Down(form, TMouseButton::mbLeft, 20, 30);
  router.Up(form, TMouseButton::mbLeft, 21, 31);
  EXPECT_TRUE(pressedInClick);
  EXPECT_FALSE(button.Pressed());
  // Released elsewhere: no click, and the button comes up.
  pressedInClick = false;
  router.Down(form, TMouseButton::mbLeft, 20, 30);
  router.Up(form, TMouseButton::mbLeft, 300, 300);
  EXPECT_FALSE(pressedInClick);
  EXPECT_FALSE(button.Pressed());
}

TEST_F(ControlKitTest, MouseMovingFromButtonToButtonRaisesOutThenIn) {
  form.SetBounds(0, 0, 400, 200);
  auto &first = form.Create<TBaseBtn>("FirstBtn");
  first.SetParent(&form);
  first.SetBounds(0, 0, 100, 40);
  auto &second = form.Create<TBaseBtn>("SecondBtn");
  second.SetParent(&form);
  second.SetBounds(100, 0, 100, 40);
  form.Show();
  std::vector<std::string> events;
  for (TBaseBtn *b : {&first, &second}) {
    b->OnMouseIn = [&](TComponent &c) { events.push_back("in " + c.Name()); };
    b->OnMouseOut = [&](TComponent &c) { events.push_back("out " + c.Name()); };
  }
  TMouseRouter router;
  router.Move(form, 50, 10);
  router.Move(form, 60, 10); // still on the first: nothing new
  router.Move(form, 150, 10);
  router.Move(form, 150, 100); // onto the form itself
  EXPECT_EQ(events, (std::vector<std::string>{"in FirstBtn", "out FirstBtn", "in SecondBtn",
                                              "out SecondBtn"}));
  // The hand over a button, the window's own cursor elsewhere; the cursor
  // numbers name the hand cursors of the program's resources.
  EXPECT_EQ(router.CursorAt(form, 150, 10), crHandCursor);
  EXPECT_EQ(router.CursorAt(form, 150, 100), crDefault);
  EXPECT_EQ(CursorResourceName(crHandCursor), "HandCursor");
  EXPECT_EQ(CursorResourceName(crHandNoFingersCursor), "HandNoFingersCursor");

  // A button destroyed by its own mouse-in handler is forgotten, not called again.
  first.OnMouseIn = [&](TComponent &c) { delete &c; };
  router.Move(form, 10, 10);
  router.Move(form, 150, 10);
  EXPECT_EQ(router.Hovered(), &second);
}

TEST_F(ControlKitTest, ColorGaugePaintsItsShareOfTheRangeAndItsPercentage) {
  auto &gauge = form.Create<TColorGauge>("RiskGauge");
  gauge.SetParent(&form);
  gauge.SetBounds(10, 20, 102, 12);
  gauge.ForeColor = 0x0000FF;
  gauge.BackColor = 0x00FF00;
  gauge.ShowText = true;
  gauge.SetRange(20, 70, 45); // half the range: 50 of the 100 inner pixels
  EXPECT_EQ(PaintCalls(gauge),
            (TCalls{"Rectangle 10,20,112,32 pen #808080 brush #00FF00",
                    "FillRect 11,21,61,31 #0000FF",
                    "TextAt 55,20 [MS Sans Serif 8 #000000] 50%"}));
  // Without a frame the bar uses the whole rectangle; an empty range shows none.
  gauge.Border = false;
  gauge.ShowText = false;
  gauge.SetRange(0, 100, 100);
  EXPECT_EQ(PaintCalls(gauge), (TCalls{"FillRect 10,20,112,32 #00FF00", "FillRect 10,20,112,32 #0000FF"}));
  gauge.SetRange(0, 3, 2);
  EXPECT_EQ(gauge.PercentDone(), 66); // two thirds, truncated
  gauge.SetRange(5, 5, 5);
  EXPECT_EQ(gauge.PercentDone(), 0);
  EXPECT_EQ(PaintCalls(gauge), (TCalls{"FillRect 10,20,112,32 #00FF00"}));
}

TEST_F(ControlKitTest, PathLabelLosesItsMiddleFoldersWhenTooWide) {
  auto &label = form.Create<TLabel>("SummaryProgramGroupLbl");
  label.SetParent(&form);
  label.PathEllipsis = true;
  auto shown = [&](const std::string &caption, int chars) { // 4 pixels a character
    label.SetBounds(0, 0, 4 * chars, 16);
    label.SetCaption(caption);
    TCalls calls = PaintCalls(label);
    return calls.empty() ? std::string() : calls.back().substr(calls.back().find("] ") + 2);
  };
  const std::string group = "C:\\ProgramData\\Start Menu\\Programs\\Veltrin\\Movaro\\";
  EXPECT_EQ(shown(group, 60), group);
  EXPECT_EQ(shown(group, 26), "C:\\...\\Veltrin\\Movaro\\");
  EXPECT_EQ(shown(group, 14), "C:\\...\\Movaro\\");
  EXPECT_EQ(shown(group, 13), "...in\\Movaro\\"); // not even the last folder beside the drive
}

TEST_F(ControlKitTest, LabelShowsItsAccessKeyUnderlinedAndADoubledAmpersandOnce) {
  auto &label = form.Create<TLabel>("ViewLbl");
  label.SetParent(&form);
  label.SetBounds(0, 0, 80, 16);
  label.SetCaption("Tom && &Jerry:");
  TCalls calls = PaintCalls(label);
  ASSERT_GE(calls.size(), 2u);
  EXPECT_NE(calls[calls.size() - 2].find("] Tom & Jerry:"), std::string::npos) << calls[calls.size() - 2];
  EXPECT_EQ(calls.back(), "Line 24,11-28,11 #000000"); // under the J, at the text's foot
  label.SetCaption("Salt &");
  EXPECT_NE(PaintCalls(label).back().find("] Salt &"), std::string::npos); // a last "&" is shown
}

TEST_F(ControlKitTest, BackgroundTilesCentresAndStretchesUnderItsRectangle) {
  auto &bk = form.Create<TBkControl>("BkCtrl");
  EXPECT_EQ(bk.Bounds().Width, 100);
  bk.SetBounds(0, 0, 50, 30);
  TBackground settings;
  settings.Image.SetPicture(Solid(20, 16), "Tile");
  settings.SetBrush({0, TBrushStyle::bsClear});
  settings.SetPen({0, 0, TPenStyle::psClear});
  bk.SetBackground(settings);
  // Column by column, top to bottom, until the control's edge.
  EXPECT_EQ(PaintCalls(bk), (TCalls{"Draw 0,0 Tile", "Draw 0,16 Tile", "Draw 20,0 Tile",
                                    "Draw 20,16 Tile", "Draw 40,0 Tile", "Draw 40,16 Tile",
                                    "Rectangle 0,0,50,30 pen #000000 brush clear"}));

  // A larger picture centred shows its middle; a stretched one leaves the
  // last column and row to the rectangle.
  std::vector<std::string> changes;
  bk.Background().OnChange = [&](TBackground &) { changes.push_back("change"); };
  bk.Background().Image.SetPicture(Solid(80, 40), "Big");
  bk.Background().SetImageDrawStyle(idsCenter);
  EXPECT_EQ(PaintCalls(bk).front(), "Draw -15,-5 Big");
  bk.Background().SetImageDrawStyle(idsStretch);
  EXPECT_EQ(PaintCalls(bk).front(), "StretchDraw 0,0,49,29 Big");
  bk.Background().SetImageDrawStyle(idsStretch);
  EXPECT_EQ(changes.size(), 2u); // OnChange only when the style changes

  // Assign copies the contents: the copy keeps them when the source changes.
  TBackground copy;
  copy.Assign(bk.Background());
  bk.Background().Image.Clear();
  EXPECT_EQ(copy.Image.Name(), "Big");
  EXPECT_EQ(copy.ImageDrawStyle(), idsStretch);
  EXPECT_EQ(copy.Brush().Style, TBrushStyle::bsClear);

  // No picture, or one with a side of 0 pixels (which could never be
  // tiled): only the rectangle, and no palette is selected for it.
  bk.Background().SetBrush({0xFFFFFF, TBrushStyle::bsSolid});
  THeadlessScreen screen;
  screen.Bits = 8;
  int palette = 0;
  InstallScreenPalettes(&screen, {&palette, &palette});
  EXPECT_EQ(PaintCalls(bk), (TCalls{"Rectangle 0,0,50,30 pen #000000 brush #FFFFFF"}));
  bk.Background().Image.SetPicture(Solid(0, 16), "Flat");
  bk.Background().SetImageDrawStyle(idsAlongside);
  EXPECT_EQ(PaintCalls(bk), (TCalls{"Rectangle 0,0,50,30 pen #000000 brush #FFFFFF"}));
}

TEST_F(ControlKitTest, PaintingSelectsThePaletteOfTheScreenDepth) {
  THeadlessScreen screen;
  int palette16 = 0, palette256 = 0;
  InstallScreenPalettes(&screen, {&palette16, &palette256});
  screen.Bits = 4;
  EXPECT_EQ(ScreenPalette(), &palette16);
  screen.Bits = 8;
  EXPECT_EQ(ScreenPalette(), &palette256);
  auto &button = form.Create<TBaseBtn>("PalBtn");
  EXPECT_EQ(button.Palette(), &palette256);
  TCalls calls = PaintCalls(button);
  EXPECT_EQ(calls.front(), "SelectPalette");
  EXPECT_EQ(calls.back(), "SelectPalette default"); // the previous one back
  screen.Bits = 24;
  EXPECT_EQ(ScreenPalette(), nullptr);
  EXPECT_NE(PaintCalls(button).front(), "SelectPalette");
}

TEST_F(ControlKitTest, BackgroundPaintDoesNotReenter) {
  // A canvas whose drawing makes the control paint again (as a message
  // pumped during a paint could): the nested paint draws nothing.
  struct TReenteringCanvas : TRecordingCanvas {
    TBkControl *Control = nullptr;
    void Draw(int x, int y, const TCanvasBitmap &b) override {
      TRecordingCanvas::Draw(x, y, b);
      Control->Paint(*this);
    }
  } canvas;
  auto &bk = form.Create<TBkControl>("BkCtrl");
  bk.SetBounds(0, 0, 10, 10);
  bk.Background().Image.SetPicture(Solid(10, 10), "Once");
  canvas.Control = &bk;
  bk.Paint(canvas);
  EXPECT_EQ(canvas.Calls, (TCalls{"Draw 0,0 Once", "Rectangle 0,0,10,10 pen #000000 brush #FFFFFF"}));
}

class SpinnerTest : public ControlKitTest {
protected:
  TSpinner &MakeSpinner() {
    auto &spin = form.Create<TSpinner>("ShortBreakEdit");
    spin.SetParent(&form);
    form.Show();
    spin.MinValue = 30;
    spin.MaxValue = 300;
    return spin;
  }
};

TEST_F(SpinnerTest, LeavingTheBoxClampsAndRewritesText) {
  TSpinner &spin = MakeSpinner();
  EXPECT_EQ(spin.Text(), "0");
  spin.SetText("");
  spin.Type("500");
  EXPECT_EQ(spin.Value(), 500); // not clamped while typing
  spin.FocusLeft();
  EXPECT_EQ(spin.Text(), "300");
  spin.SetText("5");
  spin.FocusLeft();
  EXPECT_EQ(spin.Text(), "30");
  // Pasted letters read as MinValue until the box is left, which brings the
  // last valid value back, not MinValue.
  spin.SetValue(120);
  spin.SetText("");
  EXPECT_TRUE(spin.Paste("abc"));
  EXPECT_EQ(spin.Value(), 30);
  EXPECT_FALSE(spin.HoldsValidValue());
  EXPECT_EQ(spin.Text(), "abc");
  spin.FocusLeft();
  EXPECT_EQ(spin.Text(), "120");
  // Equal limits never clamp.
  spin.MinValue = spin.MaxValue = 0;
  spin.SetValue(-7000);
  spin.FocusLeft();
  EXPECT_EQ(spin.Text(), "-7000");
}

TEST_F(SpinnerTest, FiltersCharactersByLocaleAndEditorState) {
  TSpinner &spin = MakeSpinner();
  app.Separator = ',';
  spin.SetText("");
  EXPECT_FALSE(spin.Type("1a2\r,.-+\b"));
  EXPECT_EQ(spin.Text(), "12,-"); // letter, Enter and the foreign separator dropped
  EXPECT_EQ(app.Beeps, 3);
  EXPECT_TRUE(spin.KeyPress(3)); // the edit's own control characters pass (copy)
  EXPECT_FALSE(spin.KeyPress('\t'));
  EXPECT_FALSE(spin.KeyPress(27));
  spin.EditorEnabled = false;
  EXPECT_FALSE(spin.KeyPress('5'));
  EXPECT_FALSE(spin.KeyPress(8)); // no Backspace either
  for (char key : {1, 3, 22, 24, 26}) // select all, copy, paste, cut, undo
    EXPECT_TRUE(spin.KeyPress(key)) << int(key);
  for (char key : {2, 4, 21, 23, 25})
    EXPECT_FALSE(spin.KeyPress(key)) << int(key);
  EXPECT_FALSE(spin.Paste("7"));
  EXPECT_EQ(spin.Text(), "12,-");
}

TEST_F(SpinnerTest, ArrowsAndKeysStepRepeatAndBeepWhenReadOnly) {
  TSpinner &spin = MakeSpinner();
  spin.SetValue(60);
  int changes = 0;
  spin.OnChange = [&](TComponent &) { ++changes; };
  spin.Increment = 5;
  spin.KeyDown(kKeyUp);
  EXPECT_EQ(spin.Value(), 65);
  spin.KeyDown(kKeyDown);
  EXPECT_EQ(changes, 2);
  // Held: one step at once, the first repeat after 400 ms, then every 100 ms.
  spin.ArrowPress(true);
  EXPECT_EQ(spin.Value(), 65);
  app.AdvanceTime(399);
  EXPECT_EQ(spin.Value(), 65);
  app.AdvanceTime(1);
  EXPECT_EQ(spin.Value(), 70);
  app.AdvanceTime(300);
  EXPECT_EQ(spin.Value(), 85);
  spin.ArrowRelease();
  app.AdvanceTime(1000);
  EXPECT_EQ(spin.Value(), 85);
  spin.ArrowPress(false);
  spin.ArrowRelease();
  EXPECT_EQ(spin.Value(), 80);
  // Read-only: arrows and keys only beep.
  spin.ReadOnly = true;
  spin.ArrowPress(true);
  spin.ArrowRelease();
  spin.KeyDown(kKeyDown);
  EXPECT_EQ(spin.Value(), 80);
  EXPECT_EQ(app.Beeps, 2);
  EXPECT_FALSE(spin.Paste("1"));
  // The arrows sit at the right edge; the text stops short of them.
  EXPECT_EQ(TSpinner::ArrowsBounds(121, 24), (TRect{106, 0, 15, 24}));
  EXPECT_EQ(TSpinner::FormattingRect(117, 20).Right, 100);
}

} // namespace

// Four days: bars on the left axis (10 at its top), a line on the right
// one (100 at its top). The plot is 100 x 100 at (34, 34): 25 a slot.
TEST_F(ControlKitTest, ChartDrawsBarsAndItsLineWithGapsAndSelectsDaysByKeyAndMouse) {
  auto &chart = form.Create<GChart>("HistoryChart");
  chart.SetParent(&form);
  chart.SetBounds(0, 0, 168, 150);
  chart.SetHint("Your days|Arrow keys choose a day");
  constexpr uint32_t kBars = 0x0000AA, kLine = 0x00BB00;
  TChartData data;
  data.SlotLabels = {"d1", "d2", "d3", "d4"};
  data.SlotDescriptions = {"first", "second", "third", "fourth"};
  data.Series = {{"Worked", TChartSeriesKind::skBars, kBars, false, {5, kChartGap, 0, 10}},
                 {"Risk", TChartSeriesKind::skLine, kLine, true, {50, 60, kChartGap, 80}}};
  data.Left = {"Hours", 10, 2};
  data.Right = {"%", 100, 4};
  chart.SetData(data);
  auto drawnIn = [&](uint32_t colour) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%06X", colour);
    TCalls calls;
    for (const std::string &call : PaintCalls(chart))
      if (call.size() > 7 && call.compare(call.size() - 7, 7, hex) == 0)
        calls.push_back(call);
    return calls;
  };
  // The legend's swatch, then a bar a day but the second's (a gap); a day
  // of 0 is a bar a pixel high.
  EXPECT_EQ(drawnIn(kBars), (TCalls{"FillRect 35,84,58,134 #0000AA", "FillRect 85,133,108,134 #0000AA",
                                    "FillRect 110,34,133,134 #0000AA", "FillRect 0,2,10,12 #0000AA"}));
  // The line joins the first two days only; the last, after a gap, is a dot.
  EXPECT_EQ(drawnIn(kLine), (TCalls{"FillRect 45,83,48,86 #00BB00", "Line 46,84-71,74 #00BB00",
                                    "FillRect 70,73,73,76 #00BB00", "FillRect 120,53,123,56 #00BB00",
                                    "Line 52,7-64,7 #00BB00"}));
  TRecordingCanvas canvas;
  chart.Paint(canvas);
  // Tick labels beside the axes' ends, the day labels under their days,
  // the axis title above its ticks, its 12 rows ending 4 above the plot.
  for (const char *call : {"TextAt 23,28 [MS Sans Serif 8 #000000] 10",
                           "TextAt 138,128 [MS Sans Serif 8 #000000] 0",
                           "TextAt 117,136 [MS Sans Serif 8 #000000] d4",
                           "TextAt 0,18 [MS Sans Serif 8 #000000] Hours"})
    EXPECT_NE(std::find(canvas.Calls.begin(), canvas.Calls.end(), call), canvas.Calls.end()) << call;

  // The keys: from no day Left takes the last; the ends hold; an arrow up
  // is not the chart's. The selected day is marked and read out.
  int selections = 0;
  chart.OnSelect = [&](TComponent &) { ++selections; };
  EXPECT_EQ(chart.Selected(), -1);
  EXPECT_TRUE(chart.KeyDown(kKeyLeft));
  EXPECT_EQ(chart.SelectedDescription(), "fourth");
  EXPECT_TRUE(chart.KeyDown(kKeyRight));
  EXPECT_TRUE(chart.KeyDown(kKeyLeft));
  EXPECT_EQ(chart.Selected(), 2);
  EXPECT_TRUE(chart.KeyDown(kKeyHome));
  EXPECT_TRUE(chart.KeyDown(kKeyLeft));
  EXPECT_EQ(chart.Selected(), 0);
  EXPECT_FALSE(chart.KeyDown(kKeyUp));
  EXPECT_EQ(selections, 3);
  const TCalls marked = drawnIn(chart.SelectionColor);
  EXPECT_EQ(marked, (TCalls{"FillRect 34,34,59,134 #F0E0C8"}));
  // A press on the third day selects it and takes the focus.
  chart.MouseDown(TMouseButton::mbLeft, 90, 60);
  EXPECT_EQ(chart.Selected(), 2);
  EXPECT_TRUE(chart.Focused());
  EXPECT_TRUE(TakesFocus(chart));
  const std::vector<TAccessibleElement> elements = AccessibleChildren(form);
  ASSERT_EQ(elements.size(), 1u);
  EXPECT_EQ(elements[0].Name, "Your days");
  EXPECT_EQ(elements[0].Role, TAccessibleRole::Chart);
  EXPECT_EQ(elements[0].Value, "third");
  // Fewer days keep the selection within them.
  data.SlotLabels.resize(2);
  chart.SetData(data);
  EXPECT_EQ(chart.SelectedDescription(), "second");
}
