#include "movaro/pages/ContentPages.h"

#include "data/recfile/IDbRecs.h"
#include "movaro/pages/ContentRecords.h"
#include "movaro/pages/MediaButton.h"
#include "movaro/profile/MessageEntry.h"
#include "movaro/profile/UserData.h"
#include "ui/Forms.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kBkInfoItemName[] = "BkInfoItem";
constexpr char kExerItemName[] = "MainToolBarPopupSubExerItem";
constexpr char kLastMessageItemName[] = "MainToolBarPopupLastMessageItem";
constexpr char kLanguageFile[] = "Movaro.lng";
// Main texts of the questionnaire's answers.
constexpr int kTextYes = 8, kTextNo = 9;
// Hyperlink references the pages make themselves; any other reference names a record.
constexpr char kAnswerYes[] = "ANSWER:YES";
constexpr char kAnswerNo[] = "ANSWER:NO";
constexpr char kAnswerSkip[] = "ANSWER:SKIP";
constexpr char kAnswerAgain[] = "ANSWER:AGAIN";
// Texts of the questionnaire, by their numbers in the language table.
constexpr int kTextSkip = 11201, kTextAnswerAgain = 11202, kTextScore = 11203;

bool StartsWith(const std::string &text, const char *prefix) {
  return text.rfind(prefix, 0) == 0;
}

// The rest of a name after a prefix as a decimal number; -1 when it is not one.
int32_t NumberAfter(const std::string &name, size_t prefixLength) {
  const std::string rest = name.substr(std::min(prefixLength, name.size()));
  if (rest.empty() || rest.size() > 9 || rest.find_first_not_of("0123456789") != std::string::npos)
    return -1;
  return static_cast<int32_t>(std::stol(rest));
}

} // namespace

TContentPages::TContentPages(TComponent &owner, TPageControl &pageCtrl, TMovaroContext &context,
                             IContentPagesHost &host, IMediaPlayer &player, IScreen &screen,
                             std::string programFolder)
    : Media(player, context.Platform.Files, programFolder, ContentDirectory), PageCtrl(pageCtrl),
      owner_(owner), context_(context), host_(host), screen_(screen),
      programFolder_(std::move(programFolder)) {
  BkInfo = MakeTextPage("BkInfo", "BkInfo", 10100, "Background Information");
  Info = MakeTextPage("Info", "Info", 11100, "Information");
  Exer = MakeTextPage("Exer", "Exercise", 12100, "Exercises");
  BuildExercisePanel();
  BuildStatusPage();

  BkInfoItems = &owner_.Create<TPopupMenu>("BkInfoItems");
  PopupExerItems = &owner_.Create<TPopupMenu>("PopupExerItems");
  for (int i = 0; i < kExerciseRegionCount; ++i)
    ExerciseSubmenus[i] = &PopupExerItems->Add(kExerciseRegions[i].SubmenuName,
                                               kExerciseRegions[i].Caption, kExerciseRegions[i].Tag);
  PopupLastMessageItems = &owner_.Create<TPopupMenu>("PopupLastMessageItems");

  Media.OnLoadedChange = [this] { UpdateMediaButtons(); };
  UpdateMediaButtons();
}

TContentPages::~TContentPages() { Media.StopMediaFile(); }

void TContentPages::LoadSkins(TSkinLoader &skins) {
  static const char *const faces[5] = {"_play", "_pause", "_stop", "_forward", "_back"};
  for (int i = 0; i < 5; ++i)
    if (MediaButtons[i])
      skins.LoadButtonFaces(*MediaButtons[i], faces[i]);
}

void TContentPages::UpdateMediaButtons() {
  // Without a loaded file the buttons are greyed: nothing plays.
  for (TBaseBtn *button : MediaButtons)
    if (button)
      button->SetEnabled(Media.Loaded());
}

void TContentPages::ReloadContentDirectory() {
  ContentDirectory = LoadContentDirectory(context_.Platform.Files, programFolder_ + "movaro.dat");
}

std::string TContentPages::MainText(int number, const std::string &english) {
  return context_.Translator.TranslateText(number, "MainForm", programFolder_ + kLanguageFile,
                                           english);
}

void TContentPages::SetPageText(TTextPage &page, const char *text) {
  page.Parser->SetText(text);
  host_.PageTextChanged();
}

bool TContentPages::RecordInRange(int32_t ordinal) const {
  return InfoFile && ordinal >= 1 && ordinal <= InfoFile->SelectedCount();
}

// --- menus ----------------------------------------------------------------------

void TContentPages::BuildBkInfoMenu() {
  BkInfoItems->Clear();
  if (!InfoFile)
    return;
  TMenuItem *chapter = nullptr, *section = nullptr;
  auto click = [this](TComponent &sender) { MenuItemClick(sender); };
  for (int32_t i = 1; i <= InfoFile->SelectedCount(); ++i) {
    const auto parts = TIDbRecFile::SplitName(InfoFile->GetSelectedRecord(i).Name);
    if (!IsBackgroundRecord(parts[0]))
      continue;
    const std::string name = kBkInfoItemName + std::to_string(i);
    if (!parts[3].empty()) {
      // A third level hangs under the current section, titled with its own
      // part 4; the section then only opens its submenu.
      if (!section)
        continue;
      TMenuItem &item = section->Add(name, "  " + parts[3], i);
      item.OnClick = click;
      section->Tag = 0;
      section->OnClick = nullptr;
    } else if (!parts[2].empty()) {
      if (!chapter)
        continue;
      TMenuItem &item = chapter->Add(name, "  " + parts[2], i);
      item.OnClick = click;
      chapter->Tag = 0;
      chapter->OnClick = nullptr;
      section = &item;
    } else if (!parts[1].empty()) {
      chapter = &BkInfoItems->Add(name, parts[1], i);
      chapter->OnClick = click;
      section = nullptr;
    }
  }
}

void TContentPages::BuildExerciseMenu() {
  for (TMenuItem *submenu : ExerciseSubmenus)
    submenu->Clear();
  if (!InfoFile)
    return;
  for (int32_t i = 1; i <= InfoFile->SelectedCount(); ++i) {
    const auto parts = TIDbRecFile::SplitName(InfoFile->GetSelectedRecord(i).Name);
    if (!IsExerciseRecord(parts[0]) || !parts[3].empty() || parts[2].empty())
      continue;
    const int region = ExerciseRegionIndex(ExerciseRegionCode(parts[1]));
    if (region < 0)
      continue;
    TMenuItem &item = ExerciseSubmenus[region]->Add(kExerItemName + std::to_string(i), parts[2]);
    item.OnClick = [this](TComponent &sender) { MenuItemClick(sender); };
  }
}

void TContentPages::ShowRecentMessages(const std::vector<TRecentMessageItem> &items) {
  PopupLastMessageItems->Clear();
  for (const TRecentMessageItem &entry : items) {
    TMenuItem &item = PopupLastMessageItems->Add(entry.Name, entry.Caption);
    item.OnClick = [this](TComponent &sender) { MenuItemClick(sender); };
  }
}

// --- showing records ---------------------------------------------------------------

void TContentPages::ShowContentRecord(const TIDbRec &record, const std::string &pageName) {
  if (!record.Name[0]) {
    for (TTextPage *page : {&BkInfo, &Info, &Exer}) {
      page->Header->SetCaption("");
      SetPageText(*page, nullptr);
    }
    Questionnaire = TQuestionnaireState{};
    bkInfoShown_ = 0;
    infoBaseText_.clear();
    return;
  }
  const auto parts = TIDbRecFile::SplitName(record.Name);
  ShowPage(PageCtrl, pageName);
  if (pageName == "BkInfo") {
    if (!BkInfo.Parser->HasText() || std::strcmp(BkInfo.Parser->Text(), record.Text) != 0) {
      for (int p : {3, 2, 1})
        if (!parts[p].empty()) {
          BkInfo.Header->SetCaption(parts[p]);
          break;
        }
      SetPageText(BkInfo, record.Text);
    }
  } else if (pageName == "Info") {
    ShowInfoText(record, parts);
  } else if (pageName == "Exercise" && parts[1].find('-') != std::string::npos) {
    const int region = ExerciseRegionIndex(ExerciseRegionCode(parts[1]));
    if (region >= 0)
      Exer.Header->SetCaption(ExerciseSubmenus[region]->Caption + " - " + parts[2]);
    SetPageText(Exer, record.Text);
    Media.LoopPlayback = true;
    Media.PlayMediaFile(programFolder_ + "Av\\" + ExerciseVideoBase(parts[1]) + ".avi");
  }
}

void TContentPages::ShowInfoText(const TIDbRec &record, const std::array<std::string, 4> &parts) {
  const bool sameText = Info.Parser->HasText() && infoBaseText_ == record.Text &&
                        Questionnaire.PageOrdinal == 0;
  if (sameText)
    return;
  for (int p : {2, 1})
    if (!parts[p].empty()) {
      // Part 2 of an explanation page is its dialog head, not a title.
      if (p == 1 && StartsWith(parts[1], "Dlg #"))
        continue;
      Info.Header->SetCaption(parts[p]);
      break;
    }
  infoBaseText_ = record.Text;
  Questionnaire = TQuestionnaireState{};
  const std::string head = RecordDialogHead(record.Name);
  if (InfoFile && EntryKind(head) == 'n' && IsQuestionnaireItem(head) &&
      EntrySetNumber(head) != "000") {
    // The explanation page of questionnaire SSS: its items follow it.
    for (int32_t n = 1; n <= InfoFile->SelectedCount(); ++n)
      if (std::strcmp(InfoFile->GetSelectedRecord(n).Name, record.Name) == 0) {
        StartQuestionnaire(n);
        return;
      }
  }
  SetPageText(Info, record.Text);
}

void TContentPages::StartQuestionnaire(int32_t pageOrdinal) {
  Questionnaire = TQuestionnaireState{};
  Questionnaire.PageOrdinal = pageOrdinal;
  const std::string set(EntrySetNumber(RecordDialogHead(InfoFile->GetSelectedRecord(pageOrdinal).Name)));
  for (int32_t n = pageOrdinal + 1; n <= InfoFile->SelectedCount(); ++n) {
    const TIDbRec item = InfoFile->GetSelectedRecord(n);
    if (TIDbRecFile::SplitName(item.Name)[3].empty())
      break; // the next page begins
    const std::string head = RecordDialogHead(item.Name);
    if (IsQuestionnaireItem(head) && EntryKind(head) != 'n' && EntrySetNumber(head) == set)
      Questionnaire.Items.push_back(n);
  }
  // Continue with the first item never answered; all answered: the result.
  Questionnaire.Current = Questionnaire.Items.size();
  for (size_t i = 0; i < Questionnaire.Items.size(); ++i) {
    const std::string head = RecordDialogHead(InfoFile->GetSelectedRecord(Questionnaire.Items[i]).Name);
    const std::string entry = context_.Profile ? context_.Profile->FindEntry(head) : "";
    if (entry.empty() || EntryCount(entry) < 0) {
      Questionnaire.Current = i;
      break;
    }
  }
  ShowQuestionnaire();
}

void TContentPages::ShowQuestionnaire() {
  std::string text = infoBaseText_;
  const size_t count = Questionnaire.Items.size();
  if (count > 0 && InfoFile) {
    text += "\r\n\r\n";
    if (Questionnaire.Current < count) {
      const TIDbRec item = InfoFile->GetSelectedRecord(Questionnaire.Items[Questionnaire.Current]);
      text += "<B>" + std::to_string(Questionnaire.Current + 1) + " / " + std::to_string(count) +
              "</B>   " + item.Text + "\r\n\r\n";
      text += "<INPUT TYPE=RADIO NAME=AnswerYes VALUE=" + std::string(kAnswerYes) + "> " +
              MainText(kTextYes, "Yes") + "      <INPUT TYPE=RADIO NAME=AnswerNo VALUE=" +
              kAnswerNo + "> " + MainText(kTextNo, "No") + "      <A HREF=" + kAnswerSkip + ">" +
              MainText(kTextSkip, "Skip") + "</A>";
    } else {
      // The questionnaire's gauge, as the status page shows it.
      const std::string head =
          RecordDialogHead(InfoFile->GetSelectedRecord(Questionnaire.PageOrdinal).Name);
      const int set = std::atoi(std::string(EntrySetNumber(head)).c_str());
      std::optional<int> percent;
      if (context_.Profile && set >= 1 && set <= 10)
        percent = TestGaugeValues(context_.Profile->MessageHistory)[set];
      text += "<B>" + MainText(kTextScore, "Score") + ": " +
              (percent ? std::to_string(*percent) + " %" : std::string("-")) + "</B>      <A HREF=" +
              kAnswerAgain + ">" + MainText(kTextAnswerAgain, "Answer again") + "</A>";
    }
  }
  SetPageText(Info, text.c_str());
}

void TContentPages::AnswerCurrentItem(const std::string &answer) {
  if (Questionnaire.PageOrdinal == 0)
    return;
  if (answer == kAnswerAgain) {
    Questionnaire.Current = 0;
    ShowQuestionnaire();
    return;
  }
  if (Questionnaire.Current >= Questionnaire.Items.size() ||
      (answer != kAnswerYes && answer != kAnswerNo && answer != kAnswerSkip))
    return; // a reference a page text made up answers nothing
  const int32_t ordinal = Questionnaire.Items[Questionnaire.Current];
  AnswerQuestion(ordinal, answer == kAnswerYes, answer == kAnswerSkip);
  ++Questionnaire.Current;
  ShowQuestionnaire();
}

void TContentPages::BkInfoLstSelect(int32_t ordinal) {
  if (RecordInRange(ordinal)) {
    if (ordinal == bkInfoShown_)
      return; // the entry on show, chosen again
    ShowContentRecord(InfoFile->GetSelectedRecord(ordinal), "BkInfo");
    bkInfoShown_ = ordinal;
  } else {
    bkInfoShown_ = 0;
    BkInfo.Header->SetCaption("");
    SetPageText(BkInfo, nullptr);
  }
  host_.UpdateStatus();
}

// --- answers -------------------------------------------------------------------------

void TContentPages::AnswerQuestion(int32_t ordinal, bool yes, bool cancelled) {
  TUserData *profile = context_.Profile;
  if (!RecordInRange(ordinal) || !profile) {
    host_.UpdateStatus();
    return;
  }
  const TIDbRec record = InfoFile->GetSelectedRecord(ordinal);
  const std::string name = record.Name;
  if (!profile->RecordAnswer(name, yes, cancelled)) {
    host_.UpdateStatus();
    return;
  }
  const std::string key = RecordDialogHead(name.c_str());
  const char category = key.size() >= 4 ? key[3] : '\0';
  // A health message answered yes opens the page it belongs to.
  if (category != 't' && yes && !cancelled && name.find("Dlg #q") == std::string::npos) {
    const int32_t page = OwningPageOrdinal(*InfoFile, ordinal);
    const TIDbRec owning = InfoFile->GetSelectedRecord(page);
    if (page > 0 && TIDbRecFile::SplitName(owning.Name)[3].empty()) {
      host_.FormRestore();
      ShowContentRecord(owning, category == 'e' ? "Exercise" : "Info");
    }
  }
  host_.UpdateStatus();
}

// --- handlers -------------------------------------------------------------------------

void TContentPages::BackgroundInfoBtnClick(TControl &button) {
  ShowPage(PageCtrl, "BkInfo");
  host_.PopupMenu(*BkInfoItems, button);
}

void TContentPages::ExercisesBtnClick(TControl &button) { host_.PopupMenu(*PopupExerItems, button); }

void TContentPages::MessagesBtnClick(TControl &button) {
  host_.PopupMenu(*PopupLastMessageItems, button);
}

void TContentPages::StatusBtnClick() { ShowPage(PageCtrl, "Status"); }

void TContentPages::MenuItemClick(TComponent &sender) {
  const std::string &name = sender.Name();
  if (StartsWith(name, kBkInfoItemName)) {
    BkInfoLstSelect(sender.Tag);
    return; // BkInfoLstSelect updates the status itself
  }
  if (StartsWith(name, kExerItemName)) {
    const int32_t n = NumberAfter(name, std::strlen(kExerItemName));
    if (RecordInRange(n))
      ShowContentRecord(InfoFile->GetSelectedRecord(n), "Exercise");
  } else if (StartsWith(name, kLastMessageItemName) && context_.Profile &&
             !context_.Profile->RecentMessages.empty()) {
    const int32_t k = NumberAfter(name, std::strlen(kLastMessageItemName));
    if (k >= 0 && k < static_cast<int32_t>(context_.Profile->RecentMessages.size())) {
      host_.FormMinimize();
      const TRecentEntryParts parts = ParseRecentEntry(context_.Profile->RecentMessages[k]);
      host_.ShowRuleMessage(parts.Rule, parts.Record, true);
    }
  }
  host_.UpdateStatus();
}

void TContentPages::TestItemClick(TComponent &sender) {
  int gauge = -1;
  for (int k = 0; k < 11; ++k)
    if (&sender == TestLabels[k])
      gauge = k;
  if (gauge < 0 || !context_.Profile)
    return;
  const int32_t n = context_.Profile->QuestionRecordIndex(ExplanationHead(gauge));
  if (!RecordInRange(n))
    return;
  const int32_t page = OwningPageOrdinal(*InfoFile, n);
  const TIDbRec owning = InfoFile->GetSelectedRecord(page);
  if (TIDbRecFile::SplitName(owning.Name)[3].empty())
    ShowContentRecord(owning, "Info");
}

void TContentPages::HyperLinkClick(TComponent &, const std::string &hRef) {
  // The link or input that reports belongs to the text about to be replaced:
  // act once its own handling is over.
  if (TApplication *application = ApplicationOf(owner_)) {
    application->Post([this, hRef] { FollowLink(hRef); });
    return;
  }
  FollowLink(hRef);
}

void TContentPages::FollowLink(const std::string &hRef) {
  if (StartsWith(hRef, "ANSWER:")) {
    AnswerCurrentItem(hRef);
    return;
  }
  if (!InfoFile)
    return;
  const int32_t n = FindRecordByBaseName(*InfoFile, hRef);
  if (n <= 0)
    return;
  const TIDbRec record = InfoFile->GetSelectedRecord(n);
  const auto parts = TIDbRecFile::SplitName(record.Name);
  if (IsBackgroundRecord(parts[0]))
    BkInfoLstSelect(n);
  else
    ShowContentRecord(record, IsExerciseRecord(parts[0]) ? "Exercise" : "Info");
}

void TContentPages::TextClick(TComponent &sender) {
  auto *parser = dynamic_cast<GParserControl *>(&sender);
  auto *box = parser ? dynamic_cast<TScrollBox *>(parser->Parent()) : nullptr;
  if (box)
    box->SetFocus();
}

bool TContentPages::ScrollFocusedText(TShortcut shortcut) {
  for (TTextPage *page : {&BkInfo, &Info, &Exer}) {
    TScrollBox &box = *page->TextCtrl;
    if (!box.Focused())
      continue;
    switch (shortcut) {
    case TShortcut::scScrollUp:
      box.Scroll(TScrollRequest::srLineUp);
      return true;
    case TShortcut::scScrollDown:
      box.Scroll(TScrollRequest::srLineDown);
      return true;
    case TShortcut::scScrollHome:
      box.Scroll(TScrollRequest::srTop);
      return true;
    case TShortcut::scScrollEnd:
      box.Scroll(TScrollRequest::srBottom);
      return true;
    default:
      return false;
    }
  }
  return false;
}

// --- status page ----------------------------------------------------------------------

void TContentPages::ShowFigures(const TStatusFigures &figures) {
  auto set = [&](int i, const std::string &text) {
    if (StatusValues[i])
      StatusValues[i]->SetCaption(text);
  };
  set(0, figures.Started);
  set(1, figures.TimeMeasured);
  if (figures.HasRuleFigures) {
    set(2, figures.TimeWorked);
    set(3, figures.MaxWorked);
    set(4, figures.TimeRested);
    set(5, figures.MaxRested);
  }
  set(7, figures.Keystrokes);
  set(8, figures.MouseMoves);
  set(9, figures.MouseClicks);
  set(10, figures.MouseWheel);
}

void TContentPages::ShowGauge(int gauge, int percent) {
  if (gauge >= 0 && gauge < 11)
    TestGauges[gauge]->SetProgress(percent);
}

int TContentPages::TestScore(int test) const {
  return test >= 1 && test <= 10 ? TestGauges[test]->Progress() : 0;
}

// --- language -------------------------------------------------------------------------

void TContentPages::Retranslate() {
  for (TPageTitle *title : {&BkInfo.Title, &Info.Title, &Exer.Title, &StatusTitle})
    FitPageTitle(*title, screen_.MeasuringCanvas());
  ShowHistory(); // the chart's legend, axes and days in the new language
  if (Questionnaire.PageOrdinal > 0)
    ShowQuestionnaire();
}
