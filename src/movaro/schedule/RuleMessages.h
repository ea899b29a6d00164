#pragma once
// What the prompt dialog is given for a fired rule, a status question or the
// absence notice: text, count-down, icon kind and buttons.

#include "data/recfile/IDbRecs.h"
#include "movaro/TraceEngine.h"
#include "movaro/schedule/SchedulerViews.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Rule texts and the notice travel through a buffer of 256 characters,
// terminator included.
constexpr size_t kDialogTextLimit = 255;
// The text cut to what that buffer holds: whole characters (the texts are
// single-byte ANSI) and never the beginning of a markup tag left open.
std::string CutDialogText(std::string_view text);

// Whole seconds from now until showUntil, kept within 0 .. 2^31 - 1: an
// expired rule (ShowUntil back at 0) has no time left rather than minus
// billions of seconds.
int32_t TimeLeftSeconds(TDateTime showUntil, TDateTime now);

// The dialog kind a question record's name asks for: "Dlg #i" information,
// "Dlg #q" question, "Dlg #w" warning, "Dlg #o" ok, looked for in this order
// anywhere in the name; 0 when it holds none of them.
uint8_t RecordDialogKind(const char *recordName);

// The message for rule index rule (-1 the absence notice, 0 a status question
// with its record, 1 and up the rule's own text), or none when that
// combination shows nothing: no information file, monitoring not active, no
// rules, a rule index outside the list or of kind none, a record with a rule
// other than 0, a record outside the file, or a record of no dialog kind.
std::optional<TPromptMessage> ComposeRuleMessage(const TTraceState &trace, TIDbRecFile *infoFile,
                                                 const std::vector<std::string> &mainTexts,
                                                 int32_t rule, int32_t record, bool persistent);
