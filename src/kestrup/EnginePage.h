#pragma once
// What the install and uninstall engine shows while it works: the wizard's
// install page (file label and bar, overall bar, message) and uninstall page
// (progress label and bar, message, bottom label), the three buttons, and the
// host's message pump. The wizard implements it on its window; tests
// implement it headlessly.

#include <cstdint>
#include <string>

enum class TPageLabel {
  FileProgress,      // install page: the file being handled
  InstallMessage,    // install page: the phase
  UninstallProgress, // uninstall page: the file being handled
  UninstallMessage,  // uninstall page: the phase
  UninstallBottom,   // uninstall page: what Next does now
};

enum class TPageBar {
  FileProgress,    // 0..100
  InstallProgress, // 0..TotalSize
  UninstallProgress,
};

class IEnginePage {
public:
  virtual ~IEnginePage() = default;
  virtual void EnableButtons(bool back, bool next, bool cancel) = 0;
  virtual void SetLabel(TPageLabel label, const std::string &text) = 0;
  virtual void SetBar(TPageBar bar, int64_t position, int64_t maximum) = 0;
  // The uninstall page's progress label and bar are shown only while it runs.
  virtual void ShowUninstallProgress(bool visible) = 0;
  // The path shortened with an ellipsis to fit two thirds of the label's width.
  virtual std::string FitPath(TPageLabel label, const std::string &path) = 0;
  // The wizard moves on to its finish page.
  virtual void ShowFinishPage() = 0;
  // The translated message text, or empty when the language file has none.
  virtual std::string MessageText(int number) = 0;
  virtual void ProcessMessages() = 0;
  // Sleeps the user-interface thread.
  virtual void Wait(uint32_t milliseconds) = 0;
  virtual void SetBusyCursor(bool busy) = 0;
  // Whether the finish page's "View the log file" box is checked.
  virtual bool ShowLogChecked() = 0;
  // Whether the user asked to cancel the run under way (and confirmed it).
  virtual bool CancelRequested() { return false; }
};
