#include "protocol/Replies.h"

std::string UserDataReply(const TUserDataRecord &record) {
  const std::string days = FormatDayLines(record);
  if (record.Empty())
    return kUserDataReplyPrefix + std::string(kNoDataFound) + (days.empty() ? "" : "\r\n" + days);
  return kUserDataReplyPrefix + FormatUserDataLines(record) + days;
}

std::string ErrorReply(const std::string &reason) { return "Status=Error: " + reason; }

TReplyKind ClassifyReply(const std::string &reply) {
  auto begins = [&reply](const char *prefix) { return reply.rfind(prefix, 0) == 0; };
  if (begins("Status=Error"))
    return TReplyKind::Error;
  if (begins("Status="))
    return TReplyKind::Status;
  if (begins(kUserDataReplyPrefix))
    return reply.find(kNoDataFound) != std::string::npos ? TReplyKind::NoData : TReplyKind::UserData;
  return TReplyKind::Other;
}

std::string ReplyText(const std::string &reply) {
  size_t equals = reply.find('=');
  return equals == std::string::npos ? "" : reply.substr(equals + 1);
}
