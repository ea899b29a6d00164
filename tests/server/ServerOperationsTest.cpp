// What the profile server shows for monitoring, on both engines: its health
// follows the database, and its metrics count answers, their times, failed
// database work and open connections without naming any user.
#include "ServerWorld.h"

#include "protocol/HttpExchange.h"
#include "protocol/Requests.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

namespace {

// A database whose connections fail, new and pooled, while Failing is set.
class TSwitchableDatabase : public TSqlDatabase {
public:
  TSwitchableDatabase(std::unique_ptr<TSqlDatabase> inner, std::atomic<bool> &failing)
      : inner_(std::move(inner)), failing_(failing) {}
  std::unique_ptr<TSqlConnection> Connect() override {
    if (failing_)
      throw ESqlError("connection refused");
    return std::make_unique<TConnection>(inner_->Connect(), failing_);
  }
  std::string Description() const override { return inner_->Description(); }
  bool Backup(const std::string &file, std::string &error) override { return inner_->Backup(file, error); }

private:
  class TConnection : public TSqlConnection {
  public:
    TConnection(std::unique_ptr<TSqlConnection> inner, std::atomic<bool> &failing)
        : inner_(std::move(inner)), failing_(failing) {}
    std::vector<TSqlRow> Execute(const std::string &sql, const std::vector<TSqlValue> &params) override {
      if (failing_)
        throw ESqlError("server closed the connection");
      return inner_->Execute(sql, params);
    }
    void Begin() override {
      if (failing_)
        throw ESqlError("server closed the connection");
      inner_->Begin();
    }
    void Commit() override { inner_->Commit(); }
    void Rollback() override { inner_->Rollback(); }

  private:
    std::unique_ptr<TSqlConnection> inner_;
    std::atomic<bool> &failing_;
  };
  std::unique_ptr<TSqlDatabase> inner_;
  std::atomic<bool> &failing_;
};

class ServerOperations : public ::testing::TestWithParam<std::string> {};

TEST_P(ServerOperations, HealthFollowsTheDatabaseAndMetricsCountWithoutUserData) {
  char pattern[] = "/tmp/movaro-ops.XXXXXX";
  ASSERT_TRUE(mkdtemp(pattern));
  std::string folder = pattern;
  std::atomic<bool> failing{false};
  std::unique_ptr<TSqlDatabase> database = FreshDatabase(GetParam(), folder);
  ASSERT_TRUE(database);
  TProfileStore store(std::make_unique<TSwitchableDatabase>(std::move(database), failing), true);
  std::string error;
  ASSERT_TRUE(store.Prepare(error)) << error;
  {
    TRunningServer server(store);
    httplib::Client client("127.0.0.1", server.Port());
    client.set_keep_alive(true); // one connection for every request below
    auto get = [&](const char *path) {
      auto result = client.Get(path);
      return result ? std::to_string(result->status) + " " + result->body : std::string("no answer");
    };
    auto login = [&]() {
      auto result = client.Post(kRequestPath, {{"Authorization", "Bearer " + TokenOf('a')}},
                                BuildLoginRequest("anna"), "text/plain");
      return result ? result->status : 0;
    };
    auto has = [](const std::string &text, const std::string &line) {
      return text.find("\n" + line + "\n") != std::string::npos;
    };

    EXPECT_EQ(get("/healthz"), "200 ok\n");
    EXPECT_EQ(login(), 200);
    EXPECT_EQ(client.Post(kRequestPath, BuildLoginRequest("anna"), "text/plain")->status, 401);
    EXPECT_EQ(get("/nothing").substr(0, 3), "404");
    std::string metrics = get("/metrics");
    // Answers before this one: healthz and the login 200, 401, 404.
    for (const char *line : {"profile_server_requests_total{status=\"200\"} 2",
                             "profile_server_requests_total{status=\"401\"} 1",
                             "profile_server_requests_total{status=\"404\"} 1",
                             "profile_server_request_duration_seconds_bucket{le=\"+Inf\"} 4",
                             "profile_server_request_duration_seconds_count 4",
                             "profile_server_database_errors_total 0", "profile_server_connections 1"})
      EXPECT_TRUE(has(metrics, line)) << line << " in\n" << metrics;
    EXPECT_EQ(metrics.rfind("200 # HELP profile_server_requests_total ", 0), 0u) << metrics;
    for (const char *type : {"profile_server_request_duration_seconds histogram", "profile_server_connections gauge"})
      EXPECT_TRUE(has(metrics, std::string("# TYPE ") + type)) << type << " in\n" << metrics;

    failing = true;
    EXPECT_EQ(get("/healthz"), "503 the database does not answer\n");
    EXPECT_EQ(login(), 500);
    metrics = get("/metrics");
    // One failed health check; the login's attempt and its one retry.
    for (const char *line : {"profile_server_requests_total{status=\"503\"} 1",
                             "profile_server_requests_total{status=\"500\"} 1",
                             "profile_server_database_errors_total 3"})
      EXPECT_TRUE(has(metrics, line)) << line << " in\n" << metrics;
    EXPECT_EQ(metrics.find("anna"), std::string::npos);
    EXPECT_EQ(metrics.find("127.0.0.1"), std::string::npos);

    failing = false;
    EXPECT_EQ(get("/healthz"), "200 ok\n");
    EXPECT_EQ(login(), 200);
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

// Bucket bounds are upper bounds; statuses outside HTTP's are not counted
// (and cannot reach past the table); the sum is in seconds.
TEST(ServerMetricsText, BucketsBoundsStatusesAndSum) {
  TServerMetrics metrics;
  metrics.NoteAnswer(100, 0.0005);
  metrics.NoteAnswer(200, 0.003);
  metrics.NoteAnswer(599, 3);
  metrics.NoteAnswer(-1, -1);
  metrics.NoteAnswer(600, -1);
  metrics.ConnectionOpened();
  const std::string text = metrics.Text(7);
  for (const char *line : {"profile_server_requests_total{status=\"100\"} 1", "profile_server_requests_total{status=\"599\"} 1",
                           "profile_server_request_duration_seconds_bucket{le=\"0.0005\"} 1",
                           "profile_server_request_duration_seconds_bucket{le=\"0.0025\"} 1",
                           "profile_server_request_duration_seconds_bucket{le=\"0.005\"} 2",
                           "profile_server_request_duration_seconds_bucket{le=\"2.5\"} 2",
                           "profile_server_request_duration_seconds_bucket{le=\"+Inf\"} 3",
                           "profile_server_request_duration_seconds_sum 3.0035",
                           "profile_server_database_errors_total 7", "profile_server_connections 1"})
    EXPECT_NE(text.find("\n" + std::string(line) + "\n"), std::string::npos) << line << " in\n" << text;
  EXPECT_EQ(text.find("status=\"600\""), std::string::npos);
  EXPECT_EQ(text.find("status=\"-1\""), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Engines, ServerOperations, ::testing::Values("sqlite", "postgres"));

} // namespace
