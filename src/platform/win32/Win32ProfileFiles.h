#pragma once
// Profile files through the system's private profile-string functions.

#include "platform/ProfileFiles.h"

class TWin32ProfileFiles : public IProfileFiles {
public:
  bool ReadString(const std::string &file, const std::string &section, const std::string &key,
                  const std::string &defaultValue, std::string &value) override;
  bool WriteString(const std::string &file, const std::string &section, const std::string &key,
                   const std::string &value) override;
  bool DeleteKey(const std::string &file, const std::string &section, const std::string &key) override;
  bool EraseSection(const std::string &file, const std::string &section) override;
  bool SectionNames(const std::string &file, std::vector<std::string> &names) override;
  bool KeyNames(const std::string &file, const std::string &section,
                std::vector<std::string> &names) override;
};
