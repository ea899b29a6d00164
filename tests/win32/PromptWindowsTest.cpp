// The prompt dialog and the input blocking window as real windows: the
// dialog in the upper right corner of the primary monitor above the blocking
// window, which covers every monitor and turns red after six key presses.
// Screenshots are kept as prompt_dialog.bmp and blocking_window.bmp in the
// test's working folder (the build tree).
#include "movaro/forms/BlockingWindow.h"
#include "movaro/forms/MessageDialog.h"
#include "movaro/win32/Win32SkinResources.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessLocale.h"
#include "platform/headless/ManualTimer.h"
#include "platform/headless/VirtualClock.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32Screen.h"
#include "sim/HeadlessViews.h"
#include "support/Win32AccessibleWalk.h"
#include "support/Win32Screenshot.h"
#include "ui/Contrast.h"
#include "ui/win32/Win32Application.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

namespace {

void Pump(TWin32Application &app, int rounds = 20) {
  for (int i = 0; i < rounds; ++i) {
    app.ProcessMessages();
    Sleep(10);
  }
}

struct TPromptWindows {
  TWin32Application app{GetModuleHandleA(nullptr)};
  TWin32Screen screen;
  TWin32Desktop desktop;
  TVirtualClock clock{46000.5, 1000};
  TVirtualCursor cursor;
  TManualTimer timer;
  TRecordingInputHooks hooks;
  THeadlessFileSystem files;
  THeadlessLocale locale;
  TMovaroContext context{{clock, cursor, timer, hooks, files, locale}};
  THeadlessTrayIcon tray;
  THeadlessDialogOwner owner;
  TBlockingWindow blocking{app, context, screen, desktop};
  TMessageDialog dialog{app, context, screen, desktop, tray, blocking, owner};
  TWin32SkinResources resources{GetModuleHandleA(nullptr)};
  TSkinLoader skins{files, resources, "C:\\Movaro\\", screen.BitsPerPixel()};
};

TPromptMessage ShortBreak() {
  TPromptMessage m;
  m.RuleIndex = 3;
  m.Text = "Take a short break of 10 seconds";
  m.TimeOut = 10;
  m.Kind = 3;
  m.FirstCaption = "Ok";
  return m;
}

} // namespace

TEST(PromptWindows, DialogInTheCornerAboveTheBlockingWindowThatSwallowsKeys) {
  TPromptWindows w;
  const std::vector<TDesktopRect> monitors = w.desktop.Monitors();
  ASSERT_FALSE(monitors.empty());
  const TDesktopRect primary = monitors.front();
  ASSERT_NE(w.app.Realize(w.blocking), nullptr);
  w.dialog.LoadSkins(w.skins);
  ASSERT_FALSE(w.dialog.YesBtn.GlyphUp.Empty());
  HWND dialogWindow = w.app.Realize(w.dialog);
  ASSERT_NE(dialogWindow, nullptr);

  w.blocking.ShowBlocking();
  w.dialog.ShowMessage(ShortBreak());
  w.dialog.SetTimeLeft(6);
  Pump(w.app);
  RECT r;
  GetWindowRect(dialogWindow, &r);
  EXPECT_EQ(r.right, primary.Right() - 30);
  EXPECT_EQ(r.top, primary.Top + 30);
  EXPECT_TRUE(GetWindowLongA(dialogWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);

  HWND blockingWindow = TWin32Application::WindowOf(w.blocking);
  ASSERT_NE(blockingWindow, nullptr);
  RECT covered;
  GetWindowRect(blockingWindow, &covered);
  const TDesktopRect all = VirtualScreen(w.desktop);
  EXPECT_EQ(covered.left, all.Left);
  EXPECT_EQ(covered.right, all.Right());
  EXPECT_EQ(covered.bottom, all.Bottom());

  Screenshot shot;
  shot.Take();
  shot.Save("prompt_dialog.bmp");
  // The dialog's header colour inside the dialog, above the blocking window,
  // and its skin: the plum rule on top, the footer's orange tiles, the plum
  // face of the Ok button (the first button, at 170, 15 in the footer).
  EXPECT_EQ(shot.At(r.left + 60, r.top + 10), kDialogPanelColour);
  EXPECT_EQ(shot.At(r.left + 60, r.top + 2), kDialogFrameColour);
  const uint32_t footer = shot.At(r.left + 5, r.bottom - 20);
  EXPECT_GT(footer & 0xFF, 0xEFu) << std::hex << footer; // red high: orange, not sand or plum
  EXPECT_LT(footer >> 16 & 0xFF, 0x80u) << std::hex << footer;
  EXPECT_EQ(shot.At(r.left + 1 + 170 + 5, r.bottom - 1 - 40 + 15 + 10), kDialogFrameColour);

  // Six key presses on the blocking window are counted there.
  SetForegroundWindow(blockingWindow);
  for (int i = 0; i < 6; ++i) {
    PostMessageA(blockingWindow, WM_KEYDOWN, 'A', 1);
    PostMessageA(blockingWindow, WM_KEYUP, 'A', 0xC0000001);
  }
  Pump(w.app);
  EXPECT_EQ(w.blocking.InputCount(), 6);
  shot.Take();
  shot.Save("blocking_window.bmp");
  EXPECT_EQ(shot.At(all.Left + 5, all.Bottom() - 5), 60u); // dark red
  EXPECT_EQ(shot.At(r.left + 60, r.top + 10), kDialogPanelColour); // the prompt still on top

  // Answering the prompt ends the blocking.
  w.dialog.YesBtnClick();
  Pump(w.app);
  EXPECT_FALSE(IsWindowVisible(blockingWindow));
  EXPECT_FALSE(IsWindowVisible(dialogWindow));
}

TEST(PromptWindows, ScreenReadersFindEveryControlByNameAndPressTheSkinnedButtons) {
  TPromptWindows w;
  ASSERT_NE(w.app.Realize(w.blocking), nullptr);
  w.dialog.LoadSkins(w.skins);
  HWND dialogWindow = w.app.Realize(w.dialog);
  ASSERT_NE(dialogWindow, nullptr);
  w.blocking.ShowBlocking();
  w.dialog.ShowMessage(ShortBreak());
  Pump(w.app);
  ASSERT_TRUE(accessible_walk::Load());
  // Kept in the build tree for looking at.
  for (auto [window, file] : {std::pair{dialogWindow, "prompt_accessible.txt"},
                              {TWin32Application::WindowOf(w.blocking), "blocking_accessible.txt"}}) {
    FILE *out = std::fopen(file, "w");
    ASSERT_NE(out, nullptr);
    accessible_walk::TWalk walk{out};
    EXPECT_TRUE(WalkWindow(window, walk)) << file;
    std::fclose(out);
    EXPECT_EQ(walk.Unnamed, 0) << file;
    EXPECT_EQ(walk.Misnamed, 0) << file;
    EXPECT_GE(walk.Elements, 2) << file;
  }
  std::stringstream listed;
  listed << std::ifstream("prompt_accessible.txt").rdbuf();
  EXPECT_NE(listed.str().find("Take a short break of 10 seconds"), std::string::npos) << listed.str();
  // The count-down is named by what it shows, not by the heading beside it.
  EXPECT_NE(listed.str().find("progress bar | Time left"), std::string::npos) << listed.str();

  // The skinned Ok button, found by its name as speech recognition finds
  // it, is pressed by its default action: the prompt is answered.
  IAccessible *client = nullptr;
  ASSERT_TRUE(SUCCEEDED(accessible_walk::FromWindow(dialogWindow, OBJID_CLIENT, __uuidof(IAccessible),
                                                    reinterpret_cast<void **>(&client))));
  std::function<bool(IAccessible *)> pressOk = [&](IAccessible *object) {
    long count = 0;
    object->get_accChildCount(&count);
    for (long i = 1; i <= count; ++i) {
      VARIANT child;
      child.vt = VT_I4;
      child.lVal = i;
      IDispatch *inner = nullptr;
      if (object->get_accChild(child, &inner) == S_OK && inner) {
        IAccessible *panel = nullptr;
        inner->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void **>(&panel));
        inner->Release();
        const bool pressed = panel && pressOk(panel);
        if (panel)
          panel->Release();
        if (pressed)
          return true;
        continue;
      }
      BSTR name = nullptr;
      VARIANT role;
      VariantInit(&role);
      object->get_accRole(child, &role);
      if (object->get_accName(child, &name) == S_OK && accessible_walk::Ansi(name) == "Ok" &&
          role.vt == VT_I4 && role.lVal == ROLE_SYSTEM_PUSHBUTTON)
        return object->accDoDefaultAction(child) == S_OK;
    }
    return false;
  };
  EXPECT_TRUE(pressOk(client)) << listed.str();
  client->Release();
  Pump(w.app);
  EXPECT_FALSE(IsWindowVisible(dialogWindow));
  EXPECT_FALSE(IsWindowVisible(TWin32Application::WindowOf(w.blocking)));
}

TEST(PromptWindows, HighContrastPutsTheTextOnTheSystemsColours) {
  TPromptWindows w;
  ASSERT_NE(w.app.Realize(w.blocking), nullptr);
  w.dialog.LoadSkins(w.skins);
  HWND dialogWindow = w.app.Realize(w.dialog);
  ASSERT_NE(dialogWindow, nullptr);
  w.dialog.ShowMessage(ShortBreak());
  Pump(w.app);
  // The header's caption label: a corner its text leaves free.
  const TRect &b = w.dialog.CaptionLbl.Bounds();
  POINT corner{b.Left + b.Width - 2, b.Top + b.Height - 2};
  ClientToScreen(TWin32Application::WindowOf(*w.dialog.CaptionLbl.Parent()), &corner);
  Screenshot shot;
  shot.Take();
  const uint32_t skinned = shot.At(corner.x, corner.y);

  // Turned on as the system's setting when the system lets a program do
  // that; otherwise (Wine keeps it off) set in the kit as the setting's
  // reader would.
  HIGHCONTRASTA on{sizeof on, HCF_HIGHCONTRASTON, nullptr};
  HIGHCONTRASTA read{sizeof read, 0, nullptr};
  const bool bySystem =
      SystemParametersInfoA(SPI_SETHIGHCONTRAST, sizeof on, &on, SPIF_SENDCHANGE) &&
      SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof read, &read, 0) &&
      (read.dwFlags & HCF_HIGHCONTRASTON);
  if (!bySystem) {
    std::printf("the system keeps high contrast off: set in the kit\n");
    SetHighContrast({true, GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW),
                     GetSysColor(COLOR_GRAYTEXT)});
    RedrawWindow(dialogWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
  Pump(w.app);
  EXPECT_TRUE(HighContrast().On);
  shot.Take();
  shot.Save("prompt_high_contrast.bmp");
  const uint32_t expected = GetSysColor(COLOR_WINDOW);
  EXPECT_EQ(shot.At(corner.x, corner.y), expected) << std::hex << skinned;
  EXPECT_NE(skinned, expected);
  if (bySystem) {
    HIGHCONTRASTA off{sizeof off, 0, nullptr};
    SystemParametersInfoA(SPI_SETHIGHCONTRAST, sizeof off, &off, SPIF_SENDCHANGE);
  }
  SetHighContrast({});
}
