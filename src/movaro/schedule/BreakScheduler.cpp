#include "movaro/schedule/BreakScheduler.h"

#include "movaro/profile/MessageEntry.h"
#include "movaro/profile/UserData.h"
#include "movaro/schedule/MainTexts.h"
#include "movaro/schedule/RuleMessages.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

constexpr int64_t kAbsenceMs = 60000; // idle longer than this: the user is away
constexpr int kTestCount = 10;
constexpr uint32_t kGeneralGroupChance = 50; // in 100: ask a general question
constexpr uint32_t kExerciseChance = 30;     // in 100: a general one is an exercise
constexpr int32_t kLongBreakRule = 4;

std::string SetNumber(int test) {
  char text[12]; // room for any int
  std::snprintf(text, sizeof text, "%03d", test);
  return text;
}

} // namespace

TBreakScheduler::TBreakScheduler(TMovaroContext &context, const TSchedulerViews &views,
                                 IRandomSource &random, IUserSession &session,
                                 std::string programFolder)
    : MainTexts(DefaultMainTexts()), context_(context), views_(views), random_(random),
      session_(session), programFolder_(std::move(programFolder)) {}

TBreakScheduler::~TBreakScheduler() {
  if (bound_) {
    context_.Trace.OnTraceUpdate = nullptr;
    context_.Trace.OnTraceRestart = nullptr;
    context_.Trace.OnTraceDayEnd = nullptr;
  }
}

const std::string &TBreakScheduler::Text(int index) const {
  static const std::string kNone;
  return index >= 0 && index < static_cast<int>(MainTexts.size()) ? MainTexts[index] : kNone;
}

// --- monitoring life cycle ------------------------------------------------------

bool TBreakScheduler::StartMonitoring() {
  TTraceEngine &trace = context_.Trace;
  trace.RuleSetup.ShortBreakText = Text(mtShortBreak);
  trace.RuleSetup.LongBreakText = Text(mtLongBreak);
  if (!trace.StartTracing())
    return false;
  if (TUserData *profile = context_.Profile) {
    profile->Links.Trace = &trace.TraceState;
    profile->Links.InfoFile = InfoFile;
    if (InfoFile)
      profile->BuildMessageHistory(*InfoFile);
    profile->LoadProfile();
  }
  trace.OnTraceUpdate = [this] { TraceUpdated(); };
  trace.OnTraceDayEnd = [this] {
    if (TUserData *profile = context_.Profile)
      profile->WriteDayRecord();
  };
  // A new day rebuilt the rules: the profile gives them their periods again.
  trace.OnTraceRestart = [this] {
    if (TUserData *profile = context_.Profile) {
      profile->SaveProfile();
      profile->LoadProfile();
    }
    breakPromptRule_ = -1; // of the rules the restart replaced
    UpdateStatus();
  };
  bound_ = true;
  return true;
}

bool TBreakScheduler::StopMonitoring() {
  TTraceEngine &trace = context_.Trace;
  trace.OnTraceUpdate = nullptr;
  trace.OnTraceRestart = nullptr;
  trace.OnTraceDayEnd = nullptr;
  bound_ = false;
  // The day's record while the trace state still holds it.
  if (context_.Profile)
    context_.Profile->WriteDayRecord();
  const bool stopped = trace.StopTracing();
  // The rules are gone either way: a search still drawing must end.
  tickBusy_ = false;
  if (stopped && context_.Profile) {
    context_.Profile->SaveProfile();
    while (context_.Dialogs.NetworkDialog)
      views_.Pump.ProcessMessages();
  }
  return stopped;
}

void TBreakScheduler::StartClick() {
  context_.Trace.Resume();
  UpdateStatus();
}

void TBreakScheduler::PauseClick() {
  context_.Trace.Pause();
  UpdateStatus();
}

void TBreakScheduler::MainTimerTime() {
  TUserData *profile = context_.Profile;
  if (!profile)
    return;
  std::string name = session_.LogonUserName();
  if (name.empty())
    name = kDefaultUserName;
  if (name == profile->UserName)
    return;
  profile->SaveProfile();
  profile->UserName = name;
  profile->LoadProfile();
}

void TBreakScheduler::MainWindowRestored() {
  IMessageDialog &dialog = views_.Dialog;
  if (dialog.Showing()) {
    if (context_.Trace.TraceState.Active)
      ClearFired(dialog.ShownRuleIndex());
    dialog.HideMessage();
  }
  // Whatever the dialog did, nothing may stay blocked behind the main window.
  if (views_.Blocking.Showing())
    views_.Blocking.CloseBlocking();
  ResetTrayIcon();
}

// --- settings into the rules -------------------------------------------------------

std::string TBreakScheduler::ApplyLevel(int level) {
  TUserData *profile = context_.Profile;
  TProfileSettings settings = profile ? static_cast<TProfileSettings>(*profile) : TProfileSettings();
  settings.ConfigLevel = static_cast<uint8_t>(std::clamp(level, 1, 240));
  if (profile) {
    profile->ConfigLevel = settings.ConfigLevel;
    profile->StoreSettings();
  }
  const int32_t seconds = SupportPeriodSeconds(settings);
  if (TRuleList *rules = Rules(); rules && rules->size() > 4)
    (*rules)[0].TraceMsgStats.TracePeriod = seconds / kSecondsPerDay;
  return SupportLabelText(seconds);
}

void TBreakScheduler::ApplyShortBreak(int seconds) {
  seconds = std::clamp(seconds, 30, 300);
  if (TUserData *profile = context_.Profile) {
    profile->ConfigShortPause = seconds;
    profile->StoreSettings();
  }
  if (TRuleList *rules = Rules(); rules && rules->size() > 4)
    (*rules)[3].TraceMsgStats.TracePeriod = seconds / kSecondsPerDay;
}

void TBreakScheduler::ApplyLongBreak(int minutes) {
  minutes = std::clamp(minutes, 30, 180);
  if (TUserData *profile = context_.Profile) {
    profile->ConfigLongPause = minutes;
    profile->StoreSettings();
  }
  if (TRuleList *rules = Rules(); rules && rules->size() > 4)
    (*rules)[4].TraceMsgStats.TracePeriod = minutes * 60 / kSecondsPerDay;
}

// --- the status line ------------------------------------------------------------------

void TBreakScheduler::UpdateStatus() {
  const TUserData *profile = context_.Profile;
  const TTraceState &state = context_.Trace.TraceState;
  IStatusBar &bar = views_.StatusBar;
  TStatusControls controls;
  controls.Exercises = profile && bar.HasExerciseItems();
  controls.Messages = profile && bar.HasLastMessageItems();
  controls.Network = profile && !profile->UserName.empty() && profile->UserName != kDefaultUserName;
  controls.Start = profile && state.Paused;
  controls.Pause = profile && !state.Paused;
  controls.BreakNow = BreakNowAvailable();
  bar.SetPanelText(kStatePanel, Text(mtTitle) + " " + Text(state.Active ? mtRunning : mtStopped));
  bar.EnableControls(controls);
}

void TBreakScheduler::ShowClock() {
  views_.StatusBar.SetPanelText(kClockPanel,
                                StatusBarClock(Text(mtTime), context_.Platform.Clock.Now()));
}

// --- the tick ------------------------------------------------------------------------

void TBreakScheduler::TraceUpdated() {
  TTraceState &state = context_.Trace.TraceState;
  if (tickBusy_ || !state.Active || !state.Rules)
    return;
  tickBusy_ = true;
  if (std::exchange(breakNowPending_, false))
    StartBreakNow();
  JudgeBreakPrompt();
  if (TUserData *profile = context_.Profile)
    UpdateInputActivity(profile->InputActivity, state.Counters, state.Now,
                        context_.Trace.TraceInterval / kMillisecondsPerDay);
  if (views_.StatusPage.OnScreen()) {
    ShowStatusPage(state.Now);
    tickBusy_ = false;
    return;
  }
  const TSessionPresence presence = session_.Presence();
  CheckAbsence(presence.Away());
  // Nothing is prompted to a user who is away (the absence notice shows).
  if (!MaintainDialog() && !presence.Away() && !HoldForFullScreen(presence.FullScreen))
    PickMessage();
  tickBusy_ = false;
}

void TBreakScheduler::JudgeBreakPrompt() {
  TTraceState &state = context_.Trace.TraceState;
  const TRuleList *rules = Rules();
  if (breakPromptRule_ < 0 || !rules || breakPromptRule_ >= static_cast<int32_t>(rules->size()) ||
      (*rules)[breakPromptRule_].Fired)
    return;
  // Whatever showed meanwhile (the absence notice during a long break), the
  // user rested through the prompt when no input came until its end.
  if (state.Counters[ttGlobalInput].Count == breakPromptInput_)
    ++state.Prompts.RestedThrough;
  breakPromptRule_ = -1;
}

void TBreakScheduler::ShowStatusPage(TDateTime now) {
  ShowClock();
  TRuleList &rules = *Rules();
  if (rules.size() > 2)
    views_.StatusPage.ShowFigures(StatusFigures(context_.Trace.TraceState, now));
  // No prompt while the user has the window on screen; rule 0 keeps its
  // question for when the window goes.
  for (size_t i = 1; i < rules.size(); ++i)
    rules[i].Fired = false;
}

void TBreakScheduler::CheckAbsence(bool away) {
  const TTraceState &state = context_.Trace.TraceState;
  const int64_t idle = DurationMilliseconds(state.Now - state.Counters[ttGlobalInput].Time);
  IMessageDialog &dialog = views_.Dialog;
  const bool noticeShown = dialog.Showing() && dialog.ShownRuleIndex() == -1;
  if (away || idle > kAbsenceMs) {
    if (!noticeShown) {
      ShowRuleMessage(-1, 0, true);
      ResetTrayIcon();
    }
  } else if (noticeShown) {
    dialog.HideMessage();
    ResetTrayIcon();
    UpdateStatus();
  }
}

bool TBreakScheduler::MaintainDialog() {
  IMessageDialog &dialog = views_.Dialog;
  if (!dialog.Showing())
    return false;
  TRuleList *rules = Rules();
  const int32_t rule = dialog.ShownRuleIndex();
  if (!dialog.ShownPersistent() && rules && rule >= 0 &&
      rule < static_cast<int32_t>(rules->size())) {
    const TMsgStatRec &shown = (*rules)[rule];
    if (!shown.Fired) {
      dialog.CancelMessage();
      UpdateStatus();
    } else {
      dialog.SetTimeLeft(TimeLeftSeconds(shown.ShowUntil, context_.Trace.TraceState.Now));
    }
  }
  return true;
}

int32_t TBreakScheduler::DueRule() const {
  const TRuleList *rules = Rules();
  if (!InfoFile || !rules || rules->empty())
    return -1;
  if ((*rules)[0].Fired)
    return context_.Profile ? 0 : -1; // the question waits for a profile
  for (size_t i = 3; i < rules->size(); ++i)
    if ((*rules)[i].Fired && (*rules)[i].Kind != msrtNone)
      return static_cast<int32_t>(i);
  return -1;
}

bool TBreakScheduler::HoldForFullScreen(bool fullScreen) {
  const int32_t due = DueRule();
  if (due < 0) {
    if (fullScreenWait_)
      EndFullScreenWait(TFullScreenWait::Dropped, -1);
    return false;
  }
  const TUserData *profile = context_.Profile;
  const int64_t limitMs =
      int64_t{profile ? profile->ConfigFullScreenWait : TProfileSettings().ConfigFullScreenWait} * 60000;
  if (!fullScreen || limitMs <= 0) {
    if (fullScreenWait_)
      EndFullScreenWait(TFullScreenWait::Over, due);
    return false;
  }
  const TDateTime now = context_.Trace.TraceState.Now;
  if (!fullScreenWait_) {
    fullScreenWait_ = true;
    fullScreenWaitStart_ = now;
    if (OnFullScreenWait)
      OnFullScreenWait({TFullScreenWait::Started, due, 0});
  }
  if (DurationMilliseconds(now - fullScreenWaitStart_) >= limitMs) {
    EndFullScreenWait(TFullScreenWait::LimitReached, due);
    return false;
  }
  // The fired rules stay fired while they wait: at the next tick the prompt
  // still has its whole time.
  const TDateTime tickDays = context_.Trace.TraceInterval / kMillisecondsPerDay;
  for (TMsgStatRec &rule : *Rules())
    if (rule.Fired)
      rule.ShowUntil = std::max(rule.ShowUntil, now + tickDays + rule.TraceMsgStats.MsgTimeout);
  return true;
}

void TBreakScheduler::EndFullScreenWait(TFullScreenWait::TStage stage, int32_t rule) {
  fullScreenWait_ = false;
  if (OnFullScreenWait)
    OnFullScreenWait({stage, rule,
                      DurationMilliseconds(context_.Trace.TraceState.Now - fullScreenWaitStart_)});
}

void TBreakScheduler::PickMessage() {
  const int32_t rule = DueRule();
  if (rule == 0) {
    if (int32_t record = FindStatusQuestion(); record > 0)
      ShowPrompt(0, record);
  } else if (rule > 0) {
    ShowPrompt(rule, 0);
  }
}

int32_t TBreakScheduler::FindStatusQuestion() {
  TUserData &profile = *context_.Profile;
  auto score = [this](int test) { return std::clamp(views_.StatusPage.TestScore(test), 0, 100); };
  bool available[kTestCount + 1];
  std::fill(std::begin(available), std::end(available), true);
  available[0] = false;

  std::string group = "gg";
  if (random_.Below(100) >= kGeneralGroupChance) {
    const TDateTime mouse = MouseTime(profile.InputActivity);
    const TDateTime keyboard = KeyboardTime(profile.InputActivity);
    group = mouse < keyboard ? "kk" : mouse > keyboard ? "mg" : "gg";
  }
  if (group == "gg" && random_.Below(100) < kExerciseChance)
    group = "gge";

  const auto pump = [this] { views_.Pump.ProcessMessages(); };
  while (std::any_of(std::begin(available), std::end(available), [](bool a) { return a; })) {
    // The test scoring lowest (the first of equals), unless none is worrying.
    int best = 100, test = 0;
    for (int t = 1; t <= kTestCount; ++t)
      if (available[t] && score(t) < best) {
        best = score(t);
        test = t;
      }
    if (best > 50) {
      best = 100;
      test = 0;
    }
    while (test == 0) {
      const int k = static_cast<int>(random_.Below(kTestCount + 1));
      if (k >= 1 && available[k] && score(k) <= best) {
        best = score(k);
        test = k;
      }
      pump();
      if (!tickBusy_)
        return 0; // monitoring stopped meanwhile
    }
    const std::string entry =
        ChooseStatusQuestion(profile.MessageHistory, group, ExcludedGroup(profile.InputActivity),
                             static_cast<int32_t>(DatePart(context_.Trace.TraceState.Now)),
                             SetNumber(test), pump);
    if (!tickBusy_)
      return 0;
    if (int32_t record = profile.QuestionRecordIndex(entry); record > 0)
      return record;
    available[test] = false;
  }
  ClearFired(0); // nothing to ask until the rule fires again
  return 0;
}

// --- "Take a break now" -------------------------------------------------------------

bool TBreakScheduler::BreakNowAvailable() const {
  const TTraceState &state = context_.Trace.TraceState;
  const TRuleList *rules = Rules();
  return state.Active && InfoFile && rules && static_cast<int32_t>(rules->size()) > kLongBreakRule;
}

bool TBreakScheduler::TakeBreakNow() {
  if (!BreakNowAvailable() || views_.StatusPage.OnScreen())
    return false;
  if (tickBusy_) {
    breakNowPending_ = true;
    return true;
  }
  tickBusy_ = true;
  const bool shown = StartBreakNow();
  tickBusy_ = false;
  return shown;
}

bool TBreakScheduler::StartBreakNow() {
  TTraceState &state = context_.Trace.TraceState;
  if (!BreakNowAvailable() || views_.StatusPage.OnScreen() ||
      !ComposeRuleMessage(state, InfoFile, MainTexts, kLongBreakRule, 0, false))
    return false;
  // The prompt on screen ends as if its time were over (a break prompt is
  // judged), the absence notice and a question with it.
  IMessageDialog &dialog = views_.Dialog;
  if (dialog.Showing()) {
    ClearFired(dialog.ShownRuleIndex());
    dialog.HideMessage();
  }
  JudgeBreakPrompt();
  // The rule concludes its period now, fired for its message time; the next
  // period starts here.
  TMsgStatRec &rule = (*Rules())[kLongBreakRule];
  TTraceMsgStats &stats = rule.TraceMsgStats;
  stats.TracePeriodRef.Time = state.Now;
  ResetStats(stats, context_.Trace.InputCount(stats.Kind));
  rule.Fired = true;
  rule.Evaluated = true;
  rule.ShowUntil = state.Now + stats.MsgTimeout;
  ShowPrompt(kLongBreakRule, 0);
  return dialog.Showing() && dialog.ShownRuleIndex() == kLongBreakRule;
}

// --- showing ------------------------------------------------------------------------

bool TBreakScheduler::ShowRuleMessage(int32_t rule, int32_t record, bool persistent) {
  std::optional<TPromptMessage> message = ComposeRuleMessage(
      context_.Trace.TraceState, InfoFile, MainTexts, rule, record, persistent);
  if (!message)
    return false;
  views_.Dialog.ShowMessage(*message);
  return true;
}

void TBreakScheduler::ShowPrompt(int32_t rule, int32_t record) {
  // A record the dialog cannot show gets no sound and no entry; rule 0 then
  // stops asking until it fires again instead of trying every second.
  if (!ComposeRuleMessage(context_.Trace.TraceState, InfoFile, MainTexts, rule, record, false)) {
    if (rule == 0)
      ClearFired(0);
    return;
  }
  TUserData *profile = context_.Profile;
  TTraceState &state = context_.Trace.TraceState;
  loopPlayback_ = false;
  views_.Sound.SetLoopPlayback(false);
  if (profile)
    PlayPromptSound();
  if (rule == 0 && profile)
    ResetInputActivity(profile->InputActivity, state.Counters, state.Now);
  const bool block = profile && ((rule == 3 && profile->ConfigShortPauseBlock) ||
                                 (rule == 4 && profile->ConfigLongPauseBlock));
  if (block) {
    views_.Blocking.ShowBlocking();
    views_.Pump.ProcessMessages();
  }
  // The prompt goes on screen only while monitoring still runs; the
  // blocking window never stays without its prompt.
  if (!tickBusy_ || !ShowRuleMessage(rule, record, false)) {
    if (block)
      views_.Blocking.CloseBlocking();
    return;
  }
  if (rule == 3 || rule == 4) {
    TPromptTally &prompts = state.Prompts;
    ++(rule == 3 ? prompts.ShortPrompts : prompts.LongPrompts);
    prompts.BlockedBreaks += block ? 1 : 0;
    breakPromptRule_ = rule;
    breakPromptInput_ = state.Counters[ttGlobalInput].Count;
  }
  if (profile) {
    ShowClock();
    profile->AddRecentMessage(MakeRecentEntry(rule, record, context_.Platform.Clock.Now()));
  }
}

void TBreakScheduler::PlayPromptSound() {
  const TUserData &profile = *context_.Profile;
  const std::string &sound = profile.ConfigWarningsoundfile;
  if (sound.empty())
    return;
  if (profile.ConfigWarningtype == 1)
    views_.Sound.PlayMediaFile(programFolder_ + "Av\\" + sound + ".wav");
  else if (profile.ConfigWarningtype == 2)
    views_.Sound.PlayMediaFile(sound);
}

void TBreakScheduler::ClearFired(int32_t rule) {
  TRuleList *rules = Rules();
  if (rules && rule >= 0 && rule < static_cast<int32_t>(rules->size()))
    (*rules)[rule].Fired = false;
}

void TBreakScheduler::ResetTrayIcon() {
  if (!views_.Tray.ShowsApplicationIcon())
    views_.Tray.ShowApplicationIcon();
}
