#pragma once
// The base of the kit's windowless controls: painted by its parent through
// the canvas, told when the mouse enters and leaves it, and answering the
// palette request with the shared screen palette (Palettes.h).

#include "ui/Component.h"

using GMouseInOutEvent = TNotifyEvent;

// A property of a painted control that repaints the control when it
// changes, and only then:  button.FaceWidth = 0.5;  double w = button.FaceWidth;
template <class T> class TPaintedValue {
public:
  TPaintedValue(TControl &owner, T value) : owner_(owner), value_(std::move(value)) {}
  TPaintedValue(const TPaintedValue &) = delete;
  TPaintedValue &operator=(const T &value) {
    if (!(value == value_)) {
      value_ = value;
      owner_.Invalidate();
    }
    return *this;
  }
  TPaintedValue &operator=(const TPaintedValue &other) { return *this = other.value_; }
  operator const T &() const { return value_; }
  const T &operator()() const { return value_; }

private:
  TControl &owner_;
  T value_;
};

class GGraphicControl : public TControl {
public:
  using TControl::TControl;
  bool Windowless() const override { return true; }
  const void *Palette() const override;

  GMouseInOutEvent OnMouseIn, OnMouseOut;
  // Raise OnMouseIn and OnMouseOut; subclasses extend them.
  void MouseIn() override;
  void MouseOut() override;
};
