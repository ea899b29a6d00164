#include "server/SqlDatabase.h"

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

std::unique_ptr<TSqlConnection> TSqlPool::Take() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!idle_.empty()) {
      std::unique_ptr<TSqlConnection> connection = std::move(idle_.back());
      idle_.pop_back();
      return connection;
    }
  }
  return database_->Connect();
}

void TSqlPool::Return(std::unique_ptr<TSqlConnection> connection) {
  if (!connection)
    return;
  std::lock_guard<std::mutex> guard(lock_);
  idle_.push_back(std::move(connection));
}
