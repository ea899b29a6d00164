#include "movaro/profile/DayHistory.h"

#include "movaro/profile/Statistics.h"

#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

constexpr char kTemporarySuffix[] = ".new";
constexpr char kLineEnd[] = "\r\n";

int32_t Seconds(TDateTime days) {
  const double seconds = std::round(days * kSecondsPerDay);
  return seconds <= 0 ? 0 : seconds >= 2147483647.0 ? 2147483647 : static_cast<int32_t>(seconds);
}

int32_t Count(uint32_t count) {
  return static_cast<int32_t>(std::min<uint32_t>(count, std::numeric_limits<int32_t>::max()));
}

int32_t SaturatedSum(int32_t a, int32_t b) {
  const int64_t sum = int64_t{a} + b;
  return static_cast<int32_t>(std::min<int64_t>(sum, std::numeric_limits<int32_t>::max()));
}

uint32_t LineChecksum(std::string_view text) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef *>(text.data()), static_cast<uInt>(text.size())));
}

// Keeps one record per date in date order; a record replaces its date's.
// True when it replaced one.
bool PutDay(std::vector<TDayRecord> &days, const TDayRecord &record) {
  auto at = std::lower_bound(days.begin(), days.end(), record.Date,
                             [](const TDayRecord &day, int32_t date) { return day.Date < date; });
  if (at != days.end() && at->Date == record.Date) {
    *at = record;
    return true;
  }
  days.insert(at, record);
  return false;
}

const TDayRecord *FindDay(const std::vector<TDayRecord> &days, int32_t date) {
  auto at = std::lower_bound(days.begin(), days.end(), date,
                             [](const TDayRecord &day, int32_t d) { return day.Date < d; });
  return at != days.end() && at->Date == date ? &*at : nullptr;
}

bool IsFileNameCharacter(char c) {
  return static_cast<unsigned char>(c) >= 32 && !std::strchr("\\/:*?\"<>|", c);
}

// The history as read, and whether its text ends inside a line (an append
// must begin a line of its own then).
struct TReadHistory {
  TDayHistory History;
  bool EndsInLine = false;
};

TReadHistory ReadForWrite(TFileSystem &fs, const std::string &path) {
  TReadHistory read;
  std::string text;
  if (!fs.FileExists(path))
    return read;
  if (!ReadWholeFile(fs, path, text, kMaxHistoryFileBytes)) {
    read.History.Unreadable = true;
    return read;
  }
  read.History = ParseDayHistory(text);
  read.EndsInLine = !text.empty() && text.back() != '\n';
  return read;
}

// The days whole under a temporary name, renamed over the file.
bool WriteWhole(TFileSystem &fs, const std::string &path, std::vector<TDayRecord> days) {
  if (days.size() > kMaxHistoryDays)
    days.erase(days.begin(), days.end() - static_cast<ptrdiff_t>(kMaxHistoryDays));
  std::string text;
  for (const TDayRecord &day : days)
    text += DayRecordLine(day) + kLineEnd;
  const std::string temporary = path + kTemporarySuffix;
  bool written = false;
  if (std::unique_ptr<TFileStream> file = fs.Create(temporary))
    written = WriteFully(*file, text.data(), static_cast<int64_t>(text.size())) && file->Flush();
  if (written && fs.RenameFile(temporary, path, kRenameReplaceExisting | kRenameWriteThrough))
    return true;
  fs.RemoveFile(temporary);
  return false;
}

} // namespace

TDayRecord TakeDayRecord(const TTraceState &trace, const std::vector<std::string> &messageHistory) {
  TDayRecord r;
  r.Date = static_cast<int32_t>(DatePart(trace.Start));
  r.Measured = Seconds(trace.Now - trace.Start);
  if (trace.Rules && trace.Rules->size() > 2) {
    const TTraceMsgStats &worked = (*trace.Rules)[1].TraceMsgStats;
    r.Worked = Seconds(worked.Stats[tsTotal].Time);
    r.LongestWorked = Seconds(worked.Stats[tsLongestRun].Time);
    r.Rested = Seconds((*trace.Rules)[2].TraceMsgStats.Stats[tsTotal].Time);
  }
  r.Keystrokes = Count(trace.Counters[ttKeystrokes].Count);
  r.MouseMoves = Count(trace.Counters[ttMouseMoves].Count);
  r.Clicks = Count(trace.Counters[ttMouseClicks].Count);
  r.WheelTurns = Count(trace.Counters[ttMouseWheel].Count);
  const TPromptTally &prompts = trace.Prompts;
  r.ShortPrompts = prompts.ShortPrompts;
  r.LongPrompts = prompts.LongPrompts;
  r.RestedThrough = prompts.RestedThrough;
  r.BlockedBreaks = prompts.BlockedBreaks;
  r.QuestionsAnswered = prompts.QuestionsAnswered;
  const auto gauges = TestGaugeValues(messageHistory);
  r.RiskIndex = gauges[0].value_or(-1);
  for (int k = 0; k < kQuestionnaireCount; ++k)
    r.Gauges[k] = gauges[k + 1].value_or(-1);
  return r;
}

bool DayRecordEmpty(const TDayRecord &record) {
  const auto values = DayRecordValues(record);
  for (int i = 0; i < kFirstPercentField; ++i)
    if (values[i] != 0)
      return false;
  return true;
}

TDayRecord CombineDays(const TDayRecord &earlier, const TDayRecord &later) {
  TDayRecord sum = later, before = earlier;
  const auto from = DayRecordFields(before), into = DayRecordFields(sum);
  for (int i = 0; i < kDayRecordFieldCount; ++i) {
    if (into[i] == &sum.LongestWorked)
      sum.LongestWorked = std::max(earlier.LongestWorked, later.LongestWorked);
    else if (i >= kFirstPercentField)
      *into[i] = *into[i] >= 0 ? *into[i] : *from[i];
    else
      *into[i] = SaturatedSum(*from[i], *into[i]);
  }
  return sum;
}

std::string DayRecordText(const TDayRecord &record) {
  std::string text = "date=" + DayRecordDate(record.Date);
  const auto values = DayRecordValues(record);
  for (int i = 0; i < kDayRecordFieldCount; ++i)
    text += std::string(" ") + kDayRecordFieldNames[i] + "=" + std::to_string(values[i]);
  return text;
}

std::string DayRecordLine(const TDayRecord &record) {
  const std::string line = std::to_string(kDayRecordVersion) + "," + DayRecordFieldsText(record);
  char checksum[12];
  std::snprintf(checksum, sizeof checksum, "*%08X", LineChecksum(line));
  return line + checksum;
}

bool ParseDayRecordLine(std::string_view line, TDayRecord &record) {
  const size_t star = line.rfind('*');
  if (star == std::string_view::npos || line.size() - star != 9)
    return false;
  uint32_t checksum = 0;
  const std::string_view hex = line.substr(star + 1);
  auto [stop, error] = std::from_chars(hex.data(), hex.data() + hex.size(), checksum, 16);
  if (error != std::errc() || stop != hex.data() + hex.size() ||
      checksum != LineChecksum(line.substr(0, star)))
    return false;
  const std::string_view text = line.substr(0, star);
  const size_t comma = text.find(',');
  int32_t version = 0;
  if (comma == std::string_view::npos)
    return false;
  auto [end, bad] = std::from_chars(text.data(), text.data() + comma, version);
  return bad == std::errc() && end == text.data() + comma && version >= kDayRecordVersion &&
         ParseDayRecordFieldsText(text.substr(comma + 1), record);
}

TDayHistory ParseDayHistory(std::string_view text) {
  TDayHistory history;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    if (line.empty())
      continue;
    TDayRecord record;
    if (!ParseDayRecordLine(line, record))
      ++history.DamagedLines;
    else if (PutDay(history.Days, record))
      ++history.StaleLines;
  }
  return history;
}

TDayHistory ReadDayHistory(TFileSystem &fs, const std::string &path) {
  return ReadForWrite(fs, path).History;
}

bool WriteDayHistory(TFileSystem &fs, const std::string &path, const TDayRecord &record, int32_t *leftOut) {
  if (leftOut)
    *leftOut = 0;
  TReadHistory read = ReadForWrite(fs, path);
  TDayHistory &history = read.History;
  // A file that exists but cannot be read is not replaced by one day.
  if (history.Unreadable)
    return false;
  const TDayRecord *stored = FindDay(history.Days, record.Date);
  if (stored && *stored == record)
    return true;
  const bool replaces = stored != nullptr;
  if (history.DamagedLines > 0 || history.StaleLines + (replaces ? 1 : 0) > kMaxStaleLines ||
      (!replaces && history.Days.size() >= kMaxHistoryDays)) {
    PutDay(history.Days, record);
    const bool written = WriteWhole(fs, path, std::move(history.Days));
    if (written && leftOut)
      *leftOut = history.DamagedLines;
    return written;
  }
  const std::string line = (read.EndsInLine ? kLineEnd : "") + DayRecordLine(record) + kLineEnd;
  std::unique_ptr<TFileStream> file = fs.OpenAppend(path);
  return file && WriteFully(*file, line.data(), static_cast<int64_t>(line.size())) && file->Flush();
}

bool AddMissingDays(TFileSystem &fs, const std::string &path, const std::vector<TDayRecord> &days,
                    int32_t *leftOut) {
  if (leftOut)
    *leftOut = 0;
  TDayHistory history = ReadForWrite(fs, path).History;
  if (history.Unreadable)
    return false;
  bool added = false;
  for (const TDayRecord &day : days)
    if (!FindDay(history.Days, day.Date)) {
      PutDay(history.Days, day);
      added = true;
    }
  if (!added)
    return true;
  const int32_t damaged = history.DamagedLines;
  const bool written = WriteWhole(fs, path, std::move(history.Days));
  if (written && leftOut)
    *leftOut = damaged;
  return written;
}

std::string FileNamePart(const std::string &text) {
  std::string name = text;
  for (char &c : name)
    if (!IsFileNameCharacter(c))
      c = '_';
  while (!name.empty() && (name.back() == '.' || name.back() == ' '))
    name.pop_back();
  return name;
}

std::string DayHistoryFile(const std::string &profileFile, const std::string &userName) {
  const std::string folder = ExtractFilePath(profileFile);
  if (folder.empty())
    return "";
  const std::string name = FileNamePart(userName);
  return folder + (name.empty() ? "_" : name) + ".history";
}
