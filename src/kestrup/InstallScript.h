#pragma once
// The install script: a table database naming the product (table "Defaults"),
// the files to extract ("Files"), ini entries ("Ini Files"), registry values
// ("Registry") and shortcuts ("Shortcuts"). Texts may hold placeholders in
// square brackets that are expanded when the text is used.

#include "data/tabledb/Strovdex.h"
#include "data/text/RegistryText.h" // the field type names of registry rows
#include "platform/Registry.h"
#include "platform/Shell.h"

#include <cstdint>
#include <functional>
#include <string>

// Table names of the script.
inline const std::string kDefaultsTable = "Defaults";
inline const std::string kFilesTable = "Files";
inline const std::string kIniFilesTable = "Ini Files";
inline const std::string kRegistryTable = "Registry";
inline const std::string kShortcutsTable = "Shortcuts";

// Row status texts (exact, case-sensitive).
inline const std::string kStatusIncluded = "included";
inline const std::string kStatusObsolescent = "obsolescent";
inline const std::string kStatusShared = "shared";

// The product settings of the Defaults table. Texts are as stored: the
// program module, installation folder, program group and readme file are
// expanded by their users.
struct TProductSettings {
  TRootKey RootKey = kHKeyCurrentUser;
  std::string ProgramModule, ProgramTitle, ProgramLabel, ProgramTag, ProgramVersion;
  int32_t ProgramVersionNumber = 0;
  std::string InstallDir, ProgramGroup, ReadmeFile;
  bool LanguagePage = false, LicencePage = false, ProgramFolderPage = false,
       ProgramGroupPage = false, DesktopShortcut = false, SummaryPage = false,
       FinishLaunchProgram = false, FinishViewReadme = false, IsUpdate = false;
};

// Read access to an opened script; every field is read as text.
class TInstallScript {
public:
  explicit TInstallScript(TStrovdexObject &db) : db_(db) {}
  // The Value of the Defaults row with this Description; empty when absent.
  std::string Default(const std::string &key);
  std::string Field(const std::string &table, const std::string &column, int32_t record) {
    return db_.FieldText(table, column, record);
  }
  int32_t RecordCount(const std::string &table) { return db_.RecordCount(table); }

private:
  TStrovdexObject &db_;
};

// A switch is on only for the exact text "True".
bool SwitchOn(const std::string &value);
// Decimal text as a 32-bit number; 0 for anything that is not one.
int32_t NumberOrZero(const std::string &text);

// Every product setting. The label is cut to 8 characters, the tag to 3.
TProductSettings ReadProductSettings(TInstallScript &script);
// The subset the uninstaller reads: root, module, title, label, tag, version,
// version number and the LanguagePage and DesktopShortcut switches.
TProductSettings ReadUninstallSettings(TInstallScript &script);

// The title names the product's uninstall entry below the key that holds
// every product's entry: an empty title, or one with a key separator, would
// name that key itself or another product's. A start-up refuses a script
// whose title is not usable.
bool UsableProductTitle(const std::string &title);

// Root key by its exact name; the default for anything else.
TRootKey RootKeyFromName(const std::string &name, TRootKey defaultRoot);
// Name of a root key; empty for a handle that is not one.
std::string RootKeyName(TRootKey root);


// The shell folders placeholders name, by their numbers: 0..20 the user's
// (registry values of the user's "Shell Folders" key), 21..25 those of all
// users, 26 the program files folder, 27..29 the system folders.
enum TShellFolder : int {
  sfAdminTools = 0,
  sfAdministrativeTools = 1,
  sfAppData = 2,
  sfCache = 3,
  sfCookies = 4,
  sfDesktop = 5,
  sfFavorites = 6,
  sfFonts = 7,
  sfHistory = 8,
  sfLocalAppData = 9,
  sfLocalSettings = 10,
  sfMyPictures = 11,
  sfNetHood = 12,
  sfPersonal = 13,
  sfPrintHood = 14,
  sfPrograms = 15,
  sfRecent = 16,
  sfSendTo = 17,
  sfStartMenu = 18,
  sfStartup = 19,
  sfTemplates = 20,
  sfCommonAppData = 21,
  sfCommonDesktop = 22,
  sfCommonPrograms = 23,
  sfCommonStartMenu = 24,
  sfCommonStartup = 25,
  sfProgramFiles = 26,
  sfSystem16 = 27,
  sfSystem32 = 28,
  sfWindows = 29,
};

// Shell folders, each ending with a backslash (sfSystem16 is empty, as are
// sfSystem32 and sfWindows when the system cannot tell, and a number outside
// the list). The registry is read on every call through the given reader,
// which logs as the engine's registry read does.
class TShellFolders {
public:
  using TStringReader =
      std::function<std::string(TRootKey root, const std::string &key, const std::string &name)>;
  TShellFolders(TStringReader read, IShell &shell) : read_(std::move(read)), shell_(shell) {}
  std::string FolderPath(TShellFolder folder);

private:
  TStringReader read_;
  IShell &shell_;
};

inline const std::string kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The values placeholders stand for.
struct TPlaceholderValues {
  TRootKey RootKey = kHKeyCurrentUser;
  std::string ProgramTitle, ProgramLabel, ProgramTag, ProgramVersion;
  int32_t ProgramVersionNumber = 0;
  std::string InstallDir;
  std::string GroupBase, ProgramGroup; // [ftProgramGroup] is their concatenation
};

// Replaces the first occurrence (any letter case) of each placeholder that
// the given text contains; values are only computed for those.
std::string ExpandPlaceholders(const std::string &text, const TPlaceholderValues &values,
                               TShellFolders &folders);
