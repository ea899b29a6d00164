#pragma once
// The content sources are UTF-8 so translators can edit them in any editor;
// the programs read 8-bit Windows-1252 texts. These convert between the two.

#include <string>

// False, with the line and the character in `error`, when the text is not
// valid UTF-8 or holds a character that Windows-1252 cannot represent.
bool Utf8ToCp1252(const std::string &utf8, std::string &out, std::string &error);
// Every Windows-1252 byte has a character, except 0x81, 0x8D, 0x8F, 0x90 and
// 0x9D, which are passed on as U+0081 and so on.
std::string Cp1252ToUtf8(const std::string &text);
