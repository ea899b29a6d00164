#include "base/win32/LibrarySearch.h"

#include <delayimp.h>
#include <string.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

typedef BOOL(WINAPI *SetDefaultDllDirectoriesFunction)(DWORD);
typedef BOOL(WINAPI *SetDllDirectoryFunction)(LPCSTR);

void RestrictLibrarySearch(void) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  SetDefaultDllDirectoriesFunction setDefault =
      (SetDefaultDllDirectoriesFunction)(void *)GetProcAddress(kernel, "SetDefaultDllDirectories");
  if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
    return;
  SetDllDirectoryFunction setDirectory =
      (SetDllDirectoryFunction)(void *)GetProcAddress(kernel, "SetDllDirectoryA");
  if (setDirectory)
    setDirectory("");
}

/* folder (ending without a backslash) + "\" + name into path; 0 when it does not fit. */
static int JoinPath(char *path, size_t size, size_t folderLength, const char *name) {
  size_t nameLength = strlen(name);
  if (folderLength == 0 || folderLength + 1 + nameLength + 1 > size)
    return 0;
  path[folderLength] = '\\';
  memcpy(path + folderLength + 1, name, nameLength + 1);
  return 1;
}

HMODULE LoadSystemLibrary(const char *name) {
  char path[MAX_PATH + 1];
  UINT length = GetSystemDirectoryA(path, MAX_PATH);
  if (length >= MAX_PATH || !JoinPath(path, sizeof path, length, name))
    return NULL;
  return LoadLibraryA(path);
}

HMODULE LoadProgramLibrary(const char *name) {
  char path[MAX_PATH + 1];
  DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return NULL;
  while (length > 0 && path[length - 1] != '\\')
    --length;
  if (length == 0 || !JoinPath(path, sizeof path, length - 1, name))
    return NULL;
  return LoadLibraryA(path);
}

/* The loader hook of the late imports: each comes from the system folder.
 * The common controls are the exception: the manifest's dependency on
 * version 6 names them, and only a load by name finds that version in the
 * system's side-by-side store (never the program's folder, which the
 * side-by-side redirection comes before). */
static FARPROC WINAPI LoadLateImport(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary || lstrcmpiA(info->szDll, "comctl32.dll") == 0)
    return NULL;
  return (FARPROC)(void *)LoadSystemLibrary(info->szDll);
}

PfnDliHook __pfnDliNotifyHook2 = LoadLateImport;
