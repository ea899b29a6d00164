#pragma once
// The day simulation on a small information file, with a log of what the
// user saw and heard and a random source the test scripts.

#include "authoring/IDbRecWriter.h"
#include "sim/DaySimulation.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Hands out the numbers a test queued, then Otherwise, or without it 0, 1,
// 2 ... (so that every draw loop ends).
class TScriptedRandom final : public IRandomSource {
public:
  uint32_t Below(uint32_t range) override {
    ++Draws;
    uint32_t value = Otherwise ? *Otherwise : counting_++;
    if (!Queue.empty()) {
      value = Queue.front();
      Queue.pop_front();
    }
    return range == 0 ? 0 : value % range;
  }
  std::deque<uint32_t> Queue;
  std::optional<uint32_t> Otherwise;
  int Draws = 0;

private:
  uint32_t counting_ = 0;
};

// Records 1..6 of the English selection: a yes/no question of test 3, an
// information of test 7, a warning of test 5, an ok of test 2, a record of
// test 4 whose dialog letter is none of the four, and a page without a dialog.
inline const std::vector<TRecordSource> kSchedulerRecords = {
    {1, "q3_44|Dlg #qggt0000030001", "<b>Do you</b> feel rested after the last break?"},
    {2, "i7_44|Dlg #iggi0000070002", "Stretch both arms above your head."},
    {3, "w5_44|Dlg #wggt0000050001", "Your chair is too low."},
    {4, "o2_44|Dlg #oggt0000020001", "Well done."},
    {5, "x4_44|Dlg #xggt0000040001", "Shown by nobody."},
    {6, "page_44|Chapter", "Background."},
};

struct TSchedulerWorld {
  explicit TSchedulerWorld(bool withProfile = true, bool withInfo = true,
                           const std::vector<TRecordSource> &records = kSchedulerRecords,
                           TDateTime wallStart = 46000 + 10.0 / 24) {
    day = std::make_unique<TDaySimulation>(wallStart, 5000, 1, scratch.Path() + "/", &random);
    day->OnLine = [this](const std::string &line) {
      Log.push_back(line.substr(11, 8) + " " + line.substr(25)); // hh:mm:ss what
    };
    if (withInfo) {
      std::string error, path = scratch.Path("MVRInfo.dat");
      EXPECT_TRUE(WriteRecordFile(day->Sim.Files, records, path, error)) << error;
      EXPECT_TRUE(day->LoadInfoFile(path));
    }
    if (withProfile)
      day->MakeProfile();
    EXPECT_TRUE(day->Start());
  }
  // The day reports while it stops, into the log.
  ~TSchedulerWorld() { day.reset(); }

  TRuleList &Rules() { return *day->Context.Trace.TraceState.Rules; }
  TMsgStatRec &Rule(int i) { return Rules()[i]; }
  // Sets a rule fired for the next seconds, as the engine does when it
  // concludes a period.
  void Fire(int rule, int seconds) {
    Rule(rule).Fired = true;
    Rule(rule).Evaluated = true;
    Rule(rule).ShowUntil = day->Context.Trace.TraceState.Now + seconds / kSecondsPerDay;
  }
  void Tick(int seconds = 1) { day->Advance(1000ull * seconds); }
  // Log lines since the last call.
  std::vector<std::string> TakeLog() { return std::exchange(Log, {}); }

  TScratchFolder scratch;
  TScriptedRandom random;
  std::unique_ptr<TDaySimulation> day;
  std::vector<std::string> Log;
};
