#include "authoring/ArchiveWriter.h"

#include "base/AnsiText.h"
#include "base/Sha256.h"
#include "data/archive/Archive.h"
#include "data/archive/DosDateTime.h"
#include "data/archive/Manifest.h"
#include "data/archive/SetupImage.h"

#include <zlib.h>

std::string ArchiveDirectoryLine(const TArchiveMemberInfo &m) {
  return m.Name + "=" + std::to_string(m.DosDateTime) + ";" + std::to_string(m.Size) + ";" +
         std::to_string(m.CompressedSize) + ";" + std::to_string(m.Offset) + ";";
}

bool FileDosDateTime(TFileSystem &files, const std::string &path, uint32_t &result) {
  TDateTime value;
  return files.GetLastWriteTime(path, value) && DateTimeToDosDateTime(value, result);
}

TArchiveWriter::~TArchiveWriter() = default;

bool TArchiveWriter::Fail(const std::string &message) {
  if (error_.empty())
    error_ = message;
  return false;
}

bool TArchiveWriter::Open(const std::string &path) {
  file_.reset();
  members_.clear();
  position_ = 0;
  error_.clear();
  file_ = files_.Create(path);
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
  if (!WriteFully(*file_, data, count))
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
  if (!Append(name, dosDateTime, size, data.data(), size))
    return false;
  if (members_.back().Offset == 0) {
    // Listed as the installer reads it back: without a signature's header changes.
    std::string image = data;
    NormalizeInstallerImage(image.data(), image.size());
    members_.back().Digest = Sha256Hex(image.data(), image.size());
  } else {
    members_.back().Digest = Sha256Hex(data.data(), data.size());
  }
  return true;
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
  if (packedSize >= data.size())
    return AddStored(name, dosDateTime, data);
  if (!Append(name, dosDateTime, static_cast<int64_t>(data.size()), packed.data(),
              static_cast<int64_t>(packedSize)))
    return false;
  members_.back().Digest = Sha256Hex(data.data(), data.size());
  return true;
}

bool TArchiveWriter::AddManifest(uint32_t dosDateTime) {
  std::string text;
  for (const TArchiveMemberInfo &m : members_)
    text += ManifestLine(m.Digest, m.Name);
  return AddMember(kManifestMember, dosDateTime, text);
}

bool TArchiveWriter::AddFile(const std::string &path, bool stored) {
  std::string data;
  if (!ReadWholeFile(files_, path, data))
    return Fail("cannot read " + path);
  uint32_t dos;
  if (!FileDosDateTime(files_, path, dos))
    return Fail("cannot read the time of " + path);
  std::string name = ExtractFileName(path);
  return stored ? AddStored(name, dos, data) : AddMember(name, dos, data);
}

bool TArchiveWriter::Finish(bool alignEnd) {
  if (!file_)
    return Fail("no archive open");
  if (alignEnd) {
    int64_t directoryLength = 4;
    for (const TArchiveMemberInfo &m : members_)
      directoryLength += static_cast<int64_t>(ArchiveDirectoryLine(m).size()) + 2;
    // Readers find members by their offsets and the directory from the end,
    // so zeros in between are never read.
    std::string padding(static_cast<size_t>((8 - (position_ + directoryLength) % 8) % 8), '\0');
    if (!WriteFully(*file_, padding.data(), static_cast<int64_t>(padding.size())))
      return Fail("write error");
    position_ += static_cast<int64_t>(padding.size());
  }
  std::string directory;
  for (const TArchiveMemberInfo &m : members_)
    directory += ArchiveDirectoryLine(m) + "\r\n";
  uint32_t length = static_cast<uint32_t>(directory.size());
  unsigned char word[4] = {static_cast<unsigned char>(length), static_cast<unsigned char>(length >> 8),
                           static_cast<unsigned char>(length >> 16),
                           static_cast<unsigned char>(length >> 24)};
  bool ok = WriteFully(*file_, directory.data(), static_cast<int64_t>(directory.size())) &&
            WriteFully(*file_, word, 4);
  file_.reset();
  position_ += static_cast<int64_t>(directory.size()) + 4;
  return ok ? true : Fail("write error");
}

namespace {

bool Build(TFileSystem &fs, const std::string &output, const std::string *installer,
           const std::vector<std::string> &files, std::string &error) {
  bool ok;
  {
    TArchiveWriter writer(fs);
    ok = writer.Open(output) && (!installer || writer.AddFile(*installer, true));
    for (size_t i = 0; ok && i < files.size(); ++i)
      ok = writer.AddFile(files[i]);
    if (installer) {
      // The manifest carries the installer image's date.
      ok = ok && writer.AddManifest(writer.Members().front().DosDateTime) && writer.Finish(true);
    } else {
      ok = ok && writer.Finish();
    }
    if (!ok)
      error = writer.Error();
  }
  if (!ok)
    fs.RemoveFile(output); // no half-built archive stays behind
  return ok;
}

} // namespace

bool BuildSetupArchive(TFileSystem &fs, const std::string &output, const std::string &installer,
                       const std::vector<std::string> &files, std::string &error) {
  return Build(fs, output, &installer, files, error);
}

bool BuildContentContainer(TFileSystem &fs, const std::string &output,
                           const std::vector<std::string> &files, std::string &error) {
  return Build(fs, output, nullptr, files, error);
}
