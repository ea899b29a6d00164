#pragma once
// TLS on a connected socket through the system's own TLS (SChannel), so the
// protocol versions are the ones Windows offers: TLS 1.0 on Windows XP, 1.2
// on Windows 7 (once enabled for clients) and later, 1.3 on Windows 11.
// The server's certificate is checked before a byte of a request goes out:
// against a pinned SHA-256 fingerprint when there is one, otherwise against
// the authorities the computer trusts and the server's name.

#include <winsock2.h>
#include <windows.h>
#define SECURITY_WIN32
#include <security.h>
#include <subauth.h>
// The settings structure that reaches TLS 1.3 (SCH_CREDENTIALS).
#define SCHANNEL_USE_BLACKLISTS
#include <schannel.h>

#include <functional>
#include <string>

class TTlsChannel {
public:
  // Waits until the socket can be read or written or the deadline passes:
  // 1 ready, 0 not in time, -1 failed or stopped.
  using TWaitSocket = std::function<int(bool forWrite, DWORD deadline)>;
  enum : int { kClosed = 0, kFailed = -1, kTimedOut = -2 };

  TTlsChannel(SOCKET socket, TWaitSocket wait);
  ~TTlsChannel();
  TTlsChannel(const TTlsChannel &) = delete;
  TTlsChannel &operator=(const TTlsChannel &) = delete;

  // The handshake with serverName, then the certificate check; pin: 64
  // lower-case hex digits or empty. False with problem set (a reply-ready
  // reason) when the server cannot be trusted or speaks no TLS with us.
  bool Open(const std::string &serverName, const std::string &pin, DWORD deadline, std::string &problem);
  bool Send(const std::string &bytes, DWORD deadline);
  // Appends the next application bytes to out: their count, or kClosed,
  // kFailed, kTimedOut.
  int Receive(std::string &out, DWORD deadline);

private:
  bool Negotiate(DWORD deadline, std::string &problem);
  bool CheckCertificate(const std::string &serverName, const std::string &pin, std::string &problem);
  int ReadMore(DWORD deadline); // appends to incoming_: as Receive
  bool SendRaw(const char *data, size_t size, DWORD deadline);

  SOCKET socket_;
  TWaitSocket wait_;
  CredHandle credentials_{};
  CtxtHandle context_{};
  bool haveCredentials_ = false, haveContext_ = false;
  std::string serverName_;
  std::string incoming_; // received, not yet decrypted
  SecPkgContext_StreamSizes sizes_{};
};
