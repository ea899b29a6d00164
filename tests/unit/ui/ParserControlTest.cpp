// The markup text control laid out and painted headless. Font size 10 on the
// recording canvas: a character is 6 pixels wide (7 in bold), a line 15 high.
#include "authoring/ArchiveWriter.h"
#include "data/archive/ContentContainer.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessScreen.h"
#include "support/BitmapFile.h"
#include "support/ScratchFolder.h"
#include "ui/markup/ParserControl.h"

#include <gtest/gtest.h>

namespace {

class ParserControlTest : public ::testing::Test {
protected:
  void SetUp() override {
    parent.SetBounds(0, 0, 300, 200);
    TFont font;
    font.Size = 10;
    control.SetFont(font);
    control.HyperLinkFont = font;
    control.HyperLinkFont.Color = 0xFF0000;
    control.SetParent(&parent);
    control.SetBounds(0, 0, 300, 100); // as wide as the parent, as after a first text
  }

  // Paints and returns what was drawn, text as "x,y text" (+ b: bold, + l: link colour).
  std::vector<std::string> PaintText() {
    TRecordingCanvas canvas;
    control.Paint(canvas);
    std::vector<std::string> out;
    for (const std::string &call : canvas.Calls) {
      if (call.rfind("TextAt ", 0) != 0)
        continue;
      size_t space = call.find(' ', 7), close = call.find("] ");
      std::string line = call.substr(7, space - 7) + " " + call.substr(close + 2);
      if (call.find(" bold") < close)
        line += " +b";
      if (call.find("#FF0000") < close)
        line += " +l";
      out.push_back(line);
    }
    last = canvas.Calls;
    return out;
  }

  // Builds movaro.dat with the named fixture pictures and points the control at it.
  void UseContainer(const std::vector<std::pair<std::string, std::string>> &members) {
    std::vector<std::pair<std::string, std::string>> bytes;
    for (const auto &[name, fixture] : members)
      bytes.push_back({name, TScratchFolder::ReadFile(std::string(MOVARO_PICTURES) + "/" + fixture)});
    UseContainerOf(bytes);
  }
  // The same with the members' bytes.
  void UseContainerOf(const std::vector<std::pair<std::string, std::string>> &members) {
    TArchiveWriter writer(files);
    ASSERT_TRUE(writer.Open(scratch.Path("movaro.dat")));
    for (const auto &[name, bytes] : members)
      ASSERT_TRUE(writer.AddMember(name, 862411107, bytes));
    ASSERT_TRUE(writer.Finish());
    directory = LoadContentDirectory(files, scratch.Path("movaro.dat"));
    control.Pictures = TPictureSource{&files, scratch.Path(), scratch.Path("movaro.dat"), &directory, {}};
  }

  TScratchFolder scratch;
  THeadlessFileSystem files;
  std::optional<TArchiveDirectory> directory;
  THeadlessScreen screen;
  TPanel parent{nullptr, "InfoPnl"};
  GParserControl control{nullptr, "InfoText", screen};
  std::vector<std::string> last;
};

TEST_F(ParserControlTest, StylesCountAndWordsSitSideBySide) {
  control.SetText("a<B>b</B>c x</B>y <I>i</I>");
  EXPECT_EQ(PaintText(), (std::vector<std::string>{"2,0 a", "8,0 b +b", "15,0 c ", "27,0 x",
                                                   "33,0 y  +b", "47,0 i +b"}));
  EXPECT_NE(last.back().find("italic"), std::string::npos);
}

TEST_F(ParserControlTest, WrapsPastNinetyFivePercentOfTheWidth) {
  control.SetBounds(0, 0, 200, 0);
  control.SetParent(nullptr); // keeps its width of 200
  control.SetText((std::string(29, 'x') + "<B>yy").c_str()); // y ends at 2 + 174 + 14 = 190
  EXPECT_EQ(PaintText().back(), "176,0 yy +b");
  control.SetText((std::string(28, 'x') + "<B>yyy").c_str()); // would end at 191
  EXPECT_EQ(PaintText().back(), "2,15 yyy +b");
  // A word wider than a line gets a line of its own and runs past the edge.
  control.SetText(("a " + std::string(40, 'w') + " b").c_str());
  EXPECT_EQ(PaintText(), (std::vector<std::string>{"2,0 a ", "2,15 " + std::string(40, 'w') + " ", "2,30 b"}));
  EXPECT_EQ(control.YMax(), 30 + 2 * 15);
  EXPECT_EQ(control.Bounds().Height, 60);
}

TEST_F(ParserControlTest, AWrappedHyperlinkGivesOneAreaPerLine) {
  control.SetParent(nullptr);
  control.SetBounds(0, 0, 100, 0);
  std::vector<std::string> clicked;
  // Bold set inside the link ends with the line and is not taken past it
  // (the word keeps the width it was measured with before the wrap).
  control.SetText("<A HREF=page2>aaaa bbbb cccc <B>dddd</A> e");
  EXPECT_EQ(PaintText(), (std::vector<std::string>{"2,0 aaaa  +l", "32,0 bbbb  +l", "62,0 cccc  +l",
                                                   "2,15 dddd +l", "30,15  ", "36,15 e"}));
  ASSERT_EQ(control.HyperLinks().Count(), 2);
  auto *first = static_cast<THyperLinkArea *>(control.HyperLinks().GetItem(1));
  auto *second = static_cast<THyperLinkArea *>(control.HyperLinks().GetItem(2));
  EXPECT_EQ(std::vector<int>({first->Left, first->Top, first->Right, first->Bottom}),
            std::vector<int>({2, 0, 92, 15}));
  EXPECT_EQ(std::vector<int>({second->Left, second->Top, second->Right, second->Bottom}),
            std::vector<int>({2, 15, 30, 30}));
  EXPECT_EQ(second->HRef, "PAGE2");

  control.MouseMove(10, 5);
  EXPECT_EQ(control.Cursor(), crDefault); // nobody listens
  control.OnHyperLinkClick = [&](TComponent &, const std::string &href) { clicked.push_back(href); };
  control.MouseMove(10, 20);
  EXPECT_EQ(control.Cursor(), crHandCursor);
  control.MouseMove(30, 20); // the right edge is outside
  EXPECT_EQ(control.Cursor(), crHandNoFingersCursor);
  control.MouseUp(TMouseButton::mbLeft, 91, 14);
  control.MouseUp(TMouseButton::mbRight, 50, 50);
  EXPECT_EQ(clicked, std::vector<std::string>{"PAGE2"});
}

TEST_F(ParserControlTest, PicturesFollowTheSizeRulesAndDecideTheLineAdvance) {
  UseContainer({{"wide", "wide.bmp"}, {"quad", "quad.png"}});
  control.SetText("<IMG NAME=tiny WIDTH=5 HEIGHT=10>x\r\nnext\r\n"
                  "<img name=WIDE width=100><IMG NAME=wide><IMG NAME=wide HEIGHT=25 ALIGN=RIGHT>"
                  "<IMG NAME=gone WIDTH=40><IMG NAME=quad WIDTH=5><IMG NAME=quad WIDTH=7>"
                  "<IMG NAME=quad ALIGN=CENTER><IMG NAME=quad ALIGN=MIDDLE>z");
  auto text = PaintText();
  EXPECT_EQ(text[1], "2,10 next"); // the 10-pixel picture line advanced by 10
  std::vector<std::string> pictures;
  for (const std::string &call : last)
    if (call.rfind("StretchDraw", 0) == 0 || call.rfind("Rectangle", 0) == 0)
      pictures.push_back(call.substr(0, call.find(" pen") == std::string::npos ? std::string::npos
                                                                                : call.find(" pen")));
  EXPECT_EQ(pictures, (std::vector<std::string>{
                          "Rectangle 0,0,300,200",      // the control's fill
                          "Rectangle 2,0,7,10",         // missing: a frame
                          "StretchDraw 2,25,102,50 WIDE", // 200 x 50 at width 100
                          "StretchDraw 102,25,302,75 WIDE",
                          // Past the edge the (empty) word before the next tag wraps:
                          // right-aligned on the next line, 100 x 25.
                          "StretchDraw 200,75,300,100 WIDE",
                          "Rectangle 102,75,142,115",    // missing with WIDTH=40: 40 x 40
                          "StretchDraw 142,75,147,77 QUAD", // 2.5 rounds to 2
                          "StretchDraw 147,75,154,79 QUAD", // 3.5 rounds to 4
                          "StretchDraw 130,75,170,95 QUAD", // centred in 300
                      }));
  EXPECT_EQ(text.back(), "234,75 z"); // the unknown alignment drew nothing but moved on
  EXPECT_TRUE(files.DirectoryExists(scratch.Path("T"))); // extracted there ...
  EXPECT_TRUE(files.ListFiles(scratch.Path("T")).empty()); // ... and deleted after decoding
  EXPECT_EQ(control.GetPicture("Wide"), control.GetPicture("WIDE"));
}

TEST_F(ParserControlTest, AScaledPictureRoundsItsExactHalvesToEven) {
  UseContainerOf({{"tall", BitmapFile(6, 7, 0)}, {"taller", BitmapFile(7, 10, 0)}});
  control.SetParent(nullptr);
  // 7 / 6 x 105 is 122.5 and 7 / 10 x 45 is 31.5.
  control.SetText("<IMG NAME=tall WIDTH=105>x\r\n<IMG NAME=taller HEIGHT=45>");
  PaintText();
  std::vector<std::string> drawn;
  for (const std::string &call : last)
    if (call.rfind("StretchDraw", 0) == 0)
      drawn.push_back(call.substr(0, call.rfind(' ')));
  EXPECT_EQ(drawn, (std::vector<std::string>{"StretchDraw 2,0,107,122", "StretchDraw 2,122,34,167"}));
}

TEST_F(ParserControlTest, GetPictureUsesALeftoverTemporaryFileAndPlainFiles) {
  UseContainer({{"quad", "quad.png"}});
  files.ForceDirectories(scratch.Path("T"));
  TScratchFolder::WriteFile(scratch.Path("T/QUAD"), // as a name in the text is written
                            TScratchFolder::ReadFile(std::string(MOVARO_PICTURES) + "/wide.bmp"));
  const TPicture *left = control.GetPicture("QUAD");
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(left->Width, 200); // the leftover was used as it is, then deleted
  EXPECT_FALSE(files.FileExists(scratch.Path("T/QUAD")));
  const TPicture *file = control.GetPicture(std::string(MOVARO_PICTURES) + "/quad.gif");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Width, 40);
  EXPECT_TRUE(files.FileExists(std::string(MOVARO_PICTURES) + "/quad.gif"));
  EXPECT_EQ(control.GetPicture("nowhere"), nullptr);
  control.SetText("x"); // a new text empties the cache
  EXPECT_EQ(control.GetPicture("QUAD")->Width, 40);
}

TEST_F(ParserControlTest, InputFieldsAreRealControlsReusedByName) {
  std::vector<std::string> reports;
  control.OnHyperLinkClick = [&](TComponent &, const std::string &href) { reports.push_back(href); };
  int textClicks = 0;
  control.OnClick = [&](TComponent &sender) { textClicks += &sender != &control; };
  control.SetText("<INPUT TYPE=TEXT NAME=age VALUE=Twelve SIZE=4>a <INPUT TYPE=RADIO NAME=q1 VALUE=yes>"
                  "<INPUT TYPE=RADIO NAME=q2 VALUE=no><INPUT type=checkbox name=Q1 value=x>"
                  "<INPUT TYPE=CHECKBOX NAME=more VALUE=m>\r\n<INPUT TYPE=RADIO NAME=Q1 VALUE=yes>"
                  "<INPUT TYPE=PUSH NAME=p><INPUT TYPE=TEXT>b");
  auto *age = dynamic_cast<TEdit *>(control.InputControl("AGE"));
  auto *q1 = dynamic_cast<TRadioButton *>(control.InputControl("Q1"));
  auto *q2 = dynamic_cast<TRadioButton *>(control.InputControl("Q2"));
  auto *more = dynamic_cast<TCheckBox *>(control.InputControl("MORE"));
  ASSERT_TRUE(age && q1 && q2 && more);
  EXPECT_EQ(age->Text(), "twelve");
  EXPECT_EQ(age->Bounds(), (TRect{2, 0, 60, 15}));
  EXPECT_EQ(age->Parent(), &parent);
  EXPECT_EQ(q1->Bounds(), (TRect{2, 15, 15, 15})); // the later position; the check box was skipped
  EXPECT_EQ(q2->Bounds(), (TRect{89, 0, 15, 15}));
  EXPECT_EQ(more->Bounds(), (TRect{104, 0, 15, 15}));
  EXPECT_EQ(PaintText(), (std::vector<std::string>{"62,0 a ", "17,15 b"}));
  EXPECT_EQ(parent.Controls().size(), 5u);

  EXPECT_TRUE(q1->Click());
  EXPECT_TRUE(q2->Click());
  EXPECT_FALSE(q1->Checked()); // one group
  more->Click();
  more->Click();
  age->Type("!");
  age->Click();
  EXPECT_EQ(reports, (std::vector<std::string>{"YES", "NO", "M", "", "twelve!"}));
  EXPECT_EQ(textClicks, 1);

  // Scrolling the parent moves the text and its fields, and painting keeps them there.
  TScrollBox box(nullptr, "InfoBox");
  box.SetBounds(0, 0, 300, 100);
  control.SetParent(&box);
  std::string tall = "<INPUT TYPE=TEXT NAME=age>";
  for (int i = 0; i < 20; ++i)
    tall += "\r\nline";
  control.SetText(tall.c_str());
  box.ScrollTo(40);
  EXPECT_EQ(control.Bounds().Top, -40);
  PaintText();
  EXPECT_EQ(control.InputControl("AGE")->Bounds(), (TRect{2, -40, 15, 15}));
  control.SetText(nullptr);
  EXPECT_EQ(control.InputControl("AGE"), nullptr);
  EXPECT_TRUE(box.Controls().size() == 1);
}

TEST_F(ParserControlTest, SizesToTheContentAndTheParent) {
  control.SetText(nullptr);
  EXPECT_EQ(control.Bounds().Height, 0);
  EXPECT_EQ(control.HyperLinks().Count(), 0);
  control.SetText("one line");
  EXPECT_EQ(control.YMax(), 200); // never below the parent's height
  EXPECT_EQ(control.Bounds(), (TRect{0, 0, 300, 200}));

  UseContainer({{"banner", "banner.bmp"}});
  control.SetText("<IMG NAME=banner>");
  EXPECT_EQ(control.Bounds().Width, 300);
  control.SetHorScrollBar(true);
  EXPECT_EQ(control.XMax(), 600);
  EXPECT_EQ(control.Bounds().Width, 600);
  control.SetdY(-7);
  EXPECT_EQ(control.dY(), -7);
}

TEST_F(ParserControlTest, AbsurdNumbersStayInsideThirtyTwoBits) {
  control.SetHorScrollBar(true);
  std::string page = "<IMG NAME=x WIDTH=999999999><IMG NAME=y WIDTH=2147483647 HEIGHT=-2147483648>"
                     "<FONT SIZE=+2147483647><FONT SIZE=+2147483647>big <FONT SIZE=-2147483648>"
                     "<INPUT TYPE=TEXT NAME=t SIZE=2147483647><IMG NAME=z WIDTH=-999999999>";
  for (int i = 0; i < 5000; ++i)
    page += "<B><A HREF=x><U></I>";
  page += "end";
  control.SetText(page.c_str());
  EXPECT_EQ(control.XMax(), 1 << 30); // positions and sizes stop at 2^30
  EXPECT_EQ(control.Bounds().Width, 1 << 30);
  EXPECT_EQ(control.InputControl("T")->Bounds().Width, 1 << 30);
  auto text = PaintText();
  ASSERT_EQ(text.size(), 2u);
  EXPECT_NE(last[3].find("[MS Sans Serif 1000 #000000] big"), std::string::npos);
  EXPECT_EQ(text.back().substr(text.back().find(' ')), " end +b +l");
  EXPECT_EQ(control.HyperLinks().Count(), 1); // the nested ones are ignored
}

TEST_F(ParserControlTest, BackgroundPictureIsTiledWithinTheClipThenFramed) {
  control.SetParent(nullptr);
  control.SetBounds(10, 10, 100, 50);
  auto quad = std::make_shared<TPicture>();
  quad->Width = 40;
  quad->Height = 20;
  quad->Pixels.assign(800, 0x123456);
  TBackground background;
  background.Image.SetPicture(quad, "Background");
  background.SetBrush({0xFFFFFF, TBrushStyle::bsClear});
  control.SetBackground(background);
  control.SetdX(5);
  TRecordingCanvas canvas;
  canvas.Clip = {0, 0, 60, 100};
  control.Paint(canvas);
  EXPECT_EQ(canvas.Calls, (std::vector<std::string>{"Draw 15,10 Background", "Draw 15,30 Background",
                                                    "Draw 15,50 Background", "Draw 55,10 Background",
                                                    "Draw 55,30 Background", "Draw 55,50 Background",
                                                    "Rectangle 10,10,110,60 pen #000000 brush clear"}));
  control.Background().SetImageDrawStyle(idsCenter);
  canvas.Calls.clear();
  control.Paint(canvas);
  EXPECT_EQ(canvas.Calls.front(), "Draw 45,25 Background");
}

} // namespace
