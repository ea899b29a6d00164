// PostgreSQL through libpq in pipeline mode: the pool's connections, each
// statement sent with its parameters apart from its text and prepared once
// per connection (the server sends the same few texts over and over: parsing
// and planning each again cost more than running it). Every wait for the
// server's answer costs a round trip on the network and a wake-up of both
// processes, more than most of the statements themselves: a transaction's
// BEGIN, the preparations and the statements whose rows nobody reads (Send)
// wait in the pipeline and go with the next statement that is read or with
// the COMMIT, so that a request waits for the server once or twice.
#include "server/SqlDatabase.h"

#include <libpq-fe.h>

#include <atomic>
#include <unordered_map>

namespace {

class TPostgresConnection : public TSqlConnection {
public:
  TPostgresConnection(const std::string &connection, std::shared_ptr<std::atomic<uint64_t>> roundTrips)
      : connection_(PQconnectdb(connection.c_str())), roundTrips_(std::move(roundTrips)) {
    if (!connection_ || PQstatus(connection_) != CONNECTION_OK || PQenterPipelineMode(connection_) != 1) {
      std::string message = connection_ ? PQerrorMessage(connection_) : "out of memory";
      PQfinish(connection_);
      throw ESqlError("PostgreSQL cannot connect: " + OneLine(message));
    }
    // The server's notices ("already exists, skipping") are no news for the log.
    PQsetNoticeProcessor(connection_, [](void *, const char *) {}, nullptr);
  }
  ~TPostgresConnection() override { PQfinish(connection_); }

  std::vector<TSqlRow> Execute(const std::string &sql, const std::vector<TSqlValue> &params) override {
    Queue(sql, params, true);
    return std::move(Exchange().front());
  }
  std::vector<std::vector<TSqlRow>> ExecuteAll(const std::vector<TSqlStatement> &statements) override {
    for (const TSqlStatement &statement : statements)
      Queue(statement.Sql, statement.Params, true);
    return Exchange();
  }
  void Send(const std::string &sql, const std::vector<TSqlValue> &params) override {
    if (!inTransaction_) { // nothing would send it
      Execute(sql, params);
      return;
    }
    Queue(sql, params, false);
  }

  void Begin() override {
    Queue("BEGIN", {}, false);
    inTransaction_ = true;
    failed_ = false;
  }
  void BeginSchemaChange() override {
    Begin();
    // Held until the transaction ends; the number names this server's schema.
    Execute("SELECT pg_advisory_xact_lock(7316029)", {});
  }
  void Commit() override {
    try {
      if (failed_) // the server would answer the COMMIT with a rollback
        throw ESqlError("PostgreSQL: a statement of the transaction failed");
      Queue("COMMIT", {}, false);
      inTransaction_ = false;
      Exchange();
    } catch (const ESqlError &) {
      Rollback(); // a statement before the COMMIT failed: the transaction is still open
      throw;
    }
  }
  void Rollback() override {
    const PGTransactionStatusType status = PQtransactionStatus(connection_);
    inTransaction_ = false;
    if (pending_.empty() && status != PQTRANS_INTRANS && status != PQTRANS_INERROR)
      return;
    try {
      Queue("ROLLBACK", {}, false);
      Exchange();
    } catch (const ESqlError &) {
    }
  }

private:
  // What the server answers to, in the order sent.
  struct TPending {
    bool Read;              // the rows are returned
    const std::string *Sql; // a preparation of this text; else null
  };

  // Adds the statement to the pipeline, prepared by its first use on this
  // connection (unprepared once so many are prepared that a text beyond them
  // is more likely one of a kind).
  void Queue(const std::string &sql, const std::vector<TSqlValue> &params, bool read) {
    std::vector<const char *> values;
    values.reserve(params.size());
    for (const TSqlValue &param : params)
      values.push_back(param ? param->c_str() : nullptr);
    const int count = static_cast<int>(values.size());
    const std::string *name = nullptr;
    auto found = prepared_.find(sql);
    if (found != prepared_.end()) {
      name = &found->second;
    } else if (prepared_.size() < kPreparedLimit) {
      auto made = prepared_.emplace(sql, "s" + std::to_string(serial_++)).first;
      if (!PQsendPrepare(connection_, made->second.c_str(), sql.c_str(), 0, nullptr)) {
        prepared_.erase(made);
        throw Failure("cannot send a statement");
      }
      pending_.push_back({false, &made->first});
      name = &made->second;
    }
    const int sent = name ? PQsendQueryPrepared(connection_, name->c_str(), count, values.data(), nullptr, nullptr, 0)
                          : PQsendQueryParams(connection_, sql.c_str(), count, nullptr, values.data(), nullptr,
                                              nullptr, 0);
    if (!sent)
      throw Failure("cannot send a statement");
    pending_.push_back({read, nullptr});
  }

  // Sends the pipeline and waits for its answers: the rows of the statements
  // read, in order. The first failure is thrown once every answer is in
  // (the statements after a failed one are skipped).
  std::vector<std::vector<TSqlRow>> Exchange() {
    std::vector<TPending> pending;
    pending.swap(pending_);
    failed_ = true; // until every answer is in
    if (!PQpipelineSync(connection_))
      throw Failure("cannot send");
    ++*roundTrips_;
    std::vector<std::vector<TSqlRow>> answers;
    std::string error;
    for (const TPending &statement : pending) {
      std::vector<TSqlRow> rows;
      bool answered = false;
      while (PGresult *result = PQgetResult(connection_)) {
        answered = true;
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_TUPLES_OK && statement.Read) {
          rows = Rows(result);
        } else if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
          if (error.empty() && status != PGRES_PIPELINE_ABORTED)
            error = Message(result);
          if (statement.Sql) // not prepared: prepared again at its next use
            prepared_.erase(std::string(*statement.Sql));
        }
        PQclear(result);
      }
      if (!answered) // the connection is lost
        throw Failure(error.empty() ? "no answer" : error.c_str());
      if (statement.Read)
        answers.push_back(std::move(rows));
    }
    PGresult *sync = PQgetResult(connection_);
    const bool synced = sync && PQresultStatus(sync) == PGRES_PIPELINE_SYNC;
    PQclear(sync);
    if (!error.empty())
      throw ESqlError("PostgreSQL: " + error);
    if (!synced)
      throw Failure("no answer");
    failed_ = false;
    return answers;
  }

  static std::vector<TSqlRow> Rows(const PGresult *result) {
    const int count = PQntuples(result), fields = PQnfields(result);
    std::vector<TSqlRow> rows;
    rows.reserve(static_cast<size_t>(count));
    for (int r = 0; r < count; ++r) {
      TSqlRow row;
      row.reserve(static_cast<size_t>(fields));
      for (int f = 0; f < fields; ++f)
        row.emplace_back(PQgetisnull(result, r, f)
                             ? TSqlValue()
                             : TSqlValue(std::string(PQgetvalue(result, r, f),
                                                     static_cast<size_t>(PQgetlength(result, r, f)))));
      rows.push_back(std::move(row));
    }
    return rows;
  }

  // The server's message and its detail ("Key (k)=(1) already exists.").
  static std::string Message(const PGresult *result) {
    const char *primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
    const char *detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL);
    if (!primary)
      return OneLine(PQresultErrorMessage(result));
    return OneLine(std::string(primary) + (detail ? std::string(" ") + detail : ""));
  }

  // libpq's messages on one line, as the log has one per request.
  static std::string OneLine(const std::string &message) {
    std::string line;
    for (char c : message) {
      const bool space = c == '\n' || c == '\r' || c == '\t' || c == ' ';
      if (!space)
        line += c;
      else if (!line.empty() && line.back() != ' ')
        line += ' ';
    }
    if (!line.empty() && line.back() == ' ')
      line.pop_back();
    return line;
  }
  ESqlError Failure(const char *what) const {
    return ESqlError(std::string("PostgreSQL: ") + what + ": " + OneLine(PQerrorMessage(connection_)));
  }

  static constexpr size_t kPreparedLimit = 64;
  PGconn *connection_;
  std::shared_ptr<std::atomic<uint64_t>> roundTrips_;
  bool inTransaction_ = false;
  bool failed_ = false; // an exchange of the transaction failed
  std::vector<TPending> pending_;
  std::unordered_map<std::string, std::string> prepared_; // text: name
  uint64_t serial_ = 0; // names are never reused: one may be prepared on the server from a failed pipeline
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
    return std::make_unique<TPostgresConnection>(connection_, roundTrips_);
  }
  std::string Description() const override { return "PostgreSQL " + WithoutPassword(connection_); }
  uint64_t RoundTrips() const override { return *roundTrips_; }
  bool Backup(const std::string &, std::string &error) override {
    error = "a PostgreSQL database is backed up with pg_dump (see README.md)";
    return false;
  }

private:
  std::string connection_;
  std::shared_ptr<std::atomic<uint64_t>> roundTrips_ = std::make_shared<std::atomic<uint64_t>>(0);
};

} // namespace

std::unique_ptr<TSqlDatabase> OpenPostgresDatabase(const std::string &connection) {
  auto database = std::make_unique<TPostgresDatabase>(connection);
  database->Connect();
  return database;
}
