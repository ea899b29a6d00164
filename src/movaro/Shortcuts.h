#pragma once
// The main window's keyboard shortcuts: which key, with which modifiers,
// does what. Keys are virtual-key codes; letters are recognised by their key
// whatever the Shift state.

#include "ui/Forms.h"

enum class TShortcut {
  scNone,
  scHide,       // to the tray (Insert, Alt+X)
  scMinimize,   // Alt+Insert
  scHelp,       // F1, Alt+H
  scAbout,      // Alt+A, Alt+Delete
  scSetup,      // Alt+C
  scExercises,  // Alt+E
  scInfo,       // Alt+I: background information
  scMessages,   // Alt+M: the last messages
  scStatus,     // Alt+S
  scScrollUp,   // Page Up, Up
  scScrollDown, // Page Down, Down
  scScrollHome, // Home
  scScrollEnd,  // End
};

constexpr int kVkF1 = 0x70, kVkF4 = 0x73, kVkInsert = 0x2D, kVkDelete = 0x2E;
constexpr int kVkPageUp = 0x21, kVkPageDown = 0x22, kVkEnd = 0x23, kVkHome = 0x24;
constexpr int kVkUp = 0x26, kVkDown = 0x28;

// What a key pressed on the main window does. Every shortcut but Insert
// (hide) needs a profile; without one only that acts.
TShortcut ShortcutForKey(int key, TShiftState shift, bool profileExists);

// Alt+F4: the key press that would close the window, which it refuses once.
inline bool IsCloseKey(int key, TShiftState shift) { return key == kVkF4 && shift.Alt; }
