#include "ui/kit/Spinner.h"

#include "base/AnsiText.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace {
constexpr char kBackspace = 8;

// The control characters a single-line edit acts on itself.
bool IsEditingControl(char key) {
  constexpr char kSelectAll = 1, kCopy = 3, kPaste = 22, kCut = 24, kUndo = 26;
  return key == kBackspace || key == kSelectAll || key == kCopy || key == kPaste ||
         key == kCut || key == kUndo;
}
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

bool TSpinner::HoldsValidValue() const {
  int32_t value = 0;
  return TextToInt32(Text(), value) && CheckValue(value) == value;
}

void TSpinner::TextChanged() {
  if (HoldsValidValue())
    lastValid_ = Value();
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
    valid = IsEditingControl(key) && key != kBackspace;
  } else {
    TApplication *application = ApplicationOf(*this);
    const char separator = application ? application->DecimalSeparator() : '.';
    valid = key == separator || key == '+' || key == '-' || std::isdigit(code) ||
            IsEditingControl(key);
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
  int32_t parsed = 0;
  const int value = TextToInt32(Text(), parsed) ? parsed : lastValid_;
  if (CheckValue(value) != value || std::to_string(value) != Text())
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
