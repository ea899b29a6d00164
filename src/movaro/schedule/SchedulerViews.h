#pragma once
// What the break scheduler works through. The main window implements the
// status page and bar, the tray icon, the media player and the message pump;
// the prompt dialog and the input blocking window are forms of their own
// (movaro/forms/). Tests and the day simulator use headless ones.

#include "movaro/profile/Statistics.h"

#include <cstdint>
#include <string>

// A message for the prompt dialog.
struct TPromptMessage {
  int32_t RuleIndex = -1;  // the rule shown; 0 a status question; -1 a notice
  int32_t RecordIndex = 0; // the question record shown; 0 none
  std::string Text;        // markup
  int32_t TimeOut = 0;     // seconds the count-down starts from
  uint8_t Kind = 0;        // 0 no icon, 1 information, 2 question, 3 warning, 4 ok
  std::string FirstCaption, SecondCaption; // an empty caption hides its button
  bool CancelVisible = false;
  bool Persistent = false; // a notice: no time-out, no count-down
  friend bool operator==(const TPromptMessage &, const TPromptMessage &) = default;
};

// The one prompt dialog.
class IMessageDialog {
public:
  virtual ~IMessageDialog() = default;
  // Whether it is on screen, and what it shows (or showed last).
  virtual bool Showing() const = 0;
  virtual int32_t ShownRuleIndex() const = 0;
  virtual bool ShownPersistent() const = 0;
  // Shows a message, replacing the one on screen.
  virtual void ShowMessage(const TPromptMessage &message) = 0;
  // The count-down; also blinks the tray icon while the user wants that.
  virtual void SetTimeLeft(int32_t seconds) = 0;
  // What the cancel button does (a question counts as not answered).
  virtual void CancelMessage() = 0;
  // Takes it off the screen whatever it shows, notices included.
  virtual void HideMessage() = 0;
};

// The window that swallows all input during a blocked break.
class IBlockingWindow {
public:
  virtual ~IBlockingWindow() = default;
  virtual bool Showing() const = 0;
  virtual void ShowBlocking() = 0;
  virtual void CloseBlocking() = 0;
};

// The notification-area icon: the program's own icon, or while a prompt
// counts down, now and then the prompt's kind icon.
class ITrayIcon {
public:
  virtual ~ITrayIcon() = default;
  virtual bool ShowsApplicationIcon() const = 0;
  virtual void ShowApplicationIcon() = 0;
  virtual void ShowKindIcon(uint8_t kind) = 0;
};

class ISoundPlayer {
public:
  virtual ~ISoundPlayer() = default;
  // Whether a file that has ended starts again.
  virtual void SetLoopPlayback(bool loop) = 0;
  // Stops what plays and plays the file; a file that cannot play stays silent.
  virtual void PlayMediaFile(const std::string &path) = 0;
};

// Lets pending window messages (timer ticks, clicks) run inside a long step.
class IMessagePump {
public:
  virtual ~IMessagePump() = default;
  virtual void ProcessMessages() = 0;
};

// The status page of the main window.
class IStatusPage {
public:
  virtual ~IStatusPage() = default;
  // The main window is visible and not minimised.
  virtual bool OnScreen() = 0;
  virtual void ShowFigures(const TStatusFigures &figures) = 0;
  // The score of test gauge 1..10 (Stress .. Complaints), 0..100.
  virtual int TestScore(int test) = 0;
};

// Which controls of the main window can be used, after the monitoring state.
struct TStatusControls {
  bool Exercises = false, Messages = false, Network = false;
  bool Start = false, Pause = false;
  bool BreakNow = false; // "Take a break now": monitoring runs with prompts to show
  friend bool operator==(const TStatusControls &, const TStatusControls &) = default;
};

// The status bar (panel 1 the clock, panel 2 the monitoring state) and the
// controls that follow the monitoring state.
class IStatusBar {
public:
  virtual ~IStatusBar() = default;
  virtual void SetPanelText(int panel, const std::string &text) = 0;
  virtual bool HasExerciseItems() = 0;
  virtual bool HasLastMessageItems() = 0;
  virtual void EnableControls(const TStatusControls &controls) = 0;
};

constexpr int kClockPanel = 1, kStatePanel = 2;
