// The day record: what a day puts in the user's history file, and how the
// file survives damage and its bound.
#include "SchedulerWorld.h"

#include "movaro/profile/DayHistory.h"
#include "movaro/profile/HistoryExport.h"
#include "platform/headless/FaultInjectingFileSystem.h"
#include "platform/headless/HeadlessFileSystem.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>

namespace {

constexpr int32_t kDay = 46000;

TDayRecord Day(int32_t date, int32_t keystrokes) {
  TDayRecord r;
  r.Date = date;
  r.Keystrokes = keystrokes;
  return r;
}

std::string FileText(TFileSystem &fs, const std::string &path) {
  std::string text;
  EXPECT_TRUE(ReadWholeFile(fs, path, text));
  return text;
}

void PutText(TFileSystem &fs, const std::string &path, const std::string &text) {
  auto file = fs.Create(path);
  ASSERT_TRUE(file && WriteFully(*file, text.data(), static_cast<int64_t>(text.size())));
}

// A world started shortly before midnight, with the history file of its user.
struct THistoryWorld : TSchedulerWorld {
  THistoryWorld() : TSchedulerWorld(true, true, kSchedulerRecords, kDay + 23.0 / 24 + 50.0 / 1440) {}
  void Type(int keys) {
    for (int k = 0; k < keys; ++k) {
      day->Sim.KeyStroke();
      Tick();
    }
  }
  TDayHistory History() { return ReadDayHistory(day->Sim.Files, File()); }
  std::string File() { return scratch.Path("Anna.history"); }
};

} // namespace

TEST(DayHistory, ALineReadsBackEveryFieldAndALaterVersionsExtraFieldsAreIgnored) {
  TDayRecord r = Day(kDay, 1);
  int32_t n = 0;
  for (int32_t *field : {&r.Measured, &r.Worked, &r.Rested, &r.LongestWorked, &r.MouseMoves,
                         &r.Clicks, &r.WheelTurns, &r.ShortPrompts, &r.LongPrompts,
                         &r.RestedThrough, &r.BlockedBreaks, &r.QuestionsAnswered})
    *field = 1000 + ++n;
  for (int k = 0; k < kQuestionnaireCount; ++k)
    r.Gauges[k] = k * 10;
  r.RiskIndex = 99;
  TDayRecord back;
  ASSERT_TRUE(ParseDayRecordLine(DayRecordLine(r), back));
  EXPECT_EQ(back, r);

  std::string later = DayRecordLine(r);
  later = "2" + later.substr(1, later.find('*') - 1) + ",7,x";
  char checksum[12];
  std::snprintf(checksum, sizeof checksum, "*%08X",
                static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(later.data()),
                                            static_cast<uInt>(later.size()))));
  ASSERT_TRUE(ParseDayRecordLine(later + checksum, back));
  EXPECT_EQ(back, r);
}

TEST(DayHistory, ATornLastLineAndADamagedMiddleLineAreSkippedAndCountedTheOtherDaysStay) {
  TScratchFolder scratch;
  THeadlessFileSystem fs;
  const std::string path = scratch.Path("Anna.history");
  for (int32_t d = 0; d < 4; ++d)
    ASSERT_TRUE(WriteDayHistory(fs, path, Day(kDay + d, 10 + d)));
  std::string text = FileText(fs, path);
  const size_t second = text.find('\n') + 1;
  text[text.find(",11,", second) + 2] = '7';      // a damaged figure in day 2
  text.resize(text.size() - 20);                  // day 4 torn by a crash
  text += std::string("\0\xff\x80,\n\r\n", 7);    // junk bytes at its end
  PutText(fs, path, text);

  TDayHistory history = ReadDayHistory(fs, path);
  EXPECT_EQ(history.DamagedLines, 2);
  ASSERT_EQ(history.Days.size(), 2u);
  EXPECT_EQ(history.Days[0], Day(kDay, 10));
  EXPECT_EQ(history.Days[1], Day(kDay + 2, 12));

  // The next write keeps the good days, says what it left out and leaves no
  // temporary file behind.
  int32_t leftOut = 0;
  ASSERT_TRUE(WriteDayHistory(fs, path, Day(kDay + 4, 14), &leftOut));
  EXPECT_EQ(leftOut, 2);
  history = ReadDayHistory(fs, path);
  EXPECT_EQ(history.DamagedLines, 0);
  ASSERT_EQ(history.Days.size(), 3u);
  EXPECT_EQ(history.Days[2], Day(kDay + 4, 14));
  EXPECT_FALSE(fs.FileExists(path + ".new"));
}

// A save appends the day's line and leaves the file's bytes before it alone;
// a torn append leaves the day's earlier line standing; the stale lines are
// dropped by a whole write once there are too many.
TEST(DayHistory, ASaveAppendsTheDaysLineAndATornOneLeavesTheDaysEarlierLine) {
  TScratchFolder scratch;
  THeadlessFileSystem disk;
  TFaultInjectingFileSystem fs(disk);
  const std::string path = scratch.Path("Anna.history");
  for (int32_t d = 0; d < 3; ++d)
    ASSERT_TRUE(WriteDayHistory(fs, path, Day(kDay + d, 10 + d)));
  const std::string before = FileText(fs, path);
  const int renames = fs.Count(TFaultInjectingFileSystem::TOperation::Rename);
  ASSERT_TRUE(WriteDayHistory(fs, path, Day(kDay + 2, 50)));
  ASSERT_TRUE(WriteDayHistory(fs, path, Day(kDay + 2, 50))); // unchanged: not written again
  ASSERT_TRUE(WriteDayHistory(fs, path, Day(kDay + 3, 1)));
  EXPECT_EQ(fs.Count(TFaultInjectingFileSystem::TOperation::Rename), renames);
  EXPECT_EQ(FileText(fs, path), before + DayRecordLine(Day(kDay + 2, 50)) + "\r\n" +
                                    DayRecordLine(Day(kDay + 3, 1)) + "\r\n");

  fs.SetDiskSpace(30); // the disk fills in the middle of the line
  EXPECT_FALSE(WriteDayHistory(fs, path, Day(kDay + 3, 99)));
  fs.Reset();
  TDayHistory history = ReadDayHistory(fs, path);
  EXPECT_EQ(history.DamagedLines, 1);
  EXPECT_EQ(history.StaleLines, 1);
  ASSERT_EQ(history.Days.size(), 4u);
  EXPECT_EQ(history.Days[2], Day(kDay + 2, 50));
  EXPECT_EQ(history.Days[3], Day(kDay + 3, 1));

  // A whole last line that lost its line end gets one before the next line.
  PutText(fs, path, DayRecordLine(Day(kDay, 1)));
  ASSERT_TRUE(WriteDayHistory(fs, path, Day(kDay + 1, 2)));
  EXPECT_EQ(ReadDayHistory(fs, path).Days, (std::vector<TDayRecord>{Day(kDay, 1), Day(kDay + 1, 2)}));
  PutText(fs, path, FileText(fs, path) + "1,2025-12-1"); // torn again
  fs.Reset();

  // The damage is written away whole; so are the stale lines past their bound.
  ASSERT_TRUE(WriteDayHistory(fs, path, Day(kDay + 3, 2)));
  EXPECT_EQ(fs.Count(TFaultInjectingFileSystem::TOperation::Rename), 1);
  for (int32_t k = 0; k <= kMaxStaleLines; ++k)
    ASSERT_TRUE(WriteDayHistory(fs, path, Day(kDay + 3, 100 + k)));
  EXPECT_EQ(fs.Count(TFaultInjectingFileSystem::TOperation::Rename), 2);
  history = ReadDayHistory(fs, path);
  EXPECT_EQ(history.DamagedLines, 0);
  EXPECT_EQ(history.StaleLines, 0);
  EXPECT_EQ(history.Days.back(), Day(kDay + 3, 100 + kMaxStaleLines));
}

// The server's days fill the gaps of the file; its own days stay.
// A file that could not be read is left as it is.
TEST(DayHistory, MissingDaysAreAddedAndTheFilesOwnKept) {
  TScratchFolder scratch;
  THeadlessFileSystem disk;
  TFaultInjectingFileSystem fs(disk);
  const std::string path = scratch.Path("Anna.history");
  ASSERT_TRUE(WriteDayHistory(fs, path, Day(kDay + 1, 5)));
  const std::string text = FileText(fs, path);
  fs.Fail(TFaultInjectingFileSystem::TOperation::Read, 1, true);
  EXPECT_FALSE(AddMissingDays(fs, path, {Day(kDay, 1)}));
  fs.Reset();
  EXPECT_EQ(FileText(fs, path), text);
  PutText(fs, path, text + "1,2025-12-01,x*00000000\r\n");
  int32_t leftOut = -1;
  ASSERT_TRUE(AddMissingDays(fs, path, {Day(kDay + 1, 99)}, &leftOut)); // nothing to add
  EXPECT_EQ(leftOut, 0);
  ASSERT_TRUE(AddMissingDays(fs, path, {Day(kDay, 1), Day(kDay + 1, 99), Day(kDay + 2, 3)}, &leftOut));
  EXPECT_EQ(leftOut, 1); // the damaged line, gone with the whole write
  const TDayHistory history = ReadDayHistory(fs, path);
  EXPECT_EQ(history.Days, (std::vector<TDayRecord>{Day(kDay, 1), Day(kDay + 1, 5), Day(kDay + 2, 3)}));
}

TEST(DayHistory, PastTheBoundTheOldestDaysAreDropped) {
  TScratchFolder scratch;
  THeadlessFileSystem fs;
  const std::string path = scratch.Path("Anna.history");
  std::string text;
  for (int32_t d = 0; d < static_cast<int32_t>(kMaxHistoryDays) + 2; ++d)
    text += DayRecordLine(Day(kDay + d, d)) + "\r\n";
  PutText(fs, path, text);
  const int32_t next = kDay + static_cast<int32_t>(kMaxHistoryDays) + 2;
  ASSERT_TRUE(WriteDayHistory(fs, path, Day(next, 1)));
  const TDayHistory history = ReadDayHistory(fs, path);
  ASSERT_EQ(history.Days.size(), kMaxHistoryDays);
  EXPECT_EQ(history.Days.front().Date, kDay + 3);
  EXPECT_EQ(history.Days.back(), Day(next, 1));
}

TEST(DayHistory, BadLinesAndNamesNeverCrashAndAPlaceThatCannotBeWrittenKeepsWhatItHad) {
  for (const char *line : {"", "*", "1,2026-12-11*0000000", "1,2026-02-30,1*00000000",
                           "1,-026-12-11*ZZZZZZZZ", "\xff\xfe*12345678"}) {
    TDayRecord record;
    EXPECT_FALSE(ParseDayRecordLine(line, record)) << line;
  }
  EXPECT_EQ(DayHistoryFile("C:\\Users\\a\\movaro.ini", "A:b/c*d"), "C:\\Users\\a\\A_b_c_d.history");
  EXPECT_EQ(DayHistoryFile("C:\\Users\\a\\movaro.ini", ". ."), "C:\\Users\\a\\_.history");
  // The export's first name holds nothing a file name cannot.
  EXPECT_EQ(HistoryExportFileName("Anna"), "Movaro Anna.csv");
  EXPECT_EQ(HistoryExportFileName("a\\b/c:d*e?f\"g<h>i|j\x01k. ."), "Movaro a_b_c_d_e_f_g_h_i_j_k.csv");
  EXPECT_EQ(HistoryExportFileName("..."), "Movaro.csv");
  EXPECT_EQ(DayHistoryFile("movaro.ini", "Anna"), "");

  TScratchFolder scratch;
  THeadlessFileSystem fs;
  const std::string folder = scratch.Path("Anna.history");
  ASSERT_TRUE(fs.ForceDirectories(folder)); // a folder where the file should be
  EXPECT_FALSE(WriteDayHistory(fs, folder, Day(kDay, 1)));
  EXPECT_TRUE(fs.DirectoryExists(folder));
}

TEST(DayRecord, ADayClosedAtMidnightIsAppendedAndTheNewDayFollowsIt) {
  THistoryWorld w;
  w.Type(30);
  w.Fire(3, 5);
  w.Tick(10 * 60); // a short break, then past midnight: the day ends
  TDayHistory history = w.History();
  ASSERT_EQ(history.Days.size(), 1u) << testing::PrintToString(w.Log);
  EXPECT_EQ(history.Days[0].Date, kDay);
  EXPECT_EQ(history.Days[0].Keystrokes, 30);
  EXPECT_GE(history.Days[0].Measured, 9 * 60);
  EXPECT_EQ(history.Days[0].ShortPrompts, 1);

  w.Type(5);
  w.day->Scheduler.StopMonitoring();
  history = w.History();
  ASSERT_EQ(history.Days.size(), 2u);
  EXPECT_EQ(history.Days[0].Keystrokes, 30);
  EXPECT_EQ(history.Days[1].Date, kDay + 1);
  EXPECT_EQ(history.Days[1].Keystrokes, 5);
  EXPECT_EQ(history.Days[1].ShortPrompts, 0);
}

TEST(DayRecord, MonitoringStoppedAndStartedInOneDayRewritesTodaysLineWithBothSessions) {
  THistoryWorld w;
  w.Tick(11 * 60); // into the new day
  w.Type(10);
  w.day->Scheduler.StopMonitoring();
  ASSERT_TRUE(w.day->Scheduler.StartMonitoring());
  w.Type(7);
  w.day->Profile->SaveProfile();
  w.day->Profile->SaveProfile();
  const TDayHistory history = w.History();
  ASSERT_EQ(history.Days.size(), 2u); // the day before, closed at midnight, and today
  EXPECT_EQ(history.Days[1].Date, kDay + 1);
  EXPECT_EQ(history.Days[1].Keystrokes, 17);
  EXPECT_EQ(history.Days[1].Worked, 17);
}

// A damaged line that a save leaves out of the file is still told of by the
// profile's history.
TEST(DayRecord, DamagedLinesASaveLeftOutAreStillCountedByTheProfile) {
  THistoryWorld w;
  w.Type(3);
  w.day->Profile->SaveProfile();
  PutText(w.day->Sim.Files, w.File(), FileText(w.day->Sim.Files, w.File()) + "1,2025-12-01,x*00000000\r\n");
  w.Type(2);
  w.day->Profile->SaveProfile();
  EXPECT_EQ(w.History().DamagedLines, 0); // gone from the file
  EXPECT_EQ(w.day->Profile->ReadHistory().DamagedLines, 1);
  // A second one adds to the count.
  PutText(w.day->Sim.Files, w.File(), FileText(w.day->Sim.Files, w.File()) + "1,2025-12-02,x*00000000\r\n");
  w.Type(1);
  w.day->Profile->SaveProfile();
  const TDayHistory history = w.day->Profile->ReadHistory();
  EXPECT_EQ(history.DamagedLines, 2);
  ASSERT_EQ(history.Days.size(), 1u);
  EXPECT_EQ(history.Days[0].Keystrokes, 6);
}

// Two events of one moment find the same record and write it once: a full
// save in the last second of the day and the day's end at the next tick.
TEST(DayRecord, EventsOfOneMomentWriteTheDayOnce) {
  THistoryWorld w; // 23:50
  w.Type(5);
  w.Tick(594); // 23:59:59
  w.day->Profile->SaveProfile();
  w.Tick(1); // midnight
  w.Type(3);
  w.day->Scheduler.StopMonitoring();
  std::vector<std::string> records;
  for (const std::string &line : w.Log)
    if (line.find(" record ") != std::string::npos)
      records.push_back(line.substr(0, 31));
  EXPECT_EQ(records, (std::vector<std::string>{"23:59:59 record date=2025-12-09",
                                                "00:00:03 record date=2025-12-10"}))
      << testing::PrintToString(w.Log);
}

TEST(DayRecord, AUserSwitchWritesTheDayForTheUserWhoLeft) {
  THistoryWorld w;
  w.Type(4);
  w.day->Session.Name = "Ben";
  w.day->Scheduler.MainTimerTime();
  ASSERT_EQ(w.History().Days.size(), 1u);
  EXPECT_EQ(w.History().Days[0].Keystrokes, 4);
  EXPECT_FALSE(w.day->Sim.Files.FileExists(w.scratch.Path("Ben.history")));
}

TEST(DayRecord, ABreakPromptCountsAsShownBlockedAndRestedThroughOnlyWithoutInput) {
  TSchedulerWorld w; // at 10:00, far from midnight
  w.day->Profile->ConfigShortPauseBlock = true;
  const TPromptTally &prompts = w.day->Context.Trace.TraceState.Prompts;
  auto untilOver = [&w](int rule) {
    w.day->Sim.KeyStroke(); // input before the prompt: it counts from its own start
    w.Tick();
    for (int t = 0; t < 3600 && w.Rule(rule).Fired; ++t)
      w.Tick();
    w.Tick();
  };
  w.Fire(3, 5);
  untilOver(3); // no input until its time was over
  EXPECT_EQ(prompts.RestedThrough, 1);
  w.Fire(3, 5);
  w.Tick();
  w.day->Sim.KeyStroke();
  untilOver(3);
  EXPECT_EQ(prompts.ShortPrompts, 2) << testing::PrintToString(w.Log);
  EXPECT_EQ(prompts.BlockedBreaks, 2);
  EXPECT_EQ(prompts.RestedThrough, 1);
  w.Fire(4, 5); // long breaks do not block by default
  untilOver(4); // the absence notice replaces it meanwhile
  EXPECT_EQ(prompts.LongPrompts, 1);
  EXPECT_EQ(prompts.ShortPrompts, 2);
  EXPECT_EQ(prompts.BlockedBreaks, 2);
  EXPECT_EQ(prompts.RestedThrough, 2) << testing::PrintToString(w.Log);

  ASSERT_TRUE(w.day->Profile->RecordAnswer("q3_44|Dlg #qggt0000030001", true, false));
  ASSERT_TRUE(w.day->Profile->RecordAnswer("i7_44|Dlg #iggi0000070002", false, false));
  ASSERT_TRUE(w.day->Profile->RecordAnswer("q3_44|Dlg #qggt0000030001", false, true));
  EXPECT_EQ(prompts.QuestionsAnswered, 2); // a cancel is no answer
}

TEST(DayRecord, SessionsOfOneDayAddUpAndTheLaterGaugesWin) {
  TDayRecord earlier = Day(kDay, 5), later = Day(kDay, 7);
  earlier.LongestWorked = 90;
  later.LongestWorked = 60;
  earlier.Gauges[0] = 10;
  earlier.Gauges[1] = 30;
  later.Gauges[1] = 20;
  earlier.RiskIndex = 40;
  const TDayRecord day = CombineDays(earlier, later);
  EXPECT_EQ(day.Keystrokes, 12);
  EXPECT_EQ(day.LongestWorked, 90);
  EXPECT_EQ(day.Gauges[0], 10); // the later session had nothing to score
  EXPECT_EQ(day.Gauges[1], 20);
  EXPECT_EQ(day.RiskIndex, 40);
}

TEST(HistoryExport, AHeaderInTheUsersLanguageThenADayARowSplitByTheLocalesListSeparator) {
  TDayRecord first = Day(kDay, 12345), second = Day(kDay + 23, 7);
  first.Worked = 28800;
  first.Gauges[2] = 40;
  first.RiskIndex = 0;
  second.Gauges[9] = 100;
  const std::vector<std::string> header = HistoryCsvHeader([](int32_t number, const std::string &english) {
    return number == 13410 ? "Datum" : number == 13412 ? "Arbeitszeit; netto (s)" : english;
  });
  ASSERT_EQ(header.size(), size_t{kHistoryColumnCount});
  EXPECT_EQ(header[13], "Status questions answered");
  EXPECT_EQ(header[16], "Working-hours (%)");
  // Each column's text number is the one the English language table gives
  // that name (so every language names the column by its own text).
  std::ifstream table(MOVARO_TEST_DATA "/../../content/lang/movaro/english.txt");
  std::map<int32_t, std::string> english;
  for (std::string line; std::getline(table, line);) {
    int32_t number = 0;
    char caption[256] = {};
    if (std::sscanf(line.c_str(), "row %d \"%255[^\"]\"", &number, caption) == 2)
      english[number] = caption;
  }
  ASSERT_FALSE(english.empty());
  for (const THistoryColumnText &column : kHistoryColumnTexts)
    EXPECT_EQ(english[column.Number], column.English) << column.Number;

  // A comma where the list separator is a comma, also when the locale gives
  // one that cannot split cells.
  const std::string commas = "Datum,Time measured (s),Arbeitszeit; netto (s)";
  for (const std::string &list : {std::string(","), std::string(""), std::string("7")}) {
    const std::string csv = DayHistoryCsv({first, second}, header, CsvSeparator(list));
    EXPECT_EQ(csv.substr(0, commas.size()), commas) << list;
    EXPECT_NE(csv.find("\r\n2025-12-09,0,28800,0,0,12345,0,0,0,0,0,0,0,0,,,40,,,,,,,,0\r\n"
                       "2026-01-01,0,0,0,0,7,0,0,0,0,0,0,0,0,,,,,,,,,,100,\r\n"),
              std::string::npos)
        << csv;
  }
  // A semicolon quotes the name that holds one; nothing else changes.
  const std::string csv = DayHistoryCsv({first}, header, CsvSeparator(";"));
  const std::string semicolons = "Datum;Time measured (s);\"Arbeitszeit; netto (s)\";Time rested";
  EXPECT_EQ(csv.substr(0, semicolons.size()), semicolons);
  EXPECT_NE(csv.find("\r\n2025-12-09;0;28800;0;0;12345;0;0;0;0;0;0;0;0;;;40;;;;;;;;0\r\n"),
            std::string::npos)
      << csv;
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 2);
}
