#pragma once
// Active Accessibility for the backend's windows. A container window (a
// form, panel, page ...) answers the system's WM_GETOBJECT with an object of
// its own that lists its children as the model knows them
// (ui/Accessibility.h): the windowless controls as elements with a name,
// role, state, place and default action, which the system's own object
// cannot see, and the windowed ones as the system's objects of their
// windows, named from the model where the system finds no name (an edit
// whose label is painted). Screen readers follow the focus between
// windowless controls through the focus event.
//
// oleacc.dll is loaded from the system folder when first asked for; without
// it the windows answer as plain windows.

#include <windows.h>

class TControl;

// The answer to WM_GETOBJECT of a container window; 0 to leave the request
// to DefWindowProc.
LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam);
// The model's focus moved to a windowless control (its form's window having
// the system's focus): assistive technology hears of it as the focus of its
// element in its parent's window.
void NotifyWindowlessFocus(HWND parentWindow, const TControl &control);

// Reads the system's high-contrast setting and colours into the kit's
// (ui/Contrast.h); true when they changed.
bool ReadSystemContrast();
