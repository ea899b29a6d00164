#include "kestrup/win32/Elevation.h"

#include <windows.h>

#include <shellapi.h>

namespace kestrup {

bool MayBeElevated() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version) || version.dwMajorVersion < 6)
    return false;
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
    return false;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  bool limited = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
                 elevation.TokenIsElevated == 0;
  CloseHandle(token);
  return limited;
}

int RunElevated(const std::string &program, const std::string &parameters, int cancelledCode) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = "runas";
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExA(&info))
    return GetLastError() == ERROR_CANCELLED ? cancelledCode : -1;
  if (!info.hProcess)
    return -1;
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = static_cast<DWORD>(-1);
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  return static_cast<int>(code);
}

std::string ScratchFile(const std::string &extension) {
  char folder[MAX_PATH + 1] = {};
  DWORD length = GetTempPathA(MAX_PATH, folder);
  if (length == 0 || length > MAX_PATH)
    return {};
  return std::string(folder, length) + "KestrupScript" + std::to_string(GetCurrentProcessId()) + extension;
}

} // namespace kestrup
