#include "kestrup/ScriptActions.h"

#include "base/AnsiText.h"
#include "data/text/RegistryText.h"
#include "platform/FileReplacement.h"

#include <cmath>
#include <cstring>
#include <set>

namespace {

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

// --- ini files --------------------------------------------------------------

std::string TScriptActions::IniRead(const std::string &file, const std::string &section,
                                    const std::string &key, const std::string &defaultValue) {
  std::string value;
  if (!platform_.Profiles.ReadString(file, section, key, defaultValue, value)) {
    log_.Write(" Error: reading failed from " + file);
    return "";
  }
  return value;
}

bool TScriptActions::IniWrite(const std::string &file, const std::string &section,
                              const std::string &key, const std::string &value) {
  if (HasParentElement(file)) {
    log_.Write(" Error: writing failed to " + file);
    return false;
  }
  std::string folder = ExtractFilePath(file);
  if (!folder.empty() && !platform_.Files.DirectoryExists(folder) && !MakeFolder(folder))
    return false;
  if (!journal_.IniChange(file, section, key) ||
      !platform_.Profiles.WriteString(file, section, key, value)) {
    log_.Write(" Error: writing failed to " + file);
    return false;
  }
  std::string back;
  if (!platform_.Profiles.ReadString(file, section, key, "", back)) {
    log_.Write(" Error: reading failed from " + file);
    return false;
  }
  if (back != value) {
    log_.Write(" Error: writing failed to " + file); // it did not read back as written
    return false;
  }
  return true;
}

namespace {

bool HasKey(const std::vector<std::string> &names, const std::string &key) {
  for (const std::string &n : names)
    if (SameText(n, key))
      return true;
  return false;
}

} // namespace

bool TScriptActions::IniDelete(const std::string &file, const std::string &section,
                               const std::string &key) {
  if (HasParentElement(file)) {
    log_.Write(" Error: writing failed to " + file);
    return false;
  }
  if (!platform_.Files.FileExists(file))
    return true;
  std::vector<std::string> keys;
  // The whole file is kept: a deletion taken back puts every line where it was.
  bool logged = false;
  if (platform_.Profiles.KeyNames(file, section, keys) && HasKey(keys, key) &&
      (!journal_.FileCopied(file) || !platform_.Profiles.DeleteKey(file, section, key))) {
    log_.Write(" Error: writing failed to " + file);
    logged = true;
  }
  if (!platform_.Profiles.KeyNames(file, section, keys)) {
    log_.Write(" Error: reading failed from " + file);
    return false;
  }
  if (HasKey(keys, key)) {
    if (!logged)
      log_.Write(" Error: writing failed to " + file);
    return false;
  }
  if (keys.empty()) {
    platform_.Profiles.EraseSection(file, section);
    std::vector<std::string> sections;
    if (!platform_.Profiles.SectionNames(file, sections) || HasKey(sections, section)) {
      log_.Write(" Error: writing failed to " + file); // the emptied section stayed
      return false;
    }
    if (sections.empty()) {
      platform_.Files.SetAttributes(file, kFileAttributeArchive);
      // An emptied file left behind would keep its folder.
      if (!platform_.Files.RemoveFile(file)) {
        log_.Write(" Error: unable to delete " + file);
        return false;
      }
    }
  }
  return true;
}

bool TScriptActions::IniValueExists(const std::string &file, const std::string &section,
                                    const std::string &key) {
  if (HasParentElement(file) || !platform_.Files.FileExists(file))
    return false;
  std::vector<std::string> keys;
  if (!platform_.Profiles.KeyNames(file, section, keys)) {
    log_.Write(" Error: value doesnot exist in " + file);
    return false;
  }
  return HasKey(keys, key);
}

// --- registry ---------------------------------------------------------------

std::string TScriptActions::RegRead(TRootKey root, const std::string &key,
                                    const std::string &typeName, const std::string &valueName) {
  TRegTextStatus status;
  std::string text = TRegistryText(platform_.Registry, platform_.Locale)
                         .Read(root, key, typeName, valueName, status);
  if (status == TRegTextStatus::NoKey)
    log_.Write(" Error: unable to open key in the registry");
  else if (status == TRegTextStatus::Failed)
    log_.Write(" Error: unable to read from the registry");
  return text;
}

bool TScriptActions::RegWrite(TRootKey root, const std::string &key, const std::string &typeName,
                              const std::string &data, const std::string &valueName) {
  if (!journal_.RegistryChange(root, key, valueName)) {
    log_.Write(" Error: unable to write to the registry");
    return false;
  }
  TRegTextStatus status =
      TRegistryText(platform_.Registry, platform_.Locale).Store(root, key, typeName, data, valueName);
  if (status == TRegTextStatus::NoKey) {
    log_.Write(" Error: unable to open key in the registry");
    return false;
  }
  if (status == TRegTextStatus::Failed)
    log_.Write(" Error: unable to write to the registry");
  return RegRead(root, key, typeName, valueName) == data;
}

bool TScriptActions::RegDeleteValue(TRootKey root, const std::string &key, const std::string &valueName) {
  TRegValue present;
  if (platform_.Registry.ReadValue(root, key, valueName, present) == TRegStatus::Ok &&
      !journal_.RegistryChange(root, key, valueName)) {
    log_.Write(" Error: unable to delete key name from the registry");
    return false;
  }
  TRegStatus status = platform_.Registry.DeleteValue(root, key, valueName);
  if (status == TRegStatus::NoKey)
    return true;
  if (status == TRegStatus::Failed) {
    log_.Write(" Error: unable to delete key name from the registry");
    return false;
  }
  std::vector<std::string> subKeys, values;
  if (platform_.Registry.SubKeyNames(root, key, subKeys) && subKeys.empty() &&
      platform_.Registry.ValueNames(root, key, values) && values.empty())
    platform_.Registry.DeleteKey(root, key);
  return true;
}

bool TScriptActions::RecordKeyValues(TRootKey root, const std::string &key) {
  if (!journal_.Recording())
    return true;
  std::vector<std::string> names;
  if (platform_.Registry.ValueNames(root, key, names))
    for (const std::string &name : names)
      if (!journal_.RegistryChange(root, key, name))
        return false;
  if (platform_.Registry.SubKeyNames(root, key, names))
    for (const std::string &sub : names)
      if (!RecordKeyValues(root, key + "\\" + sub))
        return false;
  return true;
}

bool TScriptActions::RegDeleteKey(TRootKey root, const std::string &key) {
  // While the journal records, every value below the key is recorded first.
  if (!RecordKeyValues(root, key) || platform_.Registry.DeleteKey(root, key) == TRegStatus::Failed) {
    log_.Write(" Error: unable to delete key from the registry");
    return false;
  }
  return true;
}

bool TScriptActions::RegKeyExists(TRootKey root, const std::string &key) {
  return platform_.Registry.KeyExists(root, key);
}

// --- shortcuts, folders, documents -------------------------------------------

bool TScriptActions::CreateShortcut(const std::string &folderGiven, const std::string &nameGiven,
                                    const std::string &hotKey, const std::string &workingFolder,
                                    const std::string &arguments, int iconIndex,
                                    const std::string &iconFile, const std::string &target) {
  auto fail = [&] {
    log_.Write(" Error: unable to create shortcut to " + target);
    return false;
  };
  if (target.empty() || HasParentElement(folderGiven) || HasParentElement(nameGiven))
    return fail();
  TFileSystem &files = platform_.Files;
  std::string existing = folderGiven + nameGiven + ".LNK";
  if (files.FileExists(existing)) {
    files.SetAttributes(existing, kFileAttributeArchive);
    RemoveFile(existing);
  }
  std::string folder = folderGiven.empty() ? platform_.Shell.DesktopFolder() : folderGiven;
  folder = IncludeTrailingBackslash(folder);
  if (!files.DirectoryExists(folder) && !MakeFolder(folder))
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
  bool keepOld = false;
  if (link.size() > 260 || !journal_.FileWritten(link, keepOld) ||
      !platform_.Shell.SaveShortcut(link, data))
    return fail();
  return true;
}

bool TScriptActions::IsProtectedFolder(const std::string &folder) {
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
  for (TShellFolder folder : {sfAppData, sfDesktop, sfLocalAppData, sfPersonal, sfPrograms,
                              sfStartMenu, sfCommonAppData, sfCommonDesktop, sfCommonPrograms,
                              sfCommonStartMenu, sfProgramFiles})
    shellFolders.insert(quiet.FolderPath(folder));
  for (const std::string &f : shellFolders)
    if (f.size() > 1 && SameText(IncludeTrailingBackslash(f), candidate))
      return true;
  return false;
}

bool TScriptActions::RemoveEmptyFolders(const std::string &folderGiven) {
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

bool TScriptActions::OpenDocument(const std::string &extensionGiven, const std::string &document) {
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
  // Without an association (Wine registers none for programs) a program
  // still starts itself below; any other document has nothing to open it.
  command = expand_(command);
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
  else if (doc.find(' ') != std::string::npos)
    arguments = "\"" + doc + "\""; // else "C:\Program Files\..." reaches the program in pieces
  else
    arguments = doc;
  return platform_.Shell.Open(program, arguments, folder) > 32;
}

bool TScriptActions::RunProgram(const std::string &file, const std::string &arguments) {
  return platform_.Shell.Run(file, arguments);
}

bool TScriptActions::DeletePath(const std::string &path) {
  platform_.Files.SetAttributes(path, kFileAttributeArchive);
  if (platform_.Files.FileExists(path) && !RemoveFile(path)) {
    log_.Write(" Error: unable to delete " + path);
    return false;
  }
  return true;
}

bool TScriptActions::RemoveFile(const std::string &path) {
  bool keepOld = false;
  if (!journal_.FileDeleted(path, keepOld))
    return false;
  return keepOld ? platform_.Files.RenameFile(path, TFileReplacement::BackupPath(path),
                                              kRenameReplaceExisting | kRenameWriteThrough)
                 : platform_.Files.RemoveFile(path);
}

bool TScriptActions::MakeFolder(const std::string &folder) {
  return journal_.FoldersMade(folder) && platform_.Files.ForceDirectories(folder);
}
