#include "protocol/ServerAddress.h"

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool StartsWithNoCase(const std::string &text, const char *prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i)
    if (i >= text.size() || Lower(text[i]) != prefix[i])
      return false;
  return true;
}

std::string Trimmed(const std::string &text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos)
    return "";
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

// The name without scheme and trailing slashes; secure set for "https://".
std::string NameOf(const std::string &field, bool &secure) {
  std::string name = Trimmed(field);
  if (StartsWithNoCase(name, "https://")) {
    secure = true;
    name.erase(0, 8);
  } else if (StartsWithNoCase(name, "http://")) {
    name.erase(0, 7);
  }
  while (!name.empty() && name.back() == '/')
    name.pop_back();
  return name;
}

} // namespace

TServerEndpoint ServerEndpoint(const std::string &address, const std::string &host) {
  TServerEndpoint endpoint;
  for (const std::string &field : {address, host}) {
    std::string name = NameOf(field, endpoint.Secure);
    if (!name.empty() && (endpoint.Names.empty() || endpoint.Names[0] != name))
      endpoint.Names.push_back(name);
  }
  return endpoint;
}

std::string NormalizedCertificatePin(const std::string &text) {
  std::string digits;
  for (char c : text) {
    c = Lower(c);
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))
      digits += c;
    else if (c != ':' && c != ' ' && c != '\t')
      return "";
  }
  return digits.size() == 64 ? digits : "";
}

std::string FingerprintText(const std::string &lowerHexDigits) {
  std::string text;
  for (size_t i = 0; i < lowerHexDigits.size(); ++i) {
    if (i > 0 && i % 2 == 0)
      text += ':';
    char c = lowerHexDigits[i];
    text += c >= 'a' && c <= 'f' ? static_cast<char>(c - 32) : c;
  }
  return text;
}
