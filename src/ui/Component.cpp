#include "ui/Component.h"

#include "ui/MouseRouter.h"

#include <algorithm>

TComponent::TComponent(TComponent *owner, std::string name)
    : owner_(owner), name_(std::move(name)) {
  if (owner_)
    owner_->owned_.push_back(this);
}

void TComponent::DestroyComponents() {
  // Later components may refer to earlier ones (a control to its parent
  // panel), so they go first.
  while (!owned_.empty())
    delete owned_.back(); // its destructor removes it from owned_
}

TComponent::~TComponent() {
  DestroyComponents();
  if (owner_) {
    auto &list = owner_->owned_;
    list.erase(std::find(list.begin(), list.end(), this));
  }
}

TComponent *TComponent::FindComponent(const std::string &name) const {
  for (TComponent *c : owned_)
    if (c->name_ == name)
      return c;
  return nullptr;
}

TComponent *TComponent::FindByTag(int32_t tag) {
  if (Tag == tag)
    return this;
  for (TComponent *c : owned_)
    if (TComponent *found = c->FindByTag(tag))
      return found;
  return nullptr;
}

TCanvasFont CanvasFontOf(const TFont &f) {
  return TCanvasFont{f.Name, f.Size, f.Bold, f.Italic, f.Underline, f.StrikeOut, f.Color};
}

TControl::TControl(TComponent *owner, std::string name) : TComponent(owner, std::move(name)) {}

namespace {

// The top control of a control's window tree (a form, for a placed control).
TWinControl *RootOf(const TControl &control) {
  const TControl *c = &control;
  while (c->Parent())
    c = c->Parent();
  return dynamic_cast<TWinControl *>(const_cast<TControl *>(c));
}

bool IsWithin(const TControl *control, const TControl &ancestor) {
  for (; control; control = control->Parent())
    if (control == &ancestor)
      return true;
  return false;
}

} // namespace

TControl::~TControl() {
  TMouseRouter::Forget(*this);
  DestroyComponents();
  peer_.reset(); // the backend's window goes before the model it mirrors
  SetParent(nullptr);
}

void TControl::SetParent(TWinControl *parent) {
  if (parent == parent_)
    return;
  if (parent_) {
    // The focus of the tree it leaves goes with it.
    TWinControl *root = RootOf(*this);
    if (root && IsWithin(root->headlessFocus_, *this))
      root->headlessFocus_ = nullptr;
    auto &list = parent_->controls_;
    list.erase(std::find(list.begin(), list.end(), this));
    parent_->ChildrenChanged();
  }
  parent_ = parent;
  if (parent_) {
    parent_->controls_.push_back(this);
    parent_->ChildrenChanged();
  }
  Notify(TProperty::Other);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  TRect r{left, top, width, height};
  if (r == bounds_)
    return;
  bounds_ = r;
  Notify(TProperty::Bounds);
  if (parent_)
    parent_->ChildrenChanged();
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_)
    return;
  visible_ = visible;
  Notify(TProperty::Visible);
  if (parent_)
    parent_->ChildrenChanged();
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_)
    return;
  enabled_ = enabled;
  Notify(TProperty::Enabled);
}

bool TControl::Showing() const {
  for (const TControl *c = this; c; c = c->parent_)
    if (!c->visible_)
      return false;
  return true;
}

bool TControl::CanUse() const {
  for (const TControl *c = this; c; c = c->parent_)
    if (!c->enabled_ || !c->visible_)
      return false;
  return true;
}

void TControl::SetCaption(std::string caption) {
  if (caption == caption_)
    return;
  caption_ = std::move(caption);
  Notify(TProperty::Caption);
}

void TControl::SetHint(std::string hint) {
  if (hint == hint_)
    return;
  hint_ = std::move(hint);
  Notify(TProperty::Hint);
}

std::string TControl::ShortHint() const { return hint_.substr(0, hint_.find('|')); }

std::string TControl::LongHint() const {
  size_t bar = hint_.find('|');
  return bar == std::string::npos ? hint_ : hint_.substr(bar + 1);
}

void TControl::SetFont(const TFont &font) {
  if (font == font_)
    return;
  font_ = font;
  Notify(TProperty::Font);
}

void TControl::SetColor(uint32_t color) {
  if (color == color_)
    return;
  color_ = color;
  Notify(TProperty::Color);
}

bool TControl::Click() {
  if (!CanUse())
    return false;
  ClickBehaviour();
  if (OnClick)
    OnClick(*this);
  return true;
}

void TControl::MouseDown(TMouseButton button, int x, int y) {
  if (OnMouseDown)
    OnMouseDown(*this, button, x, y);
}

void TControl::MouseMove(int x, int y) {
  if (OnMouseMove)
    OnMouseMove(*this, x, y);
}

void TControl::MouseUp(TMouseButton button, int x, int y) {
  if (OnMouseUp)
    OnMouseUp(*this, button, x, y);
}

void TControl::DblClick() {
  if (OnDblClick)
    OnDblClick(*this);
}

void TControl::FocusEntered() {
  if (OnEnter)
    OnEnter(*this);
}

void TControl::FocusLeft() {
  if (OnExit)
    OnExit(*this);
}

bool TControl::Focused() const {
  const TWinControl *root = RootOf(*this);
  const bool kept = root && root->headlessFocus_ == this;
  if (!peer_)
    return kept;
  // A windowless control's peer answers for its form's window.
  return peer_->Focused() && (!Windowless() || kept);
}

void TControl::SetFocus() {
  TWinControl *root = RootOf(*this);
  TControl *before = root ? root->headlessFocus_ : nullptr;
  if (root && (!peer_ || Windowless()))
    root->headlessFocus_ = this;
  if (peer_)
    peer_->SetFocus();
  // The focus drawn by a windowless control's parent moves with it.
  if (before && before != this && before->Windowless())
    before->Invalidate();
  if (Windowless())
    Invalidate();
}

bool TControl::MouseWheel(int delta) {
  // A turn the other way drops what was left of the last one.
  if ((delta < 0) != (wheelRest_ < 0))
    wheelRest_ = 0;
  wheelRest_ += std::clamp(delta, -1000 * kWheelNotch, 1000 * kWheelNotch);
  bool handled = false;
  while (wheelRest_ >= kWheelNotch || wheelRest_ <= -kWheelNotch) {
    const bool up = wheelRest_ > 0;
    wheelRest_ += up ? -kWheelNotch : kWheelNotch;
    bool taken = false;
    if (auto &handler = up ? OnMouseWheelUp : OnMouseWheelDown)
      handler(*this, taken);
    handled = handled || taken;
  }
  return handled;
}

bool RouteMouseWheel(TControl &focused, int delta) {
  for (TControl *c = &focused; c; c = c->Parent())
    if (c->MouseWheel(delta))
      return true;
  return false;
}

void TControl::AttachPeer(std::unique_ptr<TControlPeer> peer) { peer_ = std::move(peer); }

void TControl::Notify(TProperty property) {
  if (peer_)
    peer_->Changed(*this, property);
}

TWinControl::~TWinControl() {
  DestroyComponents();
  // Children still placed here (owned elsewhere) lose their parent.
  while (!controls_.empty())
    controls_.back()->SetParent(nullptr);
}

TControl *TWinControl::ControlAt(int x, int y) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
    if ((*it)->Visible() && (*it)->Bounds().Contains(x, y))
      return *it;
  return nullptr;
}
