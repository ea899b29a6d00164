#include "ui/PasswordDlg.h"

#include "authoring/StrovdexWriter.h"
#include "data/tabledb/Strovdex.h"
#include "platform/headless/HeadlessLocale.h"
#include "unit/data/DataFiles.h"

#include <gtest/gtest.h>

namespace {

// Answers the next modal run: types a text, then presses the named button.
void Answer(THeadlessApplication &app, std::string text, std::string button) {
  app.Post([&app, text, button] {
    for (TForm *form : app.Forms())
      if (form->Modal()) {
        static_cast<TEdit *>(form->FindComponent("Password"))->Type(text);
        static_cast<TControl *>(form->FindComponent(button))->Click();
      }
  });
}

TEST(PasswordDlg, AnswersOpenProtectedDatabase) {
  TestFolder folder;
  TDatabaseSource source;
  std::string error;
  ASSERT_TRUE(ParseTableSource("password Secret\ntable T\ncolumn c byte\nrow 7\n", source, error));
  const std::string file = folder.File("locked.dat");
  ASSERT_TRUE(WriteStrovdex(source, file, "", error)) << error;

  THeadlessApplication app;
  THeadlessLocale locale;
  TStrovdexObject db(locale, [&app] { return AskPassword(app); });
  Answer(app, "Secret", "OKBtn");
  ASSERT_TRUE(db.Open(file, file, "", ""));
  EXPECT_EQ(db.FieldText("T", "c", 1), "7");
  db.Close();

  Answer(app, "Wrong", "OKBtn");
  EXPECT_FALSE(db.Open(file, file, "", ""));
  Answer(app, "Secret", "CancelBtn"); // Cancel clears the edit and fails
  EXPECT_FALSE(db.Open(file, file, "", ""));
  Answer(app, "", "OKBtn"); // OK on an empty edit fails as well
  EXPECT_FALSE(db.Open(file, file, "", ""));
  EXPECT_FALSE(db.Open(file, file, "", "")); // nobody answers: the run ends, no hang
  EXPECT_TRUE(app.Forms().empty());          // each prompt's window was released
}

} // namespace
