#include "ui/MouseRouter.h"

#include "ui/Cursors.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<TMouseRouter *> &LiveRouters() {
  static std::vector<TMouseRouter *> routers;
  return routers;
}

// A point of the container in the coordinates of one of its controls (the
// container itself keeps them).
void ToControl(const TWinControl &container, const TControl &target, int &x, int &y) {
  if (&target != &container) {
    x -= target.Bounds().Left;
    y -= target.Bounds().Top;
  }
}

} // namespace

TControl *WindowlessControlAt(const TWinControl &container, int x, int y) {
  TControl *hit = container.ControlAt(x, y);
  return hit && hit->Windowless() ? hit : nullptr;
}

TMouseRouter::TMouseRouter() { LiveRouters().push_back(this); }

TMouseRouter::~TMouseRouter() {
  auto &routers = LiveRouters();
  routers.erase(std::find(routers.begin(), routers.end(), this));
}

void TMouseRouter::Forget(const TControl &control) {
  for (TMouseRouter *router : LiveRouters()) {
    if (router->hovered_ == &control)
      router->hovered_ = nullptr;
    if (router->pressed_ == &control)
      router->pressed_ = nullptr;
    for (const TControl *&handling : router->delivering_)
      if (handling == &control)
        handling = nullptr;
  }
}

bool TMouseRouter::Deliver(TControl &target, const std::function<void(TControl &)> &call) {
  delivering_.push_back(&target);
  call(target);
  const bool alive = delivering_.back() != nullptr;
  delivering_.pop_back();
  return alive;
}

void TMouseRouter::Hover(TControl *control) {
  if (control == hovered_)
    return;
  TControl *old = hovered_;
  hovered_ = control;
  if (old)
    Deliver(*old, [](TControl &c) { c.MouseOut(); });
  if (hovered_ == control && control)
    Deliver(*control, [](TControl &c) { c.MouseIn(); });
}

void TMouseRouter::Move(TWinControl &container, int x, int y) {
  TControl *hit = WindowlessControlAt(container, x, y);
  Hover(hit);
  hit = hovered_; // none when a mouse-in or mouse-out handler destroyed it
  TControl *target = pressed_ ? pressed_ : (hit && hit->CanUse() ? hit : &container);
  ToControl(container, *target, x, y);
  Deliver(*target, [x, y](TControl &c) { c.MouseMove(x, y); });
}

void TMouseRouter::Down(TWinControl &container, TMouseButton button, int x, int y,
                        bool doubleClick) {
  TControl *hit = WindowlessControlAt(container, x, y);
  if (hit && !hit->CanUse())
    return; // a disabled control takes no press, and its parent none for it
  TControl &target = hit ? *hit : container;
  if (!pressed_ && OnCapture)
    OnCapture(container);
  pressed_ = &target;
  pressClicks_ = button == TMouseButton::mbLeft && !doubleClick;
  ToControl(container, target, x, y);
  if (doubleClick && !Deliver(target, [](TControl &c) { c.DblClick(); }))
    return;
  Deliver(target, [button, x, y](TControl &c) { c.MouseDown(button, x, y); });
}

void TMouseRouter::Up(TWinControl &container, TMouseButton button, int x, int y) {
  TControl *target = pressed_;
  pressed_ = nullptr;
  if (!target)
    return;
  if (OnReleaseCapture)
    OnReleaseCapture();
  // A left press released over the control it started on is a click; the
  // click comes before the release, so a button still looks pressed while
  // its OnClick runs.
  const bool click = pressClicks_ && button == TMouseButton::mbLeft && target != &container &&
                     WindowlessControlAt(container, x, y) == target;
  ToControl(container, *target, x, y);
  if (click && !Deliver(*target, [](TControl &c) { c.Click(); }))
    return;
  Deliver(*target, [button, x, y](TControl &c) { c.MouseUp(button, x, y); });
}

void TMouseRouter::Left(TWinControl &container) {
  if (!pressed_ && hovered_ && hovered_->Parent() == &container)
    Hover(nullptr);
}

void TMouseRouter::CaptureLost() {
  TControl *target = pressed_;
  pressed_ = nullptr;
  if (target)
    Deliver(*target, [](TControl &c) { c.MouseCancel(); });
}

int TMouseRouter::CursorAt(const TWinControl &container, int x, int y) const {
  if (ScreenCursor() != crDefault)
    return ScreenCursor();
  const TControl *over = pressed_ ? pressed_ : WindowlessControlAt(container, x, y);
  if (over && over->Cursor() != crDefault)
    return over->Cursor();
  return container.Cursor();
}
