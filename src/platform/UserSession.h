#pragma once
// The desktop session the program runs in: who is logged on.

#include <string>

class IUserSession {
public:
  virtual ~IUserSession() = default;
  // The logon name of the user the process runs for; empty when the system
  // gives none.
  virtual std::string LogonUserName() = 0;
};
