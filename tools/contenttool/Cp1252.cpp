#include "Cp1252.h"

#include <cstdint>
#include <cstdio>

namespace {

// Code points of the bytes 0x80..0x9F; 0 marks a byte without a character.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int ByteOf(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
    return static_cast<int>(c);
  for (int i = 0; i < 32; ++i)
    if (kHighControls[i] == c)
      return 0x80 + i;
  return -1;
}

void AppendUtf8(char32_t c, std::string &out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

} // namespace

bool Utf8ToCp1252(const std::string &utf8, std::string &out, std::string &error) {
  out.clear();
  int line = 1;
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<uint8_t>(utf8[i]);
    int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2
                                : (lead & 0xF8) == 0xF0 ? 3 : -1;
    char32_t c = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
    bool valid = extra >= 0 && i + extra < utf8.size();
    for (int k = 1; valid && k <= extra; ++k) {
      const auto next = static_cast<uint8_t>(utf8[i + k]);
      valid = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    if (!valid) {
      error = "line " + std::to_string(line) + ": not UTF-8";
      return false;
    }
    const int byte = ByteOf(c);
    if (byte < 0) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
      error = "line " + std::to_string(line) + ": character " + code + " is not in Windows-1252";
      return false;
    }
    if (c == '\n')
      ++line;
    out += static_cast<char>(byte);
    i += static_cast<size_t>(extra) + 1;
  }
  return true;
}

std::string Cp1252ToUtf8(const std::string &text) {
  std::string out;
  for (const char ch : text) {
    const auto b = static_cast<uint8_t>(ch);
    const char32_t c = b >= 0x80 && b < 0xA0 && kHighControls[b - 0x80] ? kHighControls[b - 0x80] : b;
    AppendUtf8(c, out);
  }
  return out;
}
