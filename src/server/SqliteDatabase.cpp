// SQLite: one file, opened by every request thread through its own
// connection, in write-ahead-log mode. SQLite lets one transaction write at a
// time: the server's writing transactions queue on a mutex of their own
// (SQLite's busy wait sleeps in steps of up to 100 ms, which made the slowest
// requests wait close to a second under load), and each takes the file's
// write lock at its start (BEGIN IMMEDIATE) so that it cannot fail half-way
// against a writer of another process, such as an administrator's command.
//
// The log is copied into the database file (checkpointed) by a thread of its
// own. SQLite's own checkpoint runs in the commit that fills the log, with
// two flushes to the disk, while the next writers queue behind it: under
// load, every few hundred check-ins waited several milliseconds.
#include "server/SqlDatabase.h"

#include <sqlite3.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace {

constexpr int kBusyTimeoutMs = 10000;

// Checkpoints run while requests write, never holding them up; only a log
// that writes without a pause kept from being reset grows to kMaxLogPages,
// and then one checkpoint holds the writers until it has copied the rest.
class TCheckpointer {
public:
  static constexpr int kCheckpointPages = 1000; // SQLite's own default
  static constexpr int kMaxLogPages = 16384;    // 64 MiB of 4 KiB pages

  TCheckpointer(std::string path, std::shared_ptr<std::mutex> writers)
      : path_(std::move(path)), writers_(std::move(writers)), thread_([this] { Run(); }) {}
  ~TCheckpointer() {
    {
      std::lock_guard<std::mutex> guard(lock_);
      stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
  // Told after each commit how long the log is.
  void NoteLog(int pages) {
    if (pages < kCheckpointPages)
      return;
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (due_)
        return;
      due_ = true;
    }
    wake_.notify_one();
  }

private:
  // The file opened for checkpoints; null when it cannot be opened (yet).
  sqlite3 *Open() const {
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
      sqlite3_close(db);
      return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // A connection knows the file is in WAL mode only once it has read it.
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    return db;
  }

  void Run() {
    // Opened at the first checkpoint due: this thread starts with the first
    // connection, which creates a new file, and may run before it does.
    sqlite3 *db = nullptr;
    std::unique_lock<std::mutex> guard(lock_);
    while (!stop_) {
      wake_.wait(guard, [this] { return stop_ || due_; });
      if (stop_)
        break;
      due_ = false;
      guard.unlock();
      if (!db)
        db = Open();
      int log = 0, copied = 0;
      if (db && sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, &log, &copied) == SQLITE_OK &&
          log >= kMaxLogPages) {
        // With no writer of this server running, this one completes, and
        // the next writer starts the log afresh.
        std::lock_guard<std::mutex> writing(*writers_);
        sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, &log, &copied);
      }
      guard.lock();
      // Some rest between checkpoints: each flushes the disk twice.
      wake_.wait_for(guard, std::chrono::milliseconds(100), [this] { return stop_; });
    }
    sqlite3_close(db);
  }

  const std::string path_;
  std::shared_ptr<std::mutex> writers_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool due_ = false, stop_ = false;
  std::thread thread_; // last: it starts with everything above made
};

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
  TSqliteConnection(const std::string &path, std::shared_ptr<std::mutex> writers,
                    std::shared_ptr<TCheckpointer> checkpointer)
      : writers_(std::move(writers)), checkpointer_(std::move(checkpointer)) {
    int rc = sqlite3_open_v2(path.c_str(), &db_,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
      std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
      sqlite3_close(db_);
      throw ESqlError("SQLite cannot open " + path + ": " + message);
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    UseWriteAheadLog();
    Execute("PRAGMA synchronous=NORMAL", {});
    Execute("PRAGMA foreign_keys=ON", {});
    if (checkpointer_) // in place of SQLite's own checkpoints
      sqlite3_wal_hook(
          db_,
          [](void *checkpointer, sqlite3 *, const char *, int pages) {
            static_cast<TCheckpointer *>(checkpointer)->NoteLog(pages);
            return SQLITE_OK;
          },
          checkpointer_.get());
  }
  ~TSqliteConnection() override {
    Rollback();
    Forget();
    sqlite3_close(db_);
  }

  std::vector<TSqlRow> Execute(const std::string &sql, const std::vector<TSqlValue> &params) override {
    sqlite3_stmt *statement = Prepared(sql);
    // Back to its start and without values when done, ready for the next use.
    std::unique_ptr<sqlite3_stmt, void (*)(sqlite3_stmt *)> owner(statement, [](sqlite3_stmt *used) {
      sqlite3_reset(used);
      sqlite3_clear_bindings(used);
    });
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

  void Begin() override {
    std::unique_lock<std::mutex> turn(*writers_);
    Execute("BEGIN IMMEDIATE", {});
    turn_ = std::move(turn);
  }
  void Commit() override {
    Execute("COMMIT", {}); // on failure the transaction stays open for Rollback
    turn_ = {};
  }
  void Rollback() override {
    if (!sqlite3_get_autocommit(db_))
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    turn_ = {};
  }

private:
  // Servers started together on a new file each switch it to the log. The
  // switch reads the file before it writes it, and SQLite answers a reader
  // that would wait for another such reader "locked" at once rather than
  // let both wait for ever: such an answer is taken as a turn to wait.
  void UseWriteAheadLog() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
    for (;;) {
      int rc = sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
      if (rc == SQLITE_OK)
        return;
      if ((rc & 0xff) != SQLITE_BUSY || std::chrono::steady_clock::now() >= until) {
        std::string message = Failure("step");
        sqlite3_close(db_);
        throw ESqlError(message);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  // Statements are parsed once per connection: the server sends the same
  // few texts over and over (a check-in's history statement is long).
  sqlite3_stmt *Prepared(const std::string &sql) {
    auto found = prepared_.find(sql);
    if (found != prepared_.end())
      return found->second;
    if (prepared_.size() >= kPreparedLimit)
      Forget();
    sqlite3_stmt *statement = nullptr;
    std::string text = SqliteParameters(sql);
    if (sqlite3_prepare_v3(db_, text.c_str(), static_cast<int>(text.size()), SQLITE_PREPARE_PERSISTENT, &statement,
                           nullptr) != SQLITE_OK) {
      sqlite3_finalize(statement);
      throw ESqlError(Failure("prepare"));
    }
    prepared_.emplace(sql, statement);
    return statement;
  }
  void Forget() {
    for (auto &[sql, statement] : prepared_)
      sqlite3_finalize(statement);
    prepared_.clear();
  }

  std::string Failure(const char *step) const {
    return std::string("SQLite ") + step + ": " + sqlite3_errmsg(db_);
  }

  static constexpr size_t kPreparedLimit = 64;
  sqlite3 *db_ = nullptr;
  std::unordered_map<std::string, sqlite3_stmt *> prepared_;
  std::shared_ptr<std::mutex> writers_;
  std::shared_ptr<TCheckpointer> checkpointer_; // null: SQLite's own checkpoints
  std::unique_lock<std::mutex> turn_; // held from Begin to Commit or Rollback
};

class TSqliteDatabase : public TSqlDatabase {
public:
  explicit TSqliteDatabase(std::string path) : path_(std::move(path)) {}
  std::unique_ptr<TSqlConnection> Connect() override {
    std::shared_ptr<TCheckpointer> checkpointer;
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (!checkpointer_)
        checkpointer_ = std::make_shared<TCheckpointer>(path_, writers_);
      checkpointer = checkpointer_;
    }
    return std::make_unique<TSqliteConnection>(path_, writers_, std::move(checkpointer));
  }
  // One writes at a time anyway, and a connection keeps the pages it read
  // only while no other connection writes: with one, they stay read.
  size_t Connections() const override { return 1; }
  std::string Description() const override { return "SQLite " + path_; }

  bool Backup(const std::string &file, std::string &error) override {
    // SQLite's online backup, in one step so that it reads one snapshot;
    // into a file beside the target, renamed over it only when complete.
    const std::string partial = file + ".partial";
    sqlite3 *source = nullptr, *target = nullptr;
    bool ok = sqlite3_open_v2(path_.c_str(), &source, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
              sqlite3_open_v2(partial.c_str(), &target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) ==
                  SQLITE_OK;
    if (ok) {
      sqlite3_busy_timeout(source, kBusyTimeoutMs);
      sqlite3_backup *backup = sqlite3_backup_init(target, "main", source, "main");
      ok = backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
      if (backup)
        sqlite3_backup_finish(backup);
      ok = ok && sqlite3_errcode(target) == SQLITE_OK;
    }
    error = ok ? "" : std::string("SQLite backup to ") + file + ": " + sqlite3_errmsg(ok || !target ? source : target);
    sqlite3_close(source);
    ok = sqlite3_close(target) == SQLITE_OK && ok;
    if (ok && std::rename(partial.c_str(), file.c_str()) != 0) {
      error = "cannot replace " + file + " with its new copy";
      ok = false;
    }
    if (!ok)
      std::remove(partial.c_str());
    return ok;
  }

private:
  std::string path_;
  std::shared_ptr<std::mutex> writers_ = std::make_shared<std::mutex>();
  std::mutex lock_;
  std::shared_ptr<TCheckpointer> checkpointer_;
};

} // namespace

std::unique_ptr<TSqlDatabase> OpenSqliteDatabase(const std::string &path) {
  auto database = std::make_unique<TSqliteDatabase>(path);
  database->Connect(); // fails now, not at the first request, when the file cannot be opened
  return database;
}
