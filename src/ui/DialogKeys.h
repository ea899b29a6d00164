#pragma once
// Keyboard operation of every form, as in the system's own dialogs: Tab and
// Shift+Tab move the focus along the form's tab order, Ctrl+Tab turns the
// pages of a page control, Enter presses the focused button or else the
// form's default one, Escape its cancel one, Space the focused painted
// button, and Alt with a letter the control whose access key it is. A label
// that opens something when clicked (a link) is a stop of its own, pressed
// by Enter and Space as a painted button is. The backend hands each key
// pressed in a form here after the form's own key handlers have passed it
// on; tests call it directly.

#include "ui/Forms.h"

#include <string>
#include <vector>

constexpr int kKeyTab = 0x09, kKeyEnter = 0x0D, kKeyEscape = 0x1B, kKeySpace = 0x20;

// Whether the control's kind takes the keyboard focus at all.
bool TakesFocus(const TControl &control);
// Whether Tab stops at the control now: it takes the focus, its TabStop is
// set, and it is shown and enabled.
bool IsTabStop(const TControl &control);
// The tab stops of a window tree in tab order: depth first, each parent's
// children in the order they were placed in it.
std::vector<TControl *> TabStops(const TWinControl &root);
// The stop after (forward) or before the control, going round; from a
// control that is no stop (or none), the first or the last. None when the
// tree has no stop.
TControl *NextTabStop(const TWinControl &root, const TControl *from, bool forward);
// The access key of a control: its AccessKey, else the character after a
// single '&' of its caption, upper case; 0 when it has none.
char AccessKeyOf(const TControl &control);
// The form's usable default (Enter) or cancel (Escape) button, or none.
TControl *DialogButton(const TForm &form, bool cancel);
// What a dialog does with a key pressed in the form while focused has the
// focus (none: the form itself). True when the key was used.
bool HandleDialogKey(TForm &form, TControl *focused, int key, TShiftState shift);
