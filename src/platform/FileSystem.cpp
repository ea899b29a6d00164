#include "platform/FileSystem.h"

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

namespace {

// Position just after the last separator or drive colon, 0 when there is none.
size_t FileNameStart(const std::string &path) {
  for (size_t i = path.size(); i > 0; --i) {
    char c = path[i - 1];
    if (IsPathSeparator(c) || c == ':')
      return i;
  }
  return 0;
}

} // namespace

std::string ExtractFilePath(const std::string &path) { return path.substr(0, FileNameStart(path)); }

std::string ExtractFileName(const std::string &path) { return path.substr(FileNameStart(path)); }

std::string IncludeTrailingBackslash(const std::string &folder) {
  if (!folder.empty() && IsPathSeparator(folder.back()))
    return folder;
  return folder + "\\";
}
