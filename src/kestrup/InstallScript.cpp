#include "kestrup/InstallScript.h"

#include "base/AnsiText.h"

#include <cctype>
#include <cstdlib>

std::string TInstallScript::Default(const std::string &key) {
  int32_t record = db_.FindRecord(kDefaultsTable, "Description", key);
  return record > 0 ? db_.FieldText(kDefaultsTable, "Value", record) : "";
}

bool SwitchOn(const std::string &value) { return value == "True"; }

int32_t NumberOrZero(const std::string &text) {
  if (text.empty())
    return 0;
  size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (i == text.size())
    return 0;
  int64_t value = 0;
  for (size_t j = i; j < text.size(); ++j) {
    if (!std::isdigit(static_cast<unsigned char>(text[j])))
      return 0;
    value = value * 10 + (text[j] - '0');
    if (value > 0x80000000LL)
      return 0;
  }
  if (text[0] == '-')
    value = -value;
  if (value > INT32_MAX || value < INT32_MIN)
    return 0;
  return static_cast<int32_t>(value);
}

bool UsableProductTitle(const std::string &title) {
  return !title.empty() && title.find('\\') == std::string::npos;
}

namespace {

void ReadCommon(TInstallScript &script, TProductSettings &s) {
  s.RootKey = RootKeyFromName(script.Default("ProgramTarget"), kHKeyCurrentUser);
  s.ProgramModule = script.Default("ProgramModule");
  s.ProgramTitle = script.Default("ProgramTitle");
  s.ProgramLabel = script.Default("ProgramLabel").substr(0, 8);
  s.ProgramTag = script.Default("ProgramTag").substr(0, 3);
  s.ProgramVersion = script.Default("ProgramVersion");
  s.ProgramVersionNumber = NumberOrZero(script.Default("ProgramVersionNumber"));
  s.LanguagePage = SwitchOn(script.Default("LanguagePage"));
  s.DesktopShortcut = SwitchOn(script.Default("DesktopShortcut"));
}

} // namespace

TProductSettings ReadProductSettings(TInstallScript &script) {
  TProductSettings s;
  ReadCommon(script, s);
  s.InstallDir = script.Default("InstallDir");
  s.ProgramGroup = script.Default("ProgramGroup");
  s.ReadmeFile = script.Default("ReadmeFile");
  s.LicencePage = SwitchOn(script.Default("LicencePage"));
  s.ProgramFolderPage = SwitchOn(script.Default("ProgramFolderPage"));
  s.ProgramGroupPage = SwitchOn(script.Default("ProgramGroupPage"));
  s.SummaryPage = SwitchOn(script.Default("SummaryPage"));
  s.FinishLaunchProgram = SwitchOn(script.Default("FinishLaunchProgram"));
  s.FinishViewReadme = SwitchOn(script.Default("FinishViewReadme"));
  s.IsUpdate = SwitchOn(script.Default("IsUpdate"));
  return s;
}

TProductSettings ReadUninstallSettings(TInstallScript &script) {
  TProductSettings s;
  ReadCommon(script, s);
  return s;
}

namespace {

struct TRootName {
  const char *Name;
  TRootKey Root;
};
constexpr TRootName kRootNames[] = {
    {"HKEY_CLASSES_ROOT", kHKeyClassesRoot},         {"HKEY_CURRENT_USER", kHKeyCurrentUser},
    {"HKEY_LOCAL_MACHINE", kHKeyLocalMachine},       {"HKEY_USERS", kHKeyUsers},
    {"HKEY_PERFORMANCE_DATA", kHKeyPerformanceData}, {"HKEY_CURRENT_CONFIG", kHKeyCurrentConfig},
    {"HKEY_DYN_DATA", kHKeyDynData},
};

std::string AsciiLower(std::string text) {
  for (char &c : text)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c + 32);
  return text;
}

// Position of the first occurrence of the pattern without regard to case.
size_t FindNoCase(const std::string &text, const std::string &pattern) {
  if (pattern.size() > text.size())
    return std::string::npos;
  for (size_t i = 0; i + pattern.size() <= text.size(); ++i) {
    size_t j = 0;
    while (j < pattern.size() && AnsiUpperChar(text[i + j]) == AnsiUpperChar(pattern[j]))
      ++j;
    if (j == pattern.size())
      return i;
  }
  return std::string::npos;
}

} // namespace

TRootKey RootKeyFromName(const std::string &name, TRootKey defaultRoot) {
  for (const TRootName &r : kRootNames)
    if (name == r.Name)
      return r.Root;
  return defaultRoot;
}

std::string RootKeyName(TRootKey root) {
  for (const TRootName &r : kRootNames)
    if (root == r.Root)
      return r.Name;
  return "";
}

std::string TShellFolders::FolderPath(TShellFolder folder) {
  const int number = folder;
  static const char *const kUserNames[] = {
      "Administrative Tools", "Administrative Tools", "AppData", "Cache", "Cookies", "Desktop",
      "Favorites", "Fonts", "History", "Local AppData", "Local Settings", "My Pictures", "NetHood",
      "Personal", "PrintHood", "Programs", "Recent", "SendTo", "Start Menu", "Startup", "Templates"};
  static const char *const kCommonNames[] = {"Common AppData", "Common Desktop", "Common Programs",
                                             "Common Start Menu", "Common Startup"};
  // A common folder the system does not name falls back to the user's.
  static const TShellFolder kFallbacks[] = {sfAppData, sfDesktop, sfPrograms, sfStartMenu,
                                            sfStartup};
  if (number >= sfAdminTools && number <= sfTemplates)
    return read_(kHKeyCurrentUser, kShellFoldersKey, kUserNames[number]) + "\\";
  if (number >= sfCommonAppData && number <= sfCommonStartup) {
    const int common = number - sfCommonAppData;
    std::string path = read_(kHKeyLocalMachine, kShellFoldersKey, kCommonNames[common]) + "\\";
    return path == "\\" ? FolderPath(kFallbacks[common]) : path;
  }
  if (folder == sfProgramFiles)
    return read_(kHKeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                 "ProgramFilesDir") + "\\";
  if (folder == sfSystem32)
    return shell_.SystemFolder();
  if (folder == sfWindows)
    return shell_.WindowsFolder();
  return "";
}

std::string ExpandPlaceholders(const std::string &text, const TPlaceholderValues &values,
                               TShellFolders &folders) {
  struct TFolderPlaceholder {
    const char *Name;
    TShellFolder Folder;
  };
  static const TFolderPlaceholder kFolders[] = {
      {"[ftAdminTools]", sfAdminTools},
      {"[ftAdministrativeTools]", sfAdministrativeTools},
      {"[ftAppData]", sfAppData},
      {"[ftCache]", sfCache},
      {"[ftCookies]", sfCookies},
      {"[ftDesktop]", sfDesktop},
      {"[ftFavorites]", sfFavorites},
      {"[ftFonts]", sfFonts},
      {"[ftHistory]", sfHistory},
      {"[ftLocalAppData]", sfLocalAppData},
      {"[ftLocalSettings]", sfLocalSettings},
      {"[ftMyPictures]", sfMyPictures},
      {"[ftNetHood]", sfNetHood},
      {"[ftPersonal]", sfPersonal},
      {"[ftPrintHood]", sfPrintHood},
      {"[ftPrograms]", sfPrograms},
      {"[ftRecent]", sfRecent},
      {"[ftSendTo]", sfSendTo},
      {"[ftStartMenu]", sfStartMenu},
      {"[ftStartup]", sfStartup},
      {"[ftTemplates]", sfTemplates},
      {"[ftCommonAppData]", sfCommonAppData},
      {"[ftCommonDesktop]", sfCommonDesktop},
      {"[ftCommonPrograms]", sfCommonPrograms},
      {"[ftCommonStartMenu]", sfCommonStartMenu},
      {"[ftCommonStartup]", sfCommonStartup},
      {"[ftProgramFiles]", sfProgramFiles},
      {"[ftSystem16]", sfSystem16},
      {"[ftSystem32]", sfSystem32},
      {"[ftWindows32]", sfWindows},
      {"%SystemRoot%\\", sfWindows},
  };
  std::string result = text;
  const std::string probe = AsciiLower(text);
  // The value goes where the placeholder was found, so a value that itself
  // contains the placeholder's text is kept whole.
  auto replace = [&](const std::string &placeholder, const std::function<std::string()> &value) {
    if (probe.find(AsciiLower(placeholder)) == std::string::npos)
      return;
    std::string v = value();
    size_t at = FindNoCase(result, placeholder);
    if (at != std::string::npos)
      result.replace(at, placeholder.size(), v);
  };
  replace("[ProgramTarget]", [&] { return RootKeyName(values.RootKey); });
  replace("[ProgramTitle]", [&] { return values.ProgramTitle; });
  replace("[ProgramLabel]", [&] { return values.ProgramLabel; });
  replace("[ProgramTag]", [&] { return values.ProgramTag; });
  replace("[ProgramVersion]", [&] { return values.ProgramVersion; });
  replace("[ProgramVersionNumber]", [&] { return std::to_string(values.ProgramVersionNumber); });
  replace("[ftInstallDir]", [&] { return values.InstallDir; });
  replace("[ftProgramGroup]", [&] { return values.GroupBase + values.ProgramGroup; });
  for (const TFolderPlaceholder &f : kFolders)
    replace(f.Name, [&] { return folders.FolderPath(f.Folder); });
  return result;
}
