// The table database engine and the record file reader on files shaped like
// the shipped ones: FieldText of a text column in a 148-record language
// table, FindRecord of its last record, and LoadRecords of a 772-record,
// 262537-byte record file.
#include "authoring/IDbRecWriter.h"
#include "authoring/StrovdexWriter.h"
#include "data/recfile/IDbRecs.h"
#include "data/tabledb/Strovdex.h"
#include "platform/headless/HeadlessLocale.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace {

std::string TempFile(const std::string &name) {
  return (std::filesystem::temp_directory_path() / ("movaro-bench-" + name)).string();
}

// A scrambled language table: 148 records of Name, Tag and Caption.
const std::string &LanguageTable() {
  static const std::string path = [] {
    TDatabaseSource db;
    db.Scramble = true;
    TTableSource table;
    table.Name = "MainForm (English)";
    TColumnSource name, tag, caption;
    name.Name = "Name";
    name.Def = TColumnDef::Fresh(fkText);
    tag.Name = "Tag";
    tag.Def = TColumnDef::Fresh(fkInteger7);
    caption.Name = "Caption";
    caption.Def = TColumnDef::Fresh(fkText);
    caption.Def.Bytes[71] = 255;
    table.Columns = {name, tag, caption};
    for (int r = 1; r <= 148; ++r)
      table.Rows.push_back({"Component" + std::to_string(r) + "Btn", std::to_string(r),
                            "The caption of component number " + std::to_string(r)});
    db.Tables.push_back(table);
    std::string file = TempFile("language.lng"), error;
    if (!WriteStrovdex(db, file, "", error))
      throw std::runtime_error(error);
    return file;
  }();
  return path;
}

// 772 records, names of 14..80 bytes, texts of 2..2481 bytes, 262537 bytes.
const std::string &InfoFile() {
  static const std::string path = [] {
    std::mt19937 random(772);
    std::vector<TRecordSource> records(772);
    size_t total = 4;
    for (size_t i = 0; i < records.size(); ++i) {
      records[i].Id = static_cast<int32_t>(i);
      records[i].Name = "Q|" + std::to_string(i) + "|" +
                        std::string(8 + random() % 60, 'n') + (i % 2 ? "_44" : "_49");
      records[i].Text.assign(2 + random() % 580, 't');
      total += 8 + records[i].Name.size() + records[i].Text.size();
    }
    // Spread the remainder so the file has exactly the shipped size.
    for (size_t i = 0; total < 262537; i = (i + 1) % records.size()) {
      const size_t add = std::min<size_t>({262537 - total, 2481 - records[i].Text.size(), 400});
      records[i].Text.append(add, 'u');
      total += add;
    }
    std::string file = TempFile("MVRInfo.dat"), error;
    if (!WriteRecordFile(records, file, error))
      throw std::runtime_error(error);
    return file;
  }();
  return path;
}

void BM_FieldTextOfTextColumn(benchmark::State &state) {
  THeadlessLocale locale;
  TStrovdexObject db(locale);
  if (!db.Open(LanguageTable(), LanguageTable(), "", ""))
    state.SkipWithError("cannot open");
  int32_t record = 0;
  for (auto _ : state) {
    record = record % 148 + 1;
    benchmark::DoNotOptimize(db.FieldText("MainForm (English)", "Caption", record));
  }
}
BENCHMARK(BM_FieldTextOfTextColumn);

void BM_FindRecordOfLastRecord(benchmark::State &state) {
  THeadlessLocale locale;
  TStrovdexObject db(locale);
  if (!db.Open(LanguageTable(), LanguageTable(), "", ""))
    state.SkipWithError("cannot open");
  for (auto _ : state)
    if (db.FindRecord("MainForm (English)", "Name", "Component148Btn") != 148)
      state.SkipWithError("not found");
}
BENCHMARK(BM_FindRecordOfLastRecord)->Unit(benchmark::kMicrosecond);

void BM_LoadRecords(benchmark::State &state) {
  const std::string &path = InfoFile();
  if (std::filesystem::file_size(path) != 262537)
    state.SkipWithError("fixture has the wrong size");
  for (auto _ : state) {
    TIDbRecFile file;
    if (!file.LoadRecords(path) || file.RecordCount() != 772)
      state.SkipWithError("load failed");
  }
}
BENCHMARK(BM_LoadRecords)->Unit(benchmark::kMillisecond);

} // namespace
