#pragma once
// The text source of the information file MVRInfo.dat: one UTF-8 file per
// language holding that language's records in order (see content/info/README.md).
//
//   %% bgi_002||Sitting well        a record: its name without the language
//   text line                       its markup text, line by line
//   %# a comment line               skipped anywhere
//
// The builder adds the language suffix ("_" and the language number) to the
// first part of every name, joins the text lines with CR LF (the markup's line
// break) and converts names and texts to Windows-1252.

#include "authoring/IDbRecWriter.h"

#include <string>
#include <vector>

// Appends the language's records to `out`, with Ids from language number
// times 1000 plus the ordinal. False with a message naming the line on a
// record without a name or text, a name that already carries a language
// suffix, or a character outside Windows-1252.
bool ParseInfoSource(const std::string &utf8, int languageNumber, std::vector<TRecordSource> &out,
                     std::string &error);
