// The program's composition headless: the main window bound to the context
// counts the hook's notifications, shows itself when another start asks, and
// drives the monitor's tick through the application's timers.
#include "movaro/MainForm.h"
#include "platform/HookProtocol.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessLocale.h"
#include "platform/headless/VirtualClock.h"
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
