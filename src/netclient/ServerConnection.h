#pragma once
// The connection to the profile server: one TCP connection, kept open for
// HTTP/1.1 requests by a thread of its own, which opens it again when it
// drops; with TLS (TlsChannel) when secure. Requests come from any thread;
// each waits for its own answer.

#include <winsock2.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class TTlsChannel;

// How the connection is secured: TLS or plain HTTP; the pinned certificate's
// fingerprint (64 lower-case hex digits, empty: the computer's authorities);
// Refusal: a reason to refuse every request without connecting (a pin that
// cannot be read).
struct TConnectionSecurity {
  bool Tls = false;
  std::string Pin;
  std::string Refusal;
};

class TServerConnection {
public:
  // Starts the thread; null when it cannot start. The caller holds one
  // reference. servers: names or addresses tried in order.
  static TServerConnection *Start(const std::vector<std::string> &servers, int port,
                                  const TConnectionSecurity &security);

  void AddRef();
  void Release();

  bool Connected() const { return connected_ != 0; }
  // Sends the bytes of one HTTP request and waits until the deadline for the
  // answer. reply: the answer's body when it is a reply text, otherwise
  // "Status=Error: " and why there is none. True when the server answered
  // with HTTP status 200.
  bool Exchange(const std::string &message, DWORD timeoutMs, std::string &reply);
  // With TLS, Connected turns true also when the server was reached but its
  // certificate refused: every request is then answered at once, without
  // sending anything, by "Status=Error: " and the reason.
  // Ends the thread (waiting for it) and the connection.
  void Stop();

private:
  struct TJob {
    std::string Message;
    DWORD Deadline = 0;
    DWORD TimeoutMs = 0;
    unsigned Serial = 0;
    bool Pending = false;
    bool Answered = false;
    std::string Reply;
  };

  TServerConnection(const std::vector<std::string> &servers, int port, const TConnectionSecurity &security);
  ~TServerConnection();
  static DWORD WINAPI ThreadMain(LPVOID self);
  void Run();
  void RunJob(TJob &job);
  bool Connect(DWORD deadline);
  void Disconnect();
  void CheckIdleConnection();
  // Waits until the socket can be read or written, the deadline passes or a
  // stop is asked for. 1: ready, 0: not in time, -1: the socket failed.
  int WaitSocket(bool forWrite, DWORD deadline);
  bool SendAll(const std::string &bytes, DWORD deadline);
  // Appends received bytes: their count, 0 at the connection's end, -1 when
  // it failed, -2 when the deadline passed.
  int ReceiveSome(std::string &bytes, DWORD deadline);
  std::string ServerName() const;

  const std::vector<std::string> servers_;
  const int port_;
  const TConnectionSecurity security_;
  volatile LONG references_ = 1;
  volatile LONG connected_ = 0;
  volatile LONG stop_ = 0;
  HANDLE thread_ = nullptr;
  HANDLE wake_ = nullptr;     // a job or a stop for the thread
  HANDLE jobDone_ = nullptr;  // the thread finished the current job
  CRITICAL_SECTION jobLock_;  // job_ between the caller and the thread
  CRITICAL_SECTION postLock_; // one exchange at a time
  TJob job_;
  unsigned serial_ = 0;
  // Owned by the thread.
  SOCKET socket_ = INVALID_SOCKET;
  bool socketServed_ = false; // has carried an exchange: the server may close it idle
  DWORD lastAttempt_ = 0;
  std::unique_ptr<TTlsChannel> tls_; // on socket_ when secure
  std::string refusal_;              // why the server cannot be trusted
};
