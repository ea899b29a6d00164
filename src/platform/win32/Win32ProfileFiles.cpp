#include "platform/win32/Win32ProfileFiles.h"

#include <windows.h>

namespace {

// Splits a list of zero-terminated names ending with an empty one.
void SplitNames(const std::string &buffer, DWORD length, std::vector<std::string> &names) {
  names.clear();
  for (size_t pos = 0; pos < length && buffer[pos];) {
    size_t end = buffer.find('\0', pos);
    names.push_back(buffer.substr(pos, end - pos));
    pos = end + 1;
  }
}

// The call reports a full buffer with size - 2 (lists) or size - 1 (values):
// grow until the answer fits.
template <class Call>
std::string CallGrowing(Call call, DWORD &length, DWORD slack) {
  for (DWORD size = 1024;; size *= 4) {
    std::string buffer(size, '\0');
    length = call(&buffer[0], size);
    if (length < size - slack || size >= (1u << 24))
      return buffer;
  }
}

} // namespace

bool TWin32ProfileFiles::ReadString(const std::string &file, const std::string &section,
                                    const std::string &key, const std::string &defaultValue,
                                    std::string &value) {
  DWORD length = 0;
  std::string buffer = CallGrowing(
      [&](char *out, DWORD size) {
        return GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), out,
                                        size, file.c_str());
      },
      length, 1);
  value = buffer.substr(0, length);
  return true;
}

bool TWin32ProfileFiles::WriteString(const std::string &file, const std::string &section,
                                     const std::string &key, const std::string &value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0;
}

bool TWin32ProfileFiles::DeleteKey(const std::string &file, const std::string &section,
                                   const std::string &key) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, file.c_str()) != 0;
}

bool TWin32ProfileFiles::EraseSection(const std::string &file, const std::string &section) {
  return WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str()) != 0;
}

bool TWin32ProfileFiles::SectionNames(const std::string &file, std::vector<std::string> &names) {
  DWORD length = 0;
  std::string buffer = CallGrowing(
      [&](char *out, DWORD size) { return GetPrivateProfileSectionNamesA(out, size, file.c_str()); },
      length, 2);
  SplitNames(buffer, length, names);
  return true;
}

bool TWin32ProfileFiles::KeyNames(const std::string &file, const std::string &section,
                                  std::vector<std::string> &names) {
  DWORD length = 0;
  std::string buffer = CallGrowing(
      [&](char *out, DWORD size) {
        return GetPrivateProfileStringA(section.c_str(), nullptr, "", out, size, file.c_str());
      },
      length, 2);
  SplitNames(buffer, length, names);
  return true;
}
