#pragma once
// The window procedure of forms and of the backend's own containers (panels,
// pages, page controls, radio groups): paints the background and the
// windowless children through the canvas, colours the standard controls on
// it, hands the children's notifications to their kinds' rows, routes the
// mouse to windowless children, and passes close requests and private
// messages to the form.

#include <windows.h>

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
