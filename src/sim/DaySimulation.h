#pragma once
// A day of Movaro in virtual time: the activity monitor, the user profile,
// the break scheduler, the prompt dialog and the input blocking window, all
// the program's own code, on headless views. Input goes in as the hook
// library posts it; every second the trace timer ticks and the scheduler
// decides; what the user would see and hear is reported as lines.
//
// Reported (OnLine, one line each, the virtual wall clock first):
//   show RULE RECORD kind K buttons [..] time-out T "first words"
//   hide RULE RECORD            the dialog left the screen
//   block show | block close    the input blocking window
//   block input N               the Nth input swallowed by it
//   sound PATH                  a prompt sound played
//   recent ENTRY                a recent-messages entry added
//   answer RECORD yes|no|cancelled   a status question's answer, then
//   history ENTRY               the history entry it gave (profile only)
//   gauge N PERCENT             a status gauge the answer changed
//   fullscreen wait RULE        a due prompt waits for a full-screen program
//   fullscreen over|limit RULE after S s   it shows: the program left full
//                               screen, or the wait reached its limit
//   fullscreen dropped after S s    the prompt was no longer due
//   record date=D NAME=VALUE ...    the day record written to the history
//                               (at midnight, when monitoring stops, before
//                               a user switch; profile only)
// Tests use it as the program's world; tools/daysim reads scripts into it.

#include "base/Random.h"
#include "data/recfile/IDbRecs.h"
#include "movaro/MovaroContext.h"
#include "movaro/forms/BlockingWindow.h"
#include "movaro/forms/MessageDialog.h"
#include "movaro/profile/UserData.h"
#include "movaro/schedule/BreakScheduler.h"
#include "platform/headless/HeadlessDesktop.h"
#include "platform/headless/HeadlessLocale.h"
#include "platform/headless/HeadlessProfileFiles.h"
#include "platform/headless/HeadlessRegistry.h"
#include "platform/headless/HeadlessScreen.h"
#include "platform/headless/HeadlessUserSession.h"
#include "sim/HeadlessViews.h"
#include "sim/TraceSimulation.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

inline const std::string kSimProgramFolder = "C:\\Program Files\\Movaro\\";

class TDaySimulation {
public:
  // workFolder (ending with a separator) receives the profile file. Chance
  // comes from a generator seeded with seed, or from random when given.
  TDaySimulation(TDateTime wallStart, uint32_t tickStart, uint32_t seed, std::string workFolder,
                 IRandomSource *random = nullptr);
  ~TDaySimulation();

  // The information file, with the records of one language ("_44" English)
  // selected. False when it cannot be read (then nothing is ever prompted).
  bool LoadInfoFile(const std::string &path, const std::string &language = "_44");
  // Makes the user's profile (settings from the profile file, if it has them).
  void MakeProfile(const std::string &userName = "Anna");
  // Starts monitoring as the program does at the end of its start-up.
  bool Start();
  // Runs virtual time forward; the scheduler runs after every trace tick.
  void AdvanceTo(uint64_t elapsedMs) { Sim.AdvanceTo(elapsedMs); }
  void Advance(uint64_t milliseconds) { Sim.AdvanceTo(Sim.ElapsedMs() + milliseconds); }

  // Input that reaches the blocking window while it is up (it is on top of
  // everything but the dialog): counted there as well as by the hook.
  void BlockedInput();
  // The user switches the main window on or off the screen (off: back to
  // the tray; minimized: on the task bar).
  void RestoreMainWindow();
  void MinimizeMainWindow();
  void MinimizeApplication();
  // A click on the tray icon: the prompt on screen comes to the front, else
  // the main window is restored.
  void TrayClick();
  // "Take a break now" from the tray menu or the status page: the main
  // window goes back to the tray and the long break prompt comes at once.
  // False when refused (monitoring off or paused, nothing to prompt).
  bool TakeBreakNow();
  // The system closes the dialog (as at the end of a session).
  void CloseDialog();
  // Entry k (from 0) of the last-messages menu, clicked: the main window is
  // minimized and the message shown again until it is answered.
  bool ReplayRecentMessage(int k);
  // Runs once at the next message pump, as a click the user made while a
  // long operation (the status question's draw) lets messages run.
  void AtNextPump(std::function<void()> action) { atNextPump_ = std::move(action); }

  // Also reported: every step of the prompt's count-down
  // ("timeleft SECONDS") and the last-messages menu whenever it is rebuilt
  // ("lastmessages N" and one "lastmessage K CAPTION" per item).
  bool ReportDetails = false;

  std::function<void(const std::string &line)> OnLine;

  TTraceSimulation Sim;
  THeadlessLocale Locale;
  TMovaroContext Context;
  THeadlessRegistry Registry;
  THeadlessProfileFiles ProfileFiles;
  // Its State is the session's presence: locked, switched away, screen saver,
  // another program full screen.
  THeadlessUserSession Session{"Anna"};
  TSeededRandom SeededRandom;
  IRandomSource &Random;
  TIDbRecFile Info;
  THeadlessProfileView ProfileView;
  std::unique_ptr<TUserData> Profile;

  THeadlessApplication App;
  THeadlessScreen Screen;
  THeadlessDesktop Desktop;
  THeadlessStatusPage StatusPage;
  THeadlessStatusBar StatusBar;
  THeadlessTrayIcon Tray;
  THeadlessSoundPlayer Sound;
  THeadlessPump Pump;
  THeadlessDialogOwner Owner;
  TBlockingWindow Blocking;
  TMessageDialog Dialog;
  TBreakScheduler Scheduler;

private:
  void Report(const std::string &what);
  void DialogShown();
  void DialogHidden();
  // A status question's answer, into the history and the gauges as the
  // pages record it.
  void Answered(const TQuestionAnswer &answer);
  void FullScreenWait(const TFullScreenWait &wait);

  std::string workFolder_;
  bool dialogShown_ = false; // as last reported
  int timeLeft_ = -1;         // as last reported
  std::function<void()> atNextPump_;
  int32_t shownRule_ = 0, shownRecord_ = 0;
};

// The plain words at the start of a markup text, at most count of them.
std::string FirstWords(const std::string &markup, int count);
