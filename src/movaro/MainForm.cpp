#include "movaro/MainForm.h"

#include "platform/HookProtocol.h"

namespace {
constexpr uint32_t kMainFormColour = 0x008FCAFC; // 9423612
} // namespace

TMainForm::TMainForm(TApplication &application)
    : TForm(application, nullptr, "MainForm"), TraceTimer(Create<TTimer>("TraceTimer")) {
  WindowClassName = kMainWindowClass;
  SetCaption("Movaro");
  Borderless = true;
  CenterOnScreen = true;
  SetBounds(0, 0, 640, 445);
  SetColor(kMainFormColour);
  TraceTimer.SetEnabled(false); // the monitor starts it
  auto &notice = Create<TLabel>("NoticeLbl");
  notice.SetParent(this);
  notice.Alignment = TLabel::taCenter;
  notice.SetBounds(0, 214, 640, 16);
  notice.SetCaption("Movaro: the main window is not built yet.");
  OnMessage = [this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
    Message(message, wParam, lParam);
  };
}

void TMainForm::Bind(TMovaroContext &context) { context_ = &context; }

void TMainForm::Message(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == kShowYourselfMessage) {
    BringToFront();
    return;
  }
  if (context_ && (message == kKeyboardNotification || message == kMouseNotification))
    context_->Trace.HandleNotification(message, wParam, static_cast<uintptr_t>(lParam));
}
