#include "platform/FileSystem.h"

#include "base/AnsiText.h"

#include <algorithm>
#include <array>

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

constexpr int32_t kCopyBlock = 2048;

} // namespace

const char *FileErrorText(TFileError error) {
  switch (error) {
  case TFileError::None:
    return "";
  case TFileError::NotFound:
    return "the file or folder is missing";
  case TFileError::AccessDenied:
    return "access is denied";
  case TFileError::InUse:
    return "the file is in use";
  case TFileError::DiskFull:
    return "the disk is full";
  case TFileError::Other:
    break;
  }
  return "the system refused it";
}

bool ReadWholeFile(TFileSystem &fs, const std::string &path, std::string &content,
                   int64_t maxBytes) {
  content.clear();
  std::unique_ptr<TFileStream> stream = fs.OpenRead(path);
  if (!stream)
    return false;
  char buffer[4096];
  while (static_cast<int64_t>(content.size()) < maxBytes) {
    int64_t want = std::min<int64_t>(sizeof buffer, maxBytes - static_cast<int64_t>(content.size()));
    int32_t got = stream->Read(buffer, static_cast<int32_t>(want));
    if (got < 0) {
      content.clear(); // half a file is not the file
      return false;
    }
    if (got == 0)
      break;
    content.append(buffer, static_cast<size_t>(got));
  }
  return true;
}

int64_t ReadFully(TFileStream &file, void *buffer, int64_t count) {
  auto *out = static_cast<char *>(buffer);
  int64_t done = 0;
  while (done < count) {
    int32_t want = static_cast<int32_t>(std::min<int64_t>(count - done, 1 << 20));
    int32_t got = file.Read(out + done, want);
    if (got <= 0)
      break;
    done += got;
  }
  return done;
}

bool WriteFully(TFileStream &file, const void *data, int64_t count) {
  auto *in = static_cast<const char *>(data);
  int64_t done = 0;
  while (done < count) {
    int32_t want = static_cast<int32_t>(std::min<int64_t>(count - done, 1 << 20));
    if (file.Write(in + done, want) != want)
      return false;
    done += want;
  }
  return true;
}

bool SetPathAttributes(TFileSystem &fs, const std::string &path, int32_t attributes) {
  uint32_t current;
  if (attributes <= 0 || !fs.GetAttributes(path, current))
    return false;
  if (current == static_cast<uint32_t>(attributes))
    return true;
  return fs.SetAttributes(path, static_cast<uint32_t>(attributes));
}

TFolderWriters FolderWriters(TFileSystem &fs, const std::string &folder) {
  const TFolderWriters own = fs.Writers(folder);
  if (own != TFolderWriters::OnlyTrusted)
    return own;
  for (const TFolderEntry &entry : fs.FindEntries(folder, "*"))
    if (fs.Writers(IncludeTrailingBackslash(folder) + entry.Name) == TFolderWriters::Others)
      return TFolderWriters::Others;
  return TFolderWriters::OnlyTrusted;
}

bool CopyFileBlocks(TFileSystem &fs, const std::string &source, const std::string &target) {
  if (!fs.FileExists(source))
    return false;
  std::unique_ptr<TFileStream> in = fs.OpenRead(source);
  if (!in)
    return false;
  std::string folder = ExtractFilePath(target);
  if (!folder.empty() && !fs.DirectoryExists(folder) && !fs.ForceDirectories(folder))
    return false;
  std::unique_ptr<TFileStream> out = fs.Create(target);
  if (!out)
    return false;
  int64_t sourceSize = in->Size();
  int64_t written = 0;
  std::array<char, kCopyBlock> block;
  for (;;) {
    int32_t got = in->Read(block.data(), kCopyBlock);
    if (got <= 0)
      break;
    int32_t put = out->Write(block.data(), got);
    written += put;
    if (put != got)
      break;
  }
  return sourceSize >= 0 && written == sourceSize;
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
