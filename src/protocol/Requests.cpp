#include "protocol/Requests.h"

#include "base/AnsiText.h"
#include "protocol/TextLines.h"

#include <cstring>

namespace {

std::string RequestHead(const char *command, const std::string &userName) {
  return std::string("command=") + command + "\r\nusername=" + userName + "\r\n";
}

} // namespace

bool IsValidUserName(const std::string &name) {
  if (name.empty() || name.size() > kUserNameMaxLength || name.front() == ' ' || name.back() == ' ')
    return false;
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < ' ' || u == 0x7F || std::strchr("\"'`\\/:;,=|<>*?[]", c))
      return false;
  }
  return true;
}

std::string NormalizedEnrolmentCode(const std::string &typed) {
  std::string code;
  for (char c : typed) {
    if (c == ' ' || c == '-')
      continue;
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 32);
    if (c == '\0' || !std::strchr(kEnrolmentCodeAlphabet, c) || code.size() == kEnrolmentCodeLength)
      return "";
    code += c;
  }
  return code.size() == kEnrolmentCodeLength ? code : "";
}

std::string BuildLoginRequest(const std::string &userName, const std::string &enrolmentCode,
                              const TDaySpans *knownDays) {
  std::string text = RequestHead("getuserdata", userName);
  // The code first: the client library looks for it on the third line.
  if (!enrolmentCode.empty())
    text += std::string(kEnrolmentCodeKey) + "=" + enrolmentCode + "\r\n";
  if (knownDays) {
    TUserDataRecord days;
    days.KnownDays = *knownDays;
    text += FormatDayLines(days);
  }
  return text;
}

std::string TakeEnrolmentCode(std::string &requestText) {
  size_t first = requestText.find('\n');
  size_t start = first == std::string::npos ? first : requestText.find('\n', first + 1);
  if (start == std::string::npos)
    return "";
  ++start;
  size_t end = requestText.find('\n', start);
  end = end == std::string::npos ? requestText.size() : end + 1;
  std::vector<std::string> lines = SplitLines(requestText.substr(start, end - start));
  std::string key, code;
  if (lines.size() != 1 || !SplitKeyValue(lines[0], key, code) || !SameText(key, kEnrolmentCodeKey))
    return "";
  requestText.erase(start, end - start);
  return code;
}

std::string BuildLogoutRequest(const std::string &userName, const TUserDataSettings &settings,
                               const std::vector<THistoryLine> &history,
                               const std::vector<TDayRecord> &days) {
  TUserDataRecord record;
  record.Days = days;
  return RequestHead("putuserdata", userName) + FormatUserDataLines(settings, history) +
         FormatDayLines(record);
}

bool ParseRequest(const std::string &text, TRequest &request, std::string &reason) {
  // The two head lines, found without splitting the whole text.
  size_t first = text.find('\n');
  size_t second = first == std::string::npos ? std::string::npos : text.find('\n', first + 1);
  std::string head = text.substr(0, second == std::string::npos ? text.size() : second + 1);
  std::vector<std::string> lines = SplitLines(head);
  std::string key, command, name;
  if (lines.empty() || !SplitKeyValue(lines[0], key, command) || !SameText(key, "command")) {
    reason = "the request does not begin with a command line";
    return false;
  }
  if (SameText(command, "getuserdata"))
    request.Command = TRequestCommand::GetUserData;
  else if (SameText(command, "putuserdata"))
    request.Command = TRequestCommand::PutUserData;
  else {
    reason = "unknown command \"" + command.substr(0, 40) + "\"";
    return false;
  }
  if (lines.size() < 2 || !SplitKeyValue(lines[1], key, name) || !SameText(key, "username")) {
    reason = "the request has no user name line";
    return false;
  }
  if (!IsValidUserName(name)) {
    reason = "the user name must be 1 to " + std::to_string(kUserNameMaxLength) +
             " printable characters without quotes, slashes or separators";
    return false;
  }
  request.UserName = name;
  request.UserData = second == std::string::npos ? "" : text.substr(second + 1);
  return true;
}
