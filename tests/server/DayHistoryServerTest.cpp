// The day history on the profile server, on SQLite and on PostgreSQL: the
// day lines are checked, stored and given back to the computer that lacks
// them, an older client without them is answered as before, and a user's
// days are bounded, listed, exported and erased.
#include "ServerWorld.h"

#include "protocol/Replies.h"
#include "protocol/Requests.h"
#include "server/RequestHandler.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kDay = 46000; // 2025-12-09

class ServerDays : public ::testing::TestWithParam<std::string> {
protected:
  void SetUp() override { ASSERT_TRUE(World.Store); }
  TServerReply Ask(const std::string &body) {
    return AnswerRequest(*World.Store, "Bearer " + TokenOf('a'), "", body);
  }
  std::vector<TDayRecord> Stored(const std::string &user = "anna") {
    std::vector<TDayRecord> days;
    std::string error;
    EXPECT_TRUE(World.Store->ListDays(user, days, error)) << error;
    return days;
  }
  TStoreWorld World{GetParam()};
};

TDayRecord Day(int32_t date, int32_t worked) {
  TDayRecord day;
  day.Date = date;
  day.Worked = worked;
  day.Gauges[3] = 40;
  return day;
}

std::string DayLine(const std::string &value) { return std::string(kDayRecordKey) + "=" + value + "\r\n"; }

} // namespace

TEST_P(ServerDays, DayLinesCheckedStoredAndOnlyTheMissingOnesGivenBack) {
  const std::string head = "command=putuserdata\r\nusername=anna\r\nConfigLevel=90\r\n";
  const std::string good = DayRecordFieldsText(Day(kDay, 100)), later = DayRecordFieldsText(Day(kDay + 2, 300));
  auto withRisk = [](std::string text, const char *risk) { return text.replace(text.rfind(','), 3, risk); };
  const std::string refused[] = {
      "2026-02-30" + good.substr(10),                  // no such date
      "2025-12-1x" + good.substr(10),                  // not digits
      DayRecordFieldsText(Day(kDay + 5, 1)).replace(10, 2, ","), // a figure empty
      DayRecordFieldsText(Day(kDay + 6, 1)).substr(0, 30), // figures missing
      withRisk(good, ",101"),                          // past 100 per cent
      DayRecordFieldsText(Day(kDay + 7, 1)) + std::string(600, '0'), // too long
  };
  std::string body = head + DayLine(good) + DayLine(later);
  for (const std::string &value : refused)
    body += DayLine(value);
  TServerReply saved = Ask(body + DayLine(good));
  ASSERT_EQ(saved.Text, kSavedReply) << saved.Log;
  EXPECT_NE(saved.Log.find("refused DayRecord=2026-02-30"), std::string::npos) << saved.Log;
  EXPECT_NE(saved.Log.find("(a day given twice)"), std::string::npos) << saved.Log;
  EXPECT_EQ(Stored(), (std::vector<TDayRecord>{Day(kDay, 100), Day(kDay + 2, 300)}));

  // A computer that has the first day is given the other and every date.
  const TDaySpans first{{kDay, kDay}}, none;
  TServerReply out = Ask(BuildLoginRequest("anna", "", &first));
  EXPECT_EQ(out.Text, "userdata=ConfigLevel=90\r\n" + DayLine(later) + "StoredDays=2025-12-09,2025-12-11\r\n");
  TUserDataRecord reply = ReadUserDataLines(ReplyText(out.Text));
  EXPECT_TRUE(reply.Refused.empty());

  // An older client: no day lines either way, and its check-in keeps the days.
  EXPECT_EQ(Ask(BuildLoginRequest("anna")).Text, "userdata=ConfigLevel=90\r\n");
  ASSERT_EQ(Ask("command=putuserdata\r\nusername=anna\r\nConfigLevel=91\r\n").Text, kSavedReply);
  EXPECT_EQ(Stored().size(), 2u);
  // A later check-in of a day replaces it; a user with days only still says NO_DATA_FOUND.
  ASSERT_EQ(Ask("command=putuserdata\r\nusername=ben\r\n" + DayLine(DayRecordFieldsText(Day(kDay, 7)))).Text,
            kSavedReply);
  EXPECT_EQ(AnswerRequest(*World.Store, "Bearer " + TokenOf('a'), "", BuildLoginRequest("ben", "", &none)).Text,
            "userdata=NO_DATA_FOUND\r\n" + DayLine(DayRecordFieldsText(Day(kDay, 7))) + "StoredDays=2025-12-09\r\n");
}

TEST_P(ServerDays, BoundedListedExportedAndErased) {
  TProfileStore &store = *World.Store;
  const TCredentials token(TokenDigest(TokenOf('a')));
  TUserDataRecord first, second;
  for (int32_t d = 0; d < static_cast<int32_t>(kMaxHistoryDays); ++d)
    (d < 2000 ? first : second).Days.push_back(Day(kDay + d, d));
  ASSERT_TRUE(store.CheckIn("anna", token, first).Granted());
  ASSERT_TRUE(store.CheckIn("anna", token, second).Granted());
  second.Days = {Day(kDay + 4000, 1), Day(kDay + 4001, 2)};
  ASSERT_TRUE(store.CheckIn("anna", token, second).Granted());
  std::vector<TDayRecord> days = Stored();
  ASSERT_EQ(days.size(), kMaxHistoryDays);
  EXPECT_EQ(days.front(), Day(kDay + 2, 2)); // the two oldest went
  EXPECT_EQ(days.back(), Day(kDay + 4001, 2));

  std::string text, error;
  ASSERT_TRUE(store.ExportUser("anna", text, error)) << error;
  EXPECT_NE(text.find("\ndays 3660 (date,measured,worked,"), std::string::npos) << text.substr(0, 2000);
  EXPECT_NE(text.find("\n  " + DayRecordFieldsText(Day(kDay + 4001, 2)) + "\n"), std::string::npos);

  ASSERT_TRUE(store.CheckIn("ben", TCredentials(TokenDigest(TokenOf('b'))), second).Granted());
  int64_t deleted = 0;
  ASSERT_TRUE(store.DeleteDays("anna", deleted, error)) << error;
  EXPECT_EQ(deleted, static_cast<int64_t>(kMaxHistoryDays));
  EXPECT_TRUE(Stored().empty());
  EXPECT_EQ(Stored("ben").size(), 2u); // another user's days stay
  EXPECT_FALSE(store.DeleteDays("nobody", deleted, error));
  EXPECT_FALSE(store.ListDays("nobody", days, error));
  ASSERT_TRUE(store.DeleteUser("ben", error)) << error;
  ASSERT_TRUE(store.CheckIn("ben", TCredentials(TokenDigest(TokenOf('b'))), TUserDataRecord()).Granted());
  EXPECT_TRUE(Stored("ben").empty()); // erased with the user
}

INSTANTIATE_TEST_SUITE_P(Engines, ServerDays, ::testing::Values("sqlite", "postgres"));
