#include "movaro/ProgramEntry.h"

#include "base/AnsiText.h"
#include "movaro/MainForm.h"

bool IsUninstallArgument(const std::vector<std::string> &arguments) {
  return !arguments.empty() && SameText(arguments[0], "uninstall");
}

TEntryAction DecideEntry(IWindowMessenger &windows, const std::vector<std::string> &arguments) {
  const bool uninstall = IsUninstallArgument(arguments);
  if (windows.WindowExists(kMainWindowClass)) {
    if (!uninstall) {
      windows.PostToWindow(kMainWindowClass, kShowYourselfMessage, 0, 0);
      return TEntryAction::eaHandedOver;
    }
    windows.PostToWindow(kMainWindowClass, kCloseRequestMessage, 0, 0);
  }
  return uninstall ? TEntryAction::eaUninstall : TEntryAction::eaRun;
}

bool SplitUninstallCommand(const std::string &command, TUninstallCommand &split) {
  split = {};
  if (command.empty())
    return false;
  if (command[0] == '"') {
    size_t close = command.find('"', 1);
    if (close == std::string::npos)
      return false;
    split.Program = command.substr(1, close - 1);
    // The parameters follow the closing quote and its separating blank.
    if (close + 2 < command.size())
      split.Parameters = command.substr(close + 2);
  } else {
    size_t start = command.find(" \"");
    split.Program = command.substr(0, start);
    if (start != std::string::npos)
      split.Parameters = command.substr(start + 1);
  }
  return !TrimChars(split.Program, " ").empty();
}

bool StartUninstaller(IRegistry &registry, IShell &shell) {
  TRegValue value;
  if (registry.ReadValue(kHKeyLocalMachine, kUninstallKey, "UninstallString", value) !=
          TRegStatus::Ok ||
      value.Type != kRegString)
    return false;
  TUninstallCommand command;
  if (!SplitUninstallCommand(value.Data.substr(0, value.Data.find('\0')), command))
    return false;
  size_t slash = command.Program.find_last_of("\\/");
  std::string folder = slash == std::string::npos ? "" : command.Program.substr(0, slash + 1);
  return shell.Open(command.Program, command.Parameters, folder) > 32;
}

int32_t LanguageFromRegionalSetting(IRegistry &registry) {
  TRegValue value;
  if (registry.ReadValue(kHKeyCurrentUser, "Control Panel\\International", "sLanguage", value) !=
          TRegStatus::Ok ||
      value.Type != kRegString)
    return 44;
  const std::string code = AnsiLowerCase(value.Data.substr(0, 2));
  if (code == "nl")
    return 31;
  if (code == "fr")
    return 33;
  if (code == "es")
    return 34;
  if (code == "it")
    return 39;
  if (code == "de")
    return 49;
  return 44;
}
