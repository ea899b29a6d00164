// Opens arbitrary bytes as a table database (one file, or split into a
// definitions and a data file) and renders every field of every record.
#include "data/tabledb/Strovdex.h"
#include "platform/headless/HeadlessLocale.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string Scratch(const char *suffix) {
  return (std::filesystem::temp_directory_path() /
          ("strovdex-fuzz-" + std::to_string(getpid()) + suffix))
      .string();
}

void WriteFile(const std::string &path, const uint8_t *data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const std::string single = Scratch(".dat"), defs = Scratch(".def");
  static THeadlessLocale locale;
  // The last byte chooses the layout: even = one file; odd = definitions are
  // the first 272 + 77 + 137 × (byte / 2) bytes, the rest is the data file.
  const uint8_t choice = size ? data[size - 1] : 0;
  TStrovdexObject db(locale, [] { return std::optional<std::string>("password"); });
  bool open;
  if (choice % 2 == 0) {
    WriteFile(single, data, size);
    open = db.Open(single, single, "", "");
  } else {
    const size_t split = std::min(size, size_t{272 + 77 + 137 * size_t{choice / 2u}});
    WriteFile(defs, data, split);
    WriteFile(single, data + split, size - split);
    open = db.Open(single, defs, "", "");
  }
  if (!open)
    return 0;
  for (int32_t t = 1; t <= db.TableCount(); ++t) {
    TTableDef *table = db.Table(t);
    const std::string name = table->Name;
    std::string first;
    for (int32_t c = 1; c <= table->Columns.Count(); ++c) {
      const std::string column = db.Column(t, c)->Name();
      for (int32_t r = 0; r <= db.PresentRecordCount(t) + 1; ++r) {
        std::string text = db.FieldText(name, column, r);
        if (text.size() > 255)
          __builtin_trap();
        if (r == 1 && c == 1)
          first = text;
      }
      db.ReadField(name, column, table->RecordCount);
    }
    if (table->Columns.Count() > 0)
      db.FindRecord(name, db.Column(t, 1)->Name(), first + "x");
    db.RecordCount(name);
  }
  return 0;
}
