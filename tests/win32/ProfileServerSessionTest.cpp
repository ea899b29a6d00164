// MVRClient.dll against the real profile server on 127.0.0.1, which
// tests/win32/profile_server_session.sh starts (and stops on request) before
// it runs these tests:
//   MOVARO_PROFILE_SERVER_PORT     the server's port
//   MOVARO_PROFILE_SERVER_PIN      with HTTPS (ProfileServerTls): the SHA-256
//                                  fingerprint of the server's certificate
//   MOVARO_PROFILE_SERVER_CONTROL  a folder: the test creates "stop" in it and
//                                  the script answers with "stopped" once the
//                                  server has ended
//   MOVARO_PROFILE_SERVER_CODES    ProfileServerEnrolment: two enrolment codes
//                                  for "Wine Enrol", separated by a space
#include "netclient/MVRClient.h"
#include "netclient/UserToken.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct TDelivery {
  std::string Reply;
  DWORD Thread;
};
std::vector<TDelivery> g_deliveries;

BOOLEAN WINAPI OnReply(const char *reply) {
  g_deliveries.push_back({reply, GetCurrentThreadId()});
  return TRUE;
}

std::string Environment(const char *name) {
  const char *value = std::getenv(name);
  return value ? value : "";
}

bool FileExists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class ProfileServerSession : public ::testing::Test {
protected:
  void SetUp() override {
    Port = std::atoi(Environment("MOVARO_PROFILE_SERVER_PORT").c_str());
    if (Port == 0)
      GTEST_SKIP() << "run through tests/win32/profile_server_session.sh, which starts the server";
    Library = LoadLibraryA("MVRClient.dll");
    ASSERT_NE(Library, nullptr);
    Open = reinterpret_cast<TOpenMVRNetService>(reinterpret_cast<void *>(GetProcAddress(Library, "OpenMVRNetService")));
    IsConnected = reinterpret_cast<TConnected>(reinterpret_cast<void *>(GetProcAddress(Library, "Connected")));
    Send = reinterpret_cast<TPost>(reinterpret_cast<void *>(GetProcAddress(Library, "Post")));
    Close = reinterpret_cast<TCloseMVRNetService>(reinterpret_cast<void *>(GetProcAddress(Library, "CloseMVRNetService")));
    ASSERT_TRUE(Open && IsConnected && Send && Close);
    ServerKey = std::string(kTokenKey) + "\\127.0.0.1:" + std::to_string(Port);
    RegDeleteKeyA(HKEY_CURRENT_USER, ServerKey.c_str()); // tokens of an earlier run
    g_deliveries.clear();
  }
  void TearDown() override {
    if (Close)
      Close();
    if (Library)
      FreeLibrary(Library);
  }

  bool WaitConnected(DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (!IsConnected() && GetTickCount() - start < milliseconds)
      Sleep(50);
    return IsConnected();
  }

  // Posts request; the one reply the callback received on this thread before
  // Post returned.
  std::string PostForReply(const std::string &request, bool &answered) {
    g_deliveries.clear();
    answered = Send(request.c_str());
    EXPECT_EQ(g_deliveries.size(), 1u);
    if (g_deliveries.empty())
      return "";
    EXPECT_EQ(g_deliveries[0].Thread, GetCurrentThreadId());
    return g_deliveries[0].Reply;
  }

  std::string StoredToken(const std::string &user) {
    char value[256] = {};
    DWORD size = sizeof value - 1;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, ServerKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
      return "";
    RegQueryValueExA(key, user.c_str(), nullptr, nullptr, reinterpret_cast<BYTE *>(value), &size);
    RegCloseKey(key);
    return value;
  }
  void StoreToken(const std::string &user, const std::string &token) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, ServerKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, user.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(token.c_str()),
                   static_cast<DWORD>(token.size() + 1));
    RegCloseKey(key);
  }

  int Port = 0;
  std::string ServerKey;
  HMODULE Library = nullptr;
  TOpenMVRNetService Open = nullptr;
  TConnected IsConnected = nullptr;
  TPost Send = nullptr;
  TCloseMVRNetService Close = nullptr;
};

TEST_F(ProfileServerSession, LoginLogoutRoundTripWithTheUsersToken) {
  EXPECT_FALSE(Send(BuildLoginRequest("anna").c_str())); // nothing open
  EXPECT_TRUE(g_deliveries.empty());
  EXPECT_FALSE(Open("", "", Port, OnReply));
  EXPECT_FALSE(Open("127.0.0.1", "", 0, OnReply));
  EXPECT_FALSE(Open("127.0.0.1", "", Port, nullptr));

  ASSERT_TRUE(Open("127.0.0.1", "", Port, OnReply));
  ASSERT_TRUE(WaitConnected(15000));
  const std::string user = "Wine J\xFCrgen";
  bool answered = false;
  EXPECT_EQ(PostForReply(BuildLoginRequest(user), answered), "userdata=NO_DATA_FOUND");
  EXPECT_TRUE(answered);
  const std::string token = StoredToken(user);
  EXPECT_EQ(token.size(), 64u);

  TUserDataSettings saved;
  saved.ConfigLevel = 12;
  saved.ConfigWarningtype = 2;
  saved.ConfigWarningsoundfile = "C:\\Kl\xE4nge\\gong.wav";
  saved.ConfigLongPause = 150;
  saved.ConfigLongPauseBlock = true;
  std::vector<THistoryLine> history{{"x1230001", 1, 45001}, {"h0010002", 0, 45002}};
  EXPECT_EQ(PostForReply(BuildLogoutRequest(user, saved, history), answered), kSavedReply);
  EXPECT_TRUE(answered);

  // Checked out again, the reply brings back every value.
  std::string reply = PostForReply(BuildLoginRequest(user), answered);
  ASSERT_EQ(ClassifyReply(reply), TReplyKind::UserData) << reply;
  TUserDataSettings loaded;
  std::vector<std::string> entries{"qkkx0451230001-1>0", "immh0000010002-1>0"};
  ApplyUserDataLines(ReplyText(reply), loaded, entries);
  EXPECT_EQ(FormatUserDataLines(loaded, {}), FormatUserDataLines(saved, {}));
  EXPECT_EQ(entries, (std::vector<std::string>{"qkkx0451230001" "1>45001", "immh0000010002" "0>45002"}));

  // Another computer's token for the same user is refused, and the client
  // says so through the callback.
  StoreToken(user, std::string(64, 'f'));
  EXPECT_EQ(PostForReply(BuildLoginRequest(user), answered),
            "Status=Error: access denied: this user's profile belongs to another token");
  EXPECT_FALSE(answered);
  StoreToken(user, token);

  Close();
  EXPECT_FALSE(IsConnected());
  EXPECT_FALSE(Send(BuildLoginRequest(user).c_str()));
}

// Runs last: it stops the server.
TEST_F(ProfileServerSession, ServerStoppedMidSessionGivesAnErrorReplyNotAHang) {
  const std::string control = Environment("MOVARO_PROFILE_SERVER_CONTROL");
  ASSERT_FALSE(control.empty());
  ASSERT_TRUE(Open("", "127.0.0.1", Port, OnReply)); // by host this time
  ASSERT_TRUE(WaitConnected(15000));
  bool answered = false;
  EXPECT_EQ(PostForReply(BuildLoginRequest("bert"), answered), "userdata=NO_DATA_FOUND");
  // The server closes a connection idle for 5 s; the library connects again.
  Sleep(6000);
  EXPECT_TRUE(WaitConnected(15000));
  EXPECT_EQ(PostForReply(BuildLoginRequest("bert"), answered), "userdata=NO_DATA_FOUND");
  EXPECT_TRUE(answered);

  HANDLE stop = CreateFileA((control + "\\stop").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(stop, INVALID_HANDLE_VALUE);
  CloseHandle(stop);
  DWORD start = GetTickCount();
  while (!FileExists(control + "\\stopped") && GetTickCount() - start < 30000)
    Sleep(50);
  ASSERT_TRUE(FileExists(control + "\\stopped"));

  // Whether or not the library has noticed yet, the next request returns
  // with a reason.
  std::string reply = PostForReply(BuildLogoutRequest("bert", TUserDataSettings(), {}), answered);
  EXPECT_EQ(ClassifyReply(reply), TReplyKind::Error) << reply;
  EXPECT_FALSE(answered);
  EXPECT_FALSE(WaitConnected(2000));
}

// The server admits computers with enrolment codes only; the library sends a
// code given in the request text once, in its header.
class ProfileServerEnrolment : public ProfileServerSession {};

TEST_F(ProfileServerEnrolment, ACodeInTheTextEnrolsThisComputerOnceAndASecondOneNeedsItsOwn) {
  const std::string codes = Environment("MOVARO_PROFILE_SERVER_CODES");
  ASSERT_EQ(codes.size(), 23u) << codes;
  const std::string first = codes.substr(0, 11), second = codes.substr(12);
  ASSERT_TRUE(Open("127.0.0.1", "", Port, OnReply));
  ASSERT_TRUE(WaitConnected(15000));
  const std::string user = "Wine Enrol";
  bool answered = true;
  EXPECT_EQ(PostForReply(BuildLoginRequest(user), answered), ErrorReply(kNotEnrolledReason));
  EXPECT_FALSE(answered);
  EXPECT_EQ(PostForReply(BuildLoginRequest(user, first), answered), "userdata=NO_DATA_FOUND");
  EXPECT_TRUE(answered);
  // Enrolled: no code any more (the used one would be refused if it went).
  EXPECT_EQ(PostForReply(BuildLoginRequest(user), answered), "userdata=NO_DATA_FOUND");
  TUserDataSettings saved;
  saved.ConfigLevel = 33;
  TDayRecord day;
  day.Date = 46000;
  day.Worked = 3600;
  EXPECT_EQ(PostForReply(BuildLogoutRequest(user, saved, {}, {day}), answered), kSavedReply);

  // A second computer: a token of its own, which the used code cannot enrol.
  // It lacks the first one's day and is given it.
  const std::string token = StoredToken(user);
  StoreToken(user, std::string(64, 'e'));
  EXPECT_EQ(PostForReply(BuildLoginRequest(user, first), answered), ErrorReply(kCodeUsedReason));
  const TDaySpans none;
  std::string reply = PostForReply(BuildLoginRequest(user, second, &none), answered);
  EXPECT_TRUE(answered);
  TUserDataSettings loaded;
  std::vector<std::string> entries;
  const TUserDataRecord record = ApplyUserDataLines(ReplyText(reply), loaded, entries);
  EXPECT_EQ(loaded.ConfigLevel, 33) << reply;
  EXPECT_EQ(record.Days, std::vector<TDayRecord>{day}) << reply;
  EXPECT_EQ(record.StoredDays, (TDaySpans{{46000, 46000}})) << reply;
  StoreToken(user, token);
  EXPECT_EQ(ClassifyReply(PostForReply(BuildLoginRequest(user), answered)), TReplyKind::UserData);
}

// The server speaks HTTPS with a self-signed certificate made for the run.
class ProfileServerTls : public ProfileServerSession {
protected:
  void SetUp() override {
    ProfileServerSession::SetUp();
    PinKey = ServerKey;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, PinKey.c_str());
  }
  void TearDown() override {
    ProfileServerSession::TearDown();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, PinKey.c_str());
  }
  void Pin(const std::string &fingerprint) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, PinKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, kPinValue, 0, REG_SZ, reinterpret_cast<const BYTE *>(fingerprint.c_str()),
                   static_cast<DWORD>(fingerprint.size() + 1));
    RegCloseKey(key);
  }
  // The reply to a login over a new service to the server's https address.
  std::string LoginReply(bool &answered) {
    Close();
    EXPECT_TRUE(Open("https://127.0.0.1", "", Port, OnReply));
    EXPECT_TRUE(WaitConnected(15000));
    return PostForReply(BuildLoginRequest("tessa"), answered);
  }
  std::string PinKey;
};

// Nothing reaches the server until its certificate is accepted (the script
// counts the requests the server logged): the pinned one is, another one and
// one no authority signed are refused with the reason.
TEST_F(ProfileServerTls, PinnedCertificateAcceptedOthersRefusedBeforeAnyRequest) {
  const std::string fingerprint = Environment("MOVARO_PROFILE_SERVER_PIN");
  ASSERT_EQ(fingerprint.size(), 95u) << fingerprint; // AB:CD:... as openssl prints it
  bool answered = true;
  EXPECT_EQ(LoginReply(answered), "Status=Error: the profile server's certificate is not signed by an authority "
                                  "this computer trusts (pin its SHA-256 fingerprint to accept a certificate of "
                                  "your own)");
  EXPECT_FALSE(answered);
  Pin(std::string(64, 'a'));
  EXPECT_EQ(LoginReply(answered), "Status=Error: the profile server's certificate is not the pinned one (its "
                                  "SHA-256 fingerprint is " + fingerprint + ")");
  EXPECT_FALSE(answered);
  Pin("sha256 " + fingerprint);
  EXPECT_EQ(ClassifyReply(LoginReply(answered)), TReplyKind::Error);

  Pin(fingerprint);
  EXPECT_EQ(LoginReply(answered), "userdata=NO_DATA_FOUND");
  EXPECT_TRUE(answered);
  TUserDataSettings saved;
  saved.ConfigLevel = 77;
  EXPECT_EQ(PostForReply(BuildLogoutRequest("tessa", saved, {}), answered), kSavedReply);
  // The server closes the idle connection meanwhile (after sending its
  // session tickets); the library connects again.
  Sleep(6000);
  std::string reply = PostForReply(BuildLoginRequest("tessa"), answered);
  ASSERT_EQ(ClassifyReply(reply), TReplyKind::UserData) << reply;
  TUserDataSettings loaded;
  std::vector<std::string> entries;
  ApplyUserDataLines(ReplyText(reply), loaded, entries);
  EXPECT_EQ(loaded.ConfigLevel, 77);
}

} // namespace
