// Close-down, when the installer window is about to close in either mode:
// the script and archive are released, the temporary script copy (install) or
// the product's copy (a completed uninstall) deleted, the language kept, the
// log closed and shown after failures. An abandoned first installation
// leaves nothing of the installer behind; the last uninstall hands the
// installer's folder to the clean-up program.
#include "kestrup/EngineContext.h"

#include "base/AnsiText.h"
#include "kestrup/InstallerPaths.h"

#include <set>

namespace {

class TCloseDown {
public:
  explicit TCloseDown(TEngineContext &context)
      : c_(context), files_(context.Platform.Files), state_(context.State) {}
  void Run();

private:
  void ForgetMaker(const std::string &windows);
  void RemoveInstallerFolder(const std::string &installer);
  // The clean-up program's copy outside the installer's folder (in the
  // recycle bin or the Windows folder's Temp); empty when there is none.
  std::string PlaceCleanupProgram(const std::string &installer, const std::string &windows);

  TEngineContext &c_;
  TFileSystem &files_;
  TRunState &state_;
};

void TCloseDown::Run() {
  std::string installer = c_.InstallerFolder();
  if (c_.Archive)
    c_.Archive->Release();
  if (c_.Script)
    c_.Script->Close();
  const bool install = state_.Mode == TRunMode::Install;
  if (installer.empty()) {
    c_.Log.Close();
    return; // nothing of the installer's own was ever written
  }
  if (install) {
    if (!(state_.FirstRun && (state_.FatalError || state_.Cancelled)))
      c_.Actions.DeletePath(installer + kScriptFile);
  } else if (state_.Completed) {
    c_.Actions.DeletePath(state_.ScriptPath);
  }
  if (state_.Completed || (!state_.EndedAtStartup && files_.FileExists(installer + kSettingsFile)))
    c_.Actions.IniWrite(installer + kSettingsFile, "Common", "LngID", std::to_string(state_.Language));
  c_.Log.Close();
  std::string log = c_.LogPath();
  bool failed = state_.FatalError || state_.ErrorsLogged;
  // A run without a window shows nothing; its exit code tells of the failure.
  if (files_.FileExists(log) && failed && !state_.Silent &&
      (install ? !state_.FirstRun && c_.Page.ShowLogChecked() : true))
    c_.Actions.OpenDocument(".txt", log);

  std::string windows = c_.Platform.Shell.WindowsFolder();
  if (install) {
    if (state_.FirstRun && state_.Cancelled) {
      ForgetMaker(windows);
      RemoveInstallerFolder(installer);
    }
    return;
  }
  if (!(state_.Completed && state_.LastProduct))
    return;
  ForgetMaker(windows);
  std::string cleanup = PlaceCleanupProgram(installer, windows);
  for (const std::string &name : files_.ListFiles(installer))
    if (!SameText(name, kInstallerProgram)) // the running uninstaller stays
      c_.Actions.DeletePath(installer + name);
  if (!cleanup.empty() && files_.FileExists(cleanup))
    c_.Actions.RunProgram(cleanup, "\"/kestrup\" \"" + c_.FolderPath(sfCommonAppData) + "\"");
}

void TCloseDown::ForgetMaker(const std::string &windows) {
  if (!windows.empty())
    c_.Actions.DeletePath(windows + kMakerIniFile);
  c_.Actions.RegDeleteKey(kHKeyCurrentUser, kMakerKey);
  c_.Actions.RegDeleteKey(kHKeyLocalMachine, kMakerKey);
}

void TCloseDown::RemoveInstallerFolder(const std::string &installer) {
  for (const std::string &name : files_.ListFiles(installer))
    c_.Actions.DeletePath(installer + name);
  files_.SetAttributes(installer, kFileAttributeDirectory);
  if (files_.RemoveFolder(installer)) {
    std::string maker = c_.FolderPath(sfCommonAppData) + kMakerFolder;
    files_.SetAttributes(maker, kFileAttributeDirectory);
    files_.RemoveFolder(maker);
  }
}

std::string TCloseDown::PlaceCleanupProgram(const std::string &installer,
                                            const std::string &windows) {
  size_t separator = windows.find('\\');
  std::string drive = windows.substr(0, separator == std::string::npos ? windows.size() : separator + 1);
  std::string fileSystem = c_.Platform.Shell.VolumeFileSystem(drive);
  std::string recycle = drive + (SameText(fileSystem, "ntfs") ? "Recycler\\" : "Recycled\\");
  std::string cleaner = installer + kCleanupProgram;
  std::string tempCopy = windows + "Temp\\" + kCleanupProgram;
  if (files_.DirectoryExists(recycle)) {
    std::set<std::string> before;
    for (const TFolderEntry &e : files_.FindEntries(recycle, "*.exe"))
      before.insert(e.Name);
    if (c_.Platform.Shell.Recycle(cleaner)) {
      // The recycle bin renames what it takes: the new ".exe" is the program.
      for (const TFolderEntry &e : files_.FindEntries(recycle, "*.exe"))
        if (!before.count(e.Name))
          return recycle + e.Name;
      return "";
    }
  }
  return CopyFileBlocks(files_, cleaner, tempCopy) ? tempCopy : "";
}

} // namespace

void RunCloseDown(TEngineContext &context) { TCloseDown(context).Run(); }
