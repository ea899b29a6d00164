// What assistive technology is told of a form's controls, and the kit's
// painting under the system's high-contrast setting.
#include "authoring/StrovdexWriter.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessHighContrast.h"
#include "platform/headless/HeadlessLocale.h"
#include "platform/headless/HeadlessScreen.h"
#include "platform/headless/RecordingCanvas.h"
#include "ui/Accessibility.h"
#include "ui/Contrast.h"
#include "ui/Controls.h"
#include "ui/Forms.h"
#include "ui/Translator.h"
#include "ui/kit/Background.h"
#include "ui/kit/SkinnedButton.h"
#include "ui/kit/Spinner.h"
#include "ui/markup/ParserControl.h"

#include "unit/data/DataFiles.h"

#include <gtest/gtest.h>

namespace {

using TRole = TAccessibleRole;

std::string Row(const TAccessibleElement &e) {
  std::string row = e.Name + " | " + std::to_string(static_cast<int>(e.Role)) + " | " +
                    e.DefaultAction + " | " + e.Value;
  if (e.State.Checked)
    row += " | checked";
  if (e.State.Unavailable)
    row += " | unavailable";
  if (e.State.Focused)
    row += " | focused";
  return row;
}

std::string RowOf(const std::string &name, TRole role, const std::string &action,
                  const std::string &value = "", const std::string &states = "") {
  return name + " | " + std::to_string(static_cast<int>(role)) + " | " + action + " | " + value +
         states;
}

} // namespace

TEST(Accessibility, EveryShownControlIsNamedWithItsRoleStateAndAction) {
  THeadlessApplication app;
  THeadlessScreen screen;
  TForm form(app, nullptr, "Form");
  form.SetBounds(0, 0, 400, 300);
  form.Create<TBkControl>("Backdrop").SetParent(&form);
  form.Create<TShape>("Frame").SetParent(&form);
  form.Create<TImage>("Logo").SetParent(&form); // no name: decoration
  int clicks = 0;
  auto &setup = form.Create<TBaseBtn>("SetupBtn");
  setup.SetParent(&form);
  setup.SetCaption("&Setup");
  setup.SetHint("Settings|Opens the setup page");
  setup.OnClick = [&](TComponent &) { ++clicks; };
  auto &help = form.Create<TBaseBtn>("HelpBtn"); // a symbol: named by its hint
  help.SetParent(&form);
  help.SetCaption("?");
  help.SetHint("Help|Opens the manual");
  auto &label = form.Create<TLabel>("PauseLbl");
  label.SetParent(&form);
  label.SetCaption("&Short break\r\n(seconds):");
  auto &spinner = form.Create<TSpinner>("PauseSpin");
  spinner.SetParent(&form);
  spinner.SetHint("Length|The short break's length"); // the label wins
  spinner.SetValue(45);
  auto &lock = form.Create<TCheckBox>("LockChk");
  lock.SetParent(&form);
  lock.SetCaption("Block && lock");
  lock.SetChecked(true);
  auto &gauge = form.Create<TColorGauge>("DoneGauge");
  gauge.SetParent(&form);
  gauge.SetHint("Done today");
  gauge.SetProgress(30);
  auto &off = form.Create<TButton>("NetBtn");
  off.SetParent(&form);
  off.SetCaption("Network");
  off.SetEnabled(false);
  auto &hidden = form.Create<TButton>("HiddenBtn");
  hidden.SetParent(&form);
  hidden.SetVisible(false);
  auto &text = form.Create<GParserControl>("InfoText", screen);
  text.SetParent(&form);
  text.SetBounds(0, 100, 100, 0);
  std::vector<std::string> followed;
  text.OnHyperLinkClick = [&](TComponent &, const std::string &ref) { followed.push_back(ref); };
  text.SetText("Read <A HREF=p2>the next page of this</A>\r\n<B>now</B>");
  auto &more = form.Create<TLabel>("StressLbl"); // clicked, it opens a page
  more.SetParent(&form);
  more.SetCaption("Stress");
  more.OnClick = [&](TComponent &) { clicks += 10; };
  auto &sound = form.Create<TRadioButton>("SoundRBtn");
  sound.SetParent(&form);
  sound.SetCaption("Standard sound");
  sound.SetBounds(5, 250, 120, 20);
  sound.SetChecked(true);
  form.Show();
  setup.SetFocus();

  const std::vector<TAccessibleElement> elements = AccessibleChildren(form);
  std::vector<std::string> rows;
  for (const TAccessibleElement &e : elements)
    rows.push_back(Row(e));
  EXPECT_EQ(rows, (std::vector<std::string>{
                      RowOf("Setup", TRole::PushButton, "Press", "", " | focused"),
                      RowOf("Help", TRole::PushButton, "Press"),
                      RowOf("Short break (seconds):", TRole::StaticText, ""),
                      RowOf("Short break (seconds):", TRole::SpinBox, "Focus", "45"),
                      RowOf("Block & lock", TRole::CheckBox, "Uncheck", "", " | checked"),
                      RowOf("Done today", TRole::ProgressBar, "", "30%"),
                      RowOf("Network", TRole::PushButton, "Press", "", " | unavailable"),
                      RowOf("Read the next page of this now", TRole::Text, ""),
                      // Wrapped over two lines, still one link, at its first line.
                      RowOf("the next page of this", TRole::Link, "Jump", "P2"),
                      RowOf("Stress", TRole::Link, "Jump"),
                      RowOf("Standard sound", TRole::RadioButton, "Check", "", " | checked"),
                  }));
  ASSERT_EQ(elements.size(), 11u);
  EXPECT_EQ(elements[10].Bounds, sound.Bounds());
  EXPECT_EQ(elements[8].Bounds.Top, 100);
  EXPECT_GT(elements[8].Bounds.Width, 0);

  EXPECT_TRUE(DoDefaultAction(elements[0]));
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(DoDefaultAction(elements[4]));
  EXPECT_FALSE(lock.Checked());
  EXPECT_TRUE(DoDefaultAction(elements[3]));
  EXPECT_TRUE(spinner.Focused());
  EXPECT_FALSE(DoDefaultAction(elements[6])); // disabled
  EXPECT_FALSE(DoDefaultAction(elements[5])); // a gauge does nothing
  EXPECT_TRUE(DoDefaultAction(elements[8]));
  EXPECT_EQ(followed, std::vector<std::string>{"P2"}); // as a click reports it
  EXPECT_TRUE(DoDefaultAction(elements[9]));
  EXPECT_EQ(clicks, 11);
}

// A bullet opening a line is a mark, not a word; buttons and boxes that
// would read alike (two "Block input" boxes) are told
// apart by their hints, while a control alone keeps its caption.
TEST(Accessibility, BulletsAreNotReadAndLookalikesAreNamedByTheirHints) {
  THeadlessApplication app;
  THeadlessScreen screen;
  TForm form(app, nullptr, "Form");
  auto add = [&form](auto &control, const std::string &caption, const std::string &hint) {
    control.SetParent(&form);
    control.SetCaption(caption);
    control.SetHint(hint);
    return &control;
  };
  add(form.Create<TLabel>("MessagesLbl"), "\x95 Messages", "");
  add(form.Create<TLabel>("BreaksLbl"), " \xB7" "Breaks\r\n\x95 long ones", "");
  add(form.Create<TLabel>("SloganLbl"), "MOVE \xB7 REST", "");
  add(form.Create<TCheckBox>("ShortCBox"), "Block input",
      "Block Input|Block input during the short break");
  add(form.Create<TCheckBox>("LongCBox"), "Block input", "Block input during the long break");
  add(form.Create<TButton>("OpenBtn"), "Open...", "Open Soundfile|Open soundfile");
  auto &text = form.Create<GParserControl>("TipText", screen);
  text.SetParent(&form);
  text.SetText("<B>\x95 Stretch</B> your arms\r\n\xB7 and legs");
  form.Show();

  std::vector<std::string> names;
  for (const TAccessibleElement &e : AccessibleChildren(form))
    names.push_back(e.Name);
  EXPECT_EQ(names, (std::vector<std::string>{"Messages", "Breaks long ones", "MOVE \xB7 REST",
                                             "Block input during the short break",
                                             "Block input during the long break",
                                             "Open...",
                                             "Stretch your arms and legs"}));
}

// Panels and pages are named by their headings, a count-down by its own
// hint rather than the heading before it, and the default actions speak the
// user's language.
TEST(Accessibility, ContainersTakeTheirHeadingsAndActionsTheLanguagesWords) {
  THeadlessApplication app;
  TForm form(app, nullptr, "Form");
  auto &pages = form.Create<TNotebook>("Pages");
  pages.SetParent(&form);
  TPage &page = pages.AddPage("LanguagePage", "LanguagePage"); // a name never shown
  form.Create<TImage>("PageImage").SetParent(&page);
  auto &title = form.Create<TLabel>("TitleLbl");
  title.SetParent(&page);
  title.SetCaption("Choose &Your Language");
  auto &header = form.Create<TPanel>("HeaderPnl");
  header.SetParent(&form);
  auto &heading = form.Create<TLabel>("HeadingLbl");
  heading.SetParent(&header);
  heading.SetCaption("Short Break");
  auto &pie = form.Create<TGauge>("PieGauge");
  pie.SetParent(&header);
  pie.SetHint("Time left|Until the message goes");
  auto &outer = form.Create<TPanel>("OuterPnl"); // its heading is in the panel inside
  outer.SetParent(&form);
  auto &inner = form.Create<TPanel>("InnerPnl");
  inner.SetParent(&outer);
  auto &note = form.Create<TLabel>("NoteLbl");
  note.SetParent(&inner);
  note.SetCaption("Notes");
  auto &picture = form.Create<TPanel>("PicturePnl"); // holds nothing to read
  picture.SetParent(&form);
  auto &logo = form.Create<TImage>("Logo");
  logo.SetParent(&picture);
  auto &buttons = form.Create<TPanel>("ButtonPnl");
  buttons.SetParent(&form);
  buttons.SetHint("Navigation");
  auto &next = form.Create<TButton>("NextBtn");
  next.SetParent(&buttons);
  next.SetCaption("Next");
  auto &tick = form.Create<TCheckBox>("TickCBox");
  tick.SetParent(&buttons);
  tick.SetCaption("Tick");
  auto &box = form.Create<TScrollBox>("TextBox"); // its heading is a text's first words
  box.SetParent(&form);
  THeadlessScreen screen;
  auto &text = form.Create<GParserControl>("Text", screen);
  text.SetParent(&box);
  text.SetText("<B>Neck</B> and shoulders");
  auto &options = form.Create<TGroupBox>("OptionsGrp"); // empty, yet no decoration
  options.SetParent(&form);
  options.SetCaption("Options");
  form.Show();

  auto names = [](const TWinControl &container) {
    std::vector<std::string> rows;
    for (const TAccessibleElement &e : AccessibleChildren(container))
      rows.push_back(e.Control->Name() + " " + e.Name + " | " + e.DefaultAction);
    return rows;
  };
  EXPECT_EQ(names(form), (std::vector<std::string>{"Pages Choose Your Language | ",
                                                    "HeaderPnl Short Break | ", "OuterPnl Notes | ",
                                                    "ButtonPnl Navigation | ",
                                                    "TextBox Neck and shoulders | ",
                                                    "OptionsGrp Options | "}));
  EXPECT_EQ(names(pages), std::vector<std::string>{"LanguagePage Choose Your Language | "});
  EXPECT_EQ(names(header),
            (std::vector<std::string>{"HeadingLbl Short Break | ", "PieGauge Time left | "}));

  TestFolder folder;
  THeadlessFileSystem files;
  THeadlessLocale locale;
  TDatabaseSource source;
  std::string error;
  ASSERT_TRUE(ParseTableSource(R"SRC(
table Contents
column iCountry integer7
column sCountry text width=128
column sLanguage text width=10
row 49 German Deutsch
table "MainForm (German)"
column Tag integer7
column Caption text width=255
column Hint text width=255
row 19000 "Dr\xfccken" ""
row 19001 " " ""
row 19002 "Deaktivieren" ""
row 19004 "Fokussieren" ""
)SRC",
                               source, error))
      << error;
  const std::string file = folder.File("Movaro.lng");
  ASSERT_TRUE(WriteStrovdex(files, source, file, "", error)) << error;
  TTranslator translator(files, locale);
  translator.LanguageNumber = 49;
  TranslateAccessibleActions(translator, "MainForm", file);
  const TAccessibleActions words = AccessibleActions();
  tick.SetChecked(true);
  const std::vector<std::string> german = names(buttons);
  SetAccessibleActions({});
  // A word the file lacks, or leaves blank, stays English.
  EXPECT_EQ(words.Check, "Check");
  EXPECT_EQ(words.Jump, "Jump");
  EXPECT_EQ(words.Focus, "Fokussieren");
  EXPECT_EQ(german, (std::vector<std::string>{"NextBtn Next | Dr\xfc" "cken",
                                               "TickCBox Tick | Deaktivieren"}));
  EXPECT_EQ(names(buttons), (std::vector<std::string>{"NextBtn Next | Press", "TickCBox Tick | Uncheck"}));
}

TEST(Accessibility, HighContrastPaintsTextOverSkinsInTheSystemsColours) {
  THeadlessApplication app;
  TForm form(app, nullptr, "Form");
  auto &label = form.Create<TLabel>("Lbl");
  label.SetParent(&form);
  label.SetBounds(10, 10, 80, 20);
  label.SetCaption("Status");
  TFont yellow;
  yellow.Color = 0x00FFFF;
  label.SetFont(yellow);
  auto &button = form.Create<TBaseBtn>("Btn");
  button.SetParent(&form);
  button.SetBounds(0, 40, 100, 40);
  button.SetCaption("Quit");
  button.SetFont(yellow);
  button.CaptionPenVisible = true;
  button.CaptionCentered = true; // "Quit" is 16 x 12: at 42,54

  auto paint = [&] {
    TRecordingCanvas canvas;
    label.Paint(canvas);
    button.Paint(canvas);
    std::vector<std::string> text;
    for (const std::string &call : canvas.Calls)
      if (call.rfind("TextAt", 0) == 0 || call.rfind("FillRect", 0) == 0)
        text.push_back(call);
    return text;
  };
  const std::vector<std::string> skinned = paint();
  // The system's setting, as the backend follows it.
  THeadlessHighContrastSetting system;
  EXPECT_FALSE(FollowHighContrast(system)); // off, as it was
  system.Setting = {true, 0xFFFFFF, 0x000000, 0x00FF00};
  EXPECT_TRUE(FollowHighContrast(system));
  EXPECT_FALSE(FollowHighContrast(system));
  const std::vector<std::string> contrast = paint();
  button.SetEnabled(false);
  const std::vector<std::string> disabled = paint();
  button.SetEnabled(true);
  system.Setting = {};
  EXPECT_TRUE(FollowHighContrast(system));
  EXPECT_EQ(paint(), skinned);

  // The label on its own plate; the caption on one, without its pen shadow.
  EXPECT_EQ(contrast, (std::vector<std::string>{
                          "FillRect 10,10,90,30 #000000",
                          "TextAt 10,10 [MS Sans Serif 8 #FFFFFF] Status",
                          "FillRect 40,53,60,67 #000000",
                          "TextAt 42,54 [MS Sans Serif 8 #FFFFFF] Quit",
                      }));
  EXPECT_EQ(disabled.back(), "TextAt 42,54 [MS Sans Serif 8 #00FF00] Quit");
  EXPECT_EQ(skinned.size(), 3u); // no plate: the label's and both caption texts
}
