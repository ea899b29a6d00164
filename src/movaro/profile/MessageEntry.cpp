#include "movaro/profile/MessageEntry.h"

#include "base/AnsiText.h"
#include "data/recfile/IDbRecs.h"
#include "data/text/LogLine.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int32_t kLastDayNumber = 2958465; // 9999-12-31

// The ">" that ends the count: the first one after the head.
size_t CountEnd(std::string_view entry) {
  return entry.size() <= kEntryHeadLength ? std::string_view::npos
                                          : entry.find('>', kEntryHeadLength);
}

int32_t NumberOrMinusOne(std::string_view text) {
  int32_t value = -1;
  return TextToInt32(text, value) ? value : -1;
}

std::string_view Positions(std::string_view entry, size_t first, size_t count) {
  return entry.size() >= first + count - 1 ? entry.substr(first - 1, count) : std::string_view();
}

char Position(std::string_view entry, size_t position) {
  return entry.size() >= position ? entry[position - 1] : '\0';
}

} // namespace

std::string_view EntryHead(std::string_view entry) { return entry.substr(0, kEntryHeadLength); }

std::string EntryKey(std::string_view entry) {
  if (entry.size() < kEntryHeadLength)
    return "";
  return std::string(1, entry[3]) + std::string(entry.substr(7, 7));
}

char EntryKind(std::string_view entry) { return Position(entry, 1); }
std::string_view EntryGroup(std::string_view entry) { return Positions(entry, 2, 2); }
char EntryCategory(std::string_view entry) { return Position(entry, 4); }
std::string_view EntrySetNumber(std::string_view entry) { return Positions(entry, 8, 3); }
bool IsQuestionnaireItem(std::string_view entry) { return EntryCategory(entry) == 't'; }

int32_t EntryCount(std::string_view entry) {
  size_t end = CountEnd(entry);
  if (end == std::string_view::npos)
    return -1;
  return NumberOrMinusOne(entry.substr(kEntryHeadLength, end - kEntryHeadLength));
}

int32_t EntryValue(std::string_view entry) {
  size_t end = CountEnd(entry);
  if (end == std::string_view::npos)
    return -1;
  return NumberOrMinusOne(entry.substr(end + 1));
}

std::string MakeEntry(std::string_view head, int32_t count, TDateTime value) {
  double day = std::trunc(value);
  // A value outside the calendar is stored as never shown rather than overflowing.
  int32_t whole = std::isfinite(day) && day >= 0 && day <= kLastDayNumber ? static_cast<int32_t>(day) : 0;
  return std::string(EntryHead(head)) + std::to_string(count) + ">" + std::to_string(whole);
}

std::string EntryStoredText(std::string_view entry) {
  return entry.size() > kEntryHeadLength ? std::string(entry.substr(kEntryHeadLength)) : "";
}

bool IsValidStoredText(std::string_view text) {
  size_t gt = text.find('>');
  if (gt == std::string_view::npos)
    return false;
  int32_t count, day;
  return TextToInt32(text.substr(0, gt), count) && count >= -1 && count <= 9 &&
         TextToInt32(text.substr(gt + 1), day) && day >= 0 && day <= kLastDayNumber;
}

std::string EntryFromStoredText(std::string_view head, std::string_view text) {
  std::string entry(EntryHead(head));
  return entry + (IsValidStoredText(text) ? std::string(text) : kUnshownEntryTail);
}

std::string QuestionnaireKey(int questionnaire) {
  char text[8];
  std::snprintf(text, sizeof text, "t%03d", questionnaire);
  return text;
}

bool MatchesQuestionnaire(std::string_view entry, std::string_view key) {
  return key.size() == 4 && EntryCategory(entry) == key[0] && EntrySetNumber(entry) == key.substr(1);
}

std::string ExplanationHead(int gauge) {
  char text[16];
  std::snprintf(text, sizeof text, "nggt000%03d0000", gauge);
  return text;
}

std::string RecordDialogHead(const char *recordName) {
  for (const std::string &part : TIDbRecFile::SplitName(recordName))
    if (part.compare(0, 5, "Dlg #") == 0)
      return part.substr(5);
  return "";
}

std::string MakeRecentEntry(int32_t rule, int32_t record, TDateTime shownAt) {
  return std::to_string(rule) + "-" + std::to_string(record) + ">" + FormatHourMinute(shownAt);
}

TRecentEntryParts ParseRecentEntry(std::string_view entry) {
  TRecentEntryParts parts;
  size_t dash = entry.find('-');
  size_t gt = entry.find('>');
  size_t recordStart = dash == std::string_view::npos ? 0 : dash + 1;
  if (dash != std::string_view::npos)
    TextToInt32(entry.substr(0, dash), parts.Rule);
  if (gt == std::string_view::npos) {
    TextToInt32(entry.substr(recordStart), parts.Record);
  } else {
    if (gt >= recordStart)
      TextToInt32(entry.substr(recordStart, gt - recordStart), parts.Record);
    parts.Time = std::string(entry.substr(gt + 1));
  }
  return parts;
}
