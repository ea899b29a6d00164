#pragma once
// The component model: every window and control of both programs is a tree of
// components that holds all of its state (names, tags, captions, hints, items,
// bounds, fonts, colours, event handlers). With no backend attached a form runs
// headless: tests read and click the model. A backend (the Win32 one) attaches
// a peer to each control and is told of every change through it.

#include "platform/Canvas.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TControl;
class TWinControl;

// What the translator and a backend need to know of a component's kind.
enum class TComponentKind {
  ckOther,
  ckForm,
  ckLabel,
  ckButton,
  ckCheckBox,
  ckRadioButton,
  ckGroupBox,
  ckPanel,
  ckBitButton,
  ckSpeedButton,
  ckSkinnedButton,
  ckRadioGroup,
  ckEdit,
  ckRichEdit,
  ckListBox,
  ckComboBox,
  ckTabSet,
  ckPageControl,
  ckNotebook,
  ckPage,
  ckScrollBox,
  ckTrackBar,
  ckGauge,
  ckStatusBar,
  ckTreeView,
  ckImage,
  ckShape,
  ckTimer,
  ckMainMenu,
  ckPopupMenu,
  ckMenuItem,
  ckOpenDialog,
  ckSaveDialog,
  ckImageList,
  ckSpinner,
  ckChart,
};

// Declares a component class's kind.
#define MOVARO_KIND(kind) \
  TComponentKind Kind() const override { return TComponentKind::kind; }

class TComponent {
public:
  // An owned component is destroyed by its owner, after those created later.
  TComponent(TComponent *owner, std::string name);
  virtual ~TComponent();
  TComponent(const TComponent &) = delete;
  TComponent &operator=(const TComponent &) = delete;

  virtual TComponentKind Kind() const { return TComponentKind::ckOther; }

  // Creates a component of type T owned by this one; the owner keeps it.
  template <class T, class... Args> T &Create(Args &&...args) {
    return *new T(this, std::forward<Args>(args)...);
  }

  const std::string &Name() const { return name_; }
  int32_t Tag = 0;
  TComponent *Owner() const { return owner_; }
  // Owned components in ownership (creation) order.
  const std::vector<TComponent *> &Components() const { return owned_; }
  TComponent *FindComponent(const std::string &name) const;
  // Depth-first search of the whole ownership tree, for test drivers.
  TComponent *FindByTag(int32_t tag);

protected:
  // Destroys the owned components, newest first. Each level of a component's
  // destruction calls it first, so owned components never outlive the parts
  // of their owner they may refer to.
  void DestroyComponents();

private:
  TComponent *owner_;
  std::string name_;
  std::vector<TComponent *> owned_;
};

// Which property changed, for a backend keeping its window in step.
enum class TProperty {
  Bounds, Visible, Enabled, Caption, Hint, Font, Color, Text, Items, ItemIndex, Checked,
  Position, Pages, ActivePage, Panels, Picture,
  Front,     // a form asked to come to the front
  Minimized, // a form asked to shrink to its task-bar button
  Other,
};

// A backend's half of a control (for example its window).
class TControlPeer {
public:
  virtual ~TControlPeer() = default;
  virtual void Changed(TControl &control, TProperty property) = 0;
  // Whether the control's window has the keyboard focus (none without a window).
  virtual bool Focused() const { return false; }
  // Gives the control's window the keyboard focus (nothing without a window).
  virtual void SetFocus() {}
};

struct TFont {
  std::string Name = "MS Sans Serif";
  int Size = 8; // points
  bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
  uint32_t Color = 0; // a Windows colour value: 0x00BBGGRR
  bool operator==(const TFont &) const = default;
};

// The font as a canvas draws it.
TCanvasFont CanvasFontOf(const TFont &font);

struct TRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool Contains(int x, int y) const {
    return x >= Left && y >= Top && x < Left + Width && y < Top + Height;
  }
  bool operator==(const TRect &) const = default;
};

// A rectangle as the canvas takes it (right and bottom edges outside).
inline TCanvasRect CanvasRectOf(const TRect &r) {
  return {r.Left, r.Top, r.Left + r.Width, r.Top + r.Height};
}

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using TNotifyEvent = std::function<void(TComponent &sender)>;
using TMouseEvent = std::function<void(TComponent &sender, TMouseButton button, int x, int y)>;
using TMouseMoveEvent = std::function<void(TComponent &sender, int x, int y)>;
using TKeyEvent = std::function<void(TComponent &sender, int &key, bool shift)>;
using TKeyPressEvent = std::function<void(TComponent &sender, char &key)>;
// A whole notch of the mouse wheel; setting handled keeps it from the parents.
using TMouseWheelEvent = std::function<void(TComponent &sender, bool &handled)>;

// A notch of the mouse wheel, as the system counts wheel turns; a fine wheel
// or a touch pad sends parts of it.
constexpr int kWheelNotch = 120;

// Mouse cursors by number: crDefault is the window's own; the others are
// cursors of the program's resources, registered by name (ui/Cursors.h).
constexpr int crDefault = 0;
constexpr int crHandCursor = -19;
constexpr int crHandNoFingersCursor = -20;

// Virtual key codes the kit's controls handle themselves.
constexpr int kKeyEnd = 0x23;
constexpr int kKeyHome = 0x24;
constexpr int kKeyLeft = 0x25;
constexpr int kKeyUp = 0x26;
constexpr int kKeyRight = 0x27;
constexpr int kKeyDown = 0x28;

class TControl : public TComponent {
public:
  TControl(TComponent *owner, std::string name);
  ~TControl() override;

  // The control this one is placed in (for a form: none).
  TWinControl *Parent() const { return parent_; }
  void SetParent(TWinControl *parent);

  const TRect &Bounds() const { return bounds_; }
  void SetBounds(int left, int top, int width, int height);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Shown and enabled here and in every parent.
  bool Showing() const;
  bool CanUse() const;
  const std::string &Caption() const { return caption_; }
  void SetCaption(std::string caption);
  const std::string &Hint() const { return hint_; }
  void SetHint(std::string hint);
  // The short part of a hint ("short|long"), and the long one (the whole text
  // when there is no bar).
  std::string ShortHint() const;
  std::string LongHint() const;
  const TFont &Font() const { return font_; }
  void SetFont(const TFont &font);
  uint32_t Color() const { return color_; }
  void SetColor(uint32_t color);

  TNotifyEvent OnClick, OnDblClick;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TKeyEvent OnKeyDown, OnKeyUp;
  TNotifyEvent OnEnter, OnExit;
  // Wheel turns away from the user (up) and towards the user (down).
  TMouseWheelEvent OnMouseWheelUp, OnMouseWheelDown;

  // Whether Tab may stop at the control (kinds that take no focus never do;
  // ui/DialogKeys.h).
  bool TabStop = true;
  // The key that with Alt presses the control, besides the character after
  // a '&' in its caption (0: none); upper case.
  char AccessKey = 0;

  // The cursor over the control (crDefault: the window's own).
  int Cursor() const { return cursor_; }
  void SetCursor(int cursor) { cursor_ = cursor; }

  // The mouse over the control, in the control's own coordinates, as the
  // backend (or a test) reports it. Each raises its event; controls that
  // react to the mouse extend them.
  virtual void MouseDown(TMouseButton button, int x, int y);
  virtual void MouseMove(int x, int y);
  virtual void MouseUp(TMouseButton button, int x, int y);
  virtual void DblClick();
  // The mouse entered or left the control (windowless controls only).
  virtual void MouseIn() {}
  virtual void MouseOut() {}
  // The press ended without a release over the window (the mouse was taken
  // away, for example by a window that popped up): no click, no event.
  virtual void MouseCancel() {}
  // The keyboard focus came or went (windowed controls).
  virtual void FocusEntered();
  virtual void FocusLeft();
  // Whether the control has the keyboard focus, and giving it to it: through
  // the backend's window; headless, the model keeps one focused control per
  // window tree. A windowless control holds it in the model while its
  // form's window has the backend's focus (its parent draws the focus).
  bool Focused() const;
  void SetFocus();
  // The wheel turned (delta in 1/kWheelNotch notches, positive away from the
  // user) while the control had the focus. Each whole notch raises
  // OnMouseWheelUp or OnMouseWheelDown; parts of a notch add up until they
  // make one. True when a handler took a notch.
  virtual bool MouseWheel(int delta);
  // The logical palette the control wants realised when it is painted (an
  // implementation's handle), or none.
  virtual const void *Palette() const { return nullptr; }

  // What a user's click does: nothing on a hidden or disabled control,
  // otherwise the kind's own behaviour (a check box toggles ...) then OnClick.
  // False when the click was refused.
  bool Click();
  // A windowless control is painted by its parent through the canvas, in
  // its parent's client coordinates.
  virtual bool Windowless() const { return false; }
  virtual void Paint(ICanvas &) {}
  // Asks for a repaint (a windowless control: of its area in the parent).
  void Invalidate() { Notify(TProperty::Picture); }

  void AttachPeer(std::unique_ptr<TControlPeer> peer);
  TControlPeer *Peer() const { return peer_.get(); }

protected:
  void Notify(TProperty property);
  virtual void ClickBehaviour() {}

private:
  TWinControl *parent_ = nullptr;
  TRect bounds_;
  bool visible_ = true, enabled_ = true;
  std::string caption_, hint_;
  TFont font_;
  uint32_t color_ = 0x00C0C0C0; // button face grey
  int cursor_ = crDefault;
  int wheelRest_ = 0; // a part of a notch not yet reported
  std::unique_ptr<TControlPeer> peer_;
};

// Delivers a wheel turn as the system does: to the control with the focus,
// then, while nobody takes it, to each of its parents in turn. True when
// one took it.
bool RouteMouseWheel(TControl &focused, int delta);

// A control that holds other controls.
class TWinControl : public TControl {
public:
  using TControl::TControl;
  ~TWinControl() override;
  const std::vector<TControl *> &Controls() const { return controls_; }
  // The topmost visible child at a point in this control's client coordinates.
  TControl *ControlAt(int x, int y) const;
  // The control of this window tree with the focus when no backend keeps it
  // (the top control of a tree holds it): any control headless, a
  // windowless one with a backend; or none.
  TControl *HeadlessFocus() const { return headlessFocus_; }

protected:
  // A child was placed, moved, resized, shown or hidden.
  virtual void ChildrenChanged() {}

private:
  friend class TControl;
  std::vector<TControl *> controls_;
  TControl *headlessFocus_ = nullptr;
};
