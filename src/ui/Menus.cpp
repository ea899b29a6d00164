#include "ui/Menus.h"

#include "ui/Forms.h"

namespace {
TMenuItem &NewItem(TComponent &anchor, std::string name, std::string caption, int32_t tag) {
  TComponent *owner = anchor.Owner() ? anchor.Owner() : &anchor;
  TMenuItem &item = owner->Create<TMenuItem>(std::move(name));
  item.Caption = std::move(caption);
  item.Tag = tag;
  return item;
}

// Items are owned by the menu's owner, not by the item above them.
void FreeItems(std::vector<TMenuItem *> &items) {
  for (TMenuItem *item : items) {
    item->Clear();
    delete item;
  }
  items.clear();
}
} // namespace

void TMenuItem::Clear() { FreeItems(items_); }
void TMenu::Clear() { FreeItems(items_); }

TMenuItem &TMenuItem::Add(std::string name, std::string caption, int32_t tag) {
  TMenuItem &item = NewItem(*this, std::move(name), std::move(caption), tag);
  items_.push_back(&item);
  return item;
}

bool TMenuItem::Click() {
  if (!Enabled || !Visible)
    return false;
  if (OnClick)
    OnClick(*this);
  return true;
}

TMenuItem &TMenu::Add(std::string name, std::string caption, int32_t tag) {
  TMenuItem &item = NewItem(*this, std::move(name), std::move(caption), tag);
  items_.push_back(&item);
  return item;
}

bool TFileDialog::Execute() {
  TApplication *application = ApplicationOf(*this);
  return application && application->RunFileDialog(*this);
}
