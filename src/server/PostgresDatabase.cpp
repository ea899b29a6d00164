// PostgreSQL through libpqxx: the pool's connections, each statement sent
// with its parameters apart from its text, and prepared once per connection
// (the server sends the same few texts over and over: parsing and planning
// each again cost more than running it).
#include "server/SqlDatabase.h"

#include <pqxx/pqxx>

#include <unordered_map>

namespace {

class TPostgresConnection : public TSqlConnection {
public:
  explicit TPostgresConnection(const std::string &connection) try : connection_(connection) {
  } catch (const std::exception &e) {
    throw ESqlError(std::string("PostgreSQL cannot connect: ") + e.what());
  }

  std::vector<TSqlRow> Execute(const std::string &sql, const std::vector<TSqlValue> &params) override {
    try {
      std::vector<const char *> values;
      values.reserve(params.size());
      for (const TSqlValue &param : params)
        values.push_back(param ? param->c_str() : nullptr);
      const std::string *name = Prepared(sql);
      auto dynamic = pqxx::prepare::make_dynamic_params(values);
      pqxx::result result;
      if (work_) {
        result = name ? work_->exec_prepared(*name, dynamic) : work_->exec_params(sql, dynamic);
      } else {
        pqxx::nontransaction single(connection_);
        result = name ? single.exec_prepared(*name, dynamic) : single.exec_params(sql, dynamic);
      }
      std::vector<TSqlRow> rows;
      rows.reserve(result.size());
      for (const pqxx::row &row : result) {
        TSqlRow out;
        for (const pqxx::field &field : row)
          out.emplace_back(field.is_null() ? TSqlValue() : TSqlValue(field.c_str()));
        rows.push_back(std::move(out));
      }
      return rows;
    } catch (const std::exception &e) {
      throw ESqlError(std::string("PostgreSQL: ") + e.what());
    }
  }

  void Begin() override {
    try {
      work_ = std::make_unique<pqxx::work>(connection_);
    } catch (const std::exception &e) {
      throw ESqlError(std::string("PostgreSQL: ") + e.what());
    }
  }
  void BeginSchemaChange() override {
    Begin();
    // Held until the transaction ends; the number names this server's schema.
    Execute("SELECT pg_advisory_xact_lock(7316029)", {});
  }
  void Commit() override {
    try {
      if (work_)
        work_->commit();
      work_.reset();
    } catch (const std::exception &e) {
      work_.reset();
      throw ESqlError(std::string("PostgreSQL: ") + e.what());
    }
  }
  void Rollback() override {
    try {
      work_.reset(); // an uncommitted transaction is rolled back when it ends
    } catch (...) {
    }
  }

private:
  // The name the statement is prepared under on this connection (prepared
  // by its first use); null once so many are prepared that a text beyond
  // them is more likely one of a kind, sent unprepared.
  const std::string *Prepared(const std::string &sql) {
    auto found = prepared_.find(sql);
    if (found != prepared_.end())
      return &found->second;
    if (prepared_.size() >= kPreparedLimit)
      return nullptr;
    std::string name = "s" + std::to_string(prepared_.size());
    connection_.prepare(name, sql);
    return &prepared_.emplace(sql, std::move(name)).first->second;
  }

  static constexpr size_t kPreparedLimit = 64;
  pqxx::connection connection_;
  std::unique_ptr<pqxx::work> work_;
  std::unordered_map<std::string, std::string> prepared_;
};

// The connection string without a password, for the log.
std::string WithoutPassword(const std::string &connection) {
  std::string shown = connection;
  size_t at = shown.find('@');
  size_t scheme = shown.find("://");
  if (scheme != std::string::npos && at != std::string::npos && at > scheme) {
    size_t colon = shown.find(':', scheme + 3);
    if (colon != std::string::npos && colon < at)
      shown.replace(colon + 1, at - colon - 1, "***");
  }
  size_t key = shown.find("password=");
  if (key != std::string::npos) {
    size_t end = shown.find(' ', key);
    shown.replace(key + 9, (end == std::string::npos ? shown.size() : end) - key - 9, "***");
  }
  return shown;
}

class TPostgresDatabase : public TSqlDatabase {
public:
  explicit TPostgresDatabase(std::string connection) : connection_(std::move(connection)) {}
  std::unique_ptr<TSqlConnection> Connect() override {
    return std::make_unique<TPostgresConnection>(connection_);
  }
  std::string Description() const override { return "PostgreSQL " + WithoutPassword(connection_); }
  bool Backup(const std::string &, std::string &error) override {
    error = "a PostgreSQL database is backed up with pg_dump (see README.md)";
    return false;
  }

private:
  std::string connection_;
};

} // namespace

std::unique_ptr<TSqlDatabase> OpenPostgresDatabase(const std::string &connection) {
  auto database = std::make_unique<TPostgresDatabase>(connection);
  database->Connect();
  return database;
}
