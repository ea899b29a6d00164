// The media player on MCI and the content and setup pages as real windows:
// a generated film played into a window and its status read back, a wave
// sound, media that no device takes; then the pages in a window of their own
// with a film from a generated content container, a questionnaire answered
// by clicks on its radio buttons, setup controls changed by clicks and keys
// and a switch to German. Screenshots of every page are kept in the test's
// working folder (the build tree) as page_*.bmp.
#include "authoring/ArchiveWriter.h"
#include "authoring/IDbRecWriter.h"
#include "authoring/StrovdexWriter.h"
#include "base/Random.h"
#include "movaro/Shortcuts.h"
#include "movaro/pages/ContentPages.h"
#include "movaro/pages/SetupPage.h"
#include "movaro/profile/MessageEntry.h"
#include "movaro/profile/UserData.h"
#include "movaro/win32/Win32SkinResources.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessProfileFiles.h"
#include "platform/headless/HeadlessRegistry.h"
#include "platform/headless/HeadlessUserSession.h"
#include "platform/headless/ManualTimer.h"
#include "platform/headless/VirtualClock.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Locale.h"
#include "platform/win32/Win32MediaPlayer.h"
#include "platform/win32/Win32Screen.h"
#include "support/Win32Screenshot.h"
#include "ui/win32/Win32Application.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string Fixture(const char *name) {
  std::ifstream in(std::string(MOVARO_MEDIA) + "/" + name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A program folder below the temporary folder, removed afterwards.
struct TProgramFolder {
  TProgramFolder() {
    path = (std::filesystem::temp_directory_path() / "movaro-pages-test").string() + "\\";
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path + "Av");
  }
  ~TProgramFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string Write(const std::string &name, const std::string &data) {
    std::ofstream(path + name, std::ios::binary) << data;
    return path + name;
  }
  std::string path;
};

void Pump(TApplication &app, int milliseconds) {
  for (int i = 0; i < milliseconds / 10; ++i) {
    app.ProcessMessages();
    Sleep(10);
  }
}

// Runs the window messages until the condition holds, up to 10 s.
bool PumpUntil(TApplication &app, const std::function<bool()> &condition) {
  for (int i = 0; i < 1000 && !condition(); ++i)
    Pump(app, 10);
  return condition();
}

TEST(Win32MediaPlayer, PlaysAFilmIntoAWindowAndReadsItsStatusBack) {
  TProgramFolder folder;
  const std::string film = folder.Write("clip.avi", Fixture("clip.avi"));
  const std::string chime = folder.Write("chime.wav", Fixture("chime.wav"));
  ASSERT_GT(std::filesystem::file_size(film), 1000u);
  TWin32Application app(GetModuleHandleA(nullptr));
  HWND display = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 230, 240, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(display, nullptr);

  TWin32MediaPlayer player;
  std::vector<TMediaNotify> notices;
  int closed = 0;
  player.OnNotify = [&](TMediaNotify result) { notices.push_back(result); };
  player.OnClosed = [&] { ++closed; };
  auto answered = [&] { return !player.Waiting(); };
  ASSERT_TRUE(player.Open(film));
  ASSERT_TRUE(PumpUntil(app, answered));
  ASSERT_EQ(player.FileName(), film) << player.LastError();
  EXPECT_TRUE(player.UsesWindow()) << player.LastError();
  EXPECT_EQ(player.Length(), 30) << player.LastError(); // frames
  EXPECT_TRUE(player.SetDisplay(reinterpret_cast<TNativeWindow>(display), {25, 30, 180, 180}));
  ASSERT_TRUE(player.Play());
  ASSERT_TRUE(PumpUntil(app, answered));
  EXPECT_EQ(player.Mode(), TMediaMode::mmPlaying);
  Pump(app, 300);
  ASSERT_TRUE(player.Stop());
  ASSERT_TRUE(PumpUntil(app, answered));
  EXPECT_EQ(player.Mode(), TMediaMode::mmStopped);
  // Stop and play, pause and resume, each pair given at once: the plays cut
  // off are not the end of the film, and a step back beyond its start stops
  // there.
  notices.clear();
  ASSERT_TRUE(player.Play() && player.Stop() && player.Play() && player.Pause() && player.Pause());
  ASSERT_TRUE(PumpUntil(app, answered));
  Pump(app, 300);
  EXPECT_EQ(std::count(notices.begin(), notices.end(), TMediaNotify::mnSuccessful), 0);
  ASSERT_TRUE(player.Stop() && player.Rewind() && player.Step(-5));
  ASSERT_TRUE(PumpUntil(app, answered));
  EXPECT_EQ(closed, 0) << player.LastError();
  EXPECT_EQ(player.FileName(), film);
  // Played to the end, the device says so.
  ASSERT_TRUE(player.Stop() && player.Rewind());
  ASSERT_TRUE(PumpUntil(app, answered));
  notices.clear();
  ASSERT_TRUE(player.Play());
  // The stop before may still report its cut-off play (aborted) after the
  // clear: the end of this play is the first notice of another kind.
  ASSERT_TRUE(PumpUntil(app, [&] {
    return !notices.empty() && notices.back() != TMediaNotify::mnAborted &&
           notices.back() != TMediaNotify::mnSuperseded;
  }));
  // (Wine's driver goes on reporting "playing" after the end; the loop
  // restarts with stop, rewind and play whatever the mode says.)
  EXPECT_EQ(notices.back(), TMediaNotify::mnSuccessful);

  // A wave sound opens without a window; without a sound card its play may
  // fail, but it never hangs.
  ASSERT_TRUE(player.Open(chime));
  ASSERT_TRUE(PumpUntil(app, answered));
  EXPECT_EQ(player.FileName(), chime) << player.LastError();
  EXPECT_FALSE(player.UsesWindow());
  player.Play();
  Pump(app, 100);

  // What no device takes leaves the player closed and says so.
  for (const std::string &refused :
       {folder.Write("words.wav", Fixture("words.wav")),
        folder.Write("broken.avi", Fixture("broken.avi")), folder.path + "missing.avi"}) {
    const int before = closed;
    player.Open(refused);
    ASSERT_TRUE(PumpUntil(app, [&] { return closed > before; })) << refused;
    EXPECT_EQ(player.FileName(), "");
    EXPECT_EQ(player.Mode(), TMediaMode::mmNotReady);
    EXPECT_FALSE(player.Play());
  }
  DestroyWindow(display);
}

const char kLanguageSource[] = R"SRC(
table Contents
column iCountry integer7
column sCountry text width=128
column sLanguage text width=10
row 44 English English
row 49 German Deutsch
table "MainForm (English)"
column Tag integer7
column Caption text width=255
column Hint text width=255
row 8 "Yes" ""
row 9 "No" ""
table "MainForm (German)"
column Tag integer7
column Caption text width=255
column Hint text width=255
row 8 "Ja" ""
row 9 "Nein" ""
row 10100 "Hintergrundinformation" ""
row 11100 "Information" ""
row 12100 "\xdcbungen" ""
row 13100 "Pers\xf6nlicher Status" ""
row 14100 "Einstellungen" ""
row 14200 "\x95 Umfang der Unterst\xfctzung" ""
row 14201 "Weniger" ""
row 14203 "Mehr" ""
row 14400 "\x95 Pausen" ""
row 14401 "Kurz: 10 Sekunden Ruhe pro" ""
row 14403 "Sekunden" ""
row 14404 "Eingabe sperren" ""
row 14405 "Lang: 10 Minuten Ruhe pro" ""
row 14407 "Minuten" ""
row 14408 "Eingabe sperren" ""
row 14300 "\x95 Meldungen" ""
row 14301 "In der Taskleiste zeigen" ""
row 14302 "Kein Ton" ""
row 14303 "Standardton" ""
row 14306 "Mein Ton" ""
row 14307 "\xd6ffnen..." ""
row 14500 "\x95 Sprache" ""
)SRC";

std::vector<TRecordSource> PageRecords(const std::string &s) {
  return {
      {1, "bgi_001" + s + "|Working at a screen",
       "<B>Working at a screen</B>\r\n\r\nLong hours at a screen ask a lot of your neck, shoulders, "
       "arms and eyes. Short, frequent breaks and a few easy movements keep them relaxed.\r\n\r\n"
       "Read about <A HREF=bgi_002>breaks and movement</A>."},
      {2, "bgi_002" + s + "||Breaks and movement",
       "Stand up, look into the distance and move your shoulders now and then."},
      {3, "exe_001" + s + "|00000007-00101000|Wrist stretch",
       "<B>Wrist stretch</B>\r\n\r\nStretch one arm out, palm up. With the other hand, gently pull the "
       "fingers back until you feel a stretch. Hold for ten seconds, then change sides."},
      {4, "exp_001" + s + "|Dlg #nggt0000010000|Stress",
       "<B>Stress</B>\r\n\r\nThis bar shows how your answers about time pressure and tension score. "
       "A full green bar means no signs of stress were found."},
      {5, "msg_031" + s + "|Dlg #qggt0030010001||exp_001", "Do you often feel rushed while you work?"},
      {6, "msg_032" + s + "|Dlg #qggt0300010002||exp_001",
       "Can you decide for yourself when to take a short break?"},
  };
}

class TWindowHost : public IContentPagesHost, public ISetupPageHost, public IProfileView {
public:
  void UpdateStatus() override {}
  // A new page text's input fields get their windows.
  void PageTextChanged() override {
    if (App && Form)
      App->Realize(*Form);
  }
  TWin32Application *App = nullptr;
  TForm *Form = nullptr;
  void FormRestore() override {}
  void FormMinimize() override {}
  void ShowRuleMessage(int32_t, int32_t, bool) override {}
  void PopupMenu(TPopupMenu &, TControl &) override {}
  void StartMonitoring() override {}
  void PauseMonitoring() override {}
  void RebuildMainTexts() override {}
  void ShowCaption(const std::string &caption) override { Caption = caption; }
  std::string MainText(int index) override { return index == 0 ? "Movaro" : ""; }
  std::string TranslateMainText(int, const std::string &defaultText) override { return defaultText; }
  void ShowTitle(const std::string &) override {}
  void ShowSettings(const TProfileSettings &settings) override {
    if (Setup)
      Setup->ShowSettings(settings);
  }
  void ShowSupportLabel(const std::string &text) override {
    if (Setup)
      Setup->ShowSupportLabel(text);
  }
  void ShowRecentMessages(const std::vector<TRecentMessageItem> &items) override {
    if (Pages)
      Pages->ShowRecentMessages(items);
  }
  void ShowGauge(int gauge, int percent) override {
    if (Pages)
      Pages->ShowGauge(gauge, percent);
  }
  TContentPages *Pages = nullptr;
  TSetupPage *Setup = nullptr;
  std::string Caption;
};

void Snap(TApplication &app, const char *file) {
  Pump(app, 300);
  Screenshot shot;
  shot.Take();
  shot.Save(file);
}

// A page-sized borderless window with its page container, and what the
// pages run on.
class ContentPagesWindow : public ::testing::Test {
protected:
  void SetUp() override {
    form.Borderless = true;
    form.SetBounds(40, 40, kPageWidth, kPageHeight);
    form.SetColor(0xF7F4F2);
    pageCtrl.SetParent(&form);
    pageCtrl.SetBounds(0, 0, kPageWidth, kPageHeight);
  }
  TProgramFolder folder;
  TWin32FileSystem files;
  TWin32Locale locale;
  TWin32Application app{GetModuleHandleA(nullptr)};
  TWin32Screen screen;
  TForm form{app, nullptr, "MainForm"};
  TNotebook &pageCtrl = form.Create<TNotebook>("PageCtrl");
  TVirtualClock clock{46000.5, 1000};
  TVirtualCursor cursor;
  TManualTimer timer;
  TRecordingInputHooks hooks;
  TMovaroContext context{{clock, cursor, timer, hooks, files, locale}};
  TWindowHost host;
  TWin32MediaPlayer player;
};

// Real input as the system delivers it: to the window under the pointer
// (buttons) or to the focused one (wheel, keys).
void SendMouse(POINT at, DWORD flags, int wheel = 0) {
  SetCursorPos(at.x, at.y);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  input.mi.mouseData = static_cast<DWORD>(wheel);
  SendInput(1, &input, sizeof input);
}

TEST_F(ContentPagesWindow, PagesShowPlayAnswerAndSwitchLanguage) {
  {
    TArchiveWriter writer(files);
    ASSERT_TRUE(writer.Open(folder.path + "movaro.dat"));
    ASSERT_TRUE(writer.AddStored("00000007.avi", 862411107, Fixture("clip.avi")));
    ASSERT_TRUE(writer.Finish());
  }
  folder.Write("Av\\Bit.wav", Fixture("chime.wav"));
  folder.Write("Av\\Sonar.wav", Fixture("chime.wav"));
  std::vector<TRecordSource> records = PageRecords("_44");
  for (TRecordSource r : PageRecords("_49"))
    records.push_back({r.Id + 100, r.Name, r.Text});
  std::string error;
  ASSERT_TRUE(WriteRecordFile(files, records, folder.path + "MVRInfo.dat", error)) << error;
  TDatabaseSource source;
  ASSERT_TRUE(ParseTableSource(kLanguageSource, source, error)) << error;
  ASSERT_TRUE(WriteStrovdex(files, source, folder.path + "Movaro.lng", "", error)) << error;
  TIDbRecFile info(files);
  ASSERT_TRUE(info.LoadRecords(folder.path + "MVRInfo.dat"));

  THeadlessRegistry registry;
  THeadlessProfileFiles ini(files);
  THeadlessUserSession session{"Anna"};
  TSeededRandom random{3};
  TUserData profile({registry, locale, ini, clock, session, random},
                    folder.path + "movaro.ini");
  TContentPages pages(form, pageCtrl, context, host, player, screen, folder.path);
  TSetupPage setup(form, pageCtrl, context, host, pages, ini, folder.path);
  TWin32SkinResources skinResources(GetModuleHandleA(nullptr));
  TSkinLoader skins(files, skinResources, folder.path, screen.BitsPerPixel());
  pages.LoadSkins(skins);
  setup.LoadSkins(skins);
  ASSERT_FALSE(setup.ConfigStartBtn->GlyphUp.Empty());
  host.Pages = &pages;
  host.Setup = &setup;
  host.App = &app;
  host.Form = &form;
  pages.Media.ProcessMessages = [&] { app.ProcessMessages(); };
  pages.Media.VideoWindow = [&] {
    return reinterpret_cast<TNativeWindow>(TWin32Application::WindowOf(*pages.ExerVideoPnl));
  };
  pages.InfoFile = &info;
  TTraceState &trace = context.Trace.TraceState;
  trace.Rules = std::make_unique<TRuleList>();
  BuildRules(*trace.Rules, TRuleSetup(), files, clock.Now(), 0);
  profile.Links = {&host, &info, &trace, nullptr};
  context.Profile = &profile;
  profile.LoadSettings();
  setup.FillStandardSounds();
  setup.ApplyLanguage();
  profile.BuildMessageHistory(info);
  profile.LoadProfile();

  ASSERT_NE(app.Realize(form), nullptr);
  form.Show();
  Pump(app, 200);

  // Background information, record 1 of its menu.
  EXPECT_EQ(pages.BkInfo.Header->Caption(), "Working at a screen");
  Snap(app, "page_bkinfo.bmp");

  // Its hyperlink with the real pointer: the hand over it, the hand without
  // fingers beside it, and a click follows it to the page it names.
  ASSERT_EQ(pages.BkInfo.Parser->HyperLinks().Count(), 1);
  const auto *link = static_cast<THyperLinkArea *>(pages.BkInfo.Parser->HyperLinks().GetItem(1));
  POINT textOrigin{pages.BkInfo.Parser->Bounds().Left, pages.BkInfo.Parser->Bounds().Top};
  ClientToScreen(TWin32Application::WindowOf(*pages.BkInfo.TextCtrl), &textOrigin);
  const POINT onLink{textOrigin.x + link->Left + 3, textOrigin.y + (link->Top + link->Bottom) / 2};
  auto shownCursor = [&](POINT at) {
    SendMouse(at, MOUSEEVENTF_MOVE);
    Pump(app, 30);
    CURSORINFO info = {};
    info.cbSize = sizeof info;
    GetCursorInfo(&info);
    return info.hCursor;
  };
  EXPECT_EQ(shownCursor({textOrigin.x + link->Right + 40, textOrigin.y + link->Bottom + 20}),
            TWin32Application::CursorOf(crHandNoFingersCursor));
  EXPECT_EQ(shownCursor(onLink), TWin32Application::CursorOf(crHandCursor));
  SendMouse(onLink, MOUSEEVENTF_LEFTDOWN);
  SendMouse(onLink, MOUSEEVENTF_LEFTUP);
  Pump(app, 100);
  EXPECT_EQ(std::string(pages.BkInfo.Parser->Text()).rfind("Stand up", 0), 0u)
      << pages.BkInfo.Parser->Text();
  Snap(app, "page_bkinfo_followed.bmp");

  // The exercise: the film from movaro.dat plays into its panel.
  pages.ExerciseSubmenus[6]->Items()[0]->Click();
  Pump(app, 200);
  ASSERT_TRUE(PumpUntil(app, [&] { return !player.Waiting(); }));
  ASSERT_TRUE(pages.Media.Loaded()) << player.LastError();
  EXPECT_EQ(player.Mode(), TMediaMode::mmPlaying);
  EXPECT_TRUE(files.FileExists(folder.path + "T\\00000007.avi"));
  Snap(app, "page_exercise.bmp");
  SendMessageA(TWin32Application::WindowOf(form), WM_NULL, 0, 0);
  pages.MediaButtons[2]->Click(); // stop: the film stays loaded
  ASSERT_TRUE(PumpUntil(app, [&] { return !player.Waiting(); }));
  EXPECT_EQ(player.Mode(), TMediaMode::mmStopped);
  // The copy goes once the device has let go of it.
  pages.Media.StopMediaFile();
  EXPECT_TRUE(PumpUntil(app, [&] { return !files.FileExists(folder.path + "T\\00000007.avi"); }));
  EXPECT_FALSE(pages.MediaButtons[0]->Enabled());

  // A questionnaire answered by clicks on its radio buttons.
  pages.TestItemClick(*pages.TestLabels[1]);
  Pump(app, 100);
  Snap(app, "page_questionnaire.bmp");
  HWND yes = TWin32Application::WindowOf(*pages.Info.Parser->InputControl("ANSWERYES"));
  ASSERT_NE(yes, nullptr);
  SendMessageA(yes, BM_CLICK, 0, 0);
  Pump(app, 100);
  EXPECT_EQ(EntryCount(profile.FindEntry("qggt0030010001")), 3);
  HWND yesAgain = TWin32Application::WindowOf(*pages.Info.Parser->InputControl("ANSWERYES"));
  ASSERT_NE(yesAgain, nullptr);
  SendMessageA(yesAgain, BM_CLICK, 0, 0);
  Pump(app, 100);
  EXPECT_EQ(EntryCount(profile.FindEntry("qggt0300010002")), 0);
  EXPECT_EQ(pages.TestGauges[1]->Progress(), 50); // 3 of the worst 6
  pages.StatusBtnClick();
  Snap(app, "page_status.bmp");

  // The setup page: a click on a check box, keys on the slider.
  ShowPage(pageCtrl, "Config");
  Pump(app, 100);
  SendMessageA(TWin32Application::WindowOf(*setup.ConfigPausesShortBlockCBox), BM_CLICK, 0, 0);
  EXPECT_TRUE(profile.ConfigShortPauseBlock);
  HWND slider = TWin32Application::WindowOf(*setup.ConfigLevelTrackBar);
  SetFocus(slider);
  SendMessageA(slider, WM_KEYDOWN, VK_END, 0);
  SendMessageA(slider, WM_KEYUP, VK_END, 0);
  Pump(app, 100);
  EXPECT_EQ(profile.ConfigLevel, 240);
  EXPECT_NEAR((*trace.Rules)[0].TraceMsgStats.TracePeriod * kSecondsPerDay, 15, 1e-6);
  EXPECT_EQ(setup.ConfigLevelLbl->Caption(), "(1x / 15 sec)");
  Snap(app, "page_setup.bmp");

  // German, chosen in the language list.
  HWND list = TWin32Application::WindowOf(*setup.ConfigLanguageList);
  SendMessageA(list, CB_SETCURSEL, 1, 0);
  SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  Pump(app, 100);
  EXPECT_EQ(context.Translator.LanguageNumber, 49);
  EXPECT_EQ(setup.Title.Label->Caption(), "Einstellungen");
  EXPECT_EQ(pageCtrl.Page(pageCtrl.ActivePageIndex()).Name(), "Config");
  Snap(app, "page_setup_german.bmp");
  ShowPage(pageCtrl, "BkInfo");
  Snap(app, "page_bkinfo_german.bmp");
}

void SendKey(WORD key) {
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = inputs[1].ki.wVk = key;
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
}

// Whether the box's area of the later picture is the earlier one moved up
// by a distance (the scroll bar left out).
bool MovedUpBy(const Screenshot &before, const Screenshot &after, RECT area, int distance) {
  int differing = 0;
  for (int y = area.top; y + distance < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      differing += after.At(x, y) != before.At(x, y + distance);
  return differing == 0;
}

TEST_F(ContentPagesWindow, TextBoxScrollsByWheelKeysAndItsArrows) {
  TContentPages pages(form, pageCtrl, context, host, player, screen, folder.path);
  // The scrolling keys as the main window passes them on.
  form.KeyPreview = true;
  form.OnPreviewKeyDown = [&](TComponent &, int &key, TShiftState shift) {
    if (pages.ScrollFocusedText(ShortcutForKey(key, shift, true)))
      key = 0;
  };
  std::string page = "<B>Moving at work</B>\r\n\r\n";
  for (int i = 1; i <= 40; ++i)
    page += "Paragraph " + std::to_string(i) +
            ": <I>stand up</I>, roll the shoulders, look out of the window and breathe out slowly.\r\n";
  pages.BkInfo.Parser->SetText(page.c_str());
  ShowPage(pageCtrl, "BkInfo");
  ASSERT_NE(app.Realize(form), nullptr);
  form.Show();
  SetForegroundWindow(TWin32Application::WindowOf(form));
  Pump(app, 200);

  TScrollBox &box = *pages.BkInfo.TextCtrl;
  HWND boxWindow = TWin32Application::WindowOf(box);
  ASSERT_NE(boxWindow, nullptr);
  auto barInfo = [&] {
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(boxWindow, SB_VERT, &info);
    return info;
  };
  SCROLLINFO info = barInfo();
  EXPECT_EQ(info.nMax + 1, box.VertRange());
  EXPECT_EQ(info.nPage, 290u);
  ASSERT_GT(box.VertScrollMax(), 600);
  RECT client;
  GetClientRect(boxWindow, &client);
  POINT origin{0, 0};
  ClientToScreen(boxWindow, &origin);
  const RECT area{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  const int line = box.LineIncrement();

  // The wheel does nothing until a click on the text gives the box the focus.
  SendMouse({origin.x + 100, origin.y + 100}, MOUSEEVENTF_WHEEL, -WHEEL_DELTA);
  Pump(app, 100);
  EXPECT_EQ(box.VertScrollPos(), 0);
  SendMouse({origin.x + 100, origin.y + 100}, MOUSEEVENTF_LEFTDOWN);
  SendMouse({origin.x + 100, origin.y + 100}, MOUSEEVENTF_LEFTUP);
  Pump(app, 100);
  EXPECT_EQ(GetFocus(), boxWindow);
  Screenshot top;
  top.Take();
  SendMouse({origin.x + 100, origin.y + 100}, MOUSEEVENTF_WHEEL, -2 * WHEEL_DELTA);
  Pump(app, 200);
  EXPECT_EQ(box.VertScrollPos(), 2 * line);
  EXPECT_EQ(barInfo().nPos, 2 * line);
  Screenshot wheeled;
  wheeled.Take();
  EXPECT_FALSE(MovedUpBy(top, wheeled, area, 0)); // the text did move
  EXPECT_TRUE(MovedUpBy(top, wheeled, area, 2 * line));

  // Keys: End, a line down that goes nowhere, Up, Home.
  SendKey(VK_END);
  SendKey(VK_NEXT);
  Pump(app, 100);
  EXPECT_EQ(box.VertScrollPos(), box.VertScrollMax());
  SendKey(VK_UP);
  Pump(app, 100);
  EXPECT_EQ(box.VertScrollPos(), box.VertScrollMax() - line);
  EXPECT_EQ(barInfo().nPos, box.VertScrollMax() - line);
  SendKey(VK_HOME);
  Pump(app, 100);
  EXPECT_EQ(box.VertScrollPos(), 0);

  // A click on the scroll bar's lower arrow.
  RECT frame;
  GetWindowRect(boxWindow, &frame);
  const POINT arrow{frame.right - GetSystemMetrics(SM_CXVSCROLL) / 2,
                    frame.bottom - GetSystemMetrics(SM_CYVSCROLL) / 2};
  SendMouse(arrow, MOUSEEVENTF_LEFTDOWN);
  SendMouse(arrow, MOUSEEVENTF_LEFTUP);
  Pump(app, 200);
  EXPECT_EQ(box.VertScrollPos(), line);
  Screenshot arrowed;
  arrowed.Take();
  EXPECT_TRUE(MovedUpBy(top, arrowed, area, line));

  // Half-way down, for a look.
  box.ScrollTo(box.VertScrollMax() / 2);
  Snap(app, "page_scrolled.bmp");
  EXPECT_EQ(barInfo().nPos, box.VertScrollMax() / 2);
}

} // namespace
