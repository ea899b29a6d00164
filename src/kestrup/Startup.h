#pragma once
// The start-up of an installer run, with a window or without one: the
// language from the user's regional setting, the installer's own files put
// in place, the script opened, the product settings and any earlier
// installation read, the languages of the language file listed; and what
// else both kinds of run share (closing the product's running copies, the
// language chosen last, the program's exit code).

#include "kestrup/KestrupContext.h"
#include "kestrup/RunRequest.h"
#include "platform/DesktopWindows.h"

#include <string>
#include <vector>

// The language numbers of the user's regional setting: HKEY_CURRENT_USER
// "Control Panel\International" "sLanguage", by its first two letters (nl 31,
// fr 33, it 39, de 49); 44 for anything else.
int32_t LanguageFromLocale(IRegistry &registry);

// Prepares an installation from the setup file at context.ProgramPath:
// false when it cannot go on (see the run state's flags for why). Also true
// runs may end at once: an update of a product that is not installed
// (UpdateTargetMissing) or a newer version installed (NewerVersionInstalled).
bool InstallStartup(TKestrupContext &context);
// Prepares an uninstallation as the uninstall entry's command line asks:
// "uninstall" and the product's script copy.
bool UninstallStartup(TKestrupContext &context, const std::vector<std::string> &arguments);

// Whether the run installs or removes the product for every user of the
// machine (the script's ProgramTarget names HKEY_LOCAL_MACHINE) and so needs
// an administrator's rights. Read before anything changes: the install
// script from the setup file (written to the scratch file and removed
// again), the uninstall's script copy as it is. False when the script
// cannot be read: the run's own start-up reports that.
bool RunIsForAllUsers(TEnginePlatform &platform, const std::string &setupPath,
                      const TRunRequest &request, const std::string &scratchFile);

// The language chosen in an earlier run (Kestrup.dat in the installer
// folder), or the given one when there is none or it is not a number.
int32_t StoredLanguage(TKestrupContext &context, int32_t current);
// The entry for a language number, or none.
const TLanguageEntry *FindLanguage(const TKestrupContext &context, int32_t number);

// Asks every running copy of the product (windows of the program title's
// class) to close, letting messages run and waiting a second between
// requests. A copy that will not close is given ten requests, then logged
// and left running.
void CloseProductWindows(TKestrupContext &context, IDesktopWindows &windows, IEnginePage &page);

// The message the start-up's failure is shown with (install mode), or empty
// when the run goes on.
std::string InstallStartupMessage(const TKestrupContext &context, bool succeeded);

// Proves a program folder or group can be made: a missing folder is created
// with all its levels, marked a plain folder and removed again with every
// level it made, so that a run that then installs nothing leaves none. A
// folder that exists already is left as it is. False when it cannot be
// created.
bool ProveFolder(TKestrupContext &context, const std::string &folder);
