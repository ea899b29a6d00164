#pragma once
// Where the client library finds the profile server, read from the profile's
// server address and host: a name or an address, optionally written as
// "https://name" for a TLS connection ("http://name" is the same as "name").
// The port stays in its own field.

#include <string>
#include <vector>

struct TServerEndpoint {
  // The names tried in order (address, then host), without scheme.
  std::vector<std::string> Names;
  // TLS for every name when either field asks for it: a connection never
  // falls back to plain HTTP once one of them names HTTPS.
  bool Secure = false;
};

TServerEndpoint ServerEndpoint(const std::string &address, const std::string &host);

// A pinned certificate fingerprint as an administrator writes it: 64
// hexadecimal digits, optionally grouped by colons or spaces (as openssl and
// certificate viewers print them). The 64 lower-case digits, or empty when the
// text is not one.
std::string NormalizedCertificatePin(const std::string &text);

// A SHA-256 fingerprint as the log and error texts show it: upper-case pairs
// joined by colons, the form openssl prints.
std::string FingerprintText(const std::string &lowerHexDigits);
