#include "platform/headless/HeadlessNetClientLibrary.h"

bool THeadlessNetClientLibrary::Load() {
  if (!FilePresent || !Loadable)
    return false;
  ++Loads;
  loaded_ = true;
  return true;
}

bool THeadlessNetClientLibrary::Open(const std::string &address, const std::string &host,
                                     int32_t port, TReplyHandler onReply) {
  if (!HasEntryPoints())
    return false;
  ++Opens;
  OpenedAddress = address;
  OpenedHost = host;
  OpenedPort = port;
  if (!OpenAccepts)
    return false;
  open_ = true;
  connectedCalls_ = 0;
  onReply_ = std::move(onReply);
  return true;
}

bool THeadlessNetClientLibrary::Connected() {
  if (!open_ || ConnectAfterCalls < 0)
    return false;
  return connectedCalls_++ >= ConnectAfterCalls;
}

bool THeadlessNetClientLibrary::Post(const std::string &request) {
  if (!open_)
    return false;
  Posted.push_back(request);
  std::string reply = Server ? Server(request) : "";
  if (!reply.empty())
    Deliver(reply);
  return PostAnswers && !reply.empty();
}

void THeadlessNetClientLibrary::Deliver(const std::string &reply) {
  if (onReply_)
    onReply_(reply);
}

void THeadlessNetClientLibrary::Unload() {
  if (!loaded_)
    return;
  ++Unloads;
  loaded_ = open_ = false;
  onReply_ = nullptr;
}
