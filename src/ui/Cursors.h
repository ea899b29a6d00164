#pragma once
// The process's cursor table: cursor numbers (Component.h) bound to cursors
// of the program's resources by name, which the backend loads on first use,
// and the screen cursor that overrides every control's while it is set (a
// window dragged by its background shows the hand all the way).

#include <string>

// Binds a number to a cursor resource; binding it again replaces the name.
void RegisterCursor(int number, std::string resourceName);
// The resource name of a number, or empty when none is registered.
std::string CursorResourceName(int number);

// Binds crHandCursor and crHandNoFingersCursor to the program's hand cursors
// "HandCursor" and "HandNoFingersCursor" (the numbers that otherwise stand
// for the application-start and help cursors).
void RegisterHandCursors();

int ScreenCursor();
void SetScreenCursor(int cursor); // crDefault: the controls' own again
