#pragma once
// The working parts of the main window that run through interfaces: the
// break scheduler with its prompt dialog and input blocking window, the
// content pages and the setup page on the window's page container, and the
// views each of them asks the window for (status page and bar, tray icon,
// prompt sound, the profile's view). The main window makes one at start-up,
// when the platform objects are known, and drops it before they go.

#include "data/recfile/IDbRecs.h"
#include "movaro/MovaroContext.h"
#include "movaro/forms/BlockingWindow.h"
#include "movaro/forms/MessageDialog.h"
#include "movaro/pages/ContentPages.h"
#include "movaro/pages/SetupPage.h"
#include "movaro/profile/ProfileView.h"
#include "movaro/schedule/ApplicationPump.h"
#include "movaro/schedule/BreakScheduler.h"
#include "platform/NotificationIcon.h"

#include <cstdint>
#include <functional>
#include <string>

class TMainForm;
struct TMainFormEnv;

// The tray icon of a prompt kind: an icon the program registers at start-up.
std::string KindIconName(uint8_t kind);

class TMainFormWiring final : public IStatusPage,
                              public IStatusBar,
                              public ITrayIcon,
                              public ISoundPlayer,
                              public IMessageDialogOwner,
                              public IContentPagesHost,
                              public ISetupPageHost,
                              public IProfileView {
  // First: the parts below reach them through their views while being made.
  TMainForm &form_;
  TMovaroContext &context_;
  TMainFormEnv &env_;
  std::string languageFile_;

public:
  // Adds the content pages and the setup page to the form's page container
  // and makes the prompt dialog and the blocking window (not yet shown).
  TMainFormWiring(TMainForm &form, TMovaroContext &context, TMainFormEnv &env,
                  const std::string &languageFile);
  ~TMainFormWiring() override;
  TMainFormWiring(const TMainFormWiring &) = delete;
  TMainFormWiring &operator=(const TMainFormWiring &) = delete;

  // The information file once loaded (none: nothing is asked or prompted).
  void SetInfoFile(TIDbRecFile *infoFile);
  // The start-up notice, persistent until start-up has ended.
  void ShowInitializationNotice();
  void HideInitializationNotice();
  // The rule file and the rule labels of the "Traces" page, then monitoring.
  bool StartMonitoring(const std::string &ruleFilePath, std::vector<std::string> &tracesStatusLst);
  // The tray icon was clicked: a prompt on screen comes to the front (true);
  // without one, nothing happens here (false).
  bool BringPromptToFront();

  TBlockingWindow Blocking;
  TMessageDialog Dialog;
  TContentPages Pages;
  TSetupPage Setup;
  TApplicationPump Pump;
  TBreakScheduler Scheduler;

  // IStatusPage
  bool OnScreen() override;
  void ShowFigures(const TStatusFigures &figures) override { Pages.ShowFigures(figures); }
  int TestScore(int test) override { return Pages.TestScore(test); }
  // IStatusBar
  void SetPanelText(int panel, const std::string &text) override;
  bool HasExerciseItems() override;
  bool HasLastMessageItems() override;
  void EnableControls(const TStatusControls &controls) override;
  // ITrayIcon
  bool ShowsApplicationIcon() const override;
  void ShowApplicationIcon() override;
  void ShowKindIcon(uint8_t kind) override;
  // ISoundPlayer: the prompt sound through the pages' player.
  void SetLoopPlayback(bool loop) override { Pages.Media.LoopPlayback = loop; }
  void PlayMediaFile(const std::string &path) override { Pages.Media.PlayMediaFile(path); }
  // IMessageDialogOwner
  int32_t QuestionRecordCount() override;
  void AnswerQuestion(int32_t record, bool yes, bool cancelled) override {
    Pages.AnswerQuestion(record, yes, cancelled);
  }
  bool ApplicationMinimized() override;
  void RestoreMainWindow() override;
  bool ShowInSysTray() override;
  // IContentPagesHost and ISetupPageHost
  void UpdateStatus() override { Scheduler.UpdateStatus(); }
  void FormRestore() override;
  void FormMinimize() override;
  void ShowRuleMessage(int32_t rule, int32_t record, bool persistent) override {
    Scheduler.ShowRuleMessage(rule, record, persistent);
  }
  void PopupMenu(TPopupMenu &menu, TControl &button) override;
  void PageTextChanged() override;
  void TakeBreakNow() override;
  void ExportHistory() override;
  void StartMonitoring() override { Scheduler.StartClick(); }
  void PauseMonitoring() override { Scheduler.PauseClick(); }
  void RebuildMainTexts() override;
  void ShowCaption(const std::string &caption) override;
  // IProfileView
  std::string MainText(int index) override;
  std::string TranslateMainText(int number, const std::string &defaultText) override;
  void ShowTitle(const std::string &title) override { ShowCaption(title); }
  void ShowSettings(const TProfileSettings &settings) override { Setup.ShowSettings(settings); }
  void ShowSupportLabel(const std::string &text) override { Setup.ShowSupportLabel(text); }
  void ShowRecentMessages(const std::vector<TRecentMessageItem> &items) override {
    Pages.ShowRecentMessages(items);
  }
  void ShowGauge(int gauge, int percent) override { Pages.ShowGauge(gauge, percent); }

};
