#pragma once
// The profile server's HTTP side: one endpoint, POST kRequestPath
// (protocol/HttpExchange.h), whose body is a request text and whose answer is
// a reply text; connections are kept open between requests. For monitoring,
// GET /healthz answers 200 while the database answers and 503 otherwise, and
// GET /metrics the counts of TServerMetrics.

#include "server/AuthLimiter.h"
#include "server/ProfileStore.h"
#include "server/ServerMetrics.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace httplib {
class Server;
}

struct THttpServiceOptions {
  std::string Host = "127.0.0.1";
  int Port = 1684; // 0: any free port
  // Each open connection holds a thread while it lasts, so this bounds the
  // clients served at once; more wait for a free thread.
  int Threads = 64;
  // An idle connection is closed after this long; the client library opens a
  // new one when it needs it. A stop waits for idle connections to close, so
  // this is also how long a stop may take.
  int KeepAliveSeconds = 5;
  // Both set: HTTPS with this certificate (PEM, the chain after the server's
  // own) and its private key (PEM, unencrypted); both empty: plain HTTP.
  std::string CertificateFile, KeyFile;
  // Failed authentications (401, 403) allowed per client address; once they
  // are used up the address is answered 429 with a Retry-After header.
  // Counted together with the other servers on the store's database unless
  // AuthLimits.Shared is set.
  TAuthLimits AuthLimits;
};

class TProfileHttpService {
public:
  using TLog = std::function<void(const std::string &)>;
  TProfileHttpService(TProfileStore &store, TLog log);
  ~TProfileHttpService();

  // False with error set when the address cannot be bound or the
  // certificate and key cannot be used.
  bool Bind(const THttpServiceOptions &options, std::string &error);
  int Port() const { return port_; }
  bool Secure() const { return secure_; }
  // Serves until Stop is called (from any thread).
  void Serve();
  void Stop();
  const TServerMetrics &Metrics() const { return metrics_; }

private:
  TProfileStore &store_;
  TLog log_;
  std::unique_ptr<httplib::Server> server_;
  std::unique_ptr<TAuthLimiter> limiter_;
  TServerMetrics metrics_;
  int port_ = 0;
  bool secure_ = false;
  std::atomic<bool> serving_{false}, stopRequested_{false};
};
