#pragma once
// Writer of table database files, and the readable text source they are
// built from (documented in tools/tabledb/README.md).

#include "data/tabledb/Strovdex.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

struct TColumnSource {
  std::string Name;
  TColumnDef Def = TColumnDef::Fresh();
  // Link target by name, resolved when the database is built (when set, they
  // replace the numbers in Def).
  std::string LinkTableName, LinkColumnName;
};

struct TTableSource {
  std::string Name;
  uint8_t CountMode = 2;
  std::optional<int32_t> DeclaredCount; // default: the number of rows
  std::optional<int32_t> DataOffset;    // default: where the writer puts the block
  std::vector<TColumnSource> Columns;
  std::vector<std::vector<std::string>> Rows; // one value text per column
};

struct TDatabaseSource {
  bool Scramble = false;
  std::string Password; // empty: no protection
  std::vector<TTableSource> Tables;
};

// Names of the kinds in the text source, index = kind ("boolean", "byte", ...).
const char *FieldKindName(uint8_t kind);
// A kind by name or number; -1 when unknown.
int FieldKindFromName(const std::string &name);

// The stored bytes of one value given as text (see the README for the forms).
bool EncodeFieldValue(const TColumnDef &column, const std::string &text, bool scramble,
                      std::vector<uint8_t> &out, std::string &error);

// Builds the bytes of a database. With separate = false everything goes into
// `data` (definitions empty); otherwise the definitions go to `definitions`
// and the records, from offset 0, to `data`.
bool BuildStrovdex(const TDatabaseSource &source, bool separate,
                   std::vector<uint8_t> &definitions, std::vector<uint8_t> &data,
                   std::string &error);
// Writes a database; an empty definitions name (or the data name) makes a
// single-file database.
bool WriteStrovdex(const TDatabaseSource &source, const std::string &dataFile,
                   const std::string &definitionsFile, std::string &error);

// Parses the text source. Errors name the line.
bool ParseTableSource(const std::string &text, TDatabaseSource &out, std::string &error);

// Writes what the engine reads from an open database: the header, every
// table with its columns and kinds, and every present record's FieldText per
// column, one record per line, tab-separated.
void DumpStrovdex(TStrovdexObject &db, std::ostream &out);

bool WriteFileBytes(const std::string &path, const std::vector<uint8_t> &bytes, std::string &error);
bool ReadFileText(const std::string &path, std::string &text, std::string &error);
