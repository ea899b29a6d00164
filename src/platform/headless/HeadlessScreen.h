#pragma once
// A display for tests and tools: a chosen colour depth and the recording
// canvas's fixed text metrics.

#include "platform/Screen.h"
#include "platform/headless/RecordingCanvas.h"

class THeadlessScreen : public IScreen {
public:
  int Bits = 24;
  TRecordingCanvas Canvas;
  int BitsPerPixel() override { return Bits; }
  ICanvas &MeasuringCanvas() override { return Canvas; }
};
