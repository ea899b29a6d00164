#include "ui/win32/TrayIcon.h"

#include <algorithm>

namespace {
// The version-1 structure holds a tip of 63 characters.
constexpr size_t kMaxTip = 63;
} // namespace

TTrayIcon::TTrayIcon(HWND owner, UINT id, UINT callbackMessage) {
  // The version-1 structure size: understood by every system the programs run on.
  data_.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data_.hWnd = owner;
  data_.uID = id;
  data_.uCallbackMessage = callbackMessage;
}

TTrayIcon::~TTrayIcon() { Hide(); }

bool TTrayIcon::Send(DWORD action) {
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  return Shell_NotifyIconA(action, &data_) != FALSE;
}

bool TTrayIcon::Show(HICON icon, const std::string &tip) {
  data_.hIcon = icon;
  size_t n = std::min(tip.size(), kMaxTip);
  tip.copy(data_.szTip, n);
  data_.szTip[n] = '\0';
  if (shown_)
    return Send(NIM_MODIFY);
  shown_ = Send(NIM_ADD);
  return shown_;
}

bool TTrayIcon::SetIcon(HICON icon) {
  data_.hIcon = icon;
  return !shown_ || Send(NIM_MODIFY);
}

bool TTrayIcon::SetTip(const std::string &tip) {
  size_t n = std::min(tip.size(), kMaxTip);
  tip.copy(data_.szTip, n);
  data_.szTip[n] = '\0';
  return !shown_ || Send(NIM_MODIFY);
}

bool TTrayIcon::Hide() {
  if (!shown_)
    return true;
  shown_ = false;
  return Send(NIM_DELETE);
}

TWin32NotificationIcon::~TWin32NotificationIcon() {
  tray_.Hide(); // before the icons it may show go
  for (auto &[name, icon] : madeIcons_)
    DestroyIcon(icon);
}

void TWin32NotificationIcon::AddIcon(const std::string &name, HICON icon) {
  if (!icon)
    return;
  if (auto &slot = madeIcons_[name]; slot != icon) {
    if (slot)
      DestroyIcon(slot);
    slot = icon;
  }
}

HICON TWin32NotificationIcon::Icon(const std::string &name) const {
  if (auto made = madeIcons_.find(name); made != madeIcons_.end())
    return made->second;
  // Icons from resources are shared: the system frees them with the module.
  HICON icon = LoadIconA(module_, name.c_str());
  return icon ? icon : LoadIcon(nullptr, IDI_APPLICATION);
}

bool TWin32NotificationIcon::Show(const std::string &iconName, const std::string &tip) {
  iconName_ = iconName;
  return tray_.Show(Icon(iconName), tip);
}

bool TWin32NotificationIcon::SetIcon(const std::string &iconName) {
  iconName_ = iconName;
  return tray_.SetIcon(Icon(iconName));
}

HCURSOR LoadCursorResource(HINSTANCE instance, const char *name) {
  HCURSOR cursor = LoadCursorA(instance, name);
  return cursor ? cursor : LoadCursor(nullptr, IDC_ARROW);
}
