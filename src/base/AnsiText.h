#pragma once
// 8-bit texts in the Windows-1252 code page.

#include <cstdint>
#include <string>
#include <string_view>

// Upper case of one Windows-1252 character (letters with accents included).
char AnsiUpperChar(char c);
std::string AnsiUpperCase(const std::string &text);
char AnsiLowerChar(char c);
std::string AnsiLowerCase(const std::string &text);
// Without the leading and trailing characters that occur in chars.
std::string TrimChars(const std::string &text, const char *chars);
// Equal without regard to letter case.
bool SameText(const std::string &a, const std::string &b);
// A decimal number of 32 bits with an optional sign and nothing else around
// it; false (value untouched) for any other text.
bool TextToInt32(std::string_view text, int32_t &value);
// Decimal digits only (no sign, not empty) of a number up to limit; false
// (number untouched) for any other text.
bool DigitsToNumber(std::string_view text, int64_t limit, int64_t &number);
