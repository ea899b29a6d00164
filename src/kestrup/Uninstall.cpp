// Uninstall: removes what the script names (files, ini entries, registry
// values, shortcuts), then the emptied installation and group folders and,
// when nothing failed, the uninstall entry. Status counts only for shared
// files, which stay until the last product goes.
//
// The run is recorded in the undo journal as an install is: a file is moved
// to its backup name, deleted only when the run is committed. A failure that
// would leave the product half removed (a product file, ini value, registry
// value or shortcut that cannot be removed, the journal that cannot be
// written) stops the run and reverses it, so the product still works. A
// file in use goes at the next restart. A file of the user's in a folder
// keeps that folder and the entry: the product is removed, the user told
// to run the uninstall again.
#include "kestrup/EngineContext.h"

#include "base/AnsiText.h"
#include "platform/FileReplacement.h"

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
  // Whether the folder will be empty once the run's backups are deleted,
  // but for files deleted at the restart.
  bool EmptiedByCommit(const std::string &folder);
  // Whether a file of the folder goes with the run, now or at the restart.
  bool GoesWithRun(const std::string &path);
  void Check(bool ok) {
    if (!ok)
      c_.Failed();
  }
  // A removal the product cannot be left without: the run is rolled back.
  void Fatal(bool ok) {
    if (!ok)
      fatal_ = true;
  }
  void RollBack();

  TEngineContext &c_;
  IEnginePage &page_;
  std::vector<std::string> deletedAtRestart_;
  bool fatal_ = false;
};

constexpr int kSteps = 5;

void TUninstallPass::BeginStep(int step, int message) {
  page_.SetLabel(TPageLabel::UninstallProgress, "");
  page_.SetBar(TPageBar::UninstallProgress, step, kSteps);
  page_.SetLabel(TPageLabel::UninstallMessage, c_.Text(message));
}

void TUninstallPass::RollBack() {
  page_.SetLabel(TPageLabel::UninstallProgress, "");
  page_.SetLabel(TPageLabel::UninstallMessage, c_.Text(etRestoringPrevious));
  page_.ProcessMessages();
  c_.RollBackRun();
}

void TUninstallPass::Run() {
  page_.EnableButtons(false, false, false);
  page_.ShowUninstallProgress(true);
  // Without an installer folder there is nowhere to keep a journal, and
  // without a script nothing to record.
  const std::string journal = c_.JournalPath();
  Fatal(journal.empty() || !c_.HasScript() || c_.Journal.Begin(journal));
  BeginStep(1, etDeletingFiles);
  if (!c_.HasScript())
    c_.Failed();
  RemoveFiles();
  const std::vector<std::pair<int, void (TUninstallPass::*)()>> steps = {
      {etUpdatingIniFiles, &TUninstallPass::RemoveIniEntries},
      {etUninstallingRegistry, &TUninstallPass::RemoveRegistryValues},
      {etDeletingShortcuts, &TUninstallPass::RemoveShortcuts}};
  for (size_t step = 0; step < steps.size() && !fatal_; ++step) {
    BeginStep(static_cast<int>(step) + 2, steps[step].first);
    (this->*steps[step].second)();
  }
  const std::string folders[] = {c_.State.InstallDir, c_.Expand("[ftProgramGroup]")};
  if (!fatal_) {
    BeginStep(5, etUninstallingRegistry);
    // A folder holding what the run does not remove (a file of the user's) stays.
    for (const std::string &folder : folders)
      if (!folder.empty() && c_.Platform.Files.DirectoryExists(folder)) {
        if (!EmptiedByCommit(folder)) {
          c_.Log.Write(" Error: unable to delete " + folder);
          c_.Failed();
        } else {
          Fatal(c_.Journal.FolderToRemove(folder));
        }
      }
    const std::string entry = c_.UninstallKey();
    Check(!entry.empty());
    if (!c_.State.ErrorsLogged && !fatal_)
      Fatal(c_.Actions.RegDeleteKey(c_.State.Product.RootKey, entry));
  }
  fatal_ = fatal_ || c_.Journal.Broken();
  page_.ShowUninstallProgress(false);
  if (fatal_) {
    RollBack();
    page_.SetLabel(TPageLabel::UninstallMessage, c_.Text(etUninstallRolledBack));
    page_.SetLabel(TPageLabel::UninstallBottom, c_.Text(etClickNextToViewLog));
    page_.EnableButtons(false, true, false);
    return;
  }
  c_.Journal.Commit();
  deletedAtRestart_.insert(deletedAtRestart_.end(), c_.Journal.LeftToRestart().begin(),
                           c_.Journal.LeftToRestart().end());
  if (!c_.Journal.LeftToRestart().empty())
    c_.State.RestartNeeded = true;
  // Folders the commit could not remove: held by files deleted at the restart, they go then.
  for (const std::string &folder : folders)
    if (!folder.empty() && !c_.State.ErrorsLogged)
      Check(RemoveFolderWithWait(folder));
  if (c_.State.ErrorsLogged) {
    page_.SetLabel(TPageLabel::UninstallMessage, c_.Text(etUninstallCompleteWithErrors));
    page_.SetLabel(TPageLabel::UninstallBottom, c_.Text(etClickNextToViewLog));
  } else {
    c_.State.Completed = true;
    page_.SetLabel(TPageLabel::UninstallMessage,
                   c_.Text(c_.State.RestartNeeded ? etUninstallCompleteAtRestart : etUninstallComplete));
    page_.SetLabel(TPageLabel::UninstallBottom, c_.Text(etClickNextToFinish));
  }
  page_.EnableButtons(false, true, false);
}

void TUninstallPass::RemoveFiles() {
  c_.Rows<TFileRow>().ForEach([this](const TFileRow &row) {
    if (fatal_ || (row.Status() == kStatusShared && !c_.State.LastProduct))
      return;
    std::string targetDir = row.TargetDir();
    if (targetDir.empty())
      return; // never installed: the bare name would point into the working folder
    RemoveFile(targetDir, row.FileName());
    // A new copy still waiting for the restart to take the file's place goes too.
    const std::string waiting = row.FileName() + TFileReplacement::kTemporarySuffix;
    if (!fatal_ && c_.Platform.Files.FileExists(targetDir + waiting))
      RemoveFile(targetDir, waiting);
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
  if (!files.FileExists(path))
    return;
  // Recorded first: the file is moved to its backup name (a read-only one
  // too, keeping its attributes), deleted when the run is committed.
  bool keepOld = false;
  if (!c_.Journal.FileDeleted(path, keepOld))
    return Fatal(false);
  TFileError why = TFileError::None;
  auto removed = [&] {
    if (!files.FileExists(path))
      return true;
    if (keepOld ? files.RenameFile(path, TFileReplacement::BackupPath(path),
                                   kRenameReplaceExisting | kRenameWriteThrough)
                : (files.SetAttributes(path, kFileAttributeArchive), files.RemoveFile(path)))
      return true;
    why = files.LastError();
    return false;
  };
  // A file held open by another program goes at the next restart and is no
  // failure; one that cannot go for another reason would leave the product
  // half removed.
  auto leftOrFailed = [&] {
    if (why == TFileError::InUse && c_.Journal.DeletedAtRestart(path) &&
        files.RenameFile(path, "", kRenameAtRestart)) {
      c_.Log.Write(" File in use, deleted at the next restart (" + path + ")");
      c_.State.RestartNeeded = true;
      deletedAtRestart_.push_back(path);
      return;
    }
    c_.Log.Write(" Error: unable to delete " + path);
    Fatal(false);
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
  bool gone = false;
  while (!gone && c_.Platform.Clock.TickCount() - start < 5000) {
    gone = removed();
    if (!gone) {
      page_.ProcessMessages();
      page_.Wait(1000);
      page_.ProcessMessages();
    }
  }
  page_.SetBusyCursor(false);
  if (!gone)
    leftOrFailed();
}

void TUninstallPass::RemoveIniEntries() {
  c_.Rows<TIniRow>().ForEach([this](const TIniRow &row) {
    if (!fatal_)
      Fatal(c_.Actions.IniDelete(row.File(), row.Section(), row.Key()));
  });
}

void TUninstallPass::RemoveRegistryValues() {
  c_.Rows<TRegistryRow>().ForEach([this](const TRegistryRow &row) {
    if (!fatal_)
      Fatal(c_.Actions.RegDeleteValue(row.Root(), row.Key(), row.Name()));
  });
}

void TUninstallPass::RemoveShortcuts() {
  TRootKey root = c_.State.Product.RootKey;
  if (c_.State.Product.DesktopShortcut && (root == kHKeyCurrentUser || root == kHKeyLocalMachine))
    Fatal(c_.Actions.DeletePath(c_.DesktopFor(root) + c_.State.Product.ProgramTitle + ".LNK"));
  c_.Rows<TShortcutRow>().ForEach([this](const TShortcutRow &row) {
    if (!fatal_)
      Fatal(c_.Actions.DeletePath(row.LinkFile(c_.Platform.Shell)));
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

bool TUninstallPass::GoesWithRun(const std::string &path) {
  return c_.Journal.IsBackup(path) ||
         std::any_of(deletedAtRestart_.begin(), deletedAtRestart_.end(),
                     [&](const std::string &deleted) { return SameText(deleted, path); });
}

bool TUninstallPass::EmptiedByCommit(const std::string &folder) {
  for (const TFolderEntry &entry : c_.Platform.Files.FindEntries(folder)) {
    const std::string path = IncludeTrailingBackslash(folder) + entry.Name;
    if ((entry.Attributes & kFileAttributeDirectory) ? !EmptiedByCommit(path) : !GoesWithRun(path))
      return false;
  }
  return true;
}

bool TUninstallPass::LeftToRestart(const std::string &folder) {
  if (deletedAtRestart_.empty())
    return false;
  for (const TFolderEntry &entry : c_.Platform.Files.FindEntries(folder)) {
    const std::string path = IncludeTrailingBackslash(folder) + entry.Name;
    if ((entry.Attributes & kFileAttributeDirectory) || !GoesWithRun(path))
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
