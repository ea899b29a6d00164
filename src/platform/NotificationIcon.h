#pragma once
// The program's icon in the notification area of the task bar. Mouse events
// on it arrive at the window that owns it as its callback message (a private
// message of that window, lParam the mouse message: 513 left button down,
// 516 right button down ...).

#include <cstdint>
#include <string>

constexpr intptr_t kTrayLeftButtonDown = 513, kTrayRightButtonDown = 516;

class INotificationIcon {
public:
  virtual ~INotificationIcon() = default;
  // Adds the icon (an icon resource of the program, by name) with its tip,
  // or changes both while it is shown. False when the shell refused.
  virtual bool Show(const std::string &iconName, const std::string &tip) = 0;
  // Changes the picture of a shown icon (remembered for Show otherwise).
  virtual bool SetIcon(const std::string &iconName) = 0;
  virtual bool Remove() = 0;
  virtual bool Shown() const = 0;
  // The icon resource shown (or to be shown) now.
  virtual const std::string &IconName() const = 0;
};
