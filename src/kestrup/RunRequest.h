#pragma once
// What a start of the installer asks for, read from its command line, and
// the exit code that tells how the run ended. README.md lists the codes.

#include "kestrup/EngineTypes.h"

#include <string>
#include <vector>

enum TExitCode : int {
  ecSuccess = 0,
  ecAlreadyRunning = 1,        // another installer is open or starting
  ecCommandLine = 2,           // a first parameter the installer does not know
  ecStartupFailed = 3,         // no installer folder, no readable archive or script
  ecNotInstalled = 4,          // an update or uninstall of a product that is not installed
  ecNewerVersionInstalled = 5, // a higher version of the product is installed
  ecFolderNotCreated = 6,      // the program folder or group cannot be created
  ecSetupDamaged = 7,          // the setup file is damaged; nothing more was installed
  ecErrorsLogged = 8,          // finished, but something failed (see the log)
  ecCancelled = 9,             // the user cancelled the wizard
  ecRestartNeeded = 10,        // finished; files in use are replaced or deleted at the next restart
  ecRolledBack = 11,           // failed; every change was reversed, the product is as it was
};

struct TRunRequest {
  // Any other first parameter than none, "/silent" or "uninstall": the
  // program ends without a window.
  bool Refused = false;
  TRunMode Mode = TRunMode::Install;
  // No window: the script's defaults, no questions.
  bool Silent = false;
  // The parameters after the program's name.
  std::vector<std::string> Arguments;
};

// Reads the parameters after the program's name (letter case is ignored):
//   (none)                     install with the wizard
//   /silent                    install without a window
//   uninstall SCRIPT [/silent] uninstall, with the wizard or without a window
TRunRequest ReadRunRequest(const std::vector<std::string> &arguments);

// How a run that got past its start ended.
TExitCode ExitCodeOf(const TRunState &state);
