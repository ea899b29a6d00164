#pragma once
// The form translator: fills the visible texts of a window and its controls
// from a language file (a table database), keyed by each control's tag, and
// looks up single texts by number. A text is replaced only when the language
// file has an entry for it, so missing entries leave the design texts.
//
// Language file layout: table "Contents" with one record per language
// ("iCountry" the language number, "sCountry" the name used in table names,
// "sLanguage" a short name), and one text table per language named
// FORMNAME + " (" + sCountry + ")" with the columns "Tag", "Caption", "Hint".

#include "data/tabledb/Strovdex.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "ui/Component.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

// The translator's state; one per program.
class TTranslator {
public:
  // Language files are read through the file system; both must outlive the translator.
  TTranslator(TFileSystem &files, const ILocale &locale);
  ~TTranslator();

  // The current language as a country calling code (44 English at start).
  int32_t LanguageNumber = 44;
  // Asked for the password of a protected language file (the programs show
  // their password window; none: such a file is not read). The password that
  // opened a file is kept for the file's next openings, and a declined prompt
  // is not repeated for the same file, so one translation pass asks once.
  TPasswordPrompt PasswordPrompt;
  // The text table the last translation chose.
  const std::string &CurrentTableName() const { return currentTable_; }

  // Translates a form's caption and every component it owns, or a single
  // component. Nothing changes when the file, the language or a record is
  // missing.
  void TranslateForm(TComponent &target, const std::string &formName,
                     const std::string &languageFile);
  // The text numbered so, or the default when there is none.
  std::string TranslateText(int32_t number, const std::string &formName,
                            const std::string &languageFile, const std::string &defaultText);
  // One component, while a translation has the language file open.
  void TranslateComponent(TComponent &component);

private:
  bool Begin(const std::string &formName, const std::string &languageFile);
  void End();
  int32_t Find(int32_t tag);
  std::string Caption(int32_t record);
  std::string Hint(int32_t record);

  TFileSystem &files_;
  const ILocale &locale_;
  std::string currentTable_;
  std::unique_ptr<TStrovdexObject> database_; // only during one translation
  // Tag text -> first record with it, built by one scan of the text table per
  // translation instead of one scan per looked-up tag.
  std::unordered_map<std::string, int32_t> records_;
  bool indexed_ = false;
  // The protected file the user answered for, and the answer (none: declined).
  std::string answeredFile_;
  std::optional<std::string> answer_;
};
