#pragma once
// The test product's setup file: the installer image as the first, stored
// member, the product's files, and the install script compiled from its text
// source as the last member. The Readme member's name differs in case from the
// script's row on purpose: member lookup ignores case.

#include "authoring/ArchiveWriter.h"
#include "authoring/StrovdexWriter.h"

#include <cstdint>
#include <string>
#include <vector>

// "" on success, else what went wrong.
inline std::string WriteTestProductSetup(TFileSystem &files, const std::string &setupPath,
                                         const std::string &scriptSource, uint32_t dos,
                                         size_t programBytes) {
  TDatabaseSource db;
  std::string error;
  if (!ParseTableSource(scriptSource, db, error))
    return "script source: " + error;
  std::vector<uint8_t> defs, data;
  if (!BuildStrovdex(db, false, defs, data, error))
    return "script: " + error;
  TArchiveWriter writer(files);
  bool ok = writer.Open(setupPath) && writer.AddStored("Kestrup.exe", dos, "installer image") &&
            writer.AddMember("KestrupEx.exe", dos, "clean-up program") &&
            writer.AddMember("Testo.exe", dos, std::string(programBytes, 'T')) &&
            writer.AddMember("readme.TXT", dos, "Read me.\r\n") &&
            writer.AddMember("Old.dat", dos, "old data") &&
            writer.AddMember("Shared.dll", dos, "shared library") &&
            writer.AddStored("Kestrup.inf", dos, std::string(data.begin(), data.end())) && writer.Finish();
  return ok ? "" : "setup file: " + writer.Error();
}
