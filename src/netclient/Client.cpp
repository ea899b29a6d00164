// MVRClient.dll: the four entry points of the network client library
// (MVRClient.h). The connection runs on its own thread (ServerConnection);
// Post hands the reply to the caller's callback on the caller's thread.
#include "netclient/MVRClient.h"

#include "netclient/ServerConnection.h"
#include "netclient/UserToken.h"
#include "protocol/HttpExchange.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"
#include "protocol/ServerAddress.h"

#include <string>
#include <vector>

namespace {

CRITICAL_SECTION g_lock; // the service below, between the entry points
TServerConnection *g_connection = nullptr;
TMVRReplyCallback g_callback = nullptr;
std::string g_hostHeader; // "name:port" of the Host header
std::string g_serverName; // "name:port" under which the tokens are kept

// The open service as one reference the caller releases.
TServerConnection *CurrentConnection(TMVRReplyCallback &callback, std::string &hostHeader,
                                     std::string &serverName) {
  EnterCriticalSection(&g_lock);
  TServerConnection *connection = g_connection;
  if (connection) {
    connection->AddRef();
    callback = g_callback;
    hostHeader = g_hostHeader;
    serverName = g_serverName;
  }
  LeaveCriticalSection(&g_lock);
  return connection;
}

void CloseService() {
  EnterCriticalSection(&g_lock);
  TServerConnection *connection = g_connection;
  g_connection = nullptr;
  g_callback = nullptr;
  LeaveCriticalSection(&g_lock);
  if (connection) {
    connection->Stop();
    connection->Release();
  }
}

// Texts from the caller: null reads as empty.
std::string Text(const char *text) { return text ? text : ""; }

} // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH)
    InitializeCriticalSection(&g_lock);
  else if (reason == DLL_PROCESS_DETACH)
    DeleteCriticalSection(&g_lock);
  return TRUE;
}

extern "C" {

__declspec(dllexport) BOOLEAN WINAPI OpenMVRNetService(const char *address, const char *host, INT32 port,
                                                       TMVRReplyCallback callback) {
  try {
    const TServerEndpoint endpoint = ServerEndpoint(Text(address), Text(host));
    const std::vector<std::string> &servers = endpoint.Names;
    if (servers.empty() || port < 1 || port > 65535 || !callback)
      return FALSE;
    CloseService();
    const std::string portText = ":" + std::to_string(port);
    const std::string serverName = servers[0] + portText;
    TConnectionSecurity security;
    security.Tls = endpoint.Secure;
    if (security.Tls)
      PinnedCertificate(serverName, security.Pin, security.Refusal);
    TServerConnection *connection = TServerConnection::Start(servers, port, security);
    if (!connection)
      return FALSE;
    const std::vector<std::string> hostNames = ServerEndpoint(Text(host), "").Names;
    const std::string hostName = hostNames.empty() ? servers[0] : hostNames[0];
    EnterCriticalSection(&g_lock);
    g_connection = connection;
    g_callback = callback;
    g_hostHeader = hostName + portText;
    g_serverName = serverName;
    LeaveCriticalSection(&g_lock);
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

__declspec(dllexport) BOOLEAN WINAPI Connected() {
  EnterCriticalSection(&g_lock);
  bool connected = g_connection && g_connection->Connected();
  LeaveCriticalSection(&g_lock);
  return connected;
}

__declspec(dllexport) BOOLEAN WINAPI Post(const char *request) {
  if (!request)
    return FALSE;
  TMVRReplyCallback callback = nullptr;
  std::string hostHeader, serverName;
  TServerConnection *connection = CurrentConnection(callback, hostHeader, serverName);
  if (!connection)
    return FALSE;
  bool answered = false;
  std::string reply;
  try {
    // An enrolment code the caller put into the text goes in the header, with
    // this one request only.
    std::string text = request;
    const std::string code = TakeEnrolmentCode(text);
    TRequest parsed;
    std::string problem, token;
    // A request without a user name goes without a token: the server answers
    // what is wrong with it.
    if (ParseRequest(text, parsed, problem) && !UserToken(serverName, parsed.UserName, token, problem))
      reply = ErrorReply(problem);
    else
      answered = connection->Exchange(BuildRequestMessage(hostHeader, token, text, code), kReplyTimeoutMs, reply);
  } catch (...) {
    reply = ErrorReply("the client library ran out of memory");
    answered = false;
  }
  // The callback may close the service: this call's reference keeps the
  // connection alive until it returns.
  callback(reply.c_str());
  connection->Release();
  return answered;
}

__declspec(dllexport) BOOLEAN WINAPI CloseMVRNetService() {
  CloseService();
  return TRUE;
}

} // extern "C"
