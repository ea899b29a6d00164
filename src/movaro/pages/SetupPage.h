#pragma once
// The setup page "Config": how much support the program gives, the short and
// long breaks and whether they block input, the prompt sound, the tray
// icon's blinking, the interface language and how long prompts wait for a
// full-screen program, with the Start and Pause
// buttons of monitoring. Every change goes at once into the profile (and
// from there into the rules); there is no OK button. The page also applies a
// language to the whole main window.

#include "movaro/MovaroContext.h"
#include "movaro/pages/ContentPages.h"
#include "movaro/pages/PageChrome.h"
#include "movaro/profile/ProfileSettings.h"
#include "platform/ProfileFiles.h"
#include "ui/Controls.h"
#include "ui/Menus.h"
#include "ui/kit/SkinnedButton.h"
#include "ui/kit/Spinner.h"

#include <optional>
#include <string>
#include <vector>

constexpr char kLanguageKey[] = "LngID";
constexpr char kLanguageSection[] = "Movaro";

// What the setup page asks of the main window around it.
class ISetupPageHost {
public:
  virtual ~ISetupPageHost() = default;
  virtual void UpdateStatus() = 0;
  virtual void StartMonitoring() = 0;
  virtual void PauseMonitoring() = 0;
  // Rebuilds the translated main texts and the break texts of rules 3 and 4.
  virtual void RebuildMainTexts() = 0;
  // The window caption (repeated by the caption label).
  virtual void ShowCaption(const std::string &caption) = 0;
};

class TSetupPage {
public:
  // form: the main window, translated as a whole by ApplyLanguage.
  TSetupPage(TComponent &form, TPageControl &pageCtrl, TMovaroContext &context,
             ISetupPageHost &host, TContentPages &pages, IProfileFiles &profileFiles,
             std::string programFolder);

  // The names of the ".wav" files of "Av\" (without extension), sorted.
  void FillStandardSounds();
  // The profile's settings into the controls (nothing is played).
  void ShowSettings(const TProfileSettings &settings);
  void ShowSupportLabel(const std::string &text) { ConfigLevelLbl->SetCaption(text); }
  // The skin's faces for Start, Pause, Open and the sound buttons; until
  // then they show round plum faces and drawn symbols.
  void LoadSkins(TSkinLoader &skins);

  // The single change handler of the page's controls (not the language list,
  // Start and Pause).
  void ConfigPageChange(TComponent &sender);
  void ConfigLanguageListChange();
  // Applies the current language number to the main window: the language
  // list, every translated text, the main texts, the information file's
  // records, the menus and the content directory.
  void ApplyLanguage();

  TPage *Page = nullptr;
  TPageTitle Title;
  TTrackBar *ConfigLevelTrackBar = nullptr;
  TLabel *ConfigLevelLbl = nullptr;
  TBaseBtn *ConfigStartBtn = nullptr, *ConfigPauseBtn = nullptr;
  TSpinner *ConfigPausesShortSpinner = nullptr, *ConfigPausesLongSpinner = nullptr;
  TSpinner *ConfigFullScreenSpinner = nullptr;
  TCheckBox *ConfigPausesShortBlockCBox = nullptr, *ConfigPausesLongBlockCBox = nullptr;
  TCheckBox *ConfigShowInSysTrayCBox = nullptr;
  TRadioButton *ConfigMsgNoSoundRBtn = nullptr, *ConfigMsgStandardSoundRBtn = nullptr,
               *ConfigMsgOwnSoundRBtn = nullptr;
  TBaseBtn *ConfigMsgStandardSoundPlaySBtn = nullptr, *ConfigMsgOwnSoundPlaySBtn = nullptr;
  TComboBox *ConfigMsgStandardSoundList = nullptr;
  TBaseBtn *ConfigMsgOwnSoundOpenBtn = nullptr;
  TComboBox *ConfigLanguageList = nullptr;
  TOpenDialog *OpenSoundFileDialog = nullptr;

private:
  template <class T> T &Add(const std::string &name, int left, int top, int width, int height,
                            const std::string &caption, int32_t tag);
  TBaseBtn &AddPlayButton(const std::string &name, int left, int32_t tag);
  TBaseBtn &AddSkinnedButton(const std::string &name, int left, int top,
                             const std::string &caption, int32_t tag);
  TSpinner &AddSpinner(const std::string &name, int top, int low, int high, int32_t tag,
                       int left = 170);
  TLabel &AddLabel(const std::string &name, int left, int top, const std::string &caption,
                   int32_t tag, bool bold = false);
  void UpdateSoundControls();
  void PlaySound(const std::string &path);
  std::string StandardSoundPath() const;
  std::string LanguageFile() const { return programFolder_ + "Movaro.lng"; }
  // Fills the language list; a stored language number the file knows becomes current.
  void FillLanguageList(std::optional<int32_t> stored);
  void Bind(TControl &control);

  TComponent &form_;
  TPageControl &pageCtrl_;
  TMovaroContext &context_;
  ISetupPageHost &host_;
  TContentPages &pages_;
  IProfileFiles &profileFiles_;
  std::string programFolder_;
  bool showing_ = false; // the profile's values are being put into the controls
};
