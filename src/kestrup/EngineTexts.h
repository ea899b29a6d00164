#pragma once
// The numbered texts the install and uninstall pages show while the engine
// works. The wizard's page looks them up in the language file; the English
// text stands in when it finds none.

#include <string>

enum TEngineText : int {
  etExtracting = 15201,             // + the file being extracted
  etDeleting = 15202,               // + the file being deleted (update)
  etSearchingFor = 15203,           // + the file being checked (update)
  etWritingIniFiles = 15204,
  etWritingRegistry = 15205,
  etCreatingShortcut = 15206,
  etCopyingFiles = 15401,
  etCreatingIniFiles = 15403,
  etUpdatingRegistry = 15405,
  etCreatingShortcuts = 15406,
  etRestoringPrevious = 15407,
  etUninstallDeleting = 17301,      // + the file being deleted (uninstall)
  etDeletingFiles = 17401,
  etUpdatingIniFiles = 17402,
  etUninstallingRegistry = 17403,
  etDeletingShortcuts = 17404,
  etUninstallComplete = 17405,
  etUninstallCompleteWithErrors = 17406,
  etUninstallRolledBack = 17407,
  etUninstallCompleteAtRestart = 17408,
  etClickNextToFinish = 17501,
  etClickNextToViewLog = 17502,
};

// The English text of a page message; empty for a number that is none.
std::string EnglishEngineText(int number);
