#include "movaro/profile/DayHistory.h"

#include "movaro/profile/Statistics.h"

#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

const std::array<const char *, kDayRecordFieldCount> kDayRecordFieldNames = {
    "measured", "worked", "rested", "longest_worked", "keystrokes", "mouse_moves",
    "clicks", "wheel", "short_prompts", "long_prompts", "rested_through", "blocked_breaks",
    "questions_answered", "gauge1", "gauge2", "gauge3", "gauge4", "gauge5", "gauge6",
    "gauge7", "gauge8", "gauge9", "gauge10", "risk_index"};

namespace {

constexpr char kTemporarySuffix[] = ".new";
constexpr int kFirstGaugeField = 13;

std::array<int32_t *, kDayRecordFieldCount> Fields(TDayRecord &r) {
  std::array<int32_t *, kDayRecordFieldCount> fields{
      &r.Measured,      &r.Worked,      &r.Rested,        &r.LongestWorked, &r.Keystrokes,
      &r.MouseMoves,    &r.Clicks,      &r.WheelTurns,    &r.ShortPrompts,  &r.LongPrompts,
      &r.RestedThrough, &r.BlockedBreaks, &r.QuestionsAnswered};
  for (int k = 0; k < kQuestionnaireCount; ++k)
    fields[kFirstGaugeField + k] = &r.Gauges[k];
  fields[kDayRecordFieldCount - 1] = &r.RiskIndex;
  return fields;
}

bool IsPercentField(int field) { return field >= kFirstGaugeField; }

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

bool ParseNumber(std::string_view text, int32_t &value) {
  const char *end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  return !text.empty() && error == std::errc() && stop == end;
}

bool ParseDate(std::string_view text, int32_t &date) {
  int32_t year = 0, month = 0, day = 0;
  TDateTime value = 0;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-' || text[0] == '-' ||
      text[5] == '-' || text[8] == '-' || !ParseNumber(text.substr(0, 4), year) ||
      !ParseNumber(text.substr(5, 2), month) || !ParseNumber(text.substr(8, 2), day) ||
      !EncodeDate(year, month, day, value))
    return false;
  date = static_cast<int32_t>(value);
  return true;
}

// Keeps one record per date in date order; a record replaces its date's.
void PutDay(std::vector<TDayRecord> &days, const TDayRecord &record) {
  auto at = std::lower_bound(days.begin(), days.end(), record.Date,
                             [](const TDayRecord &day, int32_t date) { return day.Date < date; });
  if (at != days.end() && at->Date == record.Date)
    *at = record;
  else
    days.insert(at, record);
}

bool IsFileNameCharacter(char c) {
  return static_cast<unsigned char>(c) >= 32 && !std::strchr("\\/:*?\"<>|", c);
}

} // namespace

std::string DayRecordDate(int32_t date) {
  TDateTimeParts parts;
  if (!DecodeDateTime(date, parts))
    return "0000-00-00";
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", parts.Year, parts.Month, parts.Day);
  return text;
}

std::array<int32_t, kDayRecordFieldCount> DayRecordValues(const TDayRecord &record) {
  TDayRecord copy = record;
  std::array<int32_t, kDayRecordFieldCount> values{};
  const auto fields = Fields(copy);
  for (int i = 0; i < kDayRecordFieldCount; ++i)
    values[i] = *fields[i];
  return values;
}

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
  for (int i = 0; i < kFirstGaugeField; ++i)
    if (values[i] != 0)
      return false;
  return true;
}

TDayRecord CombineDays(const TDayRecord &earlier, const TDayRecord &later) {
  TDayRecord sum = later, before = earlier;
  const auto from = Fields(before), into = Fields(sum);
  for (int i = 0; i < kDayRecordFieldCount; ++i) {
    if (into[i] == &sum.LongestWorked)
      sum.LongestWorked = std::max(earlier.LongestWorked, later.LongestWorked);
    else if (IsPercentField(i))
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
  std::string line = std::to_string(kDayRecordVersion) + "," + DayRecordDate(record.Date);
  for (int32_t value : DayRecordValues(record))
    line += "," + std::to_string(value);
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
  std::vector<std::string_view> parts;
  for (std::string_view rest = line.substr(0, star);;) {
    const size_t comma = rest.find(',');
    parts.push_back(rest.substr(0, comma));
    if (comma == std::string_view::npos)
      break;
    rest.remove_prefix(comma + 1);
  }
  int32_t version = 0;
  TDayRecord read;
  if (parts.size() < 2 + kDayRecordFieldCount || !ParseNumber(parts[0], version) ||
      version < kDayRecordVersion || !ParseDate(parts[1], read.Date))
    return false;
  const auto fields = Fields(read);
  for (int i = 0; i < kDayRecordFieldCount; ++i) {
    int32_t &value = *fields[i];
    if (!ParseNumber(parts[2 + i], value) || value < (IsPercentField(i) ? -1 : 0) ||
        (IsPercentField(i) && value > 100))
      return false;
  }
  record = read;
  return true;
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
    if (ParseDayRecordLine(line, record))
      PutDay(history.Days, record);
    else
      ++history.DamagedLines;
  }
  return history;
}

TDayHistory ReadDayHistory(TFileSystem &fs, const std::string &path) {
  std::string text;
  if (!fs.FileExists(path))
    return {};
  if (!ReadWholeFile(fs, path, text, kMaxHistoryFileBytes)) {
    TDayHistory unreadable;
    unreadable.Unreadable = true;
    return unreadable;
  }
  return ParseDayHistory(text);
}

bool WriteDayHistory(TFileSystem &fs, const std::string &path, const TDayRecord &record) {
  TDayHistory history = ReadDayHistory(fs, path);
  // A file that exists but cannot be read is not replaced by one day.
  if (history.Unreadable)
    return false;
  PutDay(history.Days, record);
  if (history.Days.size() > kMaxHistoryDays)
    history.Days.erase(history.Days.begin(),
                       history.Days.end() - static_cast<ptrdiff_t>(kMaxHistoryDays));
  std::string text;
  for (const TDayRecord &day : history.Days)
    text += DayRecordLine(day) + "\r\n";
  const std::string temporary = path + kTemporarySuffix;
  bool written = false;
  if (std::unique_ptr<TFileStream> file = fs.Create(temporary)) {
    written = WriteFully(*file, text.data(), static_cast<int64_t>(text.size())) && file->Flush();
  }
  if (written && fs.RenameFile(temporary, path, kRenameReplaceExisting | kRenameWriteThrough))
    return true;
  fs.RemoveFile(temporary);
  return false;
}

std::string DayHistoryFile(const std::string &profileFile, const std::string &userName) {
  const std::string folder = ExtractFilePath(profileFile);
  if (folder.empty())
    return "";
  std::string name = userName;
  for (char &c : name)
    if (!IsFileNameCharacter(c))
      c = '_';
  return folder + name + ".history";
}
