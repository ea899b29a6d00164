#pragma once
// The window procedure of forms and of the backend's own containers (panels,
// pages, page controls, radio groups): paints the background and the
// windowless children through the canvas, colours the standard controls on
// it, hands the children's notifications to their kinds' rows, routes the
// mouse to windowless children, and passes close requests and private
// messages to the form.

#include <windows.h>

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Ends the pointer tracking (the WM_MOUSELEAVE request) held by the window or
// one of its children before they leave the screen, and lets the control
// that had the pointer hear that it left. Otherwise the request outlives the
// hidden window while the pointer stands still: Wine keeps hit-testing the
// hidden window every hover period, the main idle cost of a program in the tray.
void EndPointerTracking(HWND window);
