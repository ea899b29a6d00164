#include "authoring/IDbRecWriter.h"
#include "data/recfile/IDbRecs.h"
#include "unit/data/DataFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class IDbRecsTest : public ::testing::Test {
protected:
  std::string Write(const std::vector<TRecordSource> &records, const std::string &name = "r.dat") {
    std::string error;
    EXPECT_TRUE(WriteRecordFile(records, folder.File(name), error)) << error;
    return folder.File(name);
  }
  TestFolder folder;
  TIDbRecFile file;
};

struct RecordingGauge : IProgressGauge {
  std::vector<int> progress;
  std::vector<bool> visible;
  int pumped = 0;
  void SetVisible(bool v) override { visible.push_back(v); }
  void SetProgress(int p) override { progress.push_back(p); }
  void ProcessPendingMessages() override { ++pumped; }
};

TEST_F(IDbRecsTest, LoadsRecordsAndReportsProgress) {
  const std::string path = Write({{7, "Q|1|a_44", "<b>Hi</b>"}, {8, "Q|2|b_31", ""}, {-1, "", "x"}});
  RecordingGauge gauge;
  EXPECT_TRUE(file.LoadRecords(path, &gauge));
  EXPECT_EQ(file.RecordCount(), 3);
  EXPECT_EQ(gauge.progress, (std::vector<int>{0, 33, 66, 100}));
  EXPECT_EQ(gauge.visible, (std::vector<bool>{true, false}));
  EXPECT_EQ(gauge.pumped, 3);
  file.SelectRecords("");
  ASSERT_EQ(file.SelectedCount(), 3);
  TIDbRec r = file.GetSelectedRecord(1);
  EXPECT_EQ(r.Id, 7);
  EXPECT_STREQ(r.Name, "Q|1|a_44");
  EXPECT_STREQ(r.Text, "<b>Hi</b>");
  EXPECT_EQ(r.TextLength, 9);
  EXPECT_EQ(file.GetSelectedRecord(3).Id, -1);

  folder.Write("empty.dat", {0, 0, 0, 0});
  EXPECT_TRUE(file.LoadRecords(folder.File("empty.dat")));
  EXPECT_EQ(file.RecordCount(), 0);
  EXPECT_FALSE(file.LoadRecords(folder.File("missing.dat")));
  folder.Write("tiny.dat", {1, 0});
  EXPECT_FALSE(file.LoadRecords(folder.File("tiny.dat")));
  folder.Write("negative.dat", {0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_FALSE(file.LoadRecords(folder.File("negative.dat")));
}

TEST_F(IDbRecsTest, ScrambleMapping) {
  EXPECT_EQ(IDbRecScramble(0), 0);
  EXPECT_EQ(IDbRecScramble(255), 255);
  EXPECT_EQ(IDbRecScramble(1), 128);
  EXPECT_EQ(IDbRecScramble(128), 1);
  EXPECT_EQ(IDbRecScramble(127), 254);
  EXPECT_EQ(IDbRecScramble(254), 127);
  // By hand: Id 5, a name stored as 0xEF, a text stored as 1 and 128.
  folder.Write("raw.dat", {1, 0, 0, 0, 5, 0, 0, 0, 1, 0, 2, 0, 0xEF, 1, 128});
  ASSERT_TRUE(file.LoadRecords(folder.File("raw.dat")));
  file.SelectRecords("p");
  ASSERT_EQ(file.SelectedCount(), 1); // stored 0xEF is 'p'
  TIDbRec r = file.GetSelectedRecord(1);
  EXPECT_EQ(r.Id, 5);
  EXPECT_EQ(std::string(r.Text), "\x80\x01");
}

TEST_F(IDbRecsTest, DeclaredMoreThanTheFileHolds) {
  const std::string path = Write({{1, "a_44", "first"}, {2, "b_44", "second text"}});
  auto bytes = folder.Read("r.dat");
  // Cut inside the last record's text.
  folder.Write("cut.dat", std::vector<uint8_t>(bytes.begin(), bytes.end() - 3));
  EXPECT_FALSE(file.LoadRecords(folder.File("cut.dat")));
  ASSERT_EQ(file.RecordCount(), 1);
  file.SelectRecords("_44");
  EXPECT_EQ(file.SelectedCount(), 1);
  EXPECT_STREQ(file.GetSelectedRecord(1).Text, "first");
  // A count of two billion and lengths of 65535 over a few bytes.
  bytes[0] = bytes[1] = bytes[2] = 0xFF;
  bytes[3] = 0x7F;
  bytes[8] = bytes[9] = bytes[10] = bytes[11] = 0xFF;
  folder.Write("huge.dat", bytes);
  EXPECT_FALSE(file.LoadRecords(folder.File("huge.dat")));
  EXPECT_EQ(file.RecordCount(), 0);
}

TEST_F(IDbRecsTest, SelectionAndCursorWalk) {
  std::vector<TRecordSource> records;
  for (int i = 1; i <= 200; ++i)
    records.push_back({i, "Rec|" + std::to_string(i) + (i % 2 ? "_31" : "_44"), "t"});
  ASSERT_TRUE(file.LoadRecords(Write(records)));
  EXPECT_EQ(file.GetSelectedRecord(1).Id, 0); // nothing selected yet
  file.SelectRecords("_44");
  ASSERT_EQ(file.SelectedCount(), 100);
  EXPECT_EQ(file.GetSelectedRecord(1).Id, 2);
  EXPECT_EQ(file.GetSelectedRecord(0).Id, 0);
  EXPECT_EQ(file.GetSelectedRecord(101).Id, 0);
  EXPECT_STREQ(file.GetSelectedRecord(101).Name, "");
  uint64_t before = file.WalkSteps();
  for (int n = 1; n <= 100; ++n)
    ASSERT_EQ(file.GetSelectedRecord(n).Id, 2 * n);
  EXPECT_LE(file.WalkSteps() - before, 200u); // about two chain records per ordinal
  before = file.WalkSteps();
  EXPECT_EQ(file.GetSelectedRecord(1).Id, 2); // from the start, not back from 100
  EXPECT_LE(file.WalkSteps() - before, 2u);
  before = file.WalkSteps();
  EXPECT_EQ(file.GetSelectedRecord(99).Id, 198); // from the end
  EXPECT_LE(file.WalkSteps() - before, 4u);
  for (int n = 99; n >= 1; --n)
    ASSERT_EQ(file.GetSelectedRecord(n).Id, 2 * n);
  file.SelectRecords("_9");
  EXPECT_EQ(file.SelectedCount(), 0);
  file.SelectRecords("Rec|1");
  EXPECT_EQ(file.SelectedCount(), 111); // 1, 10..19, 100..199
  EXPECT_EQ(file.GetSelectedRecord(111).Id, 199);
}

TEST_F(IDbRecsTest, SplitName) {
  using Parts = std::array<std::string, 4>;
  EXPECT_EQ(TIDbRecFile::SplitName("a|b"), (Parts{"a", "b", "", ""}));
  EXPECT_EQ(TIDbRecFile::SplitName("a|b|c|d|e"), (Parts{"a", "b", "c", "d"}));
  EXPECT_EQ(TIDbRecFile::SplitName("|x||"), (Parts{"", "x", "", ""}));
  EXPECT_EQ(TIDbRecFile::SplitName(""), (Parts{"", "", "", ""}));
}

} // namespace
