#pragma once
// The profile server's client library as the network dialog uses it. The
// library is loaded only while the dialog works, by its file name in the
// current folder; every reply reaches the handler given to Open, on the
// calling thread, before Post returns.

#include <cstdint>
#include <functional>
#include <string>

inline constexpr char kNetClientLibraryName[] = "MVRCLIENT.DLL";

class INetClientLibrary {
public:
  using TReplyHandler = std::function<void(const std::string &reply)>;
  virtual ~INetClientLibrary() = default;

  // Loads the library when its file is in the current folder and looks up
  // its entry points. False when the file is missing or does not load.
  virtual bool Load() = 0;
  virtual bool Loaded() const = 0;
  // All four entry points were found.
  virtual bool HasEntryPoints() const = 0;
  // Starts connecting to the server at address (or host) and port; true when
  // the connection is being set up.
  virtual bool Open(const std::string &address, const std::string &host, int32_t port,
                    TReplyHandler onReply) = 0;
  virtual bool Connected() = 0;
  // Sends one request text; true when the server answered it.
  virtual bool Post(const std::string &request) = 0;
  // Ends the connection (when that entry point was found), forgets the entry
  // points and unloads the library. Nothing when none is loaded.
  virtual void Unload() = 0;
};
