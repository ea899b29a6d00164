#pragma once
// The file system on the real disk through the Win32 API (ANSI paths).

#include "platform/FileSystem.h"

class TWin32FileSystem : public TFileSystem {
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
  int64_t FreeSpace(const std::string &path) override;
  // Win32AccessLists.cpp
  TFolderWriters Writers(const std::string &path) override;
  bool RestrictFolder(const std::string &folder) override;
};
