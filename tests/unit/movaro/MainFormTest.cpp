// The program's composition headless: the main window bound to the context
// counts the hook's notifications, shows itself when another start asks, and
// drives the monitor's tick through the application's timers.
#include "movaro/MainForm.h"
#include "platform/HookProtocol.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessLocale.h"
#include "platform/headless/VirtualClock.h"
#include "movaro/Shortcuts.h"
#include "movaro/profile/UserData.h"
#include "platform/headless/HeadlessNotificationIcon.h"
#include "platform/headless/HeadlessRegistry.h"
#include "platform/headless/HeadlessShell.h"
#include "platform/headless/HeadlessUserSession.h"
#include "support/ScratchFolder.h"
#include "ui/ComponentTimer.h"

#include <gtest/gtest.h>

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
  TMainFormEnv env{tray, shell, registry, skins, session, folder,
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
  w.clock.Advance(1000);
  w.app.AdvanceTime(1000); // the main timer shows the clock
  EXPECT_EQ(w.form.MainStatusBar.Panels()[1].Text, "12:00:01");

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
  w.app.PostFormMessage(w.form, kTrayCallbackMessage, kTrayIconId, kTrayRightButtonDown);
  w.app.ProcessMessages();
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

  w.form.QuitBtn.OnMouseMove(w.form.QuitBtn, 20, 390);
  EXPECT_EQ(w.form.MainStatusBar.Panels()[0].Text, "Close Movaro");
  w.form.Background.OnMouseMove(w.form.Background, 300, 20);
  EXPECT_EQ(w.form.MainStatusBar.Panels()[0].Text, "");
}
