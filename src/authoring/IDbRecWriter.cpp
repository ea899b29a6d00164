#include "authoring/IDbRecWriter.h"

#include "authoring/StrovdexWriter.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace {

void PutU16(std::vector<uint8_t> &out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(std::vector<uint8_t> &out, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool ParseId(const std::string &text, int32_t &id) {
  if (text.empty())
    return false;
  errno = 0;
  char *end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno || *end || v < INT32_MIN || v > INT32_MAX)
    return false;
  id = static_cast<int32_t>(v);
  return true;
}

// Splits "Id Name" after the "%% " marker.
bool ParseHeader(const std::string &line, TRecordSource &record) {
  const size_t space = line.find(' ', 3);
  const std::string id = line.substr(3, space == std::string::npos ? std::string::npos : space - 3);
  if (!ParseId(id, record.Id))
    return false;
  record.Name = space == std::string::npos ? std::string() : line.substr(space + 1);
  if (!record.Name.empty() && record.Name.back() == '\r')
    record.Name.pop_back();
  return true;
}

} // namespace

bool BuildRecordFile(const std::vector<TRecordSource> &records, std::vector<uint8_t> &bytes,
                     std::string &error) {
  bytes.clear();
  PutU32(bytes, static_cast<uint32_t>(records.size()));
  for (const auto &r : records) {
    if (r.Name.size() > 65535 || r.Text.size() > 65535) {
      error = "record " + std::to_string(r.Id) + ": name or text longer than 65535 bytes";
      return false;
    }
    PutU32(bytes, static_cast<uint32_t>(r.Id));
    PutU16(bytes, static_cast<uint16_t>(r.Name.size()));
    PutU16(bytes, static_cast<uint16_t>(r.Text.size()));
    for (char c : r.Name)
      bytes.push_back(IDbRecScramble(static_cast<uint8_t>(c)));
    for (char c : r.Text)
      bytes.push_back(IDbRecScramble(static_cast<uint8_t>(c)));
  }
  return true;
}

bool WriteRecordFile(TFileSystem &files, const std::vector<TRecordSource> &records,
                     const std::string &path, std::string &error) {
  std::vector<uint8_t> bytes;
  return BuildRecordFile(records, bytes, error) && WriteFileBytes(files, path, bytes, error);
}

bool ParseRecordText(const std::string &text, std::vector<TRecordSource> &out,
                     std::string &error) {
  out.clear();
  size_t position = 0;
  int number = 0;
  bool inRecord = false;
  std::string body;
  auto finish = [&] {
    if (inRecord) {
      out.back().Text = body;
      body.clear();
    }
  };
  bool firstLine = true;
  while (position < text.size()) {
    size_t end = text.find('\n', position);
    const bool lastLine = end == std::string::npos;
    std::string line = text.substr(position, lastLine ? std::string::npos : end - position);
    position = lastLine ? text.size() : end + 1;
    ++number;
    if (line.rfind("%%", 0) == 0 && line.rfind("%%%", 0) != 0) {
      std::string header = line;
      if (!header.empty() && header.back() == '\r')
        header.pop_back();
      TRecordSource record;
      if (header.size() < 4 || header[2] != ' ' || !ParseHeader(header, record)) {
        error = "line " + std::to_string(number) + ": expected \"%% Id Name\"";
        return false;
      }
      // The line break (and its carriage return) before a header ends the text.
      if (inRecord && !body.empty() && body.back() == '\r')
        body.pop_back();
      finish();
      out.push_back(record);
      inRecord = true;
      firstLine = true;
      continue;
    }
    if (!inRecord) {
      std::string trimmed = line;
      if (trimmed.find_first_not_of(" \t\r") != std::string::npos) {
        error = "line " + std::to_string(number) + ": text before the first \"%% Id Name\" line";
        return false;
      }
      continue;
    }
    if (line.rfind("%%%", 0) == 0)
      line.erase(0, 1);
    if (!firstLine)
      body += '\n';
    body += line;
    firstLine = false;
  }
  // A final line break ends the last text; it is not part of it.
  if (inRecord && !body.empty() && body.back() == '\r')
    body.pop_back();
  finish();
  return true;
}

void WriteRecordText(const TRecordSource &record, std::ostream &out) {
  out << "%% " << record.Id << " " << record.Name << "\n";
  std::istringstream lines(record.Text);
  std::string line;
  size_t start = 0;
  // Lines of the text, with "%%" at a line start protected by one more "%".
  while (start <= record.Text.size()) {
    size_t end = record.Text.find('\n', start);
    line = record.Text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (line.rfind("%%", 0) == 0)
      out << "%";
    out << line << "\n";
    if (end == std::string::npos)
      break;
    start = end + 1;
  }
}

bool ReadRecordFolder(TFileSystem &files, const std::string &folder,
                      std::vector<TRecordSource> &out, std::string &error) {
  out.clear();
  if (!files.DirectoryExists(folder)) {
    error = "cannot read folder " + folder;
    return false;
  }
  std::vector<std::string> names = files.ListFiles(folder);
  std::sort(names.begin(), names.end());
  for (const std::string &fileName : names) {
    size_t digits = 0;
    while (digits < fileName.size() &&
           (std::isdigit(static_cast<unsigned char>(fileName[digits])) ||
            (digits == 0 && fileName[0] == '-')))
      ++digits;
    TRecordSource record;
    if (!ParseId(fileName.substr(0, digits), record.Id)) {
      error = fileName + ": the file name does not begin with the record's Id";
      return false;
    }
    std::string content;
    if (!ReadFileText(files, IncludeTrailingBackslash(folder) + fileName, content, error))
      return false;
    const size_t end = content.find('\n');
    record.Name = content.substr(0, end);
    if (!record.Name.empty() && record.Name.back() == '\r')
      record.Name.pop_back();
    record.Text = end == std::string::npos ? std::string() : content.substr(end + 1);
    out.push_back(record);
  }
  return true;
}

bool DumpRecordFile(TFileSystem &files, const std::string &path, const std::string &selection,
                    std::ostream &out) {
  TIDbRecFile file(files);
  const bool complete = file.LoadRecords(path);
  file.SelectRecords(selection);
  for (int32_t n = 1; n <= file.SelectedCount(); ++n) {
    TIDbRec record = file.GetSelectedRecord(n);
    WriteRecordText({record.Id, record.Name, record.Text}, out);
  }
  return complete;
}
