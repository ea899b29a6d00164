#pragma once
// A fresh, empty folder below the system's temporary folder for one test,
// removed with everything in it afterwards.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class TScratchFolder {
public:
  TScratchFolder() {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("movaro-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TScratchFolder() {
    std::error_code ec;
    // Read-only files left by a test must not keep the folder alive.
    for (auto &entry : std::filesystem::recursive_directory_iterator(path_, ec))
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TScratchFolder(const TScratchFolder &) = delete;
  TScratchFolder &operator=(const TScratchFolder &) = delete;

  // The folder itself, or a path inside it; always with "/" separators.
  std::string Path(const std::string &relative = "") const {
    std::string base = path_.generic_string();
    return relative.empty() ? base : base + "/" + relative;
  }

  static void WriteFile(const std::string &path, const std::string &data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
  }
  static std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

private:
  std::filesystem::path path_;
};

// A path with backslashes, as Windows programs and their logs write it.
inline std::string WinPath(std::string path) {
  for (char &c : path)
    if (c == '/')
      c = '\\';
  return path;
}
