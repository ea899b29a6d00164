#pragma once
// Movaro's main window: a borderless, skinned window with a column of page
// buttons, four small face buttons, the page container and a status bar
// with hints and the clock. It lives in the notification area while the
// program monitors; another start of the program finds it by its window
// class and asks it to show itself; the input hook library posts its
// notifications to it.
//
// Life: construct (the components), realise, Bind the context, Start (the
// start-up steps: language, intro window, tray icon, skins, information
// file, monitoring, the status page), run; closing asks FormCloseQuery, and
// FormDestroy removes the tray icon and the extraction folder "T".

#include "data/recfile/IDbRecs.h"
#include "movaro/MovaroContext.h"
#include "movaro/SkinImages.h"
#include "movaro/forms/SmallWindows.h"
#include "base/Random.h"
#include "platform/Desktop.h"
#include "platform/MediaPlayer.h"
#include "platform/NotificationIcon.h"
#include "platform/ProfileFiles.h"
#include "platform/Registry.h"
#include "platform/Screen.h"
#include "platform/Shell.h"
#include "platform/UserSession.h"
#include "ui/Controls.h"
#include "ui/Forms.h"
#include "ui/Menus.h"
#include "ui/kit/Background.h"
#include "ui/kit/SkinnedButton.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The window class other programs (a second start, the installer) find the
// main window by, and the message that asks it to show itself.
inline const std::string kMainWindowClass = "Movaro";
constexpr uint32_t kShowYourselfMessage = 0x1400;
// The notification icon: its identifier and the message its clicks arrive as.
constexpr uint32_t kTrayIconId = 100;
constexpr uint32_t kTrayCallbackMessage = 0x0400 + 1;
inline const std::string kMainIconName = "MAINICON";
inline const std::string kMainCaption = "Movaro 3.0 release 2";

// Start flags (TMainForm::StartFlags).
constexpr uint8_t kStartShowIntro = 2, kStartPhase = 8, kStartConstructing = 16,
                  kStartOpenNetwork = 64;

class TMainFormWiring;
class TPopupMenu;

// What the main window takes from the system besides the context.
struct TMainFormEnv {
  INotificationIcon &Tray;
  IShell &Shell;
  IRegistry &Registry;
  TSkinLoader &Skins;
  IUserSession &Session;
  IScreen &Screen;
  IDesktop &Desktop;
  IMediaPlayer &Player; // exercise videos and prompt sounds
  IRandomSource &Random;
  IProfileFiles &ProfileFiles;
  std::string ProgramFolder; // ends with a backslash
  // Waits so long, letting window messages run (virtual time headless).
  std::function<void(uint32_t ms)> Wait;
  // Optional, for a windowing backend: a pop-up menu at screen coordinates,
  // windows for controls added to the window later (a page's input fields),
  // and the native window of a control (the video display).
  std::function<void(TPopupMenu &menu, int x, int y)> Popup = nullptr;
  // The tray icon's menu, at the mouse pointer (none: a right click on the
  // icon does what a left one does).
  std::function<void(TPopupMenu &menu)> PopupAtCursor = nullptr;
  std::function<void()> RealizeControls = nullptr;
  std::function<TNativeWindow(TControl &)> NativeWindowOf = nullptr;
};

// The pages of the page container, in order.
enum TMainPage { mpBkInfo, mpInfo, mpExercise, mpStatus, mpConfig, mpTraces };

class TMainForm : public TForm {
public:
  explicit TMainForm(TApplication &application);
  ~TMainForm() override;

  // Hands the window's messages to the program's objects: from now on hook
  // notifications are counted by the activity monitor.
  void Bind(TMovaroContext &context);
  // The start-up steps, in order. Monitoring runs afterwards when the
  // information file could be read.
  void Start(TMainFormEnv &env);

  TTimer &TraceTimer; // the activity monitor's tick (see TComponentTimer)
  TTimer &MainTimer;  // once a second: the clock
  TBkControl &Background;
  TLabel &CaptionLbl;
  TLabel &SloganLbl; // under the name in the backdrop, translated
  TBaseBtn &BackgroundInfoBtn, &ExercisesBtn, &StatusBtn, &MessagesBtn, &ConfigBtn, &NetworkBtn,
      &QuitBtn;
  TBaseBtn &HelpBtn, &InfoBtn, &MinimizeBtn, &HideBtn;
  TBaseBtn &VeltrinSBtn;
  TNotebook &PageCtrl;
  TStatusBar &MainStatusBar;
  // The tray icon's menu (a right click): open the window, take a break now.
  TPopupMenu &TrayMenu;
  TMenuItem &TrayOpenItem, &TrayBreakNowItem;

  uint8_t StartFlags = 15;
  bool RefuseNextClose = false;
  bool Monitoring() const { return monitoring_; }
  TIDbRecFile *InfoFile() const { return infoFile_.get(); }
  const std::string &LanguageFile() const { return languageFile_; }
  // The scheduler, the dialog and the pages; none before Start and after FormDestroy.
  TMainFormWiring *Wiring() const { return wiring_.get(); }
  // The rule labels of the "Traces" page.
  std::vector<std::string> TracesStatusLst;

  // Handlers, named after their components.
  void HelpBtnClick();
  void InfoBtnClick();
  void MinimizeBtnClick() { FormMinimize(); }
  void HideBtnClick();
  void QuitBtnClick();
  void VeltrinSBtnClick();
  void NetworkBtnClick();
  // The background information button opens its page and its menu; the
  // exercises and last messages buttons only their menus: the page follows
  // the choice (a message comes back as a prompt, not as a page). Their Alt
  // shortcuts come here too.
  void BackgroundInfoBtnClick();
  void ExercisesBtnClick();
  void MessagesBtnClick();
  void FormMinimize();
  void FormRestore();
  // "Take a break now" (tray menu, status page): the window goes back to the
  // tray and the long break prompt comes at once.
  void TakeBreakNowClick();
  // The status page's export: the day history as a CSV file where the save
  // dialog says.
  void ExportHistoryClick();
  // Shown: a window off the screen comes back onto it.
  void FormShow();
  // Between the start-up and the window's first showing: it counts as on
  // screen already, so nothing is prompted before the user has seen it.
  bool FirstShowPending() const { return firstShowPending_; }
  void FormCloseQuery(bool &canClose);
  void FormKeyDown(int &key, TShiftState shift);
  void ShowPage(TMainPage page);
  // The Windows session ends: saved and cleaned up as after Quit, unasked.
  void EndSession();
  // The window's end: the tray icon, the small windows and the extraction
  // folder "T" go. Runs once; whoever started the window calls it before
  // the context and the objects of TMainFormEnv go.
  void FormDestroy();
  bool StartMonitoring();
  bool StopMonitoring();
  // The status line: the clock and the monitoring state.
  void UpdateStatus();
  // Once a second: a change of the Windows user changes the profile; the clock.
  void MainTimerTime();
  // Stops the exercise video or sound that plays.
  void StopMediaFile();
  // The long part of a control's hint in the first panel of the status bar.
  void ShowHint(const TControl &control);
  void ClearHint();

private:
  void Message(uint32_t message, uintptr_t wParam, intptr_t lParam);
  void TrayClick(intptr_t mouseMessage);
  TBaseBtn &MakeColumnButton(const char *name, int y, const char *caption, int32_t tag,
                             const char *hint);
  TBaseBtn &MakeFaceButton(const char *name, int x, int width, const char *caption, int32_t tag,
                           const char *hint);
  TAboutBox &ShowAboutBox();
  void LoadSkins();
  void LoadInformationFile();
  void DragStart();
  void DragMove();
  void DragEnd();
  std::string ProgramSetting(const char *name);
  bool OpenAddressOf(const char *setting, const std::string &suffix);

  TMovaroContext *context_ = nullptr;
  TMainFormEnv *env_ = nullptr;
  std::unique_ptr<TSmallWindowsEnv> small_;
  std::unique_ptr<TIDbRecFile> infoFile_;
  std::unique_ptr<TMainFormWiring> wiring_;
  std::string languageFile_;
  bool monitoring_ = false;
  bool cleanedUp_ = false;
  bool firstShowPending_ = false;
  bool dragging_ = false;
  int dragX_ = 0, dragY_ = 0; // the mouse's screen position while dragging
};
