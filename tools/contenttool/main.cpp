// contenttool: builds the product's content files from their text sources and
// checks the built files through the programs' own readers. See README.md.
#include "Cp1252.h"
#include "InfoSource.h"
#include "Languages.h"
#include "authoring/StrovdexWriter.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

int Usage() {
  std::cerr << "usage:\n"
               "  contenttool cp1252 OUTPUT INPUT...     UTF-8 sources, joined, as Windows-1252\n"
               "  contenttool info OUTPUT FOLDER         MVRInfo.dat from FOLDER/<language>.txt\n";
  return 2;
}

int Fail(const std::string &what, const std::string &error) {
  std::cerr << "contenttool: " << what << ": " << error << "\n";
  return 1;
}

int JoinAsCp1252(const std::string &output, const std::vector<std::string> &inputs) {
  std::string joined, text, error;
  for (const auto &input : inputs) {
    std::string converted;
    if (!ReadFileText(input, text, error) || !Utf8ToCp1252(text, converted, error))
      return Fail(input, error);
    joined += converted + "\n";
  }
  if (!WriteFileBytes(output, std::vector<uint8_t>(joined.begin(), joined.end()), error))
    return Fail(output, error);
  return 0;
}

int BuildInfo(const std::string &output, const std::string &folder) {
  std::vector<TRecordSource> records;
  std::string text, error;
  for (const auto &language : kLanguages) {
    const std::string path = folder + "/" + language.Source + ".txt";
    if (!ReadFileText(path, text, error) || !ParseInfoSource(text, language.Number, records, error))
      return Fail(path, error);
  }
  if (!WriteRecordFile(records, output, error))
    return Fail(output, error);
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 3 && args[0] == "cp1252")
    return JoinAsCp1252(args[1], {args.begin() + 2, args.end()});
  if (args.size() == 3 && args[0] == "info")
    return BuildInfo(args[1], args[2]);
  return Usage();
}
