#pragma once
// What the profile shows in the main window and the texts it takes from it.
// The main window implements this; tests implement it headless.

#include "movaro/profile/ProfileSettings.h"

#include <string>
#include <vector>

// One item of the last-messages menu.
struct TRecentMessageItem {
  std::string Name;    // "MainToolBarPopupLastMessageItem" and the position from 0
  std::string Caption; // may be empty
};

class IProfileView {
public:
  virtual ~IProfileView() = default;
  // Entry of the main window's translated message texts; empty when there is none.
  virtual std::string MainText(int index) = 0;
  // Text number of the main window's language table, or the default when the
  // table has none.
  virtual std::string TranslateMainText(int number, const std::string &defaultText) = 0;

  // The window title, repeated by the caption label.
  virtual void ShowTitle(const std::string &title) = 0;
  // The setup page's controls: support slider, sound choice, tray box, break
  // spinners and block boxes.
  virtual void ShowSettings(const TProfileSettings &settings) = 0;
  virtual void ShowSupportLabel(const std::string &text) = 0;
  // Replaces every item of the last-messages menu; items click through to the
  // main window's menu handler.
  virtual void ShowRecentMessages(const std::vector<TRecentMessageItem> &items) = 0;
  // Gauge 0 (Risk Index) to 10 of the status page, 0..100.
  virtual void ShowGauge(int gauge, int percent) = 0;
};
