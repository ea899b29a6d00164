#include "server/UserTable.h"

#include <ctime>

namespace {

// Characters shown for UTF-8 text: every byte that does not continue a
// character. The names come from 8-bit ANSI text, so each shows one column.
size_t DisplayedLength(const std::string &text) {
  size_t length = 0;
  for (unsigned char c : text)
    length += (c & 0xC0) != 0x80;
  return length;
}

// text padded with spaces to width shown characters (left-aligned) or right-
// aligned; text longer than width is kept whole.
std::string Column(const std::string &text, size_t width, bool right = false) {
  const size_t shown = DisplayedLength(text);
  const std::string padding(shown < width ? width - shown : 0, ' ');
  return right ? padding + text : text + padding;
}

} // namespace

std::string UtcTimeText(int64_t unixTime) {
  if (unixTime == 0)
    return "-";
  std::time_t t = static_cast<std::time_t>(unixTime);
  std::tm parts{};
  gmtime_r(&t, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%SZ", &parts);
  return text;
}

std::string FormatUserTable(const std::vector<TUserSummary> &users) {
  auto line = [](const std::string &name, const std::string &tokens, const std::string &checkOut,
                 const std::string &checkIn, const std::string &history, const std::string &revoked) {
    return Column(name, 24) + " " + Column(tokens, 6, true) + " " + Column(checkOut, 21) + " " + Column(checkIn, 21) +
           " " + Column(history, 7, true) + " " + Column(revoked, 7, true) + "\n";
  };
  std::string table = line("user", "tokens", "last check-out", "last check-in", "history", "revoked");
  for (const TUserSummary &user : users) {
    table += line(user.Name, std::to_string(user.Tokens.size()), UtcTimeText(user.LastCheckOut),
                  UtcTimeText(user.LastCheckIn), std::to_string(user.HistoryEntries),
                  std::to_string(user.RevokedTokens));
    // One line per token (per computer), named as revoke takes it.
    for (const TTokenSummary &token : user.Tokens)
      table += "  token " + token.Id + "  enrolled " + UtcTimeText(token.Enrolled) + "  last used " +
               UtcTimeText(token.LastUsed) + "\n";
  }
  return table;
}
