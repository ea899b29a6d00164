#include "kestrup/RunRequest.h"

#include "base/AnsiText.h"

namespace {
const std::string kSilent = "/silent";
} // namespace

TRunRequest ReadRunRequest(const std::vector<std::string> &arguments) {
  TRunRequest request;
  request.Arguments = arguments;
  if (arguments.empty())
    return request;
  std::string first = AnsiLowerCase(arguments[0]);
  if (first == kSilent && arguments.size() == 1) {
    request.Silent = true;
  } else if (first == "uninstall") {
    request.Mode = TRunMode::Uninstall;
    for (size_t i = 2; i < arguments.size(); ++i)
      if (AnsiLowerCase(arguments[i]) == kSilent)
        request.Silent = true;
  } else {
    request.Refused = true;
  }
  return request;
}

TExitCode ExitCodeOf(const TRunState &state) {
  if (state.SetupDamaged)
    return ecSetupDamaged;
  if (state.RolledBack)
    return state.Cancelled ? ecCancelled : ecRolledBack;
  if (state.Completed)
    return state.RestartNeeded ? ecRestartNeeded : ecSuccess;
  if (state.Cancelled)
    return ecCancelled;
  if (state.UpdateTargetMissing)
    return ecNotInstalled;
  if (state.NewerVersionInstalled)
    return ecNewerVersionInstalled;
  if (state.FatalError)
    return ecStartupFailed;
  return ecErrorsLogged;
}
