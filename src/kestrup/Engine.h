#pragma once
// The install and uninstall engine: carries out the install script's rows
// (fresh install, update by row status, uninstall), registers the uninstall
// entry, keeps the installer log and closes a run down. Every platform effect
// goes through the interfaces it is given; every failure is logged and
// collected in ErrorsLogged, never thrown, and the next row follows.
//
// The wizard drives it: it fills the run state, shows the engine's progress
// through its IEnginePage, and calls the operations. The parts live in their
// own files: the log (InstallerLog), the primitives (ScriptActions), the
// typed script rows (ScriptRows), install, uninstall and close-down.

#include "kestrup/EngineContext.h"

#include <string>

class TKestrupEngine {
public:
  TKestrupEngine(const TEnginePlatform &platform, TRunState &state, IEnginePage &page)
      : context_(platform, state, page) {}

  // The script in use and, in install mode, the archive; both are released
  // by CloseDown. An install or uninstall without an open script fails.
  void SetScript(TStrovdexObject *script) { context_.Script = script; }
  void SetArchive(TArchive *archive) { context_.Archive = archive; }

  // The common application data folder followed by kInstallerSubfolder.
  std::string InstallerFolder() { return context_.InstallerFolder(); }
  std::string FolderPath(TShellFolder folder) { return context_.FolderPath(folder); }
  // Placeholders replaced with the run's values.
  std::string Expand(const std::string &text) { return context_.Expand(text); }
  // The uninstall entry's key below the product root; empty when the title
  // cannot name one (UsableProductTitle).
  std::string UninstallKey() const { return context_.UninstallKey(); }

  // The installer log, in the installer's folder: opened first thing at
  // start-up, closed by CloseDown.
  void OpenLog() { context_.Log.Open(context_.LogPath()); }
  void Log(const std::string &message) { context_.Log.Write(message); }
  void CloseLog() { context_.Log.Close(); }
  std::string LogPath() { return context_.LogPath(); }

  // The primitives, for the wizard as for the script's rows; each writes its
  // own log lines.
  TScriptActions &Actions() { return context_.Actions; }

  // Operations, on the wizard's install or uninstall page.
  void FreshInstall() { RunInstall(context_, false); }
  void UpdateInstall() { RunInstall(context_, true); }
  void Uninstall() { RunUninstall(context_); }
  // At start-up, after the log is open: finishes what an interrupted run
  // left in its journal (State.RecoveredRun); false when it could not.
  bool RecoverInterruptedRun() { return context_.RecoverInterruptedRun(); }
  // When the installer window is about to close, in either mode.
  void CloseDown() { RunCloseDown(context_); }

private:
  TEngineContext context_;
};
