#pragma once
// The member archive: the installer's self-extracting file and, without the
// installer image in front, the content container. Members are stored as they
// are or as one zlib stream each; behind them lies the directory text, one
// CR LF-ended line per member
//   name "=" dosdatetime ";" size ";" compressedsize ";" offset ";"
// and then the directory's length as an unsigned 32-bit little-endian number.
// Offsets count from the start of the file.

#include "base/DateTime.h"
#include "data/archive/Manifest.h"
#include "data/text/LogLine.h"
#include "platform/FileReplacement.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// One directory entry. The empty entry (no member) has Offset -1.
struct TFileData {
  std::string Name;
  TDateTime Date = 0;
  int32_t Size = 0;
  int32_t CompressedSize = 0;
  int32_t Offset = -1;
};

// The raw directory lines, in member order.
using TArchiveDirectory = std::vector<std::string>;

// Receives the per-file percentage 0..100.
using TProgressSink = std::function<void(int percent)>;

// Members whose declared sizes could not be real are refused before any memory
// is taken for them: more than this many bytes unpacked, or more than
// kMaxInflateRatio times the packed size (deflate cannot expand further: one
// 258-byte match per two bits at best).
constexpr int64_t kMaxMemberSize = 256 * 1024 * 1024;
constexpr int64_t kMaxInflateRatio = 1032;

// Reads the directory at the end of an archive file. Empty when the file cannot
// be opened, is shorter than 4 bytes, or the length word does not describe a
// directory that lies completely inside the file. In a signed setup file the
// archive ends where the certificate table begins (data/archive/SetupImage.h).
TArchiveDirectory ReadArchiveDirectory(TFileSystem &fs, const std::string &path);

// Parses one directory line; an empty line gives the empty entry. A missing or
// non-numeric size reads as 0, a missing or non-numeric offset as -1.
TFileData ParseFileData(const std::string &line);

// The first line whose name part equals the name without regard to letter
// case, parsed; the empty entry when there is none.
TFileData FindFileData(const TArchiveDirectory &directory, const std::string &name);

// A member name that is a plain file name: no folder, drive or device, not "."
// or "..", no character Windows refuses in names. Only such names are ever
// written into a folder under their own name.
bool IsPlainMemberName(const std::string &name);

// The number a decimal attribute text stands for; 0 for an empty or
// non-numeric text.
int32_t AttributeNumber(const std::string &text);

// Writes one member of an archive file to a target path. The two buffers
// (packed and unpacked member) are kept for the next member.
class TMemberExtractor {
public:
  struct TOptions {
    TLogSink Log;                          // report lines; none when empty
    TProgressSink Progress;                // per-file percentage; none when empty
    std::function<void()> ProcessMessages; // called per inflated input chunk
    std::string FileAttributes;            // decimal mask texts; applied when > 0
    std::string DirectoryAttributes;
    // The SHA-256 the unpacked bytes must have (manifest text); empty: unchecked.
    std::string ExpectedDigest;
    // A target in use: how long to wait for it, and whether the next restart may replace it.
    TInUseRetry InUse;
    // The file replaced stays under TFileReplacement::BackupPath.
    bool KeepOld = false;
  };

  bool Extract(TFileSystem &fs, const std::string &archivePath, const TFileData &entry,
               const std::string &target, const TOptions &options);
  // The member's unpacked bytes in memory; false when it cannot be read whole.
  bool Read(TFileSystem &fs, const std::string &archivePath, const TFileData &entry,
            std::string &content);
  // Whether the member unpacks to bytes with the given SHA-256 (manifest
  // text), checked in the extractor's own buffer; false for an empty digest.
  bool Verify(TFileSystem &fs, const std::string &archivePath, const TFileData &entry,
              const std::string &expectedDigest);
  // Whether the last Extract failed because the member's bytes are not the
  // ones the manifest names, or could not be read or unpacked although it
  // asked for a digest: the setup file is damaged.
  bool LastFailureWasDamage() const { return damaged_; }
  // Whether the last Extract left its target in use to be replaced at the
  // next restart (it counts as written).
  bool LastAwaitsRestart() const { return awaitsRestart_; }

private:
  bool ReadPacked(TFileSystem &fs, const std::string &archivePath, const TFileData &entry,
                  const TOptions &options);
  bool Inflate(const TFileData &entry, const TOptions &options);
  bool WriteTarget(TFileSystem &fs, const TFileData &entry, const std::string &target,
                   const char *data, int64_t size, const TOptions &options);
  // The unpacked bytes of the member just read (the installer image's
  // header made as built); null when they cannot be had.
  char *Unpack(const TFileData &entry, const TOptions &options);
  // The member read and unpacked, and checked when the options name a
  // digest; null when it cannot be had or does not match (with a digest,
  // the file is then damaged).
  const char *Checked(TFileSystem &fs, const std::string &archivePath, const TFileData &entry,
                      const TOptions &options);

  // Grows only; keeps its largest size for the next member. Not zero-filled.
  struct TBuffer {
    std::unique_ptr<char[]> Data;
    size_t Capacity = 0;
    char *Reserve(size_t size);
  };

  TBuffer packed_;
  TBuffer unpacked_;
  bool damaged_ = false;
  bool awaitsRestart_ = false;
};

// The installer's archive: the directory read from its own executable and the
// extraction of members with log lines and progress.
class TArchive {
public:
  explicit TArchive(TFileSystem &fs) : fs_(fs) {}

  // Reads the directory from the given executable (the program passes its own
  // path), and the manifest when the archive has one. True when the
  // directory holds at least one line.
  bool LoadDirectory(const std::string &executablePath);
  void Release();
  // The setup file is damaged: its directory is gone although data follows
  // the program image (a cut file), its manifest is unreadable, or a member
  // did not match the manifest. Nothing more should be installed from it.
  bool Damaged() const { return damaged_; }
  bool HasManifest() const { return !manifest_.empty(); }
  // Reads every member and checks it against the manifest before anything
  // is installed; false (and Damaged) at the first that does not match or
  // is missing from it. True without a manifest.
  bool VerifyMembers();
  const TArchiveDirectory &Directory() const { return directory_; }
  const std::string &Path() const { return path_; }

  TFileData LookupMember(const std::string &name) const { return FindFileData(directory_, name); }

  // Writes the member to the target path (full path with file name). True only
  // when it was written completely and its last-write time was set, or a
  // target in use was left to the next restart (LastAwaitsRestart). With
  // keepOld the file it replaces stays under TFileReplacement::BackupPath.
  bool ExtractMember(const TFileData &entry, const std::string &target,
                     const std::string &fileAttributes, const std::string &directoryAttributes,
                     const TLogSink &log, const TProgressSink &progress,
                     const TInUseRetry &inUse = {}, bool keepOld = false);
  bool LastAwaitsRestart() const { return extractor_.LastAwaitsRestart(); }

private:
  TFileSystem &fs_;
  std::string path_;
  TArchiveDirectory directory_;
  TMemberExtractor extractor_;
  TManifest manifest_;
  bool damaged_ = false;
};
