#pragma once
// Writes member archives: the installer's self-extracting file (the installer
// image, then the members, the directory and its length) and the content
// container (the same without the installer image). The programs only read
// these; see data/archive/Archive.h for the layout. Files are written and
// read through the file system the caller gives.

#include "platform/FileSystem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TArchiveMemberInfo {
  std::string Name;
  uint32_t DosDateTime = 0;
  int32_t Size = 0;
  int32_t CompressedSize = 0;
  int32_t Offset = 0;
  std::string Digest; // SHA-256 of the unpacked bytes, as the manifest lists it
};

// name "=" dosdatetime ";" size ";" compressedsize ";" offset ";" (without CR LF).
std::string ArchiveDirectoryLine(const TArchiveMemberInfo &member);

// The last-write time of a file as a packed DOS date-time in local time.
bool FileDosDateTime(TFileSystem &files, const std::string &path, uint32_t &result);

class TArchiveWriter {
public:
  explicit TArchiveWriter(TFileSystem &files) : files_(files) {}
  TArchiveWriter(const TArchiveWriter &) = delete;
  TArchiveWriter &operator=(const TArchiveWriter &) = delete;
  ~TArchiveWriter();

  // Starts a new file at the path, replacing an existing one.
  bool Open(const std::string &path);
  // Appends the bytes as they are.
  bool AddStored(const std::string &name, uint32_t dosDateTime, const std::string &data);
  // Appends the bytes as a zlib stream (level 9) when that is shorter, else as they are.
  bool AddMember(const std::string &name, uint32_t dosDateTime, const std::string &data);
  // Appends a file under its own file name, dated by its modification time.
  bool AddFile(const std::string &path, bool stored = false);
  // Appends the manifest (data/archive/Manifest.h): the digest of every member so far.
  bool AddManifest(uint32_t dosDateTime);
  // Writes the directory and its length and closes the file. With alignEnd
  // the directory is preceded by zeros that make the file's size a multiple
  // of 8, so a signing tool appends its certificate table right behind it.
  bool Finish(bool alignEnd = false);

  const std::vector<TArchiveMemberInfo> &Members() const { return members_; }
  int64_t BytesWritten() const { return position_; }
  const std::string &Error() const { return error_; }

private:
  bool Append(const std::string &name, uint32_t dosDateTime, int64_t size, const char *data,
              int64_t count);
  bool Fail(const std::string &message);

  TFileSystem &files_;
  std::unique_ptr<TFileStream> file_;
  int64_t position_ = 0;
  std::vector<TArchiveMemberInfo> members_;
  std::string error_;
};

// The self-extracting installer: the installer image as the first, stored
// member at offset 0, then the files and the manifest, the file's size a
// multiple of 8.
bool BuildSetupArchive(TFileSystem &fs, const std::string &output, const std::string &installer,
                       const std::vector<std::string> &files, std::string &error);
// The content container: the files only.
bool BuildContentContainer(TFileSystem &fs, const std::string &output,
                           const std::vector<std::string> &files, std::string &error);
