#pragma once
// Every user's settings, message history and bearer token, kept in one
// database schema that SQLite and PostgreSQL share:
//
//   users           user_name, created, last_checkout, last_checkin (and
//                   token_hash, token_created: a single token per user as
//                   kept before, moved to tokens when the store is prepared)
//   tokens          user_name, token_hash (SHA-256), enrolled, last_used: the
//                   user's tokens, one per computer
//   revoked_tokens  user_name, token_hash, revoked: refused for good
//   enrolment_codes code_hash (SHA-256), user_name, created, expires, used:
//                   one-time admissions of a token for a user
//   settings        user_name and one column per setting (NULL: never stored)
//   history         user_name, entry_key, answer_count, shown_day
//   checkouts       user_name, token_hash, checked_out, lines: per computer
//                   the user data it was given at its check-out (or sent at
//                   its check-in), the base its next check-in is merged on
//   auth_failures   address, full_at: the failed authentications of a client
//                   address counted by every server on the database
//                   (TAuthLimiter), until its allowance is whole again
//   days            user_name, day (yyyy-mm-dd), one column per figure of the
//                   day record (protocol/DayRecords.h), saved: a day's record
//                   as its latest check-in gave it; at most kMaxHistoryDays
//                   per user, the oldest dropped past that
//
// A check-in stores only the values its computer changed from that base: two
// computers of a user checking in at once (on one server or several on one
// database) each keep their changes, and of two changes to one value the
// later check-in's stays. A computer without a base stores every value.
//
// A token is admitted for a user with an enrolment code the administrator
// made for that user (once, before it expires); with trust on first use a
// user without tokens also gets the first token that is not one of their
// revoked ones. Nothing is stored for a request that is refused. Texts arrive as 8-bit
// ANSI bytes and are kept as UTF-8 by reading each byte as the code point of
// the same number (so any byte sequence is kept exactly and PostgreSQL's
// UTF-8 databases take it); user names given to the administrator's commands
// are in that stored form.

#include "protocol/UserData.h"
#include "server/SqlDatabase.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class TAccess {
  Granted,        // one of the user's tokens
  Registered,     // first use: the token is now the user's
  Enrolled,       // admitted with an enrolment code: the token is now one of the user's
  WrongToken,     // trust on first use: the user has other tokens
  Revoked,        // one of the user's revoked tokens
  NotEnrolled,    // not one of the user's tokens and no enrolment code
  CodeNotForUser, // the code is unknown or made for another user
  CodeExpired,
  CodeUsed,
};
inline bool IsGranted(TAccess access) {
  return access == TAccess::Granted || access == TAccess::Registered || access == TAccess::Enrolled;
}

// What a request presents: its token's SHA-256 and, with the first request of
// a new computer, the SHA-256 of an enrolment code (normalized).
struct TCredentials {
  TCredentials(std::string tokenDigest, std::string codeDigest = "")
      : TokenDigest(std::move(tokenDigest)), CodeDigest(std::move(codeDigest)) {}
  std::string TokenDigest, CodeDigest;
};

struct TStoreOutcome {
  bool Ok = false; // the access was decided (and, if granted, the work done)
  TAccess Access = TAccess::WrongToken;
  std::string Error; // when not Ok: what the database said
  bool Granted() const { return Ok && IsGranted(Access); }
};

struct TTokenSummary {
  std::string Id; // the start of its SHA-256, enough to name it to revoke
  int64_t Enrolled = 0, LastUsed = 0;
};

struct TUserSummary {
  std::string Name; // stored form (UTF-8)
  std::vector<TTokenSummary> Tokens;
  int64_t Created = 0, LastCheckOut = 0, LastCheckIn = 0; // Unix seconds, 0: never
  int64_t HistoryEntries = 0, RevokedTokens = 0;
  bool HasSettings = false;
};

class TProfileStore {
public:
  // connections: how many the store uses at most (0: the database's choice).
  explicit TProfileStore(std::unique_ptr<TSqlDatabase> database, bool trustFirstUse = false,
                         size_t connections = 0);

  // Creates the tables that are missing and moves tokens kept the old way.
  bool Prepare(std::string &error);

  // A check-out: the token is checked for the user (and registered on first
  // use), then record receives what is stored (empty when nothing is). With
  // knownDays (the days the computer has) record also receives the stored
  // days outside them and, in StoredDays, the dates of all stored days.
  TStoreOutcome CheckOut(const std::string &userName, const TCredentials &credentials,
                         TUserDataRecord &record, const TDaySpans *knownDays = nullptr);
  // A check-in: the token is checked, then the values of record that differ
  // from the computer's base (see above) are stored; settings absent from
  // record keep their stored values, history entries not named keep theirs.
  // Its days replace the stored ones of their dates; the others stay.
  TStoreOutcome CheckIn(const std::string &userName, const TCredentials &credentials,
                        const TUserDataRecord &record);

  bool ListUsers(std::vector<TUserSummary> &users, std::string &error);
  // Revokes one of the user's tokens (user name in stored form), named by the
  // start of its id (TTokenSummary), or the only one when tokenId is empty:
  // it is refused from now on. False with a reason when there is no such user
  // or token, or the id names more than one.
  bool RevokeToken(const std::string &storedName, const std::string &tokenId, std::string &error);
  bool RevokeToken(const std::string &storedName, std::string &error) { return RevokeToken(storedName, "", error); }
  // A new enrolment code for the user (stored form; made a user when new),
  // valid once for validSeconds. The code itself is not kept, only its SHA-256.
  bool CreateEnrolmentCode(const std::string &storedName, int64_t validSeconds, std::string &code,
                           std::string &error);

  // Everything stored about the user (stored form), as text a person reads:
  // dates, tokens, codes, settings and history. False with a reason when
  // there is no such user.
  bool ExportUser(const std::string &storedName, std::string &text, std::string &error);
  // Erases everything stored about the user, tokens and codes included.
  bool DeleteUser(const std::string &storedName, std::string &error);
  // The user's stored days in date order; false with a reason when there is
  // no such user.
  bool ListDays(const std::string &storedName, std::vector<TDayRecord> &days, std::string &error);
  // Erases the user's days (and only those), telling how many there were.
  bool DeleteDays(const std::string &storedName, int64_t &deleted, std::string &error);
  // A consistent copy of the database in file (TSqlDatabase::Backup).
  bool Backup(const std::string &file, std::string &error) { return pool_.Database().Backup(file, error); }

  std::string Description() const { return pool_.Database().Description(); }

  // TAuthLimits::Shared for the servers on this database: notes a failed
  // authentication of the address at now (milliseconds) and answers when its
  // allowance is whole again, refill after each failure; none when the
  // database failed.
  std::optional<int64_t> NoteAuthFailure(const std::string &address, int64_t now, int64_t refill);

  // The database answers a statement; false with what it said otherwise.
  bool Ping(std::string &error);
  // Database work that failed since the start: each failed attempt counts.
  uint64_t DatabaseErrors() const { return databaseErrors_; }
  // TSqlDatabase::RoundTrips of the store's database.
  uint64_t DatabaseRoundTrips() const { return pool_.Database().RoundTrips(); }

private:
  template <class TWork> TStoreOutcome Transact(TWork work);
  // Decides the access of the credentials to the user, admitting a new
  // token where it may be. The reads go with the check of a known token; when
  // access is granted, answers holds their rows (read after an admission).
  TAccess Authorize(TSqlConnection &db, const std::string &name, const TCredentials &credentials, int64_t now,
                    const std::vector<TSqlStatement> &reads, std::vector<std::vector<TSqlRow>> &answers);
  // A token that is not the user's: revoked, or admitted by a code or on first use.
  TAccess Admit(TSqlConnection &db, const std::string &name, const TCredentials &credentials,
                const std::string &when);

  // Failures noted between two removals of the addresses whose allowance
  // is whole again.
  static constexpr uint64_t kAuthFailuresPerTidying = 256;

  TSqlPool pool_;
  bool trustFirstUse_;
  std::atomic<uint64_t> databaseErrors_{0}, authFailures_{0};
};

// The SHA-256 of a token or code in lower-case hex: what the store keeps
// instead of it.
std::string TokenDigest(const std::string &token);

// Days as a person reads them: a head line naming the count and the columns,
// then one line per day, the record's text (protocol/DayRecords.h).
std::string DayTable(const std::vector<TDayRecord> &days);

// The stored form of 8-bit text and back.
std::string StoredText(const std::string &ansi);
std::string AnsiText(const std::string &stored);
