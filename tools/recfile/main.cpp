// recfile: builds a record file from a text file or a folder of records, and
// dumps any record file through the reader. See README.md next to this file.
#include "authoring/IDbRecWriter.h"
#include "authoring/StrovdexWriter.h"
#include "platform/headless/HeadlessFileSystem.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

int Usage() {
  std::cerr << "usage:\n"
               "  recfile build SOURCE OUTPUT     SOURCE: a records text file or a folder\n"
               "  recfile dump FILE [SELECTION]   records whose name contains SELECTION\n";
  return 2;
}

} // namespace

int main(int argc, char **argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  THeadlessFileSystem files;
  if (args.size() == 3 && args[0] == "build") {
    std::vector<TRecordSource> records;
    std::string error, text;
    const bool ok = files.DirectoryExists(args[1])
                        ? ReadRecordFolder(files, args[1], records, error)
                        : ReadFileText(files, args[1], text, error) &&
                              ParseRecordText(text, records, error);
    if (!ok || !WriteRecordFile(files, records, args[2], error)) {
      std::cerr << "recfile: " << args[1] << ": " << error << "\n";
      return 1;
    }
    return 0;
  }
  if ((args.size() == 2 || args.size() == 3) && args[0] == "dump") {
    if (!DumpRecordFile(files, args[1], args.size() == 3 ? args[2] : "", std::cout)) {
      std::cerr << "recfile: " << args[1]
                << ": missing, or holds fewer records than it declares\n";
      return 1;
    }
    return 0;
  }
  return Usage();
}
