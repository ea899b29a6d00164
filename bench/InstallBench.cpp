// A fresh install of a generated product (300 files, about 50 MB, half
// text-like, half incompressible) from a setup file, against plain extraction
// of the same members to the same targets. The difference is the engine's
// own cost: script reads, placeholder expansion with its registry reads, the
// time-stamp comparison, progress and the page updates, and (journal:1) the
// undo journal of the run, one line handed to the disk per file. The targets are
// removed between iterations (not timed) so both always write every file.
#include "authoring/ArchiveWriter.h"
#include "authoring/StrovdexWriter.h"
#include "kestrup/Engine.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessLocale.h"
#include "platform/headless/HeadlessProfileFiles.h"
#include "platform/headless/HeadlessRegistry.h"
#include "platform/headless/HeadlessShell.h"
#include "platform/headless/VirtualClock.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 300;

struct TProduct {
  fs::path folder;
  std::string setup, script, target;
  int64_t totalBytes = 0;
};

std::string Bytes(size_t n, bool text, std::mt19937 &rng) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i)
    s[i] = text ? static_cast<char>("break minute keyboard mouse rest\r\n"[rng() % 34])
                : static_cast<char>(rng());
  return s;
}

const TProduct &Product() {
  static TProduct *product = [] {
    auto *p = new TProduct;
    p->folder = fs::temp_directory_path() / ("install-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(p->folder);
    std::atexit([] { std::error_code ec; fs::remove_all(Product().folder, ec); });
    p->target = (p->folder / "Product").generic_string() + "/";
    std::string source = "table Defaults\ncolumn Description text\ncolumn Value text width=255\n"
                         "row ProgramTitle Bench\nrow ProgramLabel Bench\n"
                         "table Files\ncolumn TargetDir text width=255\ncolumn DirAttr text width=10\n"
                         "column FileName text\ncolumn FileAttr text width=10\ncolumn Status text width=20\n";
    for (int i = 0; i < kFiles; ++i)
      source += "row \"[ftInstallDir]" + std::string(i % 2 ? "Media\\\\" : "") + "\" 0 file" +
                std::to_string(i) + ".dat 0 \"\"\n";
    TDatabaseSource db;
    std::string error;
    if (!ParseTableSource(source, db, error))
      std::abort();
    std::vector<uint8_t> defs, data;
    if (!BuildStrovdex(db, false, defs, data, error))
      std::abort();
    p->script = (p->folder / "Kestrup.inf").string();
    std::string scriptError;
    THeadlessFileSystem files;
    WriteFileBytes(files, p->script, data, scriptError);

    std::mt19937 rng(11);
    p->setup = (p->folder / "setup.exe").string();
    TArchiveWriter writer(files);
    writer.Open(p->setup);
    writer.AddStored("Kestrup.exe", 862411107, "image");
    for (int i = 0; i < kFiles; ++i) {
      size_t n = 100000 + rng() % 133000; // 100..233 KB, about 50 MB in all
      writer.AddMember("file" + std::to_string(i) + ".dat", 862411107, Bytes(n, i % 2 == 0, rng));
      p->totalBytes += static_cast<int64_t>(n);
    }
    if (!writer.Finish())
      std::abort();
    return p;
  }();
  return *product;
}

// The page as a wizard would show it, without a screen.
class TQuietPage : public IEnginePage {
public:
  void EnableButtons(bool, bool, bool) override {}
  void SetLabel(TPageLabel, const std::string &text) override { last_ = text; }
  void SetBar(TPageBar, int64_t position, int64_t) override { position_ = position; }
  void ShowUninstallProgress(bool) override {}
  std::string FitPath(TPageLabel, const std::string &path) override { return path; }
  void ShowFinishPage() override {}
  std::string MessageText(int) override { return ""; }
  void ProcessMessages() override {}
  void Wait(uint32_t) override {}
  void SetBusyCursor(bool) override {}
  bool ShowLogChecked() override { return false; }

private:
  std::string last_;
  int64_t position_ = 0;
};

void RemoveTargets(const TProduct &p) {
  std::error_code ec;
  fs::remove_all(p.target, ec);
}

void BM_FreshInstall(benchmark::State &state) {
  const TProduct &p = Product();
  THeadlessFileSystem files;
  THeadlessRegistry registry;
  THeadlessProfileFiles profiles(files);
  THeadlessShell shell(files);
  TVirtualClock clock(46000.5);
  THeadlessLocale locale;
  TQuietPage page;
  TRunState run;
  TKestrupEngine engine(TEnginePlatform{files, registry, profiles, shell, clock, locale}, run, page);
  TStrovdexObject script(files, locale);
  TArchive archive(files);
  if (!script.Open(p.script, p.script, "", "") || !archive.LoadDirectory(p.setup))
    std::abort();
  engine.SetScript(&script);
  engine.SetArchive(&archive);
  // The product as a start-up reads it from the script; its title names
  // the uninstall entry, without which every run fails.
  TInstallScript settings(script);
  run.Product = ReadProductSettings(settings);
  run.InstallDir = p.target;
  run.Product.RootKey = kHKeyUsers; // no uninstall script copy to write
  // The installer's folder, where the journal is kept, exists only with one.
  if (state.range(0) != 0) {
    const std::string common = (p.folder / "Common").generic_string();
    registry.WriteValue(kHKeyLocalMachine, kShellFoldersKey, "Common AppData", TRegValue::String(common));
    files.ForceDirectories(engine.InstallerFolder());
  }
  for (auto _ : state) {
    state.PauseTiming();
    RemoveTargets(p);
    run.ErrorsLogged = run.Completed = false;
    state.ResumeTiming();
    engine.FreshInstall();
    if (!run.Completed) {
      state.SkipWithError("install failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * p.totalBytes);
}
BENCHMARK(BM_FreshInstall)->ArgName("journal")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_PlainExtraction(benchmark::State &state) {
  const TProduct &p = Product();
  THeadlessFileSystem files;
  TArchive archive(files);
  if (!archive.LoadDirectory(p.setup))
    std::abort();
  for (auto _ : state) {
    state.PauseTiming();
    RemoveTargets(p);
    state.ResumeTiming();
    for (int i = 0; i < kFiles; ++i) {
      std::string name = "file" + std::to_string(i) + ".dat";
      std::string target = p.target + (i % 2 ? "Media/" : "") + name;
      if (!archive.ExtractMember(archive.LookupMember(name), target, "0", "0", {}, [](int) {}))
        state.SkipWithError("extraction failed");
    }
  }
  state.SetBytesProcessed(state.iterations() * p.totalBytes);
}
BENCHMARK(BM_PlainExtraction)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace
