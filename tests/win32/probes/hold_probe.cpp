// Holds the file named on its command line open for reading without sharing
// (as a program using it would), for the number of seconds after the name
// (default 60), so that the tests meet a file in use.
//   hold_probe.exe PATH [SECONDS]
#include <windows.h>

#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  std::string line = commandLine;
  std::string path = line, seconds = "60";
  size_t space = line.rfind(' ');
  if (space != std::string::npos && line.find_first_not_of("0123456789", space + 1) == std::string::npos &&
      space + 1 < line.size()) {
    path = line.substr(0, space);
    seconds = line.substr(space + 1);
  }
  // A path with blanks comes quoted.
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
    path = path.substr(1, path.size() - 2);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 1;
  Sleep(static_cast<DWORD>(std::atoi(seconds.c_str())) * 1000);
  CloseHandle(file);
  return 0;
}
