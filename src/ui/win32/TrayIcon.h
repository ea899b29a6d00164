#pragma once
// The notification-area icon of a form: its clicks arrive as the callback
// message, a private message of the form (OnMessage with lParam the mouse
// message). The icon and tip can change while it is shown.

#include "platform/NotificationIcon.h"

#include <windows.h>
#include <shellapi.h>

#include <map>
#include <string>

class TTrayIcon {
public:
  TTrayIcon(HWND owner, UINT id, UINT callbackMessage);
  ~TTrayIcon(); // removes the icon
  TTrayIcon(const TTrayIcon &) = delete;
  TTrayIcon &operator=(const TTrayIcon &) = delete;

  bool Show(HICON icon, const std::string &tip); // adds the icon, or updates it
  bool SetIcon(HICON icon);
  bool SetTip(const std::string &tip);
  bool Hide();
  bool Shown() const { return shown_; }

private:
  bool Send(DWORD action);
  NOTIFYICONDATAA data_{};
  bool shown_ = false;
};

// The notification icon of the platform interface: icons by resource name
// from the program's module, or by a name the program gave an icon it made.
class TWin32NotificationIcon final : public INotificationIcon {
public:
  TWin32NotificationIcon(HWND owner, HINSTANCE module, UINT id, UINT callbackMessage)
      : tray_(owner, id, callbackMessage), module_(module) {}
  ~TWin32NotificationIcon() override;
  TWin32NotificationIcon(const TWin32NotificationIcon &) = delete;
  TWin32NotificationIcon &operator=(const TWin32NotificationIcon &) = delete;
  // Takes an icon made at run time under a name (destroyed with this object).
  void AddIcon(const std::string &name, HICON icon);
  bool Show(const std::string &iconName, const std::string &tip) override;
  bool SetIcon(const std::string &iconName) override;
  bool Remove() override { return tray_.Hide(); }
  bool Shown() const override { return tray_.Shown(); }
  const std::string &IconName() const override { return iconName_; }

private:
  HICON Icon(const std::string &name) const;
  TTrayIcon tray_;
  HINSTANCE module_;
  std::string iconName_;
  std::map<std::string, HICON> madeIcons_;
};

// A cursor from the program's resources, or the arrow when there is none.
HCURSOR LoadCursorResource(HINSTANCE instance, const char *name);
