// Member extraction against plain zlib, on one generated 50 MB payload: eight
// text-like (compressible) and eight random (incompressible) members of 1.8 to
// 4.6 MB. ExtractMember reads the archive file (progress per 1024-byte block),
// inflates and writes each member to disk with its time stamp; the baseline inflates
// the same packed members with zlib's uncompress (stored ones: a memcpy) from
// memory into memory. Also the writer's throughput (zlib level 9).
//
// Heap use comes from the benchmark program's counting operator new:
// "peak_heap" is the most memory extraction held at once, next to the largest
// member's size.

#include "authoring/ArchiveWriter.h"
#include "data/archive/Archive.h"
#include "platform/headless/HeadlessFileSystem.h"

#include "HeapCounter.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace {

namespace fs = std::filesystem;

fs::path g_folder; // the payload's scratch folder, removed at exit

const double kMegabytes[] = {4.6, 4.0, 3.6, 3.2, 3.0, 2.6, 2.2, 1.8};

std::string TextLike(size_t n, std::mt19937 &rng) {
  static const char *const kWords[] = {"break", "minute", "keyboard", "mouse", "exercise", "shoulder",
                                       "the", "and", "of", "screen", "posture", "rest", "wrist",
                                       "neck", "stretch", "a", "to", "is", "your", "every"};
  std::string s;
  s.reserve(n + 16);
  while (s.size() < n) {
    s += kWords[rng() % 20];
    s += (rng() % 12 == 0) ? ".\r\n" : " ";
    if (rng() % 50 == 0)
      s += std::to_string(rng() % 100000);
  }
  s.resize(n);
  return s;
}

std::string Random(size_t n, std::mt19937 &rng) {
  std::string s(n, '\0');
  for (size_t i = 0; i + 4 <= n; i += 4) {
    uint32_t v = rng();
    std::memcpy(&s[i], &v, 4);
  }
  return s;
}

struct TPayload {
  std::vector<std::pair<std::string, std::string>> members; // name, bytes
  int64_t totalBytes = 0;
  int64_t largest = 0;
  fs::path folder;
  std::string archivePath;
  std::string manifestPath; // the same members behind a SHA-256 manifest
};

const TPayload &Payload() {
  static TPayload *payload = [] {
    auto *p = new TPayload;
    std::mt19937 rng(7);
    for (int i = 0; i < 8; ++i) {
      size_t n = static_cast<size_t>(kMegabytes[i] * 1e6);
      p->members.emplace_back("text" + std::to_string(i) + ".txt", TextLike(n, rng));
      p->members.emplace_back("video" + std::to_string(i) + ".avi", Random(n, rng));
      p->totalBytes += 2 * static_cast<int64_t>(n);
      p->largest = std::max<int64_t>(p->largest, static_cast<int64_t>(n));
    }
    p->folder = fs::temp_directory_path() / ("archive-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(p->folder);
    g_folder = p->folder;
    p->archivePath = (p->folder / "payload.dat").string();
    THeadlessFileSystem files;
    TArchiveWriter writer(files);
    writer.Open(p->archivePath);
    for (auto &[name, bytes] : p->members)
      writer.AddMember(name, 862411107, bytes);
    if (!writer.Finish())
      std::abort();
    p->manifestPath = (p->folder / "signed.dat").string();
    TArchiveWriter signedWriter(files);
    signedWriter.Open(p->manifestPath);
    for (auto &[name, bytes] : p->members)
      signedWriter.AddMember(name, 862411107, bytes);
    if (!signedWriter.AddManifest(862411107) || !signedWriter.Finish())
      std::abort();
    return p;
  }();
  return *payload;
}

// One round of the installer's work: the directory, then every member.
void ExtractAll(TArchive &archive, const std::string &archivePath, const std::string &out,
                benchmark::State &state) {
  if (!archive.LoadDirectory(archivePath))
    std::abort();
  for (const std::string &line : archive.Directory()) {
    TFileData entry = ParseFileData(line);
    if (!archive.ExtractMember(entry, out + entry.Name, "", "", {}, [](int) {}))
      state.SkipWithError("extraction failed");
  }
}

void BM_ExtractEveryMember(benchmark::State &state) {
  const TPayload &payload = Payload();
  THeadlessFileSystem files;
  const std::string out = (payload.folder / "out").string() + "/";
  int64_t peak = 0;
  // One archive for the whole run, as the installer keeps it: its buffers
  // are reused for every member.
  int64_t before = HeapLiveBytes();
  ResetHeapPeak(before);
  TArchive archive(files);
  for (auto _ : state) {
    // Into an empty folder, as an install writes (not timed): replacing the
    // last round's files would add the system's cost of truncating them.
    state.PauseTiming();
    std::error_code ec;
    fs::remove_all(out, ec);
    state.ResumeTiming();
    ExtractAll(archive, payload.archivePath, out, state);
    peak = std::max(peak, HeapPeakBytes() - before);
  }
  state.SetBytesProcessed(state.iterations() * payload.totalBytes);
  state.counters["peak_heap_MB"] = static_cast<double>(peak) / 1e6;
  state.counters["largest_member_MB"] = static_cast<double>(payload.largest) / 1e6;
}
BENCHMARK(BM_ExtractEveryMember)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same with a manifest, as a built setup file has one: every member's
// unpacked bytes are checked against its SHA-256 before they are written.
void BM_ExtractEveryMemberCheckingManifest(benchmark::State &state) {
  const TPayload &payload = Payload();
  THeadlessFileSystem files;
  const std::string out = (payload.folder / "checked").string() + "/";
  TArchive archive(files);
  for (auto _ : state) {
    state.PauseTiming();
    std::error_code ec;
    fs::remove_all(out, ec);
    state.ResumeTiming();
    ExtractAll(archive, payload.manifestPath, out, state);
  }
  state.SetBytesProcessed(state.iterations() * payload.totalBytes);
}
BENCHMARK(BM_ExtractEveryMemberCheckingManifest)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// What a setup's start-up does before it writes anything: every member of the
// signed payload read, unpacked and checked against the manifest.
void BM_VerifyEveryMember(benchmark::State &state) {
  const TPayload &payload = Payload();
  THeadlessFileSystem files;
  TArchive archive(files);
  for (auto _ : state) {
    if (!archive.LoadDirectory(payload.manifestPath) || !archive.VerifyMembers())
      state.SkipWithError("verification failed");
  }
  state.SetBytesProcessed(state.iterations() * payload.totalBytes);
}
BENCHMARK(BM_VerifyEveryMember)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same extraction with the written bytes discarded: what the pipeline
// (1024-byte reads, progress, chunked inflate) costs without the disk writes.
class TDiscardingFile : public TFileStream {
public:
  int64_t Size() override { return 0; }
  bool Seek(int64_t) override { return true; }
  int32_t Read(void *, int32_t) override { return 0; }
  int32_t Write(const void *, int32_t count) override { return count; }
};

class TDiscardingFileSystem : public THeadlessFileSystem {
public:
  explicit TDiscardingFileSystem(std::string outFolder) : out_(std::move(outFolder)) {}
  std::unique_ptr<TFileStream> Create(const std::string &) override {
    return std::make_unique<TDiscardingFile>();
  }
  bool FileExists(const std::string &path) override {
    return path.rfind(out_, 0) == 0 || THeadlessFileSystem::FileExists(path);
  }
  bool SetLastWriteTime(const std::string &, TDateTime) override { return true; }
  // The written copy goes nowhere, so putting it in place does nothing.
  bool RenameFile(const std::string &, const std::string &, uint32_t) override { return true; }
  bool RemoveFile(const std::string &path) override {
    return path.rfind(out_, 0) == 0 || THeadlessFileSystem::RemoveFile(path);
  }

private:
  std::string out_;
};

void BM_ExtractEveryMemberDiscardingOutput(benchmark::State &state) {
  const TPayload &payload = Payload();
  const std::string out = (payload.folder / "nowhere").string() + "/";
  TDiscardingFileSystem files(out);
  files.ForceDirectories(out);
  TArchive archive(files);
  for (auto _ : state) {
    ExtractAll(archive, payload.archivePath, out, state);
  }
  state.SetBytesProcessed(state.iterations() * payload.totalBytes);
}
BENCHMARK(BM_ExtractEveryMemberDiscardingOutput)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The system's share alone: the archive file read and every member's unpacked
// bytes written to a new file, nothing inflated. Extraction can cost no less
// than this plus the raw inflate below.
void BM_PlainReadAndWriteOfEveryMember(benchmark::State &state) {
  const TPayload &payload = Payload();
  const fs::path out = payload.folder / "plain";
  std::string raw;
  for (auto _ : state) {
    state.PauseTiming();
    std::error_code ec;
    fs::remove_all(out, ec);
    fs::create_directories(out);
    state.ResumeTiming();
    std::FILE *archive = std::fopen(payload.archivePath.c_str(), "rb");
    raw.resize(static_cast<size_t>(fs::file_size(payload.archivePath)));
    if (!archive || std::fread(raw.data(), 1, raw.size(), archive) != raw.size())
      state.SkipWithError("read failed");
    if (archive)
      std::fclose(archive);
    for (const auto &[name, bytes] : payload.members) {
      std::FILE *file = std::fopen((out / name).string().c_str(), "wb");
      if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        state.SkipWithError("write failed");
      if (file)
        std::fclose(file);
    }
  }
  state.SetBytesProcessed(state.iterations() * payload.totalBytes);
}
BENCHMARK(BM_PlainReadAndWriteOfEveryMember)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_RawUncompressEveryMember(benchmark::State &state) {
  const TPayload &payload = Payload();
  // The packed members, straight from the archive file into memory.
  std::ifstream in(payload.archivePath, std::ios::binary);
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  THeadlessFileSystem files;
  TArchiveDirectory directory = ReadArchiveDirectory(files, payload.archivePath);
  std::vector<TFileData> entries;
  for (const std::string &line : directory)
    entries.push_back(ParseFileData(line));
  std::string output;
  for (auto _ : state) {
    for (const TFileData &e : entries) {
      output.resize(static_cast<size_t>(e.Size));
      if (e.Size == e.CompressedSize) {
        std::memcpy(output.data(), raw.data() + e.Offset, static_cast<size_t>(e.Size));
      } else {
        uLongf length = static_cast<uLongf>(e.Size);
        if (uncompress(reinterpret_cast<Bytef *>(output.data()), &length,
                       reinterpret_cast<const Bytef *>(raw.data() + e.Offset),
                       static_cast<uLong>(e.CompressedSize)) != Z_OK)
          state.SkipWithError("uncompress failed");
      }
      benchmark::DoNotOptimize(output.data());
    }
  }
  state.SetBytesProcessed(state.iterations() * payload.totalBytes);
}
BENCHMARK(BM_RawUncompressEveryMember)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_WriteArchive(benchmark::State &state) {
  const TPayload &payload = Payload();
  const std::string path = (payload.folder / "written.dat").string();
  THeadlessFileSystem files;
  for (auto _ : state) {
    TArchiveWriter writer(files);
    writer.Open(path);
    for (auto &[name, bytes] : payload.members)
      writer.AddMember(name, 862411107, bytes);
    if (!writer.Finish())
      state.SkipWithError("writing failed");
  }
  state.SetBytesProcessed(state.iterations() * payload.totalBytes);
}
BENCHMARK(BM_WriteArchive)->Unit(benchmark::kMillisecond)->Iterations(2);

// Removes the scratch folder when the program ends.
struct TCleanup {
  ~TCleanup() {
    std::error_code ec;
    if (!g_folder.empty())
      fs::remove_all(g_folder, ec);
  }
} g_cleanup;

} // namespace
