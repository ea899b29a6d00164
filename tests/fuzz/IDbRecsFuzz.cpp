// Loads arbitrary bytes as a record file, selects by a text taken from the
// input and reads every selected record, forwards and backwards.
#include "data/recfile/IDbRecs.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct Gauge : IProgressGauge {
  int last = 0;
  void SetVisible(bool) override {}
  void SetProgress(int percent) override {
    if (percent < last || percent > 100)
      __builtin_trap();
    last = percent;
  }
  void ProcessPendingMessages() override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const std::string path =
      (std::filesystem::temp_directory_path() /
       ("idbrecs-fuzz-" + std::to_string(getpid()) + ".dat"))
          .string();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
  }
  TIDbRecFile file;
  Gauge gauge;
  file.LoadRecords(path, &gauge);
  // The selection text: up to three bytes from the end of the input.
  std::string selection;
  for (size_t i = 0; i < 3 && i < size; ++i)
    if (data[size - 1 - i])
      selection += static_cast<char>(data[size - 1 - i]);
  file.SelectRecords(selection);
  size_t total = 0;
  for (int32_t n = 1; n <= file.SelectedCount(); ++n) {
    TIDbRec r = file.GetSelectedRecord(n);
    if (!r.Selected || std::strlen(r.Name) > r.NameLength || std::strlen(r.Text) > r.TextLength)
      __builtin_trap();
    total += TIDbRecFile::SplitName(r.Name)[0].size();
  }
  for (int32_t n = file.SelectedCount(); n >= 0; --n)
    total += file.GetSelectedRecord(n).NameLength;
  file.GetSelectedRecord(file.SelectedCount() / 2 + 1);
  return total == SIZE_MAX;
}
