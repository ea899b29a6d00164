#include "server/RequestHandler.h"

#include "base/AnsiText.h"
#include "protocol/HttpExchange.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"

namespace {

// The token of "Bearer <token>", the scheme compared without regard to case;
// empty when there is none or it is not well formed.
std::string BearerToken(const std::string &authorization) {
  const std::string scheme = "Bearer ";
  if (authorization.size() <= scheme.size() || !SameText(authorization.substr(0, scheme.size()), scheme))
    return "";
  std::string token = TrimChars(authorization.substr(scheme.size()), " \t");
  return IsWellFormedToken(token) ? token : "";
}

TServerReply Refusal(int status, const std::string &reason, const std::string &log) {
  return {status, ErrorReply(reason), log + ": " + reason};
}

std::string Quoted(const std::string &name) { return "\"" + StoredText(name) + "\""; }

} // namespace

TServerReply AnswerRequest(TProfileStore &store, const std::string &authorization,
                           const std::string &enrolmentCode, const std::string &body) {
  TRequest request;
  std::string reason;
  if (!ParseRequest(body, request, reason))
    return Refusal(400, reason, "refused a request");
  const bool checkIn = request.Command == TRequestCommand::PutUserData;
  const std::string what = std::string(checkIn ? "check-in" : "check-out") + " of " + Quoted(request.UserName);

  std::string token = BearerToken(authorization);
  std::string digest = token.empty() ? "" : TokenDigest(token);
  if (digest.empty())
    return Refusal(401, "the request carries no valid bearer token", "refused the " + what);

  // A code that is not one cannot admit anyone: it counts as a wrong one.
  TCredentials credentials(digest);
  if (!enrolmentCode.empty()) {
    const std::string code = NormalizedEnrolmentCode(enrolmentCode);
    credentials.CodeDigest = TokenDigest(code.empty() ? enrolmentCode : code);
  }
  TUserDataRecord record;
  TStoreOutcome outcome;
  std::string refusedLines;
  if (checkIn) {
    record = ReadUserDataLines(request.UserData);
    for (const TRefusedLine &line : record.Refused)
      refusedLines += "; refused " + StoredText(line.Key.substr(0, 40)) + "=" +
                      StoredText(line.Value.substr(0, 40)) + " (" + line.Reason + ")";
    outcome = store.CheckIn(request.UserName, credentials, record);
  } else {
    // A check-out's only lines: the days the computer has, asking for the others.
    const std::optional<TDaySpans> knownDays =
        request.UserData.empty() ? std::nullopt : ReadUserDataLines(request.UserData).KnownDays;
    outcome = store.CheckOut(request.UserName, credentials, record, knownDays ? &*knownDays : nullptr);
  }

  if (!outcome.Ok)
    return {500, ErrorReply("the profile database failed; nothing was changed"),
            "failed the " + what + ": " + outcome.Error};
  switch (outcome.Access) {
  case TAccess::WrongToken:
    return Refusal(403, "access denied: this user's profile belongs to another token", "refused the " + what);
  case TAccess::Revoked:
    return Refusal(403, "access denied: this token has been revoked", "refused the " + what);
  case TAccess::NotEnrolled:
    return Refusal(403, kNotEnrolledReason, "refused the " + what);
  case TAccess::CodeNotForUser:
    return Refusal(403, kCodeNotForUserReason, "refused the " + what);
  case TAccess::CodeExpired:
    return Refusal(403, kCodeExpiredReason, "refused the " + what);
  case TAccess::CodeUsed:
    return Refusal(403, kCodeUsedReason, "refused the " + what);
  case TAccess::Granted:
  case TAccess::Registered:
  case TAccess::Enrolled:
    break;
  }
  std::string log = what + (outcome.Access == TAccess::Registered ? " (token registered)"
                            : outcome.Access == TAccess::Enrolled ? " (token enrolled)"
                                                                  : "");
  if (checkIn)
    return {200, kSavedReply, log + refusedLines};
  return {200, UserDataReply(record), log};
}
