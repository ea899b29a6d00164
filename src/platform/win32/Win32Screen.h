#pragma once
// The real display: its colour depth, and a GDI canvas on a memory context
// compatible with it, so text measures as it will be drawn.

#include "platform/Screen.h"
#include "platform/win32/GdiCanvas.h"

#include <memory>

class TWin32Screen : public IScreen {
public:
  TWin32Screen();
  ~TWin32Screen() override;
  TWin32Screen(const TWin32Screen &) = delete;
  TWin32Screen &operator=(const TWin32Screen &) = delete;
  int BitsPerPixel() override;
  ICanvas &MeasuringCanvas() override { return *canvas_; }

private:
  HDC dc_;
  std::unique_ptr<TGdiCanvas> canvas_;
};
