#pragma once
// Menus and the other non-visual components of the forms: menu items with
// sub-items, main and pop-up menus, file dialogs and image lists.

#include "ui/Component.h"

#include <string>
#include <vector>

class TMenuItem : public TComponent {
public:
  using TComponent::TComponent;
  MOVARO_KIND(ckMenuItem)
  std::string Caption, Hint;
  bool Checked = false, Enabled = true, Visible = true;
  TNotifyEvent OnClick;
  // Sub-items in menu order; created owned by this item's owner.
  TMenuItem &Add(std::string name, std::string caption, int32_t tag = 0);
  const std::vector<TMenuItem *> &Items() const { return items_; }
  // Frees every sub-item (and theirs).
  void Clear();
  // A user's choice of this item: refused when disabled or hidden.
  bool Click();

private:
  std::vector<TMenuItem *> items_;
};

class TMenu : public TComponent {
public:
  using TComponent::TComponent;
  TMenuItem &Add(std::string name, std::string caption, int32_t tag = 0);
  const std::vector<TMenuItem *> &Items() const { return items_; }
  // Frees every item (and their sub-items).
  void Clear();

private:
  std::vector<TMenuItem *> items_;
};

class TMainMenu : public TMenu {
public:
  using TMenu::TMenu;
  MOVARO_KIND(ckMainMenu)
};

class TPopupMenu : public TMenu {
public:
  using TMenu::TMenu;
  MOVARO_KIND(ckPopupMenu)
};

// Open and save dialogs: Execute goes through the application, which shows the
// system dialog or, headless, gives the answer a test prepared.
class TFileDialog : public TComponent {
public:
  using TComponent::TComponent;
  std::string Title, FileName, Filter, InitialDir, DefaultExt;
  bool Execute();
};

class TOpenDialog : public TFileDialog {
public:
  using TFileDialog::TFileDialog;
  MOVARO_KIND(ckOpenDialog)
};

class TSaveDialog : public TFileDialog {
public:
  using TFileDialog::TFileDialog;
  MOVARO_KIND(ckSaveDialog)
};

class TImageList : public TComponent {
public:
  using TComponent::TComponent;
  MOVARO_KIND(ckImageList)
  int Width = 16, Height = 16;
  std::vector<std::string> Pictures; // resource names
};
