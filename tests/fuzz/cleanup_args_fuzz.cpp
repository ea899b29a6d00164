// The clean-up program's command line on arbitrary bytes.
#include "cleanup/CleanupArgs.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string line(reinterpret_cast<const char *>(data), size);
  std::string folder = cleanup::CleanupFolder(line.c_str());
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
    __builtin_trap();
  return 0;
}
