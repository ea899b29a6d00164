#include "protocol/HttpExchange.h"

#include "base/AnsiText.h"
#include "base/Decimal.h"
#include "protocol/TextLines.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr size_t kMaxChunkLine = 1024;

bool IsTokenChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

// Without the characters that would break a header line.
std::string HeaderSafe(const std::string &text) {
  std::string out;
  for (char c : text)
    if (static_cast<unsigned char>(c) > ' ' && c != 0x7F)
      out += c;
  return out;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return text;
}

// Position just after the blank line that ends the head, or npos.
size_t HeadEnd(const std::string &bytes, size_t &separator) {
  size_t crlf = bytes.find("\r\n\r\n");
  size_t lf = bytes.find("\n\n");
  if (crlf != std::string::npos && (lf == std::string::npos || crlf < lf)) {
    separator = 4;
    return crlf;
  }
  separator = 2;
  return lf;
}

bool ParseHexSize(const std::string &text, uint64_t &size) {
  if (text.empty() || text.size() > 15)
    return false;
  size = 0;
  for (char c : text) {
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
    if (digit < 0)
      return false;
    size = size * 16 + static_cast<uint64_t>(digit);
  }
  return true;
}

} // namespace

bool IsWellFormedToken(const std::string &token) {
  return token.size() >= kTokenMinLength && token.size() <= kTokenMaxLength &&
         std::all_of(token.begin(), token.end(), IsTokenChar);
}

std::string BuildRequestMessage(const std::string &hostHeader, const std::string &token,
                                const std::string &requestText, const std::string &enrolmentCode) {
  std::string message = std::string("POST ") + kRequestPath + " HTTP/1.1\r\nHost: " +
                        HeaderSafe(hostHeader) + "\r\n";
  if (!token.empty())
    message += "Authorization: Bearer " + HeaderSafe(token) + "\r\n";
  if (!enrolmentCode.empty())
    message += std::string(kEnrolmentCodeHeader) + ": " + HeaderSafe(enrolmentCode) + "\r\n";
  message += "Content-Type: text/plain\r\nContent-Length: " + std::to_string(requestText.size()) +
             "\r\nConnection: keep-alive\r\n\r\n";
  return message + requestText;
}

THttpResponseReader::TState THttpResponseReader::Fail(const std::string &problem) {
  problem_ = problem;
  pending_.clear();
  return state_ = TState::Malformed;
}

bool THttpResponseReader::ReadHead(const std::string &head) {
  std::vector<std::string> lines = SplitLines(head);
  const std::string status = lines.empty() ? "" : lines[0];
  // "HTTP/1.x nnn[ reason]"
  int64_t code = 0;
  if (status.size() < 12 || status.compare(0, 7, "HTTP/1.") != 0 || status[8] != ' ' ||
      (status.size() > 12 && status[12] != ' ') ||
      !ParseDecimal(status.substr(9, 3), 100, 599, code)) {
    Fail("the status line is not HTTP/1.x");
    return false;
  }
  status_ = static_cast<int>(code);
  keepAlive_ = status[7] != '0';
  bool chunked = false;
  std::optional<uint64_t> length;
  for (size_t i = 1; i < lines.size(); ++i) {
    size_t colon = lines[i].find(':');
    if (colon == std::string::npos || colon == 0) {
      Fail("a header line without a name");
      return false;
    }
    std::string name = Lower(lines[i].substr(0, colon));
    std::string value = TrimChars(lines[i].substr(colon + 1), " \t");
    if (name == "content-length") {
      int64_t n;
      if (!ParseDecimal(value, 0, INT64_MAX, n) || value[0] == '+' || value[0] == '-') {
        Fail("a Content-Length that is not a number");
        return false;
      }
      if (length && *length != static_cast<uint64_t>(n)) {
        Fail("two different Content-Length headers");
        return false;
      }
      length = static_cast<uint64_t>(n);
    } else if (name == "transfer-encoding") {
      std::string codings = Lower(value);
      chunked = codings.size() >= 7 && codings.compare(codings.size() - 7, 7, "chunked") == 0;
    } else if (name == "connection") {
      std::string tokens = "," + Lower(value) + ",";
      tokens.erase(std::remove(tokens.begin(), tokens.end(), ' '), tokens.end());
      if (tokens.find(",close,") != std::string::npos)
        keepAlive_ = false;
      else if (tokens.find(",keep-alive,") != std::string::npos)
        keepAlive_ = true;
    }
  }
  if (status_ < 200) { // interim: the real response follows
    phase_ = TPhase::Head;
    return true;
  }
  if (status_ == 204 || status_ == 304 || (!chunked && length && *length == 0)) {
    state_ = TState::Complete;
    return true;
  }
  if (chunked) {
    phase_ = TPhase::ChunkSize;
  } else if (length) {
    if (*length > kMaxBodyBytes) {
      Fail("a body larger than 1 MiB");
      return false;
    }
    remaining_ = *length;
    phase_ = TPhase::LengthBody;
  } else {
    phase_ = TPhase::UntilEnd;
    keepAlive_ = false;
  }
  return true;
}

THttpResponseReader::TState THttpResponseReader::Step() {
  for (;;) {
    switch (phase_) {
    case TPhase::Head: {
      size_t separator = 0;
      size_t end = HeadEnd(pending_, separator);
      if (end == std::string::npos)
        return pending_.size() > kMaxHeadBytes ? Fail("a head longer than 16 KiB") : state_;
      if (end > kMaxHeadBytes)
        return Fail("a head longer than 16 KiB");
      std::string head = pending_.substr(0, end);
      pending_.erase(0, end + separator);
      if (!ReadHead(head) || state_ != TState::Incomplete)
        return state_;
      break;
    }
    case TPhase::LengthBody:
    case TPhase::ChunkData: {
      size_t take = static_cast<size_t>(std::min<uint64_t>(remaining_, pending_.size()));
      body_.append(pending_, 0, take);
      pending_.erase(0, take);
      remaining_ -= take;
      if (remaining_ > 0)
        return state_;
      if (phase_ == TPhase::LengthBody)
        return state_ = TState::Complete;
      phase_ = TPhase::ChunkEnd;
      break;
    }
    case TPhase::ChunkSize: {
      size_t newline = pending_.find('\n');
      if (newline == std::string::npos)
        return pending_.size() > kMaxChunkLine ? Fail("a chunk size line that does not end") : state_;
      std::string line = pending_.substr(0, newline);
      pending_.erase(0, newline + 1);
      line = TrimChars(line.substr(0, line.find(';')), " \t\r");
      uint64_t size = 0;
      if (!ParseHexSize(line, size))
        return Fail("a chunk size that is not a hexadecimal number");
      if (size > kMaxBodyBytes - body_.size())
        return Fail("a body larger than 1 MiB");
      remaining_ = size;
      phase_ = size == 0 ? TPhase::Trailer : TPhase::ChunkData;
      break;
    }
    case TPhase::ChunkEnd: {
      if (pending_.empty() || (pending_[0] == '\r' && pending_.size() < 2))
        return state_;
      size_t used = pending_[0] == '\n' ? 1 : pending_.compare(0, 2, "\r\n") == 0 ? 2 : 0;
      if (used == 0)
        return Fail("a chunk that does not end with a line break");
      pending_.erase(0, used);
      phase_ = TPhase::ChunkSize;
      break;
    }
    case TPhase::Trailer: {
      size_t newline = pending_.find('\n');
      if (newline == std::string::npos)
        return pending_.size() > kMaxHeadBytes ? Fail("a trailer that does not end") : state_;
      bool blank = newline == 0 || (newline == 1 && pending_[0] == '\r');
      pending_.erase(0, newline + 1);
      if (blank)
        return state_ = TState::Complete;
      break;
    }
    case TPhase::UntilEnd:
      if (body_.size() + pending_.size() > kMaxBodyBytes)
        return Fail("a body larger than 1 MiB");
      body_ += pending_;
      pending_.clear();
      return state_;
    }
  }
}

THttpResponseReader::TState THttpResponseReader::Feed(const char *data, size_t size) {
  if (state_ != TState::Incomplete)
    return state_;
  if (size > 0)
    started_ = true;
  pending_.append(data, size);
  return Step();
}

THttpResponseReader::TState THttpResponseReader::FinishAtEnd() {
  if (state_ != TState::Incomplete)
    return state_;
  if (phase_ == TPhase::UntilEnd)
    return state_ = TState::Complete;
  return Fail("the connection ended before the response was complete");
}
