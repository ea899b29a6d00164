#pragma once
// The main window's side of the break scheduler without a window: a status
// page and bar, a tray icon, a media player and a dialog owner that remember
// what they were told, for tests and the day simulator; and the profile's view.

#include "movaro/forms/MessageDialog.h"
#include "movaro/profile/ProfileView.h"
#include "movaro/schedule/MainTexts.h"
#include "movaro/schedule/SchedulerViews.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class THeadlessStatusPage final : public IStatusPage {
public:
  bool OnScreen() override { return MainWindowOnScreen; }
  void ShowFigures(const TStatusFigures &figures) override {
    Figures = figures;
    ++FigureUpdates;
  }
  int TestScore(int test) override {
    if (auto found = Scores.find(test); found != Scores.end())
      return found->second;
    if (Gauges)
      if (auto found = Gauges->find(test); found != Gauges->end())
        return found->second;
    return UnknownScore;
  }
  bool MainWindowOnScreen = false;
  std::map<int, int> Scores; // test gauge -> score, as a test sets it
  // Otherwise the gauges as the profile last showed them, else UnknownScore.
  const std::map<int, int> *Gauges = nullptr;
  int UnknownScore = 100;
  TStatusFigures Figures;
  int FigureUpdates = 0;
};

class THeadlessStatusBar final : public IStatusBar {
public:
  void SetPanelText(int panel, const std::string &text) override { Panels[panel] = text; }
  bool HasExerciseItems() override { return ExerciseItems; }
  bool HasLastMessageItems() override { return LastMessageItems; }
  void EnableControls(const TStatusControls &controls) override { Controls = controls; }
  std::map<int, std::string> Panels;
  bool ExerciseItems = true, LastMessageItems = false;
  TStatusControls Controls;
};

class THeadlessTrayIcon final : public ITrayIcon {
public:
  bool ShowsApplicationIcon() const override { return Shown == 0; }
  void ShowApplicationIcon() override { Show(0); }
  void ShowKindIcon(uint8_t kind) override { Show(kind); }
  uint8_t Shown = 0; // 0 the program's icon, else the kind whose icon shows
  std::vector<uint8_t> History; // every icon put into the tray
  std::function<void()> OnChange;

private:
  void Show(uint8_t icon) {
    Shown = icon;
    History.push_back(icon);
    if (OnChange)
      OnChange();
  }
};

class THeadlessSoundPlayer final : public ISoundPlayer {
public:
  void SetLoopPlayback(bool loop) override { Loop = loop; }
  void PlayMediaFile(const std::string &path) override {
    Played.push_back(path);
    if (OnPlay)
      OnPlay(path);
  }
  bool Loop = true;
  std::vector<std::string> Played;
  std::function<void(const std::string &)> OnPlay;
};

// A pump that runs what a test or the simulator asks for at each pump.
class THeadlessPump final : public IMessagePump {
public:
  void ProcessMessages() override {
    ++Pumps;
    if (OnPump)
      OnPump();
  }
  int Pumps = 0;
  std::function<void()> OnPump;
};

struct TQuestionAnswer {
  int32_t Record = 0;
  bool Yes = false, Cancelled = false;
  friend bool operator==(const TQuestionAnswer &, const TQuestionAnswer &) = default;
};

class THeadlessDialogOwner final : public IMessageDialogOwner {
public:
  int32_t QuestionRecordCount() override { return RecordCount; }
  void AnswerQuestion(int32_t record, bool yes, bool cancelled) override {
    Answers.push_back({record, yes, cancelled});
    if (OnAnswer)
      OnAnswer(Answers.back());
  }
  bool ApplicationMinimized() override { return Minimized; }
  void RestoreMainWindow() override {
    Minimized = false;
    ++Restores;
  }
  bool ShowInSysTray() override { return TrayBlinks; }
  int32_t RecordCount = 0;
  bool Minimized = false, TrayBlinks = true;
  int Restores = 0;
  std::vector<TQuestionAnswer> Answers;
  std::function<void(const TQuestionAnswer &)> OnAnswer;
};

// The profile's side of the main window: the English texts, and what the
// profile last showed.
class THeadlessProfileView final : public IProfileView {
public:
  std::string MainText(int index) override {
    return index >= 0 && index < kMainTextCount ? DefaultMainTexts()[index] : std::string();
  }
  std::string TranslateMainText(int, const std::string &defaultText) override { return defaultText; }
  void ShowTitle(const std::string &title) override { Title = title; }
  void ShowSettings(const TProfileSettings &settings) override { Settings = settings; }
  void ShowSupportLabel(const std::string &text) override { SupportLabel = text; }
  void ShowRecentMessages(const std::vector<TRecentMessageItem> &items) override {
    Recent = items;
    if (OnRecentMessages)
      OnRecentMessages();
  }
  void ShowGauge(int gauge, int percent) override { Gauges[gauge] = percent; }
  std::string Title, SupportLabel;
  TProfileSettings Settings;
  std::vector<TRecentMessageItem> Recent;
  std::map<int, int> Gauges;
  std::function<void()> OnRecentMessages;
};
