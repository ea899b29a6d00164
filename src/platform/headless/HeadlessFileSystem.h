#pragma once
// The file system for tests and tools: real files on the host through the C++
// library, with the Windows attribute masks and last-write times kept in this
// object. A read-only mask set here makes the file read-only for this object
// (creating, replacing, deleting it or setting its time fails), whatever the
// host's permissions say. Files this object never touched report the archive
// attribute (folders the directory attribute) and the host's modification time.

#include "platform/FileSystem.h"

#include <map>

class THeadlessFileSystem : public TFileSystem {
public:
  bool FileExists(const std::string &path) override;
  bool DirectoryExists(const std::string &path) override;
  bool ForceDirectories(const std::string &path) override;
  bool RemoveFolder(const std::string &path) override;
  bool RemoveFile(const std::string &path) override;
  std::unique_ptr<TFileStream> OpenRead(const std::string &path) override;
  std::unique_ptr<TFileStream> Create(const std::string &path) override;
  bool GetAttributes(const std::string &path, uint32_t &attributes) override;
  bool SetAttributes(const std::string &path, uint32_t attributes) override;
  bool SetLastWriteTime(const std::string &path, TDateTime localTime) override;
  bool GetLastWriteTime(const std::string &path, TDateTime &localTime) override;
  std::vector<std::string> ListFiles(const std::string &folder) override;

private:
  bool IsReadOnly(const std::string &key) const;
  void Forget(const std::string &key);

  std::map<std::string, uint32_t> attributes_;
  std::map<std::string, TDateTime> times_;
};
