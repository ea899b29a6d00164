#pragma once
// What the names of the information file's records say about the pages:
// background chapters and sections ("bgi_"), exercises ("exe_" with the
// video and the body region), message records and the page that owns them,
// and the explanation pages of the questionnaires.

#include "data/recfile/IDbRecs.h"

#include <array>
#include <cstdint>
#include <string>

struct TExerciseRegion {
  const char *SubmenuName;
  int32_t Tag;
  const char *Caption; // English; the language table replaces it by tag
  const char *Code;    // the region code an exercise record carries
};
constexpr int kExerciseRegionCount = 10;
extern const std::array<TExerciseRegion, kExerciseRegionCount> kExerciseRegions;

// The region whose code equals the text exactly, or -1.
int ExerciseRegionIndex(const std::string &code);
// Part 2 of an exercise record: the video's base name before the first "-",
// the region code after it (all of part 2 when there is no "-").
std::string ExerciseVideoBase(const std::string &part2);
std::string ExerciseRegionCode(const std::string &part2);

bool IsBackgroundRecord(const std::string &part1);
bool IsExerciseRecord(const std::string &part1);

// The ordinal of the page a record belongs to: the record itself when its
// part 4 is empty, else the nearest record before it with an empty part 4
// (never below 1). 0 for an ordinal outside the selection.
int32_t OwningPageOrdinal(TIDbRecFile &records, int32_t ordinal);

// The selected record whose first part, without its language suffix, equals
// the name in any letter case ("BGI_011" finds "bgi_011_44"); 0 when none.
int32_t FindRecordByBaseName(TIDbRecFile &records, const std::string &name);
