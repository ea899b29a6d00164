// The content checker on small fixtures: a clean set of files passes, and each
// kind of fault is found where it was planted.
#include "ContentCheck.h"
#include "InfoSource.h"

#include "authoring/ArchiveWriter.h"
#include "authoring/IDbRecWriter.h"
#include "authoring/StrovdexWriter.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

const std::map<int, std::string> kTables{{31, "Dutch"}, {33, "French"}, {34, "Spanish"},
                                         {39, "Italian"}, {44, "English"}, {49, "German"}};

bool Has(const TContentCheck &check, const std::string &kind, const std::string &where) {
  for (const auto &f : check.Findings)
    if (f.Kind == kind && (f.Where + ": " + f.Message).find(where) != std::string::npos)
      return true;
  return false;
}

std::string Describe(const TContentCheck &check) {
  std::string text;
  for (const auto &f : check.Findings)
    text += f.Kind + " " + f.Where + ": " + f.Message + "\n";
  return text;
}

// A language file: the languages given, each with the rows given as text.
std::string LanguageSource(const std::map<int, std::string> &rows) {
  std::string source = "table Contents\ncolumn iCountry integer7\ncolumn sCountry text\n"
                       "column sLanguage text\n";
  for (const auto &[number, text] : rows)
    source += "row " + std::to_string(number) + " " + kTables.at(number) + " x\n";
  for (const auto &[number, text] : rows)
    source += "table \"MainForm (" + kTables.at(number) + ")\"\ncolumn Tag integer7\n"
              "column Caption text width=255\ncolumn Hint text width=255\n" + text;
  return source;
}

// The records of one language: background, an exercise, and for every
// questionnaire its explanation, a question and one message of each group.
std::string InfoSource(const std::function<void(std::string &)> &edit = {}) {
  std::string s = "%% bgi_001|Chapter\n<IMG NAME=bgi001>\n%% bgi_002||Section\nText\n"
                  "%% exe_001|00000001-00010110|Exercise\nDo it.\n"
                  "%% exp_000|Dlg #nggt0000000000|Risk\nAll.\n";
  for (int set = 1; set <= 10; ++set) {
    const std::string n = (set < 10 ? "00" : "0") + std::to_string(set);
    const std::string page = "exp_" + n;
    s += "%% " + page + "|Dlg #nggt000" + n + "0000|Title\nWhat it means.\n";
    s += "%% msg_" + n + "1|Dlg #qggt003" + n + "0001||" + page + "\nQuestion?\n";
    s += "%% msg_" + n + "2|Dlg #ikki000" + n + "0002||" + page + "\nKeyboard.\n";
    s += "%% msg_" + n + "3|Dlg #wmgw000" + n + "0003||" + page + "\nMouse.\n";
    s += "%% msg_" + n + "4|Dlg #igge000" + n + "0004||" + page + "\nMove.\n";
  }
  if (edit)
    edit(s);
  return s;
}

class ContentCheckFixture : public ::testing::Test {
protected:
  TScratchFolder folder;
  THeadlessFileSystem fs;
  std::string Info() const { return folder.Path("MVRInfo.dat"); }
  std::string Container() const { return folder.Path("movaro.dat"); }

  // Builds MVRInfo.dat from one source per language (the same source for
  // every language unless `dutch` differs) and a container with `members`.
  void Build(const std::string &source, const std::string &dutch,
             const std::vector<std::string> &members = {"bgi001", "00000001.avi"}) {
    std::vector<TRecordSource> records;
    std::string error;
    for (const auto &[number, name] : kTables)
      ASSERT_TRUE(ParseInfoSource(number == 31 ? dutch : source, number, records, error)) << error;
    ASSERT_TRUE(WriteRecordFile(fs, records, Info(), error)) << error;
    std::vector<std::string> files;
    for (const auto &member : members) {
      files.push_back(folder.Path(member));
      TScratchFolder::WriteFile(files.back(), "picture or video " + member);
    }
    ASSERT_TRUE(BuildContentContainer(fs, Container(), files, error)) << error;
  }
};

TEST_F(ContentCheckFixture, LanguageFileFaultsAreFoundPerTable) {
  const std::string rows = "row 1 Ok \"\"\nrow 2 Cancel \"\"\nrow 3 Help \"\"\n";
  std::map<int, std::string> languages;
  for (const auto &[number, name] : kTables)
    languages[number] = rows;
  TContentCheck clean;
  std::string error;
  ASSERT_TRUE(WriteStrovdex(fs, [&] {
    TDatabaseSource db;
    EXPECT_TRUE(ParseTableSource(LanguageSource(languages), db, error)) << error;
    return db;
  }(), folder.Path("clean.lng"), "", error));
  clean.LanguageFile(folder.Path("clean.lng"));
  EXPECT_TRUE(clean.Findings.empty()) << Describe(clean);

  languages.erase(34);
  languages[49] = "row 1 Ok \"\"\nrow 3 Hilfe \"\"\n";
  languages[33] = rows + "row 9 Extra \"\"\n";
  languages[39] = "row 2 Annulla \"\"\nrow 1 Ok \"\"\nrow 3 Aiuto \"\"\n";
  TDatabaseSource db;
  ASSERT_TRUE(ParseTableSource(LanguageSource(languages), db, error)) << error;
  ASSERT_TRUE(WriteStrovdex(fs, db, folder.Path("broken.lng"), "", error)) << error;
  TContentCheck check;
  check.LanguageFile(folder.Path("broken.lng"));
  EXPECT_TRUE(Has(check, finding::kMissingLanguage, "no language 34"));
  EXPECT_TRUE(Has(check, finding::kMissingTag, "MainForm (German): tag 2"));
  EXPECT_TRUE(Has(check, finding::kExtraTag, "MainForm (French): tag 9"));
  EXPECT_TRUE(Has(check, finding::kTagOrder, "MainForm (Italian)"));
  EXPECT_EQ(check.Findings.size(), 4u) << Describe(check);
}

TEST_F(ContentCheckFixture, TextsWiderThanTheirControlOverflow) {
  const TTextMeasure measure("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                             "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
  ASSERT_TRUE(measure.Valid());
  // Bold is wider than regular; a longer text is wider than its prefix.
  EXPECT_GT(measure.Width("Setup", 11, true), measure.Width("Setup", 11, false));
  EXPECT_GT(measure.Width("Einstellungen", 11, false), measure.Width("Einstellung", 11, false));

  std::map<int, std::string> languages;
  for (const auto &[number, name] : kTables)
    languages[number] = "row 1 Ok \"\"\nrow 2 \"Much too wide\" \"\"\n";
  languages[31] = "row 1 \"Akkoord en verder\" \"\"\nrow 2 \"Much too wide\" \"\"\n";
  std::string error;
  TDatabaseSource db;
  ASSERT_TRUE(ParseTableSource(LanguageSource(languages), db, error)) << error;
  ASSERT_TRUE(WriteStrovdex(fs, db, folder.Path("widths.lng"), "", error)) << error;
  std::vector<TControlWidth> widths;
  ASSERT_TRUE(ParseControlWidths("# tag width pixels\n1 40 11\n2 20 11 b\n", widths, error));
  TContentCheck check;
  check.LanguageFile(folder.Path("widths.lng"), widths, &measure);
  // Tag 1 overflows in Dutch only; tag 2 is too wide everywhere, English
  // included, so the English width is the limit and nothing overflows.
  EXPECT_TRUE(Has(check, finding::kOverflow, "(Dutch): tag 1"));
  EXPECT_EQ(check.Findings.size(), 1u) << Describe(check);
  // At each display scale on its own: control and font scaled together.
  TContentCheck scaled;
  scaled.LanguageFile(folder.Path("widths.lng"), widths, &measure, {96, 192});
  EXPECT_TRUE(Has(scaled, finding::kOverflow, "at 192 dpi, its control 80"));
  EXPECT_EQ(scaled.Findings.size(), 2u) << Describe(scaled);
  EXPECT_FALSE(ParseControlWidths("1 40 11 x\n", widths, error));
}

TEST_F(ContentCheckFixture, CompleteContentPasses) {
  Build(InfoSource(), InfoSource());
  TContentCheck check;
  std::vector<std::string> scanned;
  check.InformationFile(Info(), Container(), [&](const std::string &text) {
    scanned.push_back(text);
    return std::vector<std::string>{};
  });
  EXPECT_TRUE(check.Findings.empty()) << Describe(check);
  EXPECT_EQ(scanned.size(), 6u * 54u); // every record of every language
}

TEST_F(ContentCheckFixture, RecordFaultsAreFound) {
  const std::string broken = InfoSource([](std::string &s) {
    s += "%% bgi_099||Lonely section\nx\n";                 // fine: follows a chapter
    s.replace(s.find("00010110"), 8, "00010111");           // region outside the table
    s.replace(s.find("||exp_003"), 9, "||exp_002");         // wrong owner
    s.replace(s.find("Dlg #wmgw0000050003"), 19, "Dlg #wmgi0000050002"); // key used twice
    s.replace(s.find("Dlg #igge0000060004"), 19, "Dlg #xgge0000060004"); // bad kind
    s += "%% note_1|Odd\nx\n";                               // unknown prefix
  });
  Build(broken, broken);
  TContentCheck check;
  check.InformationFile(Info(), Container());
  EXPECT_TRUE(Has(check, finding::kRegion, "00010111"));
  EXPECT_TRUE(Has(check, finding::kOwner, "part 4 names exp_002"));
  EXPECT_TRUE(Has(check, finding::kDuplicateKey, "key i0050002"));
  EXPECT_TRUE(Has(check, finding::kMessageHead, "dialog kind"));
  EXPECT_TRUE(Has(check, finding::kRecordName, "note_1"));
  EXPECT_FALSE(Has(check, finding::kRecordName, "bgi_099"));
  // The unusable gge message of set 006 leaves that questionnaire without an
  // exercise suggestion.
  EXPECT_TRUE(Has(check, finding::kQuestionnaire, "questionnaire 006 has no entry for group gge"));
}

TEST_F(ContentCheckFixture, LanguageGapsAndContainerMismatchesAreFound) {
  // Dutch lacks the question of questionnaire 004 and the explanation of 007;
  // the container lacks the video and holds a picture nothing shows.
  const std::string dutch = InfoSource([](std::string &s) {
    const size_t question = s.find("%% msg_0041|");
    s.erase(question, s.find("%% msg_0042|") - question);
    s.replace(s.find("nggt0000070000"), 14, "nggt0000070001");
  });
  Build(InfoSource(), dutch, {"bgi001", "xtra009"});
  TContentCheck check;
  check.InformationFile(Info(), Container());
  EXPECT_TRUE(Has(check, finding::kQuestionnaire, "language 31: questionnaire 004 has no question"));
  EXPECT_FALSE(Has(check, finding::kQuestionnaire, "language 44"));
  EXPECT_TRUE(Has(check, finding::kExplanation, "language 31: no explanation page nggt0000070000"));
  EXPECT_TRUE(Has(check, finding::kStructure, "language 31"));
  EXPECT_TRUE(Has(check, finding::kMissingVideo, "00000001.avi"));
  EXPECT_TRUE(Has(check, finding::kUnreferenced, "xtra009"));
  EXPECT_FALSE(Has(check, finding::kMissingPicture, "BGI001"));
}

TEST_F(ContentCheckFixture, MarkupProblemsAndMissingPicturesAreReported) {
  Build(InfoSource([](std::string &s) { s += "%% bgi_003||More\n<img name='bgi404' width=9>\n"; }),
        InfoSource([](std::string &s) { s += "%% bgi_003||More\n<IMG NAME=bgi404>\n"; }));
  TContentCheck check;
  check.InformationFile(Info(), Container(), [](const std::string &text) {
    return text.find("bgi404") != std::string::npos ? std::vector<std::string>{"unclosed"}
                                                    : std::vector<std::string>{};
  });
  EXPECT_TRUE(Has(check, finding::kMissingPicture, "BGI404 is not in the container"));
  EXPECT_TRUE(Has(check, finding::kMarkup, "bgi_003_44||More|: unclosed"));
  EXPECT_EQ(ReferencedPictures("<IMG ALIGN=CENTER NAME=\"a b\"> <IMGX NAME=c> 5 < 6"),
            (std::vector<std::string>{"A B", "C"}));
}

} // namespace
