// Prints the memory of every running process whose program file name is the
// argument, one line "pid private pagefile workingset" (bytes) each; exit
// code 1 when there is none. Wine leaves PrivateUsage at 0 for other
// processes; PagefileUsage is the same commit charge on Windows. Used by
// bench/movaro_idle.sh.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  // K32GetProcessMemoryInfo lives in kernel32 on every system the probe runs on.
  using TGetInfo = BOOL(WINAPI *)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
  auto getInfo = reinterpret_cast<TGetInfo>(
      reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo")));
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (!getInfo || snapshot == INVALID_HANDLE_VALUE)
    return 2;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int found = 0;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, commandLine) != 0)
      continue;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID);
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (process && getInfo(process, reinterpret_cast<PPROCESS_MEMORY_COUNTERS>(&counters), sizeof counters)) {
      std::printf("%lu %llu %llu %llu\n", static_cast<unsigned long>(entry.th32ProcessID),
                  static_cast<unsigned long long>(counters.PrivateUsage),
                  static_cast<unsigned long long>(counters.PagefileUsage),
                  static_cast<unsigned long long>(counters.WorkingSetSize));
      ++found;
    }
    if (process)
      CloseHandle(process);
  }
  CloseHandle(snapshot);
  std::fflush(stdout);
  return found ? 0 : 1;
}
