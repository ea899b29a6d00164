// The markup text control in a scroll box as real windows: styles, a
// hyperlink, a picture extracted from a generated content container and the
// three kinds of input field. A screenshot is checked at a few pixels and
// kept as markup_control.bmp in the test's working folder (the build tree).
// MOVARO_HOLD_MS keeps the window on screen that long for a look from outside.
#include "authoring/ArchiveWriter.h"
#include "data/archive/ContentContainer.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Screen.h"
#include "support/Win32Screenshot.h"
#include "ui/markup/ParserControl.h"
#include "ui/win32/Win32Application.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr int kLeft = 100, kTop = 100;
constexpr uint32_t kBoxColour = 0x00C0FFFF; // light yellow

void Pump(TWin32Application &app, int rounds = 20) {
  for (int i = 0; i < rounds; ++i) {
    app.ProcessMessages();
    Sleep(10);
  }
}

// A program folder with movaro.dat holding the generated 40 x 20 picture.
struct TContentFolder {
  TContentFolder() {
    folder = (std::filesystem::temp_directory_path() / "movaro-markup-test").string();
    std::filesystem::create_directories(folder);
    TArchiveWriter writer(files);
    std::ifstream in(std::string(MOVARO_PICTURES) + "/quad.png", std::ios::binary);
    std::string png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ok = !png.empty() && writer.Open(folder + "\\movaro.dat") && writer.AddMember("quad", 862411107, png) &&
         writer.Finish();
    directory = LoadContentDirectory(files, folder + "\\movaro.dat");
  }
  ~TContentFolder() {
    RemoveContentTemp(files, folder);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  TPictureSource Source() { return {&files, folder, folder + "\\movaro.dat", &directory, {}}; }

  TWin32FileSystem files;
  std::string folder;
  std::optional<TArchiveDirectory> directory;
  bool ok = false;
};

// A borderless form with a scroll box filling it less a margin, and a markup
// control in the box that takes its pictures from the content folder.
struct TPageWindow {
  TPageWindow(TContentFolder &content, int width, int height, int margin)
      : form(app, nullptr, "MarkupForm"), box(form.Create<TScrollBox>("InfoBox")),
        text(form.Create<GParserControl>("InfoText", screen)) {
    form.Borderless = true;
    form.SetBounds(kLeft, kTop, width, height);
    box.SetParent(&form);
    box.SetBounds(margin, margin, width - 2 * margin, height - 2 * margin);
    text.SetParent(&box);
    text.Pictures = content.Source();
  }
  TWin32Application app{GetModuleHandleA(nullptr)};
  TWin32Screen screen;
  TForm form;
  TScrollBox &box;
  GParserControl &text;
};

bool Bluish(uint32_t c) { return (c >> 16 & 0xFF) > 0xA0 && (c & 0xFF) < 0x60 && (c >> 8 & 0xFF) < 0x60; }

TEST(MarkupControl, PaintsAPageWithPictureLinkAndInputsInAScrollBox) {
  TContentFolder content;
  ASSERT_TRUE(content.ok);
  TPageWindow page(content, 400, 300, 10);
  auto &[app, screen, form, box, text] = page;
  box.SetColor(kBoxColour);
  TFont font;
  font.Name = "Verdana";
  font.Size = 10;
  text.SetFont(font);
  text.HyperLinkFont = font;
  text.HyperLinkFont.Color = 0xFF0000; // blue
  text.HyperLinkFont.Underline = true;
  text.SetDrawFocused(false);
  text.SetBounds(0, 0, 380, 0);
  std::vector<std::string> reports;
  text.OnHyperLinkClick = [&](TComponent &, const std::string &href) { reports.push_back(href); };
  text.SetText("<B>Bold</B> <I>italic</I> <U>underlined</U> <S>struck</S> plain\r\n"
               "<A HREF=page2>a hyperlink</A> and on\r\n"
               "<IMG NAME=quad>\r\n"
               "<INPUT TYPE=RADIO NAME=q1 VALUE=1> one <INPUT TYPE=RADIO NAME=q2 VALUE=2> two "
               "<INPUT TYPE=CHECKBOX NAME=more VALUE=yes> more <INPUT TYPE=TEXT NAME=age VALUE=Twelve SIZE=5>");

  HWND window = app.Realize(form);
  ASSERT_NE(window, nullptr);
  form.Show();
  Pump(app);

  HWND boxWindow = TWin32Application::WindowOf(box);
  HWND q1 = TWin32Application::WindowOf(*text.InputControl("Q1"));
  HWND q2 = TWin32Application::WindowOf(*text.InputControl("Q2"));
  HWND age = TWin32Application::WindowOf(*text.InputControl("AGE"));
  ASSERT_TRUE(boxWindow && q1 && q2 && age && TWin32Application::WindowOf(*text.InputControl("MORE")));
  EXPECT_EQ(GetParent(age), boxWindow);
  EXPECT_TRUE(IsWindowVisible(q1));
  char typed[32] = {};
  GetWindowTextA(age, typed, sizeof typed);
  EXPECT_STREQ(typed, "twelve");
  EXPECT_FALSE(content.files.FileExists(content.folder + "\\T\\quad")); // decoded, then deleted

  // Where the passes put things, with the same font on the screen's canvas.
  ICanvas &measure = screen.MeasuringCanvas();
  measure.Font = CanvasFontOf(font);
  const int line = measure.TextHeight("M");
  ASSERT_EQ(text.HyperLinks().Count(), 1);
  auto *link = static_cast<THyperLinkArea *>(text.HyperLinks().GetItem(1));
  EXPECT_EQ(link->Top, line);
  EXPECT_EQ(text.InputControl("Q1")->Bounds().Top, 2 * line + 20); // the picture line is 20 high

  POINT origin{0, 0};
  ClientToScreen(boxWindow, &origin);
  Screenshot shot;
  shot.Take();
  shot.Save("markup_control.bmp");
  const int px = origin.x + 2, py = origin.y + 2 * line; // the picture's top left
  EXPECT_EQ(shot.At(px + 5, py + 4), 0x0000FFu);   // red quarter (as a Windows colour)
  EXPECT_EQ(shot.At(px + 34, py + 4), 0x00FF00u);  // lime
  EXPECT_EQ(shot.At(px + 5, py + 15), 0xFF0000u);  // blue
  EXPECT_EQ(shot.At(px + 34, py + 15), 0xFFFFFFu); // white
  EXPECT_EQ(shot.At(origin.x + 300, origin.y + 2 * line + 5), kBoxColour); // beside the picture
  EXPECT_TRUE(shot.AnyDarkIn(origin.x + 2, origin.y, origin.x + 40, origin.y + line)); // bold text
  bool blue = false;
  for (int y = origin.y + link->Top; y < origin.y + link->Bottom; ++y)
    for (int x = origin.x + link->Left; x < origin.x + link->Right; ++x)
      blue = blue || Bluish(shot.At(x, y));
  EXPECT_TRUE(blue); // the hyperlink font
  const TRect &edit = text.InputControl("AGE")->Bounds();
  EXPECT_EQ(shot.At(origin.x + edit.Left + edit.Width - 4, origin.y + edit.Top + edit.Height / 2),
            0xFFFFFFu); // inside the edit field, past its text

  if (const char *hold = std::getenv("MOVARO_HOLD_MS"))
    Pump(app, std::atoi(hold) / 10);

  // The hand over the hyperlink, the hand without fingers beside it.
  SendMessageA(boxWindow, WM_MOUSEMOVE, 0, MAKELPARAM(link->Left + 2, link->Top + 2));
  EXPECT_EQ(GetCursor(), TWin32Application::CursorOf(crHandCursor));
  SendMessageA(boxWindow, WM_MOUSEMOVE, 0, MAKELPARAM(300, 2));
  EXPECT_EQ(GetCursor(), TWin32Application::CursorOf(crHandNoFingersCursor));
  EXPECT_NE(GetCursor(), nullptr);

  // The real windows report through the control.
  SendMessageA(q1, BM_CLICK, 0, 0);
  SendMessageA(q2, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageA(q1, BM_GETCHECK, 0, 0), BST_UNCHECKED); // one group
  SetWindowTextA(age, "hello");
  EXPECT_EQ(reports, (std::vector<std::string>{"1", "2", "hello"}));
}

TEST(MarkupControl, AHugeWidthPaintsWithoutAPixelBufferOfItsSize) {
  TContentFolder content;
  ASSERT_TRUE(content.ok);
  TPageWindow page(content, 300, 200, 0);
  auto &[app, screen, form, box, text] = page;
  text.SetHorScrollBar(true);
  text.SetText("<IMG NAME=quad WIDTH=999999999> <IMG NAME=gone WIDTH=999999999>x");
  EXPECT_EQ(text.Bounds().Width, 999999999);
  ASSERT_NE(app.Realize(form), nullptr);
  form.Show();
  Pump(app);
  text.Invalidate();
  Pump(app);
  PROCESS_MEMORY_COUNTERS memory{};
  ASSERT_TRUE(GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory));
  std::printf("peak private bytes: %u MB\n", static_cast<unsigned>(memory.PeakPagefileUsage >> 20));
  EXPECT_LT(memory.PeakPagefileUsage, 400u * 1024 * 1024);
}

} // namespace
