#pragma once
// A client library for tests: what it finds and how the connection behaves
// is set beforehand, the server's replies come from a function, and every
// call is recorded.

#include "platform/NetClientLibrary.h"

#include <vector>

class THeadlessNetClientLibrary : public INetClientLibrary {
public:
  // What the library does.
  bool FilePresent = true, Loadable = true, EntryPointsFound = true, OpenAccepts = true;
  // The number of Connected calls that answer false before the connection
  // stands; -1: it never does.
  int ConnectAfterCalls = 0;
  // The server: the reply to a request text; empty: no reply at all.
  std::function<std::string(const std::string &request)> Server;
  // Whether Post reports the request as answered.
  bool PostAnswers = true;

  // What was asked of it.
  std::vector<std::string> Posted;
  std::string OpenedAddress, OpenedHost;
  int32_t OpenedPort = -1;
  int Loads = 0, Opens = 0, Unloads = 0;

  bool Load() override;
  bool Loaded() const override { return loaded_; }
  bool HasEntryPoints() const override { return loaded_ && EntryPointsFound; }
  bool Open(const std::string &address, const std::string &host, int32_t port,
            TReplyHandler onReply) override;
  bool Connected() override;
  bool Post(const std::string &request) override;
  void Unload() override;
  // Delivers a reply as the library would, through the handler of the last
  // Open (nothing without one), on the calling thread.
  void Deliver(const std::string &reply);

private:
  bool loaded_ = false;
  bool open_ = false;
  int connectedCalls_ = 0;
  TReplyHandler onReply_;
};
