#pragma once
// A numeric edit box with a pair of arrow buttons at its right edge. The
// value is the edit's text read as a decimal integer; the box takes only
// characters that can form a number, steps the number with the arrows and
// the arrow keys, and clamps it to MinValue..MaxValue when the focus leaves.
//
// The backend feeds it the keys, characters, clipboard requests, focus
// changes and arrow presses of its window (tests call the same operations);
// the arrows repeat on the spinner's own timer, so they repeat in virtual
// time headless and on the message loop in the programs.

#include "ui/Controls.h"
#include "ui/Forms.h"

class TSpinner : public TEdit {
public:
  // The text is "0".
  TSpinner(TComponent *owner, std::string name);
  MOVARO_KIND(ckSpinner)

  static constexpr int kArrowsWidth = 15;
  // The first repeat of a held arrow, then the following ones.
  static constexpr uint32_t kFirstRepeatMs = 400;
  static constexpr uint32_t kRepeatMs = 100;

  bool AutoSelect = true;    // select the whole text when the focus comes
  bool EditorEnabled = true; // false: only the arrows change the value
  int Increment = 1;
  // MinValue is also what a text that is no number reads as. With MaxValue
  // equal to MinValue the value is never clamped.
  int MinValue = 0, MaxValue = 0;

  // The text as a decimal integer; MinValue when it is none.
  int Value() const;
  // Whether the text is a number within the limits, as a user finished it
  // (not "", "-" or "5" on the way to "50").
  bool HoldsValidValue() const;
  // Writes the decimal form of CheckValue(value).
  void SetValue(int value);
  int CheckValue(int value) const;
  // One step up or down; a read-only spinner only beeps.
  void Up();
  void Down();

  // A key pressed in the box: the up and down arrow keys step the value
  // (the key then goes on to its normal handling).
  void KeyDown(int key);
  // Whether a typed character may reach the text; a refused one beeps. Of
  // the control characters only the edit's own pass (Backspace, select
  // all, copy, cut, paste, undo): Tab, Enter and Escape belong to the
  // dialog, and a tab in the text would hide the number.
  bool KeyPress(char key);
  // Typing through the character filter (headless drivers; Backspace erases).
  bool Type(const std::string &text) override;
  // Whether cut and paste are allowed, and a paste of clipboard text.
  bool CanCutOrPaste() const { return EditorEnabled && !ReadOnly; }
  bool Paste(const std::string &text);

  // Whether the focus, coming in, should select the whole text (not while the
  // left mouse button is held on the box: the click places the caret).
  bool SelectAllOnFocus(bool leftButtonHeld) const { return AutoSelect && !leftButtonHeld; }
  // Leaving the box writes the clamped value back when it differs; a text
  // that is no number gets the last valid value back, so a box emptied by
  // mistake never becomes MinValue unasked.
  void FocusLeft() override;

  // The arrows: pressing the upper or lower half steps at once and repeats
  // while held; releasing (or losing the mouse) stops the repeat.
  void ArrowPress(bool upper);
  void ArrowRelease();
  bool ArrowHeld() const { return held_ != 0; }
  // Where the arrows sit (spinner coordinates) and the edit's formatting
  // rectangle, for a client area of the given size, so text never runs
  // under the arrows.
  static TRect ArrowsBounds(int width, int height) {
    return {width - kArrowsWidth, 0, kArrowsWidth, height};
  }
  static TCanvasRect FormattingRect(int clientWidth, int clientHeight) {
    return {0, 0, clientWidth - kArrowsWidth - 2, clientHeight + 1};
  }

protected:
  void TextChanged() override;

private:
  void Step(int direction); // +1 up, -1 down
  void Beep();
  void Repeat();
  TTimer &repeat_;
  int held_ = 0; // +1 upper arrow held, -1 lower, 0 none
  int lastValid_ = 0; // the last value the text held within the limits
};
