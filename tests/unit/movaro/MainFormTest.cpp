// The program's composition headless: the main window bound to the context
// counts the hook's notifications, shows itself when another start asks, and
// drives the monitor's tick through the application's timers.
#include "movaro/MainForm.h"
#include "authoring/IDbRecWriter.h"
#include "authoring/StrovdexWriter.h"
#include "movaro/MainFormWiring.h"
#include "platform/HookProtocol.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessLocale.h"
#include "platform/headless/VirtualClock.h"
#include "movaro/Shortcuts.h"
#include "movaro/profile/UserData.h"
#include "platform/headless/HeadlessDesktop.h"
#include "platform/headless/HeadlessNotificationIcon.h"
#include "platform/headless/HeadlessProfileFiles.h"
#include "platform/headless/HeadlessScreen.h"
#include "platform/headless/RecordingMediaPlayer.h"
#include "platform/headless/HeadlessRegistry.h"
#include "platform/headless/HeadlessShell.h"
#include "platform/headless/HeadlessUserSession.h"
#include "support/AccessibleWalk.h"
#include "support/ScratchFolder.h"
#include "ui/ComponentTimer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

TEST(MainForm, BoundToTheContextCountsShowsItselfAndTicks) {
  THeadlessApplication app;
  TMainForm form(app);
  EXPECT_EQ(form.WindowClassName, "Movaro");
  TVirtualClock clock(46000.5, 1000);
  TVirtualCursor cursor;
  TRecordingInputHooks hooks;
  THeadlessFileSystem files;
  THeadlessLocale locale;
  TComponentTimer traceTimer(form.TraceTimer);
  TMovaroContext context({clock, cursor, traceTimer, hooks, files, locale});
  form.Bind(context);

  app.PostFormMessage(form, kShowYourselfMessage, 0, 0);
  app.ProcessMessages();
  EXPECT_TRUE(form.Visible());

  app.PostFormMessage(form, kKeyboardNotification, 'A', static_cast<intptr_t>(0xC0000001u));
  app.PostFormMessage(form, kMouseNotification, kMsgLButtonUp, 0);
  app.ProcessMessages();
  EXPECT_EQ(context.Trace.InputCount(ttKeystrokes), 1u);
  EXPECT_EQ(context.Trace.InputCount(ttMouseClicks), 1u);

  int updates = 0;
  context.Trace.OnTraceUpdate = [&] { ++updates; };
  ASSERT_TRUE(context.Trace.StartTracing());
  EXPECT_TRUE(hooks.Installed(kKeyboardHook));
  EXPECT_TRUE(form.TraceTimer.Enabled());
  const int atStart = updates;
  app.AdvanceTime(3000);
  EXPECT_EQ(updates - atStart, 3); // one pass per second of the form's timer
  context.Trace.StopTracing();
  EXPECT_FALSE(form.TraceTimer.Enabled());
}

namespace {

class TNoSkins : public ISkinResources {
public:
  std::string_view BitmapBytes(const std::string &) override { return {}; }
};

// The main window started headless in a scratch program folder, with the
// hook, tray, registry and shell doubles and a profile.
struct TStartedMainForm {
  TStartedMainForm() {
    context.Profile = nullptr;
    form.Bind(context);
    files.ForceDirectories(folder + "T");
    TScratchFolder::WriteFile(scratch.Path("T/00000001.avi"), "left over");
  }
  ~TStartedMainForm() { form.FormDestroy(); }
  void Start() { form.Start(env); }
  TForm *FormNamed(const std::string &name) {
    for (TForm *f : app.Forms())
      if (f->Name() == name)
        return f;
    return nullptr;
  }

  TScratchFolder scratch;
  std::string folder = scratch.Path("") + "\\";
  THeadlessApplication app;
  TMainForm form{app};
  TVirtualClock clock{46000.5, 1000};
  TVirtualCursor cursor;
  TRecordingInputHooks hooks;
  THeadlessFileSystem files;
  THeadlessLocale locale;
  TComponentTimer traceTimer{form.TraceTimer};
  TMovaroContext context{{clock, cursor, traceTimer, hooks, files, locale}};
  THeadlessNotificationIcon tray;
  THeadlessRegistry registry;
  THeadlessShell shell{files};
  THeadlessUserSession session{"Anna"};
  TNoSkins resources;
  TSkinLoader skins{files, resources, folder, 32};
  THeadlessScreen screen;
  THeadlessDesktop desktop;
  TRecordingMediaPlayer player{files};
  TSeededRandom random{7};
  THeadlessProfileFiles profileFiles{files};
  TMainFormEnv env{tray,   shell,   registry, skins,  session,      screen,
                   desktop, player, random,   profileFiles, folder,
                   [this](uint32_t ms) { app.AdvanceTime(ms); }};
};

} // namespace

TEST(MainForm, StartsInTheTrayWithItsLanguageAndEndsWithoutItsTraces) {
  TStartedMainForm w;
  w.registry.WriteValue(kHKeyCurrentUser, "Control Panel\\International", "sLanguage",
                        TRegValue::String("DEU"));
  w.Start();
  EXPECT_EQ(w.context.Translator.LanguageNumber, 49);
  EXPECT_EQ(w.form.Caption(), "Movaro 3.0 release 2");
  EXPECT_EQ(w.form.CaptionLbl.Caption(), w.form.Caption());
  EXPECT_TRUE(w.tray.Shown());
  EXPECT_EQ(w.tray.Icon, "MAINICON");
  EXPECT_EQ(w.tray.Tip, "Movaro 3.0 release 2");
  EXPECT_EQ(w.form.PageCtrl.ActivePageIndex(), mpStatus);
  EXPECT_EQ(w.form.StartFlags & kStartPhase, 0);
  EXPECT_NE(w.form.StartFlags & kStartConstructing, 0);
  EXPECT_TRUE(w.form.MainTimer.Enabled());
  // The intro window came and went; no information file, so no monitoring.
  ASSERT_NE(w.FormNamed("IntroForm"), nullptr);
  EXPECT_FALSE(w.FormNamed("IntroForm")->Visible());
  EXPECT_FALSE(w.form.Monitoring());
  w.form.Show();
  w.clock.Advance(1000);
  w.app.AdvanceTime(1000); // the main timer shows the clock while the window is shown
  EXPECT_EQ(w.form.MainStatusBar.Panels()[1].Text, "Time:12:00");

  w.form.FormDestroy();
  EXPECT_FALSE(w.tray.Shown());
  EXPECT_FALSE(w.files.DirectoryExists(w.folder + "T"));
}

TEST(MainForm, KeysTrayAndSecondStartHideAndRestore) {
  TStartedMainForm w;
  w.Start();
  w.app.MainForm = &w.form;
  w.form.Show();
  int key = kVkInsert;
  w.form.OnPreviewKeyDown(w.form, key, {});
  EXPECT_EQ(key, 0);
  EXPECT_FALSE(w.form.Visible()); // hidden: only the tray icon is left
  EXPECT_FALSE(w.app.Terminated);
  w.app.PostFormMessage(w.form, kTrayCallbackMessage, kTrayIconId, 0x200); // a mouse move
  w.app.ProcessMessages();
  EXPECT_FALSE(w.form.Visible());
  w.form.ShowPage(mpConfig);
  // A right click opens the tray menu; its first item the window's status page.
  std::vector<TPopupMenu *> trayMenus;
  w.env.PopupAtCursor = [&](TPopupMenu &menu) { trayMenus.push_back(&menu); };
  w.app.PostFormMessage(w.form, kTrayCallbackMessage, kTrayIconId, kTrayRightButtonDown);
  w.app.ProcessMessages();
  ASSERT_EQ(trayMenus, std::vector<TPopupMenu *>{&w.form.TrayMenu});
  EXPECT_FALSE(w.form.Visible());
  EXPECT_FALSE(w.form.TrayBreakNowItem.Enabled); // nothing monitored: no break to take
  EXPECT_TRUE(w.form.TrayOpenItem.Click());
  EXPECT_TRUE(w.form.Visible());
  EXPECT_EQ(w.form.PageCtrl.ActivePageIndex(), mpStatus);

  // Without a profile the Alt shortcuts do nothing; with one, Alt+C and
  // Alt+Shift+S switch pages.
  key = 'C';
  w.form.OnPreviewKeyDown(w.form, key, {false, false, true});
  EXPECT_EQ(w.form.PageCtrl.ActivePageIndex(), mpStatus);
  w.form.MinimizeBtnClick();
  EXPECT_TRUE(w.form.Minimized());
  w.app.PostFormMessage(w.form, kShowYourselfMessage, 0, 0);
  w.app.ProcessMessages();
  EXPECT_FALSE(w.form.Minimized());

  // Alt+F4 is refused once; the next close asks no more.
  key = kVkF4;
  w.form.OnPreviewKeyDown(w.form, key, {false, false, true});
  EXPECT_FALSE(w.form.Close());
  EXPECT_TRUE(w.form.Visible());
  EXPECT_TRUE(w.form.Close());
  EXPECT_TRUE(w.app.Terminated);
}

TEST(MainForm, QuitAsksShowsTheFarewellAndEndsSessionEndsUnasked) {
  TStartedMainForm w;
  w.Start();
  w.app.MainForm = &w.form;
  w.form.Show();
  // "No" keeps the program.
  w.app.Post([&] { w.FormNamed("MessageDlgBox")->Close(); });
  w.form.QuitBtn.Click();
  EXPECT_TRUE(w.form.Visible());
  EXPECT_FALSE(w.app.Terminated);
  // "Yes": the About box shows without its close button, then all ends.
  bool closeButtonHidden = false;
  w.app.Post([&] {
    auto *box = static_cast<TMessageDlgBox *>(w.FormNamed("MessageDlgBox"));
    EXPECT_NE(box->MsgLbl.Caption().find("Do you really want to close Movaro?\r\n\r\n"),
              std::string::npos);
    EXPECT_EQ(box->OkBtn.Caption(), "Yes");
    box->OkBtn.Click();
  });
  w.form.QuitBtn.Click();
  auto *about = static_cast<TAboutBox *>(w.FormNamed("AboutBox"));
  ASSERT_NE(about, nullptr);
  closeButtonHidden = !about->CloseBtn.Visible();
  EXPECT_TRUE(closeButtonHidden);
  EXPECT_FALSE(about->Visible());
  EXPECT_TRUE(w.app.Terminated);

  TStartedMainForm session;
  session.Start();
  session.form.OnEndSession(session.form);
  EXPECT_FALSE(session.tray.Shown());
  EXPECT_FALSE(session.files.DirectoryExists(session.folder + "T"));
}

TEST(MainForm, DraggedByItsBackgroundWithHintsInTheStatusBar) {
  TStartedMainForm w;
  w.Start();
  const TRect before = w.form.Bounds();
  w.cursor.Position = {300, 200};
  w.form.Background.OnMouseDown(w.form.Background, TMouseButton::mbLeft, 10, 10);
  w.cursor.Position = {340, 170};
  w.form.Background.OnMouseMove(w.form.Background, 50, -20);
  w.form.Background.OnMouseUp(w.form.Background, TMouseButton::mbLeft, 50, -20);
  w.cursor.Position = {400, 400};
  w.form.Background.OnMouseMove(w.form.Background, 110, 210); // released: no more moving
  EXPECT_EQ(w.form.Bounds().Left, before.Left + 40);
  EXPECT_EQ(w.form.Bounds().Top, before.Top - 30);
  // Dragged half off the screen, the window comes back whole when shown again.
  w.form.SetBounds(-300, 700, 640, 445);
  w.form.Show();
  EXPECT_EQ(w.form.Bounds().Left, 0);
  EXPECT_EQ(w.form.Bounds().Top, 768 - 445);

  w.form.QuitBtn.OnMouseMove(w.form.QuitBtn, 20, 390);
  EXPECT_EQ(w.form.MainStatusBar.Panels()[0].Text, "Close Movaro");
  w.form.Background.OnMouseMove(w.form.Background, 300, 20);
  EXPECT_EQ(w.form.MainStatusBar.Panels()[0].Text, "");
  // Leaving a button for a page (no move over the backdrop) takes its hint away.
  w.form.QuitBtn.OnMouseMove(w.form.QuitBtn, 20, 390);
  w.form.QuitBtn.MouseOut();
  EXPECT_EQ(w.form.MainStatusBar.Panels()[0].Text, "");
}

// The program path of a break prompt: the main window started with an
// information file, hidden to the tray while the user types; the short break
// prompt comes up with its sound, the tray icon blinks, Escape takes it away
// and the window's pages and setup page follow the profile.
TEST(MainForm, HiddenWhileTypingPromptsABreakThroughItsOwnScheduler) {
  TStartedMainForm w;
  std::string error;
  ASSERT_TRUE(WriteRecordFile(
      w.files,
      {{1, "bgi_001_44|Working at a screen", "<B>Working at a screen</B> Move now and then."},
       {2, "exe_001_44|00000007-00101000|Wrist stretch", "Stretch one arm out."}},
      w.folder + "MVRInfo.dat", error))
      << error;
  w.files.ForceDirectories(w.folder + "Av");
  TScratchFolder::WriteFile(w.scratch.Path("Av/Bit.wav"), std::string("RIFF\4\0\0\0WAVE", 12));
  TUserData profile({w.registry, w.locale, w.profileFiles, w.clock, w.session, w.random},
                    w.folder + "movaro.ini");
  profile.LoadSettings();
  w.context.Profile = &profile;
  w.form.StartFlags &= static_cast<uint8_t>(~kStartShowIntro);
  std::vector<std::pair<const TPopupMenu *, int>> popups; // menu, screen top
  w.env.Popup = [&](TPopupMenu &menu, int, int y) { popups.push_back({&menu, y}); };
  w.Start();
  ASSERT_TRUE(w.form.Monitoring());
  TMainFormWiring &parts = *w.form.Wiring();
  EXPECT_EQ(w.form.PageCtrl.PageCount(), 6);
  EXPECT_EQ(w.form.PageCtrl.Page(mpConfig).Name(), "Config");
  EXPECT_EQ(parts.Pages.BkInfo.Header->Caption(), "Working at a screen");
  EXPECT_FALSE(parts.Dialog.Visible()); // the start-up notice went
  // Page Down scrolls the text box that has the focus, and only then takes the key.
  std::string longText;
  for (int i = 0; i < 60; ++i)
    longText += "Move now and then.\r\n";
  parts.Pages.BkInfo.Parser->SetText(longText.c_str());
  int key = kVkPageDown;
  w.form.OnPreviewKeyDown(w.form, key, {});
  EXPECT_EQ(key, kVkPageDown);
  parts.Pages.TextClick(*parts.Pages.BkInfo.Parser); // as a click on the text
  w.form.OnPreviewKeyDown(w.form, key, {true, true, false});
  EXPECT_EQ(key, 0);
  EXPECT_EQ(parts.Pages.BkInfo.TextCtrl->VertScrollPos(), parts.Pages.BkInfo.TextCtrl->LineIncrement());
  // Alt+E does what the Exercises button does: its menu 2 pixels below the
  // button, and the page stays until an exercise is chosen.
  key = 'E';
  w.form.OnPreviewKeyDown(w.form, key, {false, false, true});
  ASSERT_EQ(popups.size(), 1u);
  EXPECT_EQ(popups[0].first, parts.Pages.PopupExerItems);
  int buttonBottom = w.form.ExercisesBtn.Bounds().Height;
  for (const TControl *c = &w.form.ExercisesBtn; c; c = c->Parent())
    buttonBottom += c->Bounds().Top;
  EXPECT_EQ(popups[0].second, buttonBottom + 2);
  EXPECT_EQ(w.form.PageCtrl.ActivePageIndex(), mpStatus);
  EXPECT_EQ(w.form.MainStatusBar.Panels()[2].Text, "Movaro is running");

  auto typeFor = [&](int seconds) {
    for (int s = 0; s < seconds && !parts.Dialog.Visible(); ++s) {
      w.app.PostFormMessage(w.form, kKeyboardNotification, 'A', static_cast<intptr_t>(0xC0000001u));
      w.clock.Advance(1000);
      w.app.AdvanceTime(1000);
    }
  };
  // Until the window has first been shown, it counts as on screen: a break
  // due meanwhile raises no prompt over the starting program.
  typeFor(70);
  EXPECT_FALSE(parts.Dialog.Visible());
  // On screen, the status page shows the figures; hidden, the user types on.
  w.app.MainForm = &w.form;
  w.form.Show();
  typeFor(3);
  EXPECT_EQ(parts.Pages.StatusValues[7]->Caption(), "73");
  w.form.HideBtnClick();
  typeFor(200);
  ASSERT_TRUE(parts.Dialog.Visible());
  EXPECT_EQ(parts.Dialog.ShownRuleIndex(), 3);
  const std::string playedSound = "open " + w.folder + "Av\\Bit.wav";
  EXPECT_NE(std::find(w.player.Log.begin(), w.player.Log.end(), playedSound), w.player.Log.end());
  ASSERT_FALSE(profile.RecentMessages.empty());
  EXPECT_EQ(profile.RecentMessages.front().substr(0, 4), "3-0>");
  // The count-down blinks the tray between the program's and the kind's icon.
  std::set<std::string> icons;
  for (int s = 0; s < 3; ++s) {
    w.clock.Advance(1000);
    w.app.AdvanceTime(1000);
    icons.insert(w.tray.Icon);
  }
  EXPECT_EQ(icons, (std::set<std::string>{"MAINICON", KindIconName(parts.Dialog.ShownKind())}));
  parts.Dialog.FormKeyUp(27, false); // Escape
  EXPECT_FALSE(parts.Dialog.Visible());
  EXPECT_EQ(w.tray.Icon, "MAINICON");

  // Back on screen, the setup page stores a change at once; the Start and
  // Pause buttons follow the monitoring state.
  w.form.FormRestore();
  w.form.ShowPage(mpConfig); // controls of a hidden page take no clicks
  parts.Setup.ConfigPausesLongBlockCBox->Click();
  EXPECT_TRUE(profile.ConfigLongPauseBlock);
  std::string ini;
  ASSERT_TRUE(ReadWholeFile(w.files, w.folder + "movaro.ini", ini));
  EXPECT_NE(ini.find("ConfigLongPauseBlock=1"), std::string::npos);
  parts.Setup.ConfigPauseBtn->Click();
  EXPECT_TRUE(parts.Setup.ConfigStartBtn->Enabled());
  EXPECT_FALSE(parts.Setup.ConfigPauseBtn->Enabled());
  w.form.FormDestroy();
  w.context.Profile = nullptr;
}

// A language chosen on the setup page reaches every text of the running
// program at once: the window's captions, the status line's words and the
// break prompts' texts in the rules.
TEST(MainForm, LanguageChosenOnTheSetupPageRetranslatesTheRunningProgram) {
  TStartedMainForm w;
  std::string error;
  TDatabaseSource source;
  ASSERT_TRUE(ParseTableSource(R"SRC(
table Contents
column iCountry integer7
column sCountry text width=128
column sLanguage text width=10
row 44 English English
row 49 German Deutsch
table "MainForm (German)"
column Tag integer7
column Caption text width=255
column Hint text width=255
row 2 "l\xe4uft" ""
row 17 "Mach eine kurze Pause von 10 Sekunden" ""
row 14000 "Einstellungen" ""
row 19003 "Springen" ""
)SRC",
                               source, error))
      << error;
  ASSERT_TRUE(WriteStrovdex(w.files, source, w.folder + "Movaro.lng", "", error)) << error;
  ASSERT_TRUE(WriteRecordFile(w.files, {{1, "bgi_001_44|Screens", "Screens."},
                                        {2, "bgi_001_49|Bildschirme", "Bildschirme."}},
                              w.folder + "MVRInfo.dat", error))
      << error;
  TUserData profile({w.registry, w.locale, w.profileFiles, w.clock, w.session, w.random},
                    w.folder + "movaro.ini");
  profile.LoadSettings();
  w.context.Profile = &profile;
  w.form.StartFlags &= static_cast<uint8_t>(~kStartShowIntro);
  std::vector<std::pair<const TPopupMenu *, int>> popups; // menu, screen top
  w.env.Popup = [&](TPopupMenu &menu, int, int y) { popups.push_back({&menu, y}); };
  w.Start();
  ASSERT_TRUE(w.form.Monitoring());
  TMainFormWiring &parts = *w.form.Wiring();
  w.form.Show();
  w.form.ShowPage(mpConfig);
  TComboBox &list = *parts.Setup.ConfigLanguageList;
  ASSERT_EQ(list.Items.IndexOf("German"), 1);
  list.SetItemIndex(1);
  parts.Setup.ConfigLanguageListChange();
  EXPECT_EQ(w.context.Translator.LanguageNumber, 49);
  EXPECT_EQ(w.form.ConfigBtn.Caption(), "Einstellungen");
  EXPECT_EQ(AccessibleActions().Jump, "Springen"); // what a screen reader says
  SetAccessibleActions({});
  EXPECT_EQ(w.form.MainStatusBar.Panels()[2].Text, "Movaro l\xe4uft");
  EXPECT_EQ((*w.context.Trace.TraceState.Rules)[3].MsgText, "Mach eine kurze Pause von 10 Sekunden");
  EXPECT_EQ(parts.Pages.BkInfo.Header->Caption(), "Bildschirme");
  EXPECT_EQ(w.form.PageCtrl.ActivePageIndex(), mpConfig);
  w.form.FormDestroy();
  w.context.Profile = nullptr;
}

TEST(MainForm, EveryControlOfEveryPageHasAnAccessibleName) {
  TStartedMainForm w;
  w.Start();
  w.form.Show();
  std::vector<std::string> unnamed;
  int count = 0;
  for (TMainPage page : {mpBkInfo, mpInfo, mpExercise, mpStatus, mpConfig, mpTraces}) {
    w.form.ShowPage(page);
    CollectUnnamed(w.form, unnamed, count);
  }
  EXPECT_EQ(unnamed, std::vector<std::string>{});
  EXPECT_GT(count, 6 * 15); // the buttons of the frame on each page, and the page's own
}
