#pragma once
// The product's documents from UTF-8 text sources: the licence as rich text
// (the installer's licence page loads it) and plain Windows text files
// (readme, rule file).

#include <string>

// Paragraphs are separated by empty lines; a paragraph whose first line
// begins with "# " is a heading and is set in bold. Placeholders such as
// [ProgramTitle] stay as they are (the installer expands them line by line).
// False when the text holds a character outside Windows-1252.
bool LicenceRtf(const std::string &utf8, std::string &rtf, std::string &error);

// Windows-1252 with CR LF line ends.
bool WindowsText(const std::string &utf8, std::string &text, std::string &error);
