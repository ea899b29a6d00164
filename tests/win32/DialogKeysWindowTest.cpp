// The dialog keys in real windows with real key presses. Screenshots stay
// in the test's folder.
#include "movaro/SkinImages.h"
#include "support/Win32Screenshot.h"
#include "ui/kit/SkinnedButton.h"
#include "ui/kit/Spinner.h"
#include "ui/win32/Win32Application.h"

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

} // namespace
