// Two profile server processes on one database (PostgreSQL, or one SQLite
// file), as behind a load balancer: an enrolment code sent to both at once
// admits one computer, and a user's two computers checking in at once
// through different servers both keep their changes.
#include "ServerWorld.h"

#include "protocol/HttpExchange.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <latch>
#include <memory>
#include <regex>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// profile_server serve on a free port of 127.0.0.1, until destroyed; started
// at once, its port waited for by Port (0: it ended without listening).
class TServerProcess {
public:
  TServerProcess(const std::string &database, const std::string &folder, const std::string &name,
                 const char *authFailures = "1000")
      : out_(folder + "/" + name + ".out"), log_(folder + "/" + name + ".log") {
    pid_ = fork();
    if (pid_ == 0) {
      if (!freopen(out_.c_str(), "w", stdout) || !freopen(log_.c_str(), "w", stderr))
        _exit(127);
      // Each raced code is refused by one of the two ("used"), and a refusal
      // counts against the address: a limit far above the test's requests
      // keeps however the races split from reaching it.
      execl(MOVARO_PROFILE_SERVER, MOVARO_PROFILE_SERVER, "serve", "--listen", "127.0.0.1:0", "--database",
            database.c_str(), "--auth-failures", authFailures, static_cast<char *>(nullptr));
      _exit(127);
    }
  }
  ~TServerProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  int Port() {
    const std::regex listening("listening on 127\\.0\\.0\\.1:([0-9]+),");
    for (int i = 0; i < 200 && pid_ > 0 && port_ == 0; ++i) {
      std::ifstream file(out_);
      std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
      std::smatch match;
      if (std::regex_search(text, match, listening))
        port_ = std::stoi(match[1]);
      else if (waitpid(pid_, nullptr, WNOHANG) == pid_)
        pid_ = -1;
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return port_;
  }
  // What it wrote to standard error.
  std::string Log() const {
    std::ifstream file(log_);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  }

private:
  std::string out_, log_;
  pid_t pid_ = -1;
  int port_ = 0;
};

class TwoServers : public ::testing::TestWithParam<std::string> {
protected:
  // A new database for servers to share: a scratch PostgreSQL database, or
  // a file in folder that none has opened yet.
  std::string SharedDatabase(const std::string &folder) {
    if (GetParam() == "postgres")
      return FreshPostgresConnection();
    return "sqlite:" + folder + "/profiles" + std::to_string(++files_) + ".db";
  }

private:
  int files_ = 0;
};

// One request to a server: "STATUS BODY".
std::string Ask(int port, char token, const std::string &body, const std::string &code = "") {
  httplib::Client client("127.0.0.1", port);
  httplib::Headers headers{{"Authorization", "Bearer " + TokenOf(token)}};
  if (!code.empty())
    headers.emplace(kEnrolmentCodeHeader, code);
  auto result = client.Post(kRequestPath, headers, body, "text/plain");
  return result ? std::to_string(result->status) + " " + result->body : std::string("no answer");
}

std::string CheckIn(const std::string &user, const TUserDataRecord &record) {
  return "command=putuserdata\r\nusername=" + user + "\r\n" + FormatUserDataLines(record);
}

// The record a check-out answered.
TUserDataRecord CheckedOut(const std::string &answer) {
  const std::string prefix = std::string("200 ") + kUserDataReplyPrefix;
  EXPECT_EQ(answer.rfind(prefix, 0), 0u) << answer;
  return ReadUserDataLines(answer.substr(std::min(answer.size(), prefix.size())));
}

TEST_P(TwoServers, OneCodeAdmitsOneComputerAndSimultaneousCheckInsKeepBothChanges) {
  char pattern[] = "/tmp/movaro-two.XXXXXX";
  ASSERT_TRUE(mkdtemp(pattern));
  const std::string folder = pattern;
  const std::string database = SharedDatabase(folder);
  ASSERT_FALSE(database.empty());
  {
    // One after the other: the first makes the tables.
    TServerProcess first(database, folder, "first");
    ASSERT_NE(first.Port(), 0);
    TServerProcess second(database, folder, "second");
    ASSERT_NE(second.Port(), 0);
    const int ports[] = {first.Port(), second.Port()};
    ASSERT_NE(ports[1], 0) << second.Log();
    std::string error;
    TProfileStore admin(OpenSqlDatabase(database, error));

    // Each code sent to both servers at once, with two computers' tokens.
    constexpr int kCodes = 12;
    for (int round = 0; round < kCodes; ++round) {
      std::string code;
      ASSERT_TRUE(admin.CreateEnrolmentCode("anna", 3600, code, error)) << error;
      std::string answers[2];
      std::latch start(2);
      std::thread racers[2];
      for (int i = 0; i < 2; ++i)
        racers[i] = std::thread([&, i] {
          start.arrive_and_wait();
          answers[i] = Ask(ports[i], static_cast<char>('a' + 2 * round + i), BuildLoginRequest("anna"), code);
        });
      for (std::thread &racer : racers)
        racer.join();
      const std::string admitted = "200 userdata=NO_DATA_FOUND", used = "403 " + ErrorReply(kCodeUsedReason);
      EXPECT_TRUE((answers[0] == admitted && answers[1] == used) || (answers[0] == used && answers[1] == admitted))
          << round << ": " << answers[0] << " | " << answers[1];
    }

    // Bob's computers x (through the first server) and y (the second).
    for (int i = 0; i < 2; ++i) {
      std::string code;
      ASSERT_TRUE(admin.CreateEnrolmentCode("bob", 3600, code, error)) << error;
      ASSERT_EQ(Ask(ports[i], "xy"[i], BuildLoginRequest("bob"), code).substr(0, 3), "200");
    }
    TUserDataRecord start;
    start.ConfigLevel = 100;
    start.ConfigLongPause = 60;
    start.ConfigShortPause = 60;
    start.History = {{"h0000001", 0, 45000}, {"h0000002", 0, 45000}};
    ASSERT_EQ(Ask(ports[0], 'x', CheckIn("bob", start)), "200 " + std::string(kSavedReply));
    for (int round = 1; round <= 8; ++round) {
      // Both check out the same values; x changes the level and the first
      // entry, y the long pause and the second; both send everything back.
      TUserDataRecord x = CheckedOut(Ask(ports[0], 'x', BuildLoginRequest("bob")));
      TUserDataRecord y = CheckedOut(Ask(ports[1], 'y', BuildLoginRequest("bob")));
      ASSERT_EQ(x.History.size(), 2u);
      ASSERT_EQ(y.History.size(), 2u);
      x.ConfigLevel = 100 + round;
      x.History[0].Count = round;
      y.ConfigLongPause = 60 + round;
      y.History[1].Count = round;
      // A value both change: one of the two stays.
      x.ConfigShortPause = 100 + round;
      y.ConfigShortPause = 200 + round;
      std::string answers[2];
      std::latch go(2);
      std::thread x_in([&] {
        go.arrive_and_wait();
        answers[0] = Ask(ports[0], 'x', CheckIn("bob", x));
      });
      std::thread y_in([&] {
        go.arrive_and_wait();
        answers[1] = Ask(ports[1], 'y', CheckIn("bob", y));
      });
      x_in.join();
      y_in.join();
      for (const std::string &answer : answers)
        ASSERT_EQ(answer, "200 " + std::string(kSavedReply)) << round;
      TUserDataRecord merged = CheckedOut(Ask(ports[round % 2], "xy"[round % 2], BuildLoginRequest("bob")));
      EXPECT_EQ(merged.ConfigLevel, 100 + round) << round;
      EXPECT_EQ(merged.ConfigLongPause, 60 + round) << round;
      EXPECT_TRUE(merged.ConfigShortPause == 100 + round || merged.ConfigShortPause == 200 + round) << round;
      ASSERT_EQ(merged.History.size(), 2u);
      EXPECT_EQ(merged.History[0].Count, round) << round;
      EXPECT_EQ(merged.History[1].Count, round) << round;
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

// Servers started together on an empty database all make it theirs: one
// creates the tables, the others find them. A guesser going from one server
// to the next gets the failed authentications they count together (here 3),
// and at most one more from each further server, not 3 from each.
TEST_P(TwoServers, StartTogetherOnAnEmptyDatabaseAndCountFailuresTogether) {
  char pattern[] = "/tmp/movaro-two.XXXXXX";
  ASSERT_TRUE(mkdtemp(pattern));
  const std::string folder = pattern;
  constexpr int kServers = 4;
  for (int round = 0; round < 3; ++round) {
    const std::string database = SharedDatabase(folder);
    ASSERT_FALSE(database.empty());
    std::vector<std::unique_ptr<TServerProcess>> servers;
    for (int i = 0; i < kServers; ++i)
      servers.push_back(
          std::make_unique<TServerProcess>(database, folder, std::to_string(round) + "-" + std::to_string(i), "3"));
    for (auto &server : servers)
      ASSERT_NE(server->Port(), 0) << round << ": " << server->Log();
    if (round > 0)
      continue;
    int refused = 0, limitedInARow = 0;
    for (int i = 0; i < 10 * kServers && limitedInARow < kServers; ++i) {
      const std::string status =
          Ask(servers[static_cast<size_t>(i % kServers)]->Port(), 'a', BuildLoginRequest("anna")).substr(0, 3);
      refused += status == "403";
      limitedInARow = status == "429" ? limitedInARow + 1 : 0;
      ASSERT_TRUE(status == "403" || status == "429") << i << ": " << status;
    }
    EXPECT_EQ(limitedInARow, kServers);
    EXPECT_EQ(refused, 3 + kServers - 1);
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

INSTANTIATE_TEST_SUITE_P(Engines, TwoServers, ::testing::Values("postgres", "sqlite"));

} // namespace
