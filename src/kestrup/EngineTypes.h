#pragma once
// What the engine's parts share: the platform it works through, one
// installer run's state, and the placeholder expander.

#include "kestrup/InstallScript.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/ProfileFiles.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

#include <functional>
#include <string>

enum class TRunMode { Install, Uninstall };

// One installer run, filled by the start-up and updated by the engine.
struct TRunState {
  TRunMode Mode = TRunMode::Install;
  bool FirstRun = false, FatalError = false, Cancelled = false, Completed = false,
       ErrorsLogged = false, LastProduct = false, Reinstall = false;
  TProductSettings Product;
  std::string InstallDir;   // ends with a backslash after the folder page
  std::string ProgramGroup; // relative to GroupBase (install) or a full path (uninstall)
  std::string GroupBase;
  int32_t TotalSize = 0;
  std::string ScriptPath; // install: the installer folder's copy; uninstall: the product's copy
  int Language = 44;
  bool DesktopShortcutChecked = true; // the wizard's desktop check box
  // Start-up findings that end the run with a message.
  bool UpdateTargetMissing = false, NewerVersionInstalled = false;
  // The setup file is damaged (a cut file, or a member that does not match
  // its manifest): nothing more is installed from it.
  bool SetupDamaged = false;
  // The run ended with its start-up (failed, or nothing to do): the language
  // stored by an earlier run was never chosen in this one and stays as it is.
  bool EndedAtStartup = false;
  // A run without a window (/silent): nothing is shown, no document opened.
  bool Silent = false;
  // The run installs or removes the product for every user of the machine,
  // so the installer's folder must be the administrators' alone. Install:
  // set by the entry from the setup's script before the start-up;
  // uninstall: read by the start-up from the product's script copy.
  bool ForAllUsers = false;
  // A folder of the installer that others may change and that could not be
  // corrected: the run ends with its start-up.
  std::string UnsafeFolder;
  // Files in use were left to the next restart of the system, which completes the run.
  bool RestartNeeded = false;
  // The run failed in a way the product cannot be left in (or was
  // cancelled) and every change it made was reversed: the product is as it
  // was before.
  bool RolledBack = false;
  // This start found the journal of an earlier run that was interrupted and
  // reversed its changes first.
  bool RecoveredRun = false;
};

struct TEnginePlatform {
  TFileSystem &Files;
  IRegistry &Registry;
  IProfileFiles &Profiles;
  IShell &Shell;
  IClock &Clock;
  const ILocale &Locale;
};

inline const std::string kUninstallKeyBase =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Replaces the placeholders of a text with their values now.
using TExpander = std::function<std::string(const std::string &text)>;

// A path with a ".." element (which could lead outside the folders the
// script names).
bool HasParentElement(const std::string &path);
