#pragma once
// Movaro's three small windows: the intro picture shown while the program
// starts (with a loading label and gauge), the About box (also the farewell
// picture when the user quits) and the simple question box of the quit
// confirmation. Each is borderless, stays on top and opens in the middle of
// the screen. The intro window and the About box exist at most once (their
// flags in the context's TDialogFlags) and belong to the main window.

#include "movaro/MovaroContext.h"
#include "movaro/SkinImages.h"
#include "ui/Controls.h"
#include "ui/Forms.h"
#include "ui/kit/Background.h"
#include "ui/kit/SkinnedButton.h"

#include <functional>
#include <string>

// What the small windows take from the main window.
struct TSmallWindowsEnv {
  TMovaroContext &Context;
  TSkinLoader &Skins;
  std::string LanguageFile; // the program's language file, table "MainForm"
  class TMessageDlgBox *OpenMessageBox = nullptr; // the question box on screen
};

constexpr uint32_t kWindowColour = 0x008FCAFC; // 9423612: the program's warm sand
constexpr uint32_t kFaceColour = 0x00533D6D;   // 5455213: the buttons' plum
constexpr uint32_t kLightColour = 0x00F2FFFF;  // 15925247: cream text and panels
constexpr uint32_t kSloganColour = 0x006E5A8A; // a paler plum
// The slogan under the product's name (Windows-1252).
inline constexpr char kSlogan[] = "MOVE \xb7 REST \xb7 BREATHE";

class TIntroForm : public TForm {
public:
  TIntroForm(TComponent *owner, TApplication &application, TSmallWindowsEnv &env);
  ~TIntroForm() override;
  TBkControl &IntroFormImg;
  TLabel &LoadingLbl;
  TColorGauge &Gauge;
  TLabel &SloganLbl; // under the picture, translated

private:
  TSmallWindowsEnv &env_;
};

class TAboutBox : public TForm {
public:
  TAboutBox(TComponent *owner, TApplication &application, TSmallWindowsEnv &env);
  ~TAboutBox() override;
  TBkControl &AboutboxImg;
  TBaseBtn &VeltrinSBtn; // an invisible hot area over the maker's name
  TBaseBtn &CloseBtn;
  // Under the name in the picture, as text so that they are translated.
  TLabel &VersionLbl, &SloganLbl;
  // The maker's web site button: the main window opens the site and
  // minimises itself.
  std::function<void()> OnVisitMaker;

private:
  TSmallWindowsEnv &env_;
};

class TMessageDlgBox : public TForm {
public:
  TMessageDlgBox(TApplication &application, TSmallWindowsEnv &env);
  ~TMessageDlgBox() override;
  TShape &Background;
  TLabel &MsgLbl;
  TBaseBtn &OkBtn;
  TBaseBtn &CancelBtn;

private:
  TSmallWindowsEnv &env_;
};

// Shows the intro window, making it (owned by owner) when there is none.
TIntroForm &ShowIntro(TForm &owner, TSmallWindowsEnv &env);
// The intro window when it exists.
TIntroForm *FindIntro(TForm &owner);
// Shows the About box, making it when there is none; the same box again
// after it was closed.
TAboutBox &ShowAbout(TForm &owner, TSmallWindowsEnv &env);
TAboutBox *FindAbout(TForm &owner);
// Shows the About box as the farewell picture of Quit: without its close
// button and without taking the focus, which the hidden main window gives up
// to no one. (A window that never had the focus also leaves the screen at
// once where the window system would otherwise hand the focus on first.)
TAboutBox &ShowFarewell(TForm &owner, TSmallWindowsEnv &env);
// Asks a question modally; true only for the first button. While another
// box is open, that one comes to the front and the answer is false.
bool ConfirmBox(TSmallWindowsEnv &env, TApplication &application, const std::string &text,
                const std::string &okCaption, const std::string &cancelCaption);
