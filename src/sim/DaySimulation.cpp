#include "sim/DaySimulation.h"

#include "movaro/profile/MessageEntry.h"
#include "sim/InputScript.h"

#include <cctype>
#include <sstream>
#include <utility>

std::string FirstWords(const std::string &markup, int count) {
  std::string words;
  int taken = 0;
  bool inTag = false, inWord = false;
  for (char c : markup) {
    if (inTag) {
      inTag = c != '>';
      if (!inTag && inWord) {
        inWord = false; // a tag ends a word (<br>, <p>)
      }
      continue;
    }
    if (c == '<') {
      inTag = true;
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c))) {
      inWord = false;
      continue;
    }
    if (!inWord) {
      if (taken == count)
        return words + " ...";
      if (taken > 0)
        words += ' ';
      ++taken;
      inWord = true;
    }
    words += c;
  }
  return words;
}

namespace {

// Tells of a form going on or off the screen.
class TVisibilityWatch final : public TControlPeer {
public:
  explicit TVisibilityWatch(std::function<void(bool)> changed) : changed_(std::move(changed)) {}
  void Changed(TControl &control, TProperty property) override {
    if (property == TProperty::Visible)
      changed_(control.Visible());
  }

private:
  std::function<void(bool)> changed_;
};

} // namespace

TDaySimulation::TDaySimulation(TDateTime wallStart, uint32_t tickStart, uint32_t seed,
                               std::string workFolder, IRandomSource *random)
    : Sim(wallStart, tickStart),
      Context({Sim.Clock, Sim.Cursor, Sim.Timer, Sim.Hooks, Sim.Files, Locale}),
      ProfileFiles(Sim.Files), SeededRandom(seed),
      Random(random ? *random : SeededRandom), Info(Sim.Files),
      Blocking(App, Context, Screen, Desktop),
      Dialog(App, Context, Screen, Desktop, Tray, Blocking, Owner),
      Scheduler(Context, {StatusPage, StatusBar, Dialog, Blocking, Tray, Sound, Pump}, Random,
                Session, kSimProgramFolder),
      workFolder_(std::move(workFolder)) {
  // The context took the trace timer for its engine; the simulation drives
  // that engine and, after each of its ticks, the main window's own timer.
  Sim.Drive(Context.Trace);
  Sim.OnTick = [this] {
    Scheduler.MainTimerTime();
    const int left = Dialog.Showing() && Dialog.TimeOutBar.Visible() ? Dialog.TimeOutBar.Progress() : -1;
    if (ReportDetails && left >= 0 && left != timeLeft_)
      Report("timeleft " + std::to_string(left));
    timeLeft_ = left;
  };
  Pump.OnPump = [this] {
    if (auto action = std::exchange(atNextPump_, nullptr))
      action();
    App.ProcessMessages();
  };
  StatusPage.Gauges = &ProfileView.Gauges;
  Sound.OnPlay = [this](const std::string &path) { Report("sound " + path); };
  Dialog.OnMessageShown = [this](TComponent &) { DialogShown(); };
  Dialog.AttachPeer(std::make_unique<TVisibilityWatch>([this](bool visible) {
    if (!visible)
      DialogHidden();
  }));
  Blocking.AttachPeer(std::make_unique<TVisibilityWatch>(
      [this](bool visible) { Report(visible ? "block show" : "block close"); }));
  Owner.OnAnswer = [this](const TQuestionAnswer &answer) { Answered(answer); };
  Scheduler.OnFullScreenWait = [this](const TFullScreenWait &wait) { FullScreenWait(wait); };
  ProfileView.OnRecentMessages = [this] {
    if (Profile && !Profile->RecentMessages.empty() && !ProfileView.Recent.empty())
      Report("recent " + Profile->RecentMessages.front());
    if (!ReportDetails)
      return;
    Report("lastmessages " + std::to_string(ProfileView.Recent.size()));
    for (size_t k = 0; k < ProfileView.Recent.size(); ++k)
      Report("lastmessage " + std::to_string(k) + " \"" + ProfileView.Recent[k].Caption + "\"");
  };
}

TDaySimulation::~TDaySimulation() {
  Sim.OnTick = nullptr;
  if (Context.Trace.TraceState.Active || Context.Trace.TraceState.Paused)
    Scheduler.StopMonitoring();
  Context.Profile = nullptr;
}

bool TDaySimulation::LoadInfoFile(const std::string &path, const std::string &language) {
  const bool loaded = Info.LoadRecords(path);
  if (loaded)
    Info.SelectRecords(language);
  Scheduler.InfoFile = loaded ? &Info : nullptr;
  Owner.RecordCount = loaded ? Info.SelectedCount() : 0;
  return loaded;
}

void TDaySimulation::MakeProfile(const std::string &userName) {
  Session.Name = userName;
  Profile = std::make_unique<TUserData>(
      TProfilePlatform{Registry, Locale, ProfileFiles, Sim.Clock, Session, Random, &Sim.Files},
      workFolder_ + kProfileFileName);
  Profile->Links.View = &ProfileView;
  Profile->OnDayRecord = [this](const TDayRecord &record, bool written) {
    Report("record " + DayRecordText(record) + (written ? "" : " (not written)"));
  };
  Profile->LoadSettings();
  Context.Profile = Profile.get();
}

bool TDaySimulation::Start() {
  return Sim.Start([this] { return Scheduler.StartMonitoring(); });
}

void TDaySimulation::Report(const std::string &what) {
  if (OnLine)
    OnLine(FormatSimTime(Sim.Clock.Now()) + "  " + what);
}

void TDaySimulation::DialogShown() {
  if (dialogShown_)
    DialogHidden(); // replaced on screen
  std::ostringstream line;
  line << "show " << Dialog.ShownRuleIndex() << " " << Dialog.ShownRecordIndex() << " kind "
       << int(Dialog.ShownKind()) << " buttons [";
  const char *separator = "";
  for (TControl *button : {&Dialog.YesBtn, &Dialog.NoBtn, &Dialog.CancelBtn})
    if (button->Visible()) {
      line << separator << button->Caption();
      separator = "|";
    }
  line << "] time-out ";
  if (Dialog.TimeOutBar.Visible())
    line << Dialog.TimeOutBar.MaxValue();
  else
    line << "none";
  line << " \"" << FirstWords(Dialog.ShownText(), 6) << "\"";
  Report(line.str());
  dialogShown_ = true;
  shownRule_ = Dialog.ShownRuleIndex();
  shownRecord_ = Dialog.ShownRecordIndex();
}

void TDaySimulation::DialogHidden() {
  if (!dialogShown_)
    return;
  dialogShown_ = false;
  Report("hide " + std::to_string(shownRule_) + " " + std::to_string(shownRecord_));
}

void TDaySimulation::Answered(const TQuestionAnswer &answer) {
  Report("answer " + std::to_string(answer.Record) + " " +
         (answer.Cancelled ? "cancelled" : answer.Yes ? "yes" : "no"));
  if (!Profile || !Scheduler.InfoFile || answer.Record < 1 || answer.Record > Info.SelectedCount())
    return;
  const std::string name = Info.GetSelectedRecord(answer.Record).Name;
  const std::map<int, int> before = ProfileView.Gauges;
  if (!Profile->RecordAnswer(name, answer.Yes, answer.Cancelled))
    return;
  const std::string entry = Profile->FindEntry(RecordDialogHead(name.c_str()));
  if (!entry.empty())
    Report("history " + entry);
  for (const auto &[gauge, percent] : ProfileView.Gauges) {
    auto was = before.find(gauge);
    if (was == before.end() || was->second != percent)
      Report("gauge " + std::to_string(gauge) + " " + std::to_string(percent));
  }
}

void TDaySimulation::FullScreenWait(const TFullScreenWait &wait) {
  static const char *const kStages[] = {"wait", "over", "limit", "dropped"};
  std::string line = std::string("fullscreen ") + kStages[wait.Stage];
  if (wait.Stage != TFullScreenWait::Dropped)
    line += " " + std::to_string(wait.Rule);
  if (wait.Stage != TFullScreenWait::Started)
    line += " after " + std::to_string(wait.WaitedMs / 1000) + " s";
  Report(line);
}

void TDaySimulation::BlockedInput() {
  if (!Blocking.Showing())
    return;
  Blocking.CountInput();
  Report("block input " + std::to_string(Blocking.InputCount()));
}

void TDaySimulation::RestoreMainWindow() {
  StatusPage.MainWindowOnScreen = true;
  Owner.Minimized = false;
  Scheduler.MainWindowRestored();
}

void TDaySimulation::MinimizeMainWindow() { StatusPage.MainWindowOnScreen = false; }

void TDaySimulation::MinimizeApplication() {
  StatusPage.MainWindowOnScreen = false;
  Owner.Minimized = true;
}

void TDaySimulation::TrayClick() {
  if (Dialog.Showing())
    Dialog.BringToFront();
  else
    RestoreMainWindow();
}

bool TDaySimulation::TakeBreakNow() {
  if (!Scheduler.BreakNowAvailable())
    return false;
  MinimizeMainWindow();
  return Scheduler.TakeBreakNow();
}

void TDaySimulation::CloseDialog() {
  if (Dialog.Showing())
    Dialog.Close();
}

bool TDaySimulation::ReplayRecentMessage(int k) {
  if (!Profile || k < 0 || k >= static_cast<int>(Profile->RecentMessages.size()))
    return false;
  MinimizeApplication();
  const TRecentEntryParts parts = ParseRecentEntry(Profile->RecentMessages[static_cast<size_t>(k)]);
  return Scheduler.ShowRuleMessage(parts.Rule, parts.Record, true);
}
