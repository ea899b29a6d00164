#include "movaro/pages/ContentRecords.h"

#include "base/AnsiText.h"

const std::array<TExerciseRegion, kExerciseRegionCount> kExerciseRegions{{
    {"MainToolBarPopupSubExerItems1", 12001, "Shoulders, back and neck", "00010110"},
    {"MainToolBarPopupSubExerItems2", 12002, "Shoulders and back", "00000110"},
    {"MainToolBarPopupSubExerItems3", 12003, "Shoulders and neck", "00010010"},
    {"MainToolBarPopupSubExerItems4", 12004, "Breast and arms", "01001000"},
    {"MainToolBarPopupSubExerItems5", 12005, "Body", "00000001"},
    {"MainToolBarPopupSubExerItems6", 12006, "Shoulders, arms and hands", "00101010"},
    {"MainToolBarPopupSubExerItems7", 12007, "Lower arms and hands", "00101000"},
    {"MainToolBarPopupSubExerItems8", 12008, "Hands", "00100000"},
    {"MainToolBarPopupSubExerItems9", 12009, "Back", "00010000"},
    {"MainToolBarPopupSubExerItems10", 12010, "Back and legs", "10010000"},
}};

int ExerciseRegionIndex(const std::string &code) {
  if (code.size() != 8)
    return -1;
  for (int i = 0; i < kExerciseRegionCount; ++i)
    if (code == kExerciseRegions[i].Code)
      return i;
  return -1;
}

std::string ExerciseVideoBase(const std::string &part2) { return part2.substr(0, part2.find('-')); }

std::string ExerciseRegionCode(const std::string &part2) {
  const size_t dash = part2.find('-');
  return dash == std::string::npos ? part2 : part2.substr(dash + 1);
}

bool IsBackgroundRecord(const std::string &part1) { return part1.rfind("bgi_", 0) == 0; }
bool IsExerciseRecord(const std::string &part1) { return part1.rfind("exe_", 0) == 0; }

int32_t OwningPageOrdinal(TIDbRecFile &records, int32_t ordinal) {
  if (ordinal < 1 || ordinal > records.SelectedCount())
    return 0;
  int32_t n = ordinal;
  while (n > 1 && !TIDbRecFile::SplitName(records.GetSelectedRecord(n).Name)[3].empty())
    --n;
  return n;
}

int32_t FindRecordByBaseName(TIDbRecFile &records, const std::string &name) {
  if (name.empty())
    return 0;
  const std::string wanted = AnsiUpperCase(name);
  for (int32_t n = 1; n <= records.SelectedCount(); ++n) {
    std::string part1 = TIDbRecFile::SplitName(records.GetSelectedRecord(n).Name)[0];
    const size_t suffix = part1.rfind('_');
    // "bgi_011_44": the language suffix is the last "_" and the digits after it.
    if (suffix != std::string::npos && suffix > 0 && suffix + 1 < part1.size() &&
        part1.find_first_not_of("0123456789", suffix + 1) == std::string::npos)
      part1.resize(suffix);
    if (AnsiUpperCase(part1) == wanted)
      return n;
  }
  return 0;
}
