#include "kestrup/Engine.h"

#include "base/AnsiText.h"
#include "base/Progress.h"
#include "data/text/LogLine.h"
#include "data/text/RegistryText.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>

namespace {

struct TEnglishText {
  int Number;
  const char *Text;
};

constexpr TEnglishText kEnglishTexts[] = {
    {15201, "Extracting "},
    {15202, "Deleting "},
    {15203, "Searching for "},
    {15204, "Writing to ini files..."},
    {15205, "Writing to the registry..."},
    {15206, "Creating a shortcut..."},
    {15401, "Copying files..."},
    {15403, "Creating ini files..."},
    {15405, "Updating Registry..."},
    {15406, "Creating shortcuts..."},
    {17301, "Deleting "},
    {17401, "Deleting files..."},
    {17402, "Updating ini files..."},
    {17403, "Updating Registry..."},
    {17404, "Deleting shortcuts..."},
    {17405, "Uninstall complete..."},
    {17406, "Uninstall complete with errors... Tip! View the log file and rerun uninstall."},
    {17501, "Click next to finish uninstall!"},
    {17502, "Click next to finish uninstall and view the logfile!"},
};

// The first character of a picture that is not a letter or a quote: the separator it uses.
char SeparatorOf(const std::string &picture, char fallback) {
  for (char c : picture)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '\'' || c == '"' || c == ' '))
      return c;
  return fallback;
}

bool Contains(const std::string &text, const char *part) { return text.find(part) != std::string::npos; }

std::string TrimBlanks(const std::string &text) { return TrimChars(text, " "); }

std::string WithoutTrailingSeparators(std::string path) {
  while (!path.empty() && IsPathSeparator(path.back()))
    path.pop_back();
  return path;
}

// "C:\", "C:", "\\server\share\" and "\": nothing above them may be touched.
bool IsRootPath(const std::string &path) {
  std::string p = WithoutTrailingSeparators(path);
  if (p.empty() || (p.size() == 2 && p[1] == ':'))
    return true;
  if (p.size() > 2 && IsPathSeparator(p[0]) && IsPathSeparator(p[1])) {
    size_t server = p.find_first_of("\\/", 2);
    return server == std::string::npos || p.find_first_of("\\/", server + 1) == std::string::npos;
  }
  return false;
}

} // namespace

bool HasParentElement(const std::string &path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of("\\/", start);
    if (end == std::string::npos)
      end = path.size();
    if (path.compare(start, end - start, "..") == 0)
      return true;
    start = end + 1;
  }
  return false;
}

TKestrupEngine::TKestrupEngine(const TEnginePlatform &platform, TRunState &state, IEnginePage &page)
    : platform_(platform), state_(state), page_(page), noScript_(platform.Locale),
      folders_([this](TRootKey root, const std::string &key,
                      const std::string &name) { return RegRead(root, key, "ftString", name); },
               platform.Shell) {}

TKestrupEngine::~TKestrupEngine() = default;

std::string TKestrupEngine::EnglishText(int number) {
  for (const TEnglishText &t : kEnglishTexts)
    if (t.Number == number)
      return t.Text;
  return "";
}

std::string TKestrupEngine::Text(int number) {
  std::string text = page_.MessageText(number);
  return text.empty() ? EnglishText(number) : text;
}

TInstallScript TKestrupEngine::Script() { return TInstallScript(script_ ? *script_ : noScript_); }

std::string TKestrupEngine::FolderPath(int number) { return folders_.FolderPath(number); }

std::string TKestrupEngine::InstallerFolder() {
  // Without an application data folder the value is a bare "\", which would
  // put the installer's files at the top of the current drive: none then.
  std::string common = FolderPath(21);
  return common.size() < 2 ? "" : common + "Veltrin\\Kestrup\\";
}

TPlaceholderValues TKestrupEngine::PlaceholderValues() const {
  TPlaceholderValues v;
  v.RootKey = state_.Product.RootKey;
  v.ProgramTitle = state_.Product.ProgramTitle;
  v.ProgramLabel = state_.Product.ProgramLabel;
  v.ProgramTag = state_.Product.ProgramTag;
  v.ProgramVersion = state_.Product.ProgramVersion;
  v.ProgramVersionNumber = state_.Product.ProgramVersionNumber;
  v.InstallDir = state_.InstallDir;
  v.GroupBase = state_.GroupBase;
  v.ProgramGroup = state_.ProgramGroup;
  return v;
}

std::string TKestrupEngine::Expand(const std::string &text) {
  return ExpandPlaceholders(text, PlaceholderValues(), folders_);
}

// --- log --------------------------------------------------------------------

std::string TKestrupEngine::DateTimeForLog(TDateTime value) {
  TLocaleFormats formats = platform_.Locale.DateTimeFormats();
  char date = SeparatorOf(formats.ShortDate, '/');
  char time = SeparatorOf(formats.LongTime, ':');
  TDateTimeParts p;
  if (!DecodeDateTime(value, p))
    return "";
  char text[40];
  std::snprintf(text, sizeof text, "%02d%c%02d%c%04d ", p.Month, date, p.Day, date, p.Year);
  return text + FormatTimeOfDay(value, time);
}

std::string TKestrupEngine::LogPath() {
  if (logPath_.empty()) {
    std::string installer = InstallerFolder();
    if (!installer.empty())
      logPath_ = installer + "Kestrup.log";
  }
  return logPath_;
}

void TKestrupEngine::OpenLog() {
  std::string path = LogPath();
  if (path.empty())
    return;
  if (!platform_.Files.FileExists(path))
    platform_.Files.ForceDirectories(ExtractFilePath(path));
  log_ = platform_.Files.OpenAppend(path); // a run without a log still works
  logTimeSeparator_ = SeparatorOf(platform_.Locale.DateTimeFormats().LongTime, ':');
  if (log_) {
    std::string line = "**** Kestrup started at " + DateTimeForLog(platform_.Clock.Now()) + " ****\r\n";
    log_->Write(line.data(), static_cast<int32_t>(line.size()));
  }
}

void TKestrupEngine::Log(const std::string &message) {
  if (!log_)
    return;
  std::string line = StampLogLine(platform_.Clock.Now(), message, logTimeSeparator_) + "\r\n";
  log_->Write(line.data(), static_cast<int32_t>(line.size()));
}

void TKestrupEngine::CloseLog() {
  if (!log_)
    return;
  std::string line = "**** Kestrup closed at " + DateTimeForLog(platform_.Clock.Now()) + " ****\r\n\r\n";
  log_->Write(line.data(), static_cast<int32_t>(line.size()));
  log_.reset();
}

// --- ini files --------------------------------------------------------------

std::string TKestrupEngine::IniRead(const std::string &file, const std::string &section,
                                    const std::string &key, const std::string &defaultValue) {
  std::string value;
  if (!platform_.Profiles.ReadString(file, section, key, defaultValue, value)) {
    Log(" Error: reading failed from " + file);
    return "";
  }
  return value;
}

bool TKestrupEngine::IniWrite(const std::string &file, const std::string &section,
                              const std::string &key, const std::string &value) {
  if (HasParentElement(file)) {
    Log(" Error: writing failed to " + file);
    return false;
  }
  std::string folder = ExtractFilePath(file);
  if (!folder.empty() && !platform_.Files.DirectoryExists(folder) &&
      !platform_.Files.ForceDirectories(folder))
    return false;
  if (!platform_.Profiles.WriteString(file, section, key, value)) {
    Log(" Error: writing failed to " + file);
    return false;
  }
  std::string back;
  if (!platform_.Profiles.ReadString(file, section, key, "", back)) {
    Log(" Error: reading failed from " + file);
    return false;
  }
  return back == value;
}

namespace {

bool HasKey(const std::vector<std::string> &names, const std::string &key) {
  for (const std::string &n : names)
    if (SameText(n, key))
      return true;
  return false;
}

} // namespace

bool TKestrupEngine::IniDelete(const std::string &file, const std::string &section,
                               const std::string &key) {
  if (HasParentElement(file)) {
    Log(" Error: writing failed to " + file);
    return false;
  }
  if (!platform_.Files.FileExists(file))
    return true;
  std::vector<std::string> keys;
  if (platform_.Profiles.KeyNames(file, section, keys) && HasKey(keys, key) &&
      !platform_.Profiles.DeleteKey(file, section, key))
    Log(" Error: writing failed to " + file);
  if (!platform_.Profiles.KeyNames(file, section, keys)) {
    Log(" Error: reading failed from " + file);
    return false;
  }
  if (HasKey(keys, key))
    return false;
  if (keys.empty()) {
    platform_.Profiles.EraseSection(file, section);
    std::vector<std::string> sections;
    if (platform_.Profiles.SectionNames(file, sections) && sections.empty()) {
      platform_.Files.SetAttributes(file, kFileAttributeArchive);
      platform_.Files.RemoveFile(file);
    }
  }
  return true;
}

bool TKestrupEngine::IniValueExists(const std::string &file, const std::string &section,
                                    const std::string &key) {
  if (HasParentElement(file) || !platform_.Files.FileExists(file))
    return false;
  std::vector<std::string> keys;
  if (!platform_.Profiles.KeyNames(file, section, keys)) {
    Log(" Error: value doesnot exist in " + file);
    return false;
  }
  return HasKey(keys, key);
}

// --- registry ---------------------------------------------------------------

std::string TKestrupEngine::RegRead(TRootKey root, const std::string &key,
                                    const std::string &typeName, const std::string &valueName) {
  TRegTextStatus status;
  std::string text = TRegistryText(platform_.Registry, platform_.Locale)
                         .Read(root, key, typeName, valueName, status);
  if (status == TRegTextStatus::NoKey)
    Log(" Error: unable to open key in the registry");
  else if (status == TRegTextStatus::Failed)
    Log(" Error: unable to read from the registry");
  return text;
}

bool TKestrupEngine::RegWrite(TRootKey root, const std::string &key, const std::string &typeName,
                              const std::string &data, const std::string &valueName) {
  TRegTextStatus status =
      TRegistryText(platform_.Registry, platform_.Locale).Store(root, key, typeName, data, valueName);
  if (status == TRegTextStatus::NoKey) {
    Log(" Error: unable to open key in the registry");
    return false;
  }
  if (status == TRegTextStatus::Failed)
    Log(" Error: unable to write to the registry");
  return RegRead(root, key, typeName, valueName) == data;
}

bool TKestrupEngine::RegDeleteValue(TRootKey root, const std::string &key, const std::string &valueName) {
  TRegStatus status = platform_.Registry.DeleteValue(root, key, valueName);
  if (status == TRegStatus::NoKey)
    return true;
  if (status == TRegStatus::Failed) {
    Log(" Error: unable to delete key name from the registry");
    return false;
  }
  std::vector<std::string> subKeys, values;
  if (platform_.Registry.SubKeyNames(root, key, subKeys) && subKeys.empty() &&
      platform_.Registry.ValueNames(root, key, values) && values.empty())
    platform_.Registry.DeleteKey(root, key);
  return true;
}

bool TKestrupEngine::RegDeleteKey(TRootKey root, const std::string &key) {
  if (platform_.Registry.DeleteKey(root, key) == TRegStatus::Failed) {
    Log(" Error: unable to delete key from the registry");
    return false;
  }
  return true;
}

bool TKestrupEngine::RegKeyExists(TRootKey root, const std::string &key) {
  return platform_.Registry.KeyExists(root, key);
}

// --- shortcuts, folders, documents -------------------------------------------

bool TKestrupEngine::CreateShortcut(const std::string &folderGiven, const std::string &nameGiven,
                                    const std::string &hotKey, const std::string &workingFolder,
                                    const std::string &arguments, int iconIndex,
                                    const std::string &iconFile, const std::string &target) {
  auto fail = [&] {
    Log(" Error: unable to create shortcut to " + target);
    return false;
  };
  if (target.empty() || HasParentElement(folderGiven) || HasParentElement(nameGiven))
    return fail();
  TFileSystem &files = platform_.Files;
  std::string existing = folderGiven + nameGiven + ".LNK";
  if (files.FileExists(existing)) {
    files.SetAttributes(existing, kFileAttributeArchive);
    files.RemoveFile(existing);
  }
  std::string folder = folderGiven.empty() ? platform_.Shell.DesktopFolder() : folderGiven;
  folder = IncludeTrailingBackslash(folder);
  if (!files.DirectoryExists(folder) && !files.ForceDirectories(folder))
    return false;
  std::string name = nameGiven.empty() ? "Shortcut to " + ExtractFileName(target) : nameGiven;
  if (files.FileExists(folder + name + ".LNK")) {
    for (int n = 2;; ++n) {
      std::string numbered = name + " (" + std::to_string(n) + ")";
      if (!files.FileExists(folder + numbered + ".LNK")) {
        name = numbered;
        break;
      }
    }
  }
  TShortcutData data;
  data.Target = target;
  data.Arguments = arguments;
  if (!iconFile.empty())
    data.IconFile = iconFile, data.IconIndex = iconIndex;
  data.WorkingDirectory = workingFolder.empty() ? ExtractFilePath(target) : workingFolder;
  if (!hotKey.empty())
    data.HotKey = ParseHotKey(hotKey);
  std::string link = folder + name + ".LNK";
  if (link.size() > 260 || !platform_.Shell.SaveShortcut(link, data))
    return fail();
  return true;
}

bool TKestrupEngine::IsProtectedFolder(const std::string &folder) {
  if (IsRootPath(folder))
    return true;
  std::string candidate = IncludeTrailingBackslash(folder);
  // Read without log lines: this check is the engine's own, not the script's.
  TShellFolders quiet(
      [this](TRootKey root, const std::string &key, const std::string &name) {
        TRegValue value;
        return platform_.Registry.ReadValue(root, key, name, value) == TRegStatus::Ok &&
                       value.Type == kRegString
                   ? value.Data
                   : std::string();
      },
      platform_.Shell);
  std::set<std::string> shellFolders = {platform_.Shell.DesktopFolder(), platform_.Shell.WindowsFolder(),
                                        platform_.Shell.SystemFolder()};
  for (int number : {2, 5, 9, 13, 15, 18, 21, 22, 23, 24, 26})
    shellFolders.insert(quiet.FolderPath(number));
  for (const std::string &f : shellFolders)
    if (f.size() > 1 && SameText(IncludeTrailingBackslash(f), candidate))
      return true;
  return false;
}

bool TKestrupEngine::RemoveEmptyFolders(const std::string &folderGiven) {
  TFileSystem &files = platform_.Files;
  std::string folder = IncludeTrailingBackslash(folderGiven);
  for (const TFolderEntry &entry : files.FindEntries(folder))
    if (entry.Attributes == kFileAttributeDirectory && entry.Name != "." && entry.Name != "..")
      RemoveEmptyFolders(folder + entry.Name + "\\");
  bool removed = false;
  if (!IsProtectedFolder(folder)) {
    files.SetAttributes(folder, kFileAttributeDirectory);
    // A subfolder's own upward walk may already have taken this folder.
    removed = files.RemoveFolder(folder) || !files.DirectoryExists(folder);
  }
  // Parents emptied by the removal go too, up to the first one that stays;
  // drive roots and the shell's own folders are never removed.
  std::string path = folder;
  for (;;) {
    path = WithoutTrailingSeparators(path);
    path = ExtractFilePath(path);
    if (path.empty() || IsProtectedFolder(path))
      break;
    files.SetAttributes(path, kFileAttributeDirectory);
    if (!files.RemoveFolder(path))
      break;
  }
  return removed;
}

bool TKestrupEngine::OpenDocument(const std::string &extensionGiven, const std::string &document) {
  std::string extension = extensionGiven;
  if (extension.empty() || extension[0] != '.')
    extension = "." + extension;
  extension = AnsiUpperCase(extension);
  TRegValue value;
  std::string command;
  if (platform_.Registry.ReadValue(kHKeyClassesRoot, extension, "", value) == TRegStatus::Ok &&
      value.Type == kRegString && !value.Data.empty()) {
    TRegValue cmd;
    if (platform_.Registry.ReadValue(kHKeyClassesRoot, value.Data + "\\Shell\\Open\\Command", "", cmd) ==
            TRegStatus::Ok &&
        (cmd.Type == kRegString || cmd.Type == 2))
      command = cmd.Data;
  }
  if (command.empty())
    return false;
  command = Expand(command);
  std::string folder = ExtractFilePath(document);
  std::string cleaned;
  for (size_t i = 0; i < command.size(); ++i) {
    if (command[i] == '%') {
      ++i; // the character after it goes too
      continue;
    }
    if (command[i] != '"')
      cleaned += command[i];
  }
  command = TrimBlanks(cleaned);
  std::string doc = document;
  std::string upperDoc = AnsiUpperCase(ExtractFileName(document));
  if (command.empty() &&
      (Contains(upperDoc, ".BAT") || Contains(upperDoc, ".EXE") || Contains(upperDoc, ".COM"))) {
    command = doc;
    doc.clear();
    folder = ExtractFilePath(command);
  }
  std::string upper = AnsiUpperCase(command);
  std::string program = command, parameters;
  for (const char *ext : {".BAT ", ".EXE ", ".COM "}) {
    size_t at = upper.find(ext);
    if (at != std::string::npos) {
      program = command.substr(0, at + 4);
      parameters = command.substr(at + 5);
      break;
    }
  }
  if (program.empty())
    return false;
  std::string arguments;
  if (!parameters.empty())
    arguments = parameters + " \"" + doc + "\"";
  else
    arguments = doc;
  return platform_.Shell.Open(program, arguments, folder) > 32;
}

bool TKestrupEngine::RunProgram(const std::string &file, const std::string &arguments) {
  return platform_.Shell.Run(file, arguments);
}

// --- install ----------------------------------------------------------------

bool TKestrupEngine::ApplyFile(int32_t record, int64_t &overall) {
  TInstallScript script = Script();
  std::string targetDir = Expand(script.Field(kFilesTable, "TargetDir", record));
  std::string fileName = script.Field(kFilesTable, "FileName", record);
  if (!archive_)
    return true;
  TFileData member = archive_->LookupMember(fileName);
  if (member.Name.empty() || targetDir.empty())
    return true; // not a member or not meant to be installed: skipped silently
  std::string target = targetDir + fileName;
  if (HasParentElement(target)) {
    Log(" Error: Unable to create " + target);
    return false;
  }
  page_.SetLabel(TPageLabel::FileProgress, Text(15201) + page_.FitPath(TPageLabel::FileProgress, target));
  page_.SetBar(TPageBar::FileProgress, 0, 100);
  TDateTime existing = 0;
  if (!platform_.Files.GetLastWriteTime(target, existing) || !platform_.Files.FileExists(target))
    existing = 0;
  bool ok = true;
  if (member.Date <= 0 || member.Date > existing) {
    ok = member.Offset != -1 &&
         archive_->ExtractMember(
             member, target, script.Field(kFilesTable, "FileAttr", record),
             script.Field(kFilesTable, "DirAttr", record), [this](const std::string &m) { Log(m); },
             [this](int percent) {
               page_.SetBar(TPageBar::FileProgress, percent, 100);
               page_.ProcessMessages();
             });
  }
  if (ok) {
    overall += member.Size;
    page_.SetBar(TPageBar::InstallProgress, overall, state_.TotalSize);
  }
  return ok;
}

bool TKestrupEngine::ApplyIni(int32_t record) {
  TInstallScript script = Script();
  return IniWrite(Expand(script.Field(kIniFilesTable, "TargetDir", record) +
                         script.Field(kIniFilesTable, "FileName", record)),
                  Expand(script.Field(kIniFilesTable, "Section", record)),
                  Expand(script.Field(kIniFilesTable, "Indent", record)),
                  Expand(script.Field(kIniFilesTable, "Value", record)));
}

bool TKestrupEngine::ApplyRegistry(int32_t record) {
  TInstallScript script = Script();
  TRootKey root = RootKeyFromName(Expand(script.Field(kRegistryTable, "RootKey", record)), kHKeyCurrentUser);
  return RegWrite(root, Expand(script.Field(kRegistryTable, "Key", record)),
                  script.Field(kRegistryTable, "Type", record),
                  Expand(script.Field(kRegistryTable, "Data", record)),
                  Expand(script.Field(kRegistryTable, "Name", record)));
}

bool TKestrupEngine::ApplyShortcut(int32_t record) {
  TInstallScript script = Script();
  auto field = [&](const char *column) { return script.Field(kShortcutsTable, column, record); };
  return CreateShortcut(Expand(field("Location")), Expand(field("Description")), field("HotKey"),
                        Expand(field("WorkingDir")), field("Params"), NumberOrZero(field("IconIndex")),
                        Expand(field("IconFile")), Expand(field("TargetDir")) + Expand(field("FileName")));
}

bool TKestrupEngine::DeletePath(const std::string &path) {
  platform_.Files.SetAttributes(path, kFileAttributeArchive);
  if (platform_.Files.FileExists(path) && !platform_.Files.RemoveFile(path)) {
    Log(" Error: unable to delete " + path);
    return false;
  }
  return true;
}

std::string TKestrupEngine::DesktopFor(TRootKey root) {
  if (root == kHKeyCurrentUser)
    return FolderPath(5);
  if (root == kHKeyLocalMachine)
    return FolderPath(22);
  return "";
}

void TKestrupEngine::FilesPhase(bool update) {
  TInstallScript script = Script();
  int64_t overall = 0;
  int32_t n = script.RecordCount(kFilesTable);
  for (int32_t r = 1; r <= n; ++r) {
    std::string status = script.Field(kFilesTable, "Status", r);
    if (!update || status == kStatusIncluded) {
      if (!ApplyFile(r, overall))
        state_.ErrorsLogged = true;
      continue;
    }
    std::string targetDir = Expand(script.Field(kFilesTable, "TargetDir", r));
    if (targetDir.empty())
      continue; // never installed, so nothing to check or remove
    std::string target = targetDir + script.Field(kFilesTable, "FileName", r);
    if (HasParentElement(target)) {
      Log(" Error: unable to find " + target);
      state_.ErrorsLogged = true;
      continue;
    }
    if (status.empty()) {
      page_.SetLabel(TPageLabel::FileProgress, Text(15203) + page_.FitPath(TPageLabel::FileProgress, target));
      page_.SetBar(TPageBar::FileProgress, 0, 100);
      if (!platform_.Files.FileExists(target)) {
        Log(" Error: unable to find " + target);
        state_.ErrorsLogged = true;
      }
    } else if (status == kStatusObsolescent) {
      page_.SetLabel(TPageLabel::FileProgress, Text(15202) + page_.FitPath(TPageLabel::FileProgress, target));
      page_.SetBar(TPageBar::FileProgress, 0, 100);
      if (!DeletePath(target))
        state_.ErrorsLogged = true;
    }
  }
}

void TKestrupEngine::IniPhase(bool update) {
  TInstallScript script = Script();
  int32_t n = script.RecordCount(kIniFilesTable);
  for (int32_t r = 1; r <= n; ++r) {
    page_.SetBar(TPageBar::FileProgress, Percent(r, n), 100);
    std::string status = script.Field(kIniFilesTable, "Status", r);
    bool ok = true;
    if (!update || status == kStatusIncluded) {
      ok = ApplyIni(r);
    } else if (status.empty() || status == kStatusObsolescent) {
      std::string file = Expand(script.Field(kIniFilesTable, "TargetDir", r) +
                                script.Field(kIniFilesTable, "FileName", r));
      std::string section = Expand(script.Field(kIniFilesTable, "Section", r));
      std::string key = Expand(script.Field(kIniFilesTable, "Indent", r));
      ok = status.empty() ? IniValueExists(file, section, key) : IniDelete(file, section, key);
    }
    if (!ok)
      state_.ErrorsLogged = true;
  }
}

void TKestrupEngine::RegistryPhase(bool update) {
  TInstallScript script = Script();
  int32_t n = script.RecordCount(kRegistryTable);
  for (int32_t r = 1; r <= n; ++r) {
    page_.SetBar(TPageBar::FileProgress, Percent(r, n), 100);
    std::string status = script.Field(kRegistryTable, "Status", r);
    bool ok = true;
    if (!update || status == kStatusIncluded) {
      ok = ApplyRegistry(r);
    } else if (status.empty() || status == kStatusObsolescent) {
      TRootKey root =
          RootKeyFromName(Expand(script.Field(kRegistryTable, "RootKey", r)), kHKeyCurrentUser);
      std::string key = Expand(script.Field(kRegistryTable, "Key", r));
      ok = status.empty() ? RegKeyExists(root, key)
                          : RegDeleteValue(root, key, Expand(script.Field(kRegistryTable, "Name", r)));
    }
    if (!ok)
      state_.ErrorsLogged = true;
  }
}

void TKestrupEngine::ShortcutsPhase(bool update) {
  TInstallScript script = Script();
  int32_t n = script.RecordCount(kShortcutsTable);
  for (int32_t r = 1; r <= n; ++r) {
    page_.SetBar(TPageBar::FileProgress, Percent(r, n), 100);
    std::string status = script.Field(kShortcutsTable, "Status", r);
    bool ok = true;
    if (!update || status == kStatusIncluded) {
      ok = ApplyShortcut(r);
    } else if (status.empty() || status == kStatusObsolescent) {
      std::string location = Expand(script.Field(kShortcutsTable, "Location", r));
      if (location.empty())
        location = platform_.Shell.DesktopFolder(); // where an empty Location put it
      std::string path = location + Expand(script.Field(kShortcutsTable, "Description", r)) + ".LNK";
      if (status.empty()) {
        if (!platform_.Files.FileExists(path)) {
          Log(" Error: unable to find " + path);
          ok = false;
        }
      } else {
        ok = DeletePath(path);
      }
    }
    if (!ok)
      state_.ErrorsLogged = true;
  }
}

void TKestrupEngine::DesktopShortcut() {
  if (!state_.Product.DesktopShortcut || !state_.DesktopShortcutChecked)
    return;
  std::string desktop = DesktopFor(state_.Product.RootKey);
  if (state_.Product.RootKey != kHKeyCurrentUser && state_.Product.RootKey != kHKeyLocalMachine)
    return;
  std::string module = Expand(state_.Product.ProgramModule);
  if (!CreateShortcut(desktop, state_.Product.ProgramTitle, "", ExtractFilePath(module), "", 0, module, module))
    state_.ErrorsLogged = true;
}

void TKestrupEngine::UninstallEntry() {
  TRootKey root = state_.Product.RootKey;
  std::string key = UninstallKey();
  auto write = [&](const std::string &type, const std::string &data, const std::string &name) {
    if (!RegWrite(root, key, type, data, name))
      state_.ErrorsLogged = true;
  };
  write("ftString", state_.Product.ProgramTitle + " " + state_.Product.ProgramVersion, "DisplayName");
  page_.SetBar(TPageBar::FileProgress, 20, 100);
  if (root == kHKeyCurrentUser || root == kHKeyLocalMachine) {
    TFileData member = archive_ ? archive_->LookupMember("Kestrup.inf") : TFileData();
    if (member.Name.empty()) {
      state_.ErrorsLogged = true;
    } else {
      std::string scriptFolder = root == kHKeyCurrentUser ? FolderPath(2) : FolderPath(21);
      std::string copy = scriptFolder + "Veltrin\\Kestrup\\" + state_.Product.ProgramLabel + ".inf";
      if (!archive_->ExtractMember(member, copy, "", "", [this](const std::string &m) { Log(m); }, {})) {
        state_.ErrorsLogged = true;
      } else {
        write("ftString",
              "\"" + FolderPath(21) + "Veltrin\\Kestrup\\Kestrup.exe\" \"uninstall\" \"" + copy + "\"",
              "UninstallString");
      }
    }
  }
  page_.SetBar(TPageBar::FileProgress, 40, 100);
  write("ftString", state_.InstallDir, "InstallDir");
  page_.SetBar(TPageBar::FileProgress, 60, 100);
  write("ftString", Expand("[ftProgramGroup]"), "ProgramGroup");
  page_.SetBar(TPageBar::FileProgress, 80, 100);
  write("ftInteger", std::to_string(state_.Product.ProgramVersionNumber), "ProgramVersionNumber");
  page_.SetBar(TPageBar::FileProgress, 100, 100);
}

void TKestrupEngine::InstallCommon(bool update) {
  page_.EnableButtons(false, false, false);
  page_.SetLabel(TPageLabel::FileProgress, "");
  page_.SetBar(TPageBar::FileProgress, 0, 100);
  page_.SetBar(TPageBar::InstallProgress, 0, state_.TotalSize);
  page_.SetLabel(TPageLabel::InstallMessage, Text(15401));
  if (script_) {
    FilesPhase(update);
    page_.SetLabel(TPageLabel::FileProgress, Text(15204));
    page_.SetBar(TPageBar::FileProgress, 0, 100);
    page_.SetLabel(TPageLabel::InstallMessage, Text(15403));
    IniPhase(update);
    page_.SetLabel(TPageLabel::FileProgress, Text(15205));
    page_.SetBar(TPageBar::FileProgress, 0, 100);
    page_.SetLabel(TPageLabel::InstallMessage, Text(15405));
    RegistryPhase(update);
    page_.SetLabel(TPageLabel::FileProgress, Text(15206));
    page_.SetBar(TPageBar::FileProgress, 0, 100);
    page_.SetLabel(TPageLabel::InstallMessage, Text(15406));
    DesktopShortcut();
    ShortcutsPhase(update);
  } else {
    state_.ErrorsLogged = true;
  }
  page_.SetLabel(TPageLabel::FileProgress, Text(15205));
  page_.SetBar(TPageBar::FileProgress, 0, 100);
  page_.SetLabel(TPageLabel::InstallMessage, Text(15405));
  UninstallEntry();
  if (!state_.ErrorsLogged)
    state_.Completed = true;
  page_.EnableButtons(false, true, false);
  page_.ShowFinishPage();
}

void TKestrupEngine::FreshInstall() { InstallCommon(false); }

void TKestrupEngine::UpdateInstall() { InstallCommon(true); }

// --- uninstall --------------------------------------------------------------

bool TKestrupEngine::RemoveFolderWithWait(const std::string &folder) {
  if (folder.empty() || !platform_.Files.DirectoryExists(folder) || RemoveEmptyFolders(folder))
    return true;
  page_.ProcessMessages();
  page_.Wait(1000);
  page_.ProcessMessages();
  if (platform_.Files.DirectoryExists(folder)) {
    Log(" Error: unable to delete " + folder);
    return false;
  }
  return true;
}

void TKestrupEngine::Uninstall() {
  TFileSystem &files = platform_.Files;
  page_.EnableButtons(false, false, false);
  page_.SetLabel(TPageLabel::UninstallProgress, "");
  page_.ShowUninstallProgress(true);
  page_.SetBar(TPageBar::UninstallProgress, 1, 5);
  page_.SetLabel(TPageLabel::UninstallMessage, Text(17401));
  if (!script_)
    state_.ErrorsLogged = true;
  TInstallScript script = Script();
  int32_t n = script.RecordCount(kFilesTable);
  for (int32_t r = 1; r <= n; ++r) {
    if (script.Field(kFilesTable, "Status", r) == kStatusShared && !state_.LastProduct)
      continue;
    std::string targetDir = Expand(script.Field(kFilesTable, "TargetDir", r));
    if (targetDir.empty())
      continue; // never installed: the bare name would point into the working folder
    std::string fileName = script.Field(kFilesTable, "FileName", r);
    std::string path = targetDir + fileName;
    if (HasParentElement(path)) {
      // Never installed either, and possibly outside every folder of the product.
      Log(" Error: unable to delete " + path);
      state_.ErrorsLogged = true;
      continue;
    }
    page_.SetLabel(TPageLabel::UninstallProgress,
                   Text(17301) + page_.FitPath(TPageLabel::UninstallProgress, path));
    files.SetAttributes(path, kFileAttributeArchive);
    if (!files.FileExists(path) || files.RemoveFile(path))
      continue;
    std::string upper = AnsiUpperCase(fileName);
    bool program = Contains(upper, ".EXE") || Contains(upper, ".DLL");
    if (!program && !Contains(upper, ".BAT") && !Contains(upper, ".COM")) {
      Log(" Error: unable to delete " + path);
      state_.ErrorsLogged = true;
    } else if (targetDir.find(state_.InstallDir) == std::string::npos || !program) {
      // a program outside the installation (shared) may stay in use: left alone
    } else {
      // A program of the installation may still be running: give it 5 seconds.
      page_.SetBusyCursor(true);
      uint32_t start = platform_.Clock.TickCount();
      while (platform_.Clock.TickCount() - start < 5000) {
        if (!files.FileExists(path) || files.RemoveFile(path))
          break;
        page_.ProcessMessages();
        page_.Wait(1000);
        page_.ProcessMessages();
      }
      if (files.FileExists(path)) {
        Log(" Error: unable to delete " + path);
        state_.ErrorsLogged = true;
      }
      page_.SetBusyCursor(false);
    }
  }

  page_.SetLabel(TPageLabel::UninstallProgress, "");
  page_.SetBar(TPageBar::UninstallProgress, 2, 5);
  page_.SetLabel(TPageLabel::UninstallMessage, Text(17402));
  n = script.RecordCount(kIniFilesTable);
  for (int32_t r = 1; r <= n; ++r)
    if (!IniDelete(Expand(script.Field(kIniFilesTable, "TargetDir", r) + script.Field(kIniFilesTable, "FileName", r)),
                   Expand(script.Field(kIniFilesTable, "Section", r)),
                   Expand(script.Field(kIniFilesTable, "Indent", r))))
      state_.ErrorsLogged = true;

  page_.SetLabel(TPageLabel::UninstallProgress, "");
  page_.SetBar(TPageBar::UninstallProgress, 3, 5);
  page_.SetLabel(TPageLabel::UninstallMessage, Text(17403));
  n = script.RecordCount(kRegistryTable);
  for (int32_t r = 1; r <= n; ++r)
    if (!RegDeleteValue(RootKeyFromName(Expand(script.Field(kRegistryTable, "RootKey", r)), kHKeyCurrentUser),
                        Expand(script.Field(kRegistryTable, "Key", r)),
                        Expand(script.Field(kRegistryTable, "Name", r))))
      state_.ErrorsLogged = true;

  page_.SetLabel(TPageLabel::UninstallProgress, "");
  page_.SetBar(TPageBar::UninstallProgress, 4, 5);
  page_.SetLabel(TPageLabel::UninstallMessage, Text(17404));
  TRootKey root = state_.Product.RootKey;
  if (state_.Product.DesktopShortcut && (root == kHKeyCurrentUser || root == kHKeyLocalMachine))
    if (!DeletePath(DesktopFor(root) + state_.Product.ProgramTitle + ".LNK"))
      state_.ErrorsLogged = true;
  n = script.RecordCount(kShortcutsTable);
  for (int32_t r = 1; r <= n; ++r) {
    std::string location = Expand(script.Field(kShortcutsTable, "Location", r));
    if (location.empty())
      location = platform_.Shell.DesktopFolder(); // where an empty Location put it
    if (!DeletePath(location + Expand(script.Field(kShortcutsTable, "Description", r)) + ".LNK"))
      state_.ErrorsLogged = true;
  }

  page_.SetLabel(TPageLabel::UninstallProgress, "");
  page_.SetBar(TPageBar::UninstallProgress, 5, 5);
  page_.SetLabel(TPageLabel::UninstallMessage, Text(17403));
  if (!RemoveFolderWithWait(state_.InstallDir))
    state_.ErrorsLogged = true;
  if (!RemoveFolderWithWait(Expand("[ftProgramGroup]")))
    state_.ErrorsLogged = true;
  if (!state_.ErrorsLogged && !RegDeleteKey(root, UninstallKey()))
    state_.ErrorsLogged = true;
  page_.ShowUninstallProgress(false);
  if (state_.ErrorsLogged) {
    page_.SetLabel(TPageLabel::UninstallMessage, Text(17406));
    page_.SetLabel(TPageLabel::UninstallBottom, Text(17502));
  } else {
    state_.Completed = true;
    page_.SetLabel(TPageLabel::UninstallMessage, Text(17405));
    page_.SetLabel(TPageLabel::UninstallBottom, Text(17501));
  }
  page_.EnableButtons(false, true, false);
}

// --- close-down -------------------------------------------------------------

void TKestrupEngine::CloseDown() {
  TFileSystem &files = platform_.Files;
  std::string installer = InstallerFolder();
  if (archive_)
    archive_->Release();
  if (script_)
    script_->Close();
  bool install = state_.Mode == TRunMode::Install;
  if (installer.empty()) {
    CloseLog();
    return; // nothing of the installer's own was ever written
  }
  if (install) {
    if (!(state_.FirstRun && (state_.FatalError || state_.Cancelled)))
      DeletePath(installer + "Kestrup.inf");
  } else if (state_.Completed) {
    DeletePath(state_.ScriptPath);
  }
  if (state_.Completed || files.FileExists(installer + "Kestrup.dat"))
    IniWrite(installer + "Kestrup.dat", "Common", "LngID", std::to_string(state_.Language));
  CloseLog();
  std::string log = LogPath();
  bool failed = state_.FatalError || state_.ErrorsLogged;
  if (files.FileExists(log) && failed &&
      (install ? !state_.FirstRun && page_.ShowLogChecked() : true))
    OpenDocument(".txt", log);

  std::string windows = platform_.Shell.WindowsFolder();
  auto forgetVeltrin = [&] {
    if (!windows.empty())
      DeletePath(windows + "veltrin.ini");
    RegDeleteKey(kHKeyCurrentUser, "Software\\Veltrin");
    RegDeleteKey(kHKeyLocalMachine, "Software\\Veltrin");
  };
  if (install) {
    if (state_.FirstRun && state_.Cancelled) {
      forgetVeltrin();
      for (const std::string &name : files.ListFiles(installer))
        DeletePath(installer + name);
      files.SetAttributes(installer, kFileAttributeDirectory);
      if (files.RemoveFolder(installer)) {
        std::string veltrin = FolderPath(21) + "Veltrin\\";
        files.SetAttributes(veltrin, kFileAttributeDirectory);
        files.RemoveFolder(veltrin);
      }
    }
    return;
  }
  if (!(state_.Completed && state_.LastProduct))
    return;
  forgetVeltrin();
  std::string drive = windows.substr(0, windows.find('\\') == std::string::npos ? windows.size()
                                                                                 : windows.find('\\') + 1);
  std::string fileSystem = platform_.Shell.VolumeFileSystem(drive);
  for (char &c : fileSystem)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c + 32);
  std::string recycle = drive + (fileSystem == "ntfs" ? "Recycler\\" : "Recycled\\");
  std::string cleanup;
  std::string cleaner = installer + "KestrupEx.exe";
  std::string tempCopy = windows + "Temp\\KestrupEx.exe";
  if (files.DirectoryExists(recycle)) {
    std::set<std::string> before;
    for (const TFolderEntry &e : files.FindEntries(recycle, "*.exe"))
      before.insert(e.Name);
    if (platform_.Shell.Recycle(cleaner)) {
      for (const TFolderEntry &e : files.FindEntries(recycle, "*.exe"))
        if (!before.count(e.Name)) {
          cleanup = recycle + e.Name;
          break;
        }
    } else if (CopyFileBlocks(files, cleaner, tempCopy)) {
      cleanup = tempCopy;
    }
  } else if (CopyFileBlocks(files, cleaner, tempCopy)) {
    cleanup = tempCopy;
  }
  for (const std::string &name : files.ListFiles(installer)) {
    std::string lower = name;
    for (char &c : lower)
      if (c >= 'A' && c <= 'Z')
        c = static_cast<char>(c + 32);
    if (lower != "kestrup.exe")
      DeletePath(installer + name);
  }
  if (!cleanup.empty() && files.FileExists(cleanup))
    RunProgram(cleanup, "\"/kestrup\" \"" + FolderPath(21) + "\"");
}
