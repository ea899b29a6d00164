#pragma once
// The spinner's window: a multi-line edit (whose formatting rectangle can be
// set, so text stops short of the arrows) with a child window for the arrow
// pair. Keys, characters, clipboard requests and focus changes of the edit
// and presses on the arrows go to the model (ui/kit/Spinner.h).

#include "ui/win32/Win32ControlKinds.h"

void FirstSyncSpinner(TWin32Peer &peer, TControl &control);
