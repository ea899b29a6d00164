#include "movaro/profile/ProfilePlaces.h"

namespace {

constexpr char kPartialSuffix[] = ".new";

// "C:\WINDOWS\" as the VirtualStore names it: "WINDOWS\", without the drive.
std::string WithoutDrive(const std::string &folder) {
  size_t start = folder.size() >= 2 && folder[1] == ':' ? 2 : 0;
  while (start < folder.size() && IsPathSeparator(folder[start]))
    ++start;
  return folder.substr(start);
}

} // namespace

std::string ReadProgramSetting(TRegistryText &registry, const std::string &typeName,
                               const std::string &name) {
  for (const TSettingPlace &place : kSettingPlaces) {
    TRegTextStatus status;
    std::string text = registry.Read(place.Root, place.Key, typeName, name, status);
    if (status == TRegTextStatus::Ok)
      return text;
  }
  return "";
}

std::string ReadProgramString(IRegistry &registry, const std::string &name) {
  for (const TSettingPlace &place : kSettingPlaces) {
    TRegValue value;
    if (registry.ReadValue(place.Root, place.Key, name, value) == TRegStatus::Ok &&
        value.Type == kRegString)
      return value.Data.substr(0, value.Data.find('\0'));
  }
  return "";
}

bool WriteProgramSetting(TRegistryText &registry, const std::string &typeName,
                         const std::string &text, const std::string &name) {
  const TSettingPlace &own = kSettingPlaces[0];
  return registry.Write(own.Root, own.Key, typeName, text, name);
}

std::vector<std::string> OldProfileFiles(IShell &shell) {
  std::vector<std::string> files;
  const std::string windows = shell.WindowsFolder(), local = shell.LocalAppDataFolder();
  if (!windows.empty() && !local.empty() && !WithoutDrive(windows).empty())
    files.push_back(IncludeTrailingBackslash(local) + "VirtualStore\\" + WithoutDrive(windows) +
                    kProfileFileName);
  if (!windows.empty())
    files.push_back(windows + kProfileFileName);
  return files;
}

TProfileFilePlace PrepareProfileFile(TFileSystem &fs, IShell &shell) {
  const std::string appData = shell.AppDataFolder();
  const std::string folder = appData.empty() ? "" : IncludeTrailingBackslash(appData) + kProfileFolder;
  if (folder.empty() || (!fs.DirectoryExists(folder) && !fs.ForceDirectories(folder))) {
    const std::string windows = shell.WindowsFolder();
    return {windows.empty() ? kProfileFileName : windows + kProfileFileName,
            TProfileFileSource::NoUserFolder, ""};
  }
  const std::string file = folder + kProfileFileName;
  if (fs.FileExists(file))
    return {file, TProfileFileSource::UserFile, ""};
  for (const std::string &old : OldProfileFiles(shell)) {
    if (!fs.FileExists(old))
      continue;
    const std::string partial = file + kPartialSuffix;
    if (CopyFileBlocks(fs, old, partial) && fs.RenameFile(partial, file))
      return {file, TProfileFileSource::TakenOver, old};
    fs.RemoveFile(partial);
    return {old, TProfileFileSource::OldFile, old};
  }
  return {file, TProfileFileSource::UserFile, ""};
}
