#pragma once
// The scale of the displays on Windows. Windows 10 gives each window the
// scale of its monitor (GetDpiForWindow); older systems, and a program not
// aware of monitors' scales, have one scale for the whole system
// (LOGPIXELSX of the screen). Functions newer than Windows XP are looked
// up at run time, so the programs still start there.

#include "platform/DisplayScale.h"

#include <windows.h>

// Tells the system the program scales its own windows, so it is not
// stretched as a bitmap (Vista on; the manifest says so too where read).
void DeclareDpiAware();
TDisplayScale SystemDisplayScale();
// The scale of the monitor the window is on (of its top window); the
// system's without a window or where monitors have no scale of their own.
// A scale the system reported to the top window (WM_DPICHANGED) counts
// from then on.
TDisplayScale DisplayScaleOf(HWND window);
// Keeps the scale WM_DPICHANGED reported for a top window, until forgotten
// (before the window goes).
void KeepReportedScale(HWND top, int dpi);
void ForgetReportedScale(HWND top);
