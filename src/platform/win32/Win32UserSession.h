#pragma once
// The session's user through the advapi32 user-name call.
#include "platform/UserSession.h"

class TWin32UserSession final : public IUserSession {
public:
  std::string LogonUserName() override;
};
