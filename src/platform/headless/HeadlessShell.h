#pragma once
// The shell for tests: shortcut files are small text files written through a
// file system (so they exist, can be deleted and read back), started programs
// and opened documents are recorded, the recycle bin is a folder of the
// test's choosing, and the folders are whatever the test sets.

#include "platform/FileSystem.h"
#include "platform/Shell.h"

#include <vector>

class THeadlessShell : public IShell {
public:
  explicit THeadlessShell(TFileSystem &fs) : fs_(fs) {}
  bool SaveShortcut(const std::string &linkPath, const TShortcutData &data) override;
  bool LoadShortcut(const std::string &linkPath, TShortcutData &data) override;
  intptr_t Open(const std::string &file, const std::string &arguments,
                const std::string &folder) override;
  bool Run(const std::string &file, const std::string &arguments) override;
  bool Recycle(const std::string &path) override;
  std::string DesktopFolder() override { return Desktop; }
  std::string AppDataFolder() override { return AppData; }
  std::string LocalAppDataFolder() override { return LocalAppData; }
  std::string SystemFolder() override { return System; }
  std::string WindowsFolder() override { return Windows; }
  std::string TempFolder() override { return Temp; }
  std::string VolumeFileSystem(const std::string &) override { return FileSystemName; }

  struct TStart {
    std::string File, Arguments, Folder;
  };
  std::vector<TStart> Opened, Started;
  std::string Desktop, AppData, LocalAppData, System, Windows, Temp, FileSystemName = "NTFS";
  // Where recycled files go; empty: recycling fails. The bin of Windows
  // Vista and later keeps a file as "$R<n>.ext" beside an index "$I<n>.ext";
  // the older bin as "Dc<n>.ext".
  std::string RecycleFolder;
  bool RecycleAsVista = false;
  bool FailShortcuts = false;

private:
  TFileSystem &fs_;
};
