#pragma once
// HTTP/1.1 as the client library speaks it to the profile server: one POST of
// the request text to kRequestPath with the user's bearer token, answered by
// a reply text in the body, on a connection kept open between requests. The
// framing lives here, portable, so that it is tested and fuzzed once and the
// library itself only moves bytes.

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr char kRequestPath[] = "/movaro/request";
inline constexpr int32_t kDefaultServerPort = 1684;

// Bearer tokens: 32 to 128 characters from A-Z, a-z, 0-9, "-", ".", "_", "~".
inline constexpr size_t kTokenMinLength = 32, kTokenMaxLength = 128;
bool IsWellFormedToken(const std::string &token);

// Enrolment codes (protocol/Requests.h) are sent once in this header, with
// the first request of a computer's token.
inline constexpr char kEnrolmentCodeHeader[] = "Movaro-Enrolment-Code";

// The bytes of one POST of requestText; hostHeader is "host:port". With an
// enrolment code (normalized) the request carries it.
std::string BuildRequestMessage(const std::string &hostHeader, const std::string &token,
                                const std::string &requestText, const std::string &enrolmentCode = "");

// Reads one response from the bytes as they arrive. Interim (1xx) responses
// are skipped; the body may be sized by Content-Length, chunked, or run to
// the end of the connection.
class THttpResponseReader {
public:
  enum class TState { Incomplete, Complete, Malformed };
  static constexpr size_t kMaxHeadBytes = 16 * 1024;
  static constexpr size_t kMaxBodyBytes = 1024 * 1024;

  // Takes the next bytes received; bytes after a complete response are left
  // unread.
  TState Feed(const char *data, size_t size);
  // The connection has ended: completes a body that runs to the end, and makes
  // anything else unfinished malformed.
  TState FinishAtEnd();

  TState State() const { return state_; }
  bool Started() const { return started_; }
  int Status() const { return status_; }
  const std::string &Body() const { return body_; }
  // True when the connection may carry the next request.
  bool KeepAlive() const { return keepAlive_; }
  // Why the response is malformed.
  const std::string &Problem() const { return problem_; }

private:
  enum class TPhase { Head, LengthBody, ChunkSize, ChunkData, ChunkEnd, Trailer, UntilEnd };
  TState Fail(const std::string &problem);
  bool ReadHead(const std::string &head);
  TState Step();

  TState state_ = TState::Incomplete;
  TPhase phase_ = TPhase::Head;
  bool started_ = false;
  std::string pending_;
  std::string body_;
  std::string problem_;
  int status_ = 0;
  bool keepAlive_ = true;
  uint64_t remaining_ = 0;
};
