#pragma once
// The record file reader: a flat list of records, each an Id, a name (with
// markers and a language suffix) and a markup text, loaded whole into memory.
// Records are selected by a substring of their names and read by their
// ordinal among the selected ones; a cursor makes reading the selected
// records in order cost one step each.
//
// File layout (little-endian): record count (signed 32-bit), then per record
// Id (signed 32-bit), name length and text length (unsigned 16-bit each), the
// name bytes and the text bytes, both scrambled (IDbRecScramble).

#include "base/Progress.h"
#include "data/chain/PointerChain.h"

#include <array>
#include <cstdint>
#include <string>

// One record. Name and Text are 0-terminated and never null; in a copy from
// GetSelectedRecord they point into the stored record.
struct TIDbRec {
  int32_t Id = 0;
  uint16_t NameLength = 0;
  uint16_t TextLength = 0;
  const char *Name = "";
  const char *Text = "";
  bool Selected = false;
};

// The byte mapping of names and texts: its own inverse.
inline uint8_t IDbRecScramble(uint8_t b) {
  if (b == 0 || b == 255)
    return b;
  return static_cast<uint8_t>(b <= 127 ? b + 127 : b - 127);
}

class TIDbRecFile {
public:
  TIDbRecFile();
  ~TIDbRecFile();
  TIDbRecFile(const TIDbRecFile &) = delete;
  TIDbRecFile &operator=(const TIDbRecFile &) = delete;

  // Replaces the records by those of the file. True when the count and every
  // record were read completely; otherwise the records read before the fault
  // stay. The gauge, when given, shows the progress and lets messages run.
  bool LoadRecords(const std::string &path, IProgressGauge *gauge = nullptr);
  // Selects the records whose name contains the text (case-sensitive).
  void SelectRecords(const std::string &text);
  int32_t SelectedCount() const { return selectedCount_; }
  // The n-th selected record in file order (1-based); an empty record when n
  // is outside 1..SelectedCount.
  TIDbRec GetSelectedRecord(int32_t n);
  int32_t RecordCount() const { return records_.Count(); }

  // Records visited by GetSelectedRecord walks so far (for tests and benchmarks).
  uint64_t WalkSteps() const { return walkSteps_; }

  // The parts of a name before the first "|" and between the first four "|".
  static std::array<std::string, 4> SplitName(const char *name);

private:
  struct Stored;
  void FreeRecords();
  Stored *At(int32_t position);

  TPointerChain records_{"IDbRecs"};
  int32_t cursorOrdinal_ = 0;
  int32_t cursorPosition_ = 0;
  int32_t selectedCount_ = 0;
  uint64_t walkSteps_ = 0;
};
