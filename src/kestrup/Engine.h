#pragma once
// The install and uninstall engine: carries out the install script's rows
// (fresh install, update by row status, uninstall), registers the uninstall
// entry, keeps the installer log and closes a run down. Every platform effect
// goes through the interfaces it is given; every failure is logged and
// collected in ErrorsLogged, never thrown, and the next row follows.

#include "data/archive/Archive.h"
#include "data/tabledb/Strovdex.h"
#include "kestrup/EnginePage.h"
#include "kestrup/InstallScript.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/ProfileFiles.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

#include <memory>
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
};

struct TEnginePlatform {
  TFileSystem &Files;
  IRegistry &Registry;
  IProfileFiles &Profiles;
  IShell &Shell;
  IClock &Clock;
  const ILocale &Locale;
};

inline const std::string kUninstallKeyBase = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class TKestrupEngine {
public:
  TKestrupEngine(const TEnginePlatform &platform, TRunState &state, IEnginePage &page);
  ~TKestrupEngine();

  // The script in use (open) and, in install mode, the archive; both are
  // released by CloseDown.
  void SetScript(TStrovdexObject *script) { script_ = script; }
  void SetArchive(TArchive *archive) { archive_ = archive; }

  // Folder 21 followed by "Veltrin\Kestrup\".
  std::string InstallerFolder();
  std::string FolderPath(int number);
  std::string Expand(const std::string &text);
  // The uninstall entry's key below the product root.
  std::string UninstallKey() const { return kUninstallKeyBase + state_.Product.ProgramTitle; }

  // The installer log.
  void OpenLog();
  void Log(const std::string &message);
  void CloseLog();
  std::string LogPath();

  // Primitives; each writes its own log lines.
  std::string IniRead(const std::string &file, const std::string &section, const std::string &key,
                      const std::string &defaultValue);
  bool IniWrite(const std::string &file, const std::string &section, const std::string &key,
                const std::string &value);
  bool IniDelete(const std::string &file, const std::string &section, const std::string &key);
  bool IniValueExists(const std::string &file, const std::string &section, const std::string &key);
  std::string RegRead(TRootKey root, const std::string &key, const std::string &typeName,
                      const std::string &valueName);
  bool RegWrite(TRootKey root, const std::string &key, const std::string &typeName,
                const std::string &data, const std::string &valueName);
  bool RegDeleteValue(TRootKey root, const std::string &key, const std::string &valueName);
  bool RegDeleteKey(TRootKey root, const std::string &key);
  bool RegKeyExists(TRootKey root, const std::string &key);
  bool CreateShortcut(const std::string &folder, const std::string &name, const std::string &hotKey,
                      const std::string &workingFolder, const std::string &arguments, int iconIndex,
                      const std::string &iconFile, const std::string &target);
  bool RemoveEmptyFolders(const std::string &folder);
  bool OpenDocument(const std::string &extension, const std::string &document);
  bool RunProgram(const std::string &file, const std::string &arguments);

  // Operations.
  void FreshInstall();
  void UpdateInstall();
  void Uninstall();
  void CloseDown();

  // The English text of a page message, used when the language file has none.
  static std::string EnglishText(int number);

private:
  std::string Text(int number);
  TInstallScript Script();
  TPlaceholderValues PlaceholderValues() const;
  void InstallCommon(bool update);
  void FilesPhase(bool update);
  void IniPhase(bool update);
  void RegistryPhase(bool update);
  void ShortcutsPhase(bool update);
  void DesktopShortcut();
  void UninstallEntry();
  bool ApplyFile(int32_t record, int64_t &overall);
  bool ApplyIni(int32_t record);
  bool ApplyRegistry(int32_t record);
  bool ApplyShortcut(int32_t record);
  bool DeletePath(const std::string &path); // attributes 32, delete if present; logs failure
  bool RemoveFolderWithWait(const std::string &folder);
  std::string DesktopFor(TRootKey root);
  std::string DateTimeForLog(TDateTime value);
  bool IsProtectedFolder(const std::string &folder);

  TEnginePlatform platform_;
  TRunState &state_;
  IEnginePage &page_;
  TStrovdexObject noScript_; // closed: stands in while no script is set
  TShellFolders folders_;
  TStrovdexObject *script_ = nullptr;
  TArchive *archive_ = nullptr;
  std::unique_ptr<TFileStream> log_;
  std::string logPath_;
  // The locale's time separator, read once when the log opens: every line uses it.
  char logTimeSeparator_ = ':';
};

// A path with a ".." element (which could lead outside the folders the
// script names).
bool HasParentElement(const std::string &path);
