#include "server/SqlDatabase.h"

#include <algorithm>
#include <thread>

std::unique_ptr<TSqlDatabase> OpenSqlDatabase(const std::string &connection, std::string &error) {
  auto begins = [&connection](const char *prefix) { return connection.rfind(prefix, 0) == 0; };
  try {
    if (begins("postgresql://") || begins("postgres://") || connection.find('=') != std::string::npos)
      return OpenPostgresDatabase(connection);
    std::string path = begins("sqlite:") ? connection.substr(7) : connection;
    if (path.empty()) {
      error = "no database given";
      return nullptr;
    }
    return OpenSqliteDatabase(path);
  } catch (const ESqlError &e) {
    error = e.what();
    return nullptr;
  }
}

std::vector<std::vector<TSqlRow>> TSqlConnection::ExecuteAll(const std::vector<TSqlStatement> &statements) {
  std::vector<std::vector<TSqlRow>> answers;
  answers.reserve(statements.size());
  for (const TSqlStatement &statement : statements)
    answers.push_back(Execute(statement.Sql, statement.Params));
  return answers;
}

size_t TSqlDatabase::Connections() const {
  // Enough to keep the cores busy while some transactions wait for their
  // commit to reach the disk.
  const size_t cores = std::max(1u, std::thread::hardware_concurrency());
  return std::clamp<size_t>(4 * cores, 8, 64);
}

std::unique_ptr<TSqlConnection> TSqlPool::Take() {
  {
    std::unique_lock<std::mutex> guard(lock_);
    returned_.wait(guard, [this] { return leased_ < limit_; });
    ++leased_;
    if (!idle_.empty()) {
      std::unique_ptr<TSqlConnection> connection = std::move(idle_.back());
      idle_.pop_back();
      return connection;
    }
  }
  try {
    return database_->Connect();
  } catch (...) {
    Return(nullptr);
    throw;
  }
}

void TSqlPool::Return(std::unique_ptr<TSqlConnection> connection) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    --leased_;
    if (connection)
      idle_.push_back(std::move(connection));
  }
  returned_.notify_one();
}
