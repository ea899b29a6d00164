// The main window's content pages as they are laid out: the three text pages,
// the exercise panel with its film and buttons, and the status page with its
// figures and gauges.
#include "movaro/pages/ContentPages.h"

#include "movaro/pages/MediaButton.h"
#include "movaro/pages/StatusHistory.h"
#include "movaro/profile/UserData.h"
#include "ui/Forms.h"

namespace {

constexpr uint32_t kVideoPanelColor = 8160395; // red 139, green 132, blue 124
constexpr uint32_t kPageColor = 0xF7F4F2;
constexpr uint32_t kTextBackground = 0xFFFFFF;
constexpr uint32_t kLinkColor = 0xA05A28; // red 40, green 90, blue 160
constexpr uint32_t kGaugeLime = 0x52CC84;  // red 132, green 204, blue 82
constexpr uint32_t kGaugeRed = 0x404CD6;   // red 214, green 76, blue 64
constexpr uint32_t kGaugeFrame = 0x8C96A0; // red 160, green 150, blue 140

struct TStatusRow {
  int X, Y;
  const char *Caption;
  bool Bold;
  int32_t Tag;
};
// StatusLbl1 .. StatusLbl11; the bullet is character 149.
const TStatusRow kStatusRows[11] = {
    {20, 40, "\x95 Started", true, 13201},         {20, 60, "\x95 Time measured", true, 13202},
    {20, 80, "\x95 Time worked", true, 13203},     {30, 100, "Maximal successive", false, 13204},
    {20, 120, "\x95 Time rested", true, 13205},    {30, 140, "Maximal successive", false, 13206},
    {260, 40, "\x95 Numbers", true, 13207},        {270, 60, "Keystrokes", false, 13208},
    {270, 80, "Mouse movements", false, 13209},    {270, 100, "Mouse clicks", false, 13210},
    {270, 120, "Mousewheel movements", false, 13211},
};

struct TTestRow {
  const char *Caption;
  int32_t Tag;
  int LabelX, Y, GaugeX, GaugeWidth;
};
// Test0 (Risk Index) .. Test10.
const TTestRow kTestRows[11] = {
    {"Risk Index", 13311, 20, 280, 135, 350}, {"Stress", 13301, 20, 180, 135, 110},
    {"Workload", 13302, 20, 200, 135, 110},   {"Working-hours", 13303, 20, 220, 135, 110},
    {"Surroundings", 13304, 20, 240, 135, 110}, {"Chair", 13305, 20, 260, 135, 110},
    {"Desk", 13306, 260, 180, 375, 110},      {"Monitor", 13307, 260, 200, 375, 110},
    {"Keyboard", 13308, 260, 220, 375, 110},  {"Mouse", 13309, 260, 240, 375, 110},
    {"Complaints", 13310, 260, 260, 375, 110},
};

} // namespace

TTextPage TContentPages::MakeTextPage(const std::string &prefix, const std::string &pageName,
                                      int32_t titleTag, const std::string &title) {
  TTextPage page;
  page.Page = &PageCtrl.AddPage(pageName, pageName);
  page.Page->SetColor(kPageColor);
  page.Title = (MakePageTitle(*page.Page, prefix + "HeaderLbl", title, titleTag));

  TLabel &header = owner_.Create<TLabel>(prefix + "TextHeader");
  header.SetParent(page.Page);
  header.SetBounds(5, 6, 490, 16);
  header.Alignment = TLabel::taRightJustify;
  header.SetFont(PixelFont("Verdana", 13, true));
  page.Header = &header;

  // The text box sits in one or two framing panels; the exercise text shares
  // its panel with the video.
  TWinControl *frame = nullptr;
  int width = 0, height = 0;
  if (prefix == "BkInfo") {
    TPanel &outer = owner_.Create<TPanel>("BkInfoTextPnl");
    outer.SetParent(page.Page);
    outer.SetBounds(2, 27, 496, 308);
    outer.SetColor(kPageColor);
    TPanel &inner = owner_.Create<TPanel>("BkInfoTextCtrlPnl");
    inner.SetParent(&outer);
    inner.SetBounds(5, 5, 486, 298);
    inner.SetColor(kTextBackground);
    frame = &inner;
    width = 478, height = 290;
  } else if (prefix == "Info") {
    TPanel &outer = owner_.Create<TPanel>("InfoTextCtrlPnl");
    outer.SetParent(page.Page);
    outer.SetBounds(2, 27, 496, 308);
    outer.SetColor(kTextBackground);
    frame = &outer;
    width = 486, height = 298;
  } else {
    ExerPnl = &owner_.Create<TPanel>("ExerPnl");
    ExerPnl->SetParent(page.Page);
    ExerPnl->SetBounds(1, 27, 498, 308);
    ExerPnl->Tag = 12700; // named for screen readers: its text may be empty
    ExerPnl->SetHint("Exercise with video");
    ExerPnl->SetColor(kPageColor);
    TPanel &textPanel = owner_.Create<TPanel>("ExerTextCtrlPnl");
    textPanel.SetParent(ExerPnl);
    textPanel.SetBounds(5, 5, 225, 298);
    textPanel.SetColor(kTextBackground);
    frame = &textPanel;
    width = 215, height = 288;
  }
  const int inset = prefix == "BkInfo" ? 4 : 5;
  TScrollBox &box = owner_.Create<TScrollBox>(prefix + "TextCtrl");
  box.SetParent(frame);
  box.SetBounds(inset, inset, width, height);
  box.Tag = 2100;
  box.SetColor(kTextBackground);
  box.SetFont(PixelFont("Verdana", 12));
  box.Smooth = true;
  box.OnMouseWheelDown = [this](TComponent &, bool &) { TextCtrlMouseWheelDown(); };
  box.OnMouseWheelUp = [this](TComponent &, bool &) { TextCtrlMouseWheelUp(); };
  page.TextCtrl = &box;

  GParserControl &parser = owner_.Create<GParserControl>(prefix + "ParserCtrl", screen_);
  parser.SetParent(&box);
  parser.SetFont(box.Font());
  parser.SetColor(box.Color());
  parser.SetBounds(0, 0, width - 18, 1); // room for the vertical scroll bar
  parser.HyperLinkFont = box.Font();
  parser.HyperLinkFont.Underline = true;
  parser.HyperLinkFont.Color = kLinkColor;
  parser.SetDrawFocused(false);
  parser.SetHorScrollBar(false);
  parser.OnClick = [this](TComponent &sender) { TextClick(sender); };
  parser.OnHyperLinkClick = [this](TComponent &sender, const std::string &hRef) {
    HyperLinkClick(sender, hRef);
  };
  parser.Pictures.FileSystem = &context_.Platform.Files;
  parser.Pictures.ProgramFolder = programFolder_;
  parser.Pictures.ContainerPath = programFolder_ + "movaro.dat";
  parser.Pictures.Directory = &ContentDirectory;
  parser.Pictures.ProcessMessages = [this] {
    if (Media.ProcessMessages)
      Media.ProcessMessages();
  };
  page.Parser = &parser;
  return page;
}

void TContentPages::BuildExercisePanel() {
  ExerVideoPnl = &owner_.Create<TPanel>("ExerVideoPnl");
  ExerVideoPnl->SetParent(ExerPnl);
  ExerVideoPnl->SetBounds(250, 15, 230, 240);
  ExerVideoPnl->SetColor(kVideoPanelColor);
  Media.VideoPanelWidth = 230;
  Media.VideoPanelHeight = 240;

  struct TButtonRow {
    const char *Name;
    int X;
    int32_t Tag;
    const char *Hint;
    TMediaButton Button;
  };
  static const TButtonRow rows[5] = {
      {"MediaPlayerPlaySBtn", 240, 12200, "Play|Play exercise", TMediaButton::mbPlay},
      {"MediaPlayerPauseSBtn", 287, 12300, "Pause|Pause exercise", TMediaButton::mbPause},
      {"MediaPlayerStopSBtn", 338, 12400, "Stop|Stop exercise", TMediaButton::mbStop},
      {"MediaPlayerForwardSBtn", 389, 12500, "Step Forward|Play exercise step forward",
       TMediaButton::mbForward},
      {"MediaPlayerBackSBtn", 436, 12600, "Step Back|Play exercise step back", TMediaButton::mbBack},
  };
  for (int i = 0; i < 5; ++i) {
    TMediaFaceButton &button = owner_.Create<TMediaFaceButton>(rows[i].Name, rows[i].Button);
    button.SetParent(ExerPnl);
    button.SetBounds(rows[i].X, 260, 54, 35);
    button.Tag = rows[i].Tag;
    button.SetHint(rows[i].Hint);
    button.SetColor(kPageColor);
    MakeSkinFaceButton(button);
    const TMediaButton which = rows[i].Button;
    button.OnClick = [this, which](TComponent &) { Media.Click(which); };
    MediaButtons[i] = &button;
  }
}

void TContentPages::BuildStatusPage() {
  StatusPage = &PageCtrl.AddPage("Status", "Status");
  StatusPage->SetColor(kPageColor);
  StatusTitle = (MakePageTitle(*StatusPage, "StatusHeaderLbl", "Personal Status", 13100));
  for (int i = 0; i < 11; ++i) {
    const TStatusRow &row = kStatusRows[i];
    TLabel &label = owner_.Create<TLabel>("StatusLbl" + std::to_string(i + 1));
    label.SetParent(StatusPage);
    label.SetBounds(row.X, row.Y, 150, 16);
    label.SetFont(PixelFont("Verdana", 11, row.Bold));
    label.SetCaption(row.Caption);
    label.Tag = row.Tag;
    StatusTodayControls.push_back(&label);
    if (i == 6)
      continue; // "Numbers" is a heading without a value
    TLabel &value = owner_.Create<TLabel>("StatusLbl" + std::to_string(i + 1) + "v");
    value.SetParent(StatusPage);
    value.SetBounds(i < 6 ? 180 : 420, row.Y, 60, 16);
    value.SetFont(PixelFont("Verdana", 11));
    value.Alignment = TLabel::taRightJustify;
    value.SetCaption(i < 6 ? "hh:mm:ss" : "nnnn");
    StatusValues[i] = &value;
    StatusTodayControls.push_back(&value);
  }
  for (int k = 0; k < 11; ++k) {
    const TTestRow &row = kTestRows[k];
    TLabel &label = owner_.Create<TLabel>("Test" + std::to_string(k) + "Lbl");
    label.SetParent(StatusPage);
    label.SetBounds(row.LabelX, row.Y - 2, 110, 16);
    TFont font = PixelFont("Verdana", 11, true, 0x803000);
    font.Underline = true;
    label.SetFont(font);
    label.SetCaption(row.Caption);
    label.SetHint("Click For Explanation|Click here for explanation and meaning");
    label.Tag = row.Tag;
    label.OnClick = [this](TComponent &sender) { TestItemClick(sender); };
    TestLabels[k] = &label;
    TColorGauge &gauge = owner_.Create<TColorGauge>("Test" + std::to_string(k) + "Gauge");
    gauge.SetParent(StatusPage);
    gauge.SetBounds(row.GaugeX, row.Y, row.GaugeWidth, 12);
    // The questionnaires' gauges: a lime bar (what is well) on red; the risk
    // index the other way round, with its percentage.
    gauge.ForeColor = k == 0 ? kGaugeRed : kGaugeLime;
    gauge.BackColor = k == 0 ? kGaugeLime : kGaugeRed;
    gauge.BorderColor = kGaugeFrame;
    gauge.ShowText = k == 0;
    gauge.SetFont(PixelFont("Verdana", 10, true));
    gauge.SetProgress(k == 0 ? 0 : 100);
    TestGauges[k] = &gauge;
    StatusTodayControls.insert(StatusTodayControls.end(), {&label, &gauge});
  }
  BuildStatusHistory();
  // Below the figures: a break at once, and the days so far into a file.
  TakeBreakNowBtn = &owner_.Create<TButton>("TakeBreakNowBtn");
  TakeBreakNowBtn->SetParent(StatusPage);
  TakeBreakNowBtn->SetBounds(20, 305, 165, 25);
  TakeBreakNowBtn->SetCaption("Take a break now");
  TakeBreakNowBtn->SetHint("Take a Break Now|Shows the long break prompt at once");
  TakeBreakNowBtn->Tag = 13400;
  TakeBreakNowBtn->OnClick = [this](TComponent &) { host_.TakeBreakNow(); };
  ExportHistoryBtn = &owner_.Create<TButton>("ExportHistoryBtn");
  ExportHistoryBtn->SetParent(StatusPage);
  ExportHistoryBtn->SetBounds(195, 305, 165, 25);
  ExportHistoryBtn->SetCaption("Export history...");
  ExportHistoryBtn->SetHint("Export History|Saves your days as a file for a spreadsheet program");
  ExportHistoryBtn->Tag = 13401;
  ExportHistoryBtn->OnClick = [this](TComponent &) { host_.ExportHistory(); };
  ExportHistoryDialog = &owner_.Create<TSaveDialog>("ExportHistoryDialog");
  ExportHistoryDialog->Title = "Export the history";
  ExportHistoryDialog->Tag = 13402;
  ExportHistoryDialog->DefaultExt = "csv";
  TButton &reset = owner_.Create<TButton>("ResetPersonalStatusBtn");
  reset.SetParent(StatusPage);
  reset.SetBounds(363, 305, 130, 25);
  reset.SetCaption("Reset Personal Status");
  reset.SetVisible(false);
}

void TContentPages::BuildStatusHistory() {
  // The choice of the view beside the title: today's figures or the days
  // up to today, which take the figures' place.
  StatusViewLbl = &owner_.Create<TLabel>("StatusViewLbl");
  StatusViewLbl->SetParent(StatusPage);
  StatusViewLbl->SetBounds(260, 7, 80, 16);
  StatusViewLbl->Alignment = TLabel::taRightJustify;
  StatusViewLbl->SetFont(PixelFont("Verdana", 11, true));
  StatusViewLbl->SetCaption("&Show:");
  StatusViewLbl->Tag = 13420;
  StatusViewCBox = &owner_.Create<TComboBox>("StatusViewCBox");
  StatusViewCBox->SetParent(StatusPage);
  StatusViewCBox->SetBounds(345, 4, 150, 150);
  StatusViewCBox->SetFont(PixelFont("Verdana", 11));
  StatusViewCBox->Items.Assign({"Today", "Last 7 days", "Last 30 days", "Last 90 days"});
  StatusViewCBox->SetItemIndex(0);
  StatusViewCBox->Tag = 13421; // its items are the texts after it
  StatusViewCBox->OnChange = [this](TComponent &) { ShowHistory(); };

  HistoryChart = &owner_.Create<GChart>("HistoryChart");
  HistoryChart->SetParent(StatusPage);
  HistoryChart->SetBounds(10, 32, 480, 224);
  HistoryChart->SetFont(PixelFont("Verdana", 10));
  HistoryChart->SetColor(kPageColor);
  HistoryChart->SetHint("History of your days|The left and right arrow keys choose a day");
  HistoryChart->Tag = 13426;
  HistoryChart->OnSelect = [this](TComponent &) { ShowHistoryDay(); };
  HistoryChart->SetVisible(false);
  HistoryDayLbl = &owner_.Create<TLabel>("HistoryDayLbl");
  HistoryDayLbl->SetParent(StatusPage);
  HistoryDayLbl->SetBounds(20, 262, 470, 36);
  HistoryDayLbl->SetFont(PixelFont("Verdana", 11));
  HistoryDayLbl->WordWrap = true;
  HistoryDayLbl->SetVisible(false);
}

void TContentPages::ShowHistory() {
  const int view = StatusViewCBox->ItemIndex();
  const bool history = view > 0 && view < static_cast<int>(kHistoryViewDays.size());
  for (TControl *control : StatusTodayControls)
    control->SetVisible(!history);
  HistoryChart->SetVisible(history);
  HistoryDayLbl->SetVisible(history);
  if (!history)
    return;
  const TDayHistory days = context_.Profile ? context_.Profile->ReadHistory() : TDayHistory{};
  const auto today = static_cast<int32_t>(DatePart(context_.Platform.Clock.Now()));
  const int slotsBefore = HistoryChart->SlotCount();
  const THistoryTexts texts = TranslatedHistoryTexts(
      [this](int32_t number, const std::string &english) { return MainText(number, english); });
  HistoryChart->SetData(
      HistoryChartData(days.Days, today, kHistoryViewDays[view], texts, context_.Platform.Locale.DateTimeFormats()));
  historyLeftOut_ = HistoryLeftOutText(days.DamagedLines, texts);
  // Another view starts on today.
  if (HistoryChart->SlotCount() != slotsBefore || HistoryChart->Selected() < 0)
    HistoryChart->Select(HistoryChart->SlotCount() - 1);
  ShowHistoryDay();
}

void TContentPages::ShowHistoryDay() {
  const std::string day = HistoryChart->SelectedDescription();
  HistoryDayLbl->SetCaption(historyLeftOut_.empty() ? day : day + "\n" + historyLeftOut_);
}

bool TContentPages::HistoryKeyDown(int key) {
  return HistoryChart->Showing() && HistoryChart->Focused() && HistoryChart->KeyDown(key);
}
