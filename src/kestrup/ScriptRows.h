#pragma once
// Typed rows of the install script's tables. A row reads its fields as
// stored; the fields that may hold placeholders are expanded when asked for,
// each time (expansion reads the registry and logs as it goes, so a field
// the engine does not need for a row is never expanded).

#include "kestrup/EngineTypes.h"
#include "kestrup/InstallScript.h"

#include <cstdint>
#include <string>

class TScriptRow {
public:
  TScriptRow(TInstallScript script, const std::string &table, int32_t record,
             const TExpander &expand)
      : script_(script), table_(table), record_(record), expand_(expand) {}
  int32_t Record() const { return record_; }
  // "included", "obsolescent", "shared" or empty (exact texts).
  std::string Status() const { return Stored("Status"); }

protected:
  std::string Stored(const char *column) const { return script_.Field(table_, column, record_); }
  std::string Expanded(const char *column) const { return expand_(Stored(column)); }
  std::string Expand(const std::string &text) const { return expand_(text); }

private:
  mutable TInstallScript script_;
  const std::string &table_;
  int32_t record_;
  const TExpander &expand_;
};

// A row of the named table.
template <const std::string &TableName> class TTableRow : public TScriptRow {
public:
  static const std::string &Table() { return TableName; }
  TTableRow(TInstallScript script, int32_t record, const TExpander &expand)
      : TScriptRow(script, TableName, record, expand) {}
};

// "Files": an archive member and where it goes.
class TFileRow : public TTableRow<kFilesTable> {
public:
  using TTableRow::TTableRow;
  // Empty: the member is not installed.
  std::string TargetDir() const { return Expanded("TargetDir"); }
  // The member's name, which is also the target's.
  std::string FileName() const { return Stored("FileName"); }
  // Decimal attribute masks, applied when above 0.
  std::string FileAttributes() const { return Stored("FileAttr"); }
  std::string DirectoryAttributes() const { return Stored("DirAttr"); }
};

// "Ini Files": one key of an ini file.
class TIniRow : public TTableRow<kIniFilesTable> {
public:
  using TTableRow::TTableRow;
  // Folder and name are joined before the expansion.
  std::string File() const { return Expand(Stored("TargetDir") + Stored("FileName")); }
  std::string Section() const { return Expanded("Section"); }
  std::string Key() const { return Expanded("Indent"); }
  std::string Value() const { return Expanded("Value"); }
};

// "Registry": one value below a root key.
class TRegistryRow : public TTableRow<kRegistryTable> {
public:
  using TTableRow::TTableRow;
  // HKEY_CURRENT_USER for a name that is none.
  TRootKey Root() const { return RootKeyFromName(Expanded("RootKey"), kHKeyCurrentUser); }
  std::string Key() const { return Expanded("Key"); }
  std::string Name() const { return Expanded("Name"); }
  std::string Data() const { return Expanded("Data"); }
  // A field type name (FieldTypeCode).
  std::string Type() const { return Stored("Type"); }
};

// "Shortcuts": one shortcut file and what it starts.
class TShortcutRow : public TTableRow<kShortcutsTable> {
public:
  using TTableRow::TTableRow;
  std::string Location() const { return Expanded("Location"); }
  std::string Description() const { return Expanded("Description"); }
  std::string HotKey() const { return Stored("HotKey"); }
  std::string WorkingDir() const { return Expanded("WorkingDir"); }
  std::string Params() const { return Stored("Params"); }
  int IconIndex() const { return NumberOrZero(Stored("IconIndex")); }
  std::string IconFile() const { return Expanded("IconFile"); }
  std::string Target() const { return Expanded("TargetDir") + Expanded("FileName"); }
  // Where the row's shortcut file lies: Location (the desktop when empty),
  // Description and ".LNK".
  std::string LinkFile(IShell &shell) const {
    std::string location = Location();
    if (location.empty())
      location = shell.DesktopFolder();
    return location + Description() + ".LNK";
  }
};

// The rows of one table, numbered from 1.
template <class TRow> class TScriptTable {
public:
  TScriptTable(TInstallScript script, const TExpander &expand) : script_(script), expand_(expand) {}
  // -1 when the table is missing (no rows then).
  int32_t Count() { return script_.RecordCount(TRow::Table()); }
  TRow Row(int32_t record) { return TRow(script_, record, expand_); }
  // Calls action(row) for every row in record order.
  template <class TAction> void ForEach(TAction action) {
    const int32_t n = Count();
    for (int32_t r = 1; r <= n; ++r)
      action(Row(r));
  }

private:
  TInstallScript script_;
  const TExpander &expand_;
};
