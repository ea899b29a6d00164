#include "movaro/schedule/RuleMessages.h"

#include "movaro/schedule/MainTexts.h"

#include <climits>
#include <cmath>
#include <cstring>

std::string CutDialogText(std::string_view text) {
  if (text.size() <= kDialogTextLimit)
    return std::string(text);
  std::string_view cut = text.substr(0, kDialogTextLimit);
  // A tag cut in half would swallow or garble what the reader sees last.
  size_t open = cut.rfind('<');
  if (open != std::string_view::npos && cut.find('>', open) == std::string_view::npos)
    cut = cut.substr(0, open);
  return std::string(cut);
}

int32_t TimeLeftSeconds(TDateTime showUntil, TDateTime now) {
  const double seconds = std::round((showUntil - now) * kSecondsPerDay);
  if (!(seconds > 0)) // also NaN
    return 0;
  return seconds >= static_cast<double>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(seconds);
}

uint8_t RecordDialogKind(const char *recordName) {
  static const char *const kMarkers[] = {"Dlg #i", "Dlg #q", "Dlg #w", "Dlg #o"};
  for (uint8_t kind = 1; kind <= 4; ++kind)
    if (std::strstr(recordName, kMarkers[kind - 1]))
      return kind;
  return 0;
}

std::optional<TPromptMessage> ComposeRuleMessage(const TTraceState &trace, TIDbRecFile *infoFile,
                                                 const std::vector<std::string> &mainTexts,
                                                 int32_t rule, int32_t record, bool persistent) {
  if (!infoFile || !trace.Active || !trace.Rules)
    return std::nullopt;
  auto text = [&](int index) {
    return index < static_cast<int>(mainTexts.size()) ? mainTexts[index]
                                                      : std::string(kMainTextDefaults[index]);
  };
  const TRuleList &rules = *trace.Rules;
  const int32_t ruleCount = static_cast<int32_t>(rules.size());
  TPromptMessage m;
  m.RuleIndex = rule;
  m.RecordIndex = record;
  m.Persistent = persistent;
  if (rule == -1) {
    m.Text = CutDialogText(text(mtPausing));
    return m;
  }
  if (rule < 0 || rule >= ruleCount)
    return std::nullopt;
  m.TimeOut = TimeLeftSeconds(rules[rule].ShowUntil, trace.Now);
  if (rule > 0) {
    const uint8_t kind = rules[rule].Kind;
    if (record != 0 || kind < msrtInformation || kind > msrtOk)
      return std::nullopt;
    m.Text = CutDialogText(rules[rule].MsgText);
    m.Kind = kind;
    m.FirstCaption = text(mtOk);
    return m;
  }
  if (record < 1 || record > infoFile->SelectedCount())
    return std::nullopt;
  const TIDbRec question = infoFile->GetSelectedRecord(record);
  m.Kind = RecordDialogKind(question.Name);
  m.Text = question.Text;
  m.CancelVisible = true;
  switch (m.Kind) {
  case msrtInformation:
    m.FirstCaption = text(mtMoreInfo);
    m.SecondCaption = text(mtIKnow);
    break;
  case msrtQuestion:
    m.FirstCaption = text(mtYes);
    m.SecondCaption = text(mtNo);
    break;
  case msrtWarning:
    m.FirstCaption = text(mtInfo);
    m.SecondCaption = text(mtOk);
    break;
  case msrtOk:
    m.FirstCaption = text(mtOk);
    m.CancelVisible = false;
    break;
  default:
    return std::nullopt;
  }
  return m;
}
