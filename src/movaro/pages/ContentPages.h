#pragma once
// The content pages of the main window's page container: "BkInfo"
// (background information), "Info" (explanation pages, pages behind health
// messages, questionnaires), "Exercise" (an exercise beside its video) and
// "Status" (the day's figures and the questionnaire gauges, or instead the
// chart of the last 7, 30 or 90 days of the history), with the menus
// that lead to them: the background menu and the exercise menu built from
// the information file's record names, and the last-messages menu.
//
// Every page text is a record of the information file, shown by a markup
// control in a scroll box. Links in a page ("<A HREF=bgi_011>") open the
// record with that first name part on its page. An explanation page of a
// questionnaire carries the questionnaire itself: one item at a time with
// "Yes" and "No" radio buttons and a "Skip" link; each answer is recorded as
// the message dialog's would be (AnswerQuestion) and scored into the gauges.
// Links and inputs act through a posted call, after the control that
// reported them has finished with its own text.

#include "data/recfile/IDbRecs.h"
#include "movaro/MovaroContext.h"
#include "movaro/Shortcuts.h"
#include "movaro/SkinImages.h"
#include "movaro/pages/PageChrome.h"
#include "movaro/pages/PageMedia.h"
#include "movaro/profile/ProfileView.h"
#include "movaro/profile/Statistics.h"
#include "platform/Screen.h"
#include "ui/Menus.h"
#include "ui/kit/Chart.h"
#include "ui/kit/SkinnedButton.h"
#include "ui/markup/ParserControl.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>


// What the pages ask of the main window around them.
class IContentPagesHost {
public:
  virtual ~IContentPagesHost() = default;
  // The status bar and the controls that follow the monitoring state.
  virtual void UpdateStatus() = 0;
  virtual void FormRestore() = 0;
  virtual void FormMinimize() = 0;
  // Shows a rule's message (rule 0: the question record) in the prompt dialog.
  virtual void ShowRuleMessage(int32_t rule, int32_t record, bool persistent) = 0;
  // Pops the menu up below the button's left edge.
  virtual void PopupMenu(TPopupMenu &menu, TControl &button) = 0;
  // A page's text was replaced: its input fields are new controls.
  virtual void PageTextChanged() {}
  // The status page's buttons: "Take a break now", and the export of the
  // day history through the save dialog (ExportHistoryDialog).
  virtual void TakeBreakNow() {}
  virtual void ExportHistory() {}
};

// One text page: title, header and the markup control in its scroll box.
struct TTextPage {
  TPage *Page = nullptr;
  TPageTitle Title;
  TLabel *Header = nullptr;
  TScrollBox *TextCtrl = nullptr;
  GParserControl *Parser = nullptr;
};

// The questionnaire shown on the Info page, if any.
struct TQuestionnaireState {
  int32_t PageOrdinal = 0;        // its explanation page; 0 none shown
  std::vector<int32_t> Items;     // ordinals of its items, in file order
  size_t Current = 0;             // the item asked now; Items.size(): done
};

class TContentPages {
public:
  // Adds the four pages to the page container; the components are owned by
  // the owner (the main window). The player and screen outlive the pages.
  TContentPages(TComponent &owner, TPageControl &pageCtrl, TMovaroContext &context,
                IContentPagesHost &host, IMediaPlayer &player, IScreen &screen,
                std::string programFolder);
  ~TContentPages();
  TContentPages(const TContentPages &) = delete;
  TContentPages &operator=(const TContentPages &) = delete;

  // The information file (its language selected), none while it is not loaded.
  TIDbRecFile *InfoFile = nullptr;
  // The content directory of "movaro.dat" (none while the file is missing).
  std::optional<TArchiveDirectory> ContentDirectory;
  void ReloadContentDirectory();
  TPageMedia Media;

  // Menus.
  void BuildBkInfoMenu();
  void BuildExerciseMenu();
  void ShowRecentMessages(const std::vector<TRecentMessageItem> &items);

  // Shows a record (as GetSelectedRecord returns it) on "BkInfo", "Info" or
  // "Exercise".
  void ShowContentRecord(const TIDbRec &record, const std::string &pageName);
  void BkInfoLstSelect(int32_t ordinal);
  // The message dialog's answer to a record: yes, no or cancel.
  void AnswerQuestion(int32_t ordinal, bool yes, bool cancelled);

  // Handlers.
  void BackgroundInfoBtnClick(TControl &button);
  void ExercisesBtnClick(TControl &button);
  void MessagesBtnClick(TControl &button);
  void StatusBtnClick();
  void MenuItemClick(TComponent &sender);
  void TestItemClick(TComponent &sender);
  void HyperLinkClick(TComponent &sender, const std::string &hRef);
  // A click on a page's text gives its scroll box the keyboard focus.
  void TextClick(TComponent &sender);
  // The wheel of the three text boxes: the one with the keyboard focus
  // scrolls by a line, down or up. The turn is left unhandled.
  void TextCtrlMouseWheelDown() { ScrollFocusedText(TShortcut::scScrollDown); }
  void TextCtrlMouseWheelUp() { ScrollFocusedText(TShortcut::scScrollUp); }
  // The scrolling keys (Page Up and Up, Page Down and Down, Home, End): the
  // text box with the keyboard focus scrolls a line up or down, or to its
  // top or bottom. False when no text box has the focus.
  bool ScrollFocusedText(TShortcut shortcut);

  // Status page.
  void ShowFigures(const TStatusFigures &figures);
  // Today's figures, or the history of the days the view's choice names,
  // read anew from the profile's history.
  void ShowHistory();
  // The chosen day's figures under the chart, and what was left out of the
  // history as damaged.
  void ShowHistoryDay();
  // A key pressed while the history's chart has the focus (it selects a
  // day); false when the chart did not take it.
  bool HistoryKeyDown(int key);
  void ShowGauge(int gauge, int percent);
  int TestScore(int test) const;

  IScreen &Screen() { return screen_; }
  // The media buttons' faces from the skin; until then they draw their symbols.
  void LoadSkins(TSkinLoader &skins);
  // After a language change: every translated caption is taken again.
  void Retranslate();

  TPageControl &PageCtrl;
  TTextPage BkInfo, Info, Exer;
  TPanel *ExerPnl = nullptr;
  TPanel *ExerVideoPnl = nullptr;
  std::array<TBaseBtn *, 5> MediaButtons{}; // play, pause, stop, forward, back
  TPage *StatusPage = nullptr;
  TPageTitle StatusTitle;
  std::array<TLabel *, 11> StatusValues{}; // StatusLbl1v .. StatusLbl11v (6 .. 6 unused)
  std::array<TLabel *, 11> TestLabels{};   // Test0Lbl .. Test10Lbl
  std::array<TColorGauge *, 11> TestGauges{};   // Test0Gauge .. Test10Gauge
  // The controls of today's figures, which the history's view hides.
  std::vector<TControl *> StatusTodayControls;
  TLabel *StatusViewLbl = nullptr;
  TComboBox *StatusViewCBox = nullptr; // today, the last 7, 30 or 90 days
  GChart *HistoryChart = nullptr;
  TLabel *HistoryDayLbl = nullptr; // the figures of the day chosen in the chart
  TButton *TakeBreakNowBtn = nullptr;
  TButton *ExportHistoryBtn = nullptr;
  TSaveDialog *ExportHistoryDialog = nullptr;
  TPopupMenu *BkInfoItems = nullptr;
  TPopupMenu *PopupExerItems = nullptr;
  std::array<TMenuItem *, 10> ExerciseSubmenus{};
  TPopupMenu *PopupLastMessageItems = nullptr;
  TQuestionnaireState Questionnaire;

private:
  TTextPage MakeTextPage(const std::string &prefix, const std::string &pageName, int32_t titleTag,
                         const std::string &title);
  void BuildExercisePanel();
  void BuildStatusPage();
  void BuildStatusHistory();
  void UpdateMediaButtons();
  bool RecordInRange(int32_t ordinal) const;
  void ShowInfoText(const TIDbRec &record, const std::array<std::string, 4> &parts);
  void StartQuestionnaire(int32_t pageOrdinal);
  void ShowQuestionnaire();
  void FollowLink(const std::string &hRef);
  void SetPageText(TTextPage &page, const char *text);
  void AnswerCurrentItem(const std::string &answer);
  std::string MainText(int number, const std::string &english);

  TComponent &owner_;
  TMovaroContext &context_;
  IContentPagesHost &host_;
  IScreen &screen_;
  std::string programFolder_;
  std::string infoBaseText_; // the Info page's record text, before any questionnaire
  std::string historyLeftOut_; // the history's damaged lines in words, or empty
  // The background entry on show (0 none): choosing it again changes nothing.
  int32_t bkInfoShown_ = 0;
};
