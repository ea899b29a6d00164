#include "kestrup/SilentRun.h"

#include "kestrup/Startup.h"

namespace {

// Adds the missing trailing backslash, then proves the folder can be made.
bool PrepareFolder(TKestrupContext &context, std::string &folder, const std::string &expanded,
                   const char *error) {
  if (!folder.empty() && folder.back() != '\\')
    folder += '\\';
  if (ProveFolder(context, expanded.empty() ? folder : context.Engine.Expand(expanded)))
    return true;
  context.Engine.Log(std::string(" Error: ") + error);
  context.State.ErrorsLogged = true;
  return false;
}

} // namespace

TExitCode RunSilent(TKestrupContext &context, const TRunRequest &request, IDesktopWindows &windows,
                    IEnginePage &page) {
  TRunState &state = context.State;
  state.Silent = true;
  state.Mode = request.Mode;
  // The language chosen last stays stored for the next run with a window.
  context.SetLanguage(StoredLanguage(context, 44));
  const bool install = request.Mode == TRunMode::Install;
  bool ok = install ? InstallStartup(context) : UninstallStartup(context, request.Arguments);
  if (!install && !ok && state.InstallDir.empty())
    state.UpdateTargetMissing = true; // nothing installed to remove
  if (!ok && !state.UpdateTargetMissing)
    state.FatalError = true;
  if (!ok || state.NewerVersionInstalled) {
    state.EndedAtStartup = true;
    context.Engine.CloseDown();
    return ExitCodeOf(state);
  }
  CloseProductWindows(context, windows, page);
  TExitCode failure = ecSuccess;
  if (!install) {
    context.Engine.Uninstall();
  } else if (!state.Reinstall && !state.Product.IsUpdate &&
             (!PrepareFolder(context, state.InstallDir, "", "Unable to create program folder") ||
              !PrepareFolder(context, state.ProgramGroup, "[ftProgramGroup]",
                             "Unable to create program group"))) {
    failure = ecFolderNotCreated;
  } else if (state.Product.IsUpdate) {
    context.Engine.UpdateInstall();
  } else {
    context.Engine.FreshInstall();
  }
  state.SetupDamaged = state.SetupDamaged || context.Archive.Damaged();
  context.Engine.CloseDown();
  return failure != ecSuccess ? failure : ExitCodeOf(state);
}
