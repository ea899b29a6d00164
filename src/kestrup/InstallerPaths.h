#pragma once
// Where the installer keeps its own files and the maker's settings; shared by
// the installer and its clean-up program.

#include <string>

inline const std::string kMakerName = "Veltrin";
// The maker's folder below the common application data folder (and, for a
// per-user product's uninstall script copy, below the user's).
inline const std::string kMakerFolder = kMakerName + "\\";
// The installer's folder below the same: the installer, its clean-up program,
// language file, script copies, settings and log.
inline const std::string kInstallerSubfolder = kMakerFolder + "Kestrup\\";
// The maker's registry key and ini file, removed with the last product.
inline const std::string kMakerKey = "Software\\" + kMakerName;
inline const std::string kMakerIniFile = "veltrin.ini";

// Files in the installer's folder.
inline const std::string kInstallerProgram = "Kestrup.exe";
inline const std::string kCleanupProgram = "KestrupEx.exe";
inline const std::string kScriptFile = "Kestrup.inf";
inline const std::string kSettingsFile = "Kestrup.dat";
inline const std::string kLogFile = "Kestrup.log";
// The undo journal of a run under way; left behind only by a run that stopped.
inline const std::string kJournalFile = "Kestrup.jnl";
