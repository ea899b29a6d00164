#pragma once
// An installer run without a window (/silent): the script's folder and
// group, the language chosen last (English when none), no questions and no
// documents opened. The exit code tells how it ended (kestrup/RunRequest.h).

#include "kestrup/KestrupContext.h"
#include "kestrup/RunRequest.h"
#include "platform/DesktopWindows.h"

#include <functional>

// The engine's page of a run without a window: nothing is shown.
class TSilentPage final : public IEnginePage {
public:
  explicit TSilentPage(std::function<void(uint32_t)> sleep) : sleep_(std::move(sleep)) {}
  void EnableButtons(bool, bool, bool) override {}
  void SetLabel(TPageLabel, const std::string &) override {}
  void SetBar(TPageBar, int64_t, int64_t) override {}
  void ShowUninstallProgress(bool) override {}
  std::string FitPath(TPageLabel, const std::string &path) override { return path; }
  void ShowFinishPage() override {}
  std::string MessageText(int) override { return ""; }
  void ProcessMessages() override {}
  void Wait(uint32_t milliseconds) override {
    if (sleep_)
      sleep_(milliseconds);
  }
  void SetBusyCursor(bool) override {}
  bool ShowLogChecked() override { return false; }

private:
  std::function<void(uint32_t)> sleep_;
};

// Installs (request.Mode Install) or uninstalls (the script named by the
// arguments) start to end, closing the product's running copies first.
TExitCode RunSilent(TKestrupContext &context, const TRunRequest &request, IDesktopWindows &windows,
                    IEnginePage &page);
