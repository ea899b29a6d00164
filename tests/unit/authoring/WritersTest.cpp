#include "authoring/IDbRecWriter.h"
#include "authoring/StrovdexWriter.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessLocale.h"
#include "unit/data/DataFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

TEST(TableSource, BuildsAndDumpsBackThroughTheEngine) {
  TestFolder folder;
  const std::string source = R"(scramble
table "Main Form"   # spaces are fine in quotes
column Name text width=12 byte0=1
column Tag integer7 byte69=1
column Price single style=1 decimals=1
row OkBtn 1 2.25
row "Tab\there" -5 "-0.04"
table Refs
column To links table="Main Form" column=Name slots=3
countmode 0
row "2,0,1"
)";
  TDatabaseSource db;
  std::string error;
  ASSERT_TRUE(ParseTableSource(source, db, error)) << error;
  THeadlessFileSystem files;
  for (bool separate : {false, true}) {
    const std::string data = folder.File("db.dat");
    const std::string defs = separate ? folder.File("db.def") : data;
    ASSERT_TRUE(WriteStrovdex(files, db, data, defs, error)) << error;
    THeadlessLocale locale;
    TStrovdexObject engine(files, locale);
    ASSERT_TRUE(engine.Open(data, defs, "", ""));
    std::ostringstream dump;
    DumpStrovdex(engine, dump);
    const int32_t first = separate ? 0 : 272 + 2 * 77 + 4 * 137;
    EXPECT_EQ(dump.str(),
              "database\ttables=2\tscrambled=yes\tprotected=no\tversion=100\n"
              "table\tMain Form\trecords=2\tpresent=2\tcountmode=2\tdataoffset=" +
                  std::to_string(first) + "\trecordsize=20\n"
              "column\tName\ttext\twidth=12\tbyte0=1\n"
              "column\tTag\tinteger7\tbyte69=1\n"
              "column\tPrice\tsingle\tstyle=1\tdecimals=1\n"
              "1\tOkBtn\t1\t2,3\n"
              "2\tTab\\there\t-5\t0,0\n"
              "table\tRefs\trecords=1\tpresent=1\tcountmode=0\tdataoffset=" +
                  std::to_string(first + 40) + "\trecordsize=12\n"
              "column\tTo\tlinks\ttable=1\tcolumn=1\tslots=3\n"
              "1\tTab\\there,OkBtn\n")
        << (separate ? "separate files" : "one file");
  }
}

TEST(TableSource, ErrorsNameTheLine) {
  TDatabaseSource db;
  std::string error;
  auto fails = [&](const std::string &text, const std::string &expected) {
    EXPECT_FALSE(ParseTableSource(text, db, error)) << text;
    EXPECT_NE(error.find(expected), std::string::npos) << error;
  };
  fails("table T\ncolumn c float\n", "line 2: unknown kind float");
  fails("table T\ncolumn c byte\nrow 1 2\n", "line 3: row has 2 values for 1 columns");
  fails("row 1\n", "line 1: \"row\" before the first table");
  fails("table T\ncolumn c text\nrow \"open\n", "line 3: unterminated");
  fails("table T\ncolumn c text wide=3\n", "unknown parameter wide");

  auto build = [&](const std::string &column, const std::string &value) {
    std::vector<uint8_t> defs, data;
    EXPECT_TRUE(ParseTableSource("table T\ncolumn c " + column + "\nrow " + value + "\n", db,
                                 error))
        << error;
    return BuildStrovdex(db, false, defs, data, error);
  };
  EXPECT_TRUE(build("byte", "255"));
  EXPECT_FALSE(build("byte", "256"));
  EXPECT_FALSE(build("shortint", "-129"));
  EXPECT_FALSE(build("integer", "2147483648"));
  EXPECT_FALSE(build("text width=3", "four"));
  EXPECT_FALSE(build("links slots=2", "1,2,3"));
  EXPECT_FALSE(build("links table=Other column=x", "1"));
  EXPECT_FALSE(build("real48", "1e40"));
  EXPECT_FALSE(build("single", "1e39"));
  EXPECT_FALSE(build("datetime", "2023-02-29"));
  EXPECT_FALSE(build("text width=0", "\"\""));
  EXPECT_FALSE(build("links slots=51", "1"));
}

TEST(TableSource, FloatingKindsKeepTheirValues) {
  for (double v : {1.0, -2.5, 0.1, 1e-30, 3.0e37, -123456.789, 5e-39}) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", v);
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(EncodeFieldValue(TColumnDef::Fresh(fkReal48), text, false, bytes, error)) << error;
    EXPECT_NEAR(Real48ToDouble(bytes.data()), v, std::fabs(v) * std::ldexp(1.0, -39)) << v;
    bytes.clear();
    ASSERT_TRUE(EncodeFieldValue(TColumnDef::Fresh(fkExtended), text, false, bytes, error));
    EXPECT_EQ(ExtendedToDouble(bytes.data()), v);
  }
}

TEST(RecordSource, TextFormRoundTrips) {
  const std::vector<TRecordSource> records = {
      {1, "Q|1|a_44", "line one\r\nline two"},
      {-2, "Q|2|b_44", "%% not a header\n%%% nor this\n"},
      {3, "", ""},
      {4, "last", "ends\n\n"}};
  std::ostringstream text;
  for (const auto &r : records)
    WriteRecordText(r, text);
  std::vector<TRecordSource> parsed;
  std::string error;
  ASSERT_TRUE(ParseRecordText(text.str(), parsed, error)) << error;
  ASSERT_EQ(parsed.size(), records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(parsed[i].Id, records[i].Id);
    EXPECT_EQ(parsed[i].Name, records[i].Name);
    EXPECT_EQ(parsed[i].Text, records[i].Text) << i;
  }
  EXPECT_FALSE(ParseRecordText("stray text\n%% 1 a\n", parsed, error));
  EXPECT_FALSE(ParseRecordText("%% x a\n", parsed, error));

  TestFolder folder;
  THeadlessFileSystem files;
  std::string path = folder.File("r.dat");
  ASSERT_TRUE(WriteRecordFile(files, records, path, error));
  std::ostringstream dump;
  EXPECT_TRUE(DumpRecordFile(files, path, "", dump));
  EXPECT_EQ(dump.str(), text.str());
  std::ostringstream selected;
  EXPECT_TRUE(DumpRecordFile(files, path, "_44", selected));
  EXPECT_EQ(selected.str().rfind("%% 1 Q|1|a_44\n", 0), 0u);
  EXPECT_NE(selected.str().find("%% -2 Q|2|b_44\n"), std::string::npos);
  EXPECT_EQ(selected.str().find("%% 3"), std::string::npos);
}

TEST(RecordSource, FolderOfRecords) {
  TestFolder folder;
  THeadlessFileSystem files;
  std::filesystem::create_directories(folder.File("src"));
  auto write = [&](const std::string &name, const std::string &content) {
    folder.Write("src/" + name, std::vector<uint8_t>(content.begin(), content.end()));
  };
  write("0010-b.txt", "Second_44\r\n<p>two</p>");
  write("0002-a.txt", "First_44\n");
  std::vector<TRecordSource> records;
  std::string error;
  ASSERT_TRUE(ReadRecordFolder(files, folder.File("src"), records, error)) << error;
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].Id, 2);
  EXPECT_EQ(records[0].Name, "First_44");
  EXPECT_EQ(records[0].Text, "");
  EXPECT_EQ(records[1].Id, 10);
  EXPECT_EQ(records[1].Name, "Second_44");
  EXPECT_EQ(records[1].Text, "<p>two</p>");
  write("readme.txt", "x\n");
  EXPECT_FALSE(ReadRecordFolder(files, folder.File("src"), records, error));
}

} // namespace
