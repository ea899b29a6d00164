#include "protocol/TextLines.h"

std::vector<std::string> SplitLines(const std::string &text) {
  std::vector<std::string> lines;
  size_t begin = 0;
  while (begin < text.size()) {
    size_t end = text.find('\n', begin);
    size_t next = end == std::string::npos ? text.size() : end + 1;
    if (end == std::string::npos)
      end = text.size();
    size_t stop = end > begin && text[end - 1] == '\r' ? end - 1 : end;
    lines.push_back(text.substr(begin, stop - begin));
    begin = next;
  }
  return lines;
}

bool SplitKeyValue(const std::string &line, std::string &key, std::string &value) {
  size_t equals = line.find('=');
  if (equals == std::string::npos)
    return false;
  key = line.substr(0, equals);
  value = line.substr(equals + 1);
  return true;
}
