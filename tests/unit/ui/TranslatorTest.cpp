#include "ui/Translator.h"

#include "authoring/StrovdexWriter.h"
#include "unit/data/DataFiles.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessLocale.h"
#include "ui/Controls.h"
#include "ui/Forms.h"
#include "ui/Menus.h"

#include <gtest/gtest.h>

namespace {

// English and German tables; the German one has its "Tag" column as text.
// Records 501..503 of the list are deliberately tagged out of sequence.
const char kLanguageFile[] = R"SRC(
scramble
table Contents
column iCountry integer7
column sCountry text width=128
column sLanguage text width=10
row 44 English EN
row 49 Deutsch DE
table "MainForm (English)"
column Tag integer7
column Caption text width=255
column Hint text width=255
row 0 "Movaro" ""
row 1 "Movaro" ""
row 10 "Name:" "Your name|The name you log in with"
row 30 "Ok" "Ok|Accept"
row 35 "Edit caption" "Edit|Type here"
row 501 "First" "List|Pick one"
row 900 "Second" ""
row 7 "Third" ""
row 21 "Info" ""
row 2021 "Status" "Pages|Choose a page"
row 40 "Language" "Language|Choose"
row 41 "Dutch" ""
row 11 "Quit" "Quit|Leave"
row 12 "Hidden" ""
row 13 "Open sound" ""
table "MainForm (Deutsch)"
column Tag text width=63
column Caption text width=255
column Hint text width=255
row 1 "Movaro" ""
row 10 "Name:" "Ihr Name|Der Anmeldename"
row 30 "OK" "OK|Annehmen"
)SRC";

class TranslatorTest : public ::testing::Test {
protected:
  void SetUp() override {
    TDatabaseSource source;
    std::string error;
    ASSERT_TRUE(ParseTableSource(kLanguageFile, source, error)) << error;
    file = folder.File("Movaro.lng");
    ASSERT_TRUE(WriteStrovdex(files, source, file, "", error)) << error;
  }
  template <class T> T &Add(const char *name, int32_t tag) {
    T &c = form.Create<T>(name);
    c.Tag = tag;
    if constexpr (std::is_base_of_v<TControl, T>)
      c.SetParent(&form);
    return c;
  }

  TestFolder folder;
  std::string file;
  THeadlessFileSystem files;
  THeadlessLocale locale;
  TTranslator translator{files, locale};
  THeadlessApplication app;
  TForm form{app, nullptr, "MainForm"};
};

TEST_F(TranslatorTest, ChoosesTheLanguageTableAndKeepsDesignTextsWhenMissing) {
  form.Tag = 1;
  form.SetCaption("Design");
  auto &label = Add<TLabel>("NameLbl", 10);
  label.SetCaption("Design name");
  auto &ok = Add<TButton>("OkBtn", 30);
  ok.SetCaption("Ok");
  auto &untagged = Add<TButton>("PlainBtn", 0);
  untagged.SetCaption("Plain");

  translator.TranslateForm(form, "MainForm", file);
  EXPECT_EQ(translator.CurrentTableName(), "MainForm (English)");
  EXPECT_EQ(form.Caption(), "Movaro");
  EXPECT_EQ(label.Caption(), "Name:");
  EXPECT_EQ(label.Hint(), "Your name|The name you log in with");
  EXPECT_EQ(untagged.Caption(), "Plain");

  translator.LanguageNumber = 49; // a text "Tag" column matches as well
  translator.TranslateForm(form, "MainForm", file);
  EXPECT_EQ(translator.CurrentTableName(), "MainForm (Deutsch)");
  EXPECT_EQ(ok.Caption(), "OK");
  EXPECT_EQ(label.Hint(), "Ihr Name|Der Anmeldename");
  EXPECT_EQ(translator.TranslateText(30, "MainForm", file, "x"), "OK");
  EXPECT_EQ(translator.TranslateText(35, "MainForm", file, "default"), "default");

  translator.LanguageNumber = 33; // no such language: nothing changes
  translator.TranslateForm(form, "MainForm", file);
  EXPECT_EQ(ok.Caption(), "OK");
  EXPECT_EQ(translator.TranslateText(30, "MainForm", file, "default"), "default");
  EXPECT_EQ(translator.CurrentTableName(), "MainForm (Deutsch)"); // stays set

  translator.LanguageNumber = 44;
  translator.TranslateForm(form, "MainForm", folder.File("missing.lng"));
  EXPECT_EQ(ok.Caption(), "OK");
  folder.Write("broken.lng", {1, 2, 3});
  translator.TranslateForm(form, "MainForm", folder.File("broken.lng"));
  EXPECT_EQ(ok.Caption(), "OK");
}

// A protected language file is read with the password the prompt gives; the
// user is asked once per file, not once per translated form.
TEST_F(TranslatorTest, ProtectedFileAsksThePromptOnce) {
  TDatabaseSource source;
  std::string error;
  ASSERT_TRUE(ParseTableSource(std::string("password Secret\n") + kLanguageFile, source, error));
  const std::string locked = folder.File("Locked.lng");
  ASSERT_TRUE(WriteStrovdex(files, source, locked, "", error)) << error;
  EXPECT_EQ(translator.TranslateText(30, "MainForm", locked, "design"), "design"); // no prompt

  int asked = 0;
  std::optional<std::string> answer = "Secret";
  translator.PasswordPrompt = [&] {
    ++asked;
    return answer;
  };
  EXPECT_EQ(translator.TranslateText(30, "MainForm", locked, "design"), "Ok");
  form.Tag = 1;
  translator.TranslateForm(form, "MainForm", locked);
  EXPECT_EQ(form.Caption(), "Movaro");
  EXPECT_EQ(asked, 1);

  TTranslator declined{files, locale};
  declined.PasswordPrompt = translator.PasswordPrompt;
  answer = std::nullopt;
  EXPECT_EQ(declined.TranslateText(30, "MainForm", locked, "design"), "design");
  EXPECT_EQ(declined.TranslateText(10, "MainForm", locked, "design"), "design");
  EXPECT_EQ(declined.TranslateText(10, "MainForm", file, "design"), "Name:");
  EXPECT_EQ(asked, 2);
}

TEST_F(TranslatorTest, ListsAndPagesTakeConsecutiveAndPageRecords) {
  auto &list = Add<TListBox>("ChoiceLst", 500);
  list.Items.Assign({"a", "b", "c"});
  auto &pages = Add<TNotebook>("PageCtrl", 20);
  pages.AddPage("InfoPage", "i");
  pages.AddPage("MiddlePage", "m");
  pages.AddPage("StatusPage", "s");
  // A page with a tag of its own takes that record.
  TPage &taggedPage = Add<TPageControl>("TabsCtrl", 0).AddPage("TaggedPage", "t");
  taggedPage.Tag = 30;
  auto &group = Add<TRadioGroup>("LanguageRGrp", 40);
  group.Items.Assign({"x", "y", "z", "w"});
  auto &edit = Add<TEdit>("NameEdit", 35);
  edit.SetCaption("kept");

  translator.TranslateForm(form, "MainForm", file);
  EXPECT_EQ(list.Items.Items(), (std::vector<std::string>{"First", "Second", "Third"}));
  EXPECT_EQ(list.Hint(), "List|Pick one");
  EXPECT_EQ(pages.Page(0).Caption(), "Info");
  EXPECT_EQ(pages.Page(1).Caption(), "m"); // no record 1021
  EXPECT_EQ(pages.Page(2).Caption(), "Status");
  EXPECT_EQ(taggedPage.Caption(), "Ok");
  EXPECT_EQ(pages.Hint(), "Pages|Choose a page"); // from the last page's record
  EXPECT_EQ(group.Caption(), "Language");
  EXPECT_EQ(group.Items[0], "Dutch");
  EXPECT_EQ(group.Items[1], "Quit"); // the records after it, whatever they are
  EXPECT_EQ(group.Items[3], "Open sound"); // the table's last record
  EXPECT_EQ(edit.Caption(), "kept");       // other kinds: only the hint
  EXPECT_EQ(edit.Hint(), "Edit|Type here");

  // A list near the table's end keeps the items it has no record for.
  group.Items.Assign({"1", "2", "3", "4", "5", "6"});
  translator.TranslateComponent(group); // not inside a translation: no effect
  EXPECT_EQ(group.Items[0], "1");
  translator.TranslateForm(group, "MainForm", file);
  EXPECT_EQ(group.Items[3], "Open sound");
  EXPECT_EQ(group.Items[4], "5");
}

TEST_F(TranslatorTest, MenusWithTagZero) {
  auto &menu = Add<TMainMenu>("MainMenu", 0);
  TMenuItem &quit = menu.Add("QuitItem", "q", 11);
  TMenuItem &untagged = menu.Add("GroupItem", "g", 0);
  TMenuItem &inside = untagged.Add("InsideItem", "i", 12);
  auto &popup = Add<TPopupMenu>("TrayMenu", 0);
  TMenuItem &hidden = popup.Add("HiddenItem", "h", 12);
  auto &dialog = Add<TOpenDialog>("SoundOpenDialog", 13);

  translator.TranslateForm(form, "MainForm", file);
  EXPECT_EQ(quit.Caption, "Quit");
  EXPECT_EQ(quit.Hint, "Quit|Leave");
  EXPECT_EQ(untagged.Caption, "g");
  EXPECT_EQ(inside.Caption, "i"); // skipped with its tag-0 parent
  EXPECT_EQ(hidden.Caption, "Hidden"); // whatever text 0 the table holds
  EXPECT_EQ(dialog.Title, "Open sound");
}

} // namespace
