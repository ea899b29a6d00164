#pragma once
// A test's scratch folder seen as a place for named binary files.

#include "support/ScratchFolder.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

class TestFolder : public TScratchFolder {
public:
  std::string File(const std::string &name) const { return Path(name); }

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
};
