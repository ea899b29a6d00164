#pragma once
// Profile files for tests and tools, kept as real text files through a file
// system so that existence, deletion and attributes behave as on disk. Reads
// and writes follow the system's profile-string functions: names without
// letter case, blanks around names and values dropped, a missing file created
// by a write (its folder is not), a section without keys kept until erased.

#include "platform/FileSystem.h"
#include "platform/ProfileFiles.h"

class THeadlessProfileFiles : public IProfileFiles {
public:
  explicit THeadlessProfileFiles(TFileSystem &fs) : fs_(fs) {}
  bool ReadString(const std::string &file, const std::string &section, const std::string &key,
                  const std::string &defaultValue, std::string &value) override;
  bool WriteString(const std::string &file, const std::string &section, const std::string &key,
                   const std::string &value) override;
  bool DeleteKey(const std::string &file, const std::string &section, const std::string &key) override;
  bool EraseSection(const std::string &file, const std::string &section) override;
  bool SectionNames(const std::string &file, std::vector<std::string> &names) override;
  bool KeyNames(const std::string &file, const std::string &section,
                std::vector<std::string> &names) override;

private:
  struct TLine {
    std::string Text;    // the line as stored
    std::string Section; // for a section line: its name
    std::string Key;     // for a key line: its name
    std::string Value;
  };
  bool Load(const std::string &file, std::vector<TLine> &lines);
  bool Save(const std::string &file, const std::vector<TLine> &lines);

  TFileSystem &fs_;
};
