#pragma once
// Writer of record files, and the two sources they are built from
// (documented in tools/recfile/README.md): a text file of records, each
// introduced by a line "%% Id Name", or a folder with one file per record.

#include "data/recfile/IDbRecs.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct TRecordSource {
  int32_t Id = 0;
  std::string Name;
  std::string Text;
};

// The file bytes; false when a name or text is longer than 65535 bytes.
bool BuildRecordFile(const std::vector<TRecordSource> &records, std::vector<uint8_t> &bytes,
                     std::string &error);
bool WriteRecordFile(const std::vector<TRecordSource> &records, const std::string &path,
                     std::string &error);

// "%% Id Name" starts a record; the lines up to the next such line are its
// text (the line break before the next record or the end is not part of it).
// A text line starting with "%%%" stands for the line with one "%" less.
bool ParseRecordText(const std::string &text, std::vector<TRecordSource> &out, std::string &error);
// The same form, as the dump writes it.
void WriteRecordText(const TRecordSource &record, std::ostream &out);

// Every regular file of the folder, in name order: its first line is the
// record's name, the rest its text; the Id is the number the file name begins
// with (files without one are an error).
bool ReadRecordFolder(const std::string &folder, std::vector<TRecordSource> &out,
                      std::string &error);

// Loads a record file through the reader and writes the records whose name
// contains `selection` (all of them for an empty one) in the text form.
// False when the file did not load completely (what loaded is still written).
bool DumpRecordFile(const std::string &path, const std::string &selection, std::ostream &out);
