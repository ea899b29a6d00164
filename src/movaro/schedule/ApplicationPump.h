#pragma once
// The message pump of the scheduler on the application's message loop.

#include "movaro/schedule/SchedulerViews.h"
#include "ui/Forms.h"

class TApplicationPump final : public IMessagePump {
public:
  explicit TApplicationPump(TApplication &application) : application_(application) {}
  void ProcessMessages() override { application_.ProcessMessages(); }

private:
  TApplication &application_;
};
