#include "data/archive/Archive.h"

#include "base/AnsiText.h"
#include "base/Decimal.h"
#include "base/Progress.h"
#include "base/Sha256.h"
#include "data/archive/DosDateTime.h"
#include "data/archive/SetupImage.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <new>
#include <string_view>

namespace {

constexpr int32_t kMemberBlock = 1024;
// What one read of a member asks for: a whole number of blocks.
constexpr int32_t kReadPiece = 64 * kMemberBlock;
// Packed bytes handed to inflate at a time; progress is reported after each.
constexpr uInt kInflateChunk = 65536;

// An entry that names bytes to unpack at all.
bool HasContent(const TFileData &entry) {
  return entry.Offset >= 0 && entry.CompressedSize > 0 && entry.Size > 0;
}

int32_t FieldNumber(const std::string &text, int32_t fallback) {
  int64_t value;
  return ParseDecimal(text, INT32_MIN, INT32_MAX, value) ? static_cast<int32_t>(value) : fallback;
}

} // namespace

namespace {

// The directory whose length word ends at the given position. With
// requireLineEnd the text must end with CR LF, as every directory does: a
// guess at the position is then checked.
TArchiveDirectory ReadDirectoryEndingAt(TFileStream &file, int64_t end, bool requireLineEnd) {
  TArchiveDirectory lines;
  unsigned char word[4];
  if (end < 4 || !file.Seek(end - 4) || ReadFully(file, reinterpret_cast<char *>(word), 4) != 4)
    return lines;
  int64_t length = static_cast<int64_t>(word[0]) | static_cast<int64_t>(word[1]) << 8 |
                   static_cast<int64_t>(word[2]) << 16 | static_cast<int64_t>(word[3]) << 24;
  // A length reaching before the start of the file describes no directory.
  if (length > end - 4 || !file.Seek(end - 4 - length))
    return lines;

  // The length is outside bytes: a crafted one of 1-2 GB must not end the
  // program on a 32-bit system, so the buffer is asked for without throwing.
  if (static_cast<uint64_t>(length) > SIZE_MAX)
    return lines;
  const size_t size = static_cast<size_t>(length);
  std::unique_ptr<char[]> text(new (std::nothrow) char[size == 0 ? 1 : size]);
  if (!text || ReadFully(file, text.get(), length) != length)
    return lines;
  if (requireLineEnd && (size < 2 || text[size - 2] != '\r' || text[size - 1] != '\n'))
    return lines;
  try {
    const std::string_view all(text.get(), size);
    size_t start = 0;
    while (start < size) {
      size_t end = all.find("\r\n", start);
      if (end == std::string_view::npos) {
        lines.emplace_back(all.substr(start));
        break;
      }
      lines.emplace_back(all.substr(start, end - start));
      start = end + 2;
    }
  } catch (const std::bad_alloc &) {
    lines.clear(); // a directory too large to hold describes nothing usable
  }
  return lines;
}

// A signing tool may pad the file to a multiple of 8 bytes before it appends
// the certificate table.
constexpr int kMaxSignaturePadding = 7;

} // namespace

TArchiveDirectory ReadArchiveDirectory(TFileSystem &fs, const std::string &path) {
  std::unique_ptr<TFileStream> file = fs.OpenRead(path);
  if (!file)
    return {};
  int64_t fileSize = file->Size();
  int64_t end = ArchiveEnd(*file);
  if (fileSize < 4 || end < 4)
    return {};
  TArchiveDirectory lines = ReadDirectoryEndingAt(*file, end, false);
  if (!lines.empty() || end == fileSize)
    return lines;
  // Signed: the padding in front of the certificate table is zeros.
  char tail[kMaxSignaturePadding];
  int64_t room = std::min<int64_t>(kMaxSignaturePadding, end - 4);
  if (!file->Seek(end - room) || ReadFully(*file, tail, room) != room)
    return {};
  for (int pad = 1; pad <= room && tail[room - pad] == 0; ++pad) {
    lines = ReadDirectoryEndingAt(*file, end - pad, true);
    if (!lines.empty())
      break;
  }
  return lines;
}

TFileData ParseFileData(const std::string &line) {
  TFileData entry;
  size_t equals = line.find('=');
  if (equals == std::string::npos)
    return entry;
  entry.Name = line.substr(0, equals);

  std::vector<std::string> fields;
  size_t start = equals + 1;
  while (start <= line.size()) {
    size_t end = line.find(';', start);
    if (end == std::string::npos) {
      if (start < line.size())
        fields.push_back(line.substr(start));
      break;
    }
    fields.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  auto field = [&](size_t i) { return i < fields.size() ? fields[i] : std::string(); };

  int64_t dos;
  TDateTime date;
  if (ParseDecimal(field(0), INT32_MIN, UINT32_MAX, dos) &&
      DosDateTimeToDateTime(static_cast<uint32_t>(dos), date))
    entry.Date = date;
  entry.Size = FieldNumber(field(1), 0);
  entry.CompressedSize = FieldNumber(field(2), 0);
  entry.Offset = FieldNumber(field(3), -1);
  return entry;
}

TFileData FindFileData(const TArchiveDirectory &directory, const std::string &name) {
  for (const std::string &line : directory) {
    size_t equals = line.find('=');
    if (equals != std::string::npos && equals == name.size() &&
        SameText(line.substr(0, equals), name))
      return ParseFileData(line);
  }
  return TFileData{};
}

bool IsPlainMemberName(const std::string &name) {
  if (name.empty() || name == "." || name == ".." || name.back() == '.' || name.back() == ' ')
    return false;
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
      return false;
  }
  // Device names stay devices whatever folder or extension they are given.
  std::string base = AnsiUpperCase(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ')
    base.pop_back();
  static const char *const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$"};
  for (const char *device : kDevices)
    if (base == device)
      return false;
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
      base[3] >= '1' && base[3] <= '9')
    return false;
  return true;
}

int32_t AttributeNumber(const std::string &text) { return FieldNumber(text, 0); }

char *TMemberExtractor::TBuffer::Reserve(size_t size) {
  if (size > Capacity) {
    Data.reset(); // the old block goes before the new one comes
    Capacity = 0;
    Data.reset(new (std::nothrow) char[size]);
    if (!Data)
      return nullptr;
    Capacity = size;
  }
  return Data.get();
}

bool TMemberExtractor::ReadPacked(TFileSystem &fs, const std::string &archivePath,
                                  const TFileData &entry, const TOptions &options) {
  std::unique_ptr<TFileStream> file = fs.OpenRead(archivePath);
  if (!file || !file->Seek(entry.Offset))
    return false;
  // A member reaching past the end of the file cannot be read completely:
  // refuse it before taking memory for its declared size.
  int64_t fileSize = file->Size();
  if (fileSize < 0 || static_cast<int64_t>(entry.Offset) + entry.CompressedSize > fileSize)
    return false;

  const int64_t wanted = entry.CompressedSize;
  char *packed = packed_.Reserve(static_cast<size_t>(wanted));
  if (!packed)
    return false;
  // Progress is reported per 1024-byte block, but the file is read in
  // larger pieces straight into the buffer: a block-sized read costs a call
  // and a second copy through the stream's own buffer.
  int64_t collected = 0;
  while (collected < wanted) {
    int32_t want = static_cast<int32_t>(std::min<int64_t>(kReadPiece, wanted - collected));
    int32_t got = file->Read(packed + collected, want);
    if (got <= 0)
      break;
    const int64_t before = collected;
    collected += got;
    if (options.Progress)
      for (int64_t block = before + kMemberBlock - before % kMemberBlock; block < collected;
           block += kMemberBlock)
        options.Progress(Percent(block, wanted));
    if (options.Progress)
      options.Progress(Percent(collected, wanted));
  }
  file.reset();
  if (options.Progress)
    options.Progress(0);
  return collected == wanted;
}

bool TMemberExtractor::Inflate(const TFileData &entry, const TOptions &options) {
  // Sizes no zlib stream of this length can produce are refused before the
  // output buffer is taken.
  if (entry.Size > kMaxMemberSize ||
      static_cast<int64_t>(entry.Size) > static_cast<int64_t>(entry.CompressedSize) * kMaxInflateRatio)
    return false;
  char *unpacked = unpacked_.Reserve(static_cast<size_t>(entry.Size));
  if (!unpacked)
    return false;

  z_stream stream{};
  if (inflateInit(&stream) != Z_OK)
    return false;
  // Bytes checked against their SHA-256 need no Adler-32 as well: the digest
  // finds every change the checksum would.
  if (!options.ExpectedDigest.empty())
    inflateValidate(&stream, 0);
  stream.next_out = reinterpret_cast<Bytef *>(unpacked);
  stream.avail_out = static_cast<uInt>(entry.Size);
  const uInt total = static_cast<uInt>(entry.CompressedSize);
  uInt consumed = 0;
  int status = Z_BUF_ERROR;
  for (;;) {
    uInt chunk = std::min(kInflateChunk, total - consumed);
    if (chunk == 0)
      break; // the input ended before the stream did
    stream.next_in = reinterpret_cast<Bytef *>(packed_.Data.get()) + consumed;
    stream.avail_in = chunk;
    status = inflate(&stream, Z_NO_FLUSH);
    consumed += chunk - stream.avail_in;
    if (options.Progress)
      options.Progress(Percent(consumed, total));
    if (options.ProcessMessages)
      options.ProcessMessages();
    // Z_STREAM_END ends it; so does an error, or Z_BUF_ERROR when the output
    // is full and the stream still wants to produce more than Size bytes.
    if (status != Z_OK)
      break;
  }
  bool complete = status == Z_STREAM_END && stream.total_out == static_cast<uLong>(entry.Size);
  inflateEnd(&stream);
  return complete;
}

bool TMemberExtractor::WriteTarget(TFileSystem &fs, const TFileData &entry, const std::string &target,
                                   const char *data, int64_t size, const TOptions &options) {
  auto log = [&](const std::string &message) {
    if (options.Log)
      options.Log(message);
  };
  std::string folder = ExtractFilePath(target);
  if (!folder.empty() && !fs.DirectoryExists(folder) && !fs.ForceDirectories(folder)) {
    log(" Error: Unable to create " + folder);
    return false;
  }
  int32_t folderAttributes = AttributeNumber(options.DirectoryAttributes);
  if (!folder.empty() && folderAttributes > 0)
    SetPathAttributes(fs, folder, folderAttributes);

  TReplaceResult result = TFileReplacement(fs, options.InUse)
                              .Write(target, data, size, entry.Date,
                                     AttributeNumber(options.FileAttributes),
                                     options.KeepOld ? TFileReplacement::BackupPath(target) : "");
  if (result.Outcome == TReplaceOutcome::AtRestart) {
    awaitsRestart_ = true;
    log(" File in use, replaced at the next restart (" + target + ")");
    return true;
  }
  if (result.Failed()) {
    log(result.Step == TReplaceStep::Stamp ? " Error: unable to extract " + entry.Name
                                           : " Error: Unable to create " + target);
    log(std::string(" Error: ") + FileErrorText(result.Error) + " (" + target + ")");
    return false;
  }
  return true;
}

char *TMemberExtractor::Unpack(const TFileData &entry, const TOptions &options) {
  if (entry.Size == entry.CompressedSize) {
    // The installer image at the start of a setup file may carry the header
    // changes of a signature applied to the whole file.
    if (entry.Offset == 0)
      NormalizeInstallerImage(packed_.Data.get(), static_cast<size_t>(entry.Size));
    return packed_.Data.get();
  }
  if (entry.CompressedSize > entry.Size)
    return nullptr;
  if (!Inflate(entry, options)) {
    if (options.Log)
      options.Log(" Error: decompression failed");
    return nullptr;
  }
  return unpacked_.Data.get();
}

const char *TMemberExtractor::Checked(TFileSystem &fs, const std::string &archivePath,
                                      const TFileData &entry, const TOptions &options) {
  const bool checked = !options.ExpectedDigest.empty();
  char *data = ReadPacked(fs, archivePath, entry, options) ? Unpack(entry, options) : nullptr;
  if (!data || (checked && Sha256Hex(data, static_cast<size_t>(entry.Size)) != options.ExpectedDigest)) {
    // With a manifest every member is known to be whole, so a member that
    // cannot be read, unpacked or matched means a damaged file.
    damaged_ = checked;
    return nullptr;
  }
  return data;
}

bool TMemberExtractor::Extract(TFileSystem &fs, const std::string &archivePath, const TFileData &entry,
                               const std::string &target, const TOptions &options) {
  damaged_ = false;
  awaitsRestart_ = false;
  if (options.Log)
    options.Log(" Extracting " + entry.Name + " to " + ExtractFilePath(target));
  if (!HasContent(entry))
    return false;
  if (options.Progress)
    options.Progress(0);
  const char *data = Checked(fs, archivePath, entry, options);
  return data && WriteTarget(fs, entry, target, data, entry.Size, options);
}

bool TMemberExtractor::Read(TFileSystem &fs, const std::string &archivePath, const TFileData &entry,
                            std::string &content) {
  damaged_ = false;
  content.clear();
  if (!HasContent(entry))
    return false;
  const char *data = Checked(fs, archivePath, entry, TOptions{});
  if (!data)
    return false;
  content.assign(data, static_cast<size_t>(entry.Size));
  return true;
}

bool TMemberExtractor::Verify(TFileSystem &fs, const std::string &archivePath, const TFileData &entry,
                              const std::string &expectedDigest) {
  if (expectedDigest.empty() || !HasContent(entry))
    return false;
  TOptions quiet;
  quiet.ExpectedDigest = expectedDigest;
  return Checked(fs, archivePath, entry, quiet) != nullptr;
}

bool TArchive::LoadDirectory(const std::string &executablePath) {
  path_ = executablePath;
  directory_ = ReadArchiveDirectory(fs_, executablePath);
  manifest_.clear();
  damaged_ = false;
  if (directory_.empty()) {
    // Data behind the program image without a directory at its end: the file
    // was cut short (the bare installer has nothing behind its image).
    if (std::unique_ptr<TFileStream> file = fs_.OpenRead(executablePath)) {
      int64_t image = ImageEnd(*file);
      damaged_ = image > 0 && ArchiveEnd(*file) > image;
    }
    return false;
  }
  TFileData manifest = LookupMember(kManifestMember);
  if (!manifest.Name.empty()) {
    std::string text;
    damaged_ = !extractor_.Read(fs_, path_, manifest, text) || !ParseManifest(text, manifest_);
    if (damaged_)
      manifest_.clear();
  }
  return true;
}

bool TArchive::VerifyMembers() {
  if (damaged_)
    return false;
  for (const std::string &line : directory_) {
    TFileData entry = ParseFileData(line);
    // An empty member is never extracted, so there is nothing to check.
    if (entry.Name.empty() || SameText(entry.Name, kManifestMember) || manifest_.empty() ||
        entry.Size <= 0)
      continue;
    std::string digest = ManifestDigest(manifest_, entry.Name);
    if (!extractor_.Verify(fs_, path_, entry, digest)) {
      damaged_ = true;
      return false;
    }
  }
  return true;
}

void TArchive::Release() {
  directory_.clear();
  directory_.shrink_to_fit();
  manifest_.clear();
}

bool TArchive::ExtractMember(const TFileData &entry, const std::string &target,
                             const std::string &fileAttributes, const std::string &directoryAttributes,
                             const TLogSink &log, const TProgressSink &progress,
                             const TInUseRetry &inUse, bool keepOld) {
  TMemberExtractor::TOptions options;
  options.InUse = inUse;
  options.KeepOld = keepOld;
  options.Log = log;
  options.Progress = progress;
  options.FileAttributes = fileAttributes;
  options.DirectoryAttributes = directoryAttributes;
  if (damaged_) {
    if (log)
      log(" Error: the setup file is damaged");
    return false;
  }
  if (!manifest_.empty() && !entry.Name.empty() && !SameText(entry.Name, kManifestMember)) {
    options.ExpectedDigest = ManifestDigest(manifest_, entry.Name);
    if (options.ExpectedDigest.empty())
      options.ExpectedDigest = "-"; // a member the manifest does not know matches nothing
  }
  bool ok = extractor_.Extract(fs_, path_, entry, target, options);
  if (!ok && extractor_.LastFailureWasDamage()) {
    damaged_ = true;
    if (log)
      log(" Error: the setup file is damaged (" + entry.Name + ")");
  }
  return ok;
}
