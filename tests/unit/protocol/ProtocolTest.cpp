#include "protocol/HttpExchange.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"
#include "protocol/ServerAddress.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ProtocolRequests, TextsByteForByteAndParsedBack) {
  EXPECT_EQ(BuildLoginRequest("Anna"), "command=getuserdata\r\nusername=Anna\r\n");

  TUserDataSettings settings;
  settings.ConfigLevel = 200;
  settings.ConfigWarningsoundfile = "C:\\Sounds\\gong.wav";
  settings.ConfigShortPauseBlock = true;
  settings.ConfigLongPause = 90;
  std::vector<std::string> entries = {"qkkx0451230001-1>0", "immh0000010002" "1>45123",
                                      "wggt0120040010" "x>y"};
  std::vector<THistoryLine> history;
  for (const std::string &entry : entries)
    history.push_back(HistoryLineOfEntry(entry));
  const std::string logout = BuildLogoutRequest("Anna", settings, history);
  EXPECT_EQ(logout, "command=putuserdata\r\nusername=Anna\r\n"
                    "ConfigLevel=200\r\nConfigLevelBase=15\r\nConfigWarningtype=1\r\n"
                    "ConfigWarningsoundfile=C:\\Sounds\\gong.wav\r\nConfigShowInSysTray=1\r\n"
                    "ConfigShortPause=60\r\nConfigShortPauseBlock=1\r\nConfigLongPause=90\r\n"
                    "ConfigLongPauseBlock=0\r\n"
                    "x1230001=-1>0\r\nh0010002=1>45123\r\nt0040010=-1>-1\r\n");

  TRequest request;
  std::string reason;
  ASSERT_TRUE(ParseRequest(logout, request, reason)) << reason;
  EXPECT_EQ(request.Command, TRequestCommand::PutUserData);
  EXPECT_EQ(request.UserName, "Anna");
  TUserDataRecord record = ReadUserDataLines(request.UserData);
  EXPECT_EQ(record.ConfigLongPause, 90);
  EXPECT_EQ(record.ConfigWarningsoundfile, "C:\\Sounds\\gong.wav");
  ASSERT_EQ(record.History.size(), 3u);
  EXPECT_TRUE(record.Refused.empty());
  EXPECT_EQ(FormatUserDataLines(record), FormatUserDataLines(settings, history));

  ASSERT_TRUE(ParseRequest("COMMAND=GetUserData\nUserName=J\xFCrgen", request, reason));
  EXPECT_EQ(request.UserName, "J\xFCrgen");
  EXPECT_EQ(request.Command, TRequestCommand::GetUserData);
  for (const char *bad : {"", "username=a\r\ncommand=getuserdata\r\n", "command=deleteuser\r\nusername=a\r\n",
                          "command=getuserdata\r\n", "command=getuserdata\r\nusername=\r\n",
                          "command=getuserdata\r\nusername=a\tb\r\n",
                          "command=getuserdata\r\nusername=a'; DROP TABLE users;--\r\n"}) {
    reason.clear();
    EXPECT_FALSE(ParseRequest(bad, request, reason)) << bad;
    EXPECT_FALSE(reason.empty());
  }
}

TEST(ProtocolRequests, UserNamesPrintableBoundedWithoutSeparators) {
  for (const std::string &good : std::vector<std::string>{"a", "Anna Meier", "J\xFCrgen", "anna.meier-2", "o_brien@lab", std::string(64, 'x')})
    EXPECT_TRUE(IsValidUserName(good)) << good;
  for (const std::string &bad : std::vector<std::string>{"", std::string(65, 'x'), " anna", "anna ", "an\x7Fna", "an\x1Bna", "a\"b", "a'b", "a`b",
                                "a\\b", "a/b", "a:b", "a;b", "a,b", "a=b", "a|b", "a<b", "a>b", "a*b", "a?b", "a[b", "a]b"})
    EXPECT_FALSE(IsValidUserName(bad)) << bad;
}

TEST(ProtocolHttp, EnrolmentCodesTypedAnyWayReadInOneForm) {
  EXPECT_EQ(NormalizedEnrolmentCode("abcde-fgh23"), "ABCDEFGH23");
  EXPECT_EQ(NormalizedEnrolmentCode(" ZZZZZ 99999 "), "ZZZZZ99999");
  for (const char *bad : {"", "ABCDEFGH2", "ABCDEFGH234", "ABCDEFGH2O", "ABCDEFGH21", "ABCDE_GH23", "ABCDEFGHI3"})
    EXPECT_EQ(NormalizedEnrolmentCode(bad), "") << bad;
}

TEST(ProtocolRequests, AnEnrolmentCodeLineIsTakenOutOfACheckOutOnly) {
  std::string text = BuildLoginRequest("Anna", "ABCDEFGH23");
  EXPECT_EQ(text, "command=getuserdata\r\nusername=Anna\r\nenrolmentcode=ABCDEFGH23\r\n");
  EXPECT_EQ(TakeEnrolmentCode(text), "ABCDEFGH23");
  EXPECT_EQ(text, BuildLoginRequest("Anna"));
  EXPECT_EQ(TakeEnrolmentCode(text), "");
  // Only the line right after the user name is one, whatever its case.
  for (std::string other : {std::string("command=putuserdata\r\nusername=A\r\nConfigLevel=3\r\nenrolmentcode=X\r\n"),
                            std::string("command=getuserdata\nenrolmentcode=X\n"), std::string("enrolmentcode=X")}) {
    const std::string before = other;
    EXPECT_EQ(TakeEnrolmentCode(other), "") << before;
    EXPECT_EQ(other, before);
  }
  text = "command=getuserdata\nusername=A\nEnrolmentCode=abcde-fgh23";
  EXPECT_EQ(TakeEnrolmentCode(text), "abcde-fgh23");
  EXPECT_EQ(text, "command=getuserdata\nusername=A\n");
  text = "command=getuserdata\nusername=A\nenrolmentcode=X1\nConfigLevel=3\n"; // lines after the code stay
  EXPECT_EQ(TakeEnrolmentCode(text), "X1");
  EXPECT_EQ(text, "command=getuserdata\nusername=A\nConfigLevel=3\n");
}

TEST(ProtocolUserData, EveryValueCheckedRefusedNeverApplied) {
  TUserDataRecord record = ReadUserDataLines(
      "configlevel=0\r\nConfigLevel=100\r\nConfigWarningtype=3\r\nConfigShortPause=29\r\n"
      "ConfigLongPause=180\r\nConfigShowInSysTray=yes\r\nConfigShortPauseBlock=1\r\n"
      "ConfigWarningsoundfile=NO_DATA_FOUND.wav\r\nx1230001=10>5\r\nx1230002=1>\r\n"
      "x1230003=0>45000\r\nX1230003=1>45001\r\nNotAKey=1\r\nno equals sign\r\n\r\n");
  EXPECT_FALSE(record.ConfigLevel); // the first line of a key counts, even when refused
  EXPECT_FALSE(record.ConfigWarningtype);
  EXPECT_FALSE(record.ConfigShortPause);
  EXPECT_EQ(record.ConfigLongPause, 180);
  EXPECT_FALSE(record.ConfigShowInSysTray);
  EXPECT_EQ(record.ConfigShortPauseBlock, true);
  EXPECT_FALSE(record.ConfigWarningsoundfile);
  ASSERT_EQ(record.History.size(), 1u);
  EXPECT_EQ(record.History[0].Key, "x1230003");
  EXPECT_EQ(record.History[0].Day, 45000);
  std::vector<std::string> refused;
  for (const TRefusedLine &line : record.Refused)
    refused.push_back(line.Key);
  EXPECT_EQ(refused, (std::vector<std::string>{"configlevel", "ConfigLevel", "ConfigWarningtype",
                                               "ConfigShortPause", "ConfigShowInSysTray",
                                               "ConfigWarningsoundfile", "x1230001", "x1230002",
                                               "X1230003", "NotAKey"}));
}

TEST(ProtocolUserData, ASoundFileNameOfUpTo255CharactersIsTaken) {
  const std::string name = "C:\\" + std::string(248, 'a') + ".wav";
  ASSERT_EQ(name.size(), 255u);
  TUserDataRecord record = ReadUserDataLines("ConfigWarningsoundfile=" + name + "\r\n");
  EXPECT_EQ(record.ConfigWarningsoundfile, name);
  EXPECT_TRUE(record.Refused.empty());
  record = ReadUserDataLines("ConfigWarningsoundfile=a" + name + "\r\n");
  EXPECT_FALSE(record.ConfigWarningsoundfile);
  EXPECT_EQ(record.Refused.size(), 1u);
}

TEST(ProtocolUserData, ReplyAppliedToTheProgramsValues) {
  TUserDataSettings settings;
  settings.ConfigWarningsoundfile = "Gong";
  settings.ConfigShortPauseBlock = true;
  std::vector<std::string> history = {"qkkx0451230001" "1>40000", "immh0000010002" "0>41000",
                                      "immh0000010003" "1>42000", "short"};
  // Keys and setting names without regard to case; numbers out of range,
  // a history value that is not one, and a missing line each as documented.
  ApplyUserDataLines("CONFIGLEVEL=240\r\nConfigLevelBase=99\r\nConfigWarningtype=-1\r\n"
                     "ConfigShortPause=abc\r\nConfigLongPause=120\r\nConfigShowInSysTray=0\r\n"
                     "configlongpauseblock=1\r\nX1230001=3>45000\r\nh0010002=oops\r\n",
                     settings, history);
  EXPECT_EQ(settings.ConfigLevel, 240);
  EXPECT_EQ(settings.ConfigLevelBase, 15); // never read
  EXPECT_EQ(settings.ConfigWarningtype, 1);
  EXPECT_EQ(settings.ConfigShortPause, 60);
  EXPECT_EQ(settings.ConfigLongPause, 120);
  EXPECT_EQ(settings.ConfigWarningsoundfile, ""); // missing: empty
  EXPECT_FALSE(settings.ConfigShowInSysTray);
  EXPECT_FALSE(settings.ConfigShortPauseBlock); // missing: off
  EXPECT_TRUE(settings.ConfigLongPauseBlock);
  EXPECT_EQ(history, (std::vector<std::string>{"qkkx0451230001" "3>45000", "immh0000010002" "0>41000",
                                               "immh0000010003" "-1>0", "short"}));

  settings.ConfigWarningsoundfile = "Bell";
  ApplyUserDataLines("ConfigLevel=437\r\nConfigWarningsoundfile=a\x01z\r\nConfigShowInSysTray=01\r\n"
                     "x1230001=\r\nh0010002=\r\nH0010002=2>43000\r\n",
                     settings, history);
  EXPECT_EQ(settings.ConfigLevel, 240); // not its low eight bits (181)
  EXPECT_EQ(settings.ConfigWarningsoundfile, "Bell");
  EXPECT_FALSE(settings.ConfigShowInSysTray); // on is exactly "1"
  // An empty value resets the entry; the first line of a key counts.
  EXPECT_EQ(history[0], "qkkx0451230001" "-1>0");
  EXPECT_EQ(history[1], "immh0000010002" "-1>0");
}

TEST(ProtocolReplies, ClassifiedInOrderCaseSensitive) {
  EXPECT_EQ(ClassifyReply("Status=Error: access denied"), TReplyKind::Error);
  EXPECT_EQ(ClassifyReply("Status=ErrorX"), TReplyKind::Error);
  EXPECT_EQ(ClassifyReply(kSavedReply), TReplyKind::Status);
  EXPECT_EQ(ClassifyReply("status=Error"), TReplyKind::Other);
  EXPECT_EQ(ClassifyReply(" userdata=x"), TReplyKind::Other);
  EXPECT_EQ(ClassifyReply("userdata=NO_DATA_FOUND"), TReplyKind::NoData);
  EXPECT_EQ(ClassifyReply("userdata=ConfigLevel=5\r\nx=NO_DATA_FOUND"), TReplyKind::NoData);
  EXPECT_EQ(ClassifyReply("userdata=ConfigLevel=5"), TReplyKind::UserData);
  EXPECT_EQ(ReplyText(ErrorReply("no: reason")), "Error: no: reason");
  EXPECT_EQ(ReplyText("userdata=ConfigLevel=5"), "ConfigLevel=5");
  EXPECT_EQ(UserDataReply(TUserDataRecord()), "userdata=NO_DATA_FOUND");
}

THttpResponseReader::TState FeedBytewise(THttpResponseReader &reader, const std::string &bytes) {
  for (char c : bytes)
    reader.Feed(&c, 1);
  return reader.State();
}

TEST(ProtocolHttp, ResponsesFramedByLengthChunksOrEnd) {
  using TState = THttpResponseReader::TState;
  EXPECT_EQ(BuildRequestMessage("srv:1684", "tok", "command=x\r\n"),
            "POST /movaro/request HTTP/1.1\r\nHost: srv:1684\r\nAuthorization: Bearer tok\r\n"
            "Content-Type: text/plain\r\nContent-Length: 11\r\nConnection: keep-alive\r\n\r\ncommand=x\r\n");
  EXPECT_EQ(BuildRequestMessage("a\r\nX: y", "", "").find("\r\nX:"), std::string::npos);
  EXPECT_NE(BuildRequestMessage("srv:1684", "tok", "", "ABCDE23456").find("\r\nMovaro-Enrolment-Code: ABCDE23456\r\n"),
            std::string::npos);

  THttpResponseReader sized;
  EXPECT_EQ(FeedBytewise(sized, "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n"
                                "hello"),
            TState::Complete);
  EXPECT_EQ(sized.Status(), 200);
  EXPECT_EQ(sized.Body(), "hello");
  EXPECT_TRUE(sized.KeepAlive());

  THttpResponseReader chunked;
  std::string bytes = "HTTP/1.1 403 Forbidden\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
                      "4;x=1\r\nStat\r\n3\r\nus=\r\n0\r\nTrailer: t\r\n\r\nextra";
  EXPECT_EQ(chunked.Feed(bytes.data(), bytes.size()), TState::Complete);
  EXPECT_EQ(chunked.Body(), "Status=");
  EXPECT_FALSE(chunked.KeepAlive());

  THttpResponseReader toEnd;
  EXPECT_EQ(FeedBytewise(toEnd, "HTTP/1.0 200 OK\nServer: old\n\nuserdata=NO_DATA_FOUND"), TState::Incomplete);
  EXPECT_EQ(toEnd.FinishAtEnd(), TState::Complete);
  EXPECT_EQ(toEnd.Body(), "userdata=NO_DATA_FOUND");

  for (const std::string bad :
       {"SMTP 220 ready\r\n\r\n", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n",
        "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\n",
        "HTTP/1.1 200 OK\r\nContent-Length: 2000000\r\n\r\n",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nabX"}) {
    THttpResponseReader reader;
    EXPECT_EQ(reader.Feed(bad.data(), bad.size()), TState::Malformed) << bad;
    EXPECT_FALSE(reader.Problem().empty());
  }
  THttpResponseReader cut;
  EXPECT_EQ(FeedBytewise(cut, "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nStat"), TState::Incomplete);
  EXPECT_EQ(cut.FinishAtEnd(), TState::Malformed);
  std::string endless(THttpResponseReader::kMaxHeadBytes + 10, 'a');
  THttpResponseReader longHead;
  EXPECT_EQ(longHead.Feed(endless.data(), endless.size()), TState::Malformed);
}

TEST(ProtocolServerAddress, SchemeChoosesTlsForEveryNameAndPinsAreNormalized) {
  TServerEndpoint plain = ServerEndpoint("profiles.lan", "10.0.0.5");
  EXPECT_EQ(plain.Names, (std::vector<std::string>{"profiles.lan", "10.0.0.5"}));
  EXPECT_FALSE(plain.Secure);
  TServerEndpoint secure = ServerEndpoint(" HTTPS://profiles.lan/ ", "http://profiles.lan");
  EXPECT_EQ(secure.Names, std::vector<std::string>{"profiles.lan"});
  EXPECT_TRUE(secure.Secure);
  TServerEndpoint hostOnly = ServerEndpoint("", "https://10.0.0.5");
  EXPECT_EQ(hostOnly.Names, std::vector<std::string>{"10.0.0.5"});
  EXPECT_TRUE(hostOnly.Secure);
  EXPECT_TRUE(ServerEndpoint("https://", "").Names.empty());

  const std::string digits(64, 'a');
  EXPECT_EQ(NormalizedCertificatePin(FingerprintText(std::string(62, 'a') + "0f")), std::string(62, 'a') + "0f");
  EXPECT_EQ(FingerprintText("ab0f"), "AB:0F");
  EXPECT_EQ(NormalizedCertificatePin("AA aa" + digits.substr(4)), digits);
  EXPECT_EQ(NormalizedCertificatePin(digits.substr(2)), "");  // too short
  EXPECT_EQ(NormalizedCertificatePin(digits + "aa"), "");     // too long
  EXPECT_EQ(NormalizedCertificatePin("sha256:" + digits), ""); // not a fingerprint
}

} // namespace

// Day records and sets of days read back what was written and refuse the
// rest.
TEST(ProtocolDays, RecordsAndSpansReadBackAndAnythingElseIsRefused) {
  TDayRecord day;
  day.Date = 46000;
  for (int i = 0; i < kDayRecordFieldCount; ++i)
    *DayRecordFields(day)[i] = i < kFirstPercentField ? 2000000000 + i : 100 - i;
  day.RiskIndex = -1;
  const std::string text = DayRecordFieldsText(day);
  TDayRecord back;
  ASSERT_TRUE(ParseDayRecordFieldsText(text, back)) << text;
  EXPECT_EQ(back, day);
  EXPECT_TRUE(ParseDayRecordFieldsText(text + ",5,later", back)); // a later version's figures
  const std::string date = text.substr(0, 10), figures = text.substr(10);
  for (const std::string &bad :
       {"2025-13-01" + figures, "2025-02-29" + figures, "0000-01-01" + figures, "+025-12-09" + figures,
        date + figures.substr(0, figures.rfind(',')), date + ",-1" + figures.substr(figures.find(',', 1)),
        date + ",2147483648" + figures.substr(figures.find(',', 1)), text.substr(0, text.size() - 2) + "-2",
        text.substr(0, text.size() - 2) + "+1", text.substr(0, text.size() - 2) + "101", text + "," + std::string(kMaxDayRecordTextLength, '1')})
    EXPECT_FALSE(ParseDayRecordFieldsText(bad, back)) << bad;

  const TDaySpans spans = DaySpansOf({46005, 46000, 46001, 46002, 46001, 46009});
  EXPECT_EQ(DaySpansText(spans), "2025-12-09..2025-12-11,2025-12-14,2025-12-18");
  TDaySpans read;
  ASSERT_TRUE(ParseDaySpans(DaySpansText(spans), read));
  EXPECT_EQ(read, spans);
  EXPECT_TRUE(InDaySpans(spans, 46001) && InDaySpans(spans, 46009) && !InDaySpans(spans, 46003) &&
              !InDaySpans(spans, 45999) && !InDaySpans(spans, 46010));
  for (const char *bad : {"2025-12-11,2025-12-09", "2025-12-09,2025-12-10", "2025-12-09..2025-12-09",
                          "2025-12-09..", "2025-12-09,", ",", "2025-12-32"})
    EXPECT_FALSE(ParseDaySpans(bad, read)) << bad;
  EXPECT_TRUE(ParseDaySpans("", read) && read.empty());

  TUserDataRecord record = ReadUserDataLines("DayRecord=" + text + "\r\ndayrecord=" + text + "\r\nKnownDays=" +
                                             DaySpansText(spans) + "\r\nStoredDays=x\r\nDayNotes=1\r\n");
  ASSERT_EQ(record.Days.size(), 1u);
  EXPECT_EQ(record.KnownDays, spans);
  EXPECT_FALSE(record.StoredDays);
  EXPECT_EQ(record.Refused.size(), 3u); // the day again, the bad set and the unknown key
}
