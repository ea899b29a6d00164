#include "ui/Accessibility.h"

#include "base/AnsiText.h"
#include "ui/Controls.h"
#include "ui/DialogKeys.h"
#include "ui/Translator.h"
#include "ui/kit/Background.h"
#include "ui/kit/Chart.h"
#include "ui/kit/SkinnedButton.h"
#include "ui/kit/Spinner.h"
#include "ui/markup/MarkupScanner.h"
#include "ui/markup/ParserControl.h"

#include <algorithm>
#include <string_view>

namespace {

using TKind = TComponentKind;
using TRole = TAccessibleRole;

// A markup text is named by about this many characters of its first words.
constexpr size_t kTextNameLength = 80;

std::string Trimmed(std::string text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos)
    return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The marks that open the items of a list ("\x95 Messages", "\xB7 Breaks"):
// a screen reader would read them out as a word.
bool IsBullet(char c) { return c == '\x95' || c == '\xB7'; }

// A line's start without its blanks and the bullet opening it.
std::string_view WithoutBullet(std::string_view line) {
  auto skipBlanks = [&line] {
    while (!line.empty() && line.front() == ' ')
      line.remove_prefix(1);
  };
  skipBlanks();
  if (!line.empty() && IsBullet(line.front())) {
    line.remove_prefix(1);
    skipBlanks();
  }
  return line;
}

// The words of a markup text, breaks as blanks, up to about the length; a
// line's bullet is left out.
std::string MarkupWords(std::string_view text, size_t length) {
  std::string words;
  TMarkupScanner scanner(text);
  TMarkupToken token;
  bool lineStart = true; // no word of the line placed yet
  while (words.size() < length && scanner.Next(token)) {
    if (token.Kind == TMarkupTokenKind::mkWord) {
      std::string_view word = scanner.Word();
      if (lineStart)
        word = WithoutBullet(word);
      lineStart = lineStart && word.empty();
      words += word;
    } else if (token.Kind == TMarkupTokenKind::mkLineBreak) {
      lineStart = true;
      if (!words.empty() && words.back() != ' ')
        words += ' ';
    }
  }
  return Trimmed(words);
}

// Kinds whose caption is not what they show: they are named by a label.
bool IsField(TKind kind) {
  switch (kind) {
  case TKind::ckEdit:
  case TKind::ckRichEdit:
  case TKind::ckSpinner:
  case TKind::ckListBox:
  case TKind::ckComboBox:
  case TKind::ckTrackBar:
  case TKind::ckGauge:
  case TKind::ckTreeView:
    return true;
  default:
    return false;
  }
}

// The label that names a field: the nearest one before it among its
// siblings that shows a text, unless another control that takes the focus
// stands between them (the label is that one's).
std::string LabelBefore(const TControl &control) {
  const TWinControl *parent = control.Parent();
  if (!parent)
    return {};
  const std::vector<TControl *> &siblings = parent->Controls();
  std::string name;
  for (const TControl *sibling : siblings) {
    if (sibling == &control)
      return name;
    if (!sibling->Visible())
      continue;
    if (sibling->Kind() == TKind::ckLabel) {
      if (std::string shown = ShownCaption(sibling->Caption()); !shown.empty())
        name = shown;
    } else if (TakesFocus(*sibling)) {
      name.clear();
    }
  }
  return name;
}

bool CheckedOf(const TControl &control) {
  switch (control.Kind()) {
  case TKind::ckCheckBox:
    return static_cast<const TCheckBox &>(control).Checked();
  case TKind::ckRadioButton:
    return static_cast<const TRadioButton &>(control).Checked();
  default:
    return false;
  }
}

bool PressedOf(const TControl &control) {
  if (auto *skinned = dynamic_cast<const TBaseBtn *>(&control))
    return skinned->Pressed() || skinned->ButtonIsDown;
  if (auto *speed = dynamic_cast<const TSpeedButton *>(&control))
    return speed->Down();
  return false;
}

TAccessibleActions &Actions() {
  static TAccessibleActions actions;
  return actions;
}

std::string DefaultActionOf(const TControl &control, TRole role) {
  const TAccessibleActions &words = Actions();
  switch (role) {
  case TRole::PushButton:
    return words.Press;
  case TRole::CheckBox:
    return CheckedOf(control) ? words.Uncheck : words.Check;
  case TRole::RadioButton:
    return words.Check;
  case TRole::Link:
    return words.Jump;
  default:
    return TakesFocus(control) ? words.Focus : "";
  }
}

bool IsContainerRole(TRole role) { return role == TRole::Pane || role == TRole::PropertyPage; }

// The heading of a container: its first shown label or markup text with
// words, looked for depth first through the panes inside it.
std::string HeadingOf(const TWinControl &container) {
  for (const TControl *child : container.Controls()) {
    if (!child->Visible())
      continue;
    if (child->Kind() == TKind::ckLabel) {
      if (std::string shown = ShownCaption(child->Caption()); !shown.empty())
        return shown;
    } else if (auto *text = dynamic_cast<const GCustomParserControl *>(child)) {
      if (std::string words = MarkupWords(text->Text(), kTextNameLength); !words.empty())
        return words;
    } else if (auto *inner = dynamic_cast<const TWinControl *>(child);
               inner && IsContainerRole(AccessibleRoleOf(*inner))) {
      if (std::string heading = HeadingOf(*inner); !heading.empty())
        return heading;
    }
  }
  return {};
}

// A notebook shows no tabs: its pages' captions are never seen.
bool CaptionShown(const TControl &control) {
  return !(control.Kind() == TKind::ckPage && control.Parent() &&
           control.Parent()->Kind() == TKind::ckNotebook);
}

std::string ValueOf(const TControl &control) {
  if (auto *edit = dynamic_cast<const TEdit *>(&control))
    return edit->PasswordChar ? std::string() : edit->Text();
  if (auto *gauge = dynamic_cast<const TGauge *>(&control)) {
    const int range = gauge->MaxValue - gauge->MinValue;
    const int done = range > 0 ? (gauge->Progress() - gauge->MinValue) * 100 / range : 0;
    return std::to_string(done) + "%";
  }
  if (auto *list = dynamic_cast<const TListControl *>(&control))
    return list->ItemIndex() >= 0 ? list->Items[list->ItemIndex()] : std::string();
  if (auto *chart = dynamic_cast<const GChart *>(&control))
    return chart->SelectedDescription();
  return {};
}

void AddLinks(GCustomParserControl &text, std::vector<TAccessibleElement> &elements) {
  if (!text.OnHyperLinkClick)
    return;
  const TRect &at = text.Bounds();
  const THyperLinkArea *previous = nullptr;
  for (int i = 1; i <= text.HyperLinks().Count(); ++i) {
    auto *area = static_cast<const THyperLinkArea *>(text.HyperLinks().GetItem(i));
    // A link that wraps is one area a line: the user sees one link.
    if (previous && previous->HRef == area->HRef && !elements.empty() &&
        elements.back().Link >= 0) {
      elements.back().Name = Trimmed(elements.back().Name + " " + Trimmed(area->Text));
      continue;
    }
    previous = area;
    TAccessibleElement link;
    link.Control = &text;
    link.Link = i - 1;
    link.Name = Trimmed(area->Text);
    if (link.Name.empty())
      link.Name = area->HRef;
    link.Role = TRole::Link;
    link.Bounds = {at.Left + area->Left, at.Top + area->Top, area->Right - area->Left,
                   area->Bottom - area->Top};
    link.State.Unavailable = !text.CanUse();
    link.DefaultAction = Actions().Jump;
    link.Value = area->HRef;
    elements.push_back(std::move(link));
  }
}

} // namespace

std::string ShownCaption(const std::string &caption) {
  std::string shown;
  std::string_view rest = caption;
  while (!rest.empty()) {
    const size_t end = std::min(rest.find_first_of("\r\n"), rest.size());
    const std::string_view line = WithoutBullet(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (line.empty())
      continue;
    if (!shown.empty() && shown.back() != ' ')
      shown += ' ';
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] != '&')
        shown += line[i];
      else if (i + 1 < line.size() && line[i + 1] == '&')
        shown += line[++i]; // "&&" shows one; a single one marks the access key
    }
  }
  return Trimmed(shown);
}

namespace {

// The name a control's own caption, label or hint gives it.
std::string OwnName(const TControl &control) {
  std::string name;
  if (IsField(control.Kind())) {
    if (TakesFocus(control) || (name = Trimmed(control.ShortHint())).empty())
      name = LabelBefore(control);
  } else if (auto *container = dynamic_cast<const TWinControl *>(&control);
             container && IsContainerRole(AccessibleRoleOf(control))) {
    if (CaptionShown(control))
      name = ShownCaption(control.Caption());
    if (name.empty())
      name = Trimmed(control.ShortHint());
    if (name.empty())
      name = HeadingOf(*container);
  } else if (auto *text = dynamic_cast<const GCustomParserControl *>(&control)) {
    name = MarkupWords(text->Text(), kTextNameLength);
  } else if (auto *bar = dynamic_cast<const TStatusBar *>(&control)) {
    for (const TStatusPanel &panel : bar->Panels())
      if (std::string shown = Trimmed(panel.Text); !shown.empty())
        name += (name.empty() ? "" : " ") + shown;
  } else {
    name = ShownCaption(control.Caption());
    // A caption of one character is a symbol ("?", "x"): the hint says more.
    if (name.size() == 1 && !Trimmed(control.ShortHint()).empty())
      name.clear();
  }
  if (name.empty())
    name = Trimmed(control.ShortHint());
  return name;
}

// Controls a user tells apart by name, to choose one: buttons, boxes, links.
bool ChosenByName(const TControl &control) {
  switch (AccessibleRoleOf(control)) {
  case TRole::PushButton:
  case TRole::CheckBox:
  case TRole::RadioButton:
  case TRole::Link:
    return true;
  default:
    return false;
  }
}

} // namespace

std::string LookalikeName(const TControl &control) {
  const TWinControl *parent = control.Parent();
  if (!parent || !ChosenByName(control))
    return {};
  const std::string own = OwnName(control);
  if (own.empty())
    return {};
  const auto &siblings = parent->Controls();
  if (std::none_of(siblings.begin(), siblings.end(), [&](const TControl *sibling) {
        return sibling != &control && sibling->Visible() && ChosenByName(*sibling) &&
               SameText(OwnName(*sibling), own);
      }))
    return {};
  for (std::string hint : {control.ShortHint(), control.LongHint()})
    if (hint = Trimmed(hint); !hint.empty() && !SameText(hint, own))
      return hint;
  return {};
}

std::string AccessibleNameOf(const TControl &control) {
  std::string apart = LookalikeName(control);
  return apart.empty() ? OwnName(control) : apart;
}

TAccessibleRole AccessibleRoleOf(const TControl &control) {
  switch (control.Kind()) {
  case TKind::ckForm:
    return TRole::Client;
  case TKind::ckButton:
  case TKind::ckBitButton:
  case TKind::ckSpeedButton:
  case TKind::ckSkinnedButton:
    return TRole::PushButton;
  case TKind::ckCheckBox:
    return TRole::CheckBox;
  case TKind::ckRadioButton:
    return TRole::RadioButton;
  case TKind::ckGroupBox:
  case TKind::ckRadioGroup:
    return TRole::Grouping;
  case TKind::ckPanel:
  case TKind::ckScrollBox:
    return TRole::Pane;
  case TKind::ckNotebook: // pages without tabs
    return TRole::Pane;
  case TKind::ckPageControl:
  case TKind::ckTabSet:
    return TRole::PageTabList;
  case TKind::ckPage:
    return TRole::PropertyPage;
  case TKind::ckEdit:
  case TKind::ckRichEdit:
    return TRole::Text;
  case TKind::ckSpinner:
    return TRole::SpinBox;
  case TKind::ckListBox:
    return TRole::List;
  case TKind::ckComboBox:
    return TRole::ComboBox;
  case TKind::ckTrackBar:
    return TRole::Slider;
  case TKind::ckGauge:
    return TRole::ProgressBar;
  case TKind::ckStatusBar:
    return TRole::StatusBar;
  case TKind::ckTreeView:
    return TRole::Outline;
  case TKind::ckChart:
    return TRole::Chart;
  case TKind::ckImage:
  case TKind::ckShape:
    return TRole::Graphic;
  case TKind::ckLabel:
    // An underlined label that opens something when clicked.
    return control.OnClick ? TRole::Link : TRole::StaticText;
  default:
    if (dynamic_cast<const GCustomParserControl *>(&control))
      return TRole::Text;
    if (dynamic_cast<const TWinControl *>(&control))
      return TRole::Pane;
    return TRole::StaticText;
  }
}

bool IsAccessible(const TControl &control) {
  switch (control.Kind()) {
  case TKind::ckShape:
    return false;
  case TKind::ckImage:
  case TKind::ckLabel: // an empty label shows nothing to read
    return !AccessibleNameOf(control).empty();
  default:
    if (auto *text = dynamic_cast<const GCustomParserControl *>(&control))
      return !AccessibleNameOf(*text).empty() || text->HyperLinks().Count() > 0;
    // A backdrop under the other controls.
    if (dynamic_cast<const TBkControl *>(&control))
      return false;
    // A panel that only frames a picture or a backdrop.
    if (auto *container = dynamic_cast<const TWinControl *>(&control);
        container && IsContainerRole(AccessibleRoleOf(control)))
      return std::any_of(container->Controls().begin(), container->Controls().end(),
                         [](const TControl *child) { return child->Visible() && IsAccessible(*child); });
    return true;
  }
}

const TAccessibleActions &AccessibleActions() { return Actions(); }

void SetAccessibleActions(const TAccessibleActions &actions) { Actions() = actions; }

void TranslateAccessibleActions(TTranslator &translator, const std::string &formName,
                                const std::string &languageFile) {
  const TAccessibleActions english;
  TAccessibleActions words;
  std::string *const slots[] = {&words.Press, &words.Check, &words.Uncheck, &words.Jump,
                                &words.Focus};
  const std::string *const defaults[] = {&english.Press, &english.Check, &english.Uncheck,
                                         &english.Jump, &english.Focus};
  for (int i = 0; i < 5; ++i) {
    *slots[i] = Trimmed(translator.TranslateText(kAccessibleActionTexts + i, formName,
                                                 languageFile, *defaults[i]));
    if (slots[i]->empty())
      *slots[i] = *defaults[i];
  }
  SetAccessibleActions(words);
}

std::vector<TAccessibleElement> AccessibleChildren(const TWinControl &container) {
  std::vector<TAccessibleElement> elements;
  for (TControl *child : container.Controls()) {
    if (!child->Visible() || !IsAccessible(*child))
      continue;
    TAccessibleElement element;
    element.Control = child;
    element.Name = AccessibleNameOf(*child);
    element.Role = AccessibleRoleOf(*child);
    element.Bounds = child->Bounds();
    element.State.Focused = child->Focused();
    element.State.Focusable = IsTabStop(*child);
    element.State.Pressed = PressedOf(*child);
    element.State.Unavailable = !child->CanUse();
    element.State.Checked = CheckedOf(*child);
    element.DefaultAction = DefaultActionOf(*child, element.Role);
    element.Value = ValueOf(*child);
    elements.push_back(std::move(element));
    if (auto *text = dynamic_cast<GCustomParserControl *>(child))
      AddLinks(*text, elements);
  }
  return elements;
}

bool DoDefaultAction(const TAccessibleElement &element) {
  TControl *control = element.Control;
  if (!control || !control->CanUse())
    return false;
  if (element.Link >= 0) {
    auto *text = dynamic_cast<GCustomParserControl *>(control);
    if (!text || !text->OnHyperLinkClick || element.Link >= text->HyperLinks().Count())
      return false;
    // A copy: the handler may set another text, which frees the areas.
    const std::string hRef =
        static_cast<const THyperLinkArea *>(text->HyperLinks().GetItem(element.Link + 1))->HRef;
    text->OnHyperLinkClick(*text, hRef);
    return true;
  }
  switch (element.Role) {
  case TRole::PushButton:
  case TRole::CheckBox:
  case TRole::RadioButton:
  case TRole::Link:
    return control->Click();
  default:
    if (!TakesFocus(*control))
      return false;
    control->SetFocus();
    return true;
  }
}
