// The Win32 backend keeps the model and real windows in step: a test driver
// finds controls by their tags (control IDs), presses and types into them, and
// sees the model change; model changes show in the windows.
#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32Peer.h"

#include "platform/HookProtocol.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

std::string TextOf(HWND window) {
  char buffer[256] = {};
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

struct SampleForm {
  explicit SampleForm(TWin32Application &app) : form(app, nullptr, "MainForm") {
    form.WindowClassName = "MovaroBackendTest";
    form.SetBounds(40, 40, 400, 300);
    form.SetCaption("Sample");
    form.Tag = 1;
    label = &Add<TLabel>("NameLbl", 10, 10, 10, 100, 16);
    label->SetCaption("Name:");
    edit = &Add<TEdit>("NameEdit", 20, 120, 10, 150, 22);
    ok = &Add<TButton>("OkBtn", 30, 10, 240, 80, 26);
    ok->SetCaption("Ok");
    check = &Add<TCheckBox>("SoundCBox", 40, 10, 40, 150, 20);
    check->SetCaption("Sounds");
    combo = &Add<TComboBox>("LanguageCBox", 50, 10, 70, 150, 120);
    combo->Items.Assign({"English", "Deutsch", "Nederlands"});
    combo->SetItemIndex(0);
    pages = &Add<TPageControl>("PageCtrl", 60, 180, 40, 200, 150);
    pages->AddPage("FirstPage", "First");
    pages->AddPage("SecondPage", "Second");
    status = &Add<TStatusBar>("MainStatusBar", 70, 0, 280, 400, 20);
    status->SetPanels({{"Ready", 200}, {"", 100}});
  }
  template <class T> T &Add(const char *name, int tag, int x, int y, int w, int h) {
    T &control = form.Create<T>(name);
    control.Tag = tag;
    control.SetParent(&form);
    control.SetBounds(x, y, w, h);
    return control;
  }
  HWND Item(int tag) { return GetDlgItem(TWin32Application::WindowOf(form), tag); }

  TForm form;
  TLabel *label;
  TEdit *edit;
  TButton *ok;
  TCheckBox *check;
  TComboBox *combo;
  TPageControl *pages;
  TStatusBar *status;
};

TEST(Win32Backend, ControlsFoundByTagAndKeptInStep) {
  TWin32Application app(GetModuleHandleA(nullptr));
  SampleForm sample(app);
  HWND window = app.Realize(sample.form);
  ASSERT_NE(window, nullptr);
  sample.form.Show();
  app.ProcessMessages();
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(FindWindowA("MovaroBackendTest", nullptr), window);
  EXPECT_EQ(TextOf(window), "Sample");
  EXPECT_EQ(GetDlgItem(window, 10), nullptr); // the label is windowless

  int clicks = 0;
  sample.ok->OnClick = [&](TComponent &) { ++clicks; };
  HWND ok = sample.Item(30);
  ASSERT_NE(ok, nullptr);
  SendMessageA(ok, BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  sample.ok->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(ok));

  // Typing into the edit window reaches the model, and back.
  SetWindowTextA(sample.Item(20), "Ada");
  EXPECT_EQ(sample.edit->Text(), "Ada");
  sample.edit->SetText("Grace");
  EXPECT_EQ(TextOf(sample.Item(20)), "Grace");

  SendMessageA(sample.Item(40), BM_CLICK, 0, 0);
  EXPECT_TRUE(sample.check->Checked());
  EXPECT_EQ(SendMessageA(sample.Item(40), BM_GETCHECK, 0, 0), BST_CHECKED);

  HWND combo = sample.Item(50);
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);
  SendMessageA(combo, CB_SETCURSEL, 2, 0);
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(50, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  EXPECT_EQ(sample.combo->ItemIndex(), 2);
  sample.combo->Items.Set(1, "German");
  char item[32] = {};
  SendMessageA(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
  EXPECT_STREQ(item, "German");

  sample.status->SetPanelText(1, "Monitoring");
  char panel[32] = {};
  SendMessageA(sample.Item(70), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(panel));
  EXPECT_STREQ(panel, "Monitoring");

  sample.pages->SetActivePageIndex(1);
  EXPECT_FALSE(IsWindowVisible(TWin32Application::WindowOf(sample.pages->Page(0))));
  EXPECT_TRUE(IsWindowVisible(TWin32Application::WindowOf(sample.pages->Page(1))));

  // A form asked to the front comes back from the task bar.
  ShowWindow(window, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(window));
  sample.form.BringToFront();
  EXPECT_FALSE(IsIconic(window));

  // A posted close request goes through the form's close query.
  bool asked = false;
  sample.form.OnCloseQuery = [&](TComponent &, bool &canClose) {
    asked = true;
    canClose = false;
  };
  PostMessageA(window, WM_CLOSE, 0, 0);
  app.ProcessMessages();
  EXPECT_TRUE(asked);
  EXPECT_TRUE(IsWindowVisible(window));
}

// Notifications of windows the backend made inside a control (a radio
// group's buttons) and of common controls reach the model.
TEST(Win32Backend, ChoicesInListsGroupsTabsAndBarsReachTheModel) {
  TWin32Application app(GetModuleHandleA(nullptr));
  SampleForm sample(app);
  auto &group = sample.Add<TRadioGroup>("SpeedRGrp", 80, 10, 100, 150, 90);
  group.Items.Assign({"Slow", "Fast"});
  auto &tabs = sample.Add<TTabSet>("ViewTab", 81, 180, 200, 200, 24);
  tabs.Items.Assign({"Day", "Week"});
  auto &bar = sample.Add<TTrackBar>("VolumeBar", 82, 180, 230, 200, 30);
  auto &list = sample.Add<TListBox>("HistoryLst", 83, 10, 200, 150, 40);
  list.Items.Assign({"one", "two"});
  HWND window = app.Realize(sample.form);
  ASSERT_NE(window, nullptr);
  sample.form.Show(); // choices on hidden controls are refused
  app.ProcessMessages();

  HWND fast = GetDlgItem(sample.Item(80), 2);
  ASSERT_NE(fast, nullptr);
  SendMessageA(fast, BM_CLICK, 0, 0);
  EXPECT_EQ(group.ItemIndex(), 1);
  EXPECT_EQ(SendMessageA(fast, BM_GETCHECK, 0, 0), BST_CHECKED);

  HWND tab = sample.Item(81);
  TabCtrl_SetCurSel(tab, 1);
  NMHDR header{tab, 81, static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageA(window, WM_NOTIFY, 81, reinterpret_cast<LPARAM>(&header));
  EXPECT_EQ(tabs.ItemIndex(), 1);

  HWND track = sample.Item(82);
  SendMessageA(track, TBM_SETPOS, TRUE, 7);
  SendMessageA(window, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 7), reinterpret_cast<LPARAM>(track));
  EXPECT_EQ(bar.Position(), 7);

  HWND lst = sample.Item(83);
  SendMessageA(lst, LB_SETCURSEL, 1, 0);
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(83, LBN_SELCHANGE), reinterpret_cast<LPARAM>(lst));
  EXPECT_EQ(list.ItemIndex(), 1);
  // The model's own changes do not come back as the user's choices.
  int changes = 0;
  list.OnChange = [&](TComponent &) { ++changes; };
  list.SetItemIndex(0);
  EXPECT_EQ(SendMessageA(lst, LB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(changes, 0);
}

// Moved to a monitor of twice the scale, a window takes the rectangle the
// system suggests and lays itself out again: every window inside, the page
// control's tab strip, the radio group's frame and buttons, and the fonts.
TEST(Win32Backend, AWindowMovedToAMonitorOfAnotherScaleLaysItselfOutAgain) {
  TWin32Application app(GetModuleHandleA(nullptr));
  SampleForm sample(app);
  auto &group = sample.Add<TRadioGroup>("SpeedRGrp", 80, 10, 100, 150, 90);
  group.SetCaption("Speed");
  group.Items.Assign({"Slow", "Fast"});
  auto &picture = sample.Add<TImage>("LogoImage", 0, 300, 200, 10, 10);
  picture.Picture = "PAL256"; // a bitmap of the kit's resources
  std::vector<int> heard; // the scales the application heard of, before the layout
  app.OnFormScaleChanged = [&](TForm &form, int dpi) {
    EXPECT_EQ(&form, &sample.form);
    heard.push_back(dpi);
  };
  HWND window = app.Realize(sample.form);
  ASSERT_NE(window, nullptr);
  sample.form.Show();
  app.ProcessMessages();
  auto size = [](HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
  };
  auto fontHeight = [](HWND w) {
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), sizeof font, &font);
    return std::abs(font.lfHeight);
  };
  HWND pages = sample.Item(60), tabs = FindWindowExA(pages, nullptr, WC_TABCONTROLA, nullptr);
  HWND frame = GetWindow(sample.Item(80), GW_CHILD), fast = GetDlgItem(sample.Item(80), 2);
  for (HWND w = frame; w; w = GetWindow(w, GW_HWNDNEXT)) // the one that is no button of its own
    if ((GetWindowLongA(w, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX)
      frame = w;
  ASSERT_TRUE(tabs && frame && fast);
  const HWND inner[] = {sample.Item(20), pages, tabs, sample.Item(80), frame, fast};
  std::vector<SIZE> before;
  for (HWND w : inner)
    before.push_back(size(w));
  const int font = fontHeight(sample.Item(20)), frameFont = fontHeight(frame);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);

  RECT suggested{};
  GetWindowRect(window, &suggested);
  suggested.right = suggested.left + 2 * (suggested.right - suggested.left);
  suggested.bottom = suggested.top + 2 * (suggested.bottom - suggested.top);
  SendMessageA(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(2 * dpi, 2 * dpi),
               reinterpret_cast<LPARAM>(&suggested));
  app.ProcessMessages();
  RECT now{};
  GetWindowRect(window, &now);
  EXPECT_EQ(now.right - now.left, suggested.right - suggested.left);
  EXPECT_EQ(now.bottom - now.top, suggested.bottom - suggested.top);
  for (size_t i = 0; i < before.size(); ++i) { // edge by edge, a pixel either way
    EXPECT_NEAR(size(inner[i]).cx, 2 * before[i].cx, 1) << i;
    EXPECT_NEAR(size(inner[i]).cy, 2 * before[i].cy, 1) << i;
  }
  EXPECT_NEAR(fontHeight(sample.Item(20)), 2 * font, 1);
  EXPECT_NEAR(fontHeight(frame), 2 * frameFont, 1);

  // Back again: the picture is made anew for each scale, the one before freed.
  GetWindowRect(window, &suggested);
  SendMessageA(window, 0x02E0, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  app.ProcessMessages();
  EXPECT_EQ(heard, (std::vector<int>{2 * dpi, dpi}));
  EXPECT_NE(picture.Bitmap.Handle, nullptr);
  ASSERT_NE(PeerOf(picture), nullptr);
  EXPECT_EQ(PeerOf(picture)->Pictures.size(), 1u);
}

TEST(Win32Backend, TimersPrivateMessagesAndModalRuns) {
  TWin32Application app(GetModuleHandleA(nullptr));
  TForm form(app, nullptr, "MsgDlg");
  form.SetBounds(60, 60, 200, 100);
  form.ShowActivated = false;
  auto &ok = form.Create<TButton>("OkBtn");
  ok.SetParent(&form);
  ok.ModalResult = mrOk;
  ok.Tag = 5;
  ok.SetBounds(10, 10, 60, 24);
  std::vector<uint32_t> received;
  form.OnMessage = [&](uint32_t message, uintptr_t wParam, intptr_t) {
    received.push_back(message);
    received.push_back(static_cast<uint32_t>(wParam));
  };
  app.Realize(form);
  PostMessageA(TWin32Application::WindowOf(form), 0x1400, 7, 0);
  app.PostFormMessage(form, kKeyboardNotification, 9, 0);
  app.ProcessMessages();
  EXPECT_EQ(received, (std::vector<uint32_t>{0x1400, 7, kKeyboardNotification, 9}));

  // A real timer presses the button during the modal run.
  auto &timer = form.Create<TTimer>("CountDownTimer");
  timer.SetInterval(50);
  int ticks = 0;
  timer.OnTimer = [&](TComponent &) {
    if (++ticks == 3)
      SendMessageA(GetDlgItem(TWin32Application::WindowOf(form), 5), BM_CLICK, 0, 0);
  };
  EXPECT_EQ(form.ShowModal(), mrOk);
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(IsWindowVisible(TWin32Application::WindowOf(form)));
}

} // namespace

#include "ui/win32/TrayIcon.h"

namespace {

TEST(Win32Backend, TrayIconShowsChangesAndGoes) {
  TWin32Application app(GetModuleHandleA(nullptr));
  TForm form(app, nullptr, "TrayForm");
  form.SetBounds(0, 0, 100, 50);
  HWND window = app.Realize(form);
  ASSERT_NE(window, nullptr);
  TTrayIcon tray(window, 100, WM_USER + 1);
  HICON icon = LoadIcon(nullptr, IDI_APPLICATION);
  EXPECT_TRUE(tray.Show(icon, std::string(200, 'x'))); // an over-long tip is cut, not overrun
  EXPECT_TRUE(tray.Shown());
  EXPECT_TRUE(tray.SetTip("Movaro"));
  EXPECT_TRUE(tray.SetIcon(LoadIcon(nullptr, IDI_WARNING)));
  EXPECT_TRUE(tray.Hide());
  EXPECT_FALSE(tray.Shown());
  EXPECT_NE(LoadCursorResource(GetModuleHandleA(nullptr), "NOSUCHCURSOR"), nullptr);
}

} // namespace

#include "ui/PasswordDlg.h"

namespace {

// Typing into the real password window and pressing Enter or Escape.
TEST(Win32Backend, PasswordPromptAnswersFromTheKeyboard) {
  TWin32Application app(GetModuleHandleA(nullptr));
  auto answerWith = [&](const char *text, WPARAM key) {
    TForm helper(app, nullptr, "Helper");
    auto &timer = helper.Create<TTimer>("AnswerTimer");
    timer.SetInterval(100);
    int attempts = 0;
    timer.OnTimer = [&, text, key](TComponent &) {
      HWND prompt = FindWindowA("MovaroForm", "Password");
      HWND edit = GetFocus();
      if (!prompt || !edit || GetAncestor(edit, GA_ROOT) != prompt) {
        // Give the prompt a few seconds to take the focus, then close it so that
        // the comparison below fails instead of the run hanging.
        if (++attempts == 50) {
          timer.SetEnabled(false);
          if (prompt)
            PostMessageA(prompt, WM_CLOSE, 0, 0);
        }
        return;
      }
      timer.SetEnabled(false);
      for (const char *c = text; *c; ++c)
        SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(*c), 0);
      PostMessageA(edit, WM_KEYDOWN, key, 0);
    };
    return AskPassword(app);
  };
  EXPECT_EQ(answerWith("Secret", VK_RETURN), std::optional<std::string>("Secret"));
  EXPECT_EQ(answerWith("Secret", VK_ESCAPE), std::nullopt);
}

} // namespace
