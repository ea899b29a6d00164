#pragma once
// What the program does when it starts, before any window exists: hand over
// to a running instance (found by its main window's class), start the
// installed uninstaller, or run. Also the language the user's regional
// setting asks for.

#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/WindowMessenger.h"

#include <cstdint>
#include <string>
#include <vector>

enum class TEntryAction {
  eaHandedOver, // a running instance was asked to show itself: end at once
  eaUninstall,  // start the uninstaller and end
  eaRun,        // build the main window and run
};

// Whether the first argument asks for the uninstaller, in any letter case.
bool IsUninstallArgument(const std::vector<std::string> &arguments);

// Looks for the running instance's main window. With it, "uninstall" closes
// it (the uninstaller then goes on), anything else asks it to show itself.
TEntryAction DecideEntry(IWindowMessenger &windows, const std::vector<std::string> &arguments);

// The uninstall entry's command, split into program and parameters. Two
// forms: a quoted program ("C:\A B\Kestrup.exe" "uninstall" "C:\x.inf"), and
// an unquoted one whose parameters begin at the first blank followed by a
// double quote (C:\A B\Kestrup.exe "uninstall" "C:\x.inf"). False for an
// empty command or a quoted program without its closing quote.
struct TUninstallCommand {
  std::string Program, Parameters;
};
bool SplitUninstallCommand(const std::string &command, TUninstallCommand &split);

// The registry key of the product's uninstall entry (local machine).
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Movaro";

// Starts the command of the uninstall entry in the uninstaller's own folder.
// False, with nothing started, when the entry is missing or unusable.
bool StartUninstaller(IRegistry &registry, IShell &shell);

// The language number for the user's regional setting ("sLanguage" under
// "Control Panel\International", e.g. "NLD", "DEU"): Dutch 31, French 33,
// Spanish 34, Italian 39, German 49; English 44 for any other or none.
int32_t LanguageFromRegionalSetting(IRegistry &registry);
