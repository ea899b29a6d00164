// archiver: builds, lists and extracts member archives (the self-extracting
// setup and the content container). See README.md beside this file.

#include "authoring/ArchiveWriter.h"
#include "data/archive/Archive.h"
#include "data/archive/DosDateTime.h"
#include "platform/headless/HeadlessFileSystem.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: archiver setup OUTPUT INSTALLER [FILE | @LIST]...\n"
               "       archiver container OUTPUT [FILE | @LIST]...\n"
               "       archiver list ARCHIVE\n"
               "       archiver extract ARCHIVE FOLDER [MEMBER]...\n");
  return 2;
}

// FILE arguments, with @LIST expanded: one path per line, relative paths
// taken from the list's folder, empty lines and lines starting with # skipped.
bool CollectFiles(int argc, char **argv, int first, std::vector<std::string> &files) {
  for (int i = first; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.empty() || arg[0] != '@') {
      files.push_back(arg);
      continue;
    }
    std::ifstream list(arg.substr(1));
    if (!list) {
      std::fprintf(stderr, "archiver: cannot read %s\n", arg.c_str() + 1);
      return false;
    }
    fs::path base = fs::path(arg.substr(1)).parent_path();
    std::string line;
    while (std::getline(list, line)) {
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      if (line.empty() || line[0] == '#')
        continue;
      fs::path p(line);
      files.push_back(p.is_absolute() ? line : (base / p).string());
    }
  }
  return true;
}

std::string DateText(TDateTime date) {
  TDateTimeParts p;
  if (date == 0 || !DecodeDateTime(date, p))
    return "-------------------";
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", p.Year, p.Month, p.Day, p.Hour,
                p.Minute, p.Second);
  return text;
}

TDateTime Now() {
  std::time_t t = std::time(nullptr);
  std::tm *tm = std::localtime(&t);
  TDateTime now = 0;
  if (tm)
    EncodeTime(tm->tm_hour, tm->tm_min, std::min(tm->tm_sec, 59), 0, now);
  return now;
}

int Build(bool setup, int argc, char **argv) {
  if (argc < (setup ? 4 : 3))
    return Usage();
  std::vector<std::string> files;
  if (!CollectFiles(argc, argv, setup ? 4 : 3, files))
    return 1;
  std::string error;
  bool ok = setup ? BuildSetupArchive(argv[2], argv[3], files, error)
                  : BuildContentContainer(argv[2], files, error);
  if (!ok) {
    std::fprintf(stderr, "archiver: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

int List(int argc, char **argv) {
  if (argc != 3)
    return Usage();
  THeadlessFileSystem files;
  TArchiveDirectory directory = ReadArchiveDirectory(files, argv[2]);
  if (directory.empty()) {
    std::fprintf(stderr, "archiver: %s has no readable directory\n", argv[2]);
    return 1;
  }
  for (const std::string &line : directory) {
    TFileData e = ParseFileData(line);
    std::printf("%s\t%s\t%d\t%d\t%d\n", e.Name.c_str(), DateText(e.Date).c_str(), e.Size,
                e.CompressedSize, e.Offset);
  }
  return 0;
}

int Extract(int argc, char **argv) {
  if (argc < 4)
    return Usage();
  THeadlessFileSystem files;
  TArchive archive(files);
  if (!archive.LoadDirectory(argv[2])) {
    std::fprintf(stderr, "archiver: %s has no readable directory\n", argv[2]);
    return 1;
  }
  std::vector<std::string> names;
  for (int i = 4; i < argc; ++i)
    names.push_back(argv[i]);
  if (names.empty())
    for (const std::string &line : archive.Directory())
      names.push_back(ParseFileData(line).Name);

  std::string folder = argv[3];
  if (folder.empty() || !IsPathSeparator(folder.back()))
    folder += "/";
  int failures = 0;
  auto log = [](const std::string &message) { std::printf("%s\n", StampLogLine(Now(), message).c_str()); };
  for (const std::string &name : names) {
    TFileData entry = archive.LookupMember(name);
    if (entry.Offset < 0 && entry.Name.empty()) {
      std::fprintf(stderr, "archiver: no member named \"%s\"\n", name.c_str());
      ++failures;
      continue;
    }
    if (!IsPlainMemberName(entry.Name)) {
      std::fprintf(stderr, "archiver: \"%s\" is not a plain file name; not extracted\n", name.c_str());
      ++failures;
      continue;
    }
    if (entry.Offset >= 0 && entry.Size == 0 && entry.CompressedSize == 0) {
      std::printf("%s is empty; the programs never extract empty members\n", entry.Name.c_str());
      continue;
    }
    if (!archive.ExtractMember(entry, folder + entry.Name, "", "", log, {}))
      ++failures;
  }
  if (failures)
    std::fprintf(stderr, "archiver: %d member(s) not extracted\n", failures);
  return failures ? 1 : 0;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2)
    return Usage();
  std::string command = argv[1];
  if (command == "setup")
    return Build(true, argc, argv);
  if (command == "container")
    return Build(false, argc, argv);
  if (command == "list")
    return List(argc, argv);
  if (command == "extract")
    return Extract(argc, argv);
  return Usage();
}
