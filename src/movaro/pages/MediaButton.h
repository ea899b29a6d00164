#pragma once
// A media button of the exercise page: a speed button that draws its own
// face (play, pause, stop, step forward, step back) with the canvas, greyed
// while disabled.

#include "movaro/pages/PageMedia.h"
#include "ui/Controls.h"

class TMediaFaceButton : public TSpeedButton {
public:
  TMediaFaceButton(TComponent *owner, std::string name, TMediaButton face)
      : TSpeedButton(owner, std::move(name)), Face(face) {}
  void Paint(ICanvas &canvas) override;
  const TMediaButton Face;
};
