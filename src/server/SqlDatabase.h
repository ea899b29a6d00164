#pragma once
// The profile server's view of its database: statements with $1..$n
// parameters, values as texts, one schema for both engines. SQLite is the
// embedded default (a file, nothing to set up); PostgreSQL serves an
// organisation's shared server.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// One value as text; absent for SQL NULL.
using TSqlValue = std::optional<std::string>;
using TSqlRow = std::vector<TSqlValue>;

class ESqlError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A statement and its parameters.
struct TSqlStatement {
  std::string Sql;
  std::vector<TSqlValue> Params;
};

class TSqlConnection {
public:
  virtual ~TSqlConnection() = default;
  // Runs one statement; the rows it returns. Throws ESqlError.
  virtual std::vector<TSqlRow> Execute(const std::string &sql,
                                       const std::vector<TSqlValue> &params = {}) = 0;
  // Runs the statements in order; the rows of each. A database server is
  // sent them together and waited for once. Throws ESqlError.
  virtual std::vector<std::vector<TSqlRow>> ExecuteAll(const std::vector<TSqlStatement> &statements);
  // A statement of a transaction whose rows nobody reads: run at once, or
  // sent to a database server with the next statement that is read or with
  // the commit, its failure thrown from there. Throws ESqlError.
  virtual void Send(const std::string &sql, const std::vector<TSqlValue> &params = {}) { Execute(sql, params); }
  // A transaction that may write, taking the locks for that at once. Throws ESqlError.
  virtual void Begin() = 0;
  // A transaction that creates or changes tables: one at a time among all
  // the processes on the database, so that servers starting together on an
  // empty one do not trip over each other's new tables. Throws ESqlError.
  // As Begin where that already keeps other writers out until it ends.
  virtual void BeginSchemaChange() { Begin(); }
  virtual void Commit() = 0;
  // Never throws; does nothing outside a transaction.
  virtual void Rollback() = 0;
};

class TSqlDatabase {
public:
  virtual ~TSqlDatabase() = default;
  // A new connection. Throws ESqlError.
  virtual std::unique_ptr<TSqlConnection> Connect() = 0;
  // How many connections serve requests best; TSqlPool's default limit.
  virtual size_t Connections() const;
  // What the database is, for the log (without a password).
  virtual std::string Description() const = 0;
  // How often a connection waited for the database server's answer since
  // the start; 0 for an engine inside this process.
  virtual uint64_t RoundTrips() const { return 0; }
  // A consistent copy of the whole database in the file, made while others
  // read and write; an existing file is replaced only by a complete copy.
  // False with a reason when it fails or the engine has its own tools.
  virtual bool Backup(const std::string &file, std::string &error) = 0;
};

// "postgresql://...", "postgres://..." or a libpq "key=value" string opens
// PostgreSQL; "sqlite:PATH" or a plain path opens (creating) an SQLite file.
// Null with error set when the engine cannot be told or opened.
std::unique_ptr<TSqlDatabase> OpenSqlDatabase(const std::string &connection, std::string &error);
std::unique_ptr<TSqlDatabase> OpenSqliteDatabase(const std::string &path);
std::unique_ptr<TSqlDatabase> OpenPostgresDatabase(const std::string &connection);

// Connections kept open for reuse by the request threads, at most Limit at
// once: more transactions at a time than the machine has cores only make
// them wait for each other inside the database (and, with PostgreSQL, each
// connection is a process of its own).
class TSqlPool {
public:
  // limit 0: the database's Connections().
  explicit TSqlPool(std::unique_ptr<TSqlDatabase> database, size_t limit = 0)
      : database_(std::move(database)), limit_(limit ? limit : database_->Connections()) {}
  size_t Limit() const { return limit_; }

  // A connection for the caller's use, taken from the pool or made new (which
  // throws ESqlError when it fails), waiting while Limit are in use; back
  // into the pool when the lease ends, unless Discard was called after a
  // failure that may have broken it.
  class TLease {
  public:
    explicit TLease(TSqlPool &pool) : pool_(pool), connection_(pool.Take()) {}
    TLease(const TLease &) = delete;
    TLease &operator=(const TLease &) = delete;
    ~TLease() { pool_.Return(std::move(connection_)); }
    TSqlConnection &operator*() { return *connection_; }
    TSqlConnection *operator->() { return connection_.get(); }
    void Discard() { connection_.reset(); }

  private:
    TSqlPool &pool_;
    std::unique_ptr<TSqlConnection> connection_;
  };

  const TSqlDatabase &Database() const { return *database_; }
  TSqlDatabase &Database() { return *database_; }

private:
  std::unique_ptr<TSqlConnection> Take();
  void Return(std::unique_ptr<TSqlConnection> connection);

  std::unique_ptr<TSqlDatabase> database_;
  const size_t limit_;
  std::mutex lock_;
  std::condition_variable returned_;
  size_t leased_ = 0; // connections out of the pool, or being made
  std::vector<std::unique_ptr<TSqlConnection>> idle_;
};
