#include "movaro/MainForm.h"

#include "base/DateTime.h"
#include "data/archive/ContentContainer.h"
#include "movaro/Browser.h"
#include "movaro/MainFormWiring.h"
#include "movaro/ProgramEntry.h"
#include "movaro/Shortcuts.h"
#include "movaro/profile/HistoryExport.h"
#include "movaro/profile/Statistics.h"
#include "movaro/profile/UserData.h"
#include "movaro/schedule/MainTexts.h"
#include "platform/FileReplacement.h"
#include "platform/HookProtocol.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr uint32_t kMainFormColour = 0x008FCAFC; // 9423612
constexpr int kMainWidth = 640, kMainHeight = 445;
constexpr char kLanguageFileName[] = "Movaro.lng";
constexpr char kInfoFileName[] = "MVRInfo.dat";
constexpr char kRuleFileName[] = "MVRMsgs.dat";
// The version the help page is asked for.
constexpr char kProgramLabel[] = "movaro";
constexpr char kProgramVersionNumber[] = "3021";

// The gauge of the intro window as the information file's progress display.
class TGaugeProgress final : public IProgressGauge {
public:
  TGaugeProgress(TGauge &gauge, TApplication &application)
      : gauge_(gauge), application_(application) {}
  void SetVisible(bool visible) override { gauge_.SetVisible(visible); }
  void SetProgress(int percent) override { gauge_.SetProgress(percent); }
  void ProcessPendingMessages() override { application_.ProcessMessages(); }

private:
  TGauge &gauge_;
  TApplication &application_;
};

TFont FaceFont() {
  TFont font;
  font.Name = "MS Sans Serif";
  font.Size = 8;
  font.Bold = true;
  font.Color = kLightColour;
  return font;
}

} // namespace

TMainForm::TMainForm(TApplication &application)
    : TForm(application, nullptr, "MainForm"), TraceTimer(Create<TTimer>("TraceTimer")),
      MainTimer(Create<TTimer>("MainTimer")), Background(Create<TBkControl>("Background")),
      CaptionLbl(Create<TLabel>("CaptionLbl")), SloganLbl(Create<TLabel>("SloganLbl")),
      BackgroundInfoBtn(MakeColumnButton("BackgroundInfoBtn", 100, "Info", 10000,
                                         "Background Information|Shows background information")),
      ExercisesBtn(MakeColumnButton("ExercisesBtn", 135, "Exercises", 12000,
                                    "Exercises|Shows a list of exercises")),
      StatusBtn(MakeColumnButton("StatusBtn", 170, "Status", 13000,
                                 "Personal Status|Shows your personal status")),
      MessagesBtn(MakeColumnButton("MessagesBtn", 205, "Messages", 15000,
                                   "Messages|Shows a list with the last messages")),
      ConfigBtn(MakeColumnButton("ConfigBtn", 240, "Setup", 14000, "Setup|Shows the personal setup")),
      NetworkBtn(MakeColumnButton("NetworkBtn", 275, "Network", 100,
                                  "Network Connection|Shows the network connection")),
      QuitBtn(MakeColumnButton("QuitBtn", 380, "Quit", 1300, "Close Movaro|Close Movaro")),
      HelpBtn(MakeFaceButton("HelpBtn", 574, 14, "?", 16000, "Movaro Online Help|Movaro Online Help")),
      InfoBtn(MakeFaceButton("InfoBtn", 591, 14, "i", 18000,
                             "About Movaro|Shows information about Movaro")),
      MinimizeBtn(MakeFaceButton("MinimizeBtn", 608, 14, "_", 1350, "Minimize Movaro|Minimize Movaro")),
      HideBtn(MakeFaceButton("HideBtn", 625, 13, "x", 1400, "Hide Movaro|Hide Movaro")),
      VeltrinSBtn(Create<TBaseBtn>("VeltrinSBtn")), PageCtrl(Create<TNotebook>("PageCtrl")),
      MainStatusBar(Create<TStatusBar>("MainStatusBar")), TrayMenu(Create<TPopupMenu>("TrayMenu")),
      TrayOpenItem(TrayMenu.Add("TrayOpenItem", "Open Movaro", 13405)),
      TrayBreakNowItem(TrayMenu.Add("TrayBreakNowItem", "Take a break now", 13400)) {
  WindowClassName = kMainWindowClass;
  // Set again at start-up; here already, so the window is made with it.
  SetCaption(kMainCaption);
  Borderless = true;
  CenterOnScreen = true;
  KeyPreview = true;
  SetBounds(0, 0, kMainWidth, kMainHeight);
  SetColor(kMainFormColour);
  TFont font;
  font.Name = "Verdana";
  font.Size = 8;
  SetFont(font);
  TraceTimer.SetEnabled(false); // the monitor starts it
  MainTimer.SetEnabled(false);  // start-up's last step starts it
  MainTimer.SetInterval(1000);
  MainTimer.OnTimer = [this](TComponent &) { MainTimerTime(); };

  // The backdrop comes first: the other controls lie over it.
  Background.SetParent(this);
  Background.SetBounds(0, 0, kMainWidth, kMainHeight);
  ShowPictureOnly(Background.Background(), idsTopLeft);
  CaptionLbl.SetParent(this);
  CaptionLbl.SetBounds(100, 1, 440, 13);
  CaptionLbl.Alignment = TLabel::taCenter;
  TFont captionFont = font;
  captionFont.Bold = true;
  captionFont.Color = kLightColour;
  CaptionLbl.SetFont(captionFont);
  SloganLbl.SetParent(this);
  SloganLbl.Tag = 18800;
  SloganLbl.SetBounds(54, 64, 200, 14);
  TFont sloganFont = font;
  sloganFont.Size = 7; // 10 pixels
  sloganFont.Color = kSloganColour;
  SloganLbl.SetFont(sloganFont);
  SloganLbl.SetCaption(kSlogan);
  for (TControl *handle : std::initializer_list<TControl *>{&Background, &CaptionLbl, &SloganLbl}) {
    handle->OnMouseDown = [this](TComponent &, TMouseButton button, int, int) {
      if (button == TMouseButton::mbLeft)
        DragStart();
    };
    handle->OnMouseMove = [this](TComponent &sender, int, int) {
      DragMove();
      ShowHint(static_cast<TControl &>(sender));
    };
    handle->OnMouseUp = [this](TComponent &, TMouseButton, int, int) { DragEnd(); };
  }
  // Column buttons are built in the member list above; they are placed
  // after the backdrop, so they paint over it.
  for (TBaseBtn *button : {&BackgroundInfoBtn, &ExercisesBtn, &StatusBtn, &MessagesBtn,
                              &ConfigBtn, &NetworkBtn, &QuitBtn, &HelpBtn, &InfoBtn, &MinimizeBtn,
                              &HideBtn}) {
    button->SetParent(this);
    button->OnMouseMove = [this](TComponent &sender, int, int) {
      ShowHint(static_cast<TControl &>(sender));
    };
    // A hint outlives neither the pointer over its button nor its language.
    button->OnMouseOut = [this](TComponent &) { ClearHint(); };
  }
  VeltrinSBtn.SetParent(this);
  VeltrinSBtn.Tag = 18400;
  VeltrinSBtn.SetBounds(495, 30, 130, 40);
  VeltrinSBtn.FaceVisible = false; // a hot area over the maker's name in the backdrop
  VeltrinSBtn.SetHint("Go to the Veltrin Software website");
  VeltrinSBtn.OnClick = [this](TComponent &) { VeltrinSBtnClick(); };
  VeltrinSBtn.OnMouseMove = [this](TComponent &sender, int, int) {
    ShowHint(static_cast<TControl &>(sender));
  };
  VeltrinSBtn.OnMouseOut = [this](TComponent &) { ClearHint(); };

  // The pages come at start-up: the content and setup pages add theirs in
  // the order of TMainPage, then "Traces".
  PageCtrl.SetParent(this);
  PageCtrl.SetBounds(125, 80, 500, 335);

  MainStatusBar.SetParent(this);
  MainStatusBar.SetBounds(5, 421, 630, 20);
  MainStatusBar.SetPanels({{"", 350}, {"", 100}, {"", 100}});

  BackgroundInfoBtn.OnClick = [this](TComponent &) { BackgroundInfoBtnClick(); };
  ExercisesBtn.OnClick = [this](TComponent &) { ExercisesBtnClick(); };
  StatusBtn.OnClick = [this](TComponent &) { ShowPage(mpStatus); };
  MessagesBtn.OnClick = [this](TComponent &) { MessagesBtnClick(); };
  ConfigBtn.OnClick = [this](TComponent &) { ShowPage(mpConfig); };
  NetworkBtn.OnClick = [this](TComponent &) { NetworkBtnClick(); };
  QuitBtn.OnClick = [this](TComponent &) { QuitBtnClick(); };
  HelpBtn.OnClick = [this](TComponent &) { HelpBtnClick(); };
  InfoBtn.OnClick = [this](TComponent &) { InfoBtnClick(); };
  MinimizeBtn.OnClick = [this](TComponent &) { MinimizeBtnClick(); };
  HideBtn.OnClick = [this](TComponent &) { HideBtnClick(); };
  TrayOpenItem.OnClick = [this](TComponent &) {
    ShowPage(mpStatus);
    FormRestore();
  };
  TrayBreakNowItem.OnClick = [this](TComponent &) { TakeBreakNowClick(); };

  OnMessage = [this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
    Message(message, wParam, lParam);
  };
  OnShow = [this](TComponent &) { FormShow(); };
  OnCloseQuery = [this](TComponent &, bool &canClose) { FormCloseQuery(canClose); };
  OnPreviewKeyDown = [this](TComponent &, int &key, TShiftState shift) { FormKeyDown(key, shift); };
  OnEndSession = [this](TComponent &) { EndSession(); };
}

TMainForm::~TMainForm() {
  wiring_.reset(); // the pages refer to components of the form
  DestroyComponents(); // the small windows refer to small_
}

TBaseBtn &TMainForm::MakeColumnButton(const char *name, int y, const char *caption, int32_t tag,
                                      const char *hint) {
  auto &button = Create<TBaseBtn>(name);
  button.SetBounds(5, y, 115, 35);
  button.SetCaption(caption);
  button.Tag = tag;
  button.SetHint(hint);
  TFont font;
  font.Name = "Verdana";
  font.Size = 8;
  font.Bold = true;
  font.Color = kFaceColour;
  button.SetFont(font);
  // The skin faces carry the look: the caption starts right of the face's
  // symbol, and a press moves it by one pixel.
  MakeSkinFaceButton(button);
  button.CaptionXOffset = 42.0 / 115;
  button.CaptionYOffset = 11.0 / 35; // a 13-pixel line in the middle
  return button;
}

TBaseBtn &TMainForm::MakeFaceButton(const char *name, int x, int width, const char *caption,
                                    int32_t tag, const char *hint) {
  auto &button = Create<TBaseBtn>(name);
  button.SetBounds(x, 1, width, 13);
  button.SetCaption(caption);
  button.Tag = tag;
  button.SetHint(hint);
  button.SetFont(FaceFont());
  MakeRoundFaceButton(button, kFaceColour, kFaceShadowColour);
  return button;
}
void TMainForm::Bind(TMovaroContext &context) { context_ = &context; }

void TMainForm::Start(TMainFormEnv &env) {
  env_ = &env;
  StartFlags |= kStartConstructing;
  firstShowPending_ = !Visible();
  auto &translator = context_->Translator;
  translator.LanguageNumber = LanguageFromRegionalSetting(env.Registry);
  languageFile_ = env.ProgramFolder + kLanguageFileName;
  small_ = std::make_unique<TSmallWindowsEnv>(
      TSmallWindowsEnv{*context_, env.Skins, languageFile_, nullptr});
  SetCaption(kMainCaption);
  CaptionLbl.SetCaption(kMainCaption);

  TIntroForm *intro = nullptr;
  if (StartFlags & kStartShowIntro) {
    intro = &ShowIntro(*this, *small_);
    Application().ProcessMessages();
    env.Wait(1000);
  }
  wiring_ = std::make_unique<TMainFormWiring>(*this, *context_, env, languageFile_);
  PageCtrl.AddPage("Traces", "Traces").SetColor(kLightColour);
  if (env.RealizeControls)
    env.RealizeControls(); // the window exists already; its pages are new
  wiring_->ShowInitializationNotice();
  wiring_->Setup.FillStandardSounds();
  env.Tray.Show(kMainIconName, Caption());
  RefuseNextClose = false;
  context_->Trace.RememberCursorPosition();
  dragging_ = false;
  LoadSkins();

  infoFile_ = std::make_unique<TIDbRecFile>(context_->Platform.Files);
  if (intro) {
    intro->LoadingLbl.SetVisible(true);
    intro->Gauge.SetVisible(true);
    LoadInformationFile();
    intro->LoadingLbl.SetVisible(false);
    intro->Gauge.SetVisible(false);
  } else {
    LoadInformationFile();
  }
  wiring_->SetInfoFile(infoFile_.get());
  // Translates the window and builds the main texts, the menus and the
  // content directory.
  wiring_->Setup.ApplyLanguage();
  if (infoFile_)
    StartMonitoring();
  if (intro) {
    intro->LoadingLbl.SetCaption("");
    intro->Close();
  }
  ShowPage(mpStatus);
  wiring_->HideInitializationNotice();
  StartFlags &= static_cast<uint8_t>(~kStartPhase);
  MainTimer.SetEnabled(true);
  Application().ProcessMessages();
  UpdateStatus();
}

void TMainForm::LoadSkins() {
  TSkinLoader &skins = env_->Skins;
  skins.LoadInto(Background.Background().Image, "background");
  const std::pair<TBaseBtn *, const char *> column[] = {
      {&BackgroundInfoBtn, "info"}, {&ExercisesBtn, "exercises"}, {&StatusBtn, "status"},
      {&MessagesBtn, "messages"},   {&ConfigBtn, "config"},       {&NetworkBtn, "network"},
      {&QuitBtn, "quit"}};
  for (auto [button, skin] : column)
    skins.LoadButtonFaces(*button, std::string("_") + skin);
  if (wiring_) {
    wiring_->Dialog.LoadSkins(skins);
    wiring_->Pages.LoadSkins(skins);
    wiring_->Setup.LoadSkins(skins);
  }
}

void TMainForm::LoadInformationFile() {
  const std::string path = env_->ProgramFolder + kInfoFileName;
  TIntroForm *intro = FindIntro(*this);
  bool loaded;
  if (intro) {
    TGaugeProgress progress(intro->Gauge, Application());
    loaded = infoFile_->LoadRecords(path, &progress);
  } else {
    loaded = infoFile_->LoadRecords(path);
  }
  if (!loaded)
    infoFile_.reset(); // nothing to ask or show: monitoring stays off
}

bool TMainForm::StartMonitoring() {
  if (!wiring_ || monitoring_)
    return monitoring_;
  monitoring_ = wiring_->StartMonitoring(env_->ProgramFolder + kRuleFileName, TracesStatusLst);
  return monitoring_;
}

bool TMainForm::StopMonitoring() {
  if (!context_)
    return false;
  bool stopped;
  if (wiring_) {
    stopped = wiring_->Scheduler.StopMonitoring();
  } else {
    context_->Trace.OnTraceUpdate = nullptr;
    stopped = context_->Trace.StopTracing();
  }
  if (stopped)
    monitoring_ = false;
  return stopped;
}

void TMainForm::MainTimerTime() {
  if (wiring_)
    wiring_->Scheduler.MainTimerTime();
  UpdateStatus();
}

void TMainForm::UpdateStatus() {
  if (!context_ || !wiring_)
    return;
  // The clock runs while the window is on screen, with monitoring off too.
  if (wiring_->OnScreen())
    MainStatusBar.SetPanelText(kClockPanel,
                               StatusBarClock(wiring_->MainText(mtTime), context_->Platform.Clock.Now()));
  wiring_->Scheduler.UpdateStatus();
}

void TMainForm::ShowHint(const TControl &control) {
  const std::string hint = control.Hint().empty() ? "" : control.LongHint();
  if (MainStatusBar.Panels().empty() || MainStatusBar.Panels()[0].Text != hint)
    MainStatusBar.SetPanelText(0, hint);
}

void TMainForm::ClearHint() {
  if (!MainStatusBar.Panels().empty() && !MainStatusBar.Panels()[0].Text.empty())
    MainStatusBar.SetPanelText(0, "");
}

void TMainForm::ShowPage(TMainPage page) {
  PageCtrl.SetActivePageIndex(page);
  if (page == mpStatus && wiring_)
    wiring_->Pages.ShowHistory(); // the days as they are now
}

void TMainForm::Message(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == kTrayCallbackMessage) {
    if (lParam == kTrayLeftButtonDown || lParam == kTrayRightButtonDown)
      TrayClick(lParam);
    return;
  }
  if (message == kShowYourselfMessage) {
    FormRestore();
    return;
  }
  if (context_ && (message == kKeyboardNotification || message == kMouseNotification))
    context_->Trace.HandleNotification(message, wParam, static_cast<uintptr_t>(lParam));
}

void TMainForm::TrayClick(intptr_t mouseMessage) {
  if (wiring_ && wiring_->BringPromptToFront())
    return;
  if (mouseMessage == kTrayRightButtonDown && env_ && env_->PopupAtCursor) {
    TrayBreakNowItem.Enabled = wiring_ && wiring_->Scheduler.BreakNowAvailable();
    env_->PopupAtCursor(TrayMenu);
    return;
  }
  ShowPage(mpStatus);
  FormRestore();
}

void TMainForm::TakeBreakNowClick() {
  if (!wiring_ || !wiring_->Scheduler.BreakNowAvailable())
    return;
  HideBtnClick();
  wiring_->Scheduler.TakeBreakNow();
}

void TMainForm::ExportHistoryClick() {
  TUserData *profile = context_ ? context_->Profile : nullptr;
  if (!wiring_ || !profile || !small_)
    return;
  auto text = [this](int32_t number, const std::string &english) {
    return context_->Translator.TranslateText(number, "MainForm", languageFile_, english);
  };
  TSaveDialog &dialog = *wiring_->Pages.ExportHistoryDialog;
  dialog.Filter = text(13403, "CSV - Comma separated values") + "|*.csv";
  if (dialog.FileName.empty())
    dialog.FileName = HistoryExportFileName(profile->UserName);
  if (!dialog.Execute())
    return;
  const TDayHistory history = profile->ReadHistory();
  const std::string csv =
      DayHistoryCsv(history.Days, HistoryCsvHeader(text),
                    CsvSeparator(context_->Platform.Locale.DateTimeFormats().ListSeparator));
  // A file the user chose to overwrite stays whole until the new one is.
  TFileReplacement replacement(context_->Platform.Files);
  if (replacement
          .Write(dialog.FileName, csv.data(), static_cast<int64_t>(csv.size()),
                 context_->Platform.Clock.Now(), 0)
          .Failed())
    ConfirmBox(*small_, Application(),
               text(13404, "The history could not be written to this file:") + "\r\n\r\n" +
                   dialog.FileName,
               "OK", "");
}

void TMainForm::FormRestore() {
  BringToFront();
  // The prompt the window replaces goes, with its blocking and its tray icon.
  if (wiring_)
    wiring_->Scheduler.MainWindowRestored();
  else if (env_ && env_->Tray.Shown() && env_->Tray.IconName() != kMainIconName)
    env_->Tray.SetIcon(kMainIconName);
  UpdateStatus();
}

void TMainForm::FormShow() {
  firstShowPending_ = false;
  if (env_) {
    // Dragged off the screen (or left there by a monitor since removed):
    // brought back whole, onto the monitors as they are now.
    const TDesktopRect screen = VirtualScreen(env_->Desktop);
    const TRect &b = Bounds();
    int left = std::max(b.Left, screen.Left), top = std::max(b.Top, screen.Top);
    if (left + b.Width > screen.Right())
      left = screen.Right() - b.Width;
    if (top + b.Height > screen.Bottom())
      top = screen.Bottom() - b.Height;
    if (left != b.Left || top != b.Top)
      SetBounds(left, top, b.Width, b.Height);
  }
  UpdateStatus();
}

void TMainForm::StopMediaFile() {
  if (wiring_)
    wiring_->Pages.Media.StopMediaFile();
}

void TMainForm::FormMinimize() {
  StopMediaFile();
  Minimize();
}

void TMainForm::HideBtnClick() {
  StopMediaFile();
  Hide();
}

TAboutBox &TMainForm::ShowAboutBox() {
  TAboutBox &about = ShowAbout(*this, *small_);
  about.OnVisitMaker = [this] { VeltrinSBtnClick(); };
  return about;
}

void TMainForm::BackgroundInfoBtnClick() {
  ShowPage(mpBkInfo);
  if (wiring_)
    wiring_->Pages.BackgroundInfoBtnClick(BackgroundInfoBtn);
}

void TMainForm::ExercisesBtnClick() {
  if (wiring_)
    wiring_->Pages.ExercisesBtnClick(ExercisesBtn);
}

void TMainForm::MessagesBtnClick() {
  if (wiring_)
    wiring_->Pages.MessagesBtnClick(MessagesBtn);
}

void TMainForm::InfoBtnClick() {
  if (small_)
    ShowAboutBox().CloseBtn.SetVisible(true);
}

std::string TMainForm::ProgramSetting(const char *name) {
  return env_ ? ReadProgramString(env_->Registry, name) : "";
}

bool TMainForm::OpenAddressOf(const char *setting, const std::string &suffix) {
  const std::string address = ProgramSetting(setting);
  const bool opened = !address.empty() && OpenAddress(env_->Registry, env_->Shell, address + suffix);
  FormMinimize();
  return opened;
}

void TMainForm::HelpBtnClick() {
  if (!context_)
    return;
  OpenAddressOf("HelpAddress", "index.dll?lngid=" + std::to_string(context_->Translator.LanguageNumber) +
                                   "&programlabel=" + kProgramLabel + "&programversionnumber=" +
                                   kProgramVersionNumber + "&show=onlinehelp");
}

void TMainForm::VeltrinSBtnClick() { OpenAddressOf("HomeAddress", ""); }

void TMainForm::QuitBtnClick() {
  if (!context_ || !small_)
    return;
  auto text = [this](int number, const char *english) {
    return context_->Translator.TranslateText(number, "MainForm", languageFile_, english);
  };
  const std::string question = text(1110, "Do you really want to close Movaro?") + "\r\n\r\n" +
                               text(1111, "Use [x] to place Movaro on the taskbar!") +
                               "\r\n\r\n" + text(1112, "Click Yes to quit and No to continue.");
  if (!ConfirmBox(*small_, Application(), question, text(8, "Yes"), text(9, "No")))
    return;
  Hide();
  Application().ProcessMessages();
  TAboutBox &about = ShowFarewell(*this, *small_);
  about.OnVisitMaker = [this] { VeltrinSBtnClick(); };
  Application().ProcessMessages();
  if (env_)
    env_->Wait(2000);
  about.Close();
  Close();
}

void TMainForm::NetworkBtnClick() {
  TUserData *profile = context_ ? context_->Profile : nullptr;
  if (!env_ || !profile || profile->UserName.empty() || profile->UserName == kDefaultUserName)
    return;
  profile->SaveProfile();
  profile->UserName = env_->Session.LogonUserName();
  StartFlags |= kStartOpenNetwork;
  profile->LoadProfile(true);
  StartFlags &= static_cast<uint8_t>(~kStartOpenNetwork);
}

void TMainForm::FormCloseQuery(bool &canClose) {
  if (RefuseNextClose) {
    RefuseNextClose = false;
    canClose = false;
    return;
  }
  const bool wasActive = context_ && context_->Trace.TraceState.Active;
  if (StopMonitoring()) {
    canClose = true;
  } else if (wasActive) {
    if (small_)
      ConfirmBox(*small_, Application(), "Unable to stop monitoring!", "OK", "");
    canClose = false;
  } else {
    canClose = true;
  }
  if (canClose) {
    MainTimer.SetEnabled(false);
    StopMediaFile();
  }
}

void TMainForm::EndSession() {
  RefuseNextClose = false;
  StopMonitoring();
  MainTimer.SetEnabled(false);
  FormDestroy();
}

void TMainForm::FormDestroy() {
  if (cleanedUp_ || !env_ || !context_)
    return;
  cleanedUp_ = true;
  env_->Tray.Remove();
  delete FindIntro(*this);
  delete FindAbout(*this);
  wiring_.reset();
  infoFile_.reset();
  RemoveContentTemp(context_->Platform.Files, env_->ProgramFolder);
}

void TMainForm::FormKeyDown(int &key, TShiftState shift) {
  if (IsCloseKey(key, shift)) {
    RefuseNextClose = true;
    return;
  }
  if (shift.None() && wiring_ && wiring_->Pages.HistoryKeyDown(key)) {
    key = 0;
    return;
  }
  const TShortcut shortcut = ShortcutForKey(key, shift, context_ && context_->Profile);
  switch (shortcut) {
  case TShortcut::scHide:
    HideBtnClick();
    break;
  case TShortcut::scMinimize:
    FormMinimize();
    break;
  case TShortcut::scHelp:
    HelpBtnClick();
    break;
  case TShortcut::scAbout:
    InfoBtnClick();
    break;
  case TShortcut::scSetup:
    ShowPage(mpConfig);
    break;
  case TShortcut::scExercises:
    ExercisesBtnClick();
    break;
  case TShortcut::scInfo:
    BackgroundInfoBtnClick();
    break;
  case TShortcut::scMessages:
    MessagesBtnClick();
    break;
  case TShortcut::scStatus:
    ShowPage(mpStatus);
    break;
  case TShortcut::scScrollUp:
  case TShortcut::scScrollDown:
  case TShortcut::scScrollHome:
  case TShortcut::scScrollEnd:
    // Scroll the focused text box; with none focused the key goes on to its control.
    if (!wiring_ || !wiring_->Pages.ScrollFocusedText(shortcut))
      return;
    break;
  default:
    return;
  }
  key = 0;
}

void TMainForm::DragStart() {
  if (!context_)
    return;
  TCursorPoint at = context_->Platform.Cursor.CursorPos();
  dragX_ = at.X;
  dragY_ = at.Y;
  dragging_ = true;
}

void TMainForm::DragMove() {
  if (!dragging_ || !context_)
    return;
  TCursorPoint at = context_->Platform.Cursor.CursorPos();
  const TRect &b = Bounds();
  SetBounds(b.Left + at.X - dragX_, b.Top + at.Y - dragY_, b.Width, b.Height);
  dragX_ = at.X;
  dragY_ = at.Y;
}

void TMainForm::DragEnd() { dragging_ = false; }
