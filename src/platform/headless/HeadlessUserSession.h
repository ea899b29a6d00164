#pragma once
// A session whose user and presence a test names; a switch of the Windows
// user is a change of Name, a locked workstation State.Locked.
#include "platform/UserSession.h"

class THeadlessUserSession final : public IUserSession {
public:
  explicit THeadlessUserSession(std::string name = "Tester") : Name(std::move(name)) {}
  std::string LogonUserName() override { return Name; }
  TSessionPresence Presence() override { return State; }
  std::string Name;
  TSessionPresence State;
};
