// The texts a profile server or client receives, on arbitrary bytes: request
// texts, user data lines (read and applied) and HTTP responses fed in pieces.
#include "protocol/HttpExchange.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string text(reinterpret_cast<const char *>(data), size);

  TRequest request;
  std::string reason;
  bool accepted = ParseRequest(text, request, reason);
  if (!accepted && reason.empty())
    __builtin_trap(); // a refusal always says why

  // Whatever was accepted, written again and read back, is the same.
  TUserDataRecord record = ReadUserDataLines(text);
  TUserDataRecord again = ReadUserDataLines(FormatUserDataLines(record));
  if (!again.Refused.empty() || FormatUserDataLines(again) != FormatUserDataLines(record))
    __builtin_trap();

  TUserDataSettings settings;
  std::vector<std::string> history = {"qkkx0451230001-1>0", "immh0000010002" "1>45000"};
  ApplyUserDataLines(ReplyText(text), settings, history);
  if (settings.ConfigLevel < kConfigLevelMin || settings.ConfigLevel > kConfigLevelMax ||
      settings.ConfigShortPause < kShortPauseMin || settings.ConfigShortPause > kShortPauseMax ||
      settings.ConfigLongPause < kLongPauseMin || settings.ConfigLongPause > kLongPauseMax ||
      settings.ConfigWarningtype > kConfigWarningtypeMax)
    __builtin_trap();
  ClassifyReply(text);

  // The same bytes in one piece and in pieces of seven give the same result.
  THttpResponseReader whole, pieces;
  whole.Feed(text.data(), text.size());
  for (size_t at = 0; at < text.size(); at += 7)
    pieces.Feed(text.data() + at, std::min<size_t>(7, text.size() - at));
  whole.FinishAtEnd();
  pieces.FinishAtEnd();
  if (whole.State() != pieces.State() || whole.Body().size() > THttpResponseReader::kMaxBodyBytes ||
      (whole.State() == THttpResponseReader::TState::Complete && whole.Body() != pieces.Body()))
    __builtin_trap();
  return 0;
}
