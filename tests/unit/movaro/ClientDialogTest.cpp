// The network dialog with a client library that replies from a function:
// the replies it understands, the request texts, what login and logout do
// with each configuration, the connection wait, and a check-in the server
// did not confirm.
#include "ProfileWorld.h"
#include "authoring/StrovdexWriter.h"
#include "movaro/forms/ClientDialog.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/headless/HeadlessNetClientLibrary.h"
#include "platform/headless/ManualTimer.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"
#include "ui/Accessibility.h"

#include <gtest/gtest.h>

namespace {

struct TNetWorld {
  // keepsHistory: the profile keeps its day records beside its file.
  explicit TNetWorld(bool keepsHistory = false) {
    world.WriteInfoFile({{1, "a_44|Dlg #qkkt0451230001", "Q1"}, {2, "b_44|Dlg #immh0000010002", "I2"}});
    profile = world.NewProfile(nullptr, keepsHistory ? &world.fs : nullptr);
    profile->BuildMessageHistory(world.info);
    profile->Links.Network = &net;
    profile->ServerAddress = "10.0.0.5";
    profile->ServerPort = 1684;
    library.Server = [this](const std::string &request) {
      return request.rfind("command=getuserdata", 0) == 0 ? LoginReply : LogoutReply;
    };
  }
  // The profile's two history entries, by key.
  std::string Entry(const char *prefix) { return profile->FindEntry(prefix); }

  TProfileWorld world;
  THeadlessApplication app;
  TVirtualCursor cursor;
  TManualTimer timer;
  TRecordingInputHooks hooks;
  TMovaroContext context{{world.clock, cursor, timer, hooks, world.fs, world.locale}};
  THeadlessNetClientLibrary library;
  bool startUp = false;
  TNetworkProfile net{app, {context, library, nullptr, nullptr,
                            [this](uint32_t ms) { app.AdvanceTime(ms); },
                            [this] { return startUp; }}};
  std::unique_ptr<TUserData> profile;
  std::string LoginReply = "userdata=NO_DATA_FOUND";
  std::string LogoutReply = kSavedReply;
};

} // namespace

TEST(ClientDialog, RepliesAreTestedInOrderAndApplyOnlyValuesInRange) {
  TNetWorld w;
  TClientDialogEnv env{w.context, w.library, nullptr, nullptr, [](uint32_t) {}, {}};
  TClientDialog d(w.app, env, *w.profile);
  d.Show();
  auto reply = [&](const std::string &text) {
    d.Show();
    d.OnServerReply(text);
    w.app.ProcessMessages();
    return !d.Visible(); // closed
  };
  // "Begins with" is exact and case-sensitive.
  EXPECT_FALSE(reply("status=Error: lower case"));
  EXPECT_FALSE(reply(" Status=Error"));
  EXPECT_FALSE(reply("USERDATA=ConfigLevel=3"));
  EXPECT_EQ(d.StatusLbl.Caption(), "");
  EXPECT_FALSE(reply("Status=Working: a=b"));
  EXPECT_EQ(d.StatusLbl.Caption(), "Working: a=b");
  EXPECT_TRUE(reply("Status=Error: no such user"));
  EXPECT_EQ(d.StatusLbl.Caption(), "Error: no such user");
  EXPECT_FALSE(d.LoggedIn);

  // Keys without regard to case, the first line of a key counts, values
  // out of range or not numbers keep the current value, ConfigLevelBase is
  // not read, a history entry without a line is reset.
  w.profile->ConfigShortPause = 90;
  w.profile->UpdateEntry("immh", 1, 45000);
  EXPECT_TRUE(reply("userdata=configlevel=12\r\nConfigLevel=99\r\nConfigLevelBase=3\r\n"
                    "CONFIGWARNINGTYPE=7\r\nConfigShortPause=abc\r\nConfigLongPause=150\r\n"
                    "ConfigShowInSysTray=yes\r\nConfigLongPauseBlock=1\r\nt1230001=2>45001\r\n"));
  EXPECT_TRUE(d.LoggedIn);
  EXPECT_EQ(d.StatusLbl.Caption(), kLoggedInText);
  EXPECT_EQ(w.profile->ConfigLevel, 12);
  EXPECT_EQ(w.profile->ConfigLevelBase, 15);
  EXPECT_EQ(w.profile->ConfigWarningtype, 1);
  EXPECT_EQ(w.profile->ConfigShortPause, 90);
  EXPECT_EQ(w.profile->ConfigLongPause, 150);
  EXPECT_FALSE(w.profile->ConfigShowInSysTray);
  EXPECT_TRUE(w.profile->ConfigLongPauseBlock);
  EXPECT_EQ(w.profile->ConfigWarningsoundfile, "");
  EXPECT_EQ(w.Entry("qkkt"), "qkkt0451230001" "2>45001");
  EXPECT_EQ(w.Entry("immh"), "immh0000010002" "-1>0");
  EXPECT_TRUE(reply("userdata=ConfigLevel=241\r\nConfigLevel=5\r\n"));
  EXPECT_EQ(w.profile->ConfigLevel, 12);

  // NO_DATA_FOUND anywhere: logged in with the values kept.
  d.LoggedIn = false;
  EXPECT_TRUE(reply("userdata=ConfigLevel=30 NO_DATA_FOUND"));
  EXPECT_TRUE(d.LoggedIn);
  EXPECT_EQ(w.profile->ConfigLevel, 12);
}

TEST(NetworkProfile, RequestTextsAreSentByteForByte) {
  TNetWorld w;
  w.profile->LoadProfile();
  ASSERT_TRUE(w.profile->LoggedIn);
  w.profile->ConfigLevel = 200;
  w.profile->ConfigWarningsoundfile = "C:\\gong.wav";
  w.profile->ConfigShortPauseBlock = true;
  w.profile->UpdateEntry("qkkt", 1, 45001.75);
  w.profile->SaveProfile();
  EXPECT_FALSE(w.profile->LoggedIn);
  ASSERT_EQ(w.library.Posted.size(), 2u);
  EXPECT_EQ(w.library.Posted[0], "command=getuserdata\r\nusername=Anna\r\n");
  std::string history; // in the history's (shuffled) order
  for (const std::string &entry : w.profile->MessageHistory)
    history += entry[0] == 'q' ? "t1230001=1>45001\r\n" : "h0010002=-1>0\r\n";
  EXPECT_EQ(w.library.Posted[1],
            "command=putuserdata\r\nusername=Anna\r\nConfigLevel=200\r\nConfigLevelBase=15\r\n"
            "ConfigWarningtype=1\r\nConfigWarningsoundfile=C:\\gong.wav\r\nConfigShowInSysTray=1\r\n"
            "ConfigShortPause=60\r\nConfigShortPauseBlock=1\r\nConfigLongPause=60\r\n"
            "ConfigLongPauseBlock=0\r\n" +
                history);
  EXPECT_EQ(w.library.OpenedAddress, "10.0.0.5");
  EXPECT_EQ(w.library.OpenedPort, 1684);
  EXPECT_EQ(w.library.Unloads, 2);
}

// A check-out names the days the file has and brings the ones it lacks; the
// file's own days stay. The check-in carries the days the server lacks and
// today's, which changes.
TEST(NetworkProfile, TheServersDaysFillTheFileAndTheCheckInCarriesTheRest) {
  TNetWorld w(true);
  const int32_t today = static_cast<int32_t>(DatePart(w.world.clock.Now()));
  auto day = [](int32_t date, int32_t worked) {
    TDayRecord record;
    record.Date = date;
    record.Worked = worked;
    return record;
  };
  auto line = [](const TDayRecord &record) { return "DayRecord=" + DayRecordFieldsText(record) + "\r\n"; };
  const std::string file = DayHistoryFile(w.world.IniPath, "Anna");
  ASSERT_TRUE(WriteDayHistory(w.world.fs, file, day(today - 3, 1)));
  ASSERT_TRUE(WriteDayHistory(w.world.fs, file, day(today, 5)));
  w.LoginReply = "userdata=ConfigLevel=30\r\n" + line(day(today - 2, 2)) + line(day(today - 1, 3)) +
                 line(day(today, 99)) + "StoredDays=" + DaySpansText({{today - 2, today}}) + "\r\n";
  w.profile->LoadProfile();
  ASSERT_TRUE(w.profile->LoggedIn);
  EXPECT_EQ(w.profile->ConfigLevel, 30);
  ASSERT_EQ(w.library.Posted.size(), 1u);
  EXPECT_EQ(w.library.Posted[0], "command=getuserdata\r\nusername=Anna\r\nKnownDays=" +
                                     DaySpansText({{today - 3, today - 3}, {today, today}}) + "\r\n");
  EXPECT_EQ(ReadDayHistory(w.world.fs, file).Days,
            (std::vector<TDayRecord>{day(today - 3, 1), day(today - 2, 2), day(today - 1, 3), day(today, 5)}));

  w.profile->SaveProfile();
  ASSERT_EQ(w.library.Posted.size(), 2u);
  const std::string &checkIn = w.library.Posted[1];
  EXPECT_EQ(checkIn.substr(checkIn.find("DayRecord=")), line(day(today, 5)) + line(day(today - 3, 1)));
  EXPECT_FALSE(w.profile->ServerDays()); // logged out

  // A server that names no dates keeps no days: none are sent to it.
  w.LoginReply = "userdata=ConfigLevel=30\r\n";
  w.profile->LoadProfile();
  w.profile->SaveProfile();
  ASSERT_EQ(w.library.Posted.size(), 4u);
  EXPECT_EQ(w.library.Posted[3].find("DayRecord="), std::string::npos);
}

TEST(NetworkProfile, ConfiguredOrNotAutoOrManualAndTheStartUpPhase) {
  TNetWorld w;
  int made = 0, shown = 0;
  std::function<void(TClientDialog &)> act;
  w.net.OnDialogMade = [&](TClientDialog &d) {
    ++made;
    d.OnShow = [&](TComponent &) { ++shown; };
    if (act)
      w.app.Post([&d, &act] { act(d); });
  };

  // Auto connect: logs in at once, the configuration tab locked.
  EXPECT_TRUE(w.net.NetLogin(*w.profile, false));
  EXPECT_FALSE(w.context.Dialogs.NetworkDialog);
  EXPECT_EQ(w.library.Posted.size(), 1u);

  // Manual connect: waits for the user; Cancel logs nobody in.
  w.profile->ConnectionType = "manual connect";
  act = [](TClientDialog &d) { d.CancelBtnClick(); };
  EXPECT_FALSE(w.net.NetLogin(*w.profile, false));
  EXPECT_EQ(w.library.Posted.size(), 1u);
  act = [](TClientDialog &d) { EXPECT_TRUE(d.LoginBtn.Click()); };
  EXPECT_TRUE(w.net.NetLogin(*w.profile, false));
  EXPECT_EQ(w.library.Posted.size(), 2u);
  // Enter with Shift does nothing; Enter alone logs in.
  act = [](TClientDialog &d) {
    d.FormKeyUp(13, {true, false, false});
    EXPECT_FALSE(d.Busy());
    d.FormKeyUp(13, {});
  };
  EXPECT_TRUE(w.net.NetLogin(*w.profile, false));
  EXPECT_EQ(w.library.Posted.size(), 3u);

  // The Network button opens the configuration, where a new server and
  // type are written back; a port text that is not a number keeps the port.
  act = [](TClientDialog &d) {
    EXPECT_EQ(d.PageCtrl.ActivePageIndex(), 1);
    EXPECT_FALSE(d.LoginBtn.Click()); // on the hidden Network tab
    d.ServerHostEdit.SetText("profiles.local");
    d.ServerPortEdit.SetText("abc");
    d.ServerConnectionTypeAutoRBtn.Click();
    d.Close();
  };
  EXPECT_FALSE(w.net.NetLogin(*w.profile, true));
  EXPECT_EQ(w.profile->ServerHost, "profiles.local");
  EXPECT_EQ(w.profile->ServerPort, 1684);
  EXPECT_EQ(w.profile->ConnectionType, "auto connect");

  // Without a server: nothing asked during start-up; afterwards the
  // configuration, whose Network tab cannot be reached.
  w.profile->ServerAddress = w.profile->ServerHost = "";
  w.startUp = true;
  act = nullptr;
  shown = 0;
  EXPECT_FALSE(w.net.NetLogin(*w.profile, false));
  EXPECT_EQ(shown, 0);
  w.startUp = false;
  act = [](TClientDialog &d) {
    EXPECT_TRUE(d.Visible());
    d.PageCtrl.SetActivePageIndex(0);
    EXPECT_EQ(d.PageCtrl.ActivePageIndex(), 1);
    d.ServerAddressEdit.SetText("10.0.0.9");
    d.PageCtrl.SetActivePageIndex(0);
    EXPECT_EQ(d.PageCtrl.ActivePageIndex(), 0);
    d.FormKeyUp(27, {});
  };
  EXPECT_FALSE(w.net.NetLogin(*w.profile, false));
  EXPECT_EQ(w.profile->ServerAddress, "10.0.0.9");

  // "Default User" and an empty name: no dialog on screen, no login.
  act = nullptr;
  w.profile->ServerHost = "profiles.local";
  for (const char *name : {kDefaultUserName, ""}) {
    w.profile->UserName = name;
    made = shown = 0;
    EXPECT_FALSE(w.net.NetLogin(*w.profile, false));
    EXPECT_EQ(made, 1);
    EXPECT_EQ(shown, 0);
  }
  EXPECT_EQ(w.library.Loads, 3);
}

TEST(NetworkProfile, AComputerNotEnrolledAsksForTheCodeAndSendsItWithOneLoginOnly) {
  TNetWorld w;
  bool enrolled = false;
  w.library.Server = [&](const std::string &request) {
    if (request.rfind("command=putuserdata", 0) == 0)
      return w.LogoutReply;
    std::string text = request;
    const std::string code = TakeEnrolmentCode(text);
    if (code == "ABCDEFGH23")
      enrolled = true;
    else if (!code.empty())
      return ErrorReply(kCodeUsedReason);
    return enrolled ? w.LoginReply : ErrorReply(kNotEnrolledReason);
  };
  std::function<void(TClientDialog &)> act;
  w.net.OnDialogMade = [&](TClientDialog &d) {
    EXPECT_FALSE(d.AsksForCode());
    if (act)
      w.app.Post([&d, &act] { act(d); });
  };
  // Auto connect: the dialog stays for the code the server asks for.
  act = [&](TClientDialog &d) {
    ASSERT_TRUE(d.AsksForCode());
    EXPECT_EQ(d.StatusLbl.Caption(), kEnterCodeText.English);
    EXPECT_TRUE(d.EnrolmentCodeEdit.Focused());
    EXPECT_EQ(AccessibleNameOf(d.EnrolmentCodeEdit), "Enrolment code");
    // A text that is not a code is refused without asking the server.
    EXPECT_TRUE(d.EnrolmentCodeEdit.Type("abc"));
    d.FormKeyUp(13, {});
    EXPECT_EQ(w.library.Posted.size(), 1u);
    EXPECT_EQ(d.StatusLbl.Caption(), kCodeMalformedText.English);
    d.EnrolmentCodeEdit.SetText("zzzzz-22222");
    d.FormKeyUp(13, {});
    EXPECT_EQ(d.StatusLbl.Caption(), kCodeUsedText.English);
    EXPECT_TRUE(d.Visible());
    d.EnrolmentCodeEdit.SetText("abcde fgh23");
    EXPECT_TRUE(d.LoginBtn.Click());
  };
  EXPECT_TRUE(w.net.NetLogin(*w.profile, false));
  ASSERT_EQ(w.library.Posted.size(), 3u);
  EXPECT_EQ(w.library.Posted[0], BuildLoginRequest("Anna"));
  EXPECT_EQ(w.library.Posted[1], BuildLoginRequest("Anna", "ZZZZZ22222"));
  EXPECT_EQ(w.library.Posted[2], BuildLoginRequest("Anna", "ABCDEFGH23"));
  // In the user's language: the field's label and what the dialog says.
  TDatabaseSource source;
  std::string error, language = w.world.scratch.Path("Movaro.lng");
  ASSERT_TRUE(ParseTableSource("table Contents\ncolumn iCountry integer7\ncolumn sCountry text width=128\n"
                               "column sLanguage text width=10\nrow 49 German Deutsch\n"
                               "table \"MainForm (German)\"\ncolumn Tag integer7\ncolumn Caption text width=255\n"
                               "column Hint text width=255\nrow 115 \"Freischaltcode\" \"\"\n"
                               "row 116 \"Code eingeben\" \"\"\n",
                               source, error))
      << error;
  ASSERT_TRUE(WriteStrovdex(w.world.fs, source, language, "", error)) << error;
  w.context.Translator.LanguageNumber = 49;
  TClientDialogEnv german{w.context, w.library, nullptr, &language, [](uint32_t) {}, {}};
  {
    TNetworkProfile net(w.app, german);
    net.OnDialogMade = [&](TClientDialog &d) {
      w.app.Post([&d] {
        EXPECT_EQ(d.EnrolmentCodeLbl.Caption(), "Freischaltcode");
        EXPECT_EQ(d.StatusLbl.Caption(), "Code eingeben");
        d.CancelBtnClick();
      });
    };
    enrolled = false;
    EXPECT_FALSE(net.NetLogin(*w.profile, false));
  }
  enrolled = true;
  ASSERT_EQ(w.library.Posted.size(), 4u);
  w.library.Posted.clear();

  // Enrolled: the next login asks nothing and sends no code.
  act = nullptr;
  EXPECT_TRUE(w.net.NetLogin(*w.profile, false));
  ASSERT_EQ(w.library.Posted.size(), 1u);
  EXPECT_EQ(w.library.Posted[0], BuildLoginRequest("Anna"));
  // Any other refusal closes the dialog as before, and so does a refused
  // check-in (its data stays in the file).
  w.LoginReply = ErrorReply("access denied: this token has been revoked");
  EXPECT_FALSE(w.net.NetLogin(*w.profile, false));
  w.LogoutReply = ErrorReply(kNotEnrolledReason);
  bool saved = true;
  EXPECT_FALSE(w.net.NetLogout(*w.profile, saved));
  EXPECT_FALSE(saved);
  EXPECT_EQ(w.library.Posted.size(), 3u);
}

TEST(ClientDialog, ConnectionWaitFailuresCancelAndCloseEndWithTheLibraryUnloaded) {
  TNetWorld w;
  TClientDialogEnv env{w.context, w.library, nullptr, nullptr,
                       [&](uint32_t ms) { w.app.AdvanceTime(ms); }, {}};
  struct TOutcome {
    std::string Status;
    bool Closed;
    uint64_t Elapsed;
    int Progress;
  };
  auto attempt = [&](const std::function<void(TClientDialog &)> &setup) {
    TClientDialog d(w.app, env, *w.profile);
    d.FillFields();
    setup(d);
    d.Show();
    const uint64_t start = w.app.TickCount();
    d.DoLogin();
    const uint64_t elapsed = w.app.TickCount() - start;
    w.app.ProcessMessages();
    EXPECT_FALSE(w.library.Loaded());
    return TOutcome{d.StatusLbl.Caption(), !d.Visible(), elapsed, d.ProgressBar.Progress()};
  };
  auto nothing = [](TClientDialog &) {};

  // No connection within 15 seconds: the bar ran up, then "Unable to connect!".
  w.library.ConnectAfterCalls = -1;
  TOutcome o = attempt(nothing);
  EXPECT_EQ(o.Status, kUnableToConnectText);
  EXPECT_TRUE(o.Closed);
  EXPECT_GE(o.Elapsed, kConnectTimeoutMs);
  EXPECT_LT(o.Elapsed, kConnectTimeoutMs + 1000);
  EXPECT_GE(o.Progress, 95);
  // Cancel, and a close request (the window's close box), end the wait at
  // once without a failure and without hanging.
  o = attempt([&](TClientDialog &d) { w.app.Post([&d] { d.CancelBtnClick(); }); });
  EXPECT_EQ(o.Status, "");
  EXPECT_TRUE(o.Closed);
  EXPECT_LT(o.Elapsed, 1000u);
  o = attempt([&](TClientDialog &d) { w.app.PostCloseRequest(d); });
  EXPECT_TRUE(o.Closed);
  EXPECT_LT(o.Elapsed, 1000u);
  EXPECT_TRUE(w.library.Posted.empty());

  // The library missing, without its entry points, refusing to open; and no
  // server: each "Unable to connect!".
  w.library.ConnectAfterCalls = 2;
  const std::pair<bool THeadlessNetClientLibrary::*, int> faults[] = {
      {&THeadlessNetClientLibrary::FilePresent, 0},
      {&THeadlessNetClientLibrary::EntryPointsFound, 1},
      {&THeadlessNetClientLibrary::OpenAccepts, 1}};
  for (auto [fault, loads] : faults) {
    const int before = w.library.Loads;
    w.library.*fault = false;
    EXPECT_EQ(attempt(nothing).Status, kUnableToConnectText);
    EXPECT_EQ(w.library.Loads - before, loads);
    w.library.*fault = true;
  }
  EXPECT_EQ(attempt([](TClientDialog &d) { d.ServerAddressEdit.SetText(""); }).Status,
            kUnableToConnectText);
  EXPECT_TRUE(w.library.Posted.empty());

  // A port text that is not a number reaches the library as 0.
  o = attempt([](TClientDialog &d) { d.ServerPortEdit.SetText("abc"); });
  EXPECT_EQ(w.library.OpenedPort, 0);
  EXPECT_EQ(o.Status, kLoggedInText);
}

TEST(NetworkProfile, UnconfirmedCheckInStaysInTheFileAndWinsAtTheNextLogin) {
  TNetWorld w;
  w.LoginReply = "userdata=ConfigLevel=40\r\nt1230001=0>45000\r\n";
  w.profile->LoadProfile();
  ASSERT_TRUE(w.profile->LoggedIn);
  EXPECT_EQ(w.profile->ConfigLevel, 40);

  // The day's changes; the server refuses the check-in.
  w.profile->ConfigLevel = 77;
  w.profile->UpdateEntry("qkkt", 3, 46000.5);
  w.LogoutReply = "Status=Error: the database is read-only";
  std::string status;
  w.net.OnDialogMade = [&](TClientDialog &d) {
    d.OnHide = [&](TComponent &) { status = d.StatusLbl.Caption(); };
  };
  w.profile->SaveProfile();
  EXPECT_FALSE(w.profile->LoggedIn);
  EXPECT_EQ(status, "Error: the database is read-only"); // not "You are logged out!"
  std::string text;
  w.world.ini.ReadString(w.world.IniPath, "Anna.Data", "ConfigLevel", "", text);
  EXPECT_EQ(text, "77");
  w.world.ini.ReadString(w.world.IniPath, "Anna.Data", "t1230001", "", text);
  EXPECT_EQ(text, "3>46000");
  w.world.ini.ReadString(w.world.IniPath, "Anna.Data", kServerSavePendingKey, "", text);
  EXPECT_EQ(text, "1");

  // The next login brings the server's old values; the file's newer ones
  // stay, and go to the server at the next logout, which it confirms.
  w.LogoutReply = kSavedReply;
  w.profile->LoadProfile();
  ASSERT_TRUE(w.profile->LoggedIn);
  EXPECT_EQ(w.profile->ConfigLevel, 77);
  EXPECT_EQ(w.Entry("qkkt"), "qkkt0451230001" "3>46000");
  w.profile->SaveProfile();
  EXPECT_EQ(status, kLoggedOutText);
  EXPECT_NE(w.library.Posted.back().find("ConfigLevel=77\r\n"), std::string::npos);
  w.world.ini.ReadString(w.world.IniPath, "Anna.Data", kServerSavePendingKey, "", text);
  EXPECT_EQ(text, "0");
}

// The full-screen wait is this computer's own: logged in, the setup page's
// change goes to the file, the server never hears of it, and the next login
// brings it back from the file.
TEST(NetworkProfile, ASettingTheServerDoesNotKeepStaysInTheFileWhileLoggedIn) {
  TNetWorld w;
  w.LoginReply = "userdata=ConfigLevel=40\r\n";
  w.profile->LoadProfile();
  ASSERT_TRUE(w.profile->LoggedIn);
  w.profile->ConfigFullScreenWait = 45;
  w.profile->ConfigLevel = 60;
  w.profile->StoreSettings();
  std::string text;
  w.world.ini.ReadString(w.world.IniPath, "Anna.Data", "ConfigFullScreenWait", "", text);
  EXPECT_EQ(text, "45");
  w.world.ini.ReadString(w.world.IniPath, "Anna.Data", "ConfigLevel", "none", text);
  EXPECT_EQ(text, "none"); // the server's settings wait for the logout

  w.LogoutReply = kSavedReply;
  w.profile->SaveProfile();
  EXPECT_NE(w.library.Posted.back().find("ConfigLevel=60\r\n"), std::string::npos);
  EXPECT_EQ(w.library.Posted.back().find("ConfigFullScreenWait"), std::string::npos);
  w.profile->LoadProfile();
  ASSERT_TRUE(w.profile->LoggedIn);
  EXPECT_EQ(w.profile->ConfigFullScreenWait, 45);
  EXPECT_EQ(w.profile->ConfigLevel, 40);
}
