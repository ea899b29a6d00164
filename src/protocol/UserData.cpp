#include "protocol/UserData.h"

#include "base/AnsiText.h"
#include "base/Decimal.h"
#include "protocol/TextLines.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr size_t kHistoryHeadLength = 14;
constexpr size_t kHistoryKeyLength = 8;

enum class TValueKind { Number, Switch, Text };

struct TSettingRule {
  const char *Name;
  TValueKind Kind;
  int32_t Min, Max;
};

// The settings in their order on the wire.
constexpr TSettingRule kSettings[] = {
    {"ConfigLevel", TValueKind::Number, kConfigLevelMin, kConfigLevelMax},
    {"ConfigLevelBase", TValueKind::Number, kConfigLevelBaseMin, kConfigLevelBaseMax},
    {"ConfigWarningtype", TValueKind::Number, 0, kConfigWarningtypeMax},
    {"ConfigWarningsoundfile", TValueKind::Text, 0, 0},
    {"ConfigShowInSysTray", TValueKind::Switch, 0, 1},
    {"ConfigShortPause", TValueKind::Number, kShortPauseMin, kShortPauseMax},
    {"ConfigShortPauseBlock", TValueKind::Switch, 0, 1},
    {"ConfigLongPause", TValueKind::Number, kLongPauseMin, kLongPauseMax},
    {"ConfigLongPauseBlock", TValueKind::Switch, 0, 1},
};
constexpr size_t kSettingCount = sizeof kSettings / sizeof kSettings[0];

// The record's slot of setting i, in the order of kSettings (R: the record,
// const or not).
template <class R> auto NumberSlot(R &r, size_t i) -> decltype(&r.ConfigLevel) {
  switch (i) {
  case 0: return &r.ConfigLevel;
  case 1: return &r.ConfigLevelBase;
  case 2: return &r.ConfigWarningtype;
  case 5: return &r.ConfigShortPause;
  case 7: return &r.ConfigLongPause;
  default: return nullptr;
  }
}
template <class R> auto SwitchSlot(R &r, size_t i) -> decltype(&r.ConfigShowInSysTray) {
  switch (i) {
  case 4: return &r.ConfigShowInSysTray;
  case 6: return &r.ConfigShortPauseBlock;
  case 8: return &r.ConfigLongPauseBlock;
  default: return nullptr;
  }
}

int SettingIndex(const std::string &key) {
  for (size_t i = 0; i < kSettingCount; ++i)
    if (SameText(key, kSettings[i].Name))
      return static_cast<int>(i);
  return -1;
}

bool IsHistoryKey(const std::string &key) {
  if (key.size() != kHistoryKeyLength)
    return false;
  for (char c : key)
    if (c <= ' ' || c > '~' || c == '=')
      return false;
  return true;
}

// "count>day" with both numbers in range; false otherwise.
bool ParseHistoryValue(const std::string &value, THistoryLine &line) {
  size_t mark = value.find('>');
  if (mark == std::string::npos)
    return false;
  int64_t count, day;
  if (!ParseDecimal(value.substr(0, mark), kHistoryCountMin, kHistoryCountMax, count) ||
      !ParseDecimal(value.substr(mark + 1), kHistoryDayMin, kHistoryDayMax, day))
    return false;
  line.Count = static_cast<int32_t>(count);
  line.Day = static_cast<int32_t>(day);
  return true;
}

bool IsPlainText(const std::string &text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) < ' ')
      return false;
  return true;
}

// Checks one setting's value into the record; the reason for a refusal.
std::string TakeSetting(TUserDataRecord &record, size_t index, const std::string &value) {
  const TSettingRule &rule = kSettings[index];
  if (rule.Kind == TValueKind::Text) {
    if (value.size() > kSoundFileMaxLength)
      return "longer than 255 characters";
    if (!IsPlainText(value))
      return "holds control characters";
    // A reply that holds this marker anywhere reads as "nothing stored".
    if (value.find("NO_DATA_FOUND") != std::string::npos)
      return "holds the text NO_DATA_FOUND";
    record.ConfigWarningsoundfile = value;
    return "";
  }
  if (rule.Kind == TValueKind::Switch) {
    // Exactly these two texts: "01" or "+1" are not an "on".
    if (value != "0" && value != "1")
      return "not 0 or 1";
    *SwitchSlot(record, index) = value == "1";
    return "";
  }
  int64_t number;
  if (!ParseDecimal(value, rule.Min, rule.Max, number))
    return "not a whole number from " + std::to_string(rule.Min) + " to " + std::to_string(rule.Max);
  *NumberSlot(record, index) = static_cast<int32_t>(number);
  return "";
}

void AppendLine(std::string &out, const std::string &key, const std::string &value) {
  out += key;
  out += '=';
  out += value;
  out += "\r\n";
}

void AppendHistory(std::string &out, const std::vector<THistoryLine> &history) {
  for (const THistoryLine &line : history)
    AppendLine(out, line.Key, std::to_string(line.Count) + ">" + std::to_string(line.Day));
}

int32_t NumberOrMinusOne(const std::string &text) {
  int64_t value;
  return ParseDecimal(text, INT32_MIN, INT32_MAX, value) ? static_cast<int32_t>(value) : -1;
}

} // namespace

std::string HistoryKeyOfEntry(const std::string &entry) {
  if (entry.size() < kHistoryHeadLength)
    return "";
  return entry.substr(3, 1) + entry.substr(7, 7);
}

THistoryLine HistoryLineOfEntry(const std::string &entry) {
  THistoryLine line;
  line.Key = HistoryKeyOfEntry(entry);
  std::string rest = entry.size() > kHistoryHeadLength ? entry.substr(kHistoryHeadLength) : "";
  size_t mark = rest.find('>');
  line.Count = NumberOrMinusOne(rest.substr(0, mark));
  line.Day = mark == std::string::npos ? -1 : NumberOrMinusOne(rest.substr(mark + 1));
  return line;
}

bool TUserDataRecord::Empty() const {
  return !ConfigLevel && !ConfigLevelBase && !ConfigWarningtype && !ConfigWarningsoundfile &&
         !ConfigShowInSysTray && !ConfigShortPause && !ConfigShortPauseBlock && !ConfigLongPause &&
         !ConfigLongPauseBlock && History.empty();
}

bool TUserDataRecord::WasRefused(const std::string &key) const {
  for (const TRefusedLine &line : Refused)
    if (SameText(line.Key, key))
      return true;
  return false;
}

std::string FormatUserDataLines(const TUserDataSettings &s, const std::vector<THistoryLine> &history) {
  TUserDataRecord record;
  record.ConfigLevel = s.ConfigLevel;
  record.ConfigLevelBase = s.ConfigLevelBase;
  record.ConfigWarningtype = s.ConfigWarningtype;
  record.ConfigWarningsoundfile = s.ConfigWarningsoundfile;
  record.ConfigShowInSysTray = s.ConfigShowInSysTray;
  record.ConfigShortPause = s.ConfigShortPause;
  record.ConfigShortPauseBlock = s.ConfigShortPauseBlock;
  record.ConfigLongPause = s.ConfigLongPause;
  record.ConfigLongPauseBlock = s.ConfigLongPauseBlock;
  std::string out = FormatUserDataLines(record);
  AppendHistory(out, history);
  return out;
}

std::string FormatUserDataLines(const TUserDataRecord &record) {
  const TUserDataRecord &r = record;
  std::string out;
  for (size_t i = 0; i < kSettingCount; ++i) {
    const char *name = kSettings[i].Name;
    if (kSettings[i].Kind == TValueKind::Text) {
      if (r.ConfigWarningsoundfile)
        AppendLine(out, name, *r.ConfigWarningsoundfile);
    } else if (kSettings[i].Kind == TValueKind::Switch) {
      if (const std::optional<bool> &value = *SwitchSlot(r, i))
        AppendLine(out, name, *value ? "1" : "0");
    } else if (const std::optional<int32_t> &value = *NumberSlot(r, i)) {
      AppendLine(out, name, std::to_string(*value));
    }
  }
  AppendHistory(out, record.History);
  return out;
}

std::string FormatDayLines(const TUserDataRecord &record) {
  std::string out;
  for (const TDayRecord &day : record.Days)
    AppendLine(out, kDayRecordKey, DayRecordFieldsText(day));
  if (record.KnownDays)
    AppendLine(out, kKnownDaysKey, DaySpansText(*record.KnownDays));
  if (record.StoredDays)
    AppendLine(out, kStoredDaysKey, DaySpansText(*record.StoredDays));
  return out;
}

TUserDataRecord ReadUserDataLines(const std::string &text) {
  TUserDataRecord record;
  std::unordered_set<int32_t> seenDays;
  bool seenSetting[kSettingCount] = {};
  std::unordered_set<std::string> seenHistory;
  std::string key, value;
  for (const std::string &line : SplitLines(text)) {
    if (!SplitKeyValue(line, key, value))
      continue;
    std::string reason;
    int index = SettingIndex(key);
    if (index >= 0) {
      if (seenSetting[index])
        reason = "given twice";
      else
        reason = TakeSetting(record, static_cast<size_t>(index), value);
      seenSetting[index] = true;
    } else if (IsHistoryKey(key)) {
      THistoryLine entry{key, -1, 0};
      if (!seenHistory.insert(AnsiUpperCase(key)).second)
        reason = "given twice";
      else if (!ParseHistoryValue(value, entry))
        reason = "not a count from -1 to 9, \">\" and a day from -1 to 2958465";
      else
        record.History.push_back(entry);
    } else if (SameText(key, kDayRecordKey)) {
      TDayRecord day;
      if (!ParseDayRecordFieldsText(value, day))
        reason = "not a date and " + std::to_string(kDayRecordFieldCount) + " figures in their ranges";
      else if (!seenDays.insert(day.Date).second)
        reason = "a day given twice";
      else if (record.Days.size() == kMaxHistoryDays)
        reason = "more than " + std::to_string(kMaxHistoryDays) + " days";
      else
        record.Days.push_back(day);
    } else if (SameText(key, kKnownDaysKey) || SameText(key, kStoredDaysKey)) {
      std::optional<TDaySpans> &spans = SameText(key, kKnownDaysKey) ? record.KnownDays : record.StoredDays;
      TDaySpans read;
      if (spans)
        reason = "given twice";
      else if (!ParseDaySpans(value, read))
        reason = "not ascending dates or spans of dates";
      else
        spans = std::move(read);
    } else {
      reason = "not a setting or a history key";
    }
    if (!reason.empty())
      record.Refused.push_back({key, value, reason});
  }
  std::sort(record.Days.begin(), record.Days.end(),
            [](const TDayRecord &a, const TDayRecord &b) { return a.Date < b.Date; });
  return record;
}

TUserDataRecord ApplyUserDataLines(const std::string &text, TUserDataSettings &s,
                                   std::vector<std::string> &history) {
  TUserDataRecord record = ReadUserDataLines(text);
  if (record.ConfigLevel)
    s.ConfigLevel = static_cast<uint8_t>(*record.ConfigLevel);
  if (record.ConfigWarningtype)
    s.ConfigWarningtype = static_cast<uint8_t>(*record.ConfigWarningtype);
  if (record.ConfigShortPause)
    s.ConfigShortPause = *record.ConfigShortPause;
  if (record.ConfigLongPause)
    s.ConfigLongPause = *record.ConfigLongPause;
  if (record.ConfigWarningsoundfile)
    s.ConfigWarningsoundfile = *record.ConfigWarningsoundfile;
  else if (!record.WasRefused("ConfigWarningsoundfile"))
    s.ConfigWarningsoundfile.clear();
  s.ConfigShowInSysTray = record.ConfigShowInSysTray.value_or(false);
  s.ConfigShortPauseBlock = record.ConfigShortPauseBlock.value_or(false);
  s.ConfigLongPauseBlock = record.ConfigLongPauseBlock.value_or(false);

  std::unordered_map<std::string, const THistoryLine *> byKey;
  for (const THistoryLine &line : record.History)
    byKey.emplace(AnsiUpperCase(line.Key), &line);
  // A damaged value keeps the entry; an empty one says nothing is stored for
  // it, as a missing line does. The first line of a key counts.
  auto keepsEntry = [&record](const std::string &key) {
    for (const TRefusedLine &line : record.Refused)
      if (SameText(line.Key, key))
        return !line.Value.empty();
    return false;
  };
  for (std::string &entry : history) {
    std::string key = HistoryKeyOfEntry(entry);
    if (key.empty())
      continue;
    std::string head = entry.substr(0, kHistoryHeadLength);
    auto it = byKey.find(AnsiUpperCase(key));
    const THistoryLine *found = it == byKey.end() ? nullptr : it->second;
    if (found)
      entry = head + std::to_string(found->Count) + ">" + std::to_string(found->Day);
    else if (!keepsEntry(key))
      entry = head + "-1>0";
  }
  return record;
}
