#pragma once
// A function looked up in a loaded library by name, for those a Windows
// version may lack: null when the library or the function is missing.

#include <windows.h>

template <class T> T EntryPoint(HMODULE module, const char *name) {
  return module ? reinterpret_cast<T>(reinterpret_cast<void *>(GetProcAddress(module, name))) : nullptr;
}
