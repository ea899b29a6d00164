#include "authoring/StrovdexWriter.h"
#include "base/DateTime.h"
#include "data/tabledb/Strovdex.h"
#include "platform/headless/FaultInjectingFileSystem.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessLocale.h"
#include "unit/data/DataFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

class StrovdexTest : public ::testing::Test {
protected:
  // Builds a database from its text source; separate definitions go to
  // "<name>.def".
  std::string Build(const std::string &source, const std::string &name = "db.dat",
                    bool separate = false) {
    TDatabaseSource db;
    std::string error;
    EXPECT_TRUE(ParseTableSource(source, db, error)) << error;
    const std::string defs = separate ? folder.File(name + ".def") : "";
    EXPECT_TRUE(WriteStrovdex(files, db, folder.File(name), defs, error)) << error;
    return folder.File(name);
  }
  bool Open(const std::string &path, const std::string &password = "") {
    return engine.Open(path, path, "", password);
  }
  // Rewrites bytes of a built file.
  void Patch(const std::string &name, size_t offset, std::vector<uint8_t> bytes) {
    auto content = folder.Read(name);
    ASSERT_LE(offset + bytes.size(), content.size());
    std::memcpy(content.data() + offset, bytes.data(), bytes.size());
    folder.Write(name, content);
  }

  TestFolder folder;
  THeadlessFileSystem files;
  THeadlessLocale locale;
  TStrovdexObject engine{files, locale};
};

const char *const kEveryKind = R"(
table Kinds
column b0 boolean
column b1 boolean style=1
column b2 boolean style=2
column b3 boolean style=3
column u8 byte
column i64 int64 style=1 decimals=2
column i32 integer
column when datetime style=0
column ext extended decimals=3
column i6 integer6
column i7 integer7
column dbl double style=2 decimals=1
column r48 real48
column s8 shortint
column sgl single decimals=3
column txt text width=10
column w16 word
column links links table=Kinds column=txt slots=3
row yes yes yes yes 255 5 -2147483648 2024-02-29T13:05:09 1234.5678 6 7 12.25 -2.5 -128 0.1 "ten chars!" 65535 "3,0,2"
row no no no no 0 -7 2147483647 1899-12-30 -0.0005 0 0 0 0 127 -1e-9 "" 0 ""
row 1 1 1 1 1 1 1 0001-01-01 1 1 1 1 1 1 1 "x y" 1 "0,0,0"
)";

TEST_F(StrovdexTest, EveryKindRendersThroughFieldText) {
  ASSERT_TRUE(Open(Build(kEveryKind)));
  auto text = [&](const char *column, int record) {
    return engine.FieldText("Kinds", column, record);
  };
  EXPECT_EQ(text("b0", 1), "Yes");
  EXPECT_EQ(text("b1", 2), "False");
  EXPECT_EQ(text("b2", 1), "On");
  EXPECT_EQ(text("b3", 1), ""); // an unknown style renders nothing
  EXPECT_EQ(text("u8", 1), "255");
  EXPECT_EQ(text("i64", 1), "5,00");
  EXPECT_EQ(text("i64", 2), "-7,00");
  EXPECT_EQ(text("i32", 1), "-2147483648");
  EXPECT_EQ(text("i32", 2), "2147483647");
  EXPECT_EQ(text("when", 1), "2024-02-29 13:05");
  EXPECT_EQ(text("when", 2), "1899-12-30 00:00");
  EXPECT_EQ(text("when", 3), "0001-01-01 00:00");
  EXPECT_EQ(text("ext", 1), "1234.568");
  EXPECT_EQ(text("ext", 2), "-0.001"); // half away from zero
  EXPECT_EQ(text("i6", 1), "6");
  EXPECT_EQ(text("i7", 1), "7");
  EXPECT_EQ(text("dbl", 1), "12.3%");
  EXPECT_EQ(text("r48", 1), "-2.50");
  EXPECT_EQ(text("s8", 1), "-128");
  EXPECT_EQ(text("s8", 2), "127");
  EXPECT_EQ(text("sgl", 1), "0.100");
  EXPECT_EQ(text("sgl", 2), "0.000"); // rounds to zero: no sign
  EXPECT_EQ(text("txt", 1), "ten chars!"); // full width, no terminator stored
  EXPECT_EQ(text("txt", 3), "x y");
  EXPECT_EQ(text("w16", 1), "65535");
  EXPECT_EQ(text("links", 1), "x y,"); // record 3, then record 2's empty text
  EXPECT_EQ(text("links", 3), "");
  EXPECT_EQ(text("nope", 1), "");
  EXPECT_EQ(text("txt", 4), "");
  EXPECT_EQ(text("txt", 0), "");
}

TEST_F(StrovdexTest, ReadFieldGivesStoredLayoutOrZeroValue) {
  ASSERT_TRUE(Open(Build(kEveryKind)));
  TFieldValue v = engine.ReadField("Kinds", "i32", 1);
  EXPECT_EQ(v.Failed, 0);
  EXPECT_EQ(v.Kind, fkInteger);
  EXPECT_EQ(std::vector<uint8_t>(v.Data, v.Data + 4), (std::vector<uint8_t>{0, 0, 0, 0x80}));
  v = engine.ReadField("Kinds", "txt", 3);
  EXPECT_STREQ(reinterpret_cast<const char *>(v.Data), "x y");
  v = engine.ReadField("Kinds", "links", 1);
  EXPECT_EQ(v.Data[0], 3);
  EXPECT_EQ(v.Data[8], 2);
  v = engine.ReadField("Kinds", "when", 9);
  EXPECT_EQ(v.Failed, 1);
  EXPECT_EQ(v.Kind, fkDateTime);
  double one;
  std::memcpy(&one, v.Data, 8);
  EXPECT_EQ(one, 1.0);
  EXPECT_EQ(engine.ReadField("Kinds", "Txt", 1).Failed, 1);
  engine.Close();
  EXPECT_EQ(engine.ReadField("Kinds", "txt", 1).Failed, 1);
  EXPECT_EQ(engine.RecordCount("Kinds"), -1);
}

TEST_F(StrovdexTest, NumberTextRoundsAndStyles) {
  EXPECT_EQ(NumberText(0, 2, 12.5), "12.50");
  EXPECT_EQ(NumberText(1, 2, 12.5), "12,50");
  EXPECT_EQ(NumberText(2, 2, 12.5), "12.50%");
  EXPECT_EQ(NumberText(0, 0, 7.0), "7");
  EXPECT_EQ(NumberText(0, 2, -0.25), "-0.25");
  EXPECT_EQ(NumberText(0, 2, 0.125), "0.13");
  EXPECT_EQ(NumberText(0, 0, 2.5), "3");
  EXPECT_EQ(NumberText(0, 0, -2.5), "-3");
  EXPECT_EQ(NumberText(0, 2, 1.005), "1.01"); // at 15 significant digits
  EXPECT_EQ(NumberText(0, 2, 999.995), "1000.00");
  EXPECT_EQ(NumberText(0, 2, -0.001), "0.00");
  EXPECT_EQ(NumberText(0, 1, 0.04), "0.0");
  EXPECT_EQ(NumberText(0, 0, 1e20), "100000000000000000000");
  EXPECT_EQ(NumberText(0, 3, 1e-20), "0.000");
  EXPECT_EQ(NumberText(7, 1, 3.0), "3.0");
  EXPECT_EQ(NumberText(0, 2, INT64_MIN), "-9223372036854775808.00");
  EXPECT_EQ(NumberText(1, 0, int64_t{42}), "42");
  EXPECT_EQ(NumberText(0, 255, 1.0).size(), 255u);
  EXPECT_EQ(NumberText(0, 2, std::numeric_limits<double>::infinity()), "INF");
  // A single column rounds at seven digits: 1.005f is 1.00499999523...
  ASSERT_TRUE(Open(Build("table S\ncolumn v single decimals=2\nrow 1.005\n")));
  EXPECT_EQ(engine.FieldText("S", "v", 1), "1.01");
}

TEST_F(StrovdexTest, DateTimeTextStyles) {
  const TLocaleFormats f = locale.DateTimeFormats();
  double v = 0;
  ASSERT_TRUE(EncodeDate(2024, 2, 29, v));
  const double midnight = v + kStoredDateTimeOffset;
  const double afternoon = midnight + (13 * 3600 + 5 * 60 + 9) / 86400.0;
  EXPECT_EQ(DateTimeText(0, afternoon, f), "2024-02-29 13:05");
  EXPECT_EQ(DateTimeText(1, afternoon, f), "Thursday, 29 February 2024 13:05:09");
  EXPECT_EQ(DateTimeText(2, afternoon, f), "2024-02-29");
  EXPECT_EQ(DateTimeText(3, afternoon, f), "Thursday, 29 February 2024");
  EXPECT_EQ(DateTimeText(4, afternoon, f), "13:05");
  EXPECT_EQ(DateTimeText(5, afternoon, f), "13:05:09");
  EXPECT_EQ(DateTimeText(6, afternoon, f), "2024-02-29 13:05:09");
  EXPECT_EQ(DateTimeText(6, midnight, f), "2024-02-29");
  EXPECT_EQ(DateTimeText(128 + 2, afternoon, f), "2024-02-29"); // modulo 128
  EXPECT_EQ(DateTimeText(0, 0.0, f), "");                      // before year 1
  EXPECT_EQ(DateTimeText(0, std::nan(""), f), "");

  TLocaleFormats us = f;
  us.ShortDate = "M/d/yy";
  us.LongTime = "h:mm:ss tt";
  us.LongDate = "ddd', the 'd'th of 'MMM yyyy";
  EXPECT_EQ(DateTimeText(6, afternoon, us), "2/29/24 1:05:09 PM");
  EXPECT_EQ(DateTimeText(5, midnight + 5 / 1440.0, us), "12:05:00 AM");
  EXPECT_EQ(DateTimeText(3, midnight, us), "Thu, the 29th of Feb 2024");
}

TEST_F(StrovdexTest, FloatConversionsWithoutNativeTypes) {
  const uint8_t one48[6] = {129, 0, 0, 0, 0, 0};
  const uint8_t minus2_5[6] = {130, 0, 0, 0, 0, 0x80 | 0x20};
  const uint8_t zero48[6] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(Real48ToDouble(one48), 1.0);
  EXPECT_EQ(Real48ToDouble(minus2_5), -2.5);
  EXPECT_EQ(Real48ToDouble(zero48), 0.0);
  const uint8_t one80[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  const uint8_t minus3[10] = {0, 0, 0, 0, 0, 0, 0, 0xC0, 0x00, 0xC0};
  const uint8_t inf80[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F};
  const uint8_t huge80[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F};
  EXPECT_EQ(ExtendedToDouble(one80), 1.0);
  EXPECT_EQ(ExtendedToDouble(minus3), -3.0);
  EXPECT_TRUE(std::isinf(ExtendedToDouble(inf80)));
  EXPECT_TRUE(std::isinf(ExtendedToDouble(huge80))); // beyond double: infinite
}

TEST_F(StrovdexTest, ScrambledTextBoundaries) {
  EXPECT_EQ(StrovdexUnscramble(127), 0);
  EXPECT_EQ(StrovdexUnscramble(0), 127);
  EXPECT_EQ(StrovdexUnscramble(255), 128);
  EXPECT_EQ(StrovdexUnscramble(128), 1);
  EXPECT_EQ(StrovdexUnscramble(1), 128);
  const std::string path = Build("scramble\ntable T\ncolumn s text width=8\n"
                                 "row \"\\x01\\x80\\xfd~\"\nrow abcdefgh\n");
  ASSERT_TRUE(Open(path));
  EXPECT_TRUE(engine.Scrambled());
  EXPECT_EQ(engine.FieldText("T", "s", 1), "\x01\x80\xfd~");
  EXPECT_EQ(engine.FieldText("T", "s", 2), "abcdefgh");
  engine.Close();
  // A stored 127 ends the text; stored 0 reads as 127.
  const size_t record2 = folder.Read("db.dat").size() - 8;
  Patch("db.dat", record2 + 2, {127, 0});
  ASSERT_TRUE(Open(path));
  EXPECT_EQ(engine.FieldText("T", "s", 2), "ab");
  Patch("db.dat", record2 + 2, {0});
  engine.Close();
  ASSERT_TRUE(Open(path));
  EXPECT_EQ(engine.FieldText("T", "s", 2), "ab\x7f\x7f" "efgh");
  TDatabaseSource db;
  std::string error;
  ASSERT_TRUE(ParseTableSource("scramble\ntable T\ncolumn s text\nrow \"\\xfe\"\n", db, error));
  std::vector<uint8_t> defs, data;
  EXPECT_FALSE(BuildStrovdex(db, false, defs, data, error)); // 254 cannot be stored
}

TEST_F(StrovdexTest, LinksRecurseButNeverLoop) {
  ASSERT_TRUE(Open(Build(R"(
table Words
column w text
row alpha
row ""
row gamma
table Groups
column words links table=Words column=w slots=3
row "1,2,3"
row "3,0,1"
table Nest
column groups links table=Groups column=words slots=2
column self links table=Nest column=self slots=2
row "2,1" "1,2"
row "0,0" "1,0"
table Missing
column l links table=9 column=1 slots=2
row "1,1"
)")));
  EXPECT_EQ(engine.FieldText("Groups", "words", 1), "alpha,,gamma");
  EXPECT_EQ(engine.FieldText("Groups", "words", 2), "gamma,alpha");
  EXPECT_EQ(engine.FieldText("Nest", "groups", 1), "gamma,alpha,alpha,,gamma");
  EXPECT_EQ(engine.FieldText("Nest", "groups", 2), "");
  // Record 1 links to itself and to 2, which links back to 1: both stop.
  EXPECT_EQ(engine.FieldText("Nest", "self", 1), ",");
  EXPECT_EQ(engine.FieldText("Nest", "self", 2), ",");
  EXPECT_EQ(engine.FieldText("Missing", "l", 1), "");
  EXPECT_EQ(engine.FindRecord("Groups", "words", "gamma,alpha"), 2);
}

TEST_F(StrovdexTest, LookupsAreExactAndCutAt63) {
  const std::string longName(63, 'N');
  ASSERT_TRUE(Open(Build("table Contents\ncolumn Key integer7\ncolumn Name text\n"
                         "column On boolean\n"
                         "row 44 English yes\nrow 31 Dutch no\nrow 44 Again yes\n"
                         "table \"MainForm (English)\"\ncolumn " + longName + " byte\nrow 9\n")));
  EXPECT_EQ(engine.RecordCount("Contents"), 3);
  EXPECT_EQ(engine.RecordCount("contents"), -1);
  EXPECT_EQ(engine.RecordCount(""), -1);
  EXPECT_EQ(engine.RecordCount("MainForm (English)"), 1);
  EXPECT_EQ(engine.FindRecord("Contents", "Key", "44"), 1);
  EXPECT_EQ(engine.FindRecord("Contents", "Key", "31"), 2);
  EXPECT_EQ(engine.FindRecord("Contents", "Key", "33"), 0);
  EXPECT_EQ(engine.FindRecord("Contents", "On", "No"), 2);
  EXPECT_EQ(engine.FindRecord("Contents", "Name", "dutch"), 0);
  EXPECT_EQ(engine.FindRecord("Contents", "Nope", "44"), 0);
  EXPECT_EQ(engine.FieldText("MainForm (English)", longName + "tail", 1), "9");
  EXPECT_EQ(engine.FindColumn(1, "Name"), 2);
  EXPECT_EQ(engine.FindTable("MainForm (English)"), 2);
}

// A damaged name length byte (64 or more) still gives the 63 characters the
// field holds, so lookups by name go on working.
TEST_F(StrovdexTest, TableNameLengthByteBeyondTheFieldIsCut) {
  const std::string name(63, 'T');
  const std::string path = Build("table " + name + "\ncolumn c byte\nrow 5\n");
  Patch("db.dat", 272 + 4, {200});
  ASSERT_TRUE(Open(path));
  EXPECT_EQ(engine.Table(1)->Name, name);
  EXPECT_EQ(engine.FieldText(name, "c", 1), "5");
}

TEST_F(StrovdexTest, OpenChecksFilesHeaderAndDefinitions) {
  const std::string path = Build("table T\ncolumn c byte\nrow 1\n");
  EXPECT_TRUE(Open(path));
  EXPECT_FALSE(engine.Open(folder.File("none"), folder.File("none"), "", ""));
  EXPECT_FALSE(engine.Open(path, folder.File("none.def"), "", ""));
  folder.Write("guard", {});
  EXPECT_FALSE(engine.Open(path, path, folder.File("guard"), ""));
  EXPECT_TRUE(engine.Open(path, path, folder.File("no-guard"), ""));
  Patch("db.dat", 270, {99, 0});
  EXPECT_FALSE(Open(path));
  Patch("db.dat", 270, {101, 0});
  EXPECT_FALSE(Open(path));
  Patch("db.dat", 270, {100, 0});
  Patch("db.dat", 6, {'s'});
  EXPECT_FALSE(Open(path));
  Patch("db.dat", 6, {'S'});
  Patch("db.dat", 272 + 77 + 70, {15}); // no such kind: size 0
  EXPECT_FALSE(Open(path));
  Patch("db.dat", 272 + 77 + 70, {13}); // text of width 0
  EXPECT_FALSE(Open(path));
  Patch("db.dat", 272 + 77 + 70, {1});
  EXPECT_TRUE(Open(path));

  auto bytes = folder.Read("db.dat");
  folder.Write("short", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 271));
  EXPECT_FALSE(Open(folder.File("short")));
  folder.Write("short", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 272 + 77 + 100));
  EXPECT_FALSE(Open(folder.File("short")));

  ASSERT_TRUE(Open(Build("", "empty.dat")));
  EXPECT_EQ(engine.TableCount(), 0);
  EXPECT_EQ(engine.RecordCount("T"), -1);
  EXPECT_EQ(engine.FieldText("T", "c", 1), "");
  EXPECT_EQ(engine.FindRecord("T", "c", ""), 0);
}

TEST_F(StrovdexTest, PasswordMarkerAndPrompt) {
  const std::string plain = Build("table T\ncolumn c byte\nrow 1\n", "plain.dat");
  EXPECT_TRUE(Open(plain, "anything"));
  const std::string locked = Build("password Secret\ntable T\ncolumn c byte\nrow 1\n");
  EXPECT_TRUE(Open(locked, "Secret"));
  EXPECT_EQ(engine.FieldText("T", "c", 1), "1");
  EXPECT_TRUE(Open(locked, "xecret")); // the first character takes no part
  EXPECT_FALSE(Open(locked, "Secreт"));
  EXPECT_FALSE(Open(locked, "Secre"));
  // Characters of the upper half of the code page count as unsigned bytes.
  EXPECT_TRUE(Open(Build("password S\xE9" "cret\ntable T\n", "western.dat"), "S\xE9" "cret"));
  EXPECT_FALSE(Open(locked)); // no prompt to ask
  EXPECT_EQ(engine.TableCount(), 0);

  std::optional<std::string> typed;
  int asked = 0;
  TStrovdexObject prompting(files, locale, [&] {
    ++asked;
    return typed;
  });
  EXPECT_FALSE(prompting.Open(locked, locked, "", ""));
  typed = "";
  EXPECT_FALSE(prompting.Open(locked, locked, "", ""));
  typed = "Secret";
  EXPECT_TRUE(prompting.Open(locked, locked, "", ""));
  EXPECT_TRUE(prompting.Open(locked, locked, "", "xSecret") == false);
  EXPECT_EQ(asked, 3);

  // A one-character password checks i·i everywhere: any single character passes.
  const std::string single = Build("password Z\ntable T\n", "single.dat");
  EXPECT_TRUE(Open(single, "q"));
  // A given password is cut to 63 characters; the prompt's text is not.
  std::string long64(63, 'a');
  long64 += 'b';
  const std::string cut = Build("password " + long64 + "\ntable T\n", "cut.dat");
  EXPECT_FALSE(Open(cut, long64));
  typed = long64;
  EXPECT_TRUE(prompting.Open(cut, cut, "", ""));
}

TEST_F(StrovdexTest, SeparateFilesAndCountMode) {
  const char *source = "table T\n%s\nrecords 1\ncolumn c text width=4\nrow a\nrow b\nrow c\n";
  char text[200];
  std::snprintf(text, sizeof text, source, "countmode 0");
  const std::string data = Build(text, "zero.dat", true);
  ASSERT_TRUE(engine.Open(data, data + ".def", "", ""));
  EXPECT_EQ(engine.RecordCount("T"), 3); // 12 bytes / 4
  EXPECT_EQ(engine.FieldText("T", "c", 3), "c");
  // The same definitions as a single file keep the stored count.
  ASSERT_TRUE(Open(Build(text, "zero-single.dat")));
  EXPECT_EQ(engine.RecordCount("T"), 1);
  std::snprintf(text, sizeof text, source, "countmode 2");
  const std::string two = Build(text, "two.dat", true);
  ASSERT_TRUE(engine.Open(two, two + ".def", "", ""));
  EXPECT_EQ(engine.RecordCount("T"), 1);
  EXPECT_EQ(engine.FieldText("T", "c", 2), "");
  // A table without columns has nothing to divide by: its count stays.
  const std::string empty = Build("table E\ncountmode 0\nrecords 4\n", "nocolumns.dat", true);
  folder.Write("nocolumns.dat", {1, 2, 3});
  ASSERT_TRUE(engine.Open(empty, empty + ".def", "", ""));
  EXPECT_EQ(engine.RecordCount("E"), 4);
}

TEST_F(StrovdexTest, FieldsAcrossReadWindowsInAnyOrder) {
  // 400 rows of 259 bytes, about 100 KB: fields straddle the read windows.
  std::string source = "scramble\ntable Wide\ncolumn t text width=255\ncolumn n integer\n";
  for (int r = 1; r <= 400; ++r)
    source += "row " + std::string(100 + r % 155, static_cast<char>('A' + r % 26)) + " " +
              std::to_string(r * 7) + "\n";
  ASSERT_TRUE(Open(Build(source)));
  for (int step : {1, -1, 37}) {
    for (int i = 0; i < 400; ++i) {
      const int r = step == 1 ? i + 1 : step == -1 ? 400 - i : (i * step) % 400 + 1;
      ASSERT_EQ(engine.FieldText("Wide", "t", r),
                std::string(100 + r % 155, static_cast<char>('A' + r % 26)))
          << r;
      ASSERT_EQ(engine.FieldText("Wide", "n", r), std::to_string(r * 7));
    }
  }
  EXPECT_EQ(engine.FindRecord("Wide", "n", "2800"), 400);
}

TEST_F(StrovdexTest, DeclaredDataBeyondTheFileFailsCleanly) {
  const std::string path = Build("table Far\nrecords 2147483647\ndataoffset 2147483000\n"
                                 "column c text width=255\nrow a\n"
                                 "table Many\nrecords 2147483647\ncolumn c text width=255\n"
                                 "column d byte\nrow x 1\n");
  ASSERT_TRUE(Open(path));
  EXPECT_EQ(engine.FieldText("Far", "c", 1), "");
  EXPECT_EQ(engine.PresentRecordCount(1), 0);
  EXPECT_EQ(engine.FindRecord("Far", "c", ""), 0); // returns at once
  EXPECT_EQ(engine.FieldText("Many", "d", 1), "1");
  EXPECT_EQ(engine.FieldOffset(2, 2, 2147483647), -1); // beyond 32 bits
  EXPECT_EQ(engine.ReadField("Many", "d", 2147483647).Failed, 1);
  EXPECT_EQ(engine.FindRecord("Many", "c", "absent"), 0);
  engine.Close();
  // A table count far beyond the file ends at the first short definition.
  Patch("db.dat", 0, {0xFF, 0xFF, 0xFF, 0x7F});
  EXPECT_FALSE(Open(path));
  Patch("db.dat", 0, {2, 0, 0, 0});
  Patch("db.dat", 272, {0xFF, 0xFF, 0xFF, 0x7F}); // column count
  EXPECT_FALSE(Open(path));
}

// Every open or read of the definitions that fails makes the open fail with
// nothing of the database left; a failing data read fails that field only.
TEST_F(StrovdexTest, ReadFaultsFailCleanly) {
  using TOperation = TFaultInjectingFileSystem::TOperation;
  const std::string path = Build(kEveryKind);
  TFaultInjectingFileSystem faulty(files);
  TStrovdexObject db(faulty, locale);
  ASSERT_TRUE(db.Open(path, path, "", ""));
  const int definitionReads = faulty.Count(TOperation::Read);
  const std::string first = db.FieldText("Kinds", "b0", 1);
  ASSERT_EQ(first, "Yes");
  ASSERT_GT(faulty.Count(TOperation::Read), definitionReads);

  for (auto [operation, count] : {std::pair{TOperation::Read, definitionReads},
                                  std::pair{TOperation::Open, 2}})
    for (int n = 1; n <= count; ++n) {
      faulty.Reset();
      faulty.Fail(operation, n);
      EXPECT_FALSE(db.Open(path, path, "", "")) << n;
      EXPECT_EQ(faulty.Failures(), 1);
      EXPECT_FALSE(db.IsOpen());
      EXPECT_EQ(db.TableCount(), 0);
      EXPECT_EQ(db.RecordCount("Kinds"), -1);
    }

  faulty.Reset();
  faulty.Fail(TOperation::Read, definitionReads + 1);
  ASSERT_TRUE(db.Open(path, path, "", ""));
  EXPECT_EQ(db.ReadField("Kinds", "b0", 1).Failed, 1);
  EXPECT_EQ(db.FieldText("Kinds", "b0", 1), first);
}

} // namespace
