#include "ui/Translator.h"

#include "data/tabledb/Strovdex.h"
#include "ui/Controls.h"
#include "ui/Forms.h"
#include "ui/Menus.h"

TTranslator::TTranslator(TFileSystem &files, const ILocale &locale)
    : files_(files), locale_(locale) {}

TTranslator::~TTranslator() = default;

bool TTranslator::Begin(const std::string &formName, const std::string &languageFile) {
  // Translations must not overlap: one would close the other's database.
  if (database_)
    return false;
  const bool answered = !answeredFile_.empty() && answeredFile_ == languageFile;
  if (answered && !answer_)
    return false; // declined before
  bool asked = false;
  std::optional<std::string> typed;
  TPasswordPrompt prompt;
  if (PasswordPrompt)
    prompt = [this, &asked, &typed] {
      asked = true;
      return typed = PasswordPrompt();
    };
  database_ = std::make_unique<TStrovdexObject>(files_, locale_, prompt);
  const bool opened = database_->Open(languageFile, languageFile, "", answered ? *answer_ : "");
  if (asked && (opened || !typed)) {
    answeredFile_ = languageFile;
    answer_ = typed;
  } else if (!opened) {
    answeredFile_.clear(); // a wrong password, or the file changed: ask again
  }
  if (!opened) {
    End();
    return false;
  }
  int32_t language = database_->FindRecord("Contents", "iCountry", std::to_string(LanguageNumber));
  if (language < 1) {
    End();
    return false;
  }
  currentTable_ = formName + " (" + database_->FieldText("Contents", "sCountry", language) + ")";
  return true;
}

void TTranslator::End() {
  if (database_)
    database_->Close();
  database_.reset();
  records_.clear();
  indexed_ = false;
}

int32_t TTranslator::Find(int32_t tag) {
  if (!indexed_) {
    // The same match as the engine's record search: the first record, in
    // table order, whose "Tag" text equals the number.
    indexed_ = true;
    // Only records inside the file: a damaged count cannot make this loop long.
    const int32_t count = database_->PresentRecordCount(database_->FindTable(currentTable_));
    for (int32_t r = 1; r <= count; ++r) {
      std::string text = database_->FieldText(currentTable_, "Tag", r);
      if (!text.empty())
        records_.emplace(std::move(text), r);
    }
  }
  auto it = records_.find(std::to_string(tag));
  return it == records_.end() ? 0 : it->second;
}

std::string TTranslator::Caption(int32_t record) {
  return database_->FieldText(currentTable_, "Caption", record);
}

std::string TTranslator::Hint(int32_t record) {
  return database_->FieldText(currentTable_, "Hint", record);
}

void TTranslator::TranslateForm(TComponent &target, const std::string &formName,
                                const std::string &languageFile) {
  if (!Begin(formName, languageFile))
    return;
  if (target.Kind() == TComponentKind::ckForm) {
    auto &form = static_cast<TForm &>(target);
    if (int32_t r = Find(form.Tag); r > 0)
      form.SetCaption(Caption(r));
    for (TComponent *owned : std::vector<TComponent *>(form.Components()))
      // Menu items are reached through their menus, so an untagged item's
      // sub-items are skipped with it.
      if (owned->Kind() != TComponentKind::ckMenuItem)
        TranslateComponent(*owned);
  } else {
    TranslateComponent(target);
  }
  End();
}

std::string TTranslator::TranslateText(int32_t number, const std::string &formName,
                                       const std::string &languageFile,
                                       const std::string &defaultText) {
  std::string result = defaultText;
  if (!Begin(formName, languageFile))
    return result;
  if (int32_t r = Find(number); r > 0)
    result = Caption(r);
  End();
  return result;
}

void TTranslator::TranslateComponent(TComponent &c) {
  if (!database_)
    return;
  const TComponentKind kind = c.Kind();
  const bool isMenu = kind == TComponentKind::ckMainMenu || kind == TComponentKind::ckPopupMenu;
  const int32_t t = c.Tag;
  if (t < 1 && !isMenu)
    return;
  auto *control = dynamic_cast<TControl *>(&c);
  // A menu has no text of its own, only items: a record of its tag (the main
  // text numbered 0, for an untagged menu) must not keep them untranslated.
  const int32_t r = isMenu ? 0 : Find(t);
  if (r > 0) {
    switch (kind) {
    case TComponentKind::ckMenuItem: {
      auto &item = static_cast<TMenuItem &>(c);
      item.Caption = Caption(r);
      for (TMenuItem *sub : item.Items())
        TranslateComponent(*sub);
      item.Hint = Hint(r);
      return;
    }
    case TComponentKind::ckLabel:
    case TComponentKind::ckButton:
    case TComponentKind::ckCheckBox:
    case TComponentKind::ckRadioButton:
    case TComponentKind::ckGroupBox:
    case TComponentKind::ckPanel:
    case TComponentKind::ckBitButton:
    case TComponentKind::ckSpeedButton:
    case TComponentKind::ckSkinnedButton:
    case TComponentKind::ckPage: // a tagged page: its tab's text
      control->SetCaption(Caption(r));
      break;
    case TComponentKind::ckRadioGroup: {
      auto &group = static_cast<TRadioGroup &>(c);
      group.SetCaption(Caption(r));
      const int32_t records = database_->PresentRecordCount(database_->FindTable(currentTable_));
      // Items past the table's end keep their design texts: an empty item
      // would be a choice without a name.
      for (int i = 0; i < group.Items.Count() && r + 1 + i <= records; ++i)
        group.Items.Set(i, Caption(r + 1 + i));
      break;
    }
    case TComponentKind::ckOpenDialog:
    case TComponentKind::ckSaveDialog:
      static_cast<TFileDialog &>(c).Title = Caption(r);
      break;
    default:
      break;
    }
    if (control)
      control->SetHint(Hint(r));
    return;
  }

  int32_t last = 0; // the last record looked up in this step
  switch (kind) {
  case TComponentKind::ckMainMenu:
  case TComponentKind::ckPopupMenu:
    for (TMenuItem *item : static_cast<TMenu &>(c).Items())
      TranslateComponent(*item);
    break;
  case TComponentKind::ckListBox:
  case TComponentKind::ckComboBox:
  case TComponentKind::ckTabSet: {
    auto &list = static_cast<TListControl &>(c);
    last = Find(t + 1);
    if (last > 0) {
      // Consecutive records in table order, whatever their tags.
      const int32_t records = database_->PresentRecordCount(database_->FindTable(currentTable_));
      for (int i = 0; i < list.Items.Count() && last + i <= records; ++i)
        list.Items.Set(i, Caption(last + i));
    }
    break;
  }
  case TComponentKind::ckNotebook:
  case TComponentKind::ckPageControl: {
    auto &pages = static_cast<TPageControl &>(c);
    for (int i = 0; i < pages.PageCount(); ++i) {
      last = Find(i * 1000 + t + 1);
      if (last > 0)
        pages.Page(i).SetCaption(Caption(last));
    }
    break;
  }
  default:
    break;
  }
  if (last > 0 && control)
    control->SetHint(Hint(last));
}
