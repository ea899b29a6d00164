#pragma once
// The prompt kinds' icons for the notification area, drawn by the same code
// as the prompt dialog's kind icons and registered with the tray icon under
// KindIconName, so the tray can blink between the program's icon and them.

#include "ui/win32/TrayIcon.h"

void AddKindTrayIcons(TWin32NotificationIcon &tray, int bitsPerPixel);
