// The dialog keys in real windows with real key presses: in a kit form and
// in the network dialog's page control. Screenshots stay in the test's
// folder.
#include "movaro/SkinImages.h"
#include "movaro/forms/ClientDialog.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessNetClientLibrary.h"
#include "platform/headless/ManualTimer.h"
#include "support/Win32Screenshot.h"
#include "unit/movaro/ProfileWorld.h"
#include "ui/kit/SkinnedButton.h"
#include "ui/kit/Spinner.h"
#include "ui/win32/Win32Application.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void Pump(TWin32Application &app, int rounds = 20) {
  for (int i = 0; i < rounds; ++i) {
    app.ProcessMessages();
    Sleep(10);
  }
}

// A key pressed and released, with the modifier held around it.
void Press(TWin32Application &app, WORD key, WORD modifier = 0) {
  std::vector<INPUT> inputs;
  auto add = [&](WORD k, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = k;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  if (modifier)
    add(modifier, false);
  add(key, false);
  add(key, true);
  if (modifier)
    add(modifier, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Pump(app, 15);
}

template <class T> T &Place(TForm &form, const std::string &name, int x, int y, int w, int h,
                            const std::string &caption = "") {
  T &control = form.Create<T>(name);
  control.SetParent(&form);
  control.SetBounds(x, y, w, h);
  control.SetCaption(caption);
  return control;
}

// Tab leaves a drop-down list and a spinner (which keeps its number) and
// reaches a painted button, which Space presses; Enter presses the default
// button, Escape the cancel one, Alt with a letter its button. Kept as
// dialog_keys.bmp.
TEST(DialogKeysWindow, TabEnterEscapeSpaceAndAltWorkWithRealKeys) {
  TWin32Application app(GetModuleHandleA(nullptr));
  TForm form(app, nullptr, "KeysForm");
  form.SetBounds(100, 100, 360, 160);
  form.SetColor(0xF7F4F2);
  auto &list = Place<TComboBox>(form, "LanguageList", 10, 10, 150, 120);
  list.Items.Assign({"English", "Deutsch"});
  auto &spinner = Place<TSpinner>(form, "ShortSpinner", 180, 10, 60, 21);
  spinner.MinValue = 30;
  spinner.MaxValue = 300;
  spinner.SetValue(60);
  auto &yes = Place<TBaseBtn>(form, "YesBtn", 10, 60, 120, 35, "Yes");
  MakeRoundFaceButton(yes, 0x00533D6D, 0x00808080);
  yes.SetFont(TFont{"Verdana", 8, true, false, false, false, 0xFFFFFF});
  yes.AccessKey = 'Y';
  auto &back = Place<TButton>(form, "BackBtn", 10, 120, 80, 25, "Back");
  auto &next = Place<TButton>(form, "NextBtn", 100, 120, 80, 25, "Next");
  auto &cancel = Place<TButton>(form, "CancelBtn", 190, 120, 80, 25, "Cancel");
  back.SetEnabled(false);
  next.Default = true;
  cancel.Cancel = true;
  std::vector<std::string> pressed;
  for (TControl *button : std::vector<TControl *>{&yes, &next, &cancel})
    button->OnClick = [&pressed, button](TComponent &) { pressed.push_back(button->Name()); };
  form.ActiveControl = &list;
  HWND window = app.Realize(form);
  form.Show();
  SetForegroundWindow(window);
  Pump(app, 30);
  ASSERT_EQ(GetFocus(), TWin32Application::WindowOf(list));

  Press(app, VK_TAB);
  EXPECT_EQ(GetFocus(), TWin32Application::WindowOf(spinner));
  Press(app, VK_TAB);
  EXPECT_EQ(spinner.Text(), "60"); // no tab typed into it
  EXPECT_EQ(GetFocus(), window);   // the painted button's focus is its form's
  EXPECT_TRUE(yes.Focused());
  Screenshot shot;
  shot.Take();
  shot.Save("dialog_keys.bmp");
  Press(app, VK_SPACE);
  EXPECT_EQ(pressed, (std::vector<std::string>{"YesBtn"}));
  Press(app, VK_TAB); // Back is disabled: on to Next
  EXPECT_EQ(GetFocus(), TWin32Application::WindowOf(next));
  Press(app, VK_TAB, VK_SHIFT);
  Press(app, VK_TAB, VK_SHIFT);
  EXPECT_EQ(GetFocus(), TWin32Application::WindowOf(spinner));

  // Enter in the spinner presses the default button; Escape the cancel one.
  Press(app, VK_RETURN);
  Press(app, VK_ESCAPE);
  Press(app, 'Y', VK_MENU);
  EXPECT_EQ(pressed, (std::vector<std::string>{"YesBtn", "NextBtn", "CancelBtn", "YesBtn"}));
  EXPECT_EQ(spinner.Text(), "60");
}

// The network dialog with a server configured: its "Network" tab shows its
// whole caption (in German, the longest) and takes a click; Ctrl+Tab turns
// the pages and Escape closes the dialog from its tabs. Kept as
// network_tabs.bmp.
TEST(DialogKeysWindow, NetworkDialogTabsTakeClicksAndKeys) {
  TProfileWorld world;
  std::unique_ptr<TUserData> profile = world.NewProfile();
  profile->ServerHost = "127.0.0.1";
  profile->ServerPort = 1684;
  TWin32Application app(GetModuleHandleA(nullptr));
  TVirtualCursor cursor;
  TManualTimer timer;
  TRecordingInputHooks hooks;
  TMovaroContext context{{world.clock, cursor, timer, hooks, world.fs, world.locale}};
  THeadlessNetClientLibrary library;
  TClientDialogEnv env{context, library, nullptr, nullptr, [&app](uint32_t) { Pump(app, 1); }, {}};
  TClientDialog dialog(app, env, *profile);
  dialog.FillFields();
  dialog.NetworkTab.SetCaption("Netzwerk");
  dialog.PageCtrl.SetActivePageIndex(1);
  HWND window = app.Realize(dialog);
  dialog.Show();
  SetForegroundWindow(window);
  Pump(app, 30);
  HWND tabs =
      FindWindowExA(TWin32Application::WindowOf(dialog.PageCtrl), nullptr, WC_TABCONTROLA, nullptr);
  ASSERT_NE(tabs, nullptr);
  Screenshot shot;
  shot.Take();
  shot.Save("network_tabs.bmp");

  // The turned caption ends well inside its tab, where the chosen tab
  // below, drawn a little larger, does not cover it (the German caption,
  // the longest; text is the darkest thing on the tab).
  RECT tab{};
  ASSERT_TRUE(TabCtrl_GetItemRect(tabs, 0, &tab));
  RECT onScreen = tab;
  MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT *>(&onScreen), 2);
  auto dark = [](uint32_t c) {
    return (c & 0xFF) < 0x80 && ((c >> 8) & 0xFF) < 0x80 && (c >> 16) < 0x80;
  };
  int lastTextRow = -1;
  for (int y = onScreen.top; y < onScreen.bottom; ++y)
    for (int x = onScreen.left + 3; x < onScreen.right - 3; ++x)
      if (dark(shot.At(x, y)))
        lastTextRow = y;
  ASSERT_GE(lastTextRow, onScreen.top) << "no caption drawn on the tab";
  EXPECT_LT(lastTextRow, onScreen.bottom - 10)
      << "the caption runs to the tab's end at " << onScreen.bottom;

  // A click on the tab shows the Network page.
  POINT at{(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2};
  ClientToScreen(tabs, &at);
  SetCursorPos(at.x, at.y);
  INPUT click[2] = {};
  click[0].type = click[1].type = INPUT_MOUSE;
  click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, click, sizeof(INPUT));
  Pump(app, 20);
  EXPECT_EQ(dialog.PageCtrl.ActivePageIndex(), 0);

  Press(app, VK_TAB, VK_CONTROL);
  EXPECT_EQ(dialog.PageCtrl.ActivePageIndex(), 1);
  Press(app, VK_TAB, VK_CONTROL);
  EXPECT_EQ(dialog.PageCtrl.ActivePageIndex(), 0);
  SetFocus(tabs);
  Press(app, VK_ESCAPE);
  EXPECT_FALSE(dialog.Visible());
}

} // namespace
