// Fresh install and update: the Files, Ini Files, Registry and Shortcuts rows
// in record order, the desktop shortcut and the uninstall entry. A fresh
// install applies every row; an update checks, removes or applies each row by
// its Status. Every failure is logged and collected; the next row follows,
// except after a failure the product cannot be left with (a file, ini value,
// registry value or the uninstall entry that cannot be written) or a cancel:
// the run stops there and every change it made is reversed from the undo
// journal. docs/ROLLBACK.md gives the rule.
#include "kestrup/EngineContext.h"

#include "base/Progress.h"
#include <algorithm>
#include "kestrup/EngineTexts.h"
#include "kestrup/InstallerPaths.h"

namespace {

class TInstallPass {
public:
  TInstallPass(TEngineContext &context, bool update)
      : c_(context), page_(context.Page), update_(update) {}
  void Run();

private:
  // The page's labels and file bar as a phase begins.
  void BeginPhase(int fileLabel, int message);
  // What an update does with a row of this status; a fresh install applies all.
  bool Applies(const std::string &status) const { return !update_ || status == kStatusIncluded; }
  static bool Checked(const std::string &status) { return status.empty(); }
  static bool Removed(const std::string &status) { return status == kStatusObsolescent; }

  // Every row of a table, the file bar at its share before each; a row
  // whose apply(row, status) fails fails the run, and with writesAreFatal a
  // row that was to be written stops it.
  template <class TRow, class TApply> void RowPhase(TApply apply, bool writesAreFatal);
  void FilesPhase();
  void IniPhase();
  void RegistryPhase();
  void ShortcutsPhase();
  void DesktopShortcut();
  void UninstallEntry();
  // The sizes of the script's files as they are now installed.
  int64_t InstalledBytes();
  bool ApplyFile(const TFileRow &row, int64_t &overall);
  void ShowFile(int text, const std::string &target);
  void LogMessage(const std::string &message) { c_.Log.Write(message); }
  // A failure the product cannot be left with: the run stops and is rolled back.
  void Fatal() { fatal_ = true; }
  // The run is to stop: a fatal failure, or the user cancelled.
  bool Stopped();
  // Every change reversed; the page and the log say so.
  void RollBack();

  TEngineContext &c_;
  IEnginePage &page_;
  bool update_;
  bool fatal_ = false, cancelled_ = false;
};

bool TInstallPass::Stopped() {
  if (!fatal_ && !cancelled_ && page_.CancelRequested()) {
    cancelled_ = true;
    c_.State.Cancelled = true;
    LogMessage(" The installation was cancelled");
  }
  return fatal_ || cancelled_;
}

void TInstallPass::RollBack() {
  page_.EnableButtons(false, false, false);
  page_.SetLabel(TPageLabel::InstallMessage, c_.Text(etRestoringPrevious));
  page_.SetLabel(TPageLabel::FileProgress, "");
  page_.ProcessMessages();
  c_.RollBackRun();
}

void TInstallPass::BeginPhase(int fileLabel, int message) {
  page_.SetLabel(TPageLabel::FileProgress, c_.Text(fileLabel));
  page_.SetBar(TPageBar::FileProgress, 0, 100);
  page_.SetLabel(TPageLabel::InstallMessage, c_.Text(message));
}

void TInstallPass::ShowFile(int text, const std::string &target) {
  page_.SetLabel(TPageLabel::FileProgress,
                 c_.Text(text) + page_.FitPath(TPageLabel::FileProgress, target));
  page_.SetBar(TPageBar::FileProgress, 0, 100);
}

void TInstallPass::Run() {
  page_.EnableButtons(false, false, true); // Cancel stops the run and rolls it back
  page_.SetLabel(TPageLabel::FileProgress, "");
  page_.SetBar(TPageBar::FileProgress, 0, 100);
  page_.SetBar(TPageBar::InstallProgress, 0, c_.State.TotalSize);
  page_.SetLabel(TPageLabel::InstallMessage, c_.Text(etCopyingFiles));
  // Without an installer folder there is nowhere to keep a journal.
  const std::string journal = c_.JournalPath();
  if (!journal.empty() && !c_.Journal.Begin(journal))
    Fatal();
  if (c_.HasScript()) {
    if (!Stopped())
      FilesPhase();
    if (!Stopped()) {
      BeginPhase(etWritingIniFiles, etCreatingIniFiles);
      IniPhase();
    }
    if (!Stopped()) {
      BeginPhase(etWritingRegistry, etUpdatingRegistry);
      RegistryPhase();
    }
    if (!Stopped()) {
      BeginPhase(etCreatingShortcut, etCreatingShortcuts);
      DesktopShortcut();
      ShortcutsPhase();
    }
  } else {
    c_.Failed();
  }
  if (!Stopped()) {
    BeginPhase(etWritingRegistry, etUpdatingRegistry);
    UninstallEntry();
  }
  if (Stopped()) {
    RollBack();
  } else {
    c_.Journal.Commit();
    if (!c_.State.ErrorsLogged)
      c_.State.Completed = true;
  }
  page_.EnableButtons(false, true, false);
  page_.ShowFinishPage();
}

bool TInstallPass::ApplyFile(const TFileRow &row, int64_t &overall) {
  std::string targetDir = row.TargetDir();
  std::string fileName = row.FileName();
  if (!c_.Archive)
    return true;
  TFileData member = c_.Archive->LookupMember(fileName);
  if (member.Name.empty() || targetDir.empty())
    return true; // not a member or not meant to be installed: skipped silently
  std::string target = targetDir + fileName;
  if (HasParentElement(target)) {
    LogMessage(" Error: Unable to create " + target);
    return false;
  }
  ShowFile(etExtracting, target);
  TFileSystem &files = c_.Platform.Files;
  TDateTime existing = 0;
  if (!files.GetLastWriteTime(target, existing) || !files.FileExists(target))
    existing = 0;
  bool ok = true;
  if (member.Date <= 0 || member.Date > existing) {
    bool keepOld = false;
    ok = member.Offset != -1 && c_.Journal.FoldersMade(targetDir) &&
         c_.Journal.FileWritten(target, keepOld) &&
         c_.Archive->ExtractMember(member, target, row.FileAttributes(), row.DirectoryAttributes(),
                                   [this](const std::string &m) { LogMessage(m); },
                                   [this](int percent) {
                                     page_.SetBar(TPageBar::FileProgress, percent, 100);
                                     page_.ProcessMessages();
                                   },
                                   c_.InUseRetry(), keepOld);
    if (ok && c_.Archive->LastAwaitsRestart())
      c_.State.RestartNeeded = true;
  }
  if (ok) {
    // An uninstall may have left the file (still in use then) to be deleted
    // at the restart, which must take neither the copy kept nor a new one.
    c_.Platform.Files.CancelDeletionAtRestart(target);
    overall += member.Size;
    page_.SetBar(TPageBar::InstallProgress, overall, c_.State.TotalSize);
  }
  return ok;
}

void TInstallPass::FilesPhase() {
  auto rows = c_.Rows<TFileRow>();
  int64_t overall = 0;
  const int32_t n = rows.Count();
  for (int32_t r = 1; r <= n && !Stopped(); ++r) {
    TFileRow row = rows.Row(r);
    std::string status = row.Status();
    if (Applies(status)) {
      if (!ApplyFile(row, overall))
        Fatal();
      continue;
    }
    std::string targetDir = row.TargetDir();
    if (targetDir.empty())
      continue; // never installed, so nothing to check or remove
    std::string target = targetDir + row.FileName();
    if (HasParentElement(target)) {
      LogMessage(" Error: unable to find " + target);
      c_.Failed();
      continue;
    }
    if (Checked(status)) {
      ShowFile(etSearchingFor, target);
      if (!c_.Platform.Files.FileExists(target)) {
        LogMessage(" Error: unable to find " + target);
        c_.Failed();
      }
    } else if (Removed(status)) {
      ShowFile(etDeleting, target);
      if (!c_.Actions.DeletePath(target))
        c_.Failed();
    }
  }
}

template <class TRow, class TApply> void TInstallPass::RowPhase(TApply apply, bool writesAreFatal) {
  auto rows = c_.Rows<TRow>();
  const int32_t n = rows.Count();
  for (int32_t r = 1; r <= n && !Stopped(); ++r) {
    page_.SetBar(TPageBar::FileProgress, Percent(r, n), 100);
    TRow row = rows.Row(r);
    std::string status = row.Status();
    if (apply(row, status))
      continue;
    if (writesAreFatal && Applies(status))
      Fatal();
    else
      c_.Failed();
  }
}

void TInstallPass::IniPhase() {
  RowPhase<TIniRow>([this](const TIniRow &row, const std::string &status) {
    if (Applies(status))
      return c_.Actions.IniWrite(row.File(), row.Section(), row.Key(), row.Value());
    if (!Checked(status) && !Removed(status))
      return true;
    std::string file = row.File(), section = row.Section(), key = row.Key();
    return Checked(status) ? c_.Actions.IniValueExists(file, section, key)
                           : c_.Actions.IniDelete(file, section, key);
  }, true);
}

void TInstallPass::RegistryPhase() {
  RowPhase<TRegistryRow>([this](const TRegistryRow &row, const std::string &status) {
    if (!Applies(status) && !Checked(status) && !Removed(status))
      return true;
    TRootKey root = row.Root();
    if (Applies(status))
      return c_.Actions.RegWrite(root, row.Key(), row.Type(), row.Data(), row.Name());
    std::string key = row.Key();
    return Checked(status) ? c_.Actions.RegKeyExists(root, key)
                           : c_.Actions.RegDeleteValue(root, key, row.Name());
  }, true);
}

void TInstallPass::ShortcutsPhase() {
  RowPhase<TShortcutRow>([this](const TShortcutRow &row, const std::string &status) {
    if (Applies(status))
      return c_.Actions.CreateShortcut(row.Location(), row.Description(), row.HotKey(),
                                       row.WorkingDir(), row.Params(), row.IconIndex(),
                                       row.IconFile(), row.Target());
    if (Removed(status))
      return c_.Actions.DeletePath(row.LinkFile(c_.Platform.Shell));
    if (!Checked(status))
      return true;
    std::string path = row.LinkFile(c_.Platform.Shell);
    if (c_.Platform.Files.FileExists(path))
      return true;
    LogMessage(" Error: unable to find " + path);
    return false;
  }, false);
}

void TInstallPass::DesktopShortcut() {
  const TProductSettings &product = c_.State.Product;
  if (!product.DesktopShortcut || !c_.State.DesktopShortcutChecked)
    return;
  std::string desktop = c_.DesktopFor(product.RootKey);
  if (product.RootKey != kHKeyCurrentUser && product.RootKey != kHKeyLocalMachine)
    return;
  std::string module = c_.Expand(product.ProgramModule);
  if (!c_.Actions.CreateShortcut(desktop, product.ProgramTitle, "", ExtractFilePath(module), "", 0,
                                 module, module))
    c_.Failed();
}

void TInstallPass::UninstallEntry() {
  const TProductSettings &product = c_.State.Product;
  TRootKey root = product.RootKey;
  std::string key = c_.UninstallKey();
  if (key.empty()) {
    Fatal();
    return;
  }
  // Without its entry the product could not be removed again.
  auto write = [&](const std::string &type, const std::string &data, const std::string &name) {
    if (!fatal_ && !c_.Actions.RegWrite(root, key, type, data, name))
      Fatal();
  };
  write("ftString", product.ProgramTitle + " " + product.ProgramVersion, "DisplayName");
  page_.SetBar(TPageBar::FileProgress, 20, 100);
  if (root == kHKeyCurrentUser || root == kHKeyLocalMachine) {
    TFileData member = c_.Archive ? c_.Archive->LookupMember(kScriptFile) : TFileData();
    if (member.Name.empty()) {
      Fatal();
    } else {
      std::string scriptFolder =
          c_.FolderPath(root == kHKeyCurrentUser ? sfAppData : sfCommonAppData);
      std::string copy = scriptFolder + kInstallerSubfolder + product.ProgramLabel + ".inf";
      bool keepOld = false;
      if (!c_.Journal.FoldersMade(ExtractFilePath(copy)) || !c_.Journal.FileWritten(copy, keepOld) ||
          !c_.Archive->ExtractMember(member, copy, "", "",
                                     [this](const std::string &m) { LogMessage(m); }, {}, {},
                                     keepOld)) {
        Fatal();
      } else {
        std::string uninstaller =
            c_.FolderPath(sfCommonAppData) + kInstallerSubfolder + kInstallerProgram;
        std::string command = "\"" + uninstaller + "\" \"uninstall\" \"" + copy + "\"";
        write("ftString", command, "UninstallString");
        write("ftString", command + " /silent", "QuietUninstallString");
      }
    }
  }
  page_.SetBar(TPageBar::FileProgress, 40, 100);
  write("ftString", c_.State.InstallDir, "InstallDir");
  page_.SetBar(TPageBar::FileProgress, 60, 100);
  write("ftString", c_.Expand("[ftProgramGroup]"), "ProgramGroup");
  page_.SetBar(TPageBar::FileProgress, 80, 100);
  write("ftInteger", std::to_string(product.ProgramVersionNumber), "ProgramVersionNumber");
  // What the control panel's list of programs shows besides the name.
  write("ftString", c_.Expand(product.ProgramModule), "DisplayIcon");
  write("ftString", product.ProgramVersion, "DisplayVersion");
  write("ftString", kMakerName, "Publisher");
  write("ftString", c_.State.InstallDir, "InstallLocation");
  write("ftInteger", std::to_string((InstalledBytes() + 1023) / 1024), "EstimatedSize");
  write("ftInteger", "1", "NoModify");
  write("ftInteger", "1", "NoRepair");
  page_.SetBar(TPageBar::FileProgress, 100, 100);
}

int64_t TInstallPass::InstalledBytes() {
  auto rows = c_.Rows<TFileRow>();
  int64_t total = 0;
  for (int32_t r = 1; r <= rows.Count(); ++r) {
    TFileRow row = rows.Row(r);
    if (row.TargetDir().empty())
      continue;
    if (auto file = c_.Platform.Files.OpenRead(row.TargetDir() + row.FileName()))
      total += std::max<int64_t>(0, file->Size());
  }
  return total;
}

} // namespace

void RunInstall(TEngineContext &context, bool update) { TInstallPass(context, update).Run(); }
