#include "movaro/pages/SetupPage.h"

#include "base/AnsiText.h"
#include "data/recfile/IDbRecs.h"
#include "data/tabledb/Strovdex.h"
#include "movaro/pages/MediaButton.h"
#include "movaro/profile/UserData.h"
#include "ui/Accessibility.h"

#include <algorithm>

namespace {
constexpr uint32_t kPageColor = 0xF7F4F2;
// The page's texts sit close to their controls: a narrow face keeps
// "Short: 10 seconds rest per" clear of its spinner. Headers stay Verdana.
constexpr char kTextFace[] = "Tahoma";
constexpr char kBullet[] = "\x95 ";

// The order of a sorted list box: letter case ignored.
void SortItems(std::vector<std::string> &items) {
  std::sort(items.begin(), items.end(), [](const std::string &a, const std::string &b) {
    return AnsiUpperCase(a) < AnsiUpperCase(b);
  });
}
} // namespace

template <class T>
T &TSetupPage::Add(const std::string &name, int left, int top, int width, int height,
                   const std::string &caption, int32_t tag) {
  T &control = form_.Create<T>(name);
  control.SetParent(Page);
  control.SetBounds(left, top, width, height);
  control.SetCaption(caption);
  control.SetFont(PixelFont(kTextFace, 11));
  control.SetColor(kPageColor);
  control.Tag = tag;
  return control;
}

TLabel &TSetupPage::AddLabel(const std::string &name, int left, int top, const std::string &caption,
                             int32_t tag, bool bold) {
  TLabel &label = Add<TLabel>(name, left, top, 150, 16, caption, tag);
  label.SetFont(PixelFont(bold ? "Verdana" : kTextFace, 11, bold));
  return label;
}

TBaseBtn &TSetupPage::AddPlayButton(const std::string &name, int left, int32_t tag) {
  TMediaFaceButton &button = form_.Create<TMediaFaceButton>(name, TMediaButton::mbPlay);
  button.SetParent(Page);
  button.SetBounds(left, 250, 54, 35);
  button.SetColor(kPageColor);
  button.Tag = tag;
  MakeSkinFaceButton(button);
  return button;
}

TBaseBtn &TSetupPage::AddSkinnedButton(const std::string &name, int left, int top,
                                       const std::string &caption, int32_t tag) {
  TBaseBtn &button = Add<TBaseBtn>(name, left, top, 120, 35, caption, tag);
  button.SetFont(PixelFont("Verdana", 11, true, kWhite));
  MakeRoundFaceButton(button, kPageTitleColor, kFaceShadowColour);
  return button;
}

TSpinner &TSetupPage::AddSpinner(const std::string &name, int top, int low, int high, int32_t tag,
                                 int left) {
  TSpinner &spinner = Add<TSpinner>(name, left, top, 50, 21, "", tag);
  spinner.MinValue = low;
  spinner.MaxValue = high;
  spinner.SetValue(60);
  return spinner;
}

void TSetupPage::LoadSkins(TSkinLoader &skins) {
  for (TBaseBtn *button : {ConfigStartBtn, ConfigPauseBtn, ConfigMsgOwnSoundOpenBtn})
    skins.ReplaceRoundFace(*button, "");
  for (TBaseBtn *button : {ConfigMsgStandardSoundPlaySBtn, ConfigMsgOwnSoundPlaySBtn})
    skins.LoadButtonFaces(*button, "_sound");
}

TSetupPage::TSetupPage(TComponent &form, TPageControl &pageCtrl, TMovaroContext &context,
                       ISetupPageHost &host, TContentPages &pages, IProfileFiles &profileFiles,
                       std::string programFolder)
    : form_(form), pageCtrl_(pageCtrl), context_(context), host_(host), pages_(pages),
      profileFiles_(profileFiles), programFolder_(std::move(programFolder)) {
  Page = &pageCtrl.AddPage("Config", "Config");
  Page->SetColor(kPageColor);
  Title = (MakePageTitle(*Page, "ConfigHeaderLbl", "Setup", 14100));

  AddLabel("ConfigLevelHeaderLbl", 20, 40, kBullet + std::string("Amount of support"), 14200, true);
  ConfigLevelTrackBar = &Add<TTrackBar>("ConfigLevelTrackBar", 40, 60, 200, 22, "", 14202);
  ConfigLevelTrackBar->Min = 1;
  ConfigLevelTrackBar->Max = 240;
  ConfigLevelTrackBar->SetPosition(181);
  ConfigLevelTrackBar->SetHint("|Move the slider to the left or to the right");
  AddLabel("ConfigLevelLowLbl", 30, 85, "Less", 14201)
      .SetHint("6x Per Day|Approximately 6x per day support");
  ConfigLevelLbl = &AddLabel("ConfigLevelLbl", 70, 85, "", 0);
  ConfigLevelLbl->SetBounds(70, 85, 150, 16);
  ConfigLevelLbl->Alignment = TLabel::taCenter;
  TFont italic = PixelFont(kTextFace, 11);
  italic.Italic = true;
  ConfigLevelLbl->SetFont(italic);
  AddLabel("ConfigLevelHighLbl", 230, 85, "Much", 14203)
      .SetHint("1x Per Fifteen Seconds|Approximately 1x per fifteen seconds support");
  ConfigStartBtn = &AddSkinnedButton("ConfigStartBtn", 255, 55, "Start", 1100);
  ConfigStartBtn->SetHint("Start Movaro|Start the Movaro personal support");
  ConfigPauseBtn = &AddSkinnedButton("ConfigPauseBtn", 375, 55, "Pause", 1200);
  ConfigPauseBtn->SetHint("Pause Movaro|Pause the Movaro personal support");

  AddLabel("ConfigPausesHeaderLbl", 20, 110, kBullet + std::string("Breaks"), 14400, true);
  AddLabel("ConfigPausesShortLbl", 30, 135, "Short: 10 seconds rest per", 14401);
  ConfigPausesShortSpinner = &AddSpinner("ConfigPausesShortSpinner", 130, 30, 300, 14402);
  ConfigPausesShortSpinner->SetHint("Short Break Setup|Change short break setup");
  AddLabel("ConfigPausesShortULbl", 231, 135, "Seconds", 14403);
  ConfigPausesShortBlockCBox =
      &Add<TCheckBox>("ConfigPausesShortBlockCBox", 306, 135, 150, 17, "Block input", 14404);
  ConfigPausesShortBlockCBox->SetHint("Block Input|Block input during the short break");
  AddLabel("ConfigPausesLongLbl", 30, 160, "Long: 10 minutes rest per", 14405);
  ConfigPausesLongSpinner = &AddSpinner("ConfigPausesLongSpinner", 155, 30, 180, 14406);
  ConfigPausesLongSpinner->SetHint("Long Break Setup|Change the long break setup");
  AddLabel("ConfigPausesLongULbl", 231, 160, "Minutes", 14407);
  ConfigPausesLongBlockCBox =
      &Add<TCheckBox>("ConfigPausesLongBlockCBox", 306, 160, 150, 17, "Block input", 14408);
  ConfigPausesLongBlockCBox->SetHint("Block input during the long break");

  AddLabel("ConfigMsgHeaderLbl", 20, 185, kBullet + std::string("Messages"), 14300, true);
  ConfigShowInSysTrayCBox =
      &Add<TCheckBox>("ConfigShowInSysTrayCBox", 30, 205, 200, 17, "Show in taskbar", 14301);
  ConfigShowInSysTrayCBox->SetHint("Message In Taskbar|Show message in taskbar");
  ConfigMsgNoSoundRBtn = &Add<TRadioButton>("ConfigMsgNoSoundRBtn", 30, 230, 120, 17, "No sound", 14302);
  ConfigMsgNoSoundRBtn->SetHint("Messages Without Sound|Show messages without sound");
  ConfigMsgStandardSoundRBtn =
      &Add<TRadioButton>("ConfigMsgStandardSoundRBtn", 155, 230, 150, 17, "Standard sound", 14303);
  ConfigMsgStandardSoundRBtn->SetHint("Messages With Standard Sound|Show messages with a standard sound");
  ConfigMsgOwnSoundRBtn = &Add<TRadioButton>("ConfigMsgOwnSoundRBtn", 345, 230, 120, 17, "My sound", 14306);
  ConfigMsgOwnSoundRBtn->SetHint("Message With My Sound|Show messages with my sound");
  ConfigMsgStandardSoundPlaySBtn = &AddPlayButton("ConfigMsgStandardSoundPlaySBtn", 130, 14309);
  ConfigMsgStandardSoundPlaySBtn->SetHint("Play Standard Sound|Play standard sound");
  ConfigMsgStandardSoundList =
      &Add<TComboBox>("ConfigMsgStandardSoundList", 190, 255, 120, 150, "", 14304);
  ConfigMsgStandardSoundList->SetHint("Select Soundfile|Select a soundfile");
  ConfigMsgOwnSoundPlaySBtn = &AddPlayButton("ConfigMsgOwnSoundPlaySBtn", 320, 14310);
  ConfigMsgOwnSoundPlaySBtn->SetHint("Play My Sound|Play my sound");
  ConfigMsgOwnSoundOpenBtn = &AddSkinnedButton("ConfigMsgOwnSoundOpenBtn", 378, 250, "Open...", 14307);
  ConfigMsgOwnSoundOpenBtn->SetHint("Open Soundfile|Open soundfile");

  AddLabel("ConfigLanguageHeaderLbl", 20, 279, kBullet + std::string("Language"), 14500, true);
  ConfigLanguageList = &Add<TComboBox>("ConfigLanguageList", 30, 299, 200, 150, "", 0);

  AddLabel("ConfigFullScreenHeaderLbl", 250, 279, kBullet + std::string("Full-screen programs"), 14600,
           true)
      .SetBounds(250, 279, 240, 16);
  AddLabel("ConfigFullScreenLbl", 260, 301, "Wait up to", 14601).SetBounds(260, 301, 100, 16);
  ConfigFullScreenSpinner = &AddSpinner("ConfigFullScreenSpinner", 299, kFullScreenWaitMin,
                                        kFullScreenWaitMax, 14602, 365);
  ConfigFullScreenSpinner->SetValue(TProfileSettings().ConfigFullScreenWait);
  ConfigFullScreenSpinner->SetHint(
      "Full-Screen Wait|How long prompts wait while another program runs full screen");
  AddLabel("ConfigFullScreenULbl", 421, 301, "Minutes", 14603).SetBounds(421, 301, 60, 16);
  OpenSoundFileDialog = &form_.Create<TOpenDialog>("OpenSoundFileDialog");
  OpenSoundFileDialog->Title = "Choose a soundfile";
  OpenSoundFileDialog->Tag = 14308;
  OpenSoundFileDialog->Filter = "WAV - Wave files|*.wav";

  ConfigLevelTrackBar->OnChange = [this](TComponent &s) { ConfigPageChange(s); };
  ConfigPausesShortSpinner->OnChange = [this](TComponent &s) { ConfigPageChange(s); };
  ConfigPausesLongSpinner->OnChange = [this](TComponent &s) { ConfigPageChange(s); };
  ConfigFullScreenSpinner->OnChange = [this](TComponent &s) { ConfigPageChange(s); };
  ConfigMsgStandardSoundList->OnChange = [this](TComponent &s) { ConfigPageChange(s); };
  for (TControl *control :
       std::initializer_list<TControl *>{ConfigPausesShortBlockCBox, ConfigPausesLongBlockCBox,
                                         ConfigShowInSysTrayCBox, ConfigMsgNoSoundRBtn,
                                         ConfigMsgStandardSoundRBtn, ConfigMsgOwnSoundRBtn,
                                         ConfigMsgStandardSoundPlaySBtn, ConfigMsgOwnSoundPlaySBtn,
                                         ConfigMsgOwnSoundOpenBtn})
    Bind(*control);
  ConfigLanguageList->OnChange = [this](TComponent &) { ConfigLanguageListChange(); };
  ConfigStartBtn->OnClick = [this](TComponent &) { host_.StartMonitoring(); };
  ConfigPauseBtn->OnClick = [this](TComponent &) { host_.PauseMonitoring(); };
  UpdateSoundControls();
}

void TSetupPage::Bind(TControl &control) {
  control.OnClick = [this](TComponent &s) { ConfigPageChange(s); };
}

void TSetupPage::FillStandardSounds() {
  std::vector<std::string> names;
  for (const std::string &file : context_.Platform.Files.ListFiles(programFolder_ + "Av\\"))
    if (file.size() > 4 && SameText(file.substr(file.size() - 4), ".wav"))
      names.push_back(file.substr(0, file.size() - 4));
  SortItems(names);
  ConfigMsgStandardSoundList->Items.Assign(names);
}

void TSetupPage::ShowSettings(const TProfileSettings &settings) {
  showing_ = true;
  ConfigLevelTrackBar->SetPosition(settings.ConfigLevel);
  ConfigMsgNoSoundRBtn->SetChecked(settings.ConfigWarningtype == 0);
  ConfigMsgStandardSoundRBtn->SetChecked(settings.ConfigWarningtype == 1);
  ConfigMsgOwnSoundRBtn->SetChecked(settings.ConfigWarningtype == 2);
  if (settings.ConfigWarningtype == 1)
    ConfigMsgStandardSoundList->SetItemIndex(
        ConfigMsgStandardSoundList->Items.IndexOf(settings.ConfigWarningsoundfile));
  if (settings.ConfigWarningtype == 2)
    OpenSoundFileDialog->FileName = settings.ConfigWarningsoundfile;
  ConfigShowInSysTrayCBox->SetChecked(settings.ConfigShowInSysTray);
  ConfigPausesShortSpinner->SetText(std::to_string(settings.ConfigShortPause));
  ConfigPausesShortBlockCBox->SetChecked(settings.ConfigShortPauseBlock);
  ConfigPausesLongSpinner->SetText(std::to_string(settings.ConfigLongPause));
  ConfigPausesLongBlockCBox->SetChecked(settings.ConfigLongPauseBlock);
  ConfigFullScreenSpinner->SetText(std::to_string(settings.ConfigFullScreenWait));
  showing_ = false;
  UpdateSoundControls();
}

std::string TSetupPage::StandardSoundPath() const {
  const int index = ConfigMsgStandardSoundList->ItemIndex();
  if (index < 0)
    return "";
  return programFolder_ + "Av\\" + ConfigMsgStandardSoundList->Items[index] + ".wav";
}

void TSetupPage::PlaySound(const std::string &path) {
  pages_.Media.LoopPlayback = false;
  if (!path.empty())
    pages_.Media.PlayMediaFile(path);
}

void TSetupPage::UpdateSoundControls() {
  const bool standard = ConfigMsgStandardSoundRBtn->Checked();
  const bool own = ConfigMsgOwnSoundRBtn->Checked();
  ConfigMsgStandardSoundList->SetEnabled(standard);
  ConfigMsgStandardSoundPlaySBtn->SetEnabled(standard);
  ConfigMsgOwnSoundOpenBtn->SetEnabled(own);
  ConfigMsgOwnSoundPlaySBtn->SetEnabled(own);
}

void TSetupPage::ConfigPageChange(TComponent &sender) {
  if (showing_)
    return;
  TUserData *profile = context_.Profile;
  if (&sender == ConfigLevelTrackBar) {
    if (profile)
      profile->ConfigLevel = static_cast<uint8_t>(ConfigLevelTrackBar->Position());
  } else if (&sender == ConfigMsgNoSoundRBtn) {
    if (profile) {
      profile->ConfigWarningtype = 0;
      profile->ConfigWarningsoundfile.clear();
    }
  } else if (&sender == ConfigMsgStandardSoundList) {
    PlaySound(StandardSoundPath());
    const int index = ConfigMsgStandardSoundList->ItemIndex();
    if (profile && index >= 0) {
      profile->ConfigWarningtype = 1;
      profile->ConfigWarningsoundfile = ConfigMsgStandardSoundList->Items[index];
    }
  } else if (&sender == ConfigMsgStandardSoundPlaySBtn) {
    PlaySound(StandardSoundPath());
  } else if (&sender == ConfigMsgOwnSoundOpenBtn) {
    pages_.Media.LoopPlayback = false;
    if (OpenSoundFileDialog->Execute())
      PlaySound(OpenSoundFileDialog->FileName);
    if (profile) {
      profile->ConfigWarningtype = 2;
      profile->ConfigWarningsoundfile = OpenSoundFileDialog->FileName;
    }
  } else if (&sender == ConfigMsgOwnSoundPlaySBtn) {
    PlaySound(OpenSoundFileDialog->FileName);
  } else if (&sender == ConfigShowInSysTrayCBox) {
    if (profile)
      profile->ConfigShowInSysTray = ConfigShowInSysTrayCBox->Checked();
  } else if (&sender == ConfigPausesShortSpinner) {
    // Only a finished number is stored: a box half typed ("", "4" on the way
    // to "45") would otherwise store the minimum the user never chose.
    if (profile && ConfigPausesShortSpinner->HoldsValidValue())
      profile->ConfigShortPause = ConfigPausesShortSpinner->Value();
  } else if (&sender == ConfigPausesShortBlockCBox) {
    if (profile)
      profile->ConfigShortPauseBlock = ConfigPausesShortBlockCBox->Checked();
  } else if (&sender == ConfigPausesLongSpinner) {
    if (profile && ConfigPausesLongSpinner->HoldsValidValue())
      profile->ConfigLongPause = ConfigPausesLongSpinner->Value();
  } else if (&sender == ConfigFullScreenSpinner) {
    if (profile && ConfigFullScreenSpinner->HoldsValidValue())
      profile->ConfigFullScreenWait = ConfigFullScreenSpinner->Value();
  } else if (&sender == ConfigPausesLongBlockCBox) {
    if (profile)
      profile->ConfigLongPauseBlock = ConfigPausesLongBlockCBox->Checked();
  }
  if (profile) {
    // The rule periods and the support label follow at once, and the file too.
    profile->ApplyRulePeriods();
    profile->StoreSettings();
  }
  UpdateSoundControls();
  host_.UpdateStatus();
}

// --- language ------------------------------------------------------------------------

void TSetupPage::FillLanguageList(std::optional<int32_t> stored) {
  TStrovdexObject database(context_.Platform.Files, context_.Platform.Locale);
  if (!database.Open(LanguageFile(), LanguageFile(), "", "")) {
    if (stored)
      context_.Translator.LanguageNumber = *stored;
    return;
  }
  // A stored number the language file does not know would leave every page
  // empty: the current language stays.
  if (stored && database.FindRecord("Contents", "iCountry", std::to_string(*stored)) >= 1)
    context_.Translator.LanguageNumber = *stored;
  std::vector<std::string> names;
  const int32_t count = database.RecordCount("Contents");
  for (int32_t r = 1; r <= count; ++r)
    if (database.FieldText("Contents", "sLanguage", r).find('_') == std::string::npos)
      names.push_back(database.FieldText("Contents", "sCountry", r));
  SortItems(names);
  ConfigLanguageList->Items.Assign(names);
  const int32_t current = database.FindRecord("Contents", "iCountry",
                                              std::to_string(context_.Translator.LanguageNumber));
  ConfigLanguageList->SetItemIndex(
      current >= 1 ? ConfigLanguageList->Items.IndexOf(database.FieldText("Contents", "sCountry", current))
                   : -1);
  database.Close();
}

void TSetupPage::ApplyLanguage() {
  TUserData *profile = context_.Profile;
  std::optional<int32_t> stored;
  if (profile) {
    std::string text;
    int32_t number = 0;
    if (profileFiles_.ReadString(profile->ProfileFile(), kLanguageSection, kLanguageKey, "", text) &&
        TextToInt32(text, number))
      stored = number;
  }
  FillLanguageList(stored);
  context_.Translator.TranslateForm(form_, "MainForm", LanguageFile());
  TranslateAccessibleActions(context_.Translator, "MainForm", LanguageFile());
  host_.RebuildMainTexts();
  if (pages_.InfoFile) {
    pages_.InfoFile->SelectRecords("_" + std::to_string(context_.Translator.LanguageNumber));
    if (profile)
      profile->Links.InfoFile = pages_.InfoFile;
  }
  pages_.BuildBkInfoMenu();
  pages_.ShowContentRecord(TIDbRec{}, "");
  if (!pages_.BkInfoItems->Items().empty())
    pages_.BkInfoLstSelect(1);
  pages_.BuildExerciseMenu();
  if (profile)
    profile->AddRecentMessage("");
  pages_.ReloadContentDirectory();
  pages_.Retranslate();
  FitPageTitle(Title, pages_.Screen().MeasuringCanvas());
}

void TSetupPage::ConfigLanguageListChange() {
  const int index = ConfigLanguageList->ItemIndex();
  if (index < 0)
    return;
  TStrovdexObject database(context_.Platform.Files, context_.Platform.Locale);
  if (database.Open(LanguageFile(), LanguageFile(), "", "")) {
    const int32_t record =
        database.FindRecord("Contents", "sCountry", ConfigLanguageList->Items[index]);
    int32_t number = 0;
    if (record >= 1 && TextToInt32(database.FieldText("Contents", "iCountry", record), number))
      context_.Translator.LanguageNumber = number;
    database.Close();
  }
  TUserData *profile = context_.Profile;
  if (profile)
    profileFiles_.WriteString(profile->ProfileFile(), kLanguageSection, kLanguageKey,
                              std::to_string(context_.Translator.LanguageNumber));
  ApplyLanguage();
  ShowPage(pageCtrl_, "Config");
  if (profile)
    host_.ShowCaption(profile->Title());
}
