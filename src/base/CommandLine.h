#pragma once
// Command lines as the programs read them.

#include <string>
#include <vector>

// Splits a command line: blanks separate items, double quotes group (and are
// dropped). Unlike the C runtime's rule, a backslash is always a plain
// character, so a quoted folder may end with one ("C:\ProgramData\").
inline std::vector<std::string> SplitCommandLine(const char *line) {
  std::vector<std::string> items;
  std::string item;
  bool quoted = false, any = false;
  for (const char *p = line; *p; ++p) {
    if (*p == '"') {
      quoted = !quoted;
      any = true;
    } else if ((*p == ' ' || *p == '\t') && !quoted) {
      if (any)
        items.push_back(item);
      item.clear();
      any = false;
    } else {
      item += *p;
      any = true;
    }
  }
  if (any)
    items.push_back(item);
  return items;
}
