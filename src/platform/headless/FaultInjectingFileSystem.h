#pragma once
// A file system for tests that wraps another and makes chosen operations
// fail, to prove that readers and writers survive I/O errors: the Nth open,
// read or write fails (or every one from the Nth on), and writes stop short
// once a disk-space budget is spent, as they do on a full disk. Everything
// else goes to the wrapped file system unchanged.
//
// Counting is by call: OpenRead, Create and OpenAppend are opens; each
// Read and Write call (and each Flush) of a stream opened here is one read or
// write; each RenameFile is a rename (matched by its source path);
// RemoveFile and RemoveFolder are removals; SetAttributes and
// SetLastWriteTime are stamps; ForceDirectories makes folders. Any counts
// every one of them, to fail the Nth disk operation whatever its kind. With a
// path mask set, only operations on matching paths are counted and faulted
// (the disk-space budget too). A fault reports a reason through LastError:
// the one set by FailWith, or by kind (a write: the disk is full; an open,
// removal, stamp or folder: access denied; a read or rename: other).

#include "platform/FileSystem.h"

#include <functional>

class TFaultInjectingFileSystem : public TFileSystem {
public:
  explicit TFaultInjectingFileSystem(TFileSystem &inner) : inner_(inner) {}

  enum class TOperation { Open, Read, Write, Rename, Remove, Stamp, MakeFolder, Any };
  // The nth operation of the kind (1-based) fails; 0 never. With `lasting`,
  // every later one fails too.
  void Fail(TOperation operation, int n, bool lasting = false);
  // Bytes all streams together may still write; a write beyond it writes what
  // fits and reports the short count. Negative: no limit.
  void SetDiskSpace(int64_t bytes) { diskSpace_ = bytes; }
  // Faults and counts only for paths matching the mask ("*" and "?", letter
  // case ignored); "*" for every path.
  void SetPathMask(const std::string &mask) { pathMask_ = mask; }
  // The reason every fault reports from now on (None: by its kind).
  void FailWith(TFileError error) { faultError_ = error; }
  // No faults, counts back to 0, no disk limit, every path.
  void Reset();
  // Called at each fault before it is reported: a test that throws from it
  // stops the code under test right there, as a process that is killed stops.
  void OnFault(std::function<void()> hook) { onFault_ = std::move(hook); }

  // Operations seen so far (on matching paths).
  int Count(TOperation operation) const { return Rule(operation).Seen; }
  // Operations that were made to fail.
  int Failures() const { return failures_; }

  // Called by the streams.
  bool NextFails(TOperation operation);
  // The same for an operation on a path, which counts only when watched.
  bool NextFails(TOperation operation, const std::string &path);
  int32_t AllowedWrite(int32_t count);

  bool FileExists(const std::string &path) override { return inner_.FileExists(path); }
  bool DirectoryExists(const std::string &path) override { return inner_.DirectoryExists(path); }
  bool ForceDirectories(const std::string &path) override {
    return !NextFails(TOperation::MakeFolder, path) && inner_.ForceDirectories(path);
  }
  bool RemoveFolder(const std::string &path) override {
    return !NextFails(TOperation::Remove, path) && inner_.RemoveFolder(path);
  }
  bool RemoveFile(const std::string &path) override {
    return !NextFails(TOperation::Remove, path) && inner_.RemoveFile(path);
  }
  bool RenameFile(const std::string &from, const std::string &to, uint32_t flags = 0) override;
  TFileError LastError() override { return faulted_ ? lastFault_ : inner_.LastError(); }
  // Counted as a rename of the path.
  bool CancelDeletionAtRestart(const std::string &path) override {
    return !NextFails(TOperation::Rename, path) && inner_.CancelDeletionAtRestart(path);
  }
  std::unique_ptr<TFileStream> OpenRead(const std::string &path) override;
  std::unique_ptr<TFileStream> Create(const std::string &path) override;
  std::unique_ptr<TFileStream> OpenAppend(const std::string &path) override;
  bool GetAttributes(const std::string &path, uint32_t &attributes) override {
    return inner_.GetAttributes(path, attributes);
  }
  bool SetAttributes(const std::string &path, uint32_t attributes) override {
    return !NextFails(TOperation::Stamp, path) && inner_.SetAttributes(path, attributes);
  }
  bool SetLastWriteTime(const std::string &path, TDateTime localTime) override {
    return !NextFails(TOperation::Stamp, path) && inner_.SetLastWriteTime(path, localTime);
  }
  bool GetLastWriteTime(const std::string &path, TDateTime &localTime) override {
    return inner_.GetLastWriteTime(path, localTime);
  }
  std::vector<std::string> ListFiles(const std::string &folder) override {
    return inner_.ListFiles(folder);
  }
  std::vector<TFolderEntry> FindEntries(const std::string &folder, const std::string &mask) override {
    return inner_.FindEntries(folder, mask);
  }
  int64_t FreeSpace(const std::string &path) override { return inner_.FreeSpace(path); }
  TFolderWriters Writers(const std::string &path) override { return inner_.Writers(path); }
  bool RestrictFolder(const std::string &folder) override { return inner_.RestrictFolder(folder); }

private:
  struct TRule {
    int FailAt = 0;
    bool Lasting = false;
    int Seen = 0;
  };
  TRule &Rule(TOperation operation) { return rules_[static_cast<int>(operation)]; }
  const TRule &Rule(TOperation operation) const { return rules_[static_cast<int>(operation)]; }
  bool Watched(const std::string &path) const;
  std::unique_ptr<TFileStream> Wrap(std::unique_ptr<TFileStream> stream, const std::string &path);

  TFileSystem &inner_;
  TRule rules_[static_cast<int>(TOperation::Any) + 1];
  int failures_ = 0;
  TFileError faultError_ = TFileError::None;
  // Whether the operation just made was a fault, and the reason it reports.
  bool faulted_ = false;
  TFileError lastFault_ = TFileError::None;
  int64_t diskSpace_ = -1;
  std::string pathMask_ = "*";
  std::function<void()> onFault_;
};
