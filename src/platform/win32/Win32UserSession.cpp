#include "platform/win32/Win32UserSession.h"

#include <windows.h>

std::string TWin32UserSession::LogonUserName() {
  char name[257]; // the longest user name and its terminator
  DWORD size = sizeof name;
  if (!GetUserNameA(name, &size))
    return "";
  name[sizeof name - 1] = '\0';
  return name;
}
