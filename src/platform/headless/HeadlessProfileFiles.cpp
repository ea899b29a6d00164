#include "platform/headless/HeadlessProfileFiles.h"

#include "base/AnsiText.h"

namespace {

std::string Trim(const std::string &text) { return TrimChars(text, " \t"); }

// Sections are numbered by the position of their header line; -1 before the first.
bool IsSection(const std::string &text, std::string &name) {
  std::string t = Trim(text);
  if (t.empty() || t[0] != '[')
    return false;
  size_t close = t.find(']');
  name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  return true;
}

} // namespace

bool THeadlessProfileFiles::Load(const std::string &file, std::vector<TLine> &lines) {
  lines.clear();
  std::string text;
  if (!ReadWholeFile(fs_, file, text))
    return false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    pos = end == std::string::npos ? text.size() : end + 1;
    TLine entry;
    entry.Text = line;
    if (!IsSection(line, entry.Section)) {
      size_t eq = line.find('=');
      std::string t = Trim(line);
      if (eq != std::string::npos && !t.empty() && t[0] != ';') {
        entry.Key = Trim(line.substr(0, eq));
        entry.Value = Trim(line.substr(eq + 1));
      }
    } else if (entry.Section.empty()) {
      entry.Section = " "; // "[]" is a section line all the same
    }
    lines.push_back(entry);
  }
  return true;
}

bool THeadlessProfileFiles::Save(const std::string &file, const std::vector<TLine> &lines) {
  // As the system's writer does, a write that fails leaves the old file whole.
  const std::string temporary = file + ".~ini";
  std::string text;
  for (const TLine &line : lines)
    text += line.Text + "\r\n";
  bool written = false;
  if (auto stream = fs_.Create(temporary))
    written = WriteFully(*stream, text.data(), static_cast<int64_t>(text.size())) && stream->Flush();
  if (written && fs_.RenameFile(temporary, file, kRenameReplaceExisting))
    return true;
  fs_.RemoveFile(temporary);
  return false;
}

namespace {

// Index range [first, end) of the lines belonging to the section (after its header).
template <class Lines>
bool FindSection(const Lines &lines, const std::string &section, size_t &header, size_t &end) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].Section.empty() || !SameText(Trim(lines[i].Section), Trim(section)))
      continue;
    header = i;
    end = i + 1;
    while (end < lines.size() && lines[end].Section.empty())
      ++end;
    return true;
  }
  return false;
}

// The line of the key within the section's range, or end when it has none.
template <class Lines>
size_t FindKey(const Lines &lines, size_t header, size_t end, const std::string &key) {
  for (size_t i = header + 1; i < end; ++i)
    if (!lines[i].Key.empty() && SameText(lines[i].Key, Trim(key)))
      return i;
  return end;
}

} // namespace

bool THeadlessProfileFiles::ReadString(const std::string &file, const std::string &section,
                                       const std::string &key, const std::string &defaultValue,
                                       std::string &value) {
  value = defaultValue;
  std::vector<TLine> lines;
  size_t header, end;
  if (!Load(file, lines))
    return !fs_.FileExists(file); // a file that is there but cannot be read is a failure
  if (!FindSection(lines, section, header, end))
    return true;
  size_t at = FindKey(lines, header, end, key);
  if (at == end)
    return true;
  value = lines[at].Value;
  // As the system does: one pair of enclosing quotes is dropped.
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    value = value.substr(1, value.size() - 2);
  return true;
}

bool THeadlessProfileFiles::WriteString(const std::string &file, const std::string &section,
                                        const std::string &key, const std::string &value) {
  if (Trim(section).empty() || Trim(key).empty() || !fs_.DirectoryExists(ExtractFilePath(file).empty() ? "." : ExtractFilePath(file)))
    return false;
  std::vector<TLine> lines;
  // A file that cannot be read is not replaced by one holding only this key.
  if (!Load(file, lines) && fs_.FileExists(file))
    return false;
  TLine entry{Trim(key) + "=" + Trim(value), "", Trim(key), Trim(value)};
  size_t header, end;
  if (!FindSection(lines, section, header, end)) {
    lines.push_back({"[" + Trim(section) + "]", Trim(section), "", ""});
    lines.push_back(entry);
    return Save(file, lines);
  }
  if (size_t at = FindKey(lines, header, end, key); at != end) {
    lines[at] = entry;
    return Save(file, lines);
  }
  // After the section's last entry, before any blank lines that end it.
  size_t at = end;
  while (at > header + 1 && Trim(lines[at - 1].Text).empty())
    --at;
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
  return Save(file, lines);
}

bool THeadlessProfileFiles::DeleteKey(const std::string &file, const std::string &section,
                                      const std::string &key) {
  std::vector<TLine> lines;
  size_t header, end;
  if (!Load(file, lines) || !FindSection(lines, section, header, end))
    return true;
  size_t at = FindKey(lines, header, end, key);
  if (at == end)
    return true;
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
  return Save(file, lines);
}

bool THeadlessProfileFiles::EraseSection(const std::string &file, const std::string &section) {
  std::vector<TLine> lines;
  size_t header, end;
  if (!Load(file, lines) || !FindSection(lines, section, header, end))
    return true;
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header),
              lines.begin() + static_cast<std::ptrdiff_t>(end));
  return Save(file, lines);
}

bool THeadlessProfileFiles::SectionNames(const std::string &file, std::vector<std::string> &names) {
  names.clear();
  std::vector<TLine> lines;
  if (!Load(file, lines))
    return !fs_.FileExists(file);
  for (const TLine &line : lines)
    if (!line.Section.empty())
      names.push_back(Trim(line.Section));
  return true;
}

bool THeadlessProfileFiles::KeyNames(const std::string &file, const std::string &section,
                                     std::vector<std::string> &names) {
  names.clear();
  std::vector<TLine> lines;
  size_t header, end;
  if (!Load(file, lines))
    return !fs_.FileExists(file);
  if (!FindSection(lines, section, header, end))
    return true;
  for (size_t i = header + 1; i < end; ++i)
    if (!lines[i].Key.empty())
      names.push_back(lines[i].Key);
  return true;
}
