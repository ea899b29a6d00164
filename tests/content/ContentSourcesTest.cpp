// The builders of the content: information source, documents, exercise films.
#include "Documents.h"
#include "FigureFilm.h"
#include "InfoSource.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(InfoSource, NamesGetTheLanguageSuffixAndTextsWindowsLineBreaks) {
  std::vector<TRecordSource> records;
  std::string error;
  ASSERT_TRUE(ParseInfoSource("# head comment\n%% bgi_001|Über\n<B>Eins</B>\n%# note\nzwei\n\n"
                              "%% msg_002|Dlg #qggt0030010001||bgi_001\nFrage?\n",
                              49, records, error)) << error;
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].Id, 49001);
  EXPECT_EQ(records[0].Name, "bgi_001_49|\xdc" "ber");
  EXPECT_EQ(records[0].Text, "<B>Eins</B>\r\nzwei");
  EXPECT_EQ(records[1].Name, "msg_002_49|Dlg #qggt0030010001||bgi_001");

  EXPECT_FALSE(ParseInfoSource("%% bgi_001_44|Twice\ntext\n", 44, records, error));
  EXPECT_FALSE(ParseInfoSource("%% bgi_001|Empty\n\n%% bgi_002|Next\nx\n", 44, records, error));
  EXPECT_FALSE(ParseInfoSource("%% bgi_001|A\nok\n%% bgi_002|B\n\xe2\x86\x92\n", 44, records, error));
  EXPECT_NE(error.find("line 4"), std::string::npos) << error; // the arrow has no Windows-1252 byte
}

TEST(Documents, LicenceBecomesRichTextWithEscapesAndBoldHeadings) {
  std::string rtf, error;
  ASSERT_TRUE(LicenceRtf("# 1. Über [ProgramTitle]\n\nA {b} c\\d\ne\n", rtf, error)) << error;
  EXPECT_NE(rtf.find("{\\b 1. \\'dcber [ProgramTitle]}\\par"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("A \\{b\\} c\\\\d e\\par"), std::string::npos) << rtf;
  // A heading directly above its body stays a line of its own.
  ASSERT_TRUE(LicenceRtf("# 2. Use\nYou may\ncopy.\n", rtf, error)) << error;
  EXPECT_NE(rtf.find("{\\b 2. Use}\\par\r\nYou may copy.\\par"), std::string::npos) << rtf;
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1252", 0), 0u);

  std::string text;
  ASSERT_TRUE(WindowsText("a\nb\r\nc", text, error));
  EXPECT_EQ(text, "a\r\nb\r\nc");
}

TEST(FigureFilm, ScriptErrorsAreRefusedAndFilmsLoopThroughTheirPoses) {
  std::vector<TExercisePlan> plans;
  std::string error;
  EXPECT_FALSE(ParseExerciseScript("exercise 1 side seated 2\npose wing=3\n", plans, error));
  plans.clear();
  EXPECT_FALSE(ParseExerciseScript("exercise 1 top seated 2\npose\n", plans, error));
  plans.clear();
  EXPECT_FALSE(ParseExerciseScript("exercise 1 side seated 2\n", plans, error));
  plans.clear();
  ASSERT_TRUE(ParseExerciseScript("# arms\nexercise 7 front standing 2 accent=armR,elbowR,handR\n"
                                  "pose armR=0\npose armR=170\n", plans, error)) << error;
  ASSERT_EQ(plans.size(), 1u);
  const auto frames = FilmFrames(plans[0]);
  ASSERT_EQ(frames.size(), 2u * kFramesPerSecond);
  EXPECT_EQ(frames[0].size(), size_t(kFilmSize) * kFilmSize * 3);
  // The moving arm is drawn in the accent colour: its height is the mean row
  // of those pixels. It rises to the raised pose half-way, in small steps,
  // and comes back down towards the first frame at the end.
  const auto armRow = [](const std::vector<uint8_t> &frame) {
    double rows = 0, count = 0;
    for (size_t i = 0; i < frame.size(); i += 3)
      if (frame[i] == 224 && frame[i + 1] == 123 && frame[i + 2] == 57) {
        rows += static_cast<double>(i / 3 / kFilmSize);
        ++count;
      }
    return count ? rows / count : -1;
  };
  const double down = armRow(frames[0]), up = armRow(frames[10]);
  ASSERT_GT(down - up, 40);
  for (size_t i = 0; i + 1 < frames.size(); ++i)
    EXPECT_LT(std::abs(armRow(frames[i + 1]) - armRow(frames[i])), (down - up) / 3) << "frame " << i;
  EXPECT_LT(down - armRow(frames[19]), (down - up) / 10);
}

} // namespace
