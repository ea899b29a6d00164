#pragma once
// The window half of a control: the window (none for a control painted by
// its parent), the windows it owns (a radio group's buttons, a page
// control's tabs), its font, and the kind's row that says how the window
// follows the model. Used inside the Win32 backend only.

#include "platform/DisplayScale.h"
#include "ui/Component.h"
#include "ui/win32/Win32ControlKinds.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

// The window property that leads from a window to its control.
constexpr char kControlProp[] = "MovaroControl";

class TWin32Peer : public TControlPeer {
public:
  TWin32Peer(const TWin32ControlKind &kind, HWND window, HWND parent)
      : Kind(kind), Window(window), ParentWindow(parent) {}
  ~TWin32Peer() override;

  // The kind's own sync first, then what every window does.
  void Changed(TControl &control, TProperty property) override;
  // A windowless control has the focus through its form's window (the model
  // says which of them); a control whose window holds others (a page
  // control's tabs, a radio group's buttons) through the one that acts.
  bool Focused() const override;
  void SetFocus() override;
  void SyncFont(TControl &control);
  // The control's window, or its area of the parent's.
  void Repaint(TControl &control);
  // The scale of the display the control's window (or its parent's) is on.
  TDisplayScale Scale() const;

  const TWin32ControlKind &Kind;
  HWND Window;
  HWND ParentWindow;
  HFONT Font = nullptr;
  bool Updating = false;         // the window is being set from the model
  std::vector<HWND> ItemWindows; // windows the peer made inside its own
  TRect PaintedBounds;           // a windowless control's last area
  // Graphic objects the peer loaded for its control (a picture, a tree's
  // image list); freed with the peer.
  std::vector<HGDIOBJ> Pictures;
  HIMAGELIST ImageList = nullptr;
};

TWin32Peer *PeerOf(const TControl &control);
// A rectangle of the model (design units) in a window's device pixels.
RECT ClientRectOf(const TRect &r, const TDisplayScale &scale);
// Places a window at model bounds (design units), scaled for its display.
void MoveWindowTo(HWND window, const TRect &bounds);
// The window rectangle of a form whose client area the model holds: the
// frame and menu added to the scaled client area.
RECT FormWindowRect(const TRect &client, DWORD style, bool menu, DWORD exStyle,
                    const TDisplayScale &scale);
std::string WindowText(HWND window);
