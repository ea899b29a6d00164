#pragma once
// The profile server's client library loaded from its DLL. The DLL's reply
// callback carries no context, so the loaded library is the one the
// callback reaches: one is loaded at a time.

#include "platform/NetClientLibrary.h"
#include "platform/win32/NetClientEntryPoints.h"

class TWin32NetClientLibrary : public INetClientLibrary {
public:
  ~TWin32NetClientLibrary() override { Unload(); }
  bool Load() override;
  bool Loaded() const override { return module_ != nullptr; }
  bool HasEntryPoints() const override;
  bool Open(const std::string &address, const std::string &host, int32_t port,
            TReplyHandler onReply) override;
  bool Connected() override;
  bool Post(const std::string &request) override;
  void Unload() override;

private:
  static BOOLEAN WINAPI OnReply(const char *reply);

  HMODULE module_ = nullptr;
  TOpenMVRNetService open_ = nullptr;
  TConnected connected_ = nullptr;
  TPost post_ = nullptr;
  TCloseMVRNetService close_ = nullptr;
  TReplyHandler onReply_;
};
