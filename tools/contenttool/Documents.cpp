#include "Documents.h"

#include "Cp1252.h"

#include <cstdio>
#include <sstream>
#include <vector>

namespace {

std::string RtfEscape(const std::string &cp1252) {
  std::string out;
  for (const char c : cp1252) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += c;
    } else if (b >= 0x80) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\'%02x", b);
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

} // namespace

bool LicenceRtf(const std::string &utf8, std::string &rtf, std::string &error) {
  std::string text;
  if (!Utf8ToCp1252(utf8, text, error))
    return false;
  // Paragraphs: runs of non-empty lines, joined with a blank. A heading is
  // one line of its own: the body may follow it without a blank line.
  std::vector<std::string> paragraphs(1);
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    const bool heading = line.rfind("# ", 0) == 0;
    if ((line.empty() || heading) && !paragraphs.back().empty())
      paragraphs.emplace_back();
    if (line.empty())
      continue;
    paragraphs.back() += (paragraphs.back().empty() ? "" : " ") + line;
    if (heading)
      paragraphs.emplace_back();
  }
  rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Verdana;}}\r\n"
        "\\viewkind4\\uc1\\pard\\f0\\fs16\r\n";
  for (const auto &paragraph : paragraphs) {
    if (paragraph.empty())
      continue;
    if (paragraph.rfind("# ", 0) == 0)
      rtf += "{\\b " + RtfEscape(paragraph.substr(2)) + "}\\par\r\n";
    else
      rtf += RtfEscape(paragraph) + "\\par\r\n\\par\r\n";
  }
  rtf += "}\r\n";
  return true;
}

bool WindowsText(const std::string &utf8, std::string &text, std::string &error) {
  std::string converted;
  if (!Utf8ToCp1252(utf8, converted, error))
    return false;
  text.clear();
  for (size_t i = 0; i < converted.size(); ++i) {
    if (converted[i] == '\n' && (i == 0 || converted[i - 1] != '\r'))
      text += '\r';
    text += converted[i];
  }
  return true;
}
