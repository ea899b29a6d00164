#pragma once
// Line splitting for the texts of the network protocol.

#include <string>
#include <vector>

// The lines of text: split at LF, a CR before the LF dropped, and no empty line
// for the end of a text that ends with a line break.
std::vector<std::string> SplitLines(const std::string &text);

// The part of line before its first "=" and the part after it; false, with
// both left alone, when line has no "=".
bool SplitKeyValue(const std::string &line, std::string &key, std::string &value);
