#pragma once
// What assistive technology (screen readers, speech recognition) is told of
// the controls: a name, a role, a state, where each stands and what its
// default action does. A backend answers the system's accessibility
// requests from this, for the windowless controls most of all: to such
// software a painted button is otherwise a picture without a name.
//
// A name is the control's caption without its access-key marker; for a
// field, whose caption shows nothing (edits, spinners, lists, gauges), the
// label placed just before it (a gauge that takes no input and has a hint of
// its own is named by that: the label before it may be a heading); else (or
// when the caption is a symbol of one character, "?" or "x") its short hint;
// lookalikes by their hints (LookalikeName).
// A container without a name of its own (a panel, a scroll box, a page of a
// notebook, whose caption is never shown) is named by the first label or
// markup text it holds, its heading; one that holds nothing to read is left
// out, as decoration is. A markup text is
// named by its first words and lists its hyperlinks as links of their own.
// A label that does something when clicked is a link. Shapes, backdrops,
// pictures without a name and empty labels and texts show nothing to read
// and are left out, as the system leaves out a static frame.

#include "ui/Component.h"

#include <cstdint>

#include <string>
#include <vector>

enum class TAccessibleRole {
  Client,       // a form's client area
  Pane,         // a panel or scroll box
  Grouping,     // a group box, a radio group
  PageTabList,  // a page control's tabs
  PropertyPage, // one of its pages
  PushButton,
  CheckBox,
  RadioButton,
  SpinBox,
  ProgressBar,
  Slider,
  Link,
  Text, // an edit field or a markup text
  StaticText,
  Graphic,
  List,
  ComboBox,
  Outline, // a tree
  StatusBar,
  Chart, // a chart whose value is its selected part's figures
};

struct TAccessibleState {
  bool Focused = false, Focusable = false, Pressed = false, Unavailable = false, Checked = false;
  bool operator==(const TAccessibleState &) const = default;
};

// One element a container shows: a child control, or one hyperlink of a
// markup text child (Link >= 0: its position among the text's links).
struct TAccessibleElement {
  TControl *Control = nullptr;
  int Link = -1;
  std::string Name;
  TAccessibleRole Role = TAccessibleRole::StaticText;
  TRect Bounds; // in the container's client coordinates
  TAccessibleState State;
  std::string DefaultAction; // empty: none
  std::string Value;         // a field's text, a gauge's percentage
};

// The words of the default actions, in the user's language. The programs
// set them with their other texts; until then they are English.
struct TAccessibleActions {
  std::string Press = "Press", Check = "Check", Uncheck = "Uncheck", Jump = "Jump",
              Focus = "Focus";
};
const TAccessibleActions &AccessibleActions();
void SetAccessibleActions(const TAccessibleActions &actions);
// The numbers of the words' texts in a language file, in the order above.
constexpr int32_t kAccessibleActionTexts = 19000;
class TTranslator;
// Sets the words from the language file's texts numbered from
// kAccessibleActionTexts; a word the file lacks stays English.
void TranslateAccessibleActions(TTranslator &translator, const std::string &formName,
                                const std::string &languageFile);

// A caption as shown: the access-key marker '&' gone ("&&" shows one), line
// breaks as blanks, and the bullet that opens a line (0x95, 0xB7) left out
// (a mark, not a word to read).
std::string ShownCaption(const std::string &caption);
// A button, box or link that would read the same name as a sibling shown
// beside it (two "Play" buttons, two "Block input" boxes) is named by its
// short hint, or its long one where the short says no more: that name, or
// empty for a control without such a lookalike or without a hint that
// tells it apart.
std::string LookalikeName(const TControl &control);
std::string AccessibleNameOf(const TControl &control);
TAccessibleRole AccessibleRoleOf(const TControl &control);
// False for decoration (shapes, backdrops, pictures without a name).
bool IsAccessible(const TControl &control);
// The elements of a container's shown children, in their order (a markup
// text's links follow the text).
std::vector<TAccessibleElement> AccessibleChildren(const TWinControl &container);
// The element's default action, as a user's click or key would do it: a
// button pressed, a box ticked, a link followed, a field focused. False when
// refused (a disabled control) or when the element has none.
bool DoDefaultAction(const TAccessibleElement &element);
