#pragma once
// What the engine's operations share: the platform, the run state, the page,
// the log and the script actions, the open script and archive, and the
// expansion of placeholders with the run's values. The operations (install,
// uninstall, close-down) each live in a file of their own and work on it.

#include "data/archive/Archive.h"
#include "data/tabledb/Strovdex.h"
#include "kestrup/EnginePage.h"
#include "kestrup/EngineTypes.h"
#include "kestrup/InstallerLog.h"
#include "kestrup/ScriptActions.h"
#include "kestrup/ScriptRows.h"

#include <string>

class TEngineContext {
public:
  TEngineContext(const TEnginePlatform &platform, TRunState &state, IEnginePage &page);
  TEngineContext(const TEngineContext &) = delete;
  TEngineContext &operator=(const TEngineContext &) = delete;

  const TEnginePlatform Platform;
  TRunState &State;
  IEnginePage &Page;
  TInstallerLog Log;
  TUndoJournal Journal;
  TScriptActions Actions;
  TStrovdexObject *Script = nullptr;
  TArchive *Archive = nullptr; // install mode only

  // A script is set and open: without one an install or uninstall fails.
  bool HasScript() const { return Script && Script->IsOpen(); }
  // The script in use; without one, an empty stand-in (no rows, no values).
  TInstallScript OpenScript() { return TInstallScript(HasScript() ? *Script : noScript_); }
  template <class TRow> TScriptTable<TRow> Rows() { return {OpenScript(), expand_}; }
  std::string Expand(const std::string &text) { return expand_(text); }
  std::string FolderPath(TShellFolder folder) { return folders_.FolderPath(folder); }
  // Empty when the system names no common application data folder.
  std::string InstallerFolder();
  // The log in the installer's folder; fixed once known, empty without a folder.
  std::string LogPath();
  // The undo journal's file beside the log; empty without an installer folder.
  std::string JournalPath();
  // A journal an interrupted run left behind is finished (rolled back, or
  // its commit completed) and the run state says so. False when its changes
  // could not all be reversed: the journal stays, and this start goes no
  // further, so the next one tries again.
  bool RecoverInterruptedRun();
  // The product's uninstall entry below its root key; empty for a title that
  // names no entry of its own (never written or deleted then).
  std::string UninstallKey() const {
    const std::string &title = State.Product.ProgramTitle;
    return UsableProductTitle(title) ? kUninstallKeyBase + title : "";
  }
  // The page's translation of a message, or its English text.
  std::string Text(int number);
  // The desktop a root key's shortcuts go to (none but for the user's and the machine's roots).
  std::string DesktopFor(TRootKey root);
  // Every change the run recorded reversed from the journal, between the
  // log lines that say so; the run state records a failure rolled back.
  void RollBackRun();
  // Collects a failure of the run.
  void Failed() { State.ErrorsLogged = true; }
  // A file in use: tried again each second for five seconds, the page kept
  // alive meanwhile, then left to the next restart.
  TInUseRetry InUseRetry();

private:
  TPlaceholderValues PlaceholderValues() const;

  TStrovdexObject noScript_;
  TShellFolders folders_;
  const TExpander expand_;
  std::string logPath_;
};

// The operations.
void RunInstall(TEngineContext &context, bool update);
void RunUninstall(TEngineContext &context);
void RunCloseDown(TEngineContext &context);
