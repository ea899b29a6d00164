// The control kit as real windows: a tiled background, a row of skinned
// buttons with glyphs (one pressed by a mouse-down sent to its window) and a
// spinner. On a 24-bit screen a screenshot is checked at a few pixels; on a
// screen of 8 bits per pixel (tests/win32/kit_8bit_screen.sh) painting must
// select and realise the 256-colour palette. The screenshot is kept as
// control_kit_<bits per pixel>.bmp in the test's working folder. MOVARO_HOLD_MS keeps the window on screen for a look.
#include "platform/win32/GdiCanvas.h"
#include "platform/win32/Win32Screen.h"
#include "support/Win32Screenshot.h"
#include "ui/Cursors.h"
#include "ui/kit/Background.h"
#include "ui/kit/Palettes.h"
#include "ui/kit/SkinnedButton.h"
#include "ui/kit/Spinner.h"
#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32Palettes.h"
#include "ui/win32/Win32Pictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kLeft = 120, kTop = 120;
// Colours as 0x00RRGGBB pixels, and the same as Windows colour values.
constexpr uint32_t kTileLight = 0xE4EEF4, kTileDark = 0xCFDEE8;
constexpr uint32_t kFace = 0x00FAF6F2, kShadow = 0x00A08C78; // Windows colours (BGR)

uint32_t WindowsColour(uint32_t rgb) {
  return (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF);
}

void Pump(TWin32Application &app, int ms) {
  for (int waited = 0; waited < ms; waited += 10) {
    app.ProcessMessages();
    Sleep(10);
  }
}

// A 24 x 24 tile of two soft colours in diagonal bands.
std::shared_ptr<TPicture> Tile() {
  auto tile = std::make_shared<TPicture>();
  tile->Width = tile->Height = 24;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x)
      tile->Pixels.push_back((x + y) % 24 < 12 ? kTileLight : kTileDark);
  return tile;
}

// A 16 x 16 glyph: a filled disc, or a square, in one colour on white.
std::shared_ptr<TPicture> Glyph(bool disc, uint32_t rgb) {
  auto glyph = std::make_shared<TPicture>();
  glyph->Width = glyph->Height = 16;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const int dx = 2 * x - 15, dy = 2 * y - 15;
      const bool in = disc ? dx * dx + dy * dy <= 14 * 14 : x >= 3 && x < 13 && y >= 3 && y < 13;
      glyph->Pixels.push_back(in ? rgb : 0xF2F6FA); // the face's colour around it
    }
  return glyph;
}

struct TKitWindow {
  TKitWindow() : form(app, nullptr, "KitForm"), palettes(GetModuleHandleA(nullptr), screen) {
    form.Borderless = true;
    form.SetBounds(kLeft, kTop, 380, 150);
    auto &bk = form.Create<TBkControl>("BackgroundBk");
    bk.SetParent(&form);
    bk.SetBounds(0, 0, 380, 150);
    bk.Background().Image.SetPicture(Tile(), "Tile");
    bk.Background().SetBrush({0, TBrushStyle::bsClear});
    bk.Background().SetPen({0, 1, TPenStyle::psClear});
    const char *captions[] = {"Start", "Pause", "Stop"};
    const uint32_t colours[] = {0x3C9A5F, 0xE0A030, 0xC8463C};
    TFont font;
    font.Name = "Verdana";
    font.Size = 9;
    font.Color = 0x00503C28;
    for (int i = 0; i < 3; ++i) {
      auto &button = form.Create<TBaseBtn>(std::string(captions[i]) + "Btn");
      button.SetParent(&form);
      button.SetBounds(20 + 115 * i, 20, 100, 40);
      button.SetFont(font);
      button.SetCaption(captions[i]);
      button.Brush = {kFace, TBrushStyle::bsSolid};
      button.Pen = {0x00B4A08C, 1, TPenStyle::psSolid};
      button.ShadowColor = kShadow;
      button.CaptionXRound = button.CaptionYRound = 12;
      button.FaceWidth = 0.94;
      button.FaceHeight = 0.88;
      button.ShadowXOffset = 0.04;
      button.ShadowYOffset = 0.1;
      button.GlyphXOffset = 0.08;
      button.GlyphYOffset = 0.22;
      button.CaptionXOffset = 0.34;
      button.CaptionYOffset = 0.26;
      button.GlyphUp.SetPicture(Glyph(i != 2, colours[i]), "Glyph");
      button.GlyphUpIsGlyphDown = true; // pressed, the same glyph moves with the face
      buttons.push_back(&button);
    }
    spinner = &form.Create<TSpinner>("BreakEdit");
    spinner->SetParent(&form);
    spinner->SetBounds(20, 90, 90, 24);
    spinner->MinValue = 30;
    spinner->MaxValue = 300;
    spinner->SetValue(60);
  }
  ~TKitWindow() { InstallScreenPalettes(nullptr, {}); }

  HWND Show() {
    HWND window = app.Realize(form);
    form.Show();
    Pump(app, 200);
    return window;
  }

  TWin32Application app{GetModuleHandleA(nullptr)};
  TWin32Screen screen;
  TForm form;
  TWin32Palettes palettes;
  std::vector<TBaseBtn *> buttons;
  TSpinner *spinner = nullptr;
};

TEST(ControlKitWindow, PalettesCursorsAndPicturesComeFromTheProgramsResources) {
  HINSTANCE self = GetModuleHandleA(nullptr);
  for (auto [name, count] : {std::pair{"PAL16", 16}, std::pair{"PAL256", 256}}) {
    HPALETTE palette = CreatePaletteFromBitmapResource(self, name);
    ASSERT_NE(palette, nullptr) << name;
    WORD entries = 0;
    GetObjectA(palette, sizeof entries, &entries);
    EXPECT_EQ(entries, count) << name;
    DeleteObject(palette);
  }
  EXPECT_EQ(CreatePaletteFromBitmapResource(self, "NoSuchPalette"), nullptr);

  // The palette bitmaps decode as 10 x 10 pictures; a missing resource
  // leaves a glyph empty.
  TPictureProperty glyph;
  EXPECT_TRUE(LoadBitmapResource(self, "PAL256", TColorLevel::clFull, glyph));
  EXPECT_EQ(glyph.Width(), 10);
  EXPECT_FALSE(LoadBitmapResource(self, "NoSuchGlyph", TColorLevel::clFull, glyph));
  EXPECT_TRUE(glyph.Empty());

  TWin32Application app(self);
  TForm form(app, nullptr, "CursorForm");
  form.Create<TBaseBtn>("AnyBtn"); // registers the hand cursors
  EXPECT_NE(TWin32Application::CursorOf(crHandCursor), nullptr);
  EXPECT_NE(TWin32Application::CursorOf(crHandNoFingersCursor), nullptr);
  EXPECT_NE(TWin32Application::CursorOf(crHandCursor),
            TWin32Application::CursorOf(crHandNoFingersCursor));
}

// A frame grows with the scale inside its rectangle, never a pixel past it,
// where the repaint of a control's area (or of its place once hidden) does
// not reach.
TEST(ControlKitWindow, AFrameStaysInsideItsRectangleAtEveryScale) {
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, 64, -64, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void *bits = nullptr;
  HBITMAP target = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(target, nullptr);
  HGDIOBJ before = SelectObject(dc, target);
  for (int dpi : {144, 192}) {
    const TDisplayScale scale(dpi);
    RECT all{0, 0, 64, 64};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    {
      TGdiCanvas canvas(dc, scale);
      canvas.Pen = {0, 1, TPenStyle::psSolid};
      canvas.Brush = {0xFFFFFF, TBrushStyle::bsSolid};
      canvas.Rectangle({10, 10, 20, 20});
    }
    const TCanvasRect r = scale.ToDevice({10, 10, 20, 20});
    const int middle = (r.Left + r.Right) / 2;
    EXPECT_EQ(GetPixel(dc, middle, r.Top), 0u) << dpi;
    EXPECT_EQ(GetPixel(dc, middle, r.Top - 1), 0xFFFFFFu) << dpi;
    EXPECT_EQ(GetPixel(dc, r.Left - 1, middle), 0xFFFFFFu) << dpi;
    EXPECT_EQ(GetPixel(dc, r.Right - 1, middle), 0u) << dpi;
    EXPECT_EQ(GetPixel(dc, r.Right, middle), 0xFFFFFFu) << dpi;
  }
  SelectObject(dc, before);
  DeleteObject(target);
  DeleteDC(dc);
}

TEST(ControlKitWindow, BackgroundButtonsAndSpinnerOnScreen) {
  TKitWindow kit;
  HWND window = kit.Show();
  ASSERT_NE(window, nullptr);
  TBaseBtn &pause = *kit.buttons[1];
  // The mouse goes down on the middle button and stays down.
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(135 + 50, 20 + 20));
  EXPECT_TRUE(pause.Pressed());
  Pump(kit.app, 200);

  Screenshot shot;
  shot.Take();
  const int bits = kit.screen.BitsPerPixel();
  shot.Save(("control_kit_" + std::to_string(bits) + ".bmp").c_str());
  if (const char *hold = std::getenv("MOVARO_HOLD_MS"))
    Pump(kit.app, std::atoi(hold));

  auto at = [&](int x, int y) { return shot.At(kLeft + x, kTop + y); };
  if (bits > 8) {
    // Tiles from the corner: the light band at (1, 1), the dark one at (10, 5).
    EXPECT_EQ(at(1, 1), WindowsColour(kTileLight));
    EXPECT_EQ(at(10, 5), WindowsColour(kTileDark));
    EXPECT_EQ(at(24 + 2, 70), WindowsColour(kTileLight)); // the second column
    // A released button: face, and its shadow showing right of and below it
    // (face 94 x 35 pixels, shadow 4 and 4 pixels off).
    EXPECT_EQ(at(20 + 80, 20 + 18), kFace);
    EXPECT_EQ(at(20 + 96, 20 + 18), kShadow);
    EXPECT_EQ(at(20 + 50, 20 + 37), kShadow);
    // The glyph of the released first button: a green disc at (8, 9).
    EXPECT_EQ(at(20 + 8 + 8, 20 + 9 + 8), WindowsColour(0x3C9A5F));
    EXPECT_TRUE(shot.AnyDarkIn(kLeft + 20 + 34, kTop + 20 + 10, kLeft + 20 + 90, kTop + 20 + 30));
    // The pressed button: no shadow; the face sits on the shadow's place,
    // so the tiles show at its old top-left.
    EXPECT_EQ(at(135 + 96, 20 + 18), kFace);
    EXPECT_EQ(at(135, 20), WindowsColour(kTileLight));
    EXPECT_EQ(at(135 + 8 + 4 + 8, 20 + 9 + 4 + 8), WindowsColour(0xE0A030)); // glyph moved
  } else {
    // On a palette display the button draws with the kit's 256-colour
    // palette selected into the window's context, and gives the context its
    // own palette back afterwards. (Wine's colours on such a display are not
    // exact: the palette is checked, not the pixels.)
    struct TPaletteWatchingCanvas : TGdiCanvas {
      using TGdiCanvas::TGdiCanvas;
      HGDIOBJ During = nullptr;
      void RoundRect(const TCanvasRect &r, int cornerWidth, int cornerHeight) override {
        During = GetCurrentObject(Handle(), OBJ_PAL);
        TGdiCanvas::RoundRect(r, cornerWidth, cornerHeight);
      }
    };
    EXPECT_EQ(ScreenPalette(), kit.palettes.Palette256());
    HDC dc = GetDC(window);
    const HGDIOBJ before = GetCurrentObject(dc, OBJ_PAL);
    {
      TPaletteWatchingCanvas canvas(dc);
      pause.Paint(canvas);
      EXPECT_EQ(canvas.During, kit.palettes.Palette256());
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), before);
    ReleaseDC(window, dc);
  }
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(135 + 50, 20 + 20));
  EXPECT_FALSE(pause.Pressed());
}

TEST(ControlKitWindow, MouseInOutAndTheHandCursorFollowThePointer) {
  TKitWindow kit;
  HWND window = kit.Show();
  std::vector<std::string> events;
  for (TBaseBtn *b : kit.buttons) {
    b->OnMouseIn = [&](TComponent &c) { events.push_back("in " + c.Name()); };
    b->OnMouseOut = [&](TComponent &c) { events.push_back("out " + c.Name()); };
  }
  int clicks = 0;
  kit.buttons[0]->OnClick = [&](TComponent &) { clicks += kit.buttons[0]->Pressed() ? 1 : 100; };
  SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(60, 40));
  EXPECT_EQ(GetCursor(), TWin32Application::CursorOf(crHandCursor));
  SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(170, 40));
  SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(170, 140));
  EXPECT_EQ(events, (std::vector<std::string>{"in StartBtn", "out StartBtn", "in PauseBtn",
                                              "out PauseBtn"}));
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 40));
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(61, 41));
  EXPECT_EQ(clicks, 1); // clicked once, and still pressed while its OnClick ran
}

TEST(ControlKitWindow, HidingTheFormEndsThePointerTrackingOfItsChildren) {
  // The pointer rests on a child window while the form is hidden (to the
  // tray, by a key): its tracking must end with the form.
  TKitWindow kit;
  auto &panel = kit.form.Create<TPanel>("Panel");
  panel.SetParent(&kit.form);
  panel.SetBounds(250, 90, 100, 40);
  auto &button = kit.form.Create<TBaseBtn>("PanelBtn");
  button.SetParent(&panel);
  button.SetBounds(0, 0, 100, 40);
  std::vector<std::string> events;
  button.OnMouseIn = [&](TComponent &) { events.push_back("in"); };
  button.OnMouseOut = [&](TComponent &) { events.push_back("out"); };
  kit.Show();
  HWND child = TWin32Application::WindowOf(panel);
  ASSERT_NE(child, nullptr);
  POINT over{50, 20};
  ClientToScreen(child, &over);
  SetCursorPos(over.x, over.y);
  Pump(kit.app, 100);
  SendMessageA(child, WM_MOUSEMOVE, 0, MAKELPARAM(50, 20));
  TRACKMOUSEEVENT query{sizeof query, TME_QUERY, nullptr, 0};
  ASSERT_TRUE(TrackMouseEvent(&query));
  ASSERT_EQ(query.hwndTrack, child) << "the pointer over the panel is tracked";
  kit.form.Hide();
  Pump(kit.app, 1000); // a few hover periods
  query = {sizeof query, TME_QUERY, nullptr, 0};
  ASSERT_TRUE(TrackMouseEvent(&query));
  EXPECT_EQ(query.hwndTrack, nullptr);
  EXPECT_EQ(events, (std::vector<std::string>{"in", "out"})); // no button stays lit
}

TEST(ControlKitWindow, SpinnerWindowFiltersStepsClampsAndRepeats) {
  TKitWindow kit;
  kit.Show();
  HWND edit = TWin32Application::WindowOf(*kit.spinner);
  ASSERT_NE(edit, nullptr);
  HWND arrows = GetWindow(edit, GW_CHILD);
  ASSERT_NE(arrows, nullptr);
  RECT client, arrowRect, format;
  GetClientRect(edit, &client);
  GetWindowRect(arrows, &arrowRect);
  MapWindowPoints(nullptr, edit, reinterpret_cast<POINT *>(&arrowRect), 2);
  EXPECT_EQ(arrowRect.right, client.right);
  EXPECT_EQ(arrowRect.right - arrowRect.left, TSpinner::kArrowsWidth);
  EXPECT_EQ(arrowRect.bottom, client.bottom);
  SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  EXPECT_LE(format.right, client.right - TSpinner::kArrowsWidth - 2);

  SendMessageA(edit, WM_CHAR, 'x', 0); // refused (with a beep)
  SendMessageA(edit, WM_CHAR, '\r', 0);
  EXPECT_EQ(kit.spinner->Text(), "60");
  SendMessageA(edit, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(kit.spinner->Text(), "61");
  SendMessageA(edit, EM_SETSEL, 0, -1);
  for (char c : std::string("500"))
    SendMessageA(edit, WM_CHAR, c, 0);
  EXPECT_EQ(kit.spinner->Text(), "500");
  SendMessageA(edit, WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(kit.spinner->Text(), "300");

  // Letters pasted read as MinValue; leaving the box brings the last valid value back.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL letters = GlobalAlloc(GMEM_MOVEABLE, 4);
  memcpy(GlobalLock(letters), "abc", 4);
  GlobalUnlock(letters);
  SetClipboardData(CF_TEXT, letters);
  CloseClipboard();
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, WM_PASTE, 0, 0);
  EXPECT_EQ(kit.spinner->Text(), "abc");
  EXPECT_EQ(kit.spinner->Value(), 30);
  SendMessageA(edit, WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(kit.spinner->Text(), "300");
  kit.spinner->EditorEnabled = false;
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, WM_PASTE, 0, 0);
  EXPECT_EQ(kit.spinner->Text(), "300");

  // The upper arrow held: one step at once, the first repeat no sooner than
  // 400 ms later, then faster ones; none after the release. (Only lower
  // bounds: a busy machine delays timers; the model's test has exact times.)
  kit.spinner->SetValue(100);
  const DWORD pressed = GetTickCount();
  SendMessageA(arrows, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 2));
  EXPECT_EQ(kit.spinner->Value(), 101);
  auto waitForChange = [&] {
    const int value = kit.spinner->Value();
    for (int i = 0; i < 5000 && kit.spinner->Value() == value; ++i) {
      kit.app.ProcessMessages();
      Sleep(1);
    }
    return GetTickCount();
  };
  const DWORD firstRepeat = waitForChange();
  EXPECT_EQ(kit.spinner->Value(), 102);
  EXPECT_GE(firstRepeat - pressed, 380u);
  const DWORD secondRepeat = waitForChange();
  EXPECT_EQ(kit.spinner->Value(), 103);
  EXPECT_GE(secondRepeat - firstRepeat, 90u);
  SendMessageA(arrows, WM_LBUTTONUP, 0, MAKELPARAM(7, 2));
  const int released = kit.spinner->Value();
  Pump(kit.app, 300);
  EXPECT_EQ(kit.spinner->Value(), released);
  SendMessageA(arrows, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, arrowRect.bottom - 2));
  SendMessageA(arrows, WM_LBUTTONUP, 0, MAKELPARAM(7, arrowRect.bottom - 2));
  EXPECT_EQ(kit.spinner->Value(), released - 1);
}

} // namespace
