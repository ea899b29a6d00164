// tabledb: builds a table database from its text source, and dumps any table
// database through the engine. See README.md next to this file.
#include "authoring/StrovdexWriter.h"
#include "data/tabledb/Strovdex.h"
#include "platform/headless/HeadlessLocale.h"

#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

int Usage() {
  std::cerr << "usage:\n"
               "  tabledb build SOURCE.txt OUTPUT [--defs DEFINITIONS] [--scramble] "
               "[--password TEXT]\n"
               "  tabledb dump FILE [--defs DEFINITIONS] [--password TEXT]\n";
  return 2;
}

} // namespace

int main(int argc, char **argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() < 2)
    return Usage();
  const std::string command = args[0];
  std::vector<std::string> positional;
  std::string definitions;
  std::optional<std::string> password;
  bool scramble = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--defs" && i + 1 < args.size())
      definitions = args[++i];
    else if (args[i] == "--password" && i + 1 < args.size())
      password = args[++i];
    else if (args[i] == "--scramble")
      scramble = true;
    else if (args[i].rfind("--", 0) == 0)
      return Usage();
    else
      positional.push_back(args[i]);
  }
  std::string error;
  if (command == "build" && positional.size() == 2) {
    std::string text;
    TDatabaseSource source;
    if (!ReadFileText(positional[0], text, error) || !ParseTableSource(text, source, error)) {
      std::cerr << "tabledb: " << positional[0] << ": " << error << "\n";
      return 1;
    }
    if (scramble)
      source.Scramble = true;
    if (password)
      source.Password = *password;
    if (!WriteStrovdex(source, positional[1], definitions, error)) {
      std::cerr << "tabledb: " << error << "\n";
      return 1;
    }
    return 0;
  }
  if (command == "dump" && positional.size() == 1 && !scramble) {
    THeadlessLocale locale;
    TStrovdexObject db(locale);
    const std::string &data = positional[0];
    if (!db.Open(data, definitions.empty() ? data : definitions, "", password.value_or(""))) {
      std::cerr << "tabledb: " << data << ": not a readable table database"
                << " (missing, damaged, or protected by another password)\n";
      return 1;
    }
    DumpStrovdex(db, std::cout);
    return std::cout ? 0 : 1;
  }
  return Usage();
}
