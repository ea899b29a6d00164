#include "base/AnsiText.h"

char AnsiUpperChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
    return static_cast<char>(u - 0x20);
  switch (u) {
  case 0x9A: return static_cast<char>(0x8A); // s caron
  case 0x9C: return static_cast<char>(0x8C); // oe
  case 0x9E: return static_cast<char>(0x8E); // z caron
  case 0xFF: return static_cast<char>(0x9F); // y diaeresis
  default: return c;
  }
}

std::string AnsiUpperCase(const std::string &text) {
  std::string result = text;
  for (char &c : result)
    c = AnsiUpperChar(c);
  return result;
}

char AnsiLowerChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7))
    return static_cast<char>(u + 0x20);
  switch (u) {
  case 0x8A: return static_cast<char>(0x9A);
  case 0x8C: return static_cast<char>(0x9C);
  case 0x8E: return static_cast<char>(0x9E);
  case 0x9F: return static_cast<char>(0xFF);
  default: return c;
  }
}

std::string AnsiLowerCase(const std::string &text) {
  std::string result = text;
  for (char &c : result)
    c = AnsiLowerChar(c);
  return result;
}

bool SameText(const std::string &a, const std::string &b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AnsiUpperChar(a[i]) != AnsiUpperChar(b[i]))
      return false;
  return true;
}

std::string TrimChars(const std::string &text, const char *chars) {
  size_t begin = text.find_first_not_of(chars);
  if (begin == std::string::npos)
    return "";
  return text.substr(begin, text.find_last_not_of(chars) - begin + 1);
}

bool DigitsToNumber(std::string_view text, int64_t limit, int64_t &number) {
  if (text.empty())
    return false;
  int64_t read = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      return false;
    read = read * 10 + (c - '0');
    if (read > limit)
      return false;
  }
  number = read;
  return true;
}

bool TextToInt32(std::string_view text, int32_t &value) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int64_t number = 0;
  if (!DigitsToNumber(text, negative ? int64_t{INT32_MAX} + 1 : INT32_MAX, number))
    return false;
  value = static_cast<int32_t>(negative ? -number : number);
  return true;
}
