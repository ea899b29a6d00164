#pragma once
// The file system for tests and tools: real files on the host through the C++
// library, with the Windows attribute masks and last-write times kept in this
// object. A read-only mask set here makes the file read-only for this object
// (creating, replacing, deleting it or setting its time fails), whatever the
// host's permissions say. Files this object never touched report the archive
// attribute (folders the directory attribute) and the host's modification time.
// A file marked in use stands for one another program holds open without
// sharing: it can be read, but not written, replaced, renamed or deleted.
// Renames kept for the next restart are listed, never made.

#include "platform/FileSystem.h"

#include <map>
#include <set>
#include <vector>

class THeadlessFileSystem : public TFileSystem {
public:
  bool FileExists(const std::string &path) override;
  bool DirectoryExists(const std::string &path) override;
  bool ForceDirectories(const std::string &path) override;
  bool RemoveFolder(const std::string &path) override;
  bool RemoveFile(const std::string &path) override;
  bool RenameFile(const std::string &from, const std::string &to, uint32_t flags = 0) override;
  TFileError LastError() override;
  bool CancelDeletionAtRestart(const std::string &path) override;
  std::unique_ptr<TFileStream> OpenRead(const std::string &path) override;
  std::unique_ptr<TFileStream> Create(const std::string &path) override;
  bool GetAttributes(const std::string &path, uint32_t &attributes) override;
  bool SetAttributes(const std::string &path, uint32_t attributes) override;
  bool SetLastWriteTime(const std::string &path, TDateTime localTime) override;
  bool GetLastWriteTime(const std::string &path, TDateTime &localTime) override;
  std::unique_ptr<TFileStream> OpenAppend(const std::string &path) override;
  std::vector<std::string> ListFiles(const std::string &folder) override;
  std::vector<TFolderEntry> FindEntries(const std::string &folder, const std::string &mask) override;
  // The host's free space, or the figure a test set.
  int64_t FreeSpace(const std::string &path) override;
  void SetFreeSpace(int64_t bytes) { freeSpace_ = bytes; }
  // Access lists as a test sets them: nothing is foreign until a path is
  // let to others (a folder another user prepared, a file they own), which
  // restricting its folder takes back, when the test lets it.
  TFolderWriters Writers(const std::string &path) override;
  bool RestrictFolder(const std::string &folder) override;
  void LetOthersChange(const std::string &path);
  bool KeepsAccessLists = true;
  bool MayRestrict = true;
  void SetInUse(const std::string &path, bool inUse);
  // The renames registered for the next restart, in order (an empty new name
  // stands for a deletion).
  struct TRestartRename {
    std::string From, To;
  };
  const std::vector<TRestartRename> &AtRestart() const { return atRestart_; }

private:
  bool IsReadOnly(const std::string &key) const;
  // Sets errno for the refusal when the file is read-only or in use.
  bool Refused(const std::string &key) const;
  void Forget(const std::string &key);

  std::map<std::string, uint32_t> attributes_;
  std::map<std::string, TDateTime> times_;
  std::set<std::string> foreign_;
  int64_t freeSpace_ = -2; // -2: ask the host
  std::vector<std::string> inUse_;
  std::vector<TRestartRename> atRestart_;
};
