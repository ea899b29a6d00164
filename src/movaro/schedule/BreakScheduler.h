#pragma once
// The break scheduler: once a second, after the trace rules were evaluated,
// it decides what the user sees while the main window is away: a break
// prompt (optionally with the input blocking window), the message of a fired
// rule, a status question, the "Pausing..." notice while the user is away, or
// nothing. It also keeps the status page and status line current, writes the
// support and break settings into the built-in rules, and runs the
// monitoring life cycle (start, pause, resume, stop, a switch of the Windows
// user).
//
// Everything runs on the user-interface thread. The search for a status
// question and the showing of the blocking window let pending messages run;
// a tick that arrives meanwhile returns at once (TickBusy), and stopping the
// monitor ends a running search. Nothing read before such a pump (the rule
// list in particular, which a daily restart replaces) is used after it
// without being read again.
//
// Wiring: the main window owns one scheduler, hands it its views and the
// information file, and calls StartMonitoring at the end of its start-up,
// StopMonitoring when it closes, MainTimerTime from its house-keeping timer,
// StartClick/PauseClick and the Apply* functions from the setup page, and
// MainWindowRestored when it comes back on screen.

#include "base/Random.h"
#include "data/recfile/IDbRecs.h"
#include "movaro/MovaroContext.h"
#include "movaro/schedule/SchedulerViews.h"
#include "platform/UserSession.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TSchedulerViews {
  IStatusPage &StatusPage;
  IStatusBar &StatusBar;
  IMessageDialog &Dialog;
  IBlockingWindow &Blocking;
  ITrayIcon &Tray;
  ISoundPlayer &Sound;
  IMessagePump &Pump;
};

// A due prompt that waits for a full-screen program.
struct TFullScreenWait {
  enum TStage {
    Started,      // the prompt became due while another program ran full screen
    Over,         // the program left full screen: the prompt shows now
    LimitReached, // the wait reached its limit: the prompt shows anyway
    Dropped,      // the prompt is no longer due (the user went away, the rule ended)
  };
  TStage Stage = Started;
  int32_t Rule = -1;     // the rule whose prompt waits
  int64_t WaitedMs = 0;  // since the wait started
};

class TBreakScheduler {
public:
  // programFolder ends with a backslash (the standard sounds are in its "Av\").
  TBreakScheduler(TMovaroContext &context, const TSchedulerViews &views, IRandomSource &random,
                  IUserSession &session, std::string programFolder);
  ~TBreakScheduler();
  TBreakScheduler(const TBreakScheduler &) = delete;
  TBreakScheduler &operator=(const TBreakScheduler &) = delete;

  // The information file with the current language's records selected;
  // none while it could not be loaded (then nothing is ever prompted).
  TIDbRecFile *InfoFile = nullptr;
  // The main window's texts (MainTexts.h), rebuilt on a language change.
  std::vector<std::string> MainTexts;

  // Starts tracing; on success loads the profile and binds the trace
  // callback. False when tracing did not start.
  bool StartMonitoring();
  // Unbinds the callback, stops tracing (ending a running question search)
  // and saves the profile. False when tracing did not stop cleanly.
  bool StopMonitoring();

  // The trace callback, once per tick.
  void TraceUpdated();
  // Shows a rule's message, a status question (rule 0 with its record) or
  // the absence notice (rule -1). False when that combination shows nothing.
  bool ShowRuleMessage(int32_t rule, int32_t record, bool persistent);
  // The status line and the controls that follow the monitoring state.
  void UpdateStatus();

  // The setup page's start and pause buttons.
  void StartClick();
  void PauseClick();
  // Settings into the rule periods: the support level (1..240) with the
  // label it gives, the short break in seconds (30..300) and the long break
  // in minutes (30..180). Values outside the ranges are taken at the nearer end.
  std::string ApplyLevel(int level);
  void ApplyShortBreak(int seconds);
  void ApplyLongBreak(int minutes);

  // "Take a break now": the long break prompt at once, with the blocking
  // window when the user blocks long breaks, counted as a long break, and
  // the long-break period started again from now, as after a break the rule
  // saw. Whatever the dialog showed gives way. Refused (false) while
  // BreakNowAvailable is not, and while the main window is on screen (it
  // goes back to the tray first). A click while a tick lets messages run
  // (a status question's draw) is taken at the next tick.
  bool TakeBreakNow();
  // Monitoring runs (not paused) and has prompts to show.
  bool BreakNowAvailable() const;

  // The house-keeping timer: a switch of the Windows user changes the profile.
  void MainTimerTime();
  // The main window came back: the prompt it replaces goes, with its blocking.
  void MainWindowRestored();

  // Told when a prompt starts or ends waiting for a full-screen program.
  std::function<void(const TFullScreenWait &)> OnFullScreenWait;

  bool TickBusy() const { return tickBusy_; }
  bool LoopPlayback() const { return loopPlayback_; }

private:
  TRuleList *Rules() const { return context_.Trace.TraceState.Rules.get(); }
  const std::string &Text(int index) const;
  void ShowStatusPage(TDateTime now);
  // Counts the break prompt whose time is over as rested through or not.
  void JudgeBreakPrompt();
  void CheckAbsence(bool away);
  bool MaintainDialog();
  // The rule whose prompt PickMessage would show (0 a status question), or -1.
  int32_t DueRule() const;
  // True while the due prompt waits for the full-screen program to end.
  bool HoldForFullScreen(bool fullScreen);
  void EndFullScreenWait(TFullScreenWait::TStage stage, int32_t rule);
  void PickMessage();
  bool StartBreakNow();
  // Runs the status question search; the record found, or 0.
  int32_t FindStatusQuestion();
  void ShowPrompt(int32_t rule, int32_t record);
  void PlayPromptSound();
  void ClearFired(int32_t rule);
  void ResetTrayIcon();
  void ShowClock();

  TMovaroContext &context_;
  TSchedulerViews views_;
  IRandomSource &random_;
  IUserSession &session_;
  std::string programFolder_;
  bool bound_ = false; // the trace callbacks are ours
  bool tickBusy_ = false;
  bool loopPlayback_ = true;
  bool fullScreenWait_ = false;  // a due prompt waits for a full-screen program
  TDateTime fullScreenWaitStart_ = 0;
  // The break prompt last shown (rule 3 or 4) until its time is over, else
  // -1, and the input count when it came.
  int32_t breakPromptRule_ = -1;
  uint32_t breakPromptInput_ = 0;
  bool breakNowPending_ = false; // "Take a break now" waits for the next tick
};
