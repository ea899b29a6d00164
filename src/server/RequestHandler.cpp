#include "server/RequestHandler.h"

#include "base/AnsiText.h"
#include "protocol/HttpExchange.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"

#include <openssl/evp.h>

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

std::string TokenDigest(const std::string &token) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (!EVP_Digest(token.data(), token.size(), digest, &size, EVP_sha256(), nullptr))
    return "";
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < size; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

TServerReply AnswerRequest(TProfileStore &store, const std::string &authorization,
                           const std::string &body) {
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

  TUserDataRecord record;
  TStoreOutcome outcome;
  std::string refusedLines;
  if (checkIn) {
    record = ReadUserDataLines(request.UserData);
    for (const TRefusedLine &line : record.Refused)
      refusedLines += "; refused " + StoredText(line.Key.substr(0, 40)) + "=" +
                      StoredText(line.Value.substr(0, 40)) + " (" + line.Reason + ")";
    outcome = store.CheckIn(request.UserName, digest, record);
  } else {
    outcome = store.CheckOut(request.UserName, digest, record);
  }

  if (!outcome.Ok)
    return {500, ErrorReply("the profile database failed; nothing was changed"),
            "failed the " + what + ": " + outcome.Error};
  switch (outcome.Access) {
  case TAccess::WrongToken:
    return Refusal(403, "access denied: this user's profile belongs to another token", "refused the " + what);
  case TAccess::Revoked:
    return Refusal(403, "access denied: this token has been revoked", "refused the " + what);
  case TAccess::Granted:
  case TAccess::Registered:
    break;
  }
  std::string log = what + (outcome.Access == TAccess::Registered ? " (token registered)" : "");
  if (checkIn)
    return {200, kSavedReply, log + refusedLines};
  return {200, UserDataReply(record), log};
}
