// Starts the program given on its command line (the rest of the line as it
// stands), keeps running for 1.5 seconds so the child sees a live parent, and
// ends without waiting for the child.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  std::string line = commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return 1;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  Sleep(1500);
  return 0;
}
