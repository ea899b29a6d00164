#pragma once
// A notification-area icon for tests: what it shows, and whether the shell
// would take it.

#include "platform/NotificationIcon.h"

class THeadlessNotificationIcon : public INotificationIcon {
public:
  bool Show(const std::string &iconName, const std::string &tip) override {
    if (Refuse)
      return false;
    Icon = iconName;
    Tip = tip;
    if (!shown_)
      ++Adds;
    shown_ = true;
    return true;
  }
  bool SetIcon(const std::string &iconName) override {
    Icon = iconName;
    return !Refuse;
  }
  bool Remove() override {
    shown_ = false;
    return true;
  }
  bool Shown() const override { return shown_; }
  const std::string &IconName() const override { return Icon; }

  std::string Icon, Tip;
  int Adds = 0;        // how often the icon was added
  bool Refuse = false; // the shell refuses the icon

private:
  bool shown_ = false;
};
