// A form built from the model, translated between two languages from a
// generated language file, realised as real windows: controls are found by
// their tags, a button is pressed, the edit is read back, and a screenshot of
// the screen is checked at a few pixels and kept as translated_form.bmp in the
// test's working folder (the build tree).
#include "authoring/StrovdexWriter.h"
#include "support/Win32Screenshot.h"
#include "platform/headless/HeadlessLocale.h"
#include "platform/win32/Win32FileSystem.h"
#include "ui/Translator.h"
#include "ui/win32/Win32Application.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

const char kLanguages[] = R"SRC(
scramble
table Contents
column iCountry integer7 byte0=1 byte69=1
column sCountry text width=128 byte69=1
column sLanguage text width=10
row 44 English English
row 49 German Deutsch
table "MainForm (English)"
column Tag integer7 byte0=1 byte69=1
column Caption text width=255
column Hint text width=255
row 1 "Sample" ""
row 10 "Your name:" ""
row 30 "Press" "Press|Press the button"
row 40 "Sounds" ""
row 51 "English" ""
row 52 "German" ""
row 61 "First" ""
row 1061 "Second" ""
table "MainForm (German)"
column Tag text width=63 byte0=1 byte69=1
column Caption text width=255
column Hint text width=255
row 1 "Beispiel" ""
row 10 "Ihr Name:" ""
row 30 "Dr\xfccken" "Dr\xfccken|Den Knopf dr\xfccken"
row 40 "T\xf6ne" ""
row 51 "Englisch" ""
row 52 "Deutsch" ""
row 61 "Erste" ""
row 1061 "Zweite" ""
)SRC";

constexpr uint32_t kFormColour = 0x008FCAFC; // as a Windows colour value
constexpr int kLeft = 100, kTop = 100;

std::string TextOf(HWND window) {
  char buffer[256] = {};
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

void Pump(TWin32Application &app) {
  for (int i = 0; i < 20; ++i) {
    app.ProcessMessages();
    Sleep(10);
  }
}

TEST(TranslatedForm, TranslatesFindsPressesAndShows) {
  TDatabaseSource source;
  std::string error;
  ASSERT_TRUE(ParseTableSource(kLanguages, source, error)) << error;
  const std::string file =
      (std::filesystem::temp_directory_path() / "movaro-translated-form.lng").string();
  TWin32FileSystem files;
  ASSERT_TRUE(WriteStrovdex(files, source, file, "", error)) << error;

  TWin32Application app(GetModuleHandleA(nullptr));
  TForm form(app, nullptr, "MainForm");
  form.Tag = 1;
  form.Borderless = true;
  form.SetColor(kFormColour);
  form.SetBounds(kLeft, kTop, 400, 300);
  auto add = [&](auto *control, int tag, int x, int y, int w, int h) {
    control->Tag = tag;
    control->SetParent(&form);
    control->SetBounds(x, y, w, h);
    control->SetColor(kFormColour);
    return control;
  };
  auto *label = add(&form.Create<TLabel>("NameLbl"), 10, 10, 10, 100, 16);
  label->SetCaption("Name:");
  auto *edit = add(&form.Create<TEdit>("NameEdit"), 20, 120, 8, 150, 22);
  auto *press = add(&form.Create<TButton>("PressBtn"), 30, 10, 230, 90, 26);
  auto *sounds = add(&form.Create<TCheckBox>("SoundsCBox"), 40, 10, 40, 150, 20);
  auto *language = add(&form.Create<TComboBox>("LanguageCBox"), 50, 10, 70, 150, 120);
  language->Items.Assign({"1", "2"});
  language->SetItemIndex(0);
  auto *pages = add(&form.Create<TPageControl>("PageCtrl"), 60, 180, 40, 200, 150);
  pages->AddPage("FirstPage", "1");
  pages->AddPage("SecondPage", "2");
  auto *status = add(&form.Create<TStatusBar>("MainStatusBar"), 70, 0, 280, 400, 20);
  status->SetPanels({{"Ready", 200}, {"", 200}});
  press->OnClick = [&](TComponent &) { edit->SetText("pressed"); };

  THeadlessLocale locale;
  TTranslator translator(files, locale);
  translator.TranslateForm(form, "MainForm", file);
  HWND window = app.Realize(form);
  ASSERT_NE(window, nullptr);
  form.Show();
  Pump(app);

  EXPECT_EQ(TextOf(GetDlgItem(window, 30)), "Press");
  EXPECT_EQ(press->Hint(), "Press|Press the button");
  SendMessageA(GetDlgItem(window, 30), BM_CLICK, 0, 0);
  EXPECT_EQ(TextOf(GetDlgItem(window, 20)), "pressed");

  // Switching the language updates the windows already on screen.
  translator.LanguageNumber = 49;
  translator.TranslateForm(form, "MainForm", file);
  Pump(app);
  EXPECT_EQ(TextOf(window), "Beispiel");
  EXPECT_EQ(TextOf(GetDlgItem(window, 30)), "Dr\xfc"
                                            "cken");
  EXPECT_EQ(TextOf(GetDlgItem(window, 40)), "T\xf6ne");
  EXPECT_EQ(label->Caption(), "Ihr Name:");
  char item[32] = {};
  SendMessageA(GetDlgItem(window, 50), CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
  EXPECT_STREQ(item, "Deutsch");
  EXPECT_EQ(pages->Page(1).Caption(), "Zweite");
  EXPECT_EQ(sounds->Caption(), "T\xf6ne");

  Screenshot shot;
  shot.Take();
  shot.Save("translated_form.bmp");
  ASSERT_GT(shot.width, kLeft + 400);
  EXPECT_EQ(shot.At(kLeft + 390, kTop + 200), kFormColour); // bare form
  EXPECT_EQ(shot.At(kLeft + 250, kTop + 18), 0xFFFFFFu);    // inside the edit, past its text
  EXPECT_TRUE(shot.AnyDarkIn(kLeft + 10, kTop + 10, kLeft + 100, kTop + 26)); // label text
  EXPECT_NE(shot.At(kLeft + 15, kTop + 235), kFormColour);  // the button's face
  std::filesystem::remove(file);
}

} // namespace
