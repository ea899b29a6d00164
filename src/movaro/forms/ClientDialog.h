#pragma once
// The network dialog: logs the user in to the profile server (check-out of
// the settings and message history) and out again (check-in), and lets the
// user set the server's address, host, port and connection type. It loads
// the client library only while it works and keeps the interface alive
// while it waits for a connection, for at most 15 seconds.
//
// TNetworkProfile is the profile's door to it (INetProfile): one dialog at a
// time, made for each login or logout and released when that is over.

#include "movaro/MovaroContext.h"
#include "movaro/SkinImages.h"
#include "movaro/profile/UserData.h"
#include "platform/NetClientLibrary.h"
#include "ui/Controls.h"
#include "ui/Forms.h"
#include "ui/kit/Background.h"

#include <cstdint>
#include <functional>
#include <string>

// The status texts the dialog shows.
inline constexpr char kLoggedInText[] = "You are logged in!";
inline constexpr char kLoggedOutText[] = "You are logged out!";
inline constexpr char kUnableToConnectText[] = "Unable to connect!";
// What the dialog says about enrolment codes: its own texts (numbers of the
// language file's "MainForm" table) with their English defaults.
struct TDialogText {
  int32_t Number;
  const char *English;
};
inline constexpr TDialogText kEnterCodeText{116, "Enter the enrolment code for this computer"};
inline constexpr TDialogText kCodeNotForUserText{117, "This code is not one for this user"};
inline constexpr TDialogText kCodeExpiredText{118, "This code has expired: ask for a new one"};
inline constexpr TDialogText kCodeUsedText{119, "This code was used already: ask for a new one"};
inline constexpr TDialogText kCodeMalformedText{127, "A code is 10 letters and digits (ABCDE-FGH23)"};
// How long the dialog waits for the connection.
constexpr uint32_t kConnectTimeoutMs = 15000;

// What the dialog works with.
struct TClientDialogEnv {
  TMovaroContext &Context;
  INetClientLibrary &Library;
  TSkinLoader *Skins = nullptr; // the footer picture; none: a plain footer
  // The program's language file (table "MainForm"), read when a dialog is
  // made; none or empty: English.
  const std::string *LanguageFile = nullptr;
  // Lets window messages run for so long (virtual time headless).
  std::function<void(uint32_t ms)> Wait;
  // The main window is still starting up.
  std::function<bool()> StartUpPhase;
};

// A server counts as configured with an address or a host, and a port text.
bool ServerConfigured(const std::string &address, const std::string &host,
                      const std::string &portText);

class TClientDialog : public TForm {
public:
  TClientDialog(TApplication &application, TClientDialogEnv &env, TUserData &profile);
  ~TClientDialog() override;

  TPageControl &PageCtrl;
  TPage &NetworkTab;
  TLabel &UsernameHeaderLbl;
  TEdit &UsernameEdit;
  TLabel &StatusLbl;
  TGauge &ProgressBar;
  TPanel &FooterPnl;
  TBkControl &FooterImg;
  TButton &LoginBtn, &LogoutBtn, &CancelBtn;
  // Shown once the server asks for an enrolment code for this computer.
  TLabel &EnrolmentCodeLbl;
  TEdit &EnrolmentCodeEdit;
  TPage &ConfigTab;
  TLabel &ServerAddressHeaderLbl;
  TEdit &ServerAddressEdit;
  TLabel &ServerHostHeaderLbl;
  TEdit &ServerHostEdit;
  TLabel &ServerPortHeaderLbl;
  TEdit &ServerPortEdit;
  TLabel &ServerConnectionTypeHeaderLbl;
  TRadioButton &ServerConnectionTypeAutoRBtn, &ServerConnectionTypeManualRBtn;

  // The user data was received and applied.
  bool LoggedIn = false;
  // The server confirmed that it stored the user data of a logout.
  bool SaveConfirmed = false;
  bool Busy() const { return busy_; }
  // The server refused this computer until it is enrolled: the code field
  // shows, and the next login sends the code typed there.
  bool AsksForCode() const { return EnrolmentCodeEdit.Visible(); }

  // The profile's server fields and user name into the controls.
  void FillFields();
  // The controls' server fields back into the profile (a port text that is
  // not a number keeps the port).
  void WriteBackFields();
  bool Configured() const;

  void DoLogin();
  void DoLogout();
  // One reply of the server.
  void OnServerReply(const std::string &reply);
  void CancelBtnClick();
  void PageCtrlChange();
  // Enter runs the visible one of login and logout, Escape cancels; only
  // without Shift, Ctrl or Alt.
  void FormKeyUp(int key, TShiftState shift);

private:
  enum class TRequestKind { None, Login, Logout };
  // Loads the library and waits for the connection; true when it stands
  // and nobody cancelled. A failure shows "Unable to connect!" and closes.
  bool Connect();
  void Fail();
  void ShowStatus(const std::string &text) { StatusLbl.SetCaption(text); }
  void RequestClose() { Application().PostCloseRequest(*this); }
  void ApplyUserData(const std::string &lines);
  // The refusal of a check-out that a code may cure: the code field shown
  // with what to do. False for any other reply.
  bool AskForCode(const std::string &reply);
  std::string Text(const TDialogText &text) const;
  void CloseQuery(bool &canClose);

  TClientDialogEnv &env_;
  TUserData &profile_;
  bool busy_ = false;
  TRequestKind request_ = TRequestKind::None;
};

// The entry points the profile calls; see INetProfile.
class TNetworkProfile : public INetProfile {
public:
  TNetworkProfile(TApplication &application, TClientDialogEnv env)
      : application_(application), env_(std::move(env)) {}
  ~TNetworkProfile() override;

  bool NetLogin(TUserData &profile, bool openConfiguration) override;
  bool NetLogout(TUserData &profile, bool &saved) override;
  // The dialog while one exists.
  TClientDialog *OpenDialog() const { return open_; }
  // Runs with the dialog after it was made and filled, before it is shown
  // (tests drive it from here).
  std::function<void(TClientDialog &)> OnDialogMade;

private:
  TClientDialog &MakeDialog(TUserData &profile, bool login);
  void Release();

  TApplication &application_;
  TClientDialogEnv env_;
  TClientDialog *open_ = nullptr;
};
