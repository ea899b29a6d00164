#pragma once
// Ini-style profile files ("[Section]" lines followed by "Key=Value" lines),
// read and written entry by entry as the system's profile-string functions
// do. Section and key names ignore letter case. Paths should be full paths:
// the system puts a bare file name into the Windows folder.
//
// Each operation returns false when the system reports an error.

#include <string>
#include <vector>

class IProfileFiles {
public:
  virtual ~IProfileFiles() = default;
  // The value of the key, or the default when the file, section or key is missing.
  virtual bool ReadString(const std::string &file, const std::string &section,
                          const std::string &key, const std::string &defaultValue,
                          std::string &value) = 0;
  // Creates the file (not its folder) and the section when missing.
  virtual bool WriteString(const std::string &file, const std::string &section,
                           const std::string &key, const std::string &value) = 0;
  virtual bool DeleteKey(const std::string &file, const std::string &section,
                         const std::string &key) = 0;
  virtual bool EraseSection(const std::string &file, const std::string &section) = 0;
  // Empty lists for a file or section that does not exist.
  virtual bool SectionNames(const std::string &file, std::vector<std::string> &names) = 0;
  virtual bool KeyNames(const std::string &file, const std::string &section,
                        std::vector<std::string> &names) = 0;
};
