// The installer's clean-up program. The last uninstall starts it as
//   KestrupEx.exe "/kestrup" "<common application data folder>\"
// from a copy outside the installer's folder, without waiting for it. It waits
// until the uninstaller that started it has ended, then deletes the files in
// "Veltrin\Kestrup\" below the given folder and removes that folder and
// "Veltrin\" when they are empty. Nothing else is touched; any other command
// line is refused at once.
//
// Exit codes: 0 done, 1 command line refused, 2 something could not be removed.
#include "CleanupArgs.h"
#include "base/win32/LibrarySearch.h"
#include "kestrup/InstallerPaths.h"

#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

namespace {

// Waits (at most two minutes) for the process that started this one.
void WaitForParent() {
  DWORD self = GetCurrentProcessId(), parent = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE)
    return;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (entry.th32ProcessID == self)
      parent = entry.th32ParentProcessID;
  CloseHandle(snapshot);
  if (!parent)
    return;
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, parent);
  if (!process)
    return; // already gone
  // A process created after this one only reuses the number: not the uninstaller.
  FILETIME parentCreated, selfCreated, unused1, unused2, unused3;
  bool older = true;
  if (GetProcessTimes(process, &parentCreated, &unused1, &unused2, &unused3) &&
      GetProcessTimes(GetCurrentProcess(), &selfCreated, &unused1, &unused2, &unused3))
    older = CompareFileTime(&parentCreated, &selfCreated) <= 0;
  if (older)
    WaitForSingleObject(process, 120000);
  CloseHandle(process);
}

// Deletes a file, retrying for a few seconds while it is still held open.
bool DeleteWithRetry(const std::string &path) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path.c_str()) || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
      return true;
    Sleep(500);
  }
  return false;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictLibrarySearch();
  std::string base = cleanup::CleanupFolder(GetCommandLineA());
  if (base.empty())
    return 1;
  DWORD attributes = GetFileAttributesA(base.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return 1;

  // Started by the uninstaller, this program inherits its current
  // directory, the installer folder; no folder that is a process's current
  // directory can be removed.
  SetCurrentDirectoryA(base.c_str());
  WaitForParent();

  std::string veltrin = base + kMakerFolder;
  std::string installer = base + kInstallerSubfolder;
  bool ok = true;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((installer + "*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        ok = DeleteWithRetry(installer + found.cFileName) && ok;
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
  // Only emptied folders go; a folder with anything else in it stays.
  SetFileAttributesA(installer.c_str(), FILE_ATTRIBUTE_DIRECTORY);
  if (GetFileAttributesA(installer.c_str()) != INVALID_FILE_ATTRIBUTES &&
      !RemoveDirectoryA(installer.c_str()))
    ok = false;
  SetFileAttributesA(veltrin.c_str(), FILE_ATTRIBUTE_DIRECTORY);
  RemoveDirectoryA(veltrin.c_str());
  return ok ? 0 : 2;
}
