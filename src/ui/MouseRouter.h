#pragma once
// Routes the mouse over a container window to the windowless controls painted
// on it, in each control's own coordinates: moves (with MouseIn and MouseOut
// as the pointer goes from one control to the next), presses and releases
// (the control pressed keeps the mouse until the button is up; a left press
// released over the same control clicks it), and the cursor to show.
//
// The backend keeps one router and feeds it its containers' mouse messages;
// tests drive one directly. A control that is destroyed, even by one of its
// own handlers, is forgotten by every router at once.

#include "ui/Component.h"

#include <functional>
#include <vector>

class TMouseRouter {
public:
  TMouseRouter();
  ~TMouseRouter();
  TMouseRouter(const TMouseRouter &) = delete;
  TMouseRouter &operator=(const TMouseRouter &) = delete;

  // The backend's mouse capture: taken when a press starts, given back when
  // it ends, before any handler runs (a handler may start a modal loop).
  std::function<void(TWinControl &container)> OnCapture;
  std::function<void()> OnReleaseCapture;

  // Points are in the container's client coordinates.
  void Move(TWinControl &container, int x, int y);
  void Down(TWinControl &container, TMouseButton button, int x, int y, bool doubleClick = false);
  void Up(TWinControl &container, TMouseButton button, int x, int y);
  // The pointer left the container's window (for another window, or one of
  // the container's child windows).
  void Left(TWinControl &container);
  // The capture was taken away while a button was held.
  void CaptureLost();

  TControl *Hovered() const { return hovered_; }
  TControl *Pressed() const { return pressed_; }
  // The cursor to show at a point of a container: the screen cursor when one
  // is set, else the pressed control's, else the windowless control's under
  // the point, else the container's (crDefault: the window's own).
  int CursorAt(const TWinControl &container, int x, int y) const;

  // Called by TControl's destructor.
  static void Forget(const TControl &control);

private:
  void Hover(TControl *control);
  bool Deliver(TControl &target, const std::function<void(TControl &)> &call);

  TControl *hovered_ = nullptr;
  TControl *pressed_ = nullptr;
  bool pressClicks_ = false;     // a left press that was not the second of a double click
  // The controls whose handlers run, innermost last; an entry is cleared
  // when its control goes while they run.
  std::vector<const TControl *> delivering_;
};

// The windowless control at a point of a container (client coordinates), or none.
TControl *WindowlessControlAt(const TWinControl &container, int x, int y);
