#pragma once
// The file system as the programs see it: Windows paths and attribute masks,
// last-write times in local time. The Win32 implementation works on the real
// disk; the headless one works on the host's files and keeps the Windows
// attribute masks and times beside them so tests can check them.
//
// Every operation reports failure through its result and never throws.
// Paths are 8-bit texts; "\" and "/" both separate folders.

#include "base/DateTime.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Windows file attribute masks.
constexpr uint32_t kFileAttributeReadOnly = 0x01;
constexpr uint32_t kFileAttributeHidden = 0x02;
constexpr uint32_t kFileAttributeSystem = 0x04;
constexpr uint32_t kFileAttributeDirectory = 0x10;
constexpr uint32_t kFileAttributeArchive = 0x20;
constexpr uint32_t kFileAttributeNormal = 0x80;

// Why an operation failed, as far as the system tells.
enum class TFileError { None, NotFound, AccessDenied, InUse, DiskFull, Other };
// The reason as the installer log names it ("the disk is full" ...); empty for None.
const char *FileErrorText(TFileError error);

// How RenameFile moves a file (flags, combined with |).
constexpr uint32_t kRenameReplaceExisting = 0x1; // an existing file of the new name is replaced in one step
constexpr uint32_t kRenameWriteThrough = 0x2;    // returns only when the move has reached the disk
// Registered now and made at the next start of the system; an empty new name
// deletes the file (or the folder, empty by then) then.
constexpr uint32_t kRenameAtRestart = 0x4;

// One entry of a folder listing.
// Who may change a file or folder, as its access list says.
enum class TFolderWriters {
  NotKept,     // the volume keeps no access lists (FAT): every user may
  OnlyTrusted, // owned and changeable only by the system, the administrators
               // and the user running this program
  Others,      // someone else owns it or may write, delete or re-secure it;
               // also when it is missing or the system cannot tell
};

struct TFolderEntry {
  std::string Name;
  uint32_t Attributes = 0;
};

// An open file. Reads and writes move the position.
class TFileStream {
public:
  virtual ~TFileStream() = default;
  // Size in bytes, or -1 when it cannot be determined.
  virtual int64_t Size() = 0;
  virtual bool Seek(int64_t position) = 0;
  // Bytes read (0 at the end of the file), or -1 on a read error.
  virtual int32_t Read(void *buffer, int32_t count) = 0;
  // Bytes written; fewer than count on an error.
  virtual int32_t Write(const void *buffer, int32_t count) = 0;
  // Hands everything written so far to the disk; false when it cannot be.
  virtual bool Flush() { return true; }
};

class TFileSystem {
public:
  virtual ~TFileSystem() = default;

  // Existing files only (not folders).
  virtual bool FileExists(const std::string &path) = 0;
  virtual bool DirectoryExists(const std::string &path) = 0;
  // Creates the folder with every missing level; true when it exists afterwards.
  virtual bool ForceDirectories(const std::string &path) = 0;
  virtual bool RemoveFolder(const std::string &path) = 0;
  // Fails for read-only files and folders.
  virtual bool RemoveFile(const std::string &path) = 0;
  // Gives an existing file a new name in the same volume. Without
  // kRenameReplaceExisting it fails when a file or folder of the new name
  // exists, so nothing is replaced; with it, a read-only file of the new name
  // is refused.
  virtual bool RenameFile(const std::string &from, const std::string &to, uint32_t flags = 0) = 0;
  // Why the operation just failed. Asked right after the failure: any later
  // operation may change it.
  virtual TFileError LastError() = 0;
  // Takes back the deletion at the next restart registered for a file or
  // folder (RenameFile with kRenameAtRestart and no new name); renames
  // registered for it stay. True when none is registered afterwards.
  virtual bool CancelDeletionAtRestart(const std::string &path) = 0;

  // Read-only access that other readers may share (the running program's own file).
  virtual std::unique_ptr<TFileStream> OpenRead(const std::string &path) = 0;
  // Creates or replaces a file for writing; null when that is not allowed.
  virtual std::unique_ptr<TFileStream> Create(const std::string &path) = 0;
  // Opens a file for writing at its end, creating it when missing.
  virtual std::unique_ptr<TFileStream> OpenAppend(const std::string &path) = 0;

  // The attribute mask of an existing file or folder.
  virtual bool GetAttributes(const std::string &path, uint32_t &attributes) = 0;
  virtual bool SetAttributes(const std::string &path, uint32_t attributes) = 0;

  // Opens the file for writing and sets its last-write time, given in local
  // time. Fails when the file cannot be opened for writing or the time is not
  // representable.
  virtual bool SetLastWriteTime(const std::string &path, TDateTime localTime) = 0;
  virtual bool GetLastWriteTime(const std::string &path, TDateTime &localTime) = 0;

  // Names (without folder) of the files directly inside a folder; folders are
  // left out.
  virtual std::vector<std::string> ListFiles(const std::string &folder) = 0;
  // Every entry (files and folders, without "." and "..") directly inside a
  // folder whose name matches the mask ("*" and "?" wildcards, letter case
  // ignored), with its attribute mask.
  virtual std::vector<TFolderEntry> FindEntries(const std::string &folder,
                                                const std::string &mask = "*") = 0;
  // Free bytes for the caller on the volume holding the path; -1 when the
  // volume cannot be found.
  virtual int64_t FreeSpace(const std::string &path) = 0;

  virtual TFolderWriters Writers(const std::string &path) = 0;
  // Gives an existing folder and the entries directly in it to the
  // administrators: owned by them, changeable only by them and the system,
  // readable and runnable by users, and what is made inside later inherits
  // the same. False when any of it is refused (no administrator's rights, a
  // volume without access lists).
  virtual bool RestrictFolder(const std::string &folder) = 0;
};

// Whether a name matches a mask of "*" (any run) and "?" (one character),
// without regard to letter case.
bool MatchesMask(const std::string &name, const std::string &mask);

// The whole file as bytes, or its first maxBytes; false (and nothing) when it
// cannot be opened or a read fails.
bool ReadWholeFile(TFileSystem &fs, const std::string &path, std::string &content,
                   int64_t maxBytes = INT64_MAX);

// Reads up to count bytes, going on after short reads; the number read, less
// than count at the end of the file or on a read error.
int64_t ReadFully(TFileStream &file, void *buffer, int64_t count);
// True only when every byte was written.
bool WriteFully(TFileStream &file, const void *data, int64_t count);

// Who may change a folder or any entry directly in it: Others when anyone
// else may change one of them.
TFolderWriters FolderWriters(TFileSystem &fs, const std::string &folder);

// Gives an existing file or folder the attribute mask (> 0). True at once when
// it already has it; false when the path does not exist, the mask is <= 0 or
// setting it fails.
bool SetPathAttributes(TFileSystem &fs, const std::string &path, int32_t attributes);

// Copies an existing file in 2048-byte blocks, creating the target's folder
// first; true only when every byte of the source was written.
bool CopyFileBlocks(TFileSystem &fs, const std::string &source, const std::string &target);

// Path texts shared by every implementation.
bool IsPathSeparator(char c);
// The folder part of a path including its trailing separator ("" without one).
std::string ExtractFilePath(const std::string &path);
// The part after the last separator or drive colon.
std::string ExtractFileName(const std::string &path);
// The folder with a trailing backslash unless it already ends in a separator.
std::string IncludeTrailingBackslash(const std::string &folder);
