#include "kestrup/InstallerFolderGuard.h"

#include "kestrup/InstallerPaths.h"

namespace {

std::string MakerFolderOf(const std::string &installer) {
  const size_t own = kInstallerSubfolder.size() - kMakerFolder.size();
  return installer.size() > own ? installer.substr(0, installer.size() - own) : installer;
}

} // namespace

TInstallerFolderGuard::TInstallerFolderGuard(TFileSystem &files, const std::string &installer)
    : files_(files), folders_{{MakerFolderOf(installer), files.DirectoryExists(MakerFolderOf(installer))},
                              {installer, files.DirectoryExists(installer)}} {}

std::string TInstallerFolderGuard::Secure(TKestrupEngine &engine) {
  for (const TFolder &folder : folders_) {
    if (!files_.ForceDirectories(folder.Path))
      return ""; // what would be written there fails and says so
    const TFolderWriters before = FolderWriters(files_, folder.Path);
    if (before == TFolderWriters::NotKept) {
      engine.Log(" Warning: the volume of " + folder.Path + " keeps no access lists");
      return "";
    }
    if (folder.Existed && before == TFolderWriters::OnlyTrusted)
      continue; // an administrator's own list stays as it is
    files_.RestrictFolder(folder.Path);
    if (FolderWriters(files_, folder.Path) != TFolderWriters::OnlyTrusted) {
      engine.Log(" Error: other users may change " + folder.Path + " and its access list cannot be corrected");
      return folder.Path;
    }
    corrected_ = corrected_ || folder.Existed;
    if (folder.Existed)
      engine.Log(" Access list of " + folder.Path + " corrected: other users could change it");
  }
  return "";
}
