// The profile server on SQLite and on PostgreSQL: what is checked in comes
// back out, tokens keep users apart, and many users at once lose nothing.
#include "ServerWorld.h"

#include "protocol/HttpExchange.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"
#include "server/RequestHandler.h"
#include "server/UserTable.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

namespace {

class ProfileStorage : public ::testing::TestWithParam<std::string> {
protected:
  void SetUp() override { ASSERT_TRUE(World.Store); }
  TStoreWorld World{GetParam()};
  TProfileStore &Store() { return *World.Store; }
};

TUserDataRecord FullRecord() {
  TUserDataRecord record;
  record.ConfigLevel = 200;
  record.ConfigLevelBase = 15;
  record.ConfigWarningtype = 2;
  record.ConfigWarningsoundfile = "C:\\Kl\xE4nge\\gong.wav"; // 8-bit ANSI text
  record.ConfigShowInSysTray = false;
  record.ConfigShortPause = 45;
  record.ConfigShortPauseBlock = true;
  record.ConfigLongPause = 120;
  record.ConfigLongPauseBlock = false;
  record.History = {{"x1230001", 1, 45000}, {"h0010002", -1, 0}};
  return record;
}

TEST_P(ProfileStorage, CheckedInValuesComeBackOut) {
  const std::string user = "J\xFCrgen";
  TUserDataRecord out;
  TStoreOutcome first = Store().CheckOut(user, TokenDigest(TokenOf('a')), out);
  ASSERT_TRUE(first.Ok) << first.Error;
  EXPECT_EQ(first.Access, TAccess::Registered);
  EXPECT_TRUE(out.Empty());

  ASSERT_TRUE(Store().CheckIn(user, TokenDigest(TokenOf('a')), FullRecord()).Granted());
  TStoreOutcome second = Store().CheckOut(user, TokenDigest(TokenOf('a')), out);
  EXPECT_EQ(second.Access, TAccess::Granted);
  TUserDataRecord expected = FullRecord();
  std::swap(expected.History[0], expected.History[1]); // read back in key order
  EXPECT_EQ(FormatUserDataLines(out), FormatUserDataLines(expected));

  // A later check-in with refused or missing values keeps what was stored.
  TUserDataRecord partial = ReadUserDataLines("ConfigLevel=999\r\nConfigShortPause=300\r\n"
                                              "x1230001=0>45100\r\ni0010003=1>45100\r\n");
  ASSERT_TRUE(Store().CheckIn(user, TokenDigest(TokenOf('a')), partial).Granted());
  Store().CheckOut(user, TokenDigest(TokenOf('a')), out);
  EXPECT_EQ(out.ConfigLevel, 200);
  EXPECT_EQ(out.ConfigShortPause, 300);
  EXPECT_EQ(out.ConfigWarningsoundfile, "C:\\Kl\xE4nge\\gong.wav");
  TUserDataRecord history;
  history.History = out.History;
  EXPECT_EQ(FormatUserDataLines(history), "h0010002=-1>0\r\ni0010003=1>45100\r\nx1230001=0>45100\r\n");

  std::vector<TUserSummary> users;
  std::string error;
  ASSERT_TRUE(Store().ListUsers(users, error)) << error;
  ASSERT_EQ(users.size(), 1u);
  EXPECT_EQ(users[0].Name, "J\xC3\xBCrgen"); // kept as UTF-8
  EXPECT_EQ(users[0].Tokens.size(), 1u);
  EXPECT_EQ(users[0].HistoryEntries, 3);
  EXPECT_EQ(users[0].RevokedTokens, 0);
  EXPECT_TRUE(users[0].HasSettings);
  EXPECT_GT(users[0].LastCheckOut, 0);
  EXPECT_GT(users[0].LastCheckIn, 0);
}

TEST_P(ProfileStorage, TokensTrustedOnFirstUseAndRevocable) {
  const std::string a = TokenDigest(TokenOf('a')), b = TokenDigest(TokenOf('b'));
  TUserDataRecord out;
  ASSERT_EQ(Store().CheckIn("anna", a, FullRecord()).Access, TAccess::Registered);
  EXPECT_EQ(Store().CheckOut("anna", b, out).Access, TAccess::WrongToken);
  EXPECT_TRUE(out.Empty());
  TUserDataRecord overwrite = FullRecord();
  overwrite.ConfigLevel = 1;
  EXPECT_EQ(Store().CheckIn("anna", b, overwrite).Access, TAccess::WrongToken);
  EXPECT_EQ(Store().CheckIn("bert", a, FullRecord()).Access, TAccess::Registered); // one token, two users

  std::string error;
  ASSERT_TRUE(Store().RevokeToken("anna", error)) << error;
  EXPECT_EQ(Store().CheckOut("anna", a, out).Access, TAccess::Revoked);
  EXPECT_EQ(Store().CheckOut("anna", b, out).Access, TAccess::Registered); // a new first use
  EXPECT_EQ(out.ConfigLevel, 200); // the refused check-in changed nothing
  EXPECT_EQ(Store().CheckIn("anna", a, overwrite).Access, TAccess::Revoked);
  EXPECT_EQ(Store().CheckOut("bert", a, out).Access, TAccess::Granted);

  EXPECT_FALSE(Store().RevokeToken("nobody", error));
  EXPECT_NE(error.find("no user"), std::string::npos);
  ASSERT_TRUE(Store().RevokeToken("anna", error));
  EXPECT_FALSE(Store().RevokeToken("anna", error));
  EXPECT_NE(error.find("no token"), std::string::npos);

  // Eight first uses at once of a name known without a token: one gets it.
  std::vector<TAccess> racing(8);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < racing.size(); ++i)
    threads.emplace_back([&, i] {
      TUserDataRecord record;
      TStoreOutcome outcome = Store().CheckOut("anna", TokenDigest(TokenOf('m') + std::to_string(i)), record);
      racing[i] = outcome.Ok ? outcome.Access : TAccess::Granted;
    });
  for (std::thread &thread : threads)
    thread.join();
  EXPECT_EQ(std::count(racing.begin(), racing.end(), TAccess::Registered), 1);
  EXPECT_EQ(std::count(racing.begin(), racing.end(), TAccess::WrongToken), 7);
}

// Without trust on first use a token gets in only with a code made for its
// user, once and before it expires; each computer's token is one of the
// user's, revoked one by one.
TEST_P(ProfileStorage, EnrolmentCodesAdmitTokensOnceEach) {
  TStoreWorld world(GetParam(), false);
  ASSERT_TRUE(world.Store);
  TProfileStore &store = *world.Store;
  std::string anna1, anna2, expired, bert, error;
  ASSERT_TRUE(store.CreateEnrolmentCode("anna", 3600, anna1, error)) << error;
  ASSERT_TRUE(store.CreateEnrolmentCode("anna", 3600, anna2, error)) << error;
  ASSERT_TRUE(store.CreateEnrolmentCode("anna", -1, expired, error)) << error;
  ASSERT_TRUE(store.CreateEnrolmentCode("bert", 3600, bert, error)) << error;
  EXPECT_EQ(NormalizedEnrolmentCode(anna1), anna1);
  EXPECT_NE(anna1, anna2);
  const std::string a = TokenDigest(TokenOf('a')), b = TokenDigest(TokenOf('b')), c = TokenDigest(TokenOf('c'));
  TUserDataRecord out;
  EXPECT_EQ(store.CheckIn("anna", a, FullRecord()).Access, TAccess::NotEnrolled);
  EXPECT_EQ(store.CheckOut("carl", a, out).Access, TAccess::NotEnrolled);
  EXPECT_EQ(store.CheckOut("anna", {a, TokenDigest(bert)}, out).Access, TAccess::CodeNotForUser);
  EXPECT_EQ(store.CheckOut("anna", {a, TokenDigest(expired)}, out).Access, TAccess::CodeExpired);

  // Eight computers race for one code: one gets it.
  std::vector<TAccess> racing(8);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < racing.size(); ++i)
    threads.emplace_back([&, i] {
      TUserDataRecord record;
      TStoreOutcome outcome = store.CheckOut("anna", {TokenDigest(TokenOf('m') + std::to_string(i)), TokenDigest(anna1)}, record);
      racing[i] = outcome.Ok ? outcome.Access : TAccess::Granted;
    });
  for (std::thread &thread : threads)
    thread.join();
  EXPECT_EQ(std::count(racing.begin(), racing.end(), TAccess::Enrolled), 1);
  EXPECT_EQ(std::count(racing.begin(), racing.end(), TAccess::CodeUsed), 7);

  ASSERT_EQ(store.CheckIn("anna", {a, TokenDigest(anna2)}, FullRecord()).Access, TAccess::Enrolled);
  EXPECT_EQ(store.CheckOut("anna", {b, TokenDigest(anna2)}, out).Access, TAccess::CodeUsed);
  EXPECT_EQ(store.CheckOut("anna", a, out).Access, TAccess::Granted);
  EXPECT_EQ(out.ConfigLevel, 200);

  std::vector<TUserSummary> users;
  ASSERT_TRUE(store.ListUsers(users, error)) << error;
  ASSERT_EQ(users.size(), 2u); // carl's refused requests stored nothing
  EXPECT_EQ(users[0].Name, "anna");
  ASSERT_EQ(users[0].Tokens.size(), 2u);
  EXPECT_TRUE(users[1].Tokens.empty());
  const std::string idOfA = a.substr(0, 12);
  EXPECT_TRUE(users[0].Tokens[0].Id == idOfA || users[0].Tokens[1].Id == idOfA);

  EXPECT_FALSE(store.RevokeToken("anna", error));
  EXPECT_NE(error.find("several tokens"), std::string::npos) << error;
  EXPECT_FALSE(store.RevokeToken("anna", c.substr(0, 8), error));
  ASSERT_TRUE(store.RevokeToken("anna", idOfA, error)) << error;
  EXPECT_EQ(store.CheckOut("anna", a, out).Access, TAccess::Revoked);
  std::string again;
  ASSERT_TRUE(store.CreateEnrolmentCode("anna", 3600, again, error));
  EXPECT_EQ(store.CheckOut("anna", {a, TokenDigest(again)}, out).Access, TAccess::Revoked);
  ASSERT_TRUE(store.RevokeToken("anna", "", error)) << error; // the one left
  EXPECT_EQ(store.CheckOut("anna", {c, TokenDigest(again)}, out).Access, TAccess::Enrolled);
}

// What is stored about a user comes out as text and goes entirely; a backup
// taken while users check in holds whole check-ins only.
TEST_P(ProfileStorage, ExportDeleteAndBackup) {
  const std::string jurgen = "J\xC3\xBC" "rgen", a = TokenDigest(TokenOf('a'));
  ASSERT_TRUE(Store().CheckIn("J\xFCrgen", a, FullRecord()).Granted());
  std::string code, text, error;
  ASSERT_TRUE(Store().CreateEnrolmentCode(jurgen, 3600, code, error)) << error;
  ASSERT_TRUE(Store().ExportUser(jurgen, text, error)) << error;
  for (const std::string &expected : {"user " + jurgen + "\n", std::string("\nlast check-out -\n"), "\ntoken " + a.substr(0, 12) + " enrolled ",
                                      std::string("\nenrolment code made "), std::string(" used -\n"),
                                      std::string("\nConfigWarningsoundfile=C:\\Kl\xC3\xA4nge\\gong.wav\n"),
                                      std::string("\nx1230001=1>45000\n"),
                                      "\nvalues held by token " + a.substr(0, 12) + " since ",
                                      std::string("\n  ConfigLevel=200\n")})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
  EXPECT_EQ(text.find(code), std::string::npos);

  ASSERT_TRUE(Store().CheckIn("anna", TokenDigest(TokenOf('b')), FullRecord()).Granted());
  ASSERT_TRUE(Store().DeleteUser(jurgen, error)) << error;
  EXPECT_FALSE(Store().DeleteUser(jurgen, error));
  EXPECT_FALSE(Store().ExportUser(jurgen, text, error));
  std::vector<TUserSummary> users;
  ASSERT_TRUE(Store().ListUsers(users, error)) << error;
  ASSERT_EQ(users.size(), 1u);
  EXPECT_EQ(users[0].Name, "anna");
  EXPECT_EQ(users[0].LastCheckOut, 0); // checked in only
  TUserDataRecord out;
  EXPECT_EQ(Store().CheckOut("J\xFCrgen", a, out).Access, TAccess::Registered);
  EXPECT_TRUE(out.Empty());

  const std::string copy = World.Folder + "/backup.db";
  if (GetParam() == "postgres") {
    EXPECT_FALSE(Store().Backup(copy, error));
    EXPECT_NE(error.find("pg_dump"), std::string::npos) << error;
    return;
  }
  std::atomic<bool> writing{true};
  std::thread writer([&] {
    for (int i = 0; writing || i < 20; ++i)
      Store().CheckIn("w" + std::to_string(i), TokenDigest(TokenOf('w')), FullRecord());
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  bool backedUp = Store().Backup(copy, error);
  writing = false;
  writer.join();
  ASSERT_TRUE(backedUp) << error;
  EXPECT_FALSE(Store().Backup(World.Folder, error)); // a folder is not replaced
  TProfileStore restored(OpenSqliteDatabase(copy));
  ASSERT_TRUE(restored.ListUsers(users, error)) << error;
  EXPECT_GE(users.size(), 3u); // anna, Jürgen (nothing checked in) and writers
  for (const TUserSummary &user : users)
    EXPECT_TRUE(user.Name == jurgen || (user.HasSettings && user.HistoryEntries == 2 && user.Tokens.size() == 1)) << user.Name;
}

// A check-in is merged on what its computer was given or sent last: a
// check-in sent again without a check-out between (a refused logout retried)
// does not undo another computer's change of a value it left alone.
TEST_P(ProfileStorage, ACheckInRetriedWithoutACheckOutKeepsTheOtherComputersChange) {
  const TCredentials x(TokenDigest(TokenOf('x'))), y(TokenDigest(TokenOf('y')));
  TUserDataRecord mine = FullRecord(), theirs, out;
  ASSERT_TRUE(Store().CheckIn("anna", x, mine).Granted());
  std::string code, error;
  ASSERT_TRUE(Store().CreateEnrolmentCode("anna", 3600, code, error)) << error;
  ASSERT_TRUE(Store().CheckOut("anna", TCredentials(y.TokenDigest, TokenDigest(code)), theirs).Granted());
  theirs.ConfigLevel = 7;
  ASSERT_TRUE(Store().CheckIn("anna", y, theirs).Granted());
  mine.ConfigLongPause = 150;
  ASSERT_TRUE(Store().CheckIn("anna", x, mine).Granted());
  ASSERT_TRUE(Store().CheckOut("anna", x, out).Granted());
  EXPECT_EQ(out.ConfigLevel, 7);
  EXPECT_EQ(out.ConfigLongPause, 150);
}

// A database of one token per user keeps its tokens.
TEST_P(ProfileStorage, SingleTokenDatabaseKeepsItsTokens) {
  std::string folder = World.Folder + "/old";
  std::filesystem::create_directory(folder);
  auto database = FreshDatabase(GetParam(), folder);
  ASSERT_TRUE(database);
  {
    auto db = database->Connect();
    db->Execute("CREATE TABLE users (user_name TEXT PRIMARY KEY, created BIGINT NOT NULL, token_hash TEXT,"
                " token_created BIGINT, last_checkout BIGINT, last_checkin BIGINT)");
    db->Execute("INSERT INTO users (user_name, created, token_hash, token_created) VALUES ('anna', 5, $1, 7)",
                {TokenDigest(TokenOf('a'))});
  }
  TProfileStore store(std::move(database));
  std::string error;
  ASSERT_TRUE(store.Prepare(error)) << error;
  TUserDataRecord out;
  EXPECT_EQ(store.CheckOut("anna", TokenDigest(TokenOf('a')), out).Access, TAccess::Granted);
  EXPECT_EQ(store.CheckOut("anna", TokenDigest(TokenOf('b')), out).Access, TAccess::NotEnrolled);
  std::vector<TUserSummary> users;
  ASSERT_TRUE(store.ListUsers(users, error)) << error;
  ASSERT_EQ(users.size(), 1u);
  ASSERT_EQ(users[0].Tokens.size(), 1u);
  EXPECT_EQ(users[0].Tokens[0].Enrolled, 7);
}

// Over HTTP: each of 100 users checks out, checks in values of their own and
// checks out again, all at the same time.
TEST_P(ProfileStorage, HundredUsersAtOnceLoseNothing) {
  TRunningServer server(Store());
  constexpr int kUsers = 100;
  std::vector<std::string> failures(kUsers);
  std::vector<std::thread> users;
  for (int i = 0; i < kUsers; ++i)
    users.emplace_back([&, i] {
      httplib::Client client("127.0.0.1", server.Port());
      client.set_read_timeout(60, 0);
      httplib::Headers auth{{"Authorization", "Bearer " + TokenOf('a') + std::to_string(1000 + i)}};
      const std::string name = "user" + std::to_string(i);
      TUserDataSettings settings;
      settings.ConfigLevel = static_cast<uint8_t>(i + 1);
      settings.ConfigShortPause = 30 + i;
      std::vector<THistoryLine> history{{"x" + std::to_string(1000000 + i), i % 10, 45000 + i}};
      auto first = client.Post(kRequestPath, auth, BuildLoginRequest(name), "text/plain");
      auto save = client.Post(kRequestPath, auth, BuildLogoutRequest(name, settings, history), "text/plain");
      auto again = client.Post(kRequestPath, auth, BuildLoginRequest(name), "text/plain");
      if (!first || first->body != "userdata=NO_DATA_FOUND")
        failures[i] = "first check-out: " + (first ? first->body : httplib::to_string(first.error()));
      else if (!save || save->body != kSavedReply)
        failures[i] = "check-in: " + (save ? save->body : "no answer");
      else if (!again || again->body != UserDataReply(ReadUserDataLines(FormatUserDataLines(settings, history))))
        failures[i] = "second check-out: " + (again ? again->body : "no answer");
    });
  for (std::thread &user : users)
    user.join();
  for (int i = 0; i < kUsers; ++i)
    EXPECT_EQ(failures[i], "") << "user" << i;
  std::vector<TUserSummary> summaries;
  std::string error;
  ASSERT_TRUE(Store().ListUsers(summaries, error)) << error;
  EXPECT_EQ(summaries.size(), static_cast<size_t>(kUsers));
}

// Histories of every length up to a few hundred entries are stored whole;
// on SQLite the log reaches the database file while the check-ins go on.
TEST_P(ProfileStorage, LongHistoriesStoredWholeAndCheckpointed) {
  const bool sqlite = GetParam() == "sqlite";
  const int users = sqlite ? 300 : 12;
  for (int i = 0; i < users; ++i) {
    TUserDataRecord record;
    record.ConfigLevel = 1 + i % 240;
    const int entries = 1 + (i * 37) % 300;
    for (int h = 0; h < entries; ++h)
      record.History.push_back({"x" + std::to_string(1000000 + h), h % 10, 45000 + i});
    const std::string name = "user" + std::to_string(i);
    const TCredentials token(TokenDigest(TokenOf('a') + std::to_string(i)));
    ASSERT_TRUE(Store().CheckIn(name, token, record).Granted()) << i;
    TUserDataRecord out;
    ASSERT_TRUE(Store().CheckOut(name, token, out).Granted()) << i;
    ASSERT_EQ(FormatUserDataLines(out), FormatUserDataLines(record)) << i << ": " << entries << " entries";
  }
  if (!sqlite)
    return;
  // Nothing reads the file until the log is copied into it.
  const std::string file = World.Folder + "/profiles.db";
  for (int wait = 0; wait < 600 && std::filesystem::file_size(file) < 1000000; ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_GE(std::filesystem::file_size(file), 1000000u);
}

// A failed statement whose rows nobody read fails its transaction, however
// late the engine runs it: nothing of it is kept, and the connection serves
// on; a text that could not be prepared is prepared anew when asked again.
TEST_P(ProfileStorage, AFailedStatementUndoesItsTransactionAndTheConnectionServesOn) {
  std::string folder = World.Folder;
  std::unique_ptr<TSqlDatabase> database = FreshDatabase(GetParam(), folder);
  ASSERT_TRUE(database);
  std::unique_ptr<TSqlConnection> db = database->Connect();
  db->Execute("CREATE TABLE t (k INTEGER PRIMARY KEY)");
  db->Begin();
  EXPECT_THROW(
      {
        db->Send("INSERT INTO t VALUES (1)");
        db->Send("INSERT INTO t VALUES (1)");
        db->Send("INSERT INTO t VALUES (2)");
        db->Commit();
      },
      ESqlError);
  db->Rollback();
  try {
    db->Execute("SELECT extra FROM t ORDER BY k");
    ADD_FAILURE() << "no such column, no failure";
  } catch (const ESqlError &e) { // told on one line of the log
    const std::string message = e.what();
    EXPECT_NE(message.find("extra"), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    EXPECT_NE(message.back(), ' ') << message;
  }
  db->Execute("ALTER TABLE t ADD COLUMN extra INTEGER");
  db->Begin();
  db->Send("INSERT INTO t VALUES (3, 4)");
  db->Commit();
  db->Send("INSERT INTO t VALUES (5, 6)"); // outside a transaction: at once
  db->Begin();
  db->Send("INSERT INTO t VALUES (7, 8)");
  db->Rollback();
  db->Send("INSERT INTO t VALUES (9, 10)");
  const std::vector<std::vector<TSqlRow>> answers = database->Connect()->ExecuteAll(
      {{"SELECT extra FROM t ORDER BY k", {}}, {"SELECT COUNT(*) FROM t WHERE k < $1", {"3"}}});
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0], std::vector<TSqlRow>({{"4"}, {"6"}, {"10"}}));
  EXPECT_EQ(answers[1], std::vector<TSqlRow>({{"0"}}));
  EXPECT_EQ(db->Execute("SELECT extra FROM t ORDER BY k"), answers[0]);
}

// A known computer's check-out and check-in each wait for PostgreSQL twice,
// however long its history and days: once for the decision and what it
// reads, once for the commit and what it writes.
TEST(ProfileStoragePostgres, AKnownComputersRequestsWaitForTheDatabaseTwice) {
  TStoreWorld world("postgres");
  ASSERT_TRUE(world.Store);
  TProfileStore &store = *world.Store;
  const TCredentials token(TokenDigest(TokenOf('a')));
  TUserDataRecord record = FullRecord();
  for (int h = 0; h < 300; ++h)
    record.History.push_back({"y" + std::to_string(1000000 + h), h % 5, 45000});
  for (int d = 0; d < 150; ++d) {
    TDayRecord day;
    day.Date = 46000 + d;
    day.Worked = d;
    record.Days.push_back(day);
  }
  ASSERT_TRUE(store.CheckIn("anna", token, record).Granted());
  const TDaySpans known = DaySpansOf({46000});
  for (int round = 0; round < 2; ++round) {
    uint64_t before = store.DatabaseRoundTrips();
    TUserDataRecord out;
    ASSERT_TRUE(store.CheckOut("anna", token, out, &known).Granted());
    EXPECT_EQ(store.DatabaseRoundTrips() - before, 2u) << round;
    EXPECT_EQ(out.History.size(), record.History.size());
    EXPECT_EQ(out.Days.size(), record.Days.size() - 1);
    before = store.DatabaseRoundTrips();
    ++out.History[round].Count;
    ASSERT_TRUE(store.CheckIn("anna", token, out).Granted());
    EXPECT_EQ(store.DatabaseRoundTrips() - before, 2u) << round;
  }
}

// The pool hands out at most its limit of connections at once and reuses
// them, also those given back after a discarded one.
TEST(SqlPool, NeverMoreConnectionsThanItsLimit) {
  struct TCounted {
    std::atomic<int> Made{0}, Leased{0}, MostLeased{0};
  } counted;
  class TNoConnection : public TSqlConnection {
  public:
    std::vector<TSqlRow> Execute(const std::string &, const std::vector<TSqlValue> &) override { return {}; }
    void Begin() override {}
    void Commit() override {}
    void Rollback() override {}
  };
  class TCountingDatabase : public TSqlDatabase {
  public:
    explicit TCountingDatabase(TCounted &counted) : counted_(counted) {}
    std::unique_ptr<TSqlConnection> Connect() override {
      ++counted_.Made;
      return std::make_unique<TNoConnection>();
    }
    std::string Description() const override { return ""; }
    bool Backup(const std::string &, std::string &) override { return false; }

  private:
    TCounted &counted_;
  };
  TSqlPool pool(std::make_unique<TCountingDatabase>(counted), 3);
  constexpr int kThreads = 12, kLeases = 40;
  int discarded = 0;
  for (int t = 0; t < kThreads; ++t)
    for (int i = 0; i < kLeases; ++i)
      discarded += (t + i) % 7 == 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kLeases; ++i) {
        TSqlPool::TLease lease(pool);
        const int leased = ++counted.Leased;
        for (int most = counted.MostLeased; leased > most && !counted.MostLeased.compare_exchange_weak(most, leased);)
          ;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        --counted.Leased;
        if ((t + i) % 7 == 0)
          lease.Discard();
      }
    });
  for (std::thread &thread : threads)
    thread.join();
  EXPECT_EQ(counted.MostLeased, 3);
  EXPECT_LE(counted.Made, 3 + discarded);
}

INSTANTIATE_TEST_SUITE_P(Engines, ProfileStorage, ::testing::Values("sqlite", "postgres"));

TEST(ProfileServerHttp, RefusalsAnswerStatusErrorWithAReason) {
  TStoreWorld world("sqlite");
  TRunningServer server(*world.Store);
  httplib::Client client("127.0.0.1", server.Port());
  auto post = [&](const std::string &token, const std::string &body) {
    httplib::Headers headers;
    if (!token.empty())
      headers.emplace("Authorization", "Bearer " + token);
    auto result = client.Post(kRequestPath, headers, body, "text/plain");
    return result ? std::to_string(result->status) + " " + result->body : std::string("no answer");
  };
  const std::string login = BuildLoginRequest("anna");
  EXPECT_EQ(post("", login), "401 Status=Error: the request carries no valid bearer token");
  EXPECT_EQ(post("short", login), "401 Status=Error: the request carries no valid bearer token");
  EXPECT_EQ(post(TokenOf('a'), "command=dropall\r\nusername=anna\r\n"),
            "400 Status=Error: unknown command \"dropall\"");
  EXPECT_EQ(post(TokenOf('a'), login), "200 userdata=NO_DATA_FOUND");
  EXPECT_EQ(post(TokenOf('b'), login),
            "403 Status=Error: access denied: this user's profile belongs to another token");
  EXPECT_EQ(post(TokenOf('a'), "command=putuserdata\r\nusername=anna\r\nConfigLevel=0\r\n"
                               "ConfigLongPause=150\r\n"),
            "200 Status=Userdata has been saved");
  EXPECT_EQ(post(TokenOf('a'), login), "200 userdata=ConfigLongPause=150\r\n");
  std::string error;
  ASSERT_TRUE(world.Store->RevokeToken("anna", error));
  EXPECT_EQ(post(TokenOf('a'), login), "403 Status=Error: access denied: this token has been revoked");
  auto elsewhere = client.Post("/other", login, "text/plain");
  ASSERT_TRUE(elsewhere);
  EXPECT_EQ(elsewhere->status, 404);
}

// Failures fill an address's bucket; it refills with time, and other
// addresses are not affected.
TEST(ProfileServerLimits, FailedAuthenticationsLimitedPerAddress) {
  int64_t now = 1000;
  TAuthLimiter limiter({3, 5000, [&now] { return now; }, {}});
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(limiter.RetryAfterSeconds("10.0.0.1"), 0) << i;
    limiter.NoteFailure("10.0.0.1");
  }
  EXPECT_EQ(limiter.RetryAfterSeconds("10.0.0.1"), 5);
  EXPECT_EQ(limiter.RetryAfterSeconds("10.0.0.2"), 0);
  now += 4001;
  EXPECT_EQ(limiter.RetryAfterSeconds("10.0.0.1"), 1);
  now += 999;
  EXPECT_EQ(limiter.RetryAfterSeconds("10.0.0.1"), 0);
  limiter.NoteFailure("10.0.0.1");
  EXPECT_EQ(limiter.RetryAfterSeconds("10.0.0.1"), 5);
  now += 15000; // full again: three more
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(limiter.RetryAfterSeconds("10.0.0.1"), 0) << i;
    limiter.NoteFailure("10.0.0.1");
  }
  EXPECT_GT(limiter.RetryAfterSeconds("10.0.0.1"), 0);

  // Whole seconds, rounded up; no burst is one failure.
  TAuthLimiter single({0, 1001, [&now] { return now; }, {}});
  single.NoteFailure("a");
  EXPECT_EQ(single.RetryAfterSeconds("a"), 2);
  now += 1000;
  EXPECT_EQ(single.RetryAfterSeconds("a"), 1);
  now += 1;
  EXPECT_EQ(single.RetryAfterSeconds("a"), 0);

  // So many addresses failing that the limiter forgets them all rather than
  // grow without end.
  for (size_t i = 0; i < TAuthLimiter::kMaxAddresses; ++i)
    single.NoteFailure("b" + std::to_string(i));
  EXPECT_GT(single.RetryAfterSeconds("b0"), 0);
  single.NoteFailure("c");
  EXPECT_EQ(single.RetryAfterSeconds("b0"), 0);
  EXPECT_GT(single.RetryAfterSeconds("c"), 0);
}

// Over HTTP: refused tokens use up the address's allowance, after which even
// a good token waits; bad names and oversized bodies are refused, stored nothing.
TEST(ProfileServerLimits, TooManyFailuresAnswer429AndBadRequestsStoreNothing) {
  TStoreWorld world("sqlite");
  int64_t now = 0;
  THttpServiceOptions options;
  options.AuthLimits = {2, 6000, [&now] { return now; }, {}};
  TRunningServer server(*world.Store, options);
  httplib::Client client("127.0.0.1", server.Port());
  auto post = [&](char token, const std::string &body) {
    return client.Post(kRequestPath, {{"Authorization", "Bearer " + TokenOf(token)}}, body, "text/plain");
  };
  ASSERT_EQ(post('a', BuildLoginRequest("anna"))->status, 200);
  auto name = post('a', BuildLoginRequest("x'; DROP TABLE users;--"));
  ASSERT_TRUE(name);
  EXPECT_EQ(name->status, 400);
  EXPECT_NE(name->body.find("user name"), std::string::npos) << name->body;
  auto huge = post('a', "command=putuserdata\r\nusername=anna\r\n" + std::string(300 * 1024, 'x'));
  ASSERT_TRUE(huge);
  EXPECT_EQ(huge->status, 413);

  EXPECT_EQ(post('b', BuildLoginRequest("anna"))->status, 403);
  EXPECT_EQ(client.Post(kRequestPath, BuildLoginRequest("anna"), "text/plain")->status, 401);
  auto limited = post('a', BuildLoginRequest("anna"));
  ASSERT_TRUE(limited);
  EXPECT_EQ(limited->status, 429);
  EXPECT_EQ(limited->get_header_value("Retry-After"), "6");
  EXPECT_EQ(limited->body.rfind("Status=Error: ", 0), 0u) << limited->body;
  now += 6000;
  EXPECT_EQ(post('a', BuildLoginRequest("anna"))->status, 200);

  std::vector<TUserSummary> users;
  std::string error;
  ASSERT_TRUE(world.Store->ListUsers(users, error)) << error;
  ASSERT_EQ(users.size(), 1u);
  EXPECT_EQ(users[0].Name, "anna");
}

// The code travels in its header, typed any way; a garbled one is a wrong one.
TEST(ProfileServerHttp, EnrolmentCodeInItsHeader) {
  TStoreWorld world("sqlite", false);
  std::string code, error;
  ASSERT_TRUE(world.Store->CreateEnrolmentCode("anna", 3600, code, error)) << error;
  TRunningServer server(*world.Store);
  httplib::Client client("127.0.0.1", server.Port());
  auto post = [&](const std::string &typed) {
    httplib::Headers headers{{"Authorization", "Bearer " + TokenOf('a')}};
    if (!typed.empty())
      headers.emplace(kEnrolmentCodeHeader, typed);
    auto result = client.Post(kRequestPath, headers, BuildLoginRequest("anna"), "text/plain");
    return result ? std::to_string(result->status) + " " + result->body : std::string("no answer");
  };
  EXPECT_EQ(post(""), "403 Status=Error: access denied: this computer is not enrolled for this user; enter the "
                      "enrolment code from the administrator");
  EXPECT_EQ(post("garbled!"), "403 Status=Error: access denied: the enrolment code is not one for this user");
  std::string typed = code.substr(0, 5) + "-" + code.substr(5);
  std::transform(typed.begin(), typed.end(), typed.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
  EXPECT_EQ(post(typed), "200 userdata=NO_DATA_FOUND");
  EXPECT_EQ(post(""), "200 userdata=NO_DATA_FOUND");
  std::string expired;
  ASSERT_TRUE(world.Store->CreateEnrolmentCode("anna", -1, expired, error)) << error;
  auto other = [&](const std::string &code) {
    auto result = client.Post(kRequestPath, {{"Authorization", "Bearer " + TokenOf('b')}, {kEnrolmentCodeHeader, code}},
                              BuildLoginRequest("anna"), "text/plain");
    return result ? std::to_string(result->status) + " " + result->body : std::string("no answer");
  };
  EXPECT_EQ(other(code), "403 Status=Error: access denied: the enrolment code has been used already; ask the "
                         "administrator for a new one");
  EXPECT_EQ(other(expired), "403 Status=Error: access denied: the enrolment code has expired; ask the "
                            "administrator for a new one");
  EXPECT_EQ(TokenDigest("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

// Over HTTPS the same request round-trips for a client that trusts the
// server's certificate; a client trusting another certificate, and a plain
// HTTP client, get no answer; a key that is not the certificate's is refused.
TEST(ProfileServerHttps, ServesTheRequestsOverTls) {
  TStoreWorld world("sqlite");
  ASSERT_TRUE(MakeSelfSignedCertificate(world.Folder, "server"));
  ASSERT_TRUE(MakeSelfSignedCertificate(world.Folder, "other"));
  THttpServiceOptions options;
  options.CertificateFile = world.Folder + "/server.crt";
  options.KeyFile = world.Folder + "/other.key";
  {
    TProfileHttpService mismatched(*world.Store, nullptr);
    std::string error;
    EXPECT_FALSE(mismatched.Bind(options, error));
    EXPECT_NE(error.find("cannot use the certificate"), std::string::npos) << error;
  }
  options.KeyFile = world.Folder + "/server.key";
  TRunningServer server(*world.Store, options);
  ASSERT_TRUE(server.Service.Secure());

  httplib::Headers headers{{"Authorization", "Bearer " + TokenOf('a')}};
  httplib::SSLClient client("127.0.0.1", server.Port());
  client.set_ca_cert_path(options.CertificateFile.c_str());
  client.enable_server_certificate_verification(true);
  auto saved = client.Post(kRequestPath, headers, "command=putuserdata\r\nusername=anna\r\nConfigLevel=90\r\n",
                           "text/plain");
  ASSERT_TRUE(saved) << httplib::to_string(saved.error());
  EXPECT_EQ(saved->body, "Status=Userdata has been saved");
  auto loaded = client.Post(kRequestPath, headers, BuildLoginRequest("anna"), "text/plain");
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->body, "userdata=ConfigLevel=90\r\n");

  httplib::SSLClient stranger("127.0.0.1", server.Port());
  stranger.set_ca_cert_path((world.Folder + "/other.crt").c_str());
  stranger.enable_server_certificate_verification(true);
  auto refused = stranger.Post(kRequestPath, headers, BuildLoginRequest("anna"), "text/plain");
  EXPECT_FALSE(refused);
  EXPECT_EQ(refused.error(), httplib::Error::SSLServerVerification);

  httplib::Client plain("127.0.0.1", server.Port());
  plain.set_read_timeout(3, 0);
  auto unencrypted = plain.Post(kRequestPath, headers, BuildLoginRequest("anna"), "text/plain");
  EXPECT_FALSE(unencrypted && unencrypted->status == 200);
}

// Columns line up by the characters shown: an accented letter is two bytes.
TEST(ProfileServerUsers, TableAlignedByShownCharacters) {
  TUserSummary jurgen, anna;
  jurgen.Name = "J\xC3\xBCrgen";
  jurgen.Tokens = {{"0123456789ab", 86400, 0}};
  jurgen.LastCheckOut = 86400;
  jurgen.HistoryEntries = 12;
  anna.Name = "anna";
  const std::string table = FormatUserTable({jurgen, anna});
  const std::string jurgenLines = table.substr(table.find('\n') + 1, table.find("\nanna") - table.find('\n'));
  EXPECT_EQ(jurgenLines, "J\xC3\xBCrgen" + std::string(19, ' ') + "     1 1970-01-02 00:00:00Z  " + "-" +
                             std::string(21, ' ') + "     12       0\n" +
                             "  token 0123456789ab  enrolled 1970-01-02 00:00:00Z  last used -\n");
  EXPECT_EQ(table.substr(table.find("\nanna") + 1, 33), "anna" + std::string(21, ' ') + "     0 -");
}

} // namespace
