#pragma once
// The notification-area icon of a form: its clicks arrive as the callback
// message, a private message of the form (OnMessage with lParam the mouse
// message). The icon and tip can change while it is shown.

#include <windows.h>
#include <shellapi.h>

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

// A cursor from the program's resources, or the arrow when there is none.
HCURSOR LoadCursorResource(HINSTANCE instance, const char *name);
