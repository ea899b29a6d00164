#include "movaro/Shortcuts.h"

namespace {

TShortcut AltShortcut(int key) {
  switch (key) {
  case kVkInsert:
    return TShortcut::scMinimize;
  case 'A':
  case kVkDelete:
    return TShortcut::scAbout;
  case 'H':
    return TShortcut::scHelp;
  case 'C':
    return TShortcut::scSetup;
  case 'E':
    return TShortcut::scExercises;
  case 'I':
    return TShortcut::scInfo;
  case 'M':
    return TShortcut::scMessages;
  case 'S':
    return TShortcut::scStatus;
  case 'X':
    return TShortcut::scHide;
  default:
    return TShortcut::scNone;
  }
}

TShortcut ScrollShortcut(int key) {
  switch (key) {
  case kVkPageUp:
  case kVkUp:
    return TShortcut::scScrollUp;
  case kVkPageDown:
  case kVkDown:
    return TShortcut::scScrollDown;
  case kVkHome:
    return TShortcut::scScrollHome;
  case kVkEnd:
    return TShortcut::scScrollEnd;
  default:
    return TShortcut::scNone;
  }
}

} // namespace

TShortcut ShortcutForKey(int key, TShiftState shift, bool profileExists) {
  if (shift.None() && key == kVkInsert)
    return TShortcut::scHide;
  if (!profileExists)
    return TShortcut::scNone;
  if (shift.None() && key == kVkF1)
    return TShortcut::scHelp;
  if (shift.Alt) {
    TShortcut altShortcut = AltShortcut(key);
    if (altShortcut != TShortcut::scNone)
      return altShortcut;
  }
  return ScrollShortcut(key);
}
