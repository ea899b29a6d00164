#pragma once
// The shell through shell32 and the shell link COM object (ANSI interfaces).

#include "platform/Shell.h"

class TWin32Shell : public IShell {
public:
  bool SaveShortcut(const std::string &linkPath, const TShortcutData &data) override;
  bool LoadShortcut(const std::string &linkPath, TShortcutData &data) override;
  intptr_t Open(const std::string &file, const std::string &arguments,
                const std::string &folder) override;
  bool Run(const std::string &file, const std::string &arguments) override;
  bool Recycle(const std::string &path) override;
  std::string DesktopFolder() override;
  std::string AppDataFolder() override;
  std::string LocalAppDataFolder() override;
  std::string SystemFolder() override;
  std::string WindowsFolder() override;
  std::string TempFolder() override;
  std::string VolumeFileSystem(const std::string &root) override;
};
