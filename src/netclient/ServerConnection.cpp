#include "netclient/ServerConnection.h"

#include "netclient/TlsChannel.h"

#include "protocol/HttpExchange.h"
#include "protocol/Replies.h"

#include <ws2tcpip.h>

#include <algorithm>

namespace {

constexpr DWORD kConnectTimeoutMs = 3000;
constexpr DWORD kRetryMs = 1000;     // between attempts to connect while idle
constexpr DWORD kIdleCheckMs = 500;  // how soon a connection the server closed is noticed
constexpr DWORD kSliceMs = 200;      // how soon a waiting socket notices a stop
constexpr DWORD kGraceMs = 1000;     // the thread's own deadline may pass a little late

// Milliseconds until deadline, negative once it has passed (tick counts wrap).
LONG Remaining(DWORD deadline) { return static_cast<LONG>(deadline - GetTickCount()); }

// What a new thread is given: its connection and the reference to this
// library it holds while it runs.
struct TStartup {
  TServerConnection *Connection;
  HMODULE Module;
};

std::string NoReplyText(DWORD timeoutMs) {
  return ErrorReply("no reply from the profile server within " + std::to_string(timeoutMs / 1000) +
                    " seconds");
}

struct TWinsock {
  bool Ready;
  TWinsock() {
    WSADATA data;
    Ready = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
};

} // namespace

TServerConnection *TServerConnection::Start(const std::vector<std::string> &servers, int port,
                                            const TConnectionSecurity &security) {
  TServerConnection *connection = new TServerConnection(servers, port, security);
  // The thread keeps the library loaded while it runs, and a reference.
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&ThreadMain),
                     &module);
  connection->AddRef();
  TStartup *startup = new TStartup{connection, module};
  connection->thread_ = CreateThread(nullptr, 0, ThreadMain, startup, 0, nullptr);
  if (!connection->thread_ || !connection->wake_ || !connection->jobDone_) {
    if (connection->thread_) { // it found no event to wait on: let it end at once
      connection->Stop();
    } else {
      delete startup;
      if (module)
        FreeLibrary(module);
      connection->Release();
    }
    connection->Release();
    return nullptr;
  }
  return connection;
}

TServerConnection::TServerConnection(const std::vector<std::string> &servers, int port,
                                     const TConnectionSecurity &security)
    : servers_(servers), port_(port), security_(security), refusal_(security.Refusal) {
  static TWinsock winsock; // once per process; the system ends it with the process
  InitializeCriticalSection(&jobLock_);
  InitializeCriticalSection(&postLock_);
  wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  jobDone_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!winsock.Ready)
    stop_ = 1;
  if (!refusal_.empty())
    connected_ = 1;
}

TServerConnection::~TServerConnection() {
  if (thread_)
    CloseHandle(thread_);
  if (wake_)
    CloseHandle(wake_);
  if (jobDone_)
    CloseHandle(jobDone_);
  DeleteCriticalSection(&jobLock_);
  DeleteCriticalSection(&postLock_);
}

void TServerConnection::AddRef() { InterlockedIncrement(&references_); }

void TServerConnection::Release() {
  if (InterlockedDecrement(&references_) == 0)
    delete this;
}

DWORD WINAPI TServerConnection::ThreadMain(LPVOID parameter) {
  TStartup startup = *static_cast<TStartup *>(parameter);
  delete static_cast<TStartup *>(parameter);
  startup.Connection->Run();
  startup.Connection->Release();
  if (startup.Module)
    FreeLibraryAndExitThread(startup.Module, 0);
  return 0;
}

void TServerConnection::Stop() {
  InterlockedExchange(&stop_, 1);
  if (wake_)
    SetEvent(wake_);
  // A thread caught in a name look-up may take longer; it holds its own
  // reference and ends on its own then.
  if (thread_)
    WaitForSingleObject(thread_, 10000);
}

std::string TServerConnection::ServerName() const {
  return (servers_.empty() ? std::string() : servers_[0]) + ":" + std::to_string(port_);
}

void TServerConnection::Run() {
  bool attempted = false;
  while (!stop_ && wake_ && jobDone_) {
    TJob job;
    EnterCriticalSection(&jobLock_);
    if (job_.Pending)
      job = job_;
    LeaveCriticalSection(&jobLock_);
    if (job.Pending) {
      RunJob(job);
      EnterCriticalSection(&jobLock_);
      if (job_.Pending && job_.Serial == job.Serial) { // not given up by the caller
        job_.Pending = false;
        job_.Reply = job.Reply;
        job_.Answered = job.Answered;
        SetEvent(jobDone_);
      }
      LeaveCriticalSection(&jobLock_);
      continue;
    }
    if (socket_ != INVALID_SOCKET) {
      CheckIdleConnection();
    } else if (refusal_.empty() && (!attempted || GetTickCount() - lastAttempt_ >= kRetryMs)) {
      attempted = true;
      lastAttempt_ = GetTickCount();
      Connect(lastAttempt_ + kConnectTimeoutMs);
    }
    WaitForSingleObject(wake_, socket_ != INVALID_SOCKET ? kIdleCheckMs : kRetryMs);
  }
  Disconnect();
}

int TServerConnection::WaitSocket(bool forWrite, DWORD deadline) {
  for (;;) {
    if (stop_)
      return -1;
    LONG left = Remaining(deadline);
    if (left <= 0)
      return 0;
    DWORD slice = std::min<DWORD>(static_cast<DWORD>(left), kSliceMs);
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(socket_, &ready);
    FD_SET(socket_, &failed);
    timeval wait{static_cast<long>(slice / 1000), static_cast<long>(slice % 1000 * 1000)};
    int result = select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, &failed, &wait);
    if (result == SOCKET_ERROR || FD_ISSET(socket_, &failed))
      return -1;
    if (result > 0)
      return 1;
  }
}

bool TServerConnection::Connect(DWORD deadline) {
  const std::string port = std::to_string(port_);
  for (const std::string &server : servers_) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo *addresses = nullptr;
    if (getaddrinfo(server.c_str(), port.c_str(), &hints, &addresses) != 0)
      continue;
    for (addrinfo *address = addresses; address && !stop_; address = address->ai_next) {
      socket_ = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
      if (socket_ == INVALID_SOCKET)
        continue;
      // Connect without blocking, so that an address that does not answer
      // costs at most the time left.
      u_long nonBlocking = 1;
      ioctlsocket(socket_, FIONBIO, &nonBlocking);
      bool connected = connect(socket_, address->ai_addr, static_cast<int>(address->ai_addrlen)) == 0;
      if (!connected && WSAGetLastError() == WSAEWOULDBLOCK) {
        DWORD until = Remaining(deadline) < static_cast<LONG>(kConnectTimeoutMs)
                          ? deadline
                          : GetTickCount() + kConnectTimeoutMs;
        int error = 0, size = sizeof error;
        connected = WaitSocket(true, until) == 1 &&
                    getsockopt(socket_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&error), &size) == 0 &&
                    error == 0;
      }
      if (connected) {
        nonBlocking = 0;
        ioctlsocket(socket_, FIONBIO, &nonBlocking);
        BOOL noDelay = TRUE;
        setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&noDelay), sizeof noDelay);
        socketServed_ = false;
        if (security_.Tls) {
          // No request goes out before the server's certificate is accepted.
          tls_ = std::make_unique<TTlsChannel>(
              socket_, [this](bool forWrite, DWORD until) { return WaitSocket(forWrite, until); });
          std::string problem;
          if (!tls_->Open(server, security_.Pin, Remaining(deadline) > 0 ? deadline : GetTickCount() + kConnectTimeoutMs,
                          problem)) {
            Disconnect();
            refusal_ = problem;
            // Reached, but refused: the next request learns why.
            InterlockedExchange(&connected_, 1);
            freeaddrinfo(addresses);
            return false;
          }
        }
        InterlockedExchange(&connected_, 1);
        freeaddrinfo(addresses);
        return true;
      }
      closesocket(socket_);
      socket_ = INVALID_SOCKET;
    }
    freeaddrinfo(addresses);
  }
  return false;
}

void TServerConnection::Disconnect() {
  tls_.reset();
  if (socket_ != INVALID_SOCKET) {
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }
  InterlockedExchange(&connected_, 0);
}

void TServerConnection::CheckIdleConnection() {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(socket_, &readable);
  timeval now{0, 0};
  if (select(0, &readable, nullptr, nullptr, &now) == 0)
    return;
  // TLS servers send records of their own after the handshake (session
  // tickets): the connection stays when nothing else came.
  std::string bytes;
  if (tls_ && tls_->Receive(bytes, GetTickCount() + kIdleCheckMs / 5) == TTlsChannel::kTimedOut)
    return;
  // Readable while idle: the server closed the connection, or sent bytes
  // nobody asked for. Either way it cannot carry the next request.
  Disconnect();
}

bool TServerConnection::SendAll(const std::string &bytes, DWORD deadline) {
  if (tls_)
    return tls_->Send(bytes, deadline);
  size_t sent = 0;
  while (sent < bytes.size()) {
    if (WaitSocket(true, deadline) != 1)
      return false;
    int put = send(socket_, bytes.data() + sent, static_cast<int>(std::min<size_t>(bytes.size() - sent, 65536)), 0);
    if (put <= 0)
      return false;
    sent += static_cast<size_t>(put);
  }
  return true;
}

int TServerConnection::ReceiveSome(std::string &bytes, DWORD deadline) {
  if (tls_)
    return tls_->Receive(bytes, deadline);
  int ready = WaitSocket(false, deadline);
  if (ready <= 0)
    return ready == 0 ? -2 : -1;
  char buffer[4096];
  int got = recv(socket_, buffer, sizeof buffer, 0);
  if (got > 0)
    bytes.append(buffer, static_cast<size_t>(got));
  return got < 0 ? -1 : got;
}

void TServerConnection::RunJob(TJob &job) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (refusal_.empty() && socket_ == INVALID_SOCKET)
      Connect(job.Deadline);
    if (!refusal_.empty()) {
      job.Reply = ErrorReply(refusal_);
      return;
    }
    if (socket_ == INVALID_SOCKET) {
      job.Reply = ErrorReply("the profile server cannot be reached at " + ServerName());
      return;
    }
    // A connection that has carried a request may have been closed by the
    // server meanwhile: when it fails before any answer, one new connection
    // is tried.
    const bool mayRetry = socketServed_ && attempt == 0;
    socketServed_ = true;
    if (!SendAll(job.Message, job.Deadline)) {
      Disconnect();
      if (mayRetry)
        continue;
      job.Reply = ErrorReply("the connection to the profile server was lost");
      return;
    }
    THttpResponseReader reader;
    bool retry = false;
    while (reader.State() == THttpResponseReader::TState::Incomplete) {
      std::string bytes;
      int got = ReceiveSome(bytes, job.Deadline);
      if (got == -2) {
        Disconnect();
        job.Reply = NoReplyText(job.TimeoutMs);
        return;
      }
      if (got > 0) {
        reader.Feed(bytes.data(), bytes.size());
        continue;
      }
      if (got == 0)
        reader.FinishAtEnd();
      Disconnect();
      if (reader.State() == THttpResponseReader::TState::Complete)
        break;
      retry = mayRetry && !reader.Started();
      if (!retry) {
        job.Reply = ErrorReply("the connection to the profile server was lost");
        return;
      }
      break;
    }
    if (retry)
      continue;
    if (reader.State() == THttpResponseReader::TState::Malformed) {
      Disconnect();
      job.Reply = ErrorReply("the profile server's answer is not HTTP (" + reader.Problem() + ")");
      return;
    }
    if (!reader.KeepAlive())
      Disconnect();
    const bool replyText = ClassifyReply(reader.Body()) != TReplyKind::Other;
    job.Reply = replyText ? reader.Body()
                          : ErrorReply("the profile server answered HTTP " + std::to_string(reader.Status()));
    job.Answered = replyText && reader.Status() == 200;
    return;
  }
}

bool TServerConnection::Exchange(const std::string &message, DWORD timeoutMs, std::string &reply) {
  if (stop_ || !wake_ || !jobDone_) {
    reply = ErrorReply("the connection to the profile server has been closed");
    return false;
  }
  EnterCriticalSection(&postLock_);
  EnterCriticalSection(&jobLock_);
  job_ = TJob();
  job_.Message = message;
  job_.Deadline = GetTickCount() + timeoutMs;
  job_.TimeoutMs = timeoutMs;
  job_.Serial = ++serial_;
  job_.Pending = true;
  ResetEvent(jobDone_);
  LeaveCriticalSection(&jobLock_);
  SetEvent(wake_);
  DWORD waited = WaitForSingleObject(jobDone_, timeoutMs + kGraceMs);
  bool answered = false;
  EnterCriticalSection(&jobLock_);
  if (waited == WAIT_OBJECT_0 && !job_.Pending) {
    reply = job_.Reply;
    answered = job_.Answered;
  } else {
    job_.Pending = false; // the thread drops its answer when it comes
    reply = NoReplyText(timeoutMs);
  }
  LeaveCriticalSection(&jobLock_);
  LeaveCriticalSection(&postLock_);
  return answered;
}
