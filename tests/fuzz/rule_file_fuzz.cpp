// The rule file reader on arbitrary bytes: whatever it builds must also
// evaluate without trouble.
#include "data/text/DateTimeText.h"
#include "movaro/TraceRules.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string_view text(reinterpret_cast<const char *>(data), size);
  TRuleList rules;
  TLocaleFormats dayFirst;
  dayFirst.ShortDate = "dd/MM/yy";
  dayFirst.LongTime = "h.mm.ss tt";
  dayFirst.AmDesignator = "vorm.";
  dayFirst.PmDesignator = "nachm.";
  AddRulesFromText(rules, text, dayFirst, 46365.5, 3600000);
  TDateTime now = 46365.5;
  for (int tick = 0; tick < 3; ++tick) {
    now += 1.0 / 86400;
    for (TMsgStatRec &rule : rules)
      EvaluateRule(rule, static_cast<uint32_t>(tick * 7), now, 1.0 / 86400);
  }
  TDateTime value;
  TextToDateTime(text.substr(0, 64), TLocaleFormats(), value);
  return 0;
}
