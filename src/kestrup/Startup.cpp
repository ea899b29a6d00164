#include "kestrup/Startup.h"

#include "base/AnsiText.h"
#include "base/Decimal.h"
#include "kestrup/InstallerFolderGuard.h"
#include "kestrup/InstallerPaths.h"

#include <algorithm>

namespace {

const std::string kInternationalKey = "Control Panel\\International";
const std::string kLanguageFileName = "Kestrup.lng";
constexpr int kMaxCloseRequests = 10;

// The licence files the archive may hold, in the order they are extracted.
constexpr const char *kLicenceCodes[] = {"nl", "fr", "es", "it", "uk", "de"};

// Whether the member is to be put in place over the copy at the target:
// when it has no date, or a later one than the copy (none counts as 0).
bool MemberIsNewer(TFileSystem &files, const TFileData &member, const std::string &target) {
  TDateTime existing = 0;
  if (!files.FileExists(target) || !files.GetLastWriteTime(target, existing))
    existing = 0;
  return member.Date <= 0 || member.Date > existing;
}

// Reads the language file's languages into the context, sorted by name.
void ReadLanguages(TKestrupContext &context) {
  context.Languages.clear();
  TStrovdexObject languages(context.Platform.Files, context.Platform.Locale);
  if (!languages.Open(context.LanguageFile, context.LanguageFile, "", ""))
    return;
  const std::string table = "Contents";
  const int32_t n = languages.RecordCount(table);
  for (int32_t r = 1; r <= n; ++r) {
    if (languages.FieldText(table, "sLanguage", r).find('_') != std::string::npos)
      continue;
    TLanguageEntry entry;
    entry.Name = languages.FieldText(table, "sCountry", r);
    entry.Number = NumberOrZero(languages.FieldText(table, "iCountry", r));
    context.Languages.push_back(entry);
  }
  languages.Close();
  std::stable_sort(context.Languages.begin(), context.Languages.end(),
                   [](const TLanguageEntry &a, const TLanguageEntry &b) { return a.Name < b.Name; });
}

// Without a title the product's uninstall key would be the whole uninstall
// tree, which holds every other product's entry: such a script is refused.
bool TitleUsable(TKestrupEngine &engine, const TProductSettings &p) {
  if (UsableProductTitle(p.ProgramTitle))
    return true;
  engine.Log(" Error: the install script names no usable program title");
  return false;
}

std::string Title(const TProductSettings &p) { return " " + p.ProgramTitle + " " + p.ProgramVersion; }

} // namespace

int32_t LanguageFromLocale(IRegistry &registry) {
  TRegValue value;
  if (registry.ReadValue(kHKeyCurrentUser, kInternationalKey, "sLanguage", value) != TRegStatus::Ok ||
      value.Type != kRegString)
    return 44;
  std::string code = AnsiLowerCase(value.Data.substr(0, 2));
  if (code == "nl")
    return 31;
  if (code == "fr")
    return 33;
  if (code == "it")
    return 39;
  if (code == "de")
    return 49;
  return 44;
}

namespace {

// The log's last start-up line; the result passed through.
bool LogInitialization(TKestrupEngine &engine, bool ok) {
  engine.Log(ok ? " Initialization ok" : " Initialization failed");
  return ok;
}

} // namespace

bool InstallStartup(TKestrupContext &context) {
  TRunState &state = context.State;
  TKestrupEngine &engine = context.Engine;
  TFileSystem &files = context.Platform.Files;
  const std::string installer = engine.InstallerFolder();
  TInstallerFolderGuard guard(files, installer);
  engine.OpenLog();
  auto finish = [&](bool ok) { return LogInitialization(engine, ok); };
  if (installer.empty())
    return finish(false);
  if (state.ForAllUsers && !(state.UnsafeFolder = guard.Secure(engine)).empty())
    return finish(false);
  if (!engine.RecoverInterruptedRun())
    return finish(false);
  bool loaded = context.Archive.LoadDirectory(context.ProgramPath);
  state.FirstRun = !files.FileExists(installer + kInstallerProgram);
  // Every member is checked before the first is written, so a damaged file
  // installs nothing at all.
  state.SetupDamaged = context.Archive.Damaged() || (loaded && !context.Archive.VerifyMembers());
  if (!loaded || state.SetupDamaged) {
    if (state.SetupDamaged)
      engine.Log(" Error: the setup file is damaged");
    return finish(false);
  }

  // The installer's own files: the program (the later uninstaller), its
  // clean-up program and the language file when newer; the script always.
  auto log = [&](const std::string &message) { engine.Log(message); };
  for (const std::string &name : {kInstallerProgram, kCleanupProgram, kLanguageFileName, kScriptFile}) {
    TFileData member = context.Archive.LookupMember(name);
    const std::string target = installer + name;
    bool always = name == kScriptFile || guard.Corrected();
    if (member.Name.empty() ||
        ((always || MemberIsNewer(files, member, target)) &&
         !context.Archive.ExtractMember(member, target, "", "", log, {}))) {
      state.SetupDamaged = context.Archive.Damaged();
      return finish(false);
    }
  }
  context.LanguageFile = installer + kLanguageFileName;
  state.ScriptPath = installer + kScriptFile;

  if (context.Script.Open(state.ScriptPath, state.ScriptPath, "", "")) {
    ReadLanguages(context);
    TInstallScript script(context.Script);
    state.Product = ReadProductSettings(script);
    const TProductSettings &p = state.Product;
    if (!TitleUsable(engine, p))
      return finish(false);
    TScriptActions &actions = engine.Actions();
    const std::string key = engine.UninstallKey();
    std::string installed = actions.RegRead(p.RootKey, key, "ftString", "InstallDir");
    state.Reinstall = !installed.empty();
    state.InstallDir = state.Reinstall ? installed : engine.Expand(p.InstallDir);
    state.TotalSize = 0;
    const int32_t rows = script.RecordCount(kFilesTable);
    for (int32_t r = 1; r <= rows; ++r) {
      TFileData member = context.Archive.LookupMember(script.Field(kFilesTable, "FileName", r));
      if (!member.Name.empty())
        state.TotalSize += member.Size;
    }
    if (state.Reinstall) {
      state.ProgramGroup = actions.RegRead(p.RootKey, key, "ftString", "ProgramGroup");
    } else {
      state.GroupBase = p.RootKey == kHKeyCurrentUser    ? engine.FolderPath(sfPrograms)
                        : p.RootKey == kHKeyLocalMachine ? engine.FolderPath(sfCommonPrograms)
                                                         : "";
      state.ProgramGroup = engine.Expand(p.ProgramGroup);
    }
    if (p.IsUpdate)
      state.Reinstall = false;

    state.DesktopShortcutChecked = p.DesktopShortcut;
    if (p.DesktopShortcut && p.IsUpdate &&
        (p.RootKey == kHKeyCurrentUser || p.RootKey == kHKeyLocalMachine)) {
      std::string desktop = engine.FolderPath(p.RootKey == kHKeyCurrentUser ? sfDesktop : sfCommonDesktop);
      state.DesktopShortcutChecked = files.FileExists(desktop + p.ProgramTitle + ".LNK");
    }

    if (p.IsUpdate) {
      state.InstallDir = actions.RegRead(p.RootKey, key, "ftString", "InstallDir");
      if (!state.InstallDir.empty())
        state.ProgramGroup = actions.RegRead(p.RootKey, key, "ftString", "ProgramGroup");
      if (!state.InstallDir.empty() && !state.ProgramGroup.empty()) {
        context.Header = Title(p) + " (update)";
      } else {
        engine.Log(" Error: " + p.ProgramTitle + " " + p.ProgramVersion + " not installed");
        state.UpdateTargetMissing = true;
      }
    } else {
      context.Header = Title(p) + (state.Reinstall ? " (reinstall)" : " (install)");
    }
    if (state.Reinstall || p.IsUpdate) {
      std::string installedVersion = actions.RegRead(p.RootKey, key, "ftInteger", "ProgramVersionNumber");
      if (p.ProgramVersionNumber < NumberOrZero(installedVersion))
        state.NewerVersionInstalled = true;
    }
  }

  // The licence texts the archive holds; one that cannot be written is left out.
  for (const char *code : kLicenceCodes) {
    std::string name = std::string("Kestrup_lic_") + code + ".rtf";
    TFileData member = context.Archive.LookupMember(name);
    if (!member.Name.empty())
      context.Archive.ExtractMember(member, installer + name, "", "", log, {});
  }
  state.SetupDamaged = context.Archive.Damaged();
  return finish(!state.InstallDir.empty() && !state.ProgramGroup.empty() && !state.SetupDamaged);
}

bool UninstallStartup(TKestrupContext &context, const std::vector<std::string> &arguments) {
  TRunState &state = context.State;
  TKestrupEngine &engine = context.Engine;
  TFileSystem &files = context.Platform.Files;
  engine.OpenLog();
  auto finish = [&](bool ok) { return LogInitialization(engine, ok); };
  const std::string installer = engine.InstallerFolder();
  if (arguments.size() < 2 || AnsiLowerCase(arguments[0]) != "uninstall" ||
      AnsiLowerCase(arguments[1]).find(".inf") == std::string::npos || installer.empty())
    return finish(false);
  if (!engine.RecoverInterruptedRun())
    return finish(false);
  context.LanguageFile = installer + kLanguageFileName;
  state.ScriptPath = arguments[1];
  if (!files.FileExists(context.LanguageFile) || !files.FileExists(state.ScriptPath))
    return finish(false);
  if (!context.Script.Open(state.ScriptPath, state.ScriptPath, "", ""))
    return finish(false);
  ReadLanguages(context);
  TInstallScript script(context.Script);
  state.Product = ReadUninstallSettings(script);
  const TProductSettings &p = state.Product;
  if (!TitleUsable(engine, p))
    return finish(false);
  state.ForAllUsers = p.RootKey == kHKeyLocalMachine;
  if (state.ForAllUsers && !(state.UnsafeFolder = TInstallerFolderGuard(files, installer).Secure(engine)).empty())
    return finish(false);
  TScriptActions &actions = engine.Actions();
  const std::string key = engine.UninstallKey();
  state.InstallDir = actions.RegRead(p.RootKey, key, "ftString", "InstallDir");
  if (!state.InstallDir.empty())
    state.ProgramGroup = actions.RegRead(p.RootKey, key, "ftString", "ProgramGroup");
  if (state.InstallDir.empty() || state.ProgramGroup.empty())
    return finish(false);
  context.Header = Title(p) + " (uninstall)";
  const std::string own = AnsiLowerCase(ExtractFileName(state.ScriptPath));
  state.LastProduct = true;
  for (const TFolderEntry &entry : files.FindEntries(installer, "*.inf"))
    if ((entry.Attributes & kFileAttributeDirectory) == 0 && AnsiLowerCase(entry.Name) != own)
      state.LastProduct = false;
  return finish(true);
}

bool RunIsForAllUsers(TEnginePlatform &platform, const std::string &setupPath,
                      const TRunRequest &request, const std::string &scratchFile) {
  std::string scriptPath;
  if (request.Mode == TRunMode::Uninstall) {
    if (request.Arguments.size() < 2)
      return false;
    scriptPath = request.Arguments[1];
  } else {
    TArchive archive(platform.Files);
    TFileData member;
    if (archive.LoadDirectory(setupPath))
      member = archive.LookupMember(kScriptFile);
    if (member.Name.empty() ||
        !archive.ExtractMember(member, scratchFile, "", "", [](const std::string &) {}, {})) {
      platform.Files.RemoveFile(scratchFile);
      return false;
    }
    scriptPath = scratchFile;
  }
  TStrovdexObject db(platform.Files, platform.Locale);
  bool forAll = false;
  if (db.Open(scriptPath, scriptPath, "", "")) {
    TInstallScript script(db);
    forAll = ReadProductSettings(script).RootKey == kHKeyLocalMachine;
    db.Close();
  }
  if (scriptPath == scratchFile)
    platform.Files.RemoveFile(scratchFile);
  return forAll;
}

int32_t StoredLanguage(TKestrupContext &context, int32_t current) {
  const std::string installer = context.Engine.InstallerFolder();
  if (installer.empty() || !context.Platform.Files.FileExists(installer + kSettingsFile))
    return current;
  std::string stored =
      context.Engine.Actions().IniRead(installer + kSettingsFile, "Common", "LngID", std::to_string(current));
  int64_t number;
  return ParseDecimal(stored, INT32_MIN, INT32_MAX, number) ? static_cast<int32_t>(number) : current;
}

const TLanguageEntry *FindLanguage(const TKestrupContext &context, int32_t number) {
  for (const TLanguageEntry &entry : context.Languages)
    if (entry.Number == number)
      return &entry;
  return nullptr;
}

void CloseProductWindows(TKestrupContext &context, IDesktopWindows &windows, IEnginePage &page) {
  const std::string &title = context.State.Product.ProgramTitle;
  if (title.empty())
    return;
  for (int request = 0; windows.ClassExists(title); ++request) {
    if (request == kMaxCloseRequests) {
      context.Engine.Log(" Error: " + title + " did not close");
      return;
    }
    windows.CloseClass(title);
    page.ProcessMessages();
    page.Wait(1000);
  }
}

std::string InstallStartupMessage(const TKestrupContext &context, bool succeeded) {
  const TRunState &state = context.State;
  const std::string &title = state.Product.ProgramTitle;
  if (!succeeded) {
    if (state.UpdateTargetMissing && state.Product.IsUpdate)
      return title + " is not installed\r\n\r\nUnable to install update!";
    if (state.SetupDamaged)
      return "The setup file is damaged: nothing was installed.\r\n\r\n"
             "Please obtain a new copy of the setup file.";
    if (!state.UnsafeFolder.empty())
      return "Other users of this computer may change the installer's folder\r\n" + state.UnsafeFolder +
             "\r\nand its permissions could not be corrected: nothing was installed.\r\n\r\n"
             "Please ask an administrator to check the folder's permissions.";
    return "Fatal error initializing!";
  }
  if (state.NewerVersionInstalled)
    return "A higher version than of " + title + " is installed\r\n\r\nUnable to install this lower version!";
  return "";
}

bool ProveFolder(TKestrupContext &context, const std::string &folder) {
  TFileSystem &files = context.Platform.Files;
  if (folder.empty())
    return false;
  if (files.DirectoryExists(folder))
    return true;
  // The levels missing now, innermost first: each goes again.
  std::vector<std::string> missing;
  for (std::string level = IncludeTrailingBackslash(folder); level.size() > 3 && !files.DirectoryExists(level);
       level = ExtractFilePath(level.substr(0, level.size() - 1)))
    missing.push_back(level);
  if (!files.ForceDirectories(folder))
    return false;
  for (const std::string &level : missing) {
    files.SetAttributes(level, kFileAttributeDirectory);
    files.RemoveFolder(level);
  }
  return true;
}
