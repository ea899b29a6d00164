// daysim: runs a day of Movaro in virtual time from a script of input events
// and user actions, and prints every prompt, blocking window, sound and
// recent-messages entry. See README.md.
//   daysim SCRIPT [--info FILE] [--language TEXT] [--rules FILE] [--seed N]
//                 [--until TIME] [--no-profile] [--profile FILE]
#include "authoring/IDbRecWriter.h"
#include "sim/DaySimulation.h"
#include "sim/InputScript.h"
#include "sim/SimulatorTool.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace {

// A few records of every dialog kind, for scripts run without --info.
const std::vector<TRecordSource> kSampleRecords = {
    {1, "q1_44|Dlg #qggt0000010001", "Do you feel <b>stressed</b> today?"},
    {2, "q2_44|Dlg #qkkt0120050001", "Is your chair at the right height?"},
    {3, "i1_44|Dlg #iggi0000030001", "Stand up and walk for a minute: it rests your eyes and back."},
    {4, "w1_44|Dlg #wmgw0000090001", "Keep your wrist straight while you move the mouse."},
    {5, "o1_44|Dlg #okko0000080001", "Relax your shoulders while you type."},
};

const char *const kOwnEvents[] = {"window", "answer",     "dialogkey",  "set",    "score",
                                  "user",   "monitor",    "tray",       "dialog", "lastmessage",
                                  "session", "screensaver", "fullscreen", "break"};

bool IsOwnEvent(const std::string &name) {
  for (const char *own : kOwnEvents)
    if (name == own)
      return true;
  return false;
}

bool IsBlockedInput(const std::string &name) {
  return name == "key" || name == "keydown" || name == "click" || name == "down" ||
         name == "dclick" || name == "wheel";
}

bool ParseInt(const std::string &text, long &value) {
  char *end = nullptr;
  value = std::strtol(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0';
}

// Runs one of the simulator's own events; false with a reason when its
// arguments do not fit.
bool RunOwnEvent(TDaySimulation &day, const TScriptEvent &event, std::string &error) {
  const std::vector<std::string> &args = event.Args;
  auto arg = [&](size_t i) { return i < args.size() ? args[i] : std::string(); };
  const std::string &name = event.Name;
  long number = 0;
  if (name == "window") {
    if (arg(0) == "on")
      day.RestoreMainWindow();
    else if (arg(0) == "off")
      day.MinimizeMainWindow();
    else if (arg(0) == "min")
      day.MinimizeApplication();
    else
      return error = "window on|off|min", false;
  } else if (name == "monitor") {
    // The setup page's Start and Pause, the program's end; "-in-draw" waits
    // for the next message pump (inside a status question's draw).
    const std::string what = arg(0);
    std::function<void()> action;
    if (what == "start")
      action = [&day] { day.Scheduler.StartClick(); };
    else if (what == "pause" || what == "pause-in-draw")
      action = [&day] { day.Scheduler.PauseClick(); };
    else if (what == "stop" || what == "stop-in-draw")
      action = [&day] { day.Scheduler.StopMonitoring(); };
    else
      return error = "monitor start|pause|stop|pause-in-draw|stop-in-draw", false;
    if (what.size() > 8 && what.compare(what.size() - 8, 8, "-in-draw") == 0)
      day.AtNextPump(action);
    else
      action();
  } else if (name == "tray") {
    if (arg(0) != "click")
      return error = "tray click", false;
    day.TrayClick();
  } else if (name == "break") {
    if (arg(0) != "now")
      return error = "break now", false;
    if (!day.TakeBreakNow())
      std::cout << FormatSimTime(day.Sim.Clock.Now())
                << "  break now: refused (monitoring is off or paused)\n";
  } else if (name == "dialog") {
    if (arg(0) != "close")
      return error = "dialog close", false;
    day.CloseDialog();
  } else if (name == "lastmessage") {
    if (!ParseInt(arg(0), number))
      return error = "lastmessage K (from 0)", false;
    if (!day.ReplayRecentMessage(static_cast<int>(number)))
      std::cout << FormatSimTime(day.Sim.Clock.Now()) << "  lastmessage " << number
                << ": no such entry\n";
  } else if (name == "answer") {
    TBaseBtn *button = arg(0) == "yes"      ? &day.Dialog.YesBtn
                      : arg(0) == "no"     ? &day.Dialog.NoBtn
                      : arg(0) == "cancel" ? &day.Dialog.CancelBtn
                                           : nullptr;
    if (!button)
      return error = "answer yes|no|cancel", false;
    // The first button answers yes, the second no (whatever they say).
    if (!day.Dialog.Showing() || !button->Click())
      std::cout << FormatSimTime(day.Sim.Clock.Now()) << "  answer " << arg(0)
                << ": no such button on screen\n";
  } else if (name == "dialogkey") {
    if (arg(0) != "enter" && arg(0) != "escape")
      return error = "dialogkey enter|escape", false;
    if (day.Dialog.Showing())
      day.Dialog.FormKeyUp(arg(0) == "enter" ? 13 : 27, false);
  } else if (name == "set") {
    if (!day.Profile)
      return true;
    const std::string &key = arg(0);
    if (key == "ConfigLevel" && ParseInt(arg(1), number))
      day.Scheduler.ApplyLevel(static_cast<int>(number));
    else if (key == "ConfigShortPause" && ParseInt(arg(1), number))
      day.Scheduler.ApplyShortBreak(static_cast<int>(number));
    else if (key == "ConfigLongPause" && ParseInt(arg(1), number))
      day.Scheduler.ApplyLongBreak(static_cast<int>(number));
    else {
      int index = 0;
      while (index < kSettingCount && key != kSettingNames[index])
        ++index;
      if (index == kSettingCount || !ApplySettingText(*day.Profile, index, arg(1)))
        return error = "set KEY VALUE: not a setting or not a value it takes", false;
    }
  } else if (name == "score") {
    long score = 0;
    if (!ParseInt(arg(0), number) || number < 1 || number > 10 || !ParseInt(arg(1), score))
      return error = "score TEST(1..10) VALUE", false;
    day.StatusPage.Scores[static_cast<int>(number)] = static_cast<int>(score);
  } else if (name == "session") {
    TSessionPresence &state = day.Session.State;
    if (arg(0) == "lock" || arg(0) == "unlock")
      state.Locked = arg(0) == "lock";
    else if (arg(0) == "away" || arg(0) == "back")
      state.SwitchedAway = arg(0) == "away";
    else
      return error = "session lock|unlock|away|back", false;
  } else if (name == "screensaver" || name == "fullscreen") {
    if (arg(0) != "on" && arg(0) != "off")
      return error = name + " on|off", false;
    (name == "screensaver" ? day.Session.State.ScreenSaver : day.Session.State.FullScreen) =
        arg(0) == "on";
  } else if (name == "user") {
    if (args.size() != 1)
      return error = "user NAME", false;
    day.Session.Name = arg(0);
  }
  return true;
}

} // namespace

int main(int argc, char **argv) {
  const TSimulatorToolSyntax syntax{
      "daysim",
      "usage: daysim SCRIPT [--info FILE] [--language TEXT] [--rules FILE] [--seed N]\n"
      "                     [--until TIME] [--no-profile] [--profile FILE]\n",
      {"--info", "--language", "--rules", "--seed", "--profile"},
      {"--no-profile"},
      IsOwnEvent};
  TSimulatorTool tool;
  if (!StartSimulatorTool(argc, argv, syntax, tool))
    return 2;
  const TInputScript &script = tool.Script;
  const std::string scriptPath = tool.ScriptPath, rulesPath = tool.Value("--rules"),
                    language = tool.Value("--language", "_44");
  std::string infoPath = tool.Value("--info"), error;
  const uint32_t seed = static_cast<uint32_t>(std::strtoul(tool.Value("--seed", "1").c_str(), nullptr, 10));
  const bool withProfile = !tool.Has("--no-profile");

  // The profile file (and the sample information file) live in a folder of
  // their own for the run.
  std::error_code ec;
  const std::filesystem::path work = std::filesystem::temp_directory_path(ec) /
                                     ("daysim-" + std::to_string(std::chrono::steady_clock::now()
                                                                     .time_since_epoch()
                                                                     .count()));
  std::filesystem::create_directories(work, ec);
  struct TRemove {
    std::filesystem::path Path;
    ~TRemove() {
      std::error_code ignored;
      std::filesystem::remove_all(Path, ignored);
    }
  } removeWork{work};

  int status = 0;
  {
    TDaySimulation day(script.Start, script.TickStart, seed, work.string() + "/");
    day.OnLine = [](const std::string &line) { std::cout << line << "\n"; };
    day.ReportDetails = true;
    if (infoPath.empty()) {
      infoPath = (work / "MVRInfo.dat").string();
      if (!WriteRecordFile(day.Sim.Files, kSampleRecords, infoPath, error))
        std::cerr << "daysim: " << error << "\n";
    }
    if (!day.LoadInfoFile(infoPath, language))
      std::cerr << "daysim: cannot read the information file " << infoPath
                << " (nothing will be prompted)\n";
    day.Context.Trace.RuleSetup.RuleFilePath = rulesPath;
    if (withProfile) {
      // A profile file to start from: the user's settings and history.
      const std::string seedProfile = tool.Value("--profile");
      if (!seedProfile.empty() &&
          !std::filesystem::copy_file(seedProfile, work / "movaro.ini", ec)) {
        std::cerr << "daysim: cannot read the profile file " << seedProfile << "\n";
        return 2;
      }
      day.MakeProfile();
    }
    if (!day.Start())
      std::cerr << "daysim: monitoring did not start\n";

    for (const TScriptEvent &event : script.Events) {
      if (event.Name == "end")
        break;
      day.AdvanceTo(event.At);
      if (event.Name == "type") {
        // Keystroke by keystroke, so that those the blocking window swallows count there.
        const uint64_t count = std::strtoull(event.Args[0].c_str(), nullptr, 10);
        const uint64_t every = std::strtoull(event.Args[1].c_str(), nullptr, 10);
        for (uint64_t n = 0; n < count; ++n) {
          day.AdvanceTo(event.At + n * every);
          day.BlockedInput();
          day.Sim.KeyStroke();
        }
        continue;
      }
      if (IsBlockedInput(event.Name))
        day.BlockedInput();
      if (RunInputEvent(day.Sim, event))
        continue;
      if (!RunOwnEvent(day, event, error)) {
        std::cerr << scriptPath << ":" << event.Line << ": " << error << "\n";
        status = 2;
        break;
      }
    }
    if (status == 0)
      day.AdvanceTo(tool.Until);
  }
  return status;
}
