#include "kestrup/UndoJournal.h"

#include "base/AnsiText.h"
#include "platform/FileReplacement.h"

#include <cstdint>
#include <cstdlib>

namespace {

// The kinds of step, each with the number of its fields.
constexpr char kFileWritten = 'W'; // path, "1" when the old file is kept
constexpr char kFileDeleted = 'D'; // path, "1" when the file is kept
constexpr char kFolderMade = 'F';  // folder
constexpr char kIniChange = 'I';   // file, section, key, had, old value, file existed
constexpr char kRegChange = 'R';   // root, key, name, had, type, old data, first key made
constexpr char kFileCopied = 'K';  // path, "1" when the file existed (and its copy is kept)
constexpr char kAtRestart = 'X';   // path registered for deletion at the next restart
constexpr char kFolderToRemove = 'E'; // folder removed at the commit
constexpr char kCommitted = 'C';   // the run stands; only its backups remain to delete

// The steps that keep the old file under its backup name when their flag is "1".
bool KeepsBackup(const TUndoJournal::TStep &step) {
  return (step.Kind == kFileWritten || step.Kind == kFileDeleted || step.Kind == kFileCopied) &&
         step.Fields[1] == "1";
}

size_t FieldCount(char kind) {
  switch (kind) {
  case kFileWritten:
  case kFileDeleted:
  case kFileCopied:
    return 2;
  case kFolderMade:
  case kAtRestart:
  case kFolderToRemove:
    return 1;
  case kIniChange:
    return 6;
  case kRegChange:
    return 7;
  case kCommitted:
    return 0;
  default:
    return SIZE_MAX;
  }
}

const char kHex[] = "0123456789ABCDEF";

std::string Escaped(const std::string &field) {
  std::string out;
  for (unsigned char c : field) {
    if (c < 0x20 || c == '%' || c == 0x7f) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

bool Unescaped(const std::string &text, std::string &field) {
  field.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      field += text[i];
      continue;
    }
    int high = i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
    int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
    if (low < 0)
      return false;
    field += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

std::string Flag(bool value) { return value ? "1" : "0"; }

bool HasName(const std::vector<std::string> &names, const std::string &name) {
  for (const std::string &n : names)
    if (SameText(n, name))
      return true;
  return false;
}

std::string ParentKey(const std::string &key) {
  size_t at = key.rfind('\\');
  return at == std::string::npos ? "" : key.substr(0, at);
}

} // namespace

std::string JournalLine(const TUndoJournal::TStep &step) {
  std::string line(1, step.Kind);
  for (const std::string &field : step.Fields)
    line += '\t' + Escaped(field);
  return line;
}

bool ParseJournalLine(const std::string &line, TUndoJournal::TStep &step) {
  if (line.empty())
    return false;
  step.Kind = line[0];
  step.Fields.clear();
  size_t start = 1;
  while (start < line.size()) {
    if (line[start] != '\t')
      return false;
    size_t end = line.find('\t', start + 1);
    if (end == std::string::npos)
      end = line.size();
    std::string field;
    if (!Unescaped(line.substr(start + 1, end - start - 1), field))
      return false;
    step.Fields.push_back(field);
    start = end;
  }
  if (step.Fields.size() != FieldCount(step.Kind))
    return false;
  // Flags are "0" or "1", a root is one of the predefined ones: a line
  // that says otherwise was not written here and is not acted on.
  auto flag = [&](size_t i) { return step.Fields[i] == "0" || step.Fields[i] == "1"; };
  switch (step.Kind) {
  case kFileWritten:
  case kFileDeleted:
  case kFileCopied:
    return flag(1) && !step.Fields[0].empty();
  case kAtRestart:
  case kFolderToRemove:
    return !step.Fields[0].empty();
  case kIniChange:
    return flag(3) && flag(5);
  case kRegChange: {
    char *end = nullptr;
    unsigned long root = std::strtoul(step.Fields[0].c_str(), &end, 10);
    return *end == 0 && root >= kHKeyClassesRoot && root <= kHKeyDynData && flag(3);
  }
  default:
    return true;
  }
}

TUndoJournal::~TUndoJournal() { Close(); }

void TUndoJournal::Close() { file_.reset(); }

bool TUndoJournal::Begin(const std::string &path) {
  Close();
  steps_.clear();
  files_.clear();
  leftToRestart_.clear();
  broken_ = false;
  path_ = path;
  file_ = platform_.Files.Create(path);
  if (!file_ || !file_->Flush()) {
    file_.reset();
    log_.Write(" Error: unable to create " + path);
    return false;
  }
  return true;
}

bool TUndoJournal::Append(const TStep &step) {
  if (!file_)
    return false;
  const std::string line = JournalLine(step) + "\r\n";
  if (!WriteFully(*file_, line.data(), static_cast<int64_t>(line.size())) || !file_->Flush()) {
    log_.Write(" Error: unable to write to " + path_);
    broken_ = true;
    return false;
  }
  steps_.push_back(step);
  return true;
}

bool TUndoJournal::FileWritten(const std::string &path, bool &keepOld) {
  return FileChanged(kFileWritten, path, keepOld);
}

bool TUndoJournal::FileDeleted(const std::string &path, bool &keepOld) {
  return FileChanged(kFileDeleted, path, keepOld);
}

bool TUndoJournal::FileChanged(char kind, const std::string &path, bool &keepOld) {
  keepOld = false;
  if (!Recording())
    return true;
  // A file this run changed already keeps its first backup, the one true old version.
  if (!files_.insert(AnsiUpperCase(path)).second)
    return true;
  keepOld = platform_.Files.FileExists(path);
  return Append({kind, {path, Flag(keepOld)}});
}

bool TUndoJournal::FileCopied(const std::string &path) {
  if (!Recording() || !files_.insert(AnsiUpperCase(path)).second)
    return true;
  TFileSystem &files = platform_.Files;
  const bool existed = files.FileExists(path);
  if (!Append({kFileCopied, {path, Flag(existed)}}))
    return false;
  if (!existed)
    return true;
  // Written whole under a new name first, so a backup is never cut short.
  std::string bytes;
  TDateTime date = 0;
  const std::string backup = TFileReplacement::BackupPath(path);
  if (!ReadWholeFile(files, path, bytes) || !files.GetLastWriteTime(path, date) ||
      TFileReplacement(files).Write(backup, bytes.data(), static_cast<int64_t>(bytes.size()), date, 0).Failed()) {
    log_.Write(" Error: unable to create " + backup);
    return false;
  }
  return true;
}

bool TUndoJournal::DeletedAtRestart(const std::string &path) {
  return !Recording() || Append({kAtRestart, {path}});
}

bool TUndoJournal::FolderToRemove(const std::string &folder) {
  return !Recording() || Append({kFolderToRemove, {folder}});
}

bool TUndoJournal::IsBackup(const std::string &path) const {
  const std::string suffix = TFileReplacement::kBackupSuffix;
  return path.size() > suffix.size() && SameText(path.substr(path.size() - suffix.size()), suffix) &&
         files_.count(AnsiUpperCase(path.substr(0, path.size() - suffix.size()))) > 0;
}

bool TUndoJournal::FoldersMade(const std::string &folder) {
  if (!Recording())
    return true;
  std::vector<std::string> missing;
  for (std::string level = IncludeTrailingBackslash(folder);
       level.size() > 3 && !platform_.Files.DirectoryExists(level);) {
    missing.push_back(level);
    level.pop_back();
    level = ExtractFilePath(level);
  }
  for (auto level = missing.rbegin(); level != missing.rend(); ++level)
    if (!Append({kFolderMade, {*level}}))
      return false;
  return true;
}

bool TUndoJournal::IniChange(const std::string &file, const std::string &section,
                             const std::string &key) {
  if (!Recording())
    return true;
  IProfileFiles &profiles = platform_.Profiles;
  const bool fileExisted = platform_.Files.FileExists(file);
  // The profile readers take an unreadable file for an empty one: read it
  // first, or the old value would be recorded as none.
  std::string bytes;
  std::vector<std::string> keys;
  std::string old;
  if (fileExisted && (!ReadWholeFile(platform_.Files, file, bytes) ||
                      !profiles.KeyNames(file, section, keys) ||
                      (HasName(keys, key) && !profiles.ReadString(file, section, key, "", old)))) {
    log_.Write(" Error: reading failed from " + file);
    return false;
  }
  const bool had = HasName(keys, key);
  return Append({kIniChange, {file, section, key, Flag(had), old, Flag(fileExisted)}});
}

bool TUndoJournal::RegistryChange(TRootKey root, const std::string &key, const std::string &name) {
  if (!Recording())
    return true;
  IRegistry &registry = platform_.Registry;
  TRegValue old;
  const bool had = registry.ReadValue(root, key, name, old) == TRegStatus::Ok;
  // The outermost level of the key that does not exist yet.
  std::string firstMade;
  for (std::string level = key; !level.empty() && !registry.KeyExists(root, level);
       level = ParentKey(level))
    firstMade = level;
  return Append({kRegChange,
                 {std::to_string(root), key, name, Flag(had), std::to_string(old.Type), old.Data,
                  firstMade}});
}

bool TUndoJournal::RemoveFile(const std::string &path) {
  TFileSystem &files = platform_.Files;
  // Tried twice: a virus scanner may hold a fresh file for a moment.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!files.FileExists(path))
      return true;
    files.SetAttributes(path, kFileAttributeArchive); // a read-only file could not be deleted
    if (files.RemoveFile(path))
      return true;
  }
  return !files.FileExists(path);
}

void TUndoJournal::FinishCommit() {
  leftToRestart_.clear();
  for (const TStep &step : steps_) {
    if (!KeepsBackup(step))
      continue;
    const std::string backup = TFileReplacement::BackupPath(step.Fields[0]);
    // A backup still held open goes at the next restart.
    if (!RemoveFile(backup) && platform_.Files.RenameFile(backup, "", kRenameAtRestart))
      leftToRestart_.push_back(backup);
  }
  // The folders emptied by the backups' deletion go after them.
  for (const TStep &step : steps_)
    if (step.Kind == kFolderToRemove && removeFolder_ && platform_.Files.DirectoryExists(step.Fields[0]))
      removeFolder_(step.Fields[0]);
}

void TUndoJournal::Commit() {
  if (!Recording())
    return;
  // Marked first: a run stopped while its backups are deleted stays committed.
  Append({kCommitted, {}});
  Close();
  FinishCommit();
  RemoveFile(path_);
  steps_.clear();
  files_.clear();
}

void TUndoJournal::Undo(const TStep &step, bool &ok) {
  TFileSystem &files = platform_.Files;
  const std::vector<std::string> &f = step.Fields;
  auto failed = [&](const std::string &what) {
    log_.Write(" Error: unable to restore " + what);
    ok = false;
  };
  switch (step.Kind) {
  case kFileWritten:
  case kFileDeleted:
  case kFileCopied: {
    const std::string &path = f[0];
    const std::string backup = TFileReplacement::BackupPath(path);
    // A copy cut short by the stop never became the backup.
    if (step.Kind == kFileCopied && !RemoveFile(TFileReplacement::TemporaryPath(backup)))
      failed(TFileReplacement::TemporaryPath(backup));
    // A new copy waiting for the restart goes, so the restart finds nothing to put in place.
    if (step.Kind == kFileWritten && !RemoveFile(TFileReplacement::TemporaryPath(path)))
      failed(TFileReplacement::TemporaryPath(path));
    if (f[1] == "1") {
      // Without a backup the old file never left its place.
      if (!files.FileExists(backup))
        return;
      if (files.FileExists(path))
        files.SetAttributes(path, kFileAttributeArchive);
      if (files.RenameFile(backup, path, kRenameReplaceExisting | kRenameWriteThrough))
        log_.Write(" Restored " + path);
      else
        failed(path);
    } else if (step.Kind == kFileWritten && files.FileExists(path)) {
      if (RemoveFile(path))
        log_.Write(" Removed " + path);
      else
        failed(path);
    }
    return;
  }
  case kAtRestart:
    if (files.CancelDeletionAtRestart(f[0]))
      log_.Write(" Restored " + f[0]);
    else
      failed(f[0]);
    return;
  case kFolderMade:
    // A folder that holds what others put there stays.
    if (files.DirectoryExists(f[0]) && files.FindEntries(f[0]).empty()) {
      files.SetAttributes(f[0], kFileAttributeDirectory);
      if (files.RemoveFolder(f[0]))
        log_.Write(" Removed " + f[0]);
      else
        failed(f[0]);
    }
    return;
  case kIniChange: {
    IProfileFiles &profiles = platform_.Profiles;
    const std::string &file = f[0], &section = f[1], &key = f[2];
    const std::string what = file + " [" + section + "] " + key;
    if (f[3] == "1") {
      if (!profiles.WriteString(file, section, key, f[4]))
        return failed(what);
    } else if (files.FileExists(file)) {
      std::vector<std::string> names;
      if (profiles.KeyNames(file, section, names) && HasName(names, key) &&
          !profiles.DeleteKey(file, section, key))
        return failed(what);
      if (profiles.KeyNames(file, section, names) && names.empty())
        profiles.EraseSection(file, section);
      if (f[5] == "0" && profiles.SectionNames(file, names) && names.empty() && !RemoveFile(file))
        return failed(file);
    }
    log_.Write(" Restored " + what);
    return;
  }
  case kRegChange: {
    IRegistry &registry = platform_.Registry;
    const TRootKey root = static_cast<TRootKey>(std::strtoul(f[0].c_str(), nullptr, 10));
    const std::string &key = f[1], &name = f[2], &firstMade = f[6];
    const std::string what = RootKeyName(root) + "\\" + key + " " + name;
    TRegStatus status =
        f[3] == "1"
            ? registry.WriteValue(root, key, name,
                                  {static_cast<uint32_t>(std::strtoul(f[4].c_str(), nullptr, 10)), f[5]})
            : registry.DeleteValue(root, key, name);
    if (status == TRegStatus::Failed || (f[3] == "1" && status != TRegStatus::Ok))
      return failed(what);
    // The keys the change made go again once emptied, innermost first.
    if (!firstMade.empty())
      for (std::string level = key; level.size() >= firstMade.size(); level = ParentKey(level)) {
        std::vector<std::string> subKeys, values;
        if (!registry.SubKeyNames(root, level, subKeys) || !subKeys.empty() ||
            !registry.ValueNames(root, level, values) || !values.empty())
          break;
        registry.DeleteKey(root, level);
      }
    log_.Write(" Restored " + what);
    return;
  }
  default:
    return;
  }
}

bool TUndoJournal::RollBack() {
  Close();
  bool ok = true;
  for (auto step = steps_.rbegin(); step != steps_.rend(); ++step)
    Undo(*step, ok);
  if (ok && !path_.empty())
    RemoveFile(path_);
  steps_.clear();
  files_.clear();
  return ok;
}

TUndoJournal::TLeftOver TUndoJournal::Recover(const std::string &path) {
  Close();
  steps_.clear();
  files_.clear();
  path_ = path;
  if (!platform_.Files.FileExists(path))
    return TLeftOver::None;
  std::string text;
  if (!ReadWholeFile(platform_.Files, path, text)) {
    log_.Write(" Error: unable to read " + path);
    return TLeftOver::Failed;
  }
  bool committed = false;
  int unreadable = 0;
  // Only whole lines count: one cut short was never acted on.
  for (size_t pos = 0, end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
    TStep step;
    if (!ParseJournalLine(text.substr(pos, end - pos), step))
      ++unreadable;
    else if (step.Kind == kCommitted)
      committed = true;
    else
      steps_.push_back(step);
  }
  if (unreadable > 0)
    log_.Write(" Error: " + std::to_string(unreadable) + " unreadable lines in " + path);
  if (committed) {
    log_.Write(" An earlier run was interrupted after it was complete: its backups are deleted");
    FinishCommit();
    RemoveFile(path);
    steps_.clear();
    return TLeftOver::Committed;
  }
  log_.Write(" An earlier run was interrupted: restoring the previous version");
  if (!RollBack()) {
    log_.Write(" Error: the previous version could not be restored completely");
    return TLeftOver::Failed;
  }
  log_.Write(" The previous version was restored");
  return TLeftOver::RolledBack;
}
