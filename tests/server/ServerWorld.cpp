#include "ServerWorld.h"

#include <pqxx/pqxx>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace {

std::string Run(const std::string &command, int &status) {
  std::string output;
  FILE *pipe = popen(command.c_str(), "r");
  if (!pipe) {
    status = -1;
    return output;
  }
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe))
    output += buffer;
  status = pclose(pipe);
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
    output.pop_back();
  return output;
}

// The scratch PostgreSQL server, started at its first use and stopped when
// the run ends.
class TScratchPostgres : public ::testing::Environment {
public:
  const std::string &Connection() {
    std::lock_guard<std::mutex> guard(lock_);
    if (!tried_) {
      tried_ = true;
      char pattern[] = "/tmp/movaro-pg.XXXXXX";
      if (mkdtemp(pattern)) {
        folder_ = pattern;
        int status = 0;
        std::string out = Run(Script() + " start " + folder_, status);
        if (status == 0)
          connection_ = out;
        else
          problem_ = out;
      }
    }
    return connection_;
  }
  const std::string &Problem() const { return problem_; }
  void TearDown() override {
    if (folder_.empty())
      return;
    int status = 0;
    Run(Script() + " stop " + folder_, status);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

private:
  static std::string Script() { return std::string(MOVARO_SOURCE_DIR) + "/scripts/pg-scratch.sh"; }
  std::mutex lock_;
  bool tried_ = false;
  std::string folder_, connection_, problem_;
};

TScratchPostgres *const g_postgres =
    static_cast<TScratchPostgres *>(::testing::AddGlobalTestEnvironment(new TScratchPostgres));

std::atomic<int> g_databases{0};

} // namespace

std::string FreshPostgresConnection() {
  const std::string &server = g_postgres->Connection();
  if (server.empty()) {
    ADD_FAILURE() << "no scratch PostgreSQL server: " << g_postgres->Problem();
    return "";
  }
  std::string name = "profiles_" + std::to_string(++g_databases);
  pqxx::connection admin(server);
  pqxx::nontransaction(admin).exec("CREATE DATABASE " + name);
  return server.substr(0, server.rfind("dbname=")) + "dbname=" + name;
}

std::unique_ptr<TSqlDatabase> FreshDatabase(const std::string &engine, std::string &where) {
  if (engine == "sqlite")
    return OpenSqliteDatabase(where + "/profiles.db");
  const std::string connection = FreshPostgresConnection();
  return connection.empty() ? nullptr : OpenPostgresDatabase(connection);
}

TStoreWorld::TStoreWorld(const std::string &engine, bool trustFirstUse) {
  char pattern[] = "/tmp/movaro-store.XXXXXX";
  Folder = mkdtemp(pattern) ? pattern : "";
  std::unique_ptr<TSqlDatabase> database = FreshDatabase(engine, Folder);
  if (!database)
    return;
  Store = std::make_unique<TProfileStore>(std::move(database), trustFirstUse);
  std::string error;
  EXPECT_TRUE(Store->Prepare(error)) << error;
}

TStoreWorld::~TStoreWorld() {
  Store.reset();
  std::error_code ignored;
  if (!Folder.empty())
    std::filesystem::remove_all(Folder, ignored);
}

TRunningServer::TRunningServer(TProfileStore &store, THttpServiceOptions options) : Service(store, nullptr) {
  options.Host = "127.0.0.1";
  options.Port = 0;
  options.Threads = 16;
  std::string error;
  EXPECT_TRUE(Service.Bind(options, error)) << error;
  Thread = std::thread([this] { Service.Serve(); });
}

TRunningServer::~TRunningServer() {
  Service.Stop();
  Thread.join();
}

bool MakeSelfSignedCertificate(const std::string &folder, const std::string &name) {
  const std::string base = folder + "/" + name;
  int status = 0;
  Run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1"
      " -keyout '" + base + ".key' -out '" + base + ".crt' 2>&1",
      status);
  return status == 0;
}
