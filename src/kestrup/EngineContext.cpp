#include "kestrup/EngineContext.h"

#include "kestrup/EngineTexts.h"
#include "kestrup/InstallerPaths.h"

TEngineContext::TEngineContext(const TEnginePlatform &platform, TRunState &state, IEnginePage &page)
    : Platform(platform), State(state), Page(page),
      Log(platform.Files, platform.Clock, platform.Locale),
      Journal(platform, Log),
      Actions(platform, Log, [this](const std::string &text) { return Expand(text); }, Journal),
      noScript_(platform.Files, platform.Locale),
      // Folder values are read through the logging registry read, as the
      // script's own reads are.
      folders_([this](TRootKey root, const std::string &key,
                      const std::string &name) { return Actions.RegRead(root, key, "ftString", name); },
               platform.Shell),
      expand_([this](const std::string &text) {
        return ExpandPlaceholders(text, PlaceholderValues(), folders_);
      }) {
  Journal.SetFolderRemover([this](const std::string &folder) { Actions.RemoveEmptyFolders(folder); });
}

TInUseRetry TEngineContext::InUseRetry() {
  TInUseRetry retry;
  retry.Retries = 5;
  retry.WaitMs = 1000;
  retry.Wait = [this](uint32_t milliseconds) {
    Page.ProcessMessages();
    Page.Wait(milliseconds);
    Page.ProcessMessages();
  };
  retry.AtRestart = true;
  return retry;
}

std::string TEngineContext::Text(int number) {
  std::string text = Page.MessageText(number);
  return text.empty() ? EnglishEngineText(number) : text;
}

std::string TEngineContext::InstallerFolder() {
  // Without an application data folder the value is a bare "\", which would
  // put the installer's files at the top of the current drive: none then.
  std::string common = FolderPath(sfCommonAppData);
  return common.size() < 2 ? "" : common + kInstallerSubfolder;
}

std::string TEngineContext::LogPath() {
  if (logPath_.empty()) {
    std::string installer = InstallerFolder();
    if (!installer.empty())
      logPath_ = installer + kLogFile;
  }
  return logPath_;
}

std::string TEngineContext::JournalPath() {
  std::string installer = InstallerFolder();
  return installer.empty() ? "" : installer + kJournalFile;
}

bool TEngineContext::RecoverInterruptedRun() {
  std::string path = JournalPath();
  if (path.empty())
    return true;
  TUndoJournal::TLeftOver left = Journal.Recover(path);
  State.RecoveredRun = left == TUndoJournal::TLeftOver::RolledBack;
  return left != TUndoJournal::TLeftOver::Failed;
}

void TEngineContext::RollBackRun() {
  Log.Write(" Restoring the previous version");
  if (Journal.RollBack())
    Log.Write(" The previous version was restored");
  else
    Log.Write(" Error: the previous version could not be restored completely");
  Failed();
  State.RolledBack = true;
  State.RestartNeeded = false; // what waited for the restart was taken back too
}

std::string TEngineContext::DesktopFor(TRootKey root) {
  if (root == kHKeyCurrentUser)
    return FolderPath(sfDesktop);
  if (root == kHKeyLocalMachine)
    return FolderPath(sfCommonDesktop);
  return "";
}

TPlaceholderValues TEngineContext::PlaceholderValues() const {
  TPlaceholderValues v;
  v.RootKey = State.Product.RootKey;
  v.ProgramTitle = State.Product.ProgramTitle;
  v.ProgramLabel = State.Product.ProgramLabel;
  v.ProgramTag = State.Product.ProgramTag;
  v.ProgramVersion = State.Product.ProgramVersion;
  v.ProgramVersionNumber = State.Product.ProgramVersionNumber;
  v.InstallDir = State.InstallDir;
  v.GroupBase = State.GroupBase;
  v.ProgramGroup = State.ProgramGroup;
  return v;
}
