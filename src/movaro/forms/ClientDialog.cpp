#include "movaro/forms/ClientDialog.h"

#include "base/AnsiText.h"
#include "movaro/forms/SmallWindows.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"

#include <algorithm>

namespace {

// The tabs stand on the right of the pages.
constexpr int kDialogWidth = 392 + TPageControl::kTabsExtent, kDialogHeight = 244;
constexpr int kPagesLeft = 8, kPagesTop = 8;
constexpr int kPagesWidth = kDialogWidth - 2 * kPagesLeft - 8, kPagesHeight = 196;
constexpr int kPageWidth = kPagesWidth - TPageControl::kTabsExtent, kPageHeight = kPagesHeight;
constexpr int kFooterHeight = 44, kButtonWidth = 100, kButtonHeight = 24;
constexpr int kLabelX = 16, kFieldX = 176, kFieldWidth = 170, kRowHeight = 30;
constexpr int kCodeFieldX = kFieldX; // the enrolment code's field, on the Network tab
constexpr int kKeyEnter = 13, kKeyEscape = 27;
// How often the connection wait looks at the library.
constexpr uint32_t kConnectPollMs = 50;
constexpr char kAutoConnect[] = "auto connect", kManualConnect[] = "manual connect";

TFont DialogFont(bool bold = false) {
  TFont font;
  font.Name = "Verdana";
  font.Size = 8;
  font.Bold = bold;
  return font;
}

bool BeginsWith(const std::string &text, const char *prefix) { return text.rfind(prefix, 0) == 0; }

// A label over (or beside) a field.
void Place(TControl &control, TWinControl &parent, int x, int y, int width, int height) {
  control.SetParent(&parent);
  control.SetBounds(x, y, width, height);
  control.SetFont(DialogFont());
}

} // namespace

bool ServerConfigured(const std::string &address, const std::string &host,
                      const std::string &portText) {
  return (!address.empty() || !host.empty()) && !portText.empty();
}

TClientDialog::TClientDialog(TApplication &application, TClientDialogEnv &env, TUserData &profile)
    : TForm(application, nullptr, "ClientDialog"), PageCtrl(Create<TPageControl>("PageCtrl")),
      NetworkTab(PageCtrl.AddPage("NetworkTab", "Network")),
      UsernameHeaderLbl(Create<TLabel>("UsernameHeaderLbl")),
      UsernameEdit(Create<TEdit>("UsernameEdit")), StatusLbl(Create<TLabel>("StatusLbl")),
      ProgressBar(Create<TGauge>("ProgressBar")), FooterPnl(Create<TPanel>("FooterPnl")),
      FooterImg(Create<TBkControl>("FooterImg")), LoginBtn(Create<TButton>("LoginBtn")),
      LogoutBtn(Create<TButton>("LogoutBtn")), CancelBtn(Create<TButton>("CancelBtn")),
      EnrolmentCodeLbl(Create<TLabel>("EnrolmentCodeLbl")),
      EnrolmentCodeEdit(Create<TEdit>("EnrolmentCodeEdit")),
      ConfigTab(PageCtrl.AddPage("ConfigTab", "Configuration")),
      ServerAddressHeaderLbl(Create<TLabel>("ServerAddressHeaderLbl")),
      ServerAddressEdit(Create<TEdit>("ServerAddressEdit")),
      ServerHostHeaderLbl(Create<TLabel>("ServerHostHeaderLbl")),
      ServerHostEdit(Create<TEdit>("ServerHostEdit")),
      ServerPortHeaderLbl(Create<TLabel>("ServerPortHeaderLbl")),
      ServerPortEdit(Create<TEdit>("ServerPortEdit")),
      ServerConnectionTypeHeaderLbl(Create<TLabel>("ServerConnectionTypeHeaderLbl")),
      ServerConnectionTypeAutoRBtn(Create<TRadioButton>("ServerConnectionTypeAutoRBtn")),
      ServerConnectionTypeManualRBtn(Create<TRadioButton>("ServerConnectionTypeManualRBtn")),
      env_(env), profile_(profile) {
  SetCaption("Movaro Network");
  Tag = 101;
  StayOnTop = true;
  CenterOnScreen = true;
  KeyPreview = true;
  SetColor(kWindowColour);
  SetFont(DialogFont());
  SetBounds(0, 0, kDialogWidth, kDialogHeight);

  PageCtrl.SetParent(this);
  PageCtrl.TabPosition = TPageControl::TTabPosition::Right;
  PageCtrl.SetBounds(kPagesLeft, kPagesTop, kPagesWidth, kPagesHeight);
  PageCtrl.SetFont(DialogFont());
  NetworkTab.Tag = 110;
  ConfigTab.Tag = 120;
  for (TPage *page : {&NetworkTab, &ConfigTab})
    page->SetColor(kWindowColour);

  const int inner = kPageWidth - 8;
  Place(UsernameHeaderLbl, NetworkTab, kLabelX, 16, inner - 2 * kLabelX, 16);
  UsernameHeaderLbl.Tag = 111;
  UsernameHeaderLbl.SetCaption("Username");
  UsernameHeaderLbl.SetFont(DialogFont(true));
  Place(UsernameEdit, NetworkTab, kLabelX, 36, kFieldWidth + 60, 21);
  UsernameEdit.ReadOnly = true;
  // Two lines, for the longer reasons a server may give.
  Place(StatusLbl, NetworkTab, kLabelX, 72, inner - 2 * kLabelX, 26);
  StatusLbl.SetFont(DialogFont(true));
  StatusLbl.WordWrap = true;
  Place(ProgressBar, NetworkTab, kLabelX, 98, inner - 2 * kLabelX, 14);
  ProgressBar.MinValue = 0;
  ProgressBar.MaxValue = 100;
  ProgressBar.SetVisible(false);
  // The label stands just before its field, which it names.
  Place(EnrolmentCodeLbl, NetworkTab, kLabelX, 123, kCodeFieldX - kLabelX - 4, 16);
  EnrolmentCodeLbl.Tag = 115;
  EnrolmentCodeLbl.SetCaption("Enrolment code");
  Place(EnrolmentCodeEdit, NetworkTab, kCodeFieldX, 120, kFieldWidth, 21);
  EnrolmentCodeEdit.MaxLength = 32;
  for (TControl *control : {static_cast<TControl *>(&EnrolmentCodeLbl), static_cast<TControl *>(&EnrolmentCodeEdit)})
    control->SetVisible(false);

  FooterPnl.SetParent(&NetworkTab);
  FooterPnl.SetBounds(0, kPageHeight - kFooterHeight, inner + 4, kFooterHeight);
  FooterPnl.SetColor(kWindowColour);
  FooterImg.SetParent(&FooterPnl);
  FooterImg.SetBounds(0, 0, inner + 4, kFooterHeight);
  if (env_.Skins)
    env_.Skins->LoadInto(FooterImg.Background().Image, "footer_msgdlg_orange");
  const int buttonTop = (kFooterHeight - kButtonHeight) / 2;
  const int right = inner + 4 - 12;
  Place(CancelBtn, FooterPnl, right - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);
  for (TButton *button : {&LoginBtn, &LogoutBtn}) {
    Place(*button, FooterPnl, right - 2 * kButtonWidth - 8, buttonTop, kButtonWidth, kButtonHeight);
    button->Default = true;
    button->SetVisible(false);
  }
  CancelBtn.Tag = 112;
  CancelBtn.SetCaption("Cancel");
  CancelBtn.Cancel = true;
  LoginBtn.Tag = 113;
  LoginBtn.SetCaption("Inloggen");
  LogoutBtn.Tag = 114;
  LogoutBtn.SetCaption("Log out");

  struct TRow {
    TLabel &Header;
    int32_t Tag;
    const char *Caption;
    TControl *Field;
  };
  const TRow rows[] = {
      {ServerAddressHeaderLbl, 121, "Server address", &ServerAddressEdit},
      {ServerHostHeaderLbl, 122, "Host", &ServerHostEdit},
      {ServerPortHeaderLbl, 123, "Portnummer", &ServerPortEdit},
      {ServerConnectionTypeHeaderLbl, 124, "Connection type", nullptr},
  };
  int y = 18;
  for (const TRow &row : rows) {
    Place(row.Header, ConfigTab, kLabelX, y + 3, kFieldX - kLabelX - 4, 16);
    row.Header.Tag = row.Tag;
    row.Header.SetCaption(row.Caption);
    if (row.Field)
      Place(*row.Field, ConfigTab, kFieldX, y, kFieldWidth, 21);
    y += kRowHeight;
  }
  Place(ServerConnectionTypeAutoRBtn, ConfigTab, kFieldX, y - kRowHeight + 1, kFieldWidth, 20);
  ServerConnectionTypeAutoRBtn.Tag = 125;
  ServerConnectionTypeAutoRBtn.SetCaption("Automatic");
  ServerConnectionTypeAutoRBtn.SetChecked(true);
  Place(ServerConnectionTypeManualRBtn, ConfigTab, kFieldX, y - kRowHeight + 23, kFieldWidth, 20);
  ServerConnectionTypeManualRBtn.Tag = 126;
  ServerConnectionTypeManualRBtn.SetCaption("Manual");

  LoginBtn.OnClick = [this](TComponent &) { DoLogin(); };
  LogoutBtn.OnClick = [this](TComponent &) { DoLogout(); };
  CancelBtn.OnClick = [this](TComponent &) { CancelBtnClick(); };
  PageCtrl.OnChange = [this](TComponent &) { PageCtrlChange(); };
  // Enter and Escape act when they are released; their presses are taken so
  // that the default and cancel buttons do not act a second time.
  OnPreviewKeyDown = [](TComponent &, int &key, TShiftState shift) {
    if (shift.None() && (key == kKeyEnter || key == kKeyEscape))
      key = 0;
  };
  OnPreviewKeyUp = [this](TComponent &, int &key, TShiftState shift) {
    if (shift.None() && (key == kKeyEnter || key == kKeyEscape)) {
      FormKeyUp(key, shift);
      key = 0;
    }
  };
  OnCloseQuery = [this](TComponent &, bool &canClose) { CloseQuery(canClose); };
  env_.Context.Dialogs.NetworkDialog = true;
}

TClientDialog::~TClientDialog() {
  // A dialog released while its library is loaded (a close request that had
  // not run yet) still ends the connection and unloads it.
  env_.Library.Unload();
  env_.Context.Dialogs.NetworkDialog = false;
  DestroyComponents();
}

// --- fields -------------------------------------------------------------------------

void TClientDialog::FillFields() {
  UsernameEdit.SetText(profile_.UserName);
  ServerAddressEdit.SetText(profile_.ServerAddress);
  ServerHostEdit.SetText(profile_.ServerHost);
  ServerPortEdit.SetText(std::to_string(profile_.ServerPort));
  if (profile_.ConnectionType == kAutoConnect)
    ServerConnectionTypeAutoRBtn.SetChecked(true);
  else if (profile_.ConnectionType == kManualConnect)
    ServerConnectionTypeManualRBtn.SetChecked(true);
}

void TClientDialog::WriteBackFields() {
  profile_.ServerAddress = ServerAddressEdit.Text();
  profile_.ServerHost = ServerHostEdit.Text();
  TextToInt32(ServerPortEdit.Text(), profile_.ServerPort); // not a number: the old port
  if (ServerConnectionTypeAutoRBtn.Checked())
    profile_.ConnectionType = kAutoConnect;
  else if (ServerConnectionTypeManualRBtn.Checked())
    profile_.ConnectionType = kManualConnect;
}

bool TClientDialog::Configured() const {
  return ServerConfigured(ServerAddressEdit.Text(), ServerHostEdit.Text(), ServerPortEdit.Text());
}

// --- connecting ---------------------------------------------------------------------

bool TClientDialog::Connect() {
  if (busy_)
    return false;
  busy_ = true;
  INetClientLibrary &library = env_.Library;
  if (!Configured() || profile_.UserName.empty() || !library.Load()) {
    Fail();
    return false;
  }
  if (!busy_ || !library.HasEntryPoints()) {
    Fail();
    return false;
  }
  int32_t port = 0;
  if (!TextToInt32(ServerPortEdit.Text(), port))
    port = 0;
  TClientDialog *self = this;
  if (!library.Open(ServerAddressEdit.Text(), ServerHostEdit.Text(), port,
                    [self](const std::string &reply) { self->OnServerReply(reply); })) {
    Fail();
    return false;
  }

  ProgressBar.SetProgress(0);
  ProgressBar.SetVisible(true);
  TApplication &app = Application();
  const uint64_t start = app.TickCount();
  while (busy_ && !library.Connected() && app.TickCount() < start + kConnectTimeoutMs) {
    const uint64_t elapsed = app.TickCount() - start;
    ProgressBar.SetProgress(static_cast<int>(elapsed * 100 / kConnectTimeoutMs));
    env_.Wait(kConnectPollMs);
  }
  ProgressBar.SetVisible(false);
  if (busy_ && library.Connected())
    return true;
  if (busy_)
    Fail();
  busy_ = false;
  return false;
}

void TClientDialog::Fail() {
  ShowStatus(kUnableToConnectText);
  busy_ = false;
  RequestClose();
}

void TClientDialog::DoLogin() {
  std::string code;
  if (AsksForCode()) {
    // A text that is not a code is refused here: it would only cost one of
    // the failed attempts the server allows.
    code = NormalizedEnrolmentCode(EnrolmentCodeEdit.Text());
    if (code.empty()) {
      ShowStatus(Text(kCodeMalformedText));
      EnrolmentCodeEdit.SetFocus();
      return;
    }
  }
  if (!Connect())
    return;
  request_ = TRequestKind::Login;
  const std::optional<TDaySpans> knownDays = profile_.HistoryDays();
  env_.Library.Post(BuildLoginRequest(profile_.UserName, code, knownDays ? &*knownDays : nullptr));
  busy_ = false;
}

void TClientDialog::DoLogout() {
  if (!Connect())
    return;
  std::vector<THistoryLine> history;
  for (const std::string &entry : profile_.MessageHistory)
    if (!HistoryKeyOfEntry(entry).empty())
      history.push_back(HistoryLineOfEntry(entry));
  request_ = TRequestKind::Logout;
  SaveConfirmed = false;
  env_.Library.Post(BuildLogoutRequest(profile_.UserName, profile_, history, profile_.DaysForServer()));
  // A save the server did not confirm is not reported as one: the status
  // keeps the server's reason (the profile keeps the data locally).
  if (SaveConfirmed)
    ShowStatus(kLoggedOutText);
  else if (StatusLbl.Caption().empty())
    ShowStatus(kUnableToConnectText);
  LoggedIn = false;
  busy_ = false;
  RequestClose();
}

// --- replies --------------------------------------------------------------------------

void TClientDialog::OnServerReply(const std::string &reply) {
  switch (ClassifyReply(reply)) {
  case TReplyKind::Error:
    busy_ = false;
    if (request_ == TRequestKind::Login && AskForCode(reply))
      break;
    ShowStatus(ReplyText(reply));
    RequestClose();
    break;
  case TReplyKind::Status:
    ShowStatus(ReplyText(reply));
    if (BeginsWith(reply, kSavedReply)) {
      SaveConfirmed = request_ == TRequestKind::Logout;
      RequestClose();
    }
    break;
  case TReplyKind::NoData:
  case TReplyKind::UserData:
    // User data answers a check-out only: applied during a check-in it would
    // replace the day's values just sent.
    if (request_ == TRequestKind::Logout)
      break;
    if (ClassifyReply(reply) == TReplyKind::UserData)
      ApplyUserData(ReplyText(reply));
    else
      profile_.TakeServerDays(ReadUserDataLines(ReplyText(reply)));
    ShowStatus(kLoggedInText);
    LoggedIn = true;
    RequestClose();
    break;
  case TReplyKind::Other:
    break;
  }
}

bool TClientDialog::AskForCode(const std::string &reply) {
  const std::pair<const char *, const TDialogText *> refusals[] = {
      {kNotEnrolledReason, &kEnterCodeText},
      {kCodeNotForUserReason, &kCodeNotForUserText},
      {kCodeExpiredReason, &kCodeExpiredText},
      {kCodeUsedReason, &kCodeUsedText},
  };
  for (const auto &[reason, text] : refusals) {
    if (reply != ErrorReply(reason))
      continue;
    EnrolmentCodeLbl.SetVisible(true);
    EnrolmentCodeEdit.SetVisible(true);
    ShowStatus(Text(*text));
    EnrolmentCodeEdit.SetFocus();
    return true;
  }
  return false;
}

std::string TClientDialog::Text(const TDialogText &text) const {
  if (!env_.LanguageFile || env_.LanguageFile->empty())
    return text.English;
  return env_.Context.Translator.TranslateText(text.Number, "MainForm", *env_.LanguageFile, text.English);
}

void TClientDialog::ApplyUserData(const std::string &lines) {
  profile_.TakeServerDays(ApplyUserDataLines(lines, profile_, profile_.MessageHistory));
}

// --- events ----------------------------------------------------------------------------

void TClientDialog::CancelBtnClick() {
  busy_ = false;
  Application().ProcessMessages();
  RequestClose();
}

void TClientDialog::PageCtrlChange() {
  if (!Configured() && PageCtrl.ActivePageIndex() != 1)
    PageCtrl.SetActivePageIndex(1);
}

void TClientDialog::FormKeyUp(int key, TShiftState shift) {
  if (!shift.None())
    return;
  if (key == kKeyEnter) {
    if (LoginBtn.Visible())
      DoLogin();
    else if (LogoutBtn.Visible())
      DoLogout();
  } else if (key == kKeyEscape) {
    CancelBtnClick();
  }
}

void TClientDialog::CloseQuery(bool &canClose) {
  if (busy_) {
    // Closed while connecting: the attempt ends first (as Cancel), and the
    // close runs again once the wait has returned. Waiting here for the
    // attempt would never end, since the attempt waits under this call.
    busy_ = false;
    canClose = false;
    RequestClose();
    return;
  }
  Application().ProcessMessages();
  env_.Library.Unload();
}

// --- the entry points ----------------------------------------------------------------

TNetworkProfile::~TNetworkProfile() { Release(); }

TClientDialog &TNetworkProfile::MakeDialog(TUserData &profile, bool login) {
  open_ = new TClientDialog(application_, env_, profile);
  open_->LoginBtn.SetVisible(login);
  open_->LogoutBtn.SetVisible(!login);
  open_->FillFields();
  if (env_.LanguageFile && !env_.LanguageFile->empty())
    env_.Context.Translator.TranslateForm(*open_, "MainForm", *env_.LanguageFile);
  if (OnDialogMade)
    OnDialogMade(*open_);
  return *open_;
}

void TNetworkProfile::Release() {
  // A dialog still on screen closes as the user would see it: its close
  // requests may not have run yet.
  if (open_ && open_->Visible())
    open_->Close();
  delete open_;
  open_ = nullptr;
}

bool TNetworkProfile::NetLogin(TUserData &profile, bool openConfiguration) {
  if (open_) {
    open_->BringToFront();
    return false;
  }
  TClientDialog &dialog = MakeDialog(profile, true);
  if (!profile.UserName.empty() && profile.UserName != kDefaultUserName) {
    if (dialog.Configured()) {
      if (openConfiguration) {
        dialog.PageCtrl.SetActivePageIndex(1);
        dialog.ShowModal();
      } else if (dialog.ServerConnectionTypeAutoRBtn.Checked()) {
        dialog.ConfigTab.SetEnabled(false);
        dialog.Show();
        dialog.BringToFront();
        dialog.DoLogin();
        // The server asks for a code: the user types it and logs in again.
        if (dialog.AsksForCode() && !dialog.LoggedIn)
          dialog.ShowModal();
      } else {
        dialog.ShowModal();
      }
    } else if (!(env_.StartUpPhase && env_.StartUpPhase())) {
      // Nothing to connect to: after start-up the user may enter a server.
      dialog.PageCtrl.SetActivePageIndex(1);
      dialog.ShowModal();
    }
  }
  dialog.WriteBackFields();
  const bool loggedIn = dialog.LoggedIn;
  Release();
  return loggedIn;
}

bool TNetworkProfile::NetLogout(TUserData &profile, bool &saved) {
  saved = false;
  if (open_) {
    open_->BringToFront();
    return false;
  }
  TClientDialog &dialog = MakeDialog(profile, false);
  if (!profile.UserName.empty()) {
    dialog.ConfigTab.SetEnabled(false);
    dialog.Show();
    dialog.BringToFront();
    dialog.DoLogout();
  }
  saved = dialog.SaveConfirmed;
  const bool loggedIn = dialog.LoggedIn;
  Release();
  return loggedIn;
}
