#pragma once
// What assistive technology (screen readers, speech recognition) is told of
// the controls: a name, a role, a state, where each stands and what its
// default action does. A backend answers the system's accessibility
// requests from this, for the windowless controls most of all: to such
// software a painted button is otherwise a picture without a name.
//
// A name is the control's caption without its access-key marker; for a
// field, whose caption shows nothing (edits, spinners, lists, gauges), the
// label placed just before it; else (or when the caption is a symbol of one
// character, "?" or "x") its short hint. A markup text is
// named by its first words and lists its hyperlinks as links of their own.
// A label that does something when clicked is a link. Shapes, backdrops,
// pictures without a name and empty labels and texts show nothing to read
// and are left out, as the system leaves out a static frame.

#include "ui/Component.h"

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

// A caption as shown: the access-key marker '&' gone ("&&" shows one), line
// breaks as blanks.
std::string ShownCaption(const std::string &caption);
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
