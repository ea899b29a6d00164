#pragma once
// The undo journal of an install run: before each change to the disk, an ini
// file or the registry, what reverses it is appended to a file beside the
// installer's own and handed to the disk. A replaced or deleted file is not
// gone but kept under its backup name (TFileReplacement::BackupPath) in its
// folder until the run is committed. A run that fails or is cancelled is
// rolled back: every change reversed, last first, one log line each. A run
// that stopped without either (the process killed, the power lost) leaves
// its journal behind, and the next start of the installer finishes it.
//
// Every reversal can be made again without harm, so a rollback that is
// itself cut short is simply made once more.

#include "kestrup/EngineTypes.h"
#include "kestrup/InstallerLog.h"
#include "platform/Registry.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

class TUndoJournal {
public:
  TUndoJournal(const TEnginePlatform &platform, TInstallerLog &log) : platform_(platform), log_(log) {}
  ~TUndoJournal();
  TUndoJournal(const TUndoJournal &) = delete;
  TUndoJournal &operator=(const TUndoJournal &) = delete;

  // Starts recording a run into a new journal file; false when it cannot be
  // made (the run must not change anything then).
  bool Begin(const std::string &path);
  bool Recording() const { return file_ != nullptr; }

  // Each records, before the change is made, what will reverse it; false
  // when the journal cannot be written, and the change must not be made.
  // Not recording, each is true and keeps nothing.
  //
  // A file about to be written or replaced; keepOld: the file it replaces
  // must be moved to its backup name rather than overwritten (false for a
  // new file, or one this run already changed and recorded).
  bool FileWritten(const std::string &path, bool &keepOld);
  // A file about to be deleted; keepOld: move it to its backup name instead.
  bool FileDeleted(const std::string &path, bool &keepOld);
  // A file about to be changed in place (an ini file): a whole copy of it
  // is kept under its backup name first. False when the journal or the
  // copy cannot be written.
  bool FileCopied(const std::string &path);
  // A file or folder about to be registered for deletion at the next
  // restart: a rollback takes the registration back.
  bool DeletedAtRestart(const std::string &path);
  // A folder to be removed, with its emptied parents, once the backups are
  // deleted at the commit (a commit that was interrupted removes it too).
  bool FolderToRemove(const std::string &folder);
  // Removes a folder and its emptied parents; set by the owner.
  void SetFolderRemover(std::function<void(const std::string &)> remover) {
    removeFolder_ = std::move(remover);
  }
  // Whether the path is the backup of a file this run recorded.
  bool IsBackup(const std::string &path) const;
  // A step could not be written since Begin: the run must be rolled back.
  bool Broken() const { return broken_; }
  // A folder about to be made: each of its missing levels.
  bool FoldersMade(const std::string &folder);
  // An ini value about to be written or deleted: its old value, or none.
  bool IniChange(const std::string &file, const std::string &section, const std::string &key);
  // A registry value about to be written or deleted: its old value, or none.
  bool RegistryChange(TRootKey root, const std::string &key, const std::string &name);

  // The run stands: the backups are deleted (one still held open at the
  // next restart, listed in LeftToRestart), the folders to remove removed,
  // then the journal.
  void Commit();
  const std::vector<std::string> &LeftToRestart() const { return leftToRestart_; }
  // Every change reversed, last first, one log line each, then the journal
  // deleted. False when a change could not be reversed: the journal stays
  // for the next start to try again.
  bool RollBack();

  enum class TLeftOver { None, RolledBack, Committed, Failed };
  // A journal an earlier run left at the path: a committed one has its
  // backups deleted, any other is rolled back. Logged.
  TLeftOver Recover(const std::string &path);

  struct TStep {
    char Kind = 0;
    std::vector<std::string> Fields;
  };

private:
  bool Append(const TStep &step);
  // A file written or deleted: recorded once, with whether its old copy is kept.
  bool FileChanged(char kind, const std::string &path, bool &keepOld);
  void Close();
  void Undo(const TStep &step, bool &ok);
  // What a commit does once marked, again after an interruption.
  void FinishCommit();
  bool RemoveFile(const std::string &path);

  TEnginePlatform platform_;
  TInstallerLog &log_;
  std::string path_;
  std::unique_ptr<TFileStream> file_;
  std::vector<TStep> steps_;
  std::set<std::string> files_; // upper-cased paths of the files recorded
  std::vector<std::string> leftToRestart_;
  std::function<void(const std::string &)> removeFolder_;
  bool broken_ = false;
};

// One step as a journal line (without its line end), and back; false for a
// line that is no step.
std::string JournalLine(const TUndoJournal::TStep &step);
bool ParseJournalLine(const std::string &line, TUndoJournal::TStep &step);
