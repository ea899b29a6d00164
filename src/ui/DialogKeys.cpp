#include "ui/DialogKeys.h"

#include "base/AnsiText.h"
#include "ui/Controls.h"
#include "ui/kit/SkinnedButton.h"

namespace {

using TKind = TComponentKind;

// A label that opens something when clicked (a link) is pressed as a button is.
bool IsLink(const TControl &control) {
  return control.Kind() == TKind::ckLabel && static_cast<bool>(control.OnClick);
}

bool IsButton(const TControl &control) {
  const TKind kind = control.Kind();
  return kind == TKind::ckButton || kind == TKind::ckBitButton || kind == TKind::ckSkinnedButton ||
         IsLink(control);
}

void CollectStops(const TWinControl &parent, std::vector<TControl *> &stops) {
  for (TControl *child : parent.Controls()) {
    if (!child->Showing())
      continue;
    if (IsTabStop(*child))
      stops.push_back(child);
    // A page control's tabs come before the controls of its page.
    if (auto *inner = dynamic_cast<const TWinControl *>(child))
      CollectStops(*inner, stops);
  }
}

// The first stop placed after the control, in tab order; passed says
// whether the walk has come by the control yet.
TControl *StopAfter(const TWinControl &parent, const TControl &control, bool &passed) {
  for (TControl *child : parent.Controls()) {
    if (child == &control) {
      passed = true;
      continue;
    }
    if (!child->Showing())
      continue;
    if (passed && IsTabStop(*child))
      return child;
    if (auto *inner = dynamic_cast<const TWinControl *>(child))
      if (TControl *found = StopAfter(*inner, control, passed))
        return found;
  }
  return nullptr;
}

// What Alt with the key does to the control: a button is pressed, a check
// box or radio button clicked (as the system does), a link followed, any
// other label hands the focus to the stop after it, anything else takes the
// focus.
bool UseAccessKey(TForm &form, TControl &control) {
  switch (control.Kind()) {
  case TKind::ckButton:
  case TKind::ckBitButton:
  case TKind::ckSkinnedButton:
  case TKind::ckCheckBox:
  case TKind::ckRadioButton:
    control.SetFocus();
    return control.Click();
  case TKind::ckLabel:
    if (IsLink(control)) {
      control.SetFocus();
      return control.Click();
    }
    if (bool passed = false; TControl *next = StopAfter(form, control, passed)) {
      next->SetFocus();
      return true;
    }
    return false;
  default:
    control.SetFocus();
    return true;
  }
}

TControl *AccessKeyTarget(const TWinControl &parent, char key) {
  for (TControl *child : parent.Controls()) {
    if (!child->Showing())
      continue;
    if ((child->Kind() == TKind::ckLabel || IsTabStop(*child)) && AccessKeyOf(*child) == key)
      return child;
    if (auto *inner = dynamic_cast<const TWinControl *>(child))
      if (TControl *found = AccessKeyTarget(*inner, key))
        return found;
  }
  return nullptr;
}

// Ctrl+Tab turns the pages of the page control that holds the focus, or of
// the form's first one; the focus stays on its tabs when it was on the page.
bool TurnPage(TForm &form, TControl *focused, bool forward) {
  TControl *holder = focused;
  while (holder && holder->Kind() != TKind::ckPageControl)
    holder = holder->Parent();
  if (!holder)
    for (TControl *stop : TabStops(form))
      if (stop->Kind() == TKind::ckPageControl) {
        holder = stop;
        break;
      }
  auto *pages = static_cast<TPageControl *>(holder);
  if (!pages || !IsTabStop(*pages))
    return false;
  const int count = pages->PageCount();
  pages->SetActivePageIndex((pages->ActivePageIndex() + (forward ? 1 : count - 1)) % count);
  if (focused && focused != pages && !focused->Showing())
    pages->SetFocus();
  return true;
}

// A button pressed by a key; when the press took the focus's control away
// (disabled it, or turned its page), the focus goes to the default button,
// so Enter goes on as before (a wizard's Next), else to the first stop.
bool Press(TForm &form, TControl &button, TControl *focused) {
  const bool pressed = button.Click();
  if (focused && !IsTabStop(*focused)) {
    TControl *next = DialogButton(form, false);
    if (!next || !IsTabStop(*next))
      next = NextTabStop(form, nullptr, true);
    if (next)
      next->SetFocus();
  }
  return pressed;
}

} // namespace

bool TakesFocus(const TControl &control) {
  switch (control.Kind()) {
  case TKind::ckButton:
  case TKind::ckBitButton:
  case TKind::ckSkinnedButton:
  case TKind::ckCheckBox:
  case TKind::ckRadioButton:
  case TKind::ckRadioGroup:
  case TKind::ckEdit:
  case TKind::ckSpinner:
  case TKind::ckRichEdit:
  case TKind::ckListBox:
  case TKind::ckComboBox:
  case TKind::ckTabSet:
  case TKind::ckPageControl:
  case TKind::ckTrackBar:
  case TKind::ckTreeView:
  case TKind::ckChart:
    return true;
  case TKind::ckLabel:
    return IsLink(control);
  default:
    return false;
  }
}

bool IsTabStop(const TControl &control) {
  if (!control.TabStop || !TakesFocus(control) || !control.CanUse())
    return false;
  // A page control with a single page has no tab to choose.
  if (control.Kind() == TKind::ckPageControl)
    return static_cast<const TPageControl &>(control).PageCount() > 1;
  return true;
}

std::vector<TControl *> TabStops(const TWinControl &root) {
  std::vector<TControl *> stops;
  CollectStops(root, stops);
  return stops;
}

TControl *NextTabStop(const TWinControl &root, const TControl *from, bool forward) {
  const std::vector<TControl *> stops = TabStops(root);
  if (stops.empty())
    return nullptr;
  const int count = static_cast<int>(stops.size());
  for (int i = 0; i < count; ++i)
    if (stops[i] == from)
      return stops[(i + (forward ? 1 : count - 1)) % count];
  return forward ? stops.front() : stops.back();
}

char AccessKeyOf(const TControl &control) {
  if (control.AccessKey)
    return AnsiUpperCase(std::string(1, control.AccessKey))[0];
  const std::string &caption = control.Caption();
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&')
      continue;
    if (caption[i + 1] == '&') {
      ++i; // "&&" is an ampersand shown
      continue;
    }
    return AnsiUpperCase(std::string(1, caption[i + 1]))[0];
  }
  return 0;
}

TControl *DialogButton(const TForm &form, bool cancel) {
  for (TComponent *c : form.Components()) {
    bool marked = false;
    if (auto *button = dynamic_cast<TButton *>(c))
      marked = cancel ? button->Cancel : button->Default;
    else if (auto *skinned = dynamic_cast<TBaseBtn *>(c))
      marked = cancel ? skinned->Cancel : skinned->Default;
    if (marked && static_cast<TControl *>(c)->CanUse())
      return static_cast<TControl *>(c);
  }
  return nullptr;
}

bool HandleDialogKey(TForm &form, TControl *focused, int key, TShiftState shift) {
  if (shift.Alt) {
    if (shift.Ctrl || key <= kKeySpace)
      return false;
    TControl *target = AccessKeyTarget(form, static_cast<char>(key));
    return target && UseAccessKey(form, *target);
  }
  if (shift.Ctrl)
    return key == kKeyTab && TurnPage(form, focused, !shift.Shift);
  switch (key) {
  case kKeyTab:
    if (TControl *next = NextTabStop(form, focused, !shift.Shift)) {
      next->SetFocus();
      return true;
    }
    return false;
  case kKeyEnter:
    if (focused && IsButton(*focused) && focused->CanUse())
      return Press(form, *focused, focused);
    if (TControl *button = DialogButton(form, false))
      return Press(form, *button, focused);
    return false;
  case kKeyEscape:
    if (TControl *button = DialogButton(form, true))
      return Press(form, *button, focused);
    return false;
  case kKeySpace:
    // Windowed buttons press themselves on Space.
    if (focused && focused->Windowless() && IsButton(*focused) && focused->CanUse())
      return Press(form, *focused, focused);
    return false;
  default:
    return false;
  }
}
