#pragma once
// The primitives the install script's rows come down to, and which the
// wizard uses too: ini entries, registry values, shortcuts, emptied folders,
// documents and programs. Each writes its own failures into the installer
// log and reports them through its result; none throws.

#include "kestrup/EngineTypes.h"
#include "kestrup/InstallerLog.h"
#include "kestrup/UndoJournal.h"
#include "platform/Registry.h"

#include <cstdint>
#include <functional>
#include <string>

class TScriptActions {
public:
  // The expander resolves placeholders in a document's open command. While
  // the journal records, every change to files, ini files and the registry
  // is recorded in it first, and files replaced or deleted are kept under
  // their backup names.
  TScriptActions(const TEnginePlatform &platform, TInstallerLog &log, TExpander expand,
                 TUndoJournal &journal)
      : platform_(platform), log_(log), expand_(std::move(expand)), journal_(journal) {}

  std::string IniRead(const std::string &file, const std::string &section, const std::string &key,
                      const std::string &defaultValue);
  // True only when the value reads back exactly as written.
  bool IniWrite(const std::string &file, const std::string &section, const std::string &key,
                const std::string &value);
  // True when the key is gone afterwards; an emptied section and file go too.
  bool IniDelete(const std::string &file, const std::string &section, const std::string &key);
  bool IniValueExists(const std::string &file, const std::string &section, const std::string &key);

  // Values by field type name (FieldTypeCode), as texts.
  std::string RegRead(TRootKey root, const std::string &key, const std::string &typeName,
                      const std::string &valueName);
  // True only when the value reads back as the same text.
  bool RegWrite(TRootKey root, const std::string &key, const std::string &typeName,
                const std::string &data, const std::string &valueName);
  // An emptied key goes too; a missing key or value counts as success.
  bool RegDeleteValue(TRootKey root, const std::string &key, const std::string &valueName);
  bool RegDeleteKey(TRootKey root, const std::string &key);
  bool RegKeyExists(TRootKey root, const std::string &key);

  // An empty folder is the desktop, an empty name "Shortcut to " and the
  // target's name; a shortcut that cannot be replaced gets a numbered name.
  bool CreateShortcut(const std::string &folder, const std::string &name, const std::string &hotKey,
                      const std::string &workingFolder, const std::string &arguments, int iconIndex,
                      const std::string &iconFile, const std::string &target);
  // Removes the folder's empty subfolders, the folder and then its emptied
  // parents; drive roots and the shell's own folders stay. True when the
  // folder itself is gone.
  bool RemoveEmptyFolders(const std::string &folder);
  // Opens a document with the program its extension is associated with, or
  // starts a program.
  bool OpenDocument(const std::string &extension, const std::string &document);
  bool RunProgram(const std::string &file, const std::string &arguments);
  // Sets the plain archive attribute and deletes the file if present; a
  // failure is logged.
  bool DeletePath(const std::string &path);
  // Makes a folder with its missing levels, recorded in the journal first.
  bool MakeFolder(const std::string &folder);

private:
  bool IsProtectedFolder(const std::string &folder);
  // Records the values of a key and its subkeys in the journal; false when it cannot.
  bool RecordKeyValues(TRootKey root, const std::string &key);
  // Deletes a file, or while the journal records, moves it to its backup name.
  bool RemoveFile(const std::string &path);

  TEnginePlatform platform_;
  TInstallerLog &log_;
  TExpander expand_;
  TUndoJournal &journal_;
};
