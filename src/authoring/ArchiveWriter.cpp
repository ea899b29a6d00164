#include "authoring/ArchiveWriter.h"

#include "base/AnsiText.h"
#include "data/archive/Archive.h"
#include "data/archive/DosDateTime.h"
#include "platform/headless/HostFileTime.h"

#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

std::string ArchiveDirectoryLine(const TArchiveMemberInfo &m) {
  return m.Name + "=" + std::to_string(m.DosDateTime) + ";" + std::to_string(m.Size) + ";" +
         std::to_string(m.CompressedSize) + ";" + std::to_string(m.Offset) + ";";
}

bool FileDosDateTime(const std::string &path, uint32_t &result) {
  TDateTime value;
  return HostFileLocalTime(fs::path(path), value) && DateTimeToDosDateTime(value, result);
}

TArchiveWriter::~TArchiveWriter() {
  if (file_)
    std::fclose(file_);
}

bool TArchiveWriter::Fail(const std::string &message) {
  if (error_.empty())
    error_ = message;
  return false;
}

bool TArchiveWriter::Open(const std::string &path) {
  if (file_)
    std::fclose(file_);
  members_.clear();
  position_ = 0;
  error_.clear();
  file_ = std::fopen(path.c_str(), "wb");
  return file_ ? true : Fail("cannot create " + path);
}

bool TArchiveWriter::Append(const std::string &name, uint32_t dosDateTime, int64_t size,
                            const char *data, int64_t count) {
  if (!file_)
    return Fail("no archive open");
  // Only plain, distinct names can be found and written under their own name.
  if (!IsPlainMemberName(name))
    return Fail("not a plain file name: \"" + name + "\"");
  for (const TArchiveMemberInfo &m : members_)
    if (SameText(m.Name, name))
      return Fail("member name used twice: " + name);
  if (size > kMaxMemberSize)
    return Fail(name + " is larger than " + std::to_string(kMaxMemberSize) + " bytes");
  if (position_ + count > INT32_MAX)
    return Fail("the archive would exceed 2 GB");
  if (count > 0 && std::fwrite(data, 1, static_cast<size_t>(count), file_) != static_cast<size_t>(count))
    return Fail("write error");
  TArchiveMemberInfo m;
  m.Name = name;
  m.DosDateTime = dosDateTime;
  m.Size = static_cast<int32_t>(size);
  m.CompressedSize = static_cast<int32_t>(count);
  m.Offset = static_cast<int32_t>(position_);
  members_.push_back(m);
  position_ += count;
  return true;
}

bool TArchiveWriter::AddStored(const std::string &name, uint32_t dosDateTime, const std::string &data) {
  auto size = static_cast<int64_t>(data.size());
  return Append(name, dosDateTime, size, data.data(), size);
}

bool TArchiveWriter::AddMember(const std::string &name, uint32_t dosDateTime, const std::string &data) {
  if (data.size() > static_cast<size_t>(kMaxMemberSize))
    return Fail(name + " is larger than " + std::to_string(kMaxMemberSize) + " bytes");
  uLongf packedSize = compressBound(static_cast<uLong>(data.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef *>(packed.data()), &packedSize,
                reinterpret_cast<const Bytef *>(data.data()), static_cast<uLong>(data.size()),
                Z_BEST_COMPRESSION) != Z_OK)
    return Fail("cannot compress " + name);
  // Equal sizes would read as a stored member, so only a real saving counts.
  if (packedSize < data.size())
    return Append(name, dosDateTime, static_cast<int64_t>(data.size()), packed.data(),
                  static_cast<int64_t>(packedSize));
  return AddStored(name, dosDateTime, data);
}

bool TArchiveWriter::AddFile(const std::string &path, bool stored) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return Fail("cannot read " + path);
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad())
    return Fail("cannot read " + path);
  uint32_t dos;
  if (!FileDosDateTime(path, dos))
    return Fail("cannot read the time of " + path);
  std::string name = fs::path(path).filename().string();
  return stored ? AddStored(name, dos, data) : AddMember(name, dos, data);
}

bool TArchiveWriter::Finish() {
  if (!file_)
    return Fail("no archive open");
  std::string directory;
  for (const TArchiveMemberInfo &m : members_)
    directory += ArchiveDirectoryLine(m) + "\r\n";
  uint32_t length = static_cast<uint32_t>(directory.size());
  unsigned char word[4] = {static_cast<unsigned char>(length), static_cast<unsigned char>(length >> 8),
                           static_cast<unsigned char>(length >> 16),
                           static_cast<unsigned char>(length >> 24)};
  bool ok = std::fwrite(directory.data(), 1, directory.size(), file_) == directory.size() &&
            std::fwrite(word, 1, 4, file_) == 4;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  position_ += static_cast<int64_t>(directory.size()) + 4;
  return ok ? true : Fail("write error");
}

namespace {

bool Build(const std::string &output, const std::string *installer,
           const std::vector<std::string> &files, std::string &error) {
  bool ok;
  {
    TArchiveWriter writer;
    ok = writer.Open(output) && (!installer || writer.AddFile(*installer, true));
    for (size_t i = 0; ok && i < files.size(); ++i)
      ok = writer.AddFile(files[i]);
    ok = ok && writer.Finish();
    if (!ok)
      error = writer.Error();
  }
  if (!ok) {
    std::error_code ec;
    fs::remove(fs::path(output), ec); // no half-built archive stays behind
  }
  return ok;
}

} // namespace

bool BuildSetupArchive(const std::string &output, const std::string &installer,
                       const std::vector<std::string> &files, std::string &error) {
  return Build(output, &installer, files, error);
}

bool BuildContentContainer(const std::string &output, const std::vector<std::string> &files,
                           std::string &error) {
  return Build(output, nullptr, files, error);
}
