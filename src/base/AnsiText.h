#pragma once
// 8-bit texts in the Windows-1252 code page.

#include <string>

// Upper case of one Windows-1252 character (letters with accents included).
char AnsiUpperChar(char c);
std::string AnsiUpperCase(const std::string &text);
char AnsiLowerChar(char c);
std::string AnsiLowerCase(const std::string &text);
// Without the leading and trailing characters that occur in chars.
std::string TrimChars(const std::string &text, const char *chars);
// Equal without regard to letter case.
bool SameText(const std::string &a, const std::string &b);
