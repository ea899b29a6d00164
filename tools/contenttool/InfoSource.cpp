#include "InfoSource.h"

#include "Cp1252.h"
#include "Languages.h"

#include <sstream>

namespace {

bool HasLanguageSuffix(const std::string &name) {
  for (const auto &language : kLanguages)
    if (name.find("_" + std::to_string(language.Number)) != std::string::npos)
      return true;
  return false;
}

std::string WithSuffix(const std::string &name, int languageNumber) {
  const size_t bar = name.find('|');
  std::string result = name;
  result.insert(bar == std::string::npos ? name.size() : bar, "_" + std::to_string(languageNumber));
  return result;
}

} // namespace

bool ParseInfoSource(const std::string &utf8, int languageNumber, std::vector<TRecordSource> &out,
                     std::string &error) {
  // Converted as a whole first, so an error names the line of the file.
  std::string text1252;
  if (!Utf8ToCp1252(utf8, text1252, error))
    return false;
  std::istringstream in(text1252);
  std::string line;
  int lineNumber = 0, startLine = 0, ordinal = 0;
  bool open = false;
  std::string name;
  std::vector<std::string> lines;

  auto finish = [&]() {
    if (!open)
      return true;
    while (!lines.empty() && lines.back().empty())
      lines.pop_back();
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i)
      text += (i ? "\r\n" : "") + lines[i];
    const std::string where = "line " + std::to_string(startLine) + ": ";
    if (name.empty() || text.empty()) {
      error = where + "a record needs a name and a text";
      return false;
    }
    if (HasLanguageSuffix(name)) {
      error = where + "the name already carries a language suffix: " + name;
      return false;
    }
    TRecordSource record;
    record.Id = languageNumber * 1000 + ++ordinal;
    record.Name = WithSuffix(name, languageNumber);
    record.Text = text;
    out.push_back(std::move(record));
    return true;
  };

  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.rfind("%#", 0) == 0)
      continue;
    if (line.rfind("%%", 0) == 0) {
      if (!finish())
        return false;
      open = true;
      startLine = lineNumber;
      name = line.substr(line.size() > 2 && line[2] == ' ' ? 3 : 2);
      lines.clear();
      continue;
    }
    if (!open) {
      if (line.empty() || line[0] == '#')
        continue; // the file's head comment
      error = "line " + std::to_string(lineNumber) + ": text before the first record";
      return false;
    }
    lines.push_back(line);
  }
  return finish();
}
