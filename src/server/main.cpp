// profile_server: keeps Movaro users' settings and message history.
//
//   profile_server serve  [--listen HOST:PORT] [--database DB] [--threads N]
//                         [--connections N] [--cert PEM --key PEM]
//                         [--auth-failures N] [--trust-first-use]
//   profile_server users  [--database DB]
//   profile_server enrol  USER [--valid HOURS] [--database DB]
//   profile_server revoke USER [TOKEN] [--database DB]
//   profile_server export USER [--database DB]
//   profile_server delete USER [--database DB]
//   profile_server history USER [--database DB]
//   profile_server delete-history USER [--database DB]
//   profile_server backup FILE [--database DB]
//
// DB is "sqlite:PATH" or a path (SQLite, the default "profiles.db"), or a
// PostgreSQL connection string ("postgresql://user@host/db" or
// "host=... dbname=..."). See README.md beside this file.
#include "server/HttpService.h"
#include "server/UserTable.h"

#include "base/Decimal.h"
#include "protocol/Requests.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <mutex>
#include <pthread.h>
#include <thread>

namespace {

constexpr char kUsage[] =
    "usage: profile_server serve [--listen HOST:PORT] [--database DB] [--threads N]\n"
    "                            [--connections N] [--cert CERTIFICATE.pem --key KEY.pem]\n"
    "                            [--auth-failures N] [--trust-first-use]\n"
    "       profile_server users [--database DB]\n"
    "       profile_server enrol USER [--valid HOURS] [--database DB]\n"
    "       profile_server revoke USER [TOKEN] [--database DB]\n"
    "       profile_server export USER [--database DB]\n"
    "       profile_server delete USER [--database DB]\n"
    "       profile_server history USER [--database DB]\n"
    "       profile_server delete-history USER [--database DB]\n"
    "       profile_server backup FILE [--database DB]\n"
    "DB: sqlite:PATH or a path (default profiles.db), or a PostgreSQL connection string\n";

struct TArguments {
  std::string Command, Subject, Token; // Subject: the USER or FILE the command names
  std::string Database = "profiles.db";
  THttpServiceOptions Service;
  bool TrustFirstUse = false;
  int64_t ValidHours = 24;
  int64_t Connections = 0; // 0: the pool's default
};

bool ParseListen(const std::string &text, THttpServiceOptions &options) {
  size_t colon = text.rfind(':');
  int64_t port;
  if (colon == std::string::npos || colon == 0 || !ParseDecimal(text.substr(colon + 1), 0, 65535, port))
    return false;
  options.Host = text.substr(0, colon);
  options.Port = static_cast<int>(port);
  return true;
}

bool ParseArguments(int argc, char **argv, TArguments &args) {
  if (argc < 2)
    return false;
  args.Command = argv[1];
  int i = 2;
  if (args.Command == "revoke" || args.Command == "enrol" || args.Command == "export" ||
      args.Command == "delete" || args.Command == "backup" || args.Command == "history" ||
      args.Command == "delete-history") {
    if (argc < 3 || argv[2][0] == '-')
      return false;
    args.Subject = argv[i++];
    if (args.Command == "revoke" && i < argc && argv[i][0] != '-')
      args.Token = argv[i++];
  } else if (args.Command != "serve" && args.Command != "users") {
    return false;
  }
  for (; i < argc; ++i) {
    std::string option = argv[i];
    if (option == "--trust-first-use" && args.Command == "serve") {
      args.TrustFirstUse = true;
      continue;
    }
    if (i + 1 >= argc)
      return false;
    std::string value = argv[++i];
    int64_t threads, failures;
    if (option == "--database")
      args.Database = value;
    else if (option == "--listen" && args.Command == "serve" && ParseListen(value, args.Service))
      continue;
    else if (option == "--cert" && args.Command == "serve")
      args.Service.CertificateFile = value;
    else if (option == "--key" && args.Command == "serve")
      args.Service.KeyFile = value;
    else if (option == "--threads" && args.Command == "serve" && ParseDecimal(value, 1, 1024, threads))
      args.Service.Threads = static_cast<int>(threads);
    else if (option == "--connections" && args.Command == "serve" && ParseDecimal(value, 1, 1024, args.Connections))
      continue;
    else if (option == "--valid" && args.Command == "enrol" && ParseDecimal(value, 1, 24 * 365, args.ValidHours))
      continue;
    else if (option == "--auth-failures" && args.Command == "serve" && ParseDecimal(value, 1, 10000, failures)) {
      args.Service.AuthLimits.Burst = static_cast<int>(failures);
      args.Service.AuthLimits.RefillMilliseconds = 60000 / failures;
    }
    else
      return false;
  }
  return true;
}

std::mutex g_logLock;
void Log(const std::string &line) {
  std::lock_guard<std::mutex> guard(g_logLock);
  std::cerr << UtcTimeText(std::time(nullptr)) << " " << line << std::endl;
}

int ListUsers(TProfileStore &store) {
  std::vector<TUserSummary> users;
  std::string error;
  if (!store.ListUsers(users, error)) {
    std::cerr << "profile_server: " << error << "\n";
    return 1;
  }
  std::fputs(FormatUserTable(users).c_str(), stdout);
  return 0;
}

int Enrol(TProfileStore &store, const TArguments &args) {
  // Names are given in the stored form (UTF-8 of the 8-bit text): one that
  // has no 8-bit form, or is not a name a client may send, would never log in.
  const std::string ansi = AnsiText(args.Subject);
  if (StoredText(ansi) != args.Subject || !IsValidUserName(ansi)) {
    std::cerr << "profile_server: \"" << args.Subject << "\" is not a user name a client can send (1 to "
              << kUserNameMaxLength << " Latin-1 characters without quotes, slashes or separators)\n";
    return 1;
  }
  std::string code, error;
  if (!store.CreateEnrolmentCode(args.Subject, args.ValidHours * 3600, code, error)) {
    std::cerr << "profile_server: " << error << "\n";
    return 1;
  }
  std::printf("enrolment code for \"%s\": %s-%s (once, until %s)\n", args.Subject.c_str(), code.substr(0, 5).c_str(),
              code.substr(5).c_str(), UtcTimeText(std::time(nullptr) + args.ValidHours * 3600).c_str());
  return 0;
}

int Serve(TProfileStore &store, const THttpServiceOptions &options) {
  // SIGINT and SIGTERM end the server through a thread that waits for them,
  // so that the stop runs outside a signal handler.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  TProfileHttpService service(store, Log);
  std::string error;
  if (!service.Bind(options, error)) {
    std::cerr << "profile_server: " << error << "\n";
    return 1;
  }
  std::printf("profile_server: listening on %s:%d, %s, %s\n", options.Host.c_str(), service.Port(),
              service.Secure() ? "HTTPS" : "HTTP", store.Description().c_str());
  std::fflush(stdout);
  std::atomic<bool> signalled{false};
  std::thread waiter([&service, &signalled, stopSignals] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    if (signalled.exchange(true))
      return; // sent below: serving has ended already
    Log("stopping on signal " + std::to_string(signal));
    service.Stop();
  });
  service.Serve();
  // Serving also ends when listening fails; the waiter then still waits.
  if (!signalled.exchange(true))
    pthread_kill(waiter.native_handle(), SIGTERM);
  waiter.join();
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  TArguments args;
  if (!ParseArguments(argc, argv, args)) {
    std::cerr << kUsage;
    return 2;
  }
  std::string error;
  std::unique_ptr<TSqlDatabase> database = OpenSqlDatabase(args.Database, error);
  if (!database) {
    std::cerr << "profile_server: " << error << "\n";
    return 1;
  }
  TProfileStore store(std::move(database), args.TrustFirstUse, static_cast<size_t>(args.Connections));
  if (!store.Prepare(error)) {
    std::cerr << "profile_server: " << error << "\n";
    return 1;
  }
  if (args.Command == "users")
    return ListUsers(store);
  if (args.Command == "revoke") {
    if (!store.RevokeToken(args.Subject, args.Token, error)) {
      std::cerr << "profile_server: " << error << "\n";
      return 1;
    }
    std::printf("revoked the token %s of \"%s\"\n", args.Token.c_str(), args.Subject.c_str());
    return 0;
  }
  if (args.Command == "enrol")
    return Enrol(store, args);
  if (args.Command == "export") {
    std::string text;
    if (!store.ExportUser(args.Subject, text, error)) {
      std::cerr << "profile_server: " << error << "\n";
      return 1;
    }
    std::fputs(text.c_str(), stdout);
    return 0;
  }
  if (args.Command == "history") {
    std::vector<TDayRecord> days;
    if (!store.ListDays(args.Subject, days, error)) {
      std::cerr << "profile_server: " << error << "\n";
      return 1;
    }
    std::fputs(DayTable(days).c_str(), stdout);
    return 0;
  }
  if (args.Command == "delete-history") {
    int64_t deleted = 0;
    if (!store.DeleteDays(args.Subject, deleted, error)) {
      std::cerr << "profile_server: " << error << "\n";
      return 1;
    }
    std::printf("deleted %lld days of \"%s\"\n", static_cast<long long>(deleted), args.Subject.c_str());
    return 0;
  }
  if (args.Command == "delete" || args.Command == "backup") {
    const bool done = args.Command == "delete" ? store.DeleteUser(args.Subject, error) : store.Backup(args.Subject, error);
    if (!done) {
      std::cerr << "profile_server: " << error << "\n";
      return 1;
    }
    std::printf(args.Command == "delete" ? "deleted everything stored about \"%s\"\n" : "backed up to %s\n",
                args.Subject.c_str());
    return 0;
  }
  return Serve(store, args.Service);
}
