#include "platform/FileSystem.h"

#include "data/AnsiText.h"

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

bool ReadWholeFile(TFileSystem &fs, const std::string &path, std::string &content) {
  content.clear();
  std::unique_ptr<TFileStream> stream = fs.OpenRead(path);
  if (!stream)
    return false;
  char buffer[4096];
  for (int32_t n; (n = stream->Read(buffer, sizeof buffer)) > 0;)
    content.append(buffer, static_cast<size_t>(n));
  return true;
}

std::string ExtractFilePath(const std::string &path) { return path.substr(0, FileNameStart(path)); }

std::string ExtractFileName(const std::string &path) { return path.substr(FileNameStart(path)); }

std::string IncludeTrailingBackslash(const std::string &folder) {
  if (!folder.empty() && IsPathSeparator(folder.back()))
    return folder;
  return folder + "\\";
}

bool MatchesMask(const std::string &name, const std::string &mask) {
  // Greedy matching with one remembered star: linear apart from backtracking
  // to the last star.
  size_t n = 0, m = 0, starMask = std::string::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || AnsiUpperChar(mask[m]) == AnsiUpperChar(name[n]))) {
      ++n, ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::string::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*')
    ++m;
  return m == mask.size();
}
