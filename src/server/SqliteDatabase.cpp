// SQLite: one file, opened by every request thread through its own
// connection. The file runs in write-ahead-log mode so that check-outs read
// while another request writes, and every writing transaction takes the
// write lock at its start (BEGIN IMMEDIATE), so two writers queue on the busy
// timeout instead of failing half-way.
#include "server/SqlDatabase.h"

#include <sqlite3.h>

namespace {

constexpr int kBusyTimeoutMs = 10000;

// Statements are written with PostgreSQL's $1..$n; SQLite reads ?1..?n.
std::string SqliteParameters(const std::string &sql) {
  std::string out = sql;
  for (size_t i = 0; i + 1 < out.size(); ++i)
    if (out[i] == '$' && out[i + 1] >= '0' && out[i + 1] <= '9')
      out[i] = '?';
  return out;
}

class TSqliteConnection : public TSqlConnection {
public:
  explicit TSqliteConnection(const std::string &path) {
    int rc = sqlite3_open_v2(path.c_str(), &db_,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
      std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
      sqlite3_close(db_);
      throw ESqlError("SQLite cannot open " + path + ": " + message);
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    Execute("PRAGMA journal_mode=WAL", {});
    Execute("PRAGMA synchronous=NORMAL", {});
    Execute("PRAGMA foreign_keys=ON", {});
  }
  ~TSqliteConnection() override { sqlite3_close(db_); }

  std::vector<TSqlRow> Execute(const std::string &sql, const std::vector<TSqlValue> &params) override {
    sqlite3_stmt *statement = nullptr;
    std::string text = SqliteParameters(sql);
    if (sqlite3_prepare_v2(db_, text.c_str(), static_cast<int>(text.size()), &statement, nullptr) !=
        SQLITE_OK)
      throw ESqlError(Failure("prepare"));
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> owner(statement, sqlite3_finalize);
    for (size_t i = 0; i < params.size(); ++i) {
      int rc = params[i] ? sqlite3_bind_text(statement, static_cast<int>(i + 1), params[i]->data(),
                                             static_cast<int>(params[i]->size()), SQLITE_TRANSIENT)
                         : sqlite3_bind_null(statement, static_cast<int>(i + 1));
      if (rc != SQLITE_OK)
        throw ESqlError(Failure("bind"));
    }
    std::vector<TSqlRow> rows;
    for (;;) {
      int rc = sqlite3_step(statement);
      if (rc == SQLITE_DONE)
        return rows;
      if (rc != SQLITE_ROW)
        throw ESqlError(Failure("step"));
      TSqlRow row;
      for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        const unsigned char *value = sqlite3_column_text(statement, c);
        if (value)
          row.emplace_back(std::string(reinterpret_cast<const char *>(value),
                                       static_cast<size_t>(sqlite3_column_bytes(statement, c))));
        else
          row.emplace_back(std::nullopt);
      }
      rows.push_back(std::move(row));
    }
  }

  void Begin() override { Execute("BEGIN IMMEDIATE", {}); }
  void Commit() override { Execute("COMMIT", {}); }
  void Rollback() override {
    if (!sqlite3_get_autocommit(db_))
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }

private:
  std::string Failure(const char *step) const {
    return std::string("SQLite ") + step + ": " + sqlite3_errmsg(db_);
  }

  sqlite3 *db_ = nullptr;
};

class TSqliteDatabase : public TSqlDatabase {
public:
  explicit TSqliteDatabase(std::string path) : path_(std::move(path)) {}
  std::unique_ptr<TSqlConnection> Connect() override {
    return std::make_unique<TSqliteConnection>(path_);
  }
  std::string Description() const override { return "SQLite " + path_; }

private:
  std::string path_;
};

} // namespace

std::unique_ptr<TSqlDatabase> OpenSqliteDatabase(const std::string &path) {
  auto database = std::make_unique<TSqliteDatabase>(path);
  database->Connect(); // fails now, not at the first request, when the file cannot be opened
  return database;
}
