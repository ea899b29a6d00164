#include "platform/win32/Win32DesktopWindows.h"

#include <windows.h>

#include <cstring>

bool TWin32DesktopWindows::ClassExists(const std::string &className) {
  return FindWindowA(className.c_str(), nullptr) != nullptr;
}

bool TWin32DesktopWindows::PostToClass(const std::string &className, uint32_t message) {
  HWND window = FindWindowA(className.c_str(), nullptr);
  return window && PostMessageA(window, message, 0, 0);
}

bool TWin32DesktopWindows::CloseClass(const std::string &className) {
  return PostToClass(className, WM_CLOSE);
}

namespace {
struct TTitleSearch {
  const char *Title;
  bool Found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM data) {
  auto *search = reinterpret_cast<TTitleSearch *>(data);
  // Titles are read into a buffer of 1025 bytes, the longest a title may be.
  char title[1025] = {};
  GetWindowTextA(window, title, sizeof title);
  if (std::strcmp(title, search->Title) == 0) {
    search->Found = true;
    return FALSE;
  }
  return TRUE;
}
} // namespace

bool TWin32DesktopWindows::TitleExists(const std::string &title) {
  TTitleSearch search{title.c_str(), false};
  EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}
