// Uninstall: removes what the script names (files, ini entries, registry
// values, shortcuts), then the emptied installation and group folders and,
// when nothing failed, the uninstall entry. Status counts only for shared
// files, which stay until the last product goes.
#include "kestrup/EngineContext.h"

#include "base/AnsiText.h"

#include <algorithm>
#include "kestrup/EngineTexts.h"

namespace {

class TUninstallPass {
public:
  explicit TUninstallPass(TEngineContext &context) : c_(context), page_(context.Page) {}
  void Run();

private:
  void BeginStep(int step, int message);
  void RemoveFiles();
  void RemoveFile(const std::string &targetDir, const std::string &fileName);
  void RemoveIniEntries();
  void RemoveRegistryValues();
  void RemoveShortcuts();
  bool RemoveFolderWithWait(const std::string &folder);
  // Whether the folder holds nothing but files deleted at the next restart;
  // it then goes at the restart too.
  bool LeftToRestart(const std::string &folder);
  void Check(bool ok) {
    if (!ok)
      c_.Failed();
  }

  TEngineContext &c_;
  IEnginePage &page_;
  std::vector<std::string> deletedAtRestart_;
};

constexpr int kSteps = 5;

void TUninstallPass::BeginStep(int step, int message) {
  page_.SetLabel(TPageLabel::UninstallProgress, "");
  page_.SetBar(TPageBar::UninstallProgress, step, kSteps);
  page_.SetLabel(TPageLabel::UninstallMessage, c_.Text(message));
}

void TUninstallPass::Run() {
  page_.EnableButtons(false, false, false);
  page_.ShowUninstallProgress(true);
  BeginStep(1, etDeletingFiles);
  if (!c_.HasScript())
    c_.Failed();
  RemoveFiles();
  BeginStep(2, etUpdatingIniFiles);
  RemoveIniEntries();
  BeginStep(3, etUninstallingRegistry);
  RemoveRegistryValues();
  BeginStep(4, etDeletingShortcuts);
  RemoveShortcuts();
  BeginStep(5, etUninstallingRegistry);
  Check(RemoveFolderWithWait(c_.State.InstallDir));
  Check(RemoveFolderWithWait(c_.Expand("[ftProgramGroup]")));
  const std::string entry = c_.UninstallKey();
  Check(!entry.empty());
  if (!c_.State.ErrorsLogged)
    Check(c_.Actions.RegDeleteKey(c_.State.Product.RootKey, entry));
  page_.ShowUninstallProgress(false);
  if (c_.State.ErrorsLogged) {
    page_.SetLabel(TPageLabel::UninstallMessage, c_.Text(etUninstallCompleteWithErrors));
    page_.SetLabel(TPageLabel::UninstallBottom, c_.Text(etClickNextToViewLog));
  } else {
    c_.State.Completed = true;
    page_.SetLabel(TPageLabel::UninstallMessage, c_.Text(etUninstallComplete));
    page_.SetLabel(TPageLabel::UninstallBottom, c_.Text(etClickNextToFinish));
  }
  page_.EnableButtons(false, true, false);
}

void TUninstallPass::RemoveFiles() {
  c_.Rows<TFileRow>().ForEach([this](const TFileRow &row) {
    if (row.Status() == kStatusShared && !c_.State.LastProduct)
      return;
    std::string targetDir = row.TargetDir();
    if (targetDir.empty())
      return; // never installed: the bare name would point into the working folder
    RemoveFile(targetDir, row.FileName());
  });
}

void TUninstallPass::RemoveFile(const std::string &targetDir, const std::string &fileName) {
  TFileSystem &files = c_.Platform.Files;
  std::string path = targetDir + fileName;
  auto failed = [&] {
    c_.Log.Write(" Error: unable to delete " + path);
    c_.Failed();
  };
  if (HasParentElement(path))
    return failed(); // never installed either, and possibly outside every folder of the product
  page_.SetLabel(TPageLabel::UninstallProgress,
                 c_.Text(etUninstallDeleting) + page_.FitPath(TPageLabel::UninstallProgress, path));
  files.SetAttributes(path, kFileAttributeArchive);
  TFileError why = TFileError::None;
  auto removed = [&] {
    if (!files.FileExists(path) || files.RemoveFile(path))
      return true;
    why = files.LastError();
    return false;
  };
  // A file held open by another program goes at the next restart and is no failure.
  auto leftOrFailed = [&] {
    TInUseRetry atRestart;
    atRestart.AtRestart = true;
    if (why == TFileError::InUse &&
        TFileReplacement(files, atRestart).Remove(path).Outcome == TReplaceOutcome::AtRestart) {
      c_.Log.Write(" File in use, deleted at the next restart (" + path + ")");
      c_.State.RestartNeeded = true;
      deletedAtRestart_.push_back(path);
      return;
    }
    failed();
  };
  if (removed())
    return;
  std::string upper = AnsiUpperCase(fileName);
  auto has = [&](const char *extension) { return upper.find(extension) != std::string::npos; };
  bool program = has(".EXE") || has(".DLL");
  if (!program && !has(".BAT") && !has(".COM"))
    return leftOrFailed();
  if (targetDir.find(c_.State.InstallDir) == std::string::npos || !program)
    return; // a program outside the installation (shared) may stay in use: left alone
  // A program of the installation may still be running: give it 5 seconds.
  page_.SetBusyCursor(true);
  uint32_t start = c_.Platform.Clock.TickCount();
  while (c_.Platform.Clock.TickCount() - start < 5000) {
    if (removed())
      break;
    page_.ProcessMessages();
    page_.Wait(1000);
    page_.ProcessMessages();
  }
  if (files.FileExists(path))
    leftOrFailed();
  page_.SetBusyCursor(false);
}

void TUninstallPass::RemoveIniEntries() {
  c_.Rows<TIniRow>().ForEach(
      [this](const TIniRow &row) { Check(c_.Actions.IniDelete(row.File(), row.Section(), row.Key())); });
}

void TUninstallPass::RemoveRegistryValues() {
  c_.Rows<TRegistryRow>().ForEach([this](const TRegistryRow &row) {
    Check(c_.Actions.RegDeleteValue(row.Root(), row.Key(), row.Name()));
  });
}

void TUninstallPass::RemoveShortcuts() {
  TRootKey root = c_.State.Product.RootKey;
  if (c_.State.Product.DesktopShortcut && (root == kHKeyCurrentUser || root == kHKeyLocalMachine))
    Check(c_.Actions.DeletePath(c_.DesktopFor(root) + c_.State.Product.ProgramTitle + ".LNK"));
  c_.Rows<TShortcutRow>().ForEach([this](const TShortcutRow &row) {
    Check(c_.Actions.DeletePath(row.LinkFile(c_.Platform.Shell)));
  });
}

bool TUninstallPass::RemoveFolderWithWait(const std::string &folder) {
  TFileSystem &files = c_.Platform.Files;
  if (folder.empty() || !files.DirectoryExists(folder) || c_.Actions.RemoveEmptyFolders(folder))
    return true;
  page_.ProcessMessages();
  page_.Wait(1000);
  page_.ProcessMessages();
  if (files.DirectoryExists(folder) && !LeftToRestart(folder)) {
    c_.Log.Write(" Error: unable to delete " + folder);
    return false;
  }
  return true;
}

bool TUninstallPass::LeftToRestart(const std::string &folder) {
  if (deletedAtRestart_.empty())
    return false;
  for (const TFolderEntry &entry : c_.Platform.Files.FindEntries(folder)) {
    const std::string path = IncludeTrailingBackslash(folder) + entry.Name;
    if ((entry.Attributes & kFileAttributeDirectory) ||
        std::none_of(deletedAtRestart_.begin(), deletedAtRestart_.end(),
                     [&](const std::string &deleted) { return SameText(deleted, path); }))
      return false;
  }
  // The restart deletes in the order given: the files first, then their folder.
  if (!c_.Platform.Files.RenameFile(folder, "", kRenameAtRestart))
    return false;
  c_.Log.Write(" Folder deleted at the next restart (" + folder + ")");
  return true;
}

} // namespace

void RunUninstall(TEngineContext &context) { TUninstallPass(context).Run(); }
