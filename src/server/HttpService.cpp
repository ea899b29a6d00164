#include "server/HttpService.h"

#include "protocol/HttpExchange.h"
#include "protocol/Replies.h"
#include "server/RequestHandler.h"

#include <httplib.h>

#include <sys/socket.h>

#include <chrono>
#include <optional>
#include <thread>

namespace {

// Request texts are a few kilobytes; anything near this is not one.
constexpr size_t kMaxRequestBytes = 256 * 1024;

using TClock = std::chrono::steady_clock;
// When the request this thread answers began (its routing), for the log of
// its answer; none before the first.
thread_local std::optional<TClock::time_point> t_requestStart;

// The library's thread pool, which runs one task per accepted connection,
// counting the connections from their acceptance to their end.
class TCountingPool : public httplib::TaskQueue {
public:
  TCountingPool(size_t threads, TServerMetrics &metrics) : pool_(threads), metrics_(metrics) {}
  void enqueue(std::function<void()> connection) override {
    metrics_.ConnectionOpened();
    pool_.enqueue([this, connection = std::move(connection)] {
      connection();
      metrics_.ConnectionClosed();
    });
  }
  void shutdown() override { pool_.shutdown(); }

private:
  httplib::ThreadPool pool_;
  TServerMetrics &metrics_;
};

} // namespace

TProfileHttpService::TProfileHttpService(TProfileStore &store, TLog log)
    : store_(store), log_(std::move(log)), server_(std::make_unique<httplib::Server>()) {}

TProfileHttpService::~TProfileHttpService() = default;

bool TProfileHttpService::Bind(const THttpServiceOptions &options, std::string &error) {
  if (options.CertificateFile.empty() != options.KeyFile.empty()) {
    error = "HTTPS needs both a certificate and its key";
    return false;
  }
  if (!options.CertificateFile.empty()) {
    auto secure = std::make_unique<httplib::SSLServer>(options.CertificateFile.c_str(), options.KeyFile.c_str());
    if (!secure->is_valid()) {
      error = "cannot use the certificate " + options.CertificateFile + " with the key " + options.KeyFile +
              " (both PEM, the key unencrypted and matching the certificate)";
      return false;
    }
    server_ = std::move(secure);
    secure_ = true;
  }
  const int threads = options.Threads > 0 ? options.Threads : 1;
  server_->new_task_queue = [this, threads] { return new TCountingPool(static_cast<size_t>(threads), metrics_); };
  server_->set_keep_alive_timeout(options.KeepAliveSeconds);
  server_->set_keep_alive_max_count(100000);
  server_->set_payload_max_length(kMaxRequestBytes);
  // An answer goes out in more than one write: without this each waits for
  // the client's delayed acknowledgement of the one before.
  server_->set_tcp_nodelay(true);
  // The library listens with a queue of 5 pending connections, too few when
  // a whole office starts at once: the socket is noted here and listens again
  // with the system's longest queue once bound (Linux updates the backlog of
  // a listening socket).
  int listening = -1;
  server_->set_socket_options([&listening](int socket) {
    int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    listening = socket;
  });
  server_->set_pre_routing_handler([](const httplib::Request &, httplib::Response &) {
    t_requestStart = TClock::now();
    return httplib::Server::HandlerResponse::Unhandled;
  });
  // Every answer passes here, those the library gives itself (404, 413) too.
  server_->set_logger([this](const httplib::Request &, const httplib::Response &response) {
    double seconds = -1;
    if (t_requestStart)
      seconds = std::chrono::duration<double>(TClock::now() - *t_requestStart).count();
    t_requestStart.reset();
    metrics_.NoteAnswer(response.status, seconds);
  });
  server_->Get("/healthz", [this](const httplib::Request &, httplib::Response &response) {
    std::string error;
    const bool ready = store_.Ping(error);
    response.status = ready ? 200 : 503;
    response.set_content(ready ? "ok\n" : "the database does not answer\n", "text/plain");
    if (!ready && log_)
      log_("health check: the database does not answer: " + error);
  });
  server_->Get("/metrics", [this](const httplib::Request &, httplib::Response &response) {
    response.set_content(metrics_.Text(store_.DatabaseErrors()), "text/plain; version=0.0.4");
  });
  TAuthLimits limits = options.AuthLimits;
  if (!limits.Shared) // counted with the other servers on the database
    limits.Shared = [this](const std::string &address, int64_t now, int64_t refill) {
      return store_.NoteAuthFailure(address, now, refill);
    };
  limiter_ = std::make_unique<TAuthLimiter>(std::move(limits));
  server_->Post(kRequestPath, [this](const httplib::Request &request, httplib::Response &response) {
    TServerReply reply;
    if (int64_t wait = limiter_->RetryAfterSeconds(request.remote_addr)) {
      reply = {429, ErrorReply("too many failed authentications from this address; try again later"),
               "refused a request: too many failed authentications, retry after " + std::to_string(wait) + " s"};
      response.set_header("Retry-After", std::to_string(wait));
    } else {
      reply = AnswerRequest(store_, request.get_header_value("Authorization"),
                            request.get_header_value(kEnrolmentCodeHeader), request.body);
      if (reply.HttpStatus == 401 || reply.HttpStatus == 403)
        limiter_->NoteFailure(request.remote_addr);
    }
    response.status = reply.HttpStatus;
    response.set_content(reply.Text, "text/plain");
    if (log_)
      log_(request.remote_addr + " " + std::to_string(reply.HttpStatus) + " " + reply.Log);
  });
  if (options.Port == 0) {
    port_ = server_->bind_to_any_port(options.Host.c_str());
    if (port_ <= 0) {
      error = "cannot listen on " + options.Host;
      return false;
    }
  } else if (!server_->bind_to_port(options.Host.c_str(), options.Port)) {
    error = "cannot listen on " + options.Host + ":" + std::to_string(options.Port);
    return false;
  } else {
    port_ = options.Port;
  }
  if (listening >= 0)
    ::listen(listening, SOMAXCONN);
  return true;
}

void TProfileHttpService::Serve() {
  serving_ = true;
  if (!stopRequested_)
    server_->listen_after_bind();
  serving_ = false;
}

void TProfileHttpService::Stop() {
  // The server ignores a stop before it runs: wait for it to run, unless
  // Serve has not begun (it then sees the request) or has ended.
  stopRequested_ = true;
  while (serving_ && !server_->is_running())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  server_->stop();
}
