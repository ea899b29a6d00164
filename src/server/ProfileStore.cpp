#include "server/ProfileStore.h"

#include "base/Decimal.h"
#include "protocol/HttpExchange.h"
#include "protocol/Requests.h"
#include "protocol/TextLines.h"
#include "server/ProfileRows.h"
#include "server/UserTable.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <ctime>
#include <map>

namespace {

const char *const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS users ("
    " user_name TEXT PRIMARY KEY,"
    " created BIGINT NOT NULL,"
    " token_hash TEXT,"
    " token_created BIGINT,"
    " last_checkout BIGINT,"
    " last_checkin BIGINT)",
    "CREATE TABLE IF NOT EXISTS revoked_tokens ("
    " user_name TEXT NOT NULL REFERENCES users(user_name),"
    " token_hash TEXT NOT NULL,"
    " revoked BIGINT NOT NULL,"
    " PRIMARY KEY (user_name, token_hash))",
    "CREATE TABLE IF NOT EXISTS settings ("
    " user_name TEXT PRIMARY KEY REFERENCES users(user_name),"
    " config_level INTEGER,"
    " config_level_base INTEGER,"
    " config_warningtype INTEGER,"
    " config_warningsoundfile TEXT,"
    " config_show_in_systray INTEGER,"
    " config_short_pause INTEGER,"
    " config_short_pause_block INTEGER,"
    " config_long_pause INTEGER,"
    " config_long_pause_block INTEGER,"
    " saved BIGINT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS history ("
    " user_name TEXT NOT NULL REFERENCES users(user_name),"
    " entry_key TEXT NOT NULL,"
    " answer_count INTEGER NOT NULL,"
    " shown_day INTEGER NOT NULL,"
    " PRIMARY KEY (user_name, entry_key))",
    "CREATE TABLE IF NOT EXISTS tokens ("
    " user_name TEXT NOT NULL REFERENCES users(user_name),"
    " token_hash TEXT NOT NULL,"
    " enrolled BIGINT NOT NULL,"
    " last_used BIGINT,"
    " PRIMARY KEY (user_name, token_hash))",
    "CREATE TABLE IF NOT EXISTS enrolment_codes ("
    " code_hash TEXT PRIMARY KEY,"
    " user_name TEXT NOT NULL REFERENCES users(user_name),"
    " created BIGINT NOT NULL,"
    " expires BIGINT NOT NULL,"
    " used BIGINT)",
    "CREATE TABLE IF NOT EXISTS checkouts ("
    " user_name TEXT NOT NULL REFERENCES users(user_name),"
    " token_hash TEXT NOT NULL,"
    " checked_out BIGINT NOT NULL,"
    " lines TEXT NOT NULL,"
    " PRIMARY KEY (user_name, token_hash))",
    "CREATE TABLE IF NOT EXISTS auth_failures ("
    " address TEXT PRIMARY KEY,"
    " full_at BIGINT NOT NULL)",
    // The figure columns follow kDayRecordFieldNames (DayColumns).
    "CREATE TABLE IF NOT EXISTS days ("
    " user_name TEXT NOT NULL REFERENCES users(user_name),"
    " day TEXT NOT NULL," // yyyy-mm-dd
    " measured INTEGER NOT NULL, worked INTEGER NOT NULL, rested INTEGER NOT NULL,"
    " longest_worked INTEGER NOT NULL, keystrokes INTEGER NOT NULL, mouse_moves INTEGER NOT NULL,"
    " clicks INTEGER NOT NULL, wheel INTEGER NOT NULL, short_prompts INTEGER NOT NULL,"
    " long_prompts INTEGER NOT NULL, rested_through INTEGER NOT NULL, blocked_breaks INTEGER NOT NULL,"
    " questions_answered INTEGER NOT NULL, gauge1 INTEGER NOT NULL, gauge2 INTEGER NOT NULL,"
    " gauge3 INTEGER NOT NULL, gauge4 INTEGER NOT NULL, gauge5 INTEGER NOT NULL, gauge6 INTEGER NOT NULL,"
    " gauge7 INTEGER NOT NULL, gauge8 INTEGER NOT NULL, gauge9 INTEGER NOT NULL, gauge10 INTEGER NOT NULL,"
    " risk_index INTEGER NOT NULL,"
    " saved BIGINT NOT NULL,"
    " PRIMARY KEY (user_name, day))",
};

// A token id as shown: this many hex digits of its SHA-256.
constexpr size_t kTokenIdLength = 12;

int64_t Now() { return static_cast<int64_t>(std::time(nullptr)); }

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

std::string StoredText(const std::string &ansi) {
  std::string out;
  for (char c : ansi) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

std::string AnsiText(const std::string &stored) {
  std::string out;
  for (size_t i = 0; i < stored.size(); ++i) {
    unsigned char u = static_cast<unsigned char>(stored[i]);
    if ((u == 0xC2 || u == 0xC3) && i + 1 < stored.size()) {
      out += static_cast<char>(((u & 0x03) << 6) | (static_cast<unsigned char>(stored[i + 1]) & 0x3F));
      ++i;
    } else {
      out += static_cast<char>(u); // not written by StoredText: kept as it is
    }
  }
  return out;
}

TProfileStore::TProfileStore(std::unique_ptr<TSqlDatabase> database, bool trustFirstUse, size_t connections)
    : pool_(std::move(database), connections),
      trustFirstUse_(trustFirstUse) {}

bool TProfileStore::Prepare(std::string &error) {
  std::optional<TSqlPool::TLease> db;
  try {
    db.emplace(pool_);
    // In one transaction that one server at a time makes: two servers
    // starting on an empty database would otherwise create a table at once,
    // and PostgreSQL refuses the second even with IF NOT EXISTS.
    (*db)->BeginSchemaChange();
    for (const char *statement : kSchema)
      (*db)->Execute(statement, {});
    // A database of the single-token days: its tokens become the users' first.
    (*db)->Execute("INSERT INTO tokens (user_name, token_hash, enrolled) SELECT user_name, token_hash,"
                   " COALESCE(token_created, created) FROM users WHERE token_hash IS NOT NULL"
                   " ON CONFLICT (user_name, token_hash) DO NOTHING",
                   {});
    (*db)->Execute("UPDATE users SET token_hash = NULL, token_created = NULL WHERE token_hash IS NOT NULL", {});
    (*db)->Commit();
    return true;
  } catch (const ESqlError &e) {
    error = e.what();
    if (db) {
      (*db)->Rollback();
      db->Discard();
    }
    return false;
  }
}

// Runs work(connection, now) -> TAccess in one transaction, committed only
// when access was granted. A failed attempt is tried once more on a fresh
// connection: the database may have dropped the pooled one.
template <class TWork> TStoreOutcome TProfileStore::Transact(TWork work) {
  TStoreOutcome outcome;
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::optional<TSqlPool::TLease> db;
    try {
      db.emplace(pool_);
      (*db)->Begin();
      outcome.Access = work(**db, Now());
      if (IsGranted(outcome.Access))
        (*db)->Commit();
      else
        (*db)->Rollback();
      outcome.Ok = true;
      outcome.Error.clear();
      return outcome;
    } catch (const ESqlError &e) {
      ++databaseErrors_;
      outcome.Error = e.what();
      if (db) {
        (*db)->Rollback();
        db->Discard();
      }
    }
  }
  return outcome;
}

std::optional<int64_t> TProfileStore::NoteAuthFailure(const std::string &address, int64_t now, int64_t refill) {
  std::optional<int64_t> fullAt;
  const bool tidy = ++authFailures_ % kAuthFailuresPerTidying == 0;
  Transact([&](TSqlConnection &db, int64_t) {
    const std::string when = std::to_string(now);
    std::vector<TSqlRow> row = db.Execute(
        "INSERT INTO auth_failures (address, full_at) VALUES ($1, CAST($2 AS BIGINT) + CAST($3 AS BIGINT))"
        " ON CONFLICT (address) DO UPDATE SET full_at = CASE WHEN auth_failures.full_at > CAST($2 AS BIGINT)"
        " THEN auth_failures.full_at ELSE CAST($2 AS BIGINT) END + CAST($3 AS BIGINT) RETURNING full_at",
        {address, when, std::to_string(refill)});
    if (tidy) // the addresses whose allowance is whole again are not kept
      db.Send("DELETE FROM auth_failures WHERE full_at <= CAST($1 AS BIGINT)", {when});
    int64_t value;
    if (row.size() == 1 && row[0][0] && ParseDecimal(*row[0][0], INT64_MIN, INT64_MAX, value))
      fullAt = value;
    return TAccess::Granted;
  });
  return fullAt;
}

bool TProfileStore::Ping(std::string &error) {
  std::optional<TSqlPool::TLease> db;
  try {
    db.emplace(pool_);
    if ((*db)->Execute("SELECT 1", {}).size() == 1)
      return true;
    error = "the database answered SELECT 1 with no row";
  } catch (const ESqlError &e) {
    error = e.what();
    if (db)
      db->Discard();
  }
  ++databaseErrors_;
  return false;
}

TAccess TProfileStore::Authorize(TSqlConnection &db, const std::string &name, const TCredentials &credentials,
                                 int64_t now, const std::vector<TSqlStatement> &reads,
                                 std::vector<std::vector<TSqlRow>> &answers) {
  const std::string when = std::to_string(now), &digest = credentials.TokenDigest;
  // A known token, the common case, with the reads in the same exchange.
  std::vector<TSqlStatement> statements{
      {"UPDATE tokens SET last_used = CAST($3 AS BIGINT) WHERE user_name = $1 AND token_hash = $2"
       " RETURNING user_name",
       {name, digest, when}}};
  statements.insert(statements.end(), reads.begin(), reads.end());
  answers = db.ExecuteAll(statements);
  const bool known = !answers[0].empty();
  answers.erase(answers.begin());
  if (known)
    return TAccess::Granted;
  const TAccess access = Admit(db, name, credentials, when);
  if (IsGranted(access)) // what the reads found before the token was admitted may have changed since
    answers = db.ExecuteAll(reads);
  return access;
}

TAccess TProfileStore::Admit(TSqlConnection &db, const std::string &name, const TCredentials &credentials,
                             const std::string &when) {
  const std::string &digest = credentials.TokenDigest;
  if (!db.Execute("SELECT 1 FROM revoked_tokens WHERE user_name = $1 AND token_hash = $2", {name, digest})
           .empty())
    return TAccess::Revoked;
  const std::string addToken = "INSERT INTO tokens (user_name, token_hash, enrolled, last_used) SELECT $1, $2,"
                               " CAST($3 AS BIGINT), CAST($3 AS BIGINT)";
  if (!credentials.CodeDigest.empty()) {
    // Used up by the row itself, so that two requests with one code (on one
    // server or two) cannot both have it.
    if (!db.Execute("UPDATE enrolment_codes SET used = CAST($3 AS BIGINT) WHERE code_hash = $1 AND"
                    " user_name = $2 AND used IS NULL AND expires > CAST($3 AS BIGINT) RETURNING user_name",
                    {credentials.CodeDigest, name, when})
             .empty()) {
      db.Send(addToken + " ON CONFLICT (user_name, token_hash) DO NOTHING", {name, digest, when});
      return TAccess::Enrolled;
    }
    std::vector<TSqlRow> code = db.Execute(
        "SELECT used FROM enrolment_codes WHERE code_hash = $1 AND user_name = $2", {credentials.CodeDigest, name});
    if (code.empty())
      return TAccess::CodeNotForUser;
    return code[0][0] ? TAccess::CodeUsed : TAccess::CodeExpired;
  }
  if (!trustFirstUse_)
    return TAccess::NotEnrolled;
  db.Send("INSERT INTO users (user_name, created) VALUES ($1, $2) ON CONFLICT (user_name) DO NOTHING",
          {name, when});
  // The user's row locked first, so that of two first uses at once the second
  // sees the first one's token.
  db.Send("UPDATE users SET created = created WHERE user_name = $1", {name});
  if (!db.Execute(addToken + " WHERE NOT EXISTS (SELECT 1 FROM tokens WHERE user_name = $1) RETURNING user_name",
                  {name, digest, when})
           .empty())
    return TAccess::Registered;
  return TAccess::WrongToken;
}

TStoreOutcome TProfileStore::CheckOut(const std::string &userName, const TCredentials &credentials,
                                      TUserDataRecord &record, const TDaySpans *knownDays) {
  const std::string name = StoredText(userName);
  return Transact([&](TSqlConnection &db, int64_t now) {
    TUserDataRecord found;
    std::vector<TSqlStatement> reads = RecordSelects(name);
    if (knownDays)
      reads.push_back(DaysSelect(name));
    std::vector<std::vector<TSqlRow>> answers;
    TAccess access = Authorize(db, name, credentials, now, reads, answers);
    if (!IsGranted(access)) {
      record = std::move(found);
      return access;
    }
    found = RecordOf(answers[0], answers[1]);
    KeepBase(db, name, credentials.TokenDigest, found, now);
    if (knownDays) {
      std::vector<int32_t> stored;
      for (const TDayRecord &day : DaysOf(answers[2])) {
        stored.push_back(day.Date);
        if (!InDaySpans(*knownDays, day.Date))
          found.Days.push_back(day);
      }
      found.StoredDays = DaySpansOf(std::move(stored));
    }
    db.Send("UPDATE users SET last_checkout = $2 WHERE user_name = $1", {name, std::to_string(now)});
    record = std::move(found);
    return access;
  });
}

TStoreOutcome TProfileStore::CheckIn(const std::string &userName, const TCredentials &credentials,
                                     const TUserDataRecord &record) {
  const std::string name = StoredText(userName);
  return Transact([&](TSqlConnection &db, int64_t now) {
    std::vector<std::vector<TSqlRow>> answers;
    TAccess access = Authorize(
        db, name, credentials, now,
        {{"SELECT lines FROM checkouts WHERE user_name = $1 AND token_hash = $2", {name, credentials.TokenDigest}}},
        answers);
    if (!IsGranted(access))
      return access;
    // Only what this computer changed since it was given its values: of two
    // computers checking in at once each keeps its own changes, and of two
    // changes to one value the later check-in's stays.
    TUserDataRecord changed = record;
    const std::vector<TSqlRow> &base = answers[0];
    if (!base.empty() && base[0][0])
      changed = ChangedSince(record, ReadUserDataLines(AnsiText(*base[0][0])));
    // Nothing below is read: it goes to the database with the commit.
    db.Send(SettingsUpsert(), SettingValues(name, changed, now));
    StoreHistory(db, name, changed.History);
    StoreDays(db, name, record.Days, now);
    KeepBase(db, name, credentials.TokenDigest, record, now);
    db.Send("UPDATE users SET last_checkin = $2 WHERE user_name = $1", {name, std::to_string(now)});
    return access;
  });
}

bool TProfileStore::ListUsers(std::vector<TUserSummary> &users, std::string &error) {
  try {
    TSqlPool::TLease db(pool_);
    users.clear();
    for (const TSqlRow &row : db->Execute(
             "SELECT u.user_name, u.created, u.last_checkout, u.last_checkin,"
             " (SELECT COUNT(*) FROM history h WHERE h.user_name = u.user_name),"
             " (SELECT COUNT(*) FROM revoked_tokens r WHERE r.user_name = u.user_name),"
             " EXISTS (SELECT 1 FROM settings s WHERE s.user_name = u.user_name)"
             " FROM users u ORDER BY u.user_name",
             {})) {
      TUserSummary user;
      user.Name = row[0].value_or("");
      user.Created = ReadTime(row[1]);
      user.LastCheckOut = ReadTime(row[2]);
      user.LastCheckIn = ReadTime(row[3]);
      user.HistoryEntries = ReadTime(row[4]);
      user.RevokedTokens = ReadTime(row[5]);
      // SQLite answers 1/0, PostgreSQL t/f.
      user.HasSettings = row[6] && (*row[6] == "1" || *row[6] == "t");
      users.push_back(std::move(user));
    }
    std::map<std::string, TUserSummary *> byName;
    for (TUserSummary &user : users)
      byName[user.Name] = &user;
    for (const TSqlRow &row : db->Execute(
             "SELECT user_name, token_hash, enrolled, last_used FROM tokens ORDER BY enrolled, token_hash", {})) {
      auto user = byName.find(row[0].value_or(""));
      if (user != byName.end())
        user->second->Tokens.push_back(
            {row[1].value_or("").substr(0, kTokenIdLength), ReadTime(row[2]), ReadTime(row[3])});
    }
    return true;
  } catch (const ESqlError &e) {
    error = e.what();
    return false;
  }
}

bool TProfileStore::RevokeToken(const std::string &storedName, const std::string &tokenId, std::string &error) {
  TStoreOutcome outcome = Transact([&](TSqlConnection &db, int64_t now) {
    if (db.Execute("SELECT 1 FROM users WHERE user_name = $1", {storedName}).empty()) {
      error = "there is no user \"" + storedName + "\"";
      return TAccess::WrongToken;
    }
    std::vector<std::string> matching;
    for (const TSqlRow &row : db.Execute("SELECT token_hash FROM tokens WHERE user_name = $1", {storedName}))
      if (row[0] && row[0]->compare(0, tokenId.size(), tokenId) == 0)
        matching.push_back(*row[0]);
    if (matching.size() != 1) {
      error = "the user \"" + storedName + "\" has " +
              (matching.empty() ? std::string(tokenId.empty() ? "no token" : "no token " + tokenId)
                                : tokenId.empty() ? "several tokens: name the one to revoke (profile_server users)"
                                                  : "several tokens beginning " + tokenId);
      return TAccess::WrongToken;
    }
    db.Send("INSERT INTO revoked_tokens (user_name, token_hash, revoked) VALUES ($1, $2, $3) "
            "ON CONFLICT (user_name, token_hash) DO NOTHING",
            {storedName, matching[0], std::to_string(now)});
    db.Send("DELETE FROM tokens WHERE user_name = $1 AND token_hash = $2", {storedName, matching[0]});
    db.Send("DELETE FROM checkouts WHERE user_name = $1 AND token_hash = $2", {storedName, matching[0]});
    return TAccess::Granted;
  });
  if (!outcome.Ok)
    error = outcome.Error;
  return outcome.Granted();
}

bool TProfileStore::CreateEnrolmentCode(const std::string &storedName, int64_t validSeconds, std::string &code,
                                        std::string &error) {
  unsigned char random[kEnrolmentCodeLength];
  if (RAND_bytes(random, sizeof random) != 1) {
    error = "the system gave no random bytes for a code";
    return false;
  }
  // 32 symbols: each byte's low five bits pick one without bias.
  static_assert(sizeof kEnrolmentCodeAlphabet - 1 == 32);
  code.clear();
  for (unsigned char byte : random)
    code += kEnrolmentCodeAlphabet[byte & 31];
  TStoreOutcome outcome = Transact([&](TSqlConnection &db, int64_t now) {
    const std::string when = std::to_string(now);
    db.Send("INSERT INTO users (user_name, created) VALUES ($1, $2) ON CONFLICT (user_name) DO NOTHING",
            {storedName, when});
    db.Send("INSERT INTO enrolment_codes (code_hash, user_name, created, expires) VALUES ($1, $2, $3, $4)",
               {TokenDigest(code), storedName, when, std::to_string(now + validSeconds)});
    return TAccess::Granted;
  });
  error = outcome.Error;
  return outcome.Granted();
}

bool TProfileStore::ExportUser(const std::string &storedName, std::string &text, std::string &error) {
  try {
    TSqlPool::TLease db(pool_);
    std::vector<TSqlRow> user = db->Execute(
        "SELECT created, last_checkout, last_checkin FROM users WHERE user_name = $1", {storedName});
    if (user.empty()) {
      error = "there is no user \"" + storedName + "\"";
      return false;
    }
    text = "user " + storedName + "\nknown since " + UtcTimeText(ReadTime(user[0][0])) + "\nlast check-out " +
           UtcTimeText(ReadTime(user[0][1])) + "\nlast check-in " + UtcTimeText(ReadTime(user[0][2])) + "\n";
    for (const TSqlRow &row : db->Execute("SELECT token_hash, enrolled, last_used FROM tokens WHERE user_name = $1"
                                          " ORDER BY enrolled, token_hash",
                                          {storedName}))
      text += "token " + row[0].value_or("").substr(0, kTokenIdLength) + " enrolled " +
              UtcTimeText(ReadTime(row[1])) + " last used " + UtcTimeText(ReadTime(row[2])) + "\n";
    for (const TSqlRow &row : db->Execute("SELECT token_hash, revoked FROM revoked_tokens WHERE user_name = $1"
                                          " ORDER BY revoked, token_hash",
                                          {storedName}))
      text += "revoked token " + row[0].value_or("").substr(0, kTokenIdLength) + " revoked " +
              UtcTimeText(ReadTime(row[1])) + "\n";
    for (const TSqlRow &row : db->Execute("SELECT created, expires, used FROM enrolment_codes WHERE user_name = $1"
                                          " ORDER BY created, code_hash",
                                          {storedName}))
      text += "enrolment code made " + UtcTimeText(ReadTime(row[0])) + " expires " + UtcTimeText(ReadTime(row[1])) +
              " used " + UtcTimeText(ReadTime(row[2])) + "\n";
    for (const TSqlRow &row : db->Execute("SELECT token_hash, checked_out, lines FROM checkouts WHERE user_name = $1"
                                          " ORDER BY checked_out, token_hash",
                                          {storedName})) {
      text += "values held by token " + row[0].value_or("").substr(0, kTokenIdLength) + " since " +
              UtcTimeText(ReadTime(row[1])) + " (to merge its next check-in)\n";
      for (const std::string &line : SplitLines(row[2].value_or("")))
        text += "  " + line + "\n";
    }
    std::vector<TSqlRow> saved = db->Execute("SELECT saved FROM settings WHERE user_name = $1", {storedName});
    text += "settings saved " + UtcTimeText(saved.empty() ? 0 : ReadTime(saved[0][0])) + "\n";
    // The user data lines as the program writes them, in the stored form.
    for (const std::string &line : SplitLines(FormatUserDataLines(ReadRecord(*db, storedName))))
      text += StoredText(line) + "\n";
    text += DayTable(ReadDays(*db, storedName));
    return true;
  } catch (const ESqlError &e) {
    error = e.what();
    return false;
  }
}

bool TProfileStore::DeleteUser(const std::string &storedName, std::string &error) {
  TStoreOutcome outcome = Transact([&](TSqlConnection &db, int64_t) {
    for (const char *table :
         {"history", "days", "settings", "checkouts", "tokens", "revoked_tokens", "enrolment_codes"})
      db.Send(std::string("DELETE FROM ") + table + " WHERE user_name = $1", {storedName});
    if (db.Execute("DELETE FROM users WHERE user_name = $1 RETURNING user_name", {storedName}).empty()) {
      error = "there is no user \"" + storedName + "\"";
      return TAccess::WrongToken;
    }
    return TAccess::Granted;
  });
  if (!outcome.Ok)
    error = outcome.Error;
  return outcome.Granted();
}

bool TProfileStore::ListDays(const std::string &storedName, std::vector<TDayRecord> &days, std::string &error) {
  try {
    TSqlPool::TLease db(pool_);
    if (db->Execute("SELECT 1 FROM users WHERE user_name = $1", {storedName}).empty()) {
      error = "there is no user \"" + storedName + "\"";
      return false;
    }
    days = ReadDays(*db, storedName);
    return true;
  } catch (const ESqlError &e) {
    error = e.what();
    return false;
  }
}

bool TProfileStore::DeleteDays(const std::string &storedName, int64_t &deleted, std::string &error) {
  TStoreOutcome outcome = Transact([&](TSqlConnection &db, int64_t) {
    if (db.Execute("SELECT 1 FROM users WHERE user_name = $1", {storedName}).empty()) {
      error = "there is no user \"" + storedName + "\"";
      return TAccess::WrongToken;
    }
    deleted = static_cast<int64_t>(
        db.Execute("DELETE FROM days WHERE user_name = $1 RETURNING day", {storedName}).size());
    return TAccess::Granted;
  });
  if (!outcome.Ok)
    error = outcome.Error;
  return outcome.Granted();
}

std::string DayTable(const std::vector<TDayRecord> &days) {
  std::string text = "days " + std::to_string(days.size()) + " (date";
  for (const char *name : kDayRecordFieldNames)
    text += std::string(",") + name;
  text += ")\n";
  for (const TDayRecord &day : days)
    text += "  " + DayRecordFieldsText(day) + "\n";
  return text;
}
