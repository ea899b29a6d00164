#pragma once
// The clean-up program's command line, kept free of the platform so it can
// be tested and fuzzed natively: "/kestrup" and an absolute folder.

#include "base/CommandLine.h"

#include <string>
#include <vector>

namespace cleanup {

using ::SplitCommandLine;

inline bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// An absolute folder ("C:\..." or "\\server\share\...") without "." or ".."
// elements or wildcards.
inline bool IsPlainAbsoluteFolder(const std::string &folder) {
  bool drive = folder.size() >= 3 && ((folder[0] | 0x20) >= 'a' && (folder[0] | 0x20) <= 'z') &&
               folder[1] == ':' && IsSeparator(folder[2]);
  bool unc = folder.size() >= 5 && IsSeparator(folder[0]) && IsSeparator(folder[1]);
  if (!drive && !unc)
    return false;
  if (folder.find_first_of("*?\"<>|") != std::string::npos)
    return false;
  size_t start = drive ? 3 : 2;
  while (start < folder.size()) {
    size_t end = folder.find_first_of("\\/", start);
    if (end == std::string::npos)
      end = folder.size();
    std::string element = folder.substr(start, end - start);
    if (element == "." || element == "..")
      return false;
    start = end + 1;
  }
  return true;
}

// The folder named by a command line ("" when the line is refused): exactly
// the program, "/kestrup" (any letter case) and an absolute folder, which is
// returned with a trailing backslash.
inline std::string CleanupFolder(const char *commandLine) {
  std::vector<std::string> items = SplitCommandLine(commandLine);
  if (items.size() != 3 || items[1].size() != 8 || !IsPlainAbsoluteFolder(items[2]))
    return "";
  for (size_t i = 0; i < 8; ++i)
    if ((items[1][i] | (items[1][i] >= 'A' && items[1][i] <= 'Z' ? 0x20 : 0)) != "/kestrup"[i])
      return "";
  std::string folder = items[2];
  if (!IsSeparator(folder.back()))
    folder += '\\';
  return folder;
}

} // namespace cleanup
