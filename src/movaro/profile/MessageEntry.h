#pragma once
// The texts the profile keeps about messages, read and built in this one place.
//
// Message-history entry: a 14-character head, the count in decimal, ">" and
// the value in decimal, for example qkkt0041230007-1>0. Head positions
// (counted from 1):
//   1      dialog kind: i information, q yes/no question, w warning, o ok
//          (n marks explanation pages, which never enter the history)
//   2-3    group: kk keyboard, mg mouse, gg general
//   4      category: t questionnaire item, any other letter a health message
//   5-7    for a questionnaire item, 6 and 7 are the scores of "no" and "yes"
//   8-10   set number, 001..010 for the ten questionnaires
//   11-14  item number
// The key (position 4 and 8-14) names the entry in the profile file and on
// the server, where the entry is kept as "count>value".
// Count: -1 never shown or not answered; health messages 0 declined and 1
// accepted; questionnaire items the score of the answer. Value: whole day
// number of the last showing, 0 never.
//
// Recent-messages entry: rule index, "-", record index (0 for a rule message),
// ">", the time shown as hh:mm, for example 3-0>14:25.

#include "base/DateTime.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr size_t kEntryHeadLength = 14;
// What follows the head of an entry that was never shown.
constexpr char kUnshownEntryTail[] = "-1>0";

// The first 14 characters (all of a shorter entry).
std::string_view EntryHead(std::string_view entry);
// Position 4 and 8-14 of the head; empty when the head is incomplete.
std::string EntryKey(std::string_view entry);
// Single head positions and ranges; '\0' or empty where the entry is too short.
char EntryKind(std::string_view entry);     // position 1
std::string_view EntryGroup(std::string_view entry);     // positions 2-3
char EntryCategory(std::string_view entry); // position 4
std::string_view EntrySetNumber(std::string_view entry); // positions 8-10
bool IsQuestionnaireItem(std::string_view entry);

// The text after the head up to the first ">" after it; -1 when it is not a number.
int32_t EntryCount(std::string_view entry);
// The text after that ">"; -1 when it is not a number.
int32_t EntryValue(std::string_view entry);

// Head, count, ">", the value truncated to whole days.
std::string MakeEntry(std::string_view head, int32_t count, TDateTime value);
// "count>value" as kept under the entry's key.
std::string EntryStoredText(std::string_view entry);
// Whether a stored text is "count>value" with a count this program writes
// (-1 to 9) and a day number from 0 to 9999-12-31.
bool IsValidStoredText(std::string_view text);
// The entry with a stored text; an entry never shown when the text is not valid.
std::string EntryFromStoredText(std::string_view head, std::string_view text);

// The questionnaire key "t001".."t010" of questionnaire 1..10.
std::string QuestionnaireKey(int questionnaire);
// Whether the entry's category and set number equal the key.
bool MatchesQuestionnaire(std::string_view entry, std::string_view key);
// Head of the explanation page of a status gauge: 0 the Risk Index, 1..10 a
// questionnaire (nggt0000010000 explains questionnaire 1).
std::string ExplanationHead(int gauge);

// The dialog head a record name carries: the first of its four "|" parts that
// begins with "Dlg #", from its sixth character on; empty when none does.
std::string RecordDialogHead(const char *recordName);

struct TRecentEntryParts {
  int32_t Rule = 0;   // 0 when not a number
  int32_t Record = 0; // 0 when not a number
  std::string Time;
};
std::string MakeRecentEntry(int32_t rule, int32_t record, TDateTime shownAt);
TRecentEntryParts ParseRecentEntry(std::string_view entry);
