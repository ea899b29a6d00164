// Close-down, when the installer window is about to close in either mode:
// the script and archive are released, the temporary script copy (install) or
// the product's copy (a completed uninstall) deleted, the language kept, the
// log closed and shown after failures. An abandoned first installation
// leaves nothing of the installer behind, a rolled-back one only its log;
// the last uninstall hands the
// installer's folder to the clean-up program.
#include "kestrup/EngineContext.h"

#include "base/AnsiText.h"
#include "kestrup/InstallerPaths.h"

#include <set>
#include <vector>

namespace {

// The recycle folders of a volume that exist: "$Recycle.Bin\" of Windows
// Vista and later, "Recycler\" (NTFS) and "Recycled\" (FAT) before them,
// each with its folders per user (named by the user's security id), where
// NTFS volumes keep the files.
std::vector<std::string> RecycleFolders(TFileSystem &files, const std::string &drive) {
  std::vector<std::string> folders;
  for (const char *name : {"$Recycle.Bin\\", "Recycler\\", "Recycled\\"}) {
    const std::string bin = drive + name;
    if (!files.DirectoryExists(bin))
      continue;
    folders.push_back(bin);
    for (const TFolderEntry &e : files.FindEntries(bin, "*"))
      if (e.Attributes & kFileAttributeDirectory)
        folders.push_back(bin + e.Name + "\\");
  }
  return folders;
}

// The programs the recycle folders keep, without the index files ("$I...")
// beside them in the bin of Vista and later.
std::set<std::string> RecycledPrograms(TFileSystem &files, const std::vector<std::string> &folders) {
  std::set<std::string> programs;
  for (const std::string &folder : folders)
    for (const TFolderEntry &e : files.FindEntries(folder, "*.exe"))
      if (!(e.Attributes & kFileAttributeDirectory) && !SameText(e.Name.substr(0, 2), "$I"))
        programs.insert(folder + e.Name);
  return programs;
}

class TCloseDown {
public:
  explicit TCloseDown(TEngineContext &context)
      : c_(context), files_(context.Platform.Files), state_(context.State) {}
  void Run();

private:
  void ForgetMaker(const std::string &windows);
  // Every file of the installer's folder but the one kept, then the folder when emptied.
  void RemoveInstallerFolder(const std::string &installer, const std::string &kept = "");
  // The clean-up program's copy outside the installer's folder, where no
  // other user may change it: in the user's recycle folder, or else in a new
  // folder of the user's own temporary folder (the Windows folder's Temp is
  // shared by every user). Empty when there is none.
  std::string PlaceCleanupProgram(const std::string &installer, const std::string &windows);
  std::string NewPrivateFolder();
  // The copy is started only when it still holds the clean-up program's
  // bytes and nobody else may change it or its folder.
  bool CopyIsSound(const std::string &copy, const std::string &program);

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
    if (state_.FirstRun && (state_.Cancelled || state_.RolledBack)) {
      ForgetMaker(windows);
      // A failure the user did not choose is told by the log, which stays.
      RemoveInstallerFolder(installer, state_.Cancelled ? "" : kLogFile);
    }
    return;
  }
  if (!(state_.Completed && state_.LastProduct))
    return;
  ForgetMaker(windows);
  std::string program;
  ReadWholeFile(files_, installer + kCleanupProgram, program);
  std::string cleanup = PlaceCleanupProgram(installer, windows);
  for (const std::string &name : files_.ListFiles(installer))
    if (!SameText(name, kInstallerProgram)) // the running uninstaller stays
      c_.Actions.DeletePath(installer + name);
  if (!cleanup.empty() && CopyIsSound(cleanup, program))
    c_.Actions.RunProgram(cleanup, "\"/kestrup\" \"" + c_.FolderPath(sfCommonAppData) + "\"");
}

void TCloseDown::ForgetMaker(const std::string &windows) {
  if (!windows.empty())
    c_.Actions.DeletePath(windows + kMakerIniFile);
  c_.Actions.RegDeleteKey(kHKeyCurrentUser, kMakerKey);
  c_.Actions.RegDeleteKey(kHKeyLocalMachine, kMakerKey);
}

void TCloseDown::RemoveInstallerFolder(const std::string &installer, const std::string &kept) {
  for (const std::string &name : files_.ListFiles(installer))
    if (!SameText(name, kept))
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
  std::string cleaner = installer + kCleanupProgram;
  if (std::vector<std::string> folders = RecycleFolders(files_, drive); !folders.empty()) {
    const std::set<std::string> before = RecycledPrograms(files_, folders);
    if (c_.Platform.Shell.Recycle(cleaner)) {
      // The recycle bin renames what it takes: the new program is the one.
      // The user's folder may have been made by this very recycling.
      for (const std::string &program : RecycledPrograms(files_, RecycleFolders(files_, drive)))
        if (!before.count(program))
          return program;
      return "";
    }
  }
  const std::string folder = NewPrivateFolder();
  if (folder.empty())
    return "";
  const std::string copy = folder + kCleanupProgram;
  return CopyFileBlocks(files_, cleaner, copy) ? copy : "";
}

std::string TCloseDown::NewPrivateFolder() {
  const std::string temp = c_.Platform.Shell.TempFolder();
  if (temp.empty())
    return "";
  // A folder of an earlier run is never reused: only a new one is this run's.
  for (int n = 1; n <= 100; ++n) {
    const std::string folder = temp + "KestrupEx" + std::to_string(n) + "\\";
    if (files_.DirectoryExists(folder) || files_.FileExists(temp + "KestrupEx" + std::to_string(n)))
      continue;
    if (!files_.ForceDirectories(folder))
      return "";
    // An administrator's run makes it the administrators' alone.
    if (state_.ForAllUsers)
      files_.RestrictFolder(folder);
    return folder;
  }
  return "";
}

bool TCloseDown::CopyIsSound(const std::string &copy, const std::string &program) {
  std::string bytes;
  return !program.empty() && ReadWholeFile(files_, copy, bytes) && bytes == program &&
         files_.Writers(copy) != TFolderWriters::Others &&
         files_.Writers(ExtractFilePath(copy)) != TFolderWriters::Others;
}

} // namespace

void RunCloseDown(TEngineContext &context) { TCloseDown(context).Run(); }
