#pragma once
// One row per kind of control: how the Win32 backend makes its window and
// keeps it in step with the model. A row names the window class (none for a
// control its parent paints through the canvas), the styles, what the window
// shows as its text, and four optional steps:
//   Prepare    styles and bounds that depend on the control's state,
//              before the window is made;
//   FirstSync  after the window exists: child windows, items, checks...;
//   Sync       model -> window for the kind's own properties (true when it
//              handled the change; otherwise the peer's common handling of
//              bounds, visibility, enabling, caption and font follows);
//   Notify     a notification of the window (or of a window it made) ->
//              the model.
// A new kind of control is one row in Win32ControlKinds.cpp.

#include "ui/Component.h"

#include <windows.h>

#include <string>

class TWin32Peer;

// What a window's text is.
enum class TWindowText {
  wtCaption,  // the control's caption, and follows it
  wtEditText, // an edit's text (the Text property keeps it in step)
  wtNone,     // empty: items, panels or nothing are shown instead
};

// The styles of a control's window, as its row and the control's state make them.
struct TWin32WindowStyles {
  DWORD Style;
  DWORD ExStyle;
};

// A notification that reached a container window: WM_COMMAND (Code the
// notification code, Id the sender's control ID), WM_NOTIFY (Code from
// its header), WM_HSCROLL or WM_VSCROLL (Code the scroll request; From is
// none for the window's own scroll bar).
struct TWin32Notice {
  UINT Message;
  UINT Code;
  UINT Id;
  HWND From;
  const NMHDR *Header = nullptr; // WM_NOTIFY: the whole notification
};

struct TWin32ControlKind {
  TComponentKind Kind = TComponentKind::ckOther;
  // nullptr: painted by the parent through the canvas, no window.
  const char *WindowClass = nullptr;
  DWORD Style = 0; // besides WS_CHILD | WS_CLIPSIBLINGS
  DWORD ExStyle = 0;
  TWindowText Text = TWindowText::wtCaption;
  void (*Prepare)(TControl &control, TWin32WindowStyles &styles) = nullptr;
  void (*FirstSync)(TWin32Peer &peer, TControl &control) = nullptr;
  bool (*Sync)(TWin32Peer &peer, TControl &control, TProperty property) = nullptr;
  void (*Notify)(TControl &control, const TWin32Notice &notice) = nullptr;

  bool PaintedByParent() const { return WindowClass == nullptr; }
};

// The window class of panels, pages and other containers the backend draws
// itself (children's windows inside, windowless children painted on it).
constexpr char kContainerClass[] = "MovaroPanel";
// The class of forms that name none of their own.
constexpr char kGenericFormClass[] = "MovaroForm";

// The row for a control: its kind's, or for a kind without one the
// container's (or, for a windowless control, the painted one's).
const TWin32ControlKind &ControlKindOf(const TControl &control);
