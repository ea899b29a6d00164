// profile_load: a load of Movaro clients on a running profile server. Each
// client holds one kept-open HTTP connection (as MVRClient.dll does) and, for
// its own users in turn, checks a profile out and checks it back in, with a
// message history of realistic size. Prints the check-outs and check-ins per
// second and their latencies (median, 99th percentile), counted after a
// warm-up second in which the server opens its database connections, and
// the CPU time the load generator itself used.
//   profile_load --port PORT[,PORT...] [--host 127.0.0.1] [--clients 50]
//                [--seconds 10] [--users-per-client 4] [--history 150]
//                [--rate REQUESTS_PER_SECOND]
// With several ports (server instances on one database) the clients are
// dealt out over them in turn.
//
// Without --rate each client sends its next request as soon as the last is
// answered: the server is saturated, and the latency is then the clients'
// queue (50 clients at R requests per second wait 50 / R seconds on
// average). With --rate the clients together send that many requests per
// second on a fixed schedule, and each latency is counted from the moment
// its request was due, so that a server falling behind shows in it.
// bench/profile_server.sh runs it against SQLite and PostgreSQL.
#include "base/Decimal.h"
#include "protocol/HttpExchange.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>

namespace {

using TClock = std::chrono::steady_clock;

struct TOptions {
  std::string Host = "127.0.0.1";
  std::vector<int> Ports;
  int Clients = 50;
  int Seconds = 10;
  int UsersPerClient = 4;
  int History = 150;
  int Rate = 0; // requests per second of all clients; 0: as fast as answered
};

struct TClientResult {
  std::vector<double> CheckOutMs, CheckInMs;
  int Failures = 0;
  std::string FirstFailure;
};

bool ParseOptions(int argc, char **argv, TOptions &options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string name = argv[i], value = argv[i + 1];
    int64_t n;
    if (name == "--host") {
      options.Host = value;
      continue;
    }
    if (name == "--port") {
      for (size_t at = 0; at <= value.size();) {
        size_t comma = std::min(value.find(',', at), value.size());
        if (!ParseDecimal(value.substr(at, comma - at), 1, 65535, n))
          return false;
        options.Ports.push_back(static_cast<int>(n));
        at = comma + 1;
      }
      continue;
    }
    if (!ParseDecimal(value, 0, 1000000, n))
      return false;
    if (name == "--clients")
      options.Clients = static_cast<int>(n);
    else if (name == "--seconds")
      options.Seconds = static_cast<int>(n);
    else if (name == "--users-per-client")
      options.UsersPerClient = static_cast<int>(n);
    else if (name == "--history")
      options.History = static_cast<int>(n);
    else if (name == "--rate")
      options.Rate = static_cast<int>(n);
    else
      return false;
  }
  return argc % 2 == 1 && !options.Ports.empty() && options.Clients > 0 && options.UsersPerClient > 0;
}

void RunClient(const TOptions &options, int index, TClock::time_point measured, TClock::time_point end,
               TClientResult &result) {
  httplib::Client client(options.Host, options.Ports[static_cast<size_t>(index) % options.Ports.size()]);
  client.set_keep_alive(true);
  client.set_tcp_nodelay(true); // as MVRClient.dll
  client.set_read_timeout(30, 0);
  const httplib::Headers auth{{"Authorization", "Bearer " + std::string(60, 'c') + std::to_string(1000 + index)}};
  std::vector<THistoryLine> history;
  for (int h = 0; h < options.History; ++h)
    history.push_back({"x" + std::to_string(1000000 + h), h % 3 - 1, 45000 + h});
  TUserDataSettings settings;
  auto fail = [&result](const std::string &what) {
    if (result.Failures++ == 0)
      result.FirstFailure = what;
  };
  // With a rate: this client's requests are due every interval, the
  // clients' schedules spread over one interval.
  const auto interval = std::chrono::duration_cast<TClock::duration>(
      std::chrono::duration<double>(options.Rate ? static_cast<double>(options.Clients) / options.Rate : 0));
  auto due = TClock::now() + interval * index / options.Clients;
  // Waits until the next request is due; when it began counting.
  auto next = [&] {
    if (!options.Rate)
      return TClock::now();
    std::this_thread::sleep_until(due);
    auto was = due;
    due += interval;
    return was;
  };
  for (int round = 0; TClock::now() < end; ++round) {
    const std::string user = "load" + std::to_string(index) + "-" + std::to_string(round % options.UsersPerClient);
    auto begin = next();
    auto out = client.Post(kRequestPath, auth, BuildLoginRequest(user), "text/plain");
    auto answered = TClock::now();
    if (!out || out->status != 200 || ClassifyReply(out->body) == TReplyKind::Error)
      fail("check-out: " + (out ? out->body : httplib::to_string(out.error())));
    settings.ConfigLevel = static_cast<uint8_t>(1 + round % 240);
    history[static_cast<size_t>(round) % history.size()].Day = 45000 + round;
    auto middle = next();
    auto in = client.Post(kRequestPath, auth, BuildLogoutRequest(user, settings, history), "text/plain");
    auto done = TClock::now();
    if (!in || in->body != kSavedReply)
      fail("check-in: " + (in ? in->body : httplib::to_string(in.error())));
    if (begin < measured)
      continue;
    result.CheckOutMs.push_back(std::chrono::duration<double, std::milli>(answered - begin).count());
    result.CheckInMs.push_back(std::chrono::duration<double, std::milli>(done - middle).count());
  }
}

double Percentile(std::vector<double> &values, double share) {
  if (values.empty())
    return 0;
  std::sort(values.begin(), values.end());
  size_t at = static_cast<size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
  return values[at];
}

} // namespace

int main(int argc, char **argv) {
  TOptions options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: profile_load --port PORT[,PORT...] [--host H] [--clients N] [--seconds S] "
                         "[--users-per-client U] [--history H] [--rate R]\n");
    return 2;
  }
  std::vector<TClientResult> results(static_cast<size_t>(options.Clients));
  std::vector<std::thread> clients;
  const auto start = TClock::now() + std::chrono::seconds(1);
  const auto end = start + std::chrono::seconds(options.Seconds);
  for (int i = 0; i < options.Clients; ++i)
    clients.emplace_back(RunClient, std::cref(options), i, start, end, std::ref(results[static_cast<size_t>(i)]));
  for (std::thread &client : clients)
    client.join();
  const double elapsed = std::chrono::duration<double>(TClock::now() - start).count();
  rusage used{};
  getrusage(RUSAGE_SELF, &used);
  const double cpu = static_cast<double>(used.ru_utime.tv_sec + used.ru_stime.tv_sec) +
                     static_cast<double>(used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e6;

  std::vector<double> checkOuts, checkIns;
  int failures = 0;
  std::string firstFailure;
  for (TClientResult &result : results) {
    checkOuts.insert(checkOuts.end(), result.CheckOutMs.begin(), result.CheckOutMs.end());
    checkIns.insert(checkIns.end(), result.CheckInMs.begin(), result.CheckInMs.end());
    if (result.Failures && firstFailure.empty())
      firstFailure = result.FirstFailure;
    failures += result.Failures;
  }
  std::printf("%d clients, %.1f s, %d history entries per profile, %s\n", options.Clients, elapsed, options.History,
              options.Rate ? ("at " + std::to_string(options.Rate) + " requests per second").c_str()
                           : "each request sent when the last is answered");
  std::printf("check-outs: %8.1f per second, median %6.2f ms, p99 %7.2f ms (%zu)\n",
              static_cast<double>(checkOuts.size()) / elapsed, Percentile(checkOuts, 0.5),
              Percentile(checkOuts, 0.99), checkOuts.size());
  std::printf("check-ins:  %8.1f per second, median %6.2f ms, p99 %7.2f ms (%zu)\n",
              static_cast<double>(checkIns.size()) / elapsed, Percentile(checkIns, 0.5),
              Percentile(checkIns, 0.99), checkIns.size());
  // Its own share of the machine, warm-up second included.
  std::printf("load generator: %.1f s of CPU in %.1f s (%.0f %% of one core)\n", cpu, elapsed + 1,
              100 * cpu / (elapsed + 1));
  if (failures) {
    std::printf("failures: %d (first: %s)\n", failures, firstFailure.c_str());
    return 1;
  }
  return 0;
}
