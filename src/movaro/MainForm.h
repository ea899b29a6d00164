#pragma once
// Movaro's main window. Another start of the program finds it by its window
// class and asks it to show itself; the input hook library posts its
// notifications to it. So far it shows only that it exists: its pages, tray
// icon and scheduler come later.

#include "movaro/MovaroContext.h"
#include "ui/Controls.h"
#include "ui/Forms.h"

#include <cstdint>
#include <string>

// The window class other programs (a second start, the installer) find the
// main window by, and the message that asks it to show itself.
inline const std::string kMainWindowClass = "Movaro";
constexpr uint32_t kShowYourselfMessage = 0x1400;

class TMainForm : public TForm {
public:
  explicit TMainForm(TApplication &application);

  // Hands the window's messages to the program's objects: from now on hook
  // notifications are counted by the activity monitor.
  void Bind(TMovaroContext &context);

  TTimer &TraceTimer; // the activity monitor's tick (see TComponentTimer)

private:
  void Message(uint32_t message, uintptr_t wParam, intptr_t lParam);

  TMovaroContext *context_ = nullptr;
};
