#pragma once
// A session whose user a test names; a switch of the Windows user is a change
// of Name.
#include "platform/UserSession.h"

class THeadlessUserSession final : public IUserSession {
public:
  explicit THeadlessUserSession(std::string name = "Tester") : Name(std::move(name)) {}
  std::string LogonUserName() override { return Name; }
  std::string Name;
};
