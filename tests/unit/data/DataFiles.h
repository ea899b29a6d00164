#pragma once
// A fresh folder below the system's temporary folder for one test's files,
// removed with everything in it at the end of the test.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

class TestFolder {
public:
  TestFolder() {
    std::random_device seed;
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("movaro-") + (info ? info->name() : "test") + "-" +
                       std::to_string(seed());
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(path_);
  }
  ~TestFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string &name) const { return (path_ / name).string(); }

  std::string Write(const std::string &name, const std::vector<uint8_t> &bytes) const {
    std::ofstream out(File(name), std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return File(name);
  }
  std::vector<uint8_t> Read(const std::string &name) const {
    std::ifstream in(File(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

private:
  std::filesystem::path path_;
};
