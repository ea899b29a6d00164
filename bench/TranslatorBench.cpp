// Translating a window: 150 tagged components against a 148-record text
// table, the language file in the system's file cache after the first run.
#include "authoring/StrovdexWriter.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessLocale.h"
#include "ui/Controls.h"
#include "ui/Forms.h"
#include "ui/Translator.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

std::string WriteLanguageFile() {
  std::string source = "scramble\ntable Contents\ncolumn iCountry integer7\n"
                       "column sCountry text width=128\ncolumn sLanguage text width=10\n"
                       "row 44 English EN\ntable \"MainForm (English)\"\ncolumn Tag integer7\n"
                       "column Caption text width=255\ncolumn Hint text width=255\n";
  for (int tag = 1; tag <= 148; ++tag)
    source += "row " + std::to_string(tag) + " \"Caption number " + std::to_string(tag) +
              "\" \"Short|A longer hint for control " + std::to_string(tag) + "\"\n";
  TDatabaseSource db;
  std::string error;
  std::string path = (std::filesystem::temp_directory_path() / "movaro-bench.lng").string();
  THeadlessFileSystem files;
  if (!ParseTableSource(source, db, error) || !WriteStrovdex(files, db, path, "", error))
    return {};
  return path;
}

void BM_TranslateForm150(benchmark::State &state) {
  const std::string file = WriteLanguageFile();
  if (file.empty()) {
    state.SkipWithError("could not write the language file");
    return;
  }
  THeadlessFileSystem files;
  THeadlessLocale locale;
  TTranslator translator(files, locale);
  THeadlessApplication app;
  TForm form(app, nullptr, "MainForm");
  // 150 tagged components: 148 with a record, 2 without.
  for (int tag = 1; tag <= 150; ++tag) {
    auto &label = form.Create<TLabel>("Lbl" + std::to_string(tag));
    label.Tag = tag;
    label.SetParent(&form);
  }
  for (auto _ : state) {
    translator.TranslateForm(form, "MainForm", file);
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_TranslateForm150)->Unit(benchmark::kMillisecond);

} // namespace
