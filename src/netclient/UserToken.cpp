#include "netclient/UserToken.h"

#include "protocol/HttpExchange.h"
#include "protocol/ServerAddress.h"

#include <windows.h>
#include <wincrypt.h>

namespace {

constexpr DWORD kTokenBytes = 32;

std::string ServerKey(const std::string &server) {
  std::string name;
  for (char c : server) // a key name cannot hold a backslash
    name += c == '\\' ? '_' : static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return std::string(kTokenKey) + "\\" + name;
}

std::string ReadToken(const std::string &key, const std::string &user) {
  HKEY handle;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
    return "";
  char value[kTokenMaxLength + 1] = {};
  DWORD type = 0, size = sizeof value - 1;
  LONG result = RegQueryValueExA(handle, user.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(value), &size);
  RegCloseKey(handle);
  if (result != ERROR_SUCCESS || type != REG_SZ)
    return "";
  std::string token(value, size);
  while (!token.empty() && token.back() == '\0')
    token.pop_back();
  return IsWellFormedToken(token) ? token : "";
}

bool NewToken(std::string &token) {
  HCRYPTPROV provider;
  if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
    return false;
  BYTE bytes[kTokenBytes];
  bool made = CryptGenRandom(provider, kTokenBytes, bytes) != FALSE;
  CryptReleaseContext(provider, 0);
  static const char kHex[] = "0123456789abcdef";
  token.clear();
  for (BYTE b : bytes) {
    token += kHex[b >> 4];
    token += kHex[b & 15];
  }
  return made;
}

bool WriteToken(const std::string &key, const std::string &user, const std::string &token) {
  HKEY handle;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                      nullptr) != ERROR_SUCCESS)
    return false;
  LONG result = RegSetValueExA(handle, user.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(token.c_str()),
                               static_cast<DWORD>(token.size() + 1));
  RegCloseKey(handle);
  return result == ERROR_SUCCESS;
}

} // namespace

bool UserToken(const std::string &server, const std::string &user, std::string &token, std::string &problem) {
  const std::string key = ServerKey(server);
  token = ReadToken(key, user);
  if (!token.empty())
    return true;
  if (!NewToken(token)) {
    problem = "the client library cannot create a token (no random numbers)";
    return false;
  }
  if (!WriteToken(key, user, token) || ReadToken(key, user) != token) {
    problem = "the client library cannot keep its token in the registry";
    return false;
  }
  return true;
}

bool PinnedCertificate(const std::string &server, std::string &pin, std::string &problem) {
  pin.clear();
  HKEY handle;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ServerKey(server).c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
    return true;
  char value[256] = {};
  DWORD type = 0, size = sizeof value - 1;
  LONG result = RegQueryValueExA(handle, kPinValue, nullptr, &type, reinterpret_cast<BYTE *>(value), &size);
  RegCloseKey(handle);
  if (result == ERROR_FILE_NOT_FOUND)
    return true;
  pin = result == ERROR_SUCCESS && type == REG_SZ ? NormalizedCertificatePin(std::string(value)) : "";
  if (pin.empty())
    problem = std::string("the certificate fingerprint pinned for ") + server +
              " is not 64 hexadecimal digits (registry value " + kPinValue + ")";
  return !pin.empty();
}
