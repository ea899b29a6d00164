#include "platform/win32/Win32NetClientLibrary.h"

#include "base/win32/LibrarySearch.h"
#include "platform/win32/EntryPoint.h"

namespace {

// The library whose connection is open; the DLL's callback reaches it.
TWin32NetClientLibrary *g_open = nullptr;

} // namespace

bool TWin32NetClientLibrary::Load() {
  if (module_)
    return true;
  // Only the file in the program's folder, never one found on the search path.
  module_ = LoadProgramLibrary(kNetClientLibraryName);
  if (!module_)
    return false;
  open_ = EntryPoint<TOpenMVRNetService>(module_, "OpenMVRNetService");
  connected_ = EntryPoint<TConnected>(module_, "Connected");
  post_ = EntryPoint<TPost>(module_, "Post");
  close_ = EntryPoint<TCloseMVRNetService>(module_, "CloseMVRNetService");
  return true;
}

bool TWin32NetClientLibrary::HasEntryPoints() const {
  return module_ && open_ && connected_ && post_ && close_;
}

bool TWin32NetClientLibrary::Open(const std::string &address, const std::string &host,
                                  int32_t port, TReplyHandler onReply) {
  if (!HasEntryPoints())
    return false;
  onReply_ = std::move(onReply);
  g_open = this;
  return open_(address.c_str(), host.c_str(), port, &TWin32NetClientLibrary::OnReply) != 0;
}

bool TWin32NetClientLibrary::Connected() { return connected_ && connected_() != 0; }

bool TWin32NetClientLibrary::Post(const std::string &request) {
  return post_ && post_(request.c_str()) != 0;
}

void TWin32NetClientLibrary::Unload() {
  if (!module_)
    return;
  if (close_)
    close_();
  if (g_open == this)
    g_open = nullptr;
  open_ = nullptr;
  connected_ = nullptr;
  post_ = nullptr;
  close_ = nullptr;
  onReply_ = nullptr;
  FreeLibrary(module_);
  module_ = nullptr;
}

BOOLEAN WINAPI TWin32NetClientLibrary::OnReply(const char *reply) {
  // A copy: the handler may unload the library whose call this is.
  if (g_open && g_open->onReply_ && reply) {
    TReplyHandler handler = g_open->onReply_;
    handler(reply);
  }
  return TRUE;
}
