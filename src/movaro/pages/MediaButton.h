#pragma once
// A media button of the exercise and setup pages: a skinned button whose
// faces (play, pause, stop, step forward, step back, sound) come from the
// skin; until it has them, it draws its symbol with the canvas, greyed
// while disabled.

#include "movaro/pages/PageMedia.h"
#include "ui/kit/SkinnedButton.h"

class TMediaFaceButton : public TBaseBtn {
public:
  TMediaFaceButton(TComponent *owner, std::string name, TMediaButton face)
      : TBaseBtn(owner, std::move(name)), Face(face) {}
  void Paint(ICanvas &canvas) override;
  const TMediaButton Face;
};
