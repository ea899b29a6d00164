// Any bytes as an archive file: the directory is read, every line parsed and
// looked up, and every member extracted into a scratch folder. Checks that
// progress stays within 0..100 and that a failed extraction leaves no file.

#include "data/archive/Archive.h"
#include "platform/headless/HeadlessFileSystem.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// The scratch folder of this process, removed when it ends.
struct TScratch {
  fs::path Folder;
  ~TScratch() {
    std::error_code ec;
    fs::remove_all(Folder, ec);
  }
};

const fs::path &Scratch() {
  static const TScratch scratch{[] {
    fs::path p = fs::temp_directory_path() / ("archive_fuzz-" + std::to_string(std::rand()) + "-" +
                                              std::to_string(reinterpret_cast<uintptr_t>(&p) & 0xFFFF));
    fs::create_directories(p);
    return p;
  }()};
  return scratch.Folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string archivePath = (Scratch() / "input.exe").string();
  {
    std::ofstream out(archivePath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
  }
  THeadlessFileSystem files;
  TArchive archive(files);
  archive.LoadDirectory(archivePath);

  const std::string outFolder = (Scratch() / "out").string() + "/";
  int index = 0;
  for (const std::string &line : archive.Directory()) {
    TFileData parsed = ParseFileData(line);
    TFileData found = archive.LookupMember(parsed.Name);
    if (line.find('=') != std::string::npos && found.Name.size() != parsed.Name.size())
      std::abort(); // a line's own name must find a line with a name like it
    std::string target = outFolder + (IsPlainMemberName(found.Name) ? found.Name : "member") +
                         std::to_string(index++ % 4);
    bool ok = archive.ExtractMember(found, target, "1", "2", [](const std::string &) {},
                                    [](int percent) {
                                      if (percent < 0 || percent > 100)
                                        std::abort();
                                    });
    if (!ok && files.FileExists(target))
      std::abort();
    files.SetAttributes(target, kFileAttributeArchive);
    files.RemoveFile(target);
    if (index > 64)
      break;
  }
  return 0;
}
