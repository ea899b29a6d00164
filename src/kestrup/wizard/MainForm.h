#pragma once
// The installer's wizard window: a header, a picture panel, the pages (one
// shown at a time, no tabs) and the Back, Next and Cancel buttons. Which page
// Next and Back lead to depends on the script's page switches and on the kind
// of run (reinstall, update); skipped pages still run their leaving steps
// (the program folder and group are created once to prove they can be).
// The window is the engine's page: it shows the progress of an install or
// uninstall and lets messages run while the engine works.

#include "kestrup/EnginePage.h"
#include "kestrup/KestrupContext.h"
#include "platform/DesktopWindows.h"
#include "ui/Controls.h"
#include "ui/Forms.h"

#include <functional>
#include <string>
#include <vector>

namespace kestrup {

// The wizard's window class: a second start finds it by this name and posts
// it the "show yourself" message.
inline const std::string kWindowClass = "Kestrup";
inline const std::string kApplicationTitle = "Kestrup";
inline const std::string kWindowCaption = "Kestrup 1.0.8.1";
constexpr uint32_t kShowYourselfMessage = 0x0400 + 0x1000;
// The translator's form name for the window and its dialogs.
inline const std::string kFormName = "MainForm";

// Page positions, in their fixed order.
enum TWizardPage : int {
  wpLanguage, wpLicence, wpFolder, wpProgramGroup, wpSummary, wpInstall, wpFinish, wpUninstall,
};

class TMainForm : public TForm, public IEnginePage {
public:
  explicit TMainForm(TApplication &application);

  // The run's context and the desktop's other windows; Sleep waits on the
  // user-interface thread (injected: tests wait in virtual time).
  void Bind(TKestrupContext &context, IDesktopWindows &windows, std::function<void(uint32_t)> sleep);
  // Window creation: the language from the locale, then the start-up of the
  // mode the arguments ask for. A start-up that ends the run shows its
  // message and returns false: the caller closes the window.
  bool Start(const std::vector<std::string> &arguments);

  TWizardPage CurrentPage() const { return static_cast<TWizardPage>(Pages.ActivePageIndex()); }

  // The handlers, as the controls call them.
  void NextBtnClick();
  void BackBtnClick();
  void CancelBtnClick();
  void ApplyLanguage();
  // The folder page's two values; with the Next button when asked.
  void UpdateFreeSpace(bool withNext);
  void FolderChangeBtnClick();
  void ProgramgroupChangeBtnClick();

  // The dialogs' choices: a folder without its trailing backslash, a group
  // relative to the base; empty for Cancel or when the dialog is already
  // open (it is brought to the front instead).
  std::string ChooseFolder(const std::string &start);
  std::string ChooseProgramGroup(const std::string &base, const std::string &current);

  // IEnginePage
  void EnableButtons(bool back, bool next, bool cancel) override;
  void SetLabel(TPageLabel label, const std::string &text) override;
  void SetBar(TPageBar bar, int64_t position, int64_t maximum) override;
  void ShowUninstallProgress(bool visible) override;
  std::string FitPath(TPageLabel label, const std::string &path) override;
  void ShowFinishPage() override;
  std::string MessageText(int number) override;
  void ProcessMessages() override;
  void Wait(uint32_t milliseconds) override;
  void SetBusyCursor(bool busy) override;
  bool ShowLogChecked() override { return FinishShowLogfile.Checked(); }
  bool CancelRequested() override { return cancelRequested_; }

  TPanel &HeaderPnl;
  TLabel &HeaderLbl;
  TImage &ComputerImage;
  TPanel &PicturePnl;
  TImage &SetupImage;
  TNotebook &Pages;
  TPanel &ButtonPnl;
  TButton &BackBtn, &NextBtn, &CancelBtn;
  // Language
  TLabel &LanguageHeaderLbl;
  TComboBox &LanguageList;
  // Licence
  TLabel &LicenceHeaderLbl;
  TRichEdit &LicenceText;
  TRadioButton &LicenceAcceptRBtn, &LicenceDeclineRBtn;
  // Program folder
  TLabel &FolderHeaderLbl;
  TEdit &FolderEdit;
  TLabel &FolderFDSHeaderLbl, &FolderFDSLbl, &FolderFDSAIHeaderLbl, &FolderFDSAILbl;
  TButton &FolderChangeBtn, &FolderDefaultBtn;
  // Program group
  TLabel &ProgramgroupHeaderLbl;
  TEdit &ProgramgroupEdit;
  TCheckBox &ProgramgroupDesktopShortcutCBox;
  TButton &ProgramgroupChangeBtn, &ProgramgroupDefaultBtn;
  // Summary
  TLabel &SummaryHeaderLbl, &SummaryProgramFolderHeaderLbl, &SummaryProgramFolderLbl,
      &SummaryProgramGroupHeaderLbl, &SummaryProgramGroupLbl, &SummaryDesktopShortcutLbl,
      &SummaryFinishLbl;
  // Installing
  TLabel &InstallHeaderLbl, &InstallFileProgressLbl;
  TGauge &InstallFileProgressBar;
  TLabel &InstallProgressLbl;
  TGauge &InstallProgressBar;
  TLabel &InstallMessageLbl;
  // Finish
  TLabel &FinishHeaderLbl;
  TCheckBox &FinishLaunchProgram, &FinishShowReadme, &FinishShowLogfile;
  TLabel &FinishRestartLbl; // shown when files in use wait for the next restart
  TLabel &FinishRolledBackLbl; // shown when the run was rolled back
  TLabel &FinishFinishLbl;
  // Uninstall
  TLabel &UninstallHeaderLbl, &UninstallLbl, &UninstallProgressLbl;
  TGauge &UninstallProgressBar;
  TLabel &UninstallMessageLbl, &UninstallUninstallLbl;

  // Set by Alt+F4: the next close request is refused once.
  bool AltF4Latch = false;

private:
  TKestrupContext &Context() const { return *context_; }
  TRunState &State() const { return context_->State; }
  const TProductSettings &Product() const { return context_->State.Product; }
  bool SkipsChoices() const { return State().Reinstall || Product().IsUpdate; }

  void ShowPage(TWizardPage page);
  void NextInstall(TWizardPage page);
  void BackInstall(TWizardPage page);
  // The folder and group pages' leaving steps; false keeps the wizard there.
  bool LeaveFolderPage();
  bool LeaveProgramGroupPage();
  void FinishRun();
  void FillLanguageList();
  void LoadLicence();
  void FormShown();
  void CloseQuery(bool &canClose);
  void Closing();
  void KeyDown(int key);
  void ShowMessage(const std::string &text);
  // Shows a text the program set, without running the edit's typing handler.
  void ShowText(TEdit &edit, const std::string &text);
  // Takes the characters out that no folder name may hold.
  std::string CleanedPath(const std::string &text) const;

  TKestrupContext *context_ = nullptr;
  IDesktopWindows *windows_ = nullptr;
  std::function<void(uint32_t)> sleep_;
  bool shown_ = false, closedDown_ = false, updating_ = false;
  // Cancel confirmed on the installation page: the engine stops and rolls back.
  bool cancelRequested_ = false;
  bool folderDialogOpen_ = false, groupDialogOpen_ = false;
  TForm *openDialog_ = nullptr;
  uint64_t lastPump_ = 0; // when messages last ran during the engine's work
};

// Folder texts lose these characters as they are typed.
std::string RemoveForbiddenPathCharacters(const std::string &text);
// The free-space value as the folder page shows it: kilobytes rounded to the
// nearest (halves to even), in plain decimal, then " kb".
std::string KilobyteText(int64_t bytes);
// A path cut in its middle with "..." to at most the given number of
// characters, keeping its start and its file name.
std::string ShortenPath(const std::string &path, size_t maxChars);

} // namespace kestrup
