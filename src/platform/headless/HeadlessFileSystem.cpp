#include "platform/headless/HeadlessFileSystem.h"

#include "platform/headless/HostFileTime.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path HostPath(const std::string &path) {
  std::string text = path;
#ifndef _WIN32
  std::replace(text.begin(), text.end(), '\\', '/');
#endif
  return fs::path(text);
}

// One key per file: absolute, normalised, and without letter case on Windows.
std::string Key(const std::string &path) {
  std::error_code ec;
  fs::path p = fs::absolute(HostPath(path), ec);
  if (ec)
    p = HostPath(path);
  std::string key = p.lexically_normal().generic_string();
  while (key.size() > 1 && key.back() == '/')
    key.pop_back();
#ifdef _WIN32
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
#endif
  return key;
}

int SeekTo(std::FILE *file, int64_t position, int whence) {
#ifdef _WIN32
  return _fseeki64(file, position, whence);
#else
  return fseeko(file, static_cast<off_t>(position), whence);
#endif
}

int64_t Tell(std::FILE *file) {
#ifdef _WIN32
  return _ftelli64(file);
#else
  return static_cast<int64_t>(ftello(file));
#endif
}

class THostFile : public TFileStream {
public:
  // Large stdio buffers: callers read and write in small blocks.
  explicit THostFile(std::FILE *file) : file_(file) { std::setvbuf(file_, nullptr, _IOFBF, 1 << 16); }
  ~THostFile() override { std::fclose(file_); }

  int64_t Size() override {
    int64_t here = Tell(file_);
    if (here < 0 || SeekTo(file_, 0, SEEK_END) != 0)
      return -1;
    int64_t size = Tell(file_);
    SeekTo(file_, here, SEEK_SET);
    return size;
  }
  bool Seek(int64_t position) override { return position >= 0 && SeekTo(file_, position, SEEK_SET) == 0; }
  bool Flush() override { return std::fflush(file_) == 0; }
  int32_t Read(void *buffer, int32_t count) override {
    if (count <= 0)
      return 0;
    size_t n = std::fread(buffer, 1, static_cast<size_t>(count), file_);
    if (n == 0 && std::ferror(file_))
      return -1;
    return static_cast<int32_t>(n);
  }
  int32_t Write(const void *buffer, int32_t count) override {
    if (count <= 0)
      return 0;
    return static_cast<int32_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), file_));
  }

private:
  std::FILE *file_;
};



} // namespace

bool THeadlessFileSystem::IsReadOnly(const std::string &key) const {
  auto it = attributes_.find(key);
  return it != attributes_.end() && (it->second & kFileAttributeReadOnly) != 0;
}

bool THeadlessFileSystem::Refused(const std::string &key) const {
  if (IsReadOnly(key)) {
    errno = EACCES;
    return true;
  }
  if (std::find(inUse_.begin(), inUse_.end(), key) != inUse_.end()) {
    errno = EBUSY;
    return true;
  }
  return false;
}

void THeadlessFileSystem::SetInUse(const std::string &path, bool inUse) {
  std::string key = Key(path);
  inUse_.erase(std::remove(inUse_.begin(), inUse_.end(), key), inUse_.end());
  if (inUse)
    inUse_.push_back(key);
}

TFileError THeadlessFileSystem::LastError() {
  switch (errno) {
  case 0:
    return TFileError::None;
  case ENOENT:
  case ENOTDIR:
    return TFileError::NotFound;
  case EACCES:
  case EPERM:
  case EROFS:
    return TFileError::AccessDenied;
  case EBUSY:
  case ETXTBSY:
    return TFileError::InUse;
  case ENOSPC:
#ifdef EDQUOT // not in the Windows C library
  case EDQUOT:
#endif
    return TFileError::DiskFull;
  default:
    return TFileError::Other;
  }
}

void THeadlessFileSystem::Forget(const std::string &key) {
  attributes_.erase(key);
  times_.erase(key);
}

bool THeadlessFileSystem::FileExists(const std::string &path) {
  std::error_code ec;
  return fs::is_regular_file(HostPath(path), ec);
}

bool THeadlessFileSystem::DirectoryExists(const std::string &path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(HostPath(path), ec);
}

bool THeadlessFileSystem::ForceDirectories(const std::string &path) {
  if (path.empty())
    return false;
  std::error_code ec;
  fs::create_directories(HostPath(path), ec);
  return DirectoryExists(path);
}

bool THeadlessFileSystem::RemoveFolder(const std::string &path) {
  std::string key = Key(path);
  std::error_code ec;
  if (IsReadOnly(key) || !DirectoryExists(path) || !fs::remove(HostPath(path), ec))
    return false;
  Forget(key);
  return true;
}

bool THeadlessFileSystem::RemoveFile(const std::string &path) {
  std::string key = Key(path);
  std::error_code ec;
  if (Refused(key))
    return false;
  if (!FileExists(path) || !fs::remove(HostPath(path), ec)) {
    errno = ec ? ec.value() : ENOENT;
    return false;
  }
  Forget(key);
  return true;
}

bool THeadlessFileSystem::RenameFile(const std::string &from, const std::string &to, uint32_t flags) {
  std::string fromKey = Key(from), toKey = Key(to);
  std::error_code ec;
  if (flags & kRenameAtRestart) {
    // An empty folder may be deleted at the restart as well.
    if (!FileExists(from) && !(to.empty() && DirectoryExists(from))) {
      errno = ENOENT;
      return false;
    }
    atRestart_.push_back({from, to});
    return true;
  }
  if (!FileExists(from)) {
    errno = ENOENT;
    return false;
  }
  // As on Windows, a read-only file may be renamed; one in use may not.
  const bool replace = (flags & kRenameReplaceExisting) != 0;
  if (std::find(inUse_.begin(), inUse_.end(), fromKey) != inUse_.end()) {
    errno = EBUSY;
    return false;
  }
  if (replace && FileExists(to) && Refused(toKey))
    return false;
  if ((!replace && fs::exists(HostPath(to), ec)) || DirectoryExists(to)) {
    errno = EEXIST;
    return false;
  }
  fs::rename(HostPath(from), HostPath(to), ec);
  if (ec) {
    errno = ec.value();
    return false;
  }
  Forget(toKey);
  // The mask and time a test set travel with the file.
  if (auto it = attributes_.find(fromKey); it != attributes_.end())
    attributes_[toKey] = it->second;
  if (auto it = times_.find(fromKey); it != times_.end())
    times_[toKey] = it->second;
  Forget(fromKey);
  return true;
}

bool THeadlessFileSystem::CancelDeletionAtRestart(const std::string &path) {
  const std::string key = Key(path);
  std::erase_if(atRestart_, [&](const TRestartRename &r) { return r.To.empty() && Key(r.From) == key; });
  return true;
}

std::unique_ptr<TFileStream> THeadlessFileSystem::OpenRead(const std::string &path) {
  if (!FileExists(path))
    return nullptr;
  std::FILE *file = std::fopen(HostPath(path).string().c_str(), "rb");
  if (!file)
    return nullptr;
  return std::make_unique<THostFile>(file);
}

std::unique_ptr<TFileStream> THeadlessFileSystem::Create(const std::string &path) {
  std::string key = Key(path);
  if (Refused(key))
    return nullptr;
  if (DirectoryExists(path)) {
    errno = EISDIR;
    return nullptr;
  }
  std::FILE *file = std::fopen(HostPath(path).string().c_str(), "wb");
  if (!file)
    return nullptr;
  times_.erase(key);
  return std::make_unique<THostFile>(file);
}

std::unique_ptr<TFileStream> THeadlessFileSystem::OpenAppend(const std::string &path) {
  std::string key = Key(path);
  if (Refused(key))
    return nullptr;
  if (DirectoryExists(path)) {
    errno = EISDIR;
    return nullptr;
  }
  std::FILE *file = std::fopen(HostPath(path).string().c_str(), "ab");
  if (!file)
    return nullptr;
  times_.erase(key);
  return std::make_unique<THostFile>(file);
}

bool THeadlessFileSystem::GetAttributes(const std::string &path, uint32_t &attributes) {
  bool isFile = FileExists(path);
  if (!isFile && !DirectoryExists(path))
    return false;
  auto it = attributes_.find(Key(path));
  if (it != attributes_.end())
    attributes = it->second;
  else
    attributes = isFile ? kFileAttributeArchive : kFileAttributeDirectory;
  return true;
}

bool THeadlessFileSystem::SetAttributes(const std::string &path, uint32_t attributes) {
  bool isFile = FileExists(path);
  if (!isFile && !DirectoryExists(path))
    return false;
  // As on Windows, the directory bit belongs to the kind of entry, not to the caller.
  attributes &= ~kFileAttributeDirectory;
  if (!isFile)
    attributes |= kFileAttributeDirectory;
  attributes_[Key(path)] = attributes;
  return true;
}

bool THeadlessFileSystem::SetLastWriteTime(const std::string &path, TDateTime localTime) {
  std::string key = Key(path);
  TDateTimeParts parts;
  if (!FileExists(path) || Refused(key) || !DecodeDateTime(localTime, parts) || parts.Year < 1601)
    return false;
  times_[key] = localTime;
  // The host's own time follows where it can; the kept value is what counts.
  SetHostFileLocalTime(HostPath(path), localTime);
  return true;
}

bool THeadlessFileSystem::GetLastWriteTime(const std::string &path, TDateTime &localTime) {
  if (!FileExists(path) && !DirectoryExists(path))
    return false;
  auto it = times_.find(Key(path));
  if (it != times_.end()) {
    localTime = it->second;
    return true;
  }
  return HostFileLocalTime(HostPath(path), localTime);
}

std::vector<std::string> THeadlessFileSystem::ListFiles(const std::string &folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(HostPath(folder), ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code kindError;
    if (it->is_regular_file(kindError))
      names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<TFolderEntry> THeadlessFileSystem::FindEntries(const std::string &folder,
                                                           const std::string &mask) {
  std::vector<TFolderEntry> entries;
  std::error_code ec;
  for (fs::directory_iterator it(HostPath(folder), ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (!MatchesMask(name, mask))
      continue;
    TFolderEntry entry{name, 0};
    if (GetAttributes(IncludeTrailingBackslash(folder) + name, entry.Attributes))
      entries.push_back(entry);
  }
  std::sort(entries.begin(), entries.end(),
            [](const TFolderEntry &a, const TFolderEntry &b) { return a.Name < b.Name; });
  return entries;
}

int64_t THeadlessFileSystem::FreeSpace(const std::string &path) {
  if (freeSpace_ != -2)
    return freeSpace_;
  std::error_code ec;
  fs::space_info info = fs::space(HostPath(path), ec);
  return ec ? -1 : static_cast<int64_t>(info.available);
}

void THeadlessFileSystem::LetOthersChange(const std::string &path) { foreign_.insert(Key(path)); }

TFolderWriters THeadlessFileSystem::Writers(const std::string &path) {
  if (!KeepsAccessLists)
    return TFolderWriters::NotKept;
  if (!FileExists(path) && !DirectoryExists(path))
    return TFolderWriters::Others;
  return foreign_.count(Key(path)) ? TFolderWriters::Others : TFolderWriters::OnlyTrusted;
}

bool THeadlessFileSystem::RestrictFolder(const std::string &folder) {
  if (!KeepsAccessLists || !MayRestrict || !DirectoryExists(folder))
    return false;
  foreign_.erase(Key(folder));
  for (const TFolderEntry &entry : FindEntries(folder, "*"))
    foreign_.erase(Key(IncludeTrailingBackslash(folder) + entry.Name));
  return true;
}
