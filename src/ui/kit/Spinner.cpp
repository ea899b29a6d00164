#include "ui/kit/Spinner.h"

#include "base/AnsiText.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace {
constexpr char kEnter = 13, kBackspace = 8;
} // namespace

TSpinner::TSpinner(TComponent *owner, std::string name)
    : TEdit(owner, std::move(name)), repeat_(Create<TTimer>("RepeatTimer")) {
  repeat_.SetEnabled(false);
  repeat_.OnTimer = [this](TComponent &) { Repeat(); };
  SetText("0");
}

int TSpinner::Value() const {
  int32_t value = 0;
  return TextToInt32(Text(), value) ? value : MinValue;
}

int TSpinner::CheckValue(int value) const {
  if (MaxValue == MinValue)
    return value;
  return value < MinValue ? MinValue : value > MaxValue ? MaxValue : value;
}

void TSpinner::SetValue(int value) { SetText(std::to_string(CheckValue(value))); }

void TSpinner::Up() { Step(1); }

void TSpinner::Down() { Step(-1); }

void TSpinner::Step(int direction) {
  if (ReadOnly) {
    Beep();
    return;
  }
  // Steps stop at the ends of the integer range instead of wrapping round.
  const long long next = static_cast<long long>(Value()) + 1LL * direction * Increment;
  SetValue(static_cast<int>(std::clamp<long long>(next, INT_MIN, INT_MAX)));
}

void TSpinner::KeyDown(int key) {
  if (key == kKeyUp)
    Up();
  else if (key == kKeyDown)
    Down();
}

bool TSpinner::KeyPress(char key) {
  const auto code = static_cast<unsigned char>(key);
  bool valid;
  if (!EditorEnabled) {
    valid = code < 32 && key != kEnter && key != kBackspace;
  } else {
    TApplication *application = ApplicationOf(*this);
    const char separator = application ? application->DecimalSeparator() : '.';
    valid = key == separator || key == '+' || key == '-' || std::isdigit(code) ||
            (code < 32 && key != kEnter);
  }
  if (!valid)
    Beep();
  return valid;
}

bool TSpinner::Type(const std::string &text) {
  if (ReadOnly || !CanUse())
    return false;
  std::string result = Text();
  bool all = true;
  for (char c : text) {
    if (!KeyPress(c)) {
      all = false;
    } else if (c == kBackspace) {
      if (!result.empty())
        result.pop_back();
    } else if (static_cast<unsigned char>(c) >= 32) {
      result += c;
    }
  }
  SetText(std::move(result));
  return all;
}

bool TSpinner::Paste(const std::string &text) {
  if (!CanCutOrPaste() || !CanUse())
    return false;
  SetText(Text() + text);
  return true;
}

void TSpinner::FocusLeft() {
  TEdit::FocusLeft();
  const int value = Value();
  // A text that is no number reads as MinValue, so it is written back too.
  int32_t parsed = 0;
  if (CheckValue(value) != value || !TextToInt32(Text(), parsed))
    SetValue(value);
}

void TSpinner::ArrowPress(bool upper) {
  held_ = upper ? 1 : -1;
  Step(held_);
  repeat_.SetInterval(kFirstRepeatMs);
  repeat_.SetEnabled(held_ != 0); // a handler of the step may have released the arrow
}

void TSpinner::ArrowRelease() {
  held_ = 0;
  repeat_.SetEnabled(false);
}

void TSpinner::Repeat() {
  if (held_ == 0) {
    repeat_.SetEnabled(false);
    return;
  }
  repeat_.SetInterval(kRepeatMs);
  Step(held_);
}

void TSpinner::Beep() {
  if (TApplication *application = ApplicationOf(*this))
    application->Beep();
}
