#include "server/ServerMetrics.h"

#include <cstdio>

namespace {

std::string Decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

void Header(std::string &out, const char *name, const char *type, const char *help) {
  out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}

} // namespace

void TServerMetrics::NoteAnswer(int httpStatus, double seconds) {
  if (httpStatus >= kFirstStatus && httpStatus < kFirstStatus + kStatusCount)
    ++answers_[static_cast<size_t>(httpStatus - kFirstStatus)];
  if (seconds < 0)
    return;
  size_t bucket = 0;
  while (bucket < kBuckets.size() && seconds > kBuckets[bucket])
    ++bucket;
  ++buckets_[bucket];
  microseconds_ += static_cast<uint64_t>(seconds * 1e6 + 0.5);
}

std::string TServerMetrics::Text(uint64_t databaseErrors) const {
  std::string out;
  Header(out, "profile_server_requests_total", "counter", "Requests answered, by HTTP status.");
  for (int i = 0; i < kStatusCount; ++i)
    if (uint64_t count = answers_[static_cast<size_t>(i)])
      out += "profile_server_requests_total{status=\"" + std::to_string(kFirstStatus + i) + "\"} " +
             std::to_string(count) + "\n";
  Header(out, "profile_server_request_duration_seconds", "histogram",
         "Time from a request's head to its answer.");
  uint64_t cumulative = 0;
  for (size_t i = 0; i <= kBuckets.size(); ++i) {
    cumulative += buckets_[i];
    out += "profile_server_request_duration_seconds_bucket{le=\"" +
           (i < kBuckets.size() ? Decimal(kBuckets[i]) : std::string("+Inf")) + "\"} " +
           std::to_string(cumulative) + "\n";
  }
  out += "profile_server_request_duration_seconds_sum " + Decimal(static_cast<double>(microseconds_) / 1e6) + "\n";
  out += "profile_server_request_duration_seconds_count " + std::to_string(cumulative) + "\n";
  Header(out, "profile_server_database_errors_total", "counter",
         "Database work that failed (each attempt, health checks included).");
  out += "profile_server_database_errors_total " + std::to_string(databaseErrors) + "\n";
  Header(out, "profile_server_connections", "gauge", "Client connections open now (served or waiting).");
  out += "profile_server_connections " + std::to_string(connections_.load()) + "\n";
  return out;
}
