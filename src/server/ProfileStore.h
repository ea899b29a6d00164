#pragma once
// Every user's settings, message history and bearer token, kept in one
// database schema that SQLite and PostgreSQL share:
//
//   users          user_name, created, token_hash (the active token's SHA-256,
//                  NULL when none), token_created, last_checkout, last_checkin
//   revoked_tokens user_name, token_hash, revoked: refused for good
//   settings       user_name and one column per setting (NULL: never stored)
//   history        user_name, entry_key, answer_count, shown_day
//
// Tokens are trusted on first use: a user without an active token gets the
// first token that is not one of their revoked ones. Texts arrive as 8-bit
// ANSI bytes and are kept as UTF-8 by reading each byte as the code point of
// the same number (so any byte sequence is kept exactly and PostgreSQL's
// UTF-8 databases take it); user names given to the administrator's commands
// are in that stored form.

#include "protocol/UserData.h"
#include "server/SqlDatabase.h"

#include <cstdint>
#include <string>
#include <vector>

enum class TAccess {
  Granted,    // the user's active token
  Registered, // first use: the token is now the user's
  WrongToken, // the user has another token
  Revoked,    // one of the user's revoked tokens
};

struct TStoreOutcome {
  bool Ok = false; // the access was decided (and, if granted, the work done)
  TAccess Access = TAccess::WrongToken;
  std::string Error; // when not Ok: what the database said
  bool Granted() const { return Ok && (Access == TAccess::Granted || Access == TAccess::Registered); }
};

struct TUserSummary {
  std::string Name; // stored form (UTF-8)
  bool HasToken = false;
  int64_t Created = 0, TokenCreated = 0, LastCheckOut = 0, LastCheckIn = 0; // Unix seconds, 0: never
  int64_t HistoryEntries = 0, RevokedTokens = 0;
  bool HasSettings = false;
};

class TProfileStore {
public:
  explicit TProfileStore(std::unique_ptr<TSqlDatabase> database);

  // Creates the tables that are missing.
  bool Prepare(std::string &error);

  // A check-out: the token is checked for the user (and registered on first
  // use), then record receives what is stored (empty when nothing is).
  TStoreOutcome CheckOut(const std::string &userName, const std::string &tokenDigest,
                         TUserDataRecord &record);
  // A check-in: the token is checked, then every value of record is stored;
  // settings absent from record keep their stored values, history entries
  // not named keep theirs.
  TStoreOutcome CheckIn(const std::string &userName, const std::string &tokenDigest,
                        const TUserDataRecord &record);

  bool ListUsers(std::vector<TUserSummary> &users, std::string &error);
  // Revokes the user's active token (user name in stored form): it is refused
  // from now on, and the user's next first use registers a new one. False with
  // a reason when there is no such user or no active token.
  bool RevokeToken(const std::string &storedName, std::string &error);

  std::string Description() const { return pool_.Database().Description(); }

private:
  template <class TWork> TStoreOutcome Transact(TWork work);
  TAccess Authorize(TSqlConnection &db, const std::string &name, const std::string &digest, int64_t now);

  TSqlPool pool_;
};

// The stored form of 8-bit text and back.
std::string StoredText(const std::string &ansi);
std::string AnsiText(const std::string &stored);
