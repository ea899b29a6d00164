#include "ui/markup/MarkupScanner.h"

#include <gtest/gtest.h>

namespace {

// The tokens of a text as one line: words in [], breaks as |, tags as is.
std::string Scan(std::string_view text, bool reportText = false) {
  TMarkupScanner scanner(text);
  scanner.ReportText = reportText;
  std::string out;
  TMarkupToken t;
  while (scanner.Next(t)) {
    switch (t.Kind) {
    case TMarkupTokenKind::mkWord: out += "[" + std::string(t.Text) + "]"; break;
    case TMarkupTokenKind::mkLineBreak: out += "|"; break;
    case TMarkupTokenKind::mkTag: out += std::string(t.Text); break;
    case TMarkupTokenKind::mkTextLess: out += "{" + std::string(t.Text) + "}"; break;
    case TMarkupTokenKind::mkDroppedBreak: out += "~"; break;
    }
  }
  return out;
}

TEST(MarkupScanner, WordsKeepTheirSpaceAndOnlyCrLfBreaksALine) {
  EXPECT_EQ(Scan("ab  cd\r\nx\ry\nz"), "[ab ][ ][cd]|[xyz]");
  EXPECT_EQ(Scan("   "), "[ ][ ][ ]");
  EXPECT_EQ(Scan("\r\r\n\n\t<>"), "[]|[\t<>]");
  EXPECT_EQ(Scan("a\rb\nc", true), "~~[abc]");
}

TEST(MarkupScanner, TagsAreRecognisedByTheirUpperCasePrefix) {
  EXPECT_EQ(Scan("a<B>b</b>c"), "[a]<B>[b]</B>[c]");
  EXPECT_EQ(Scan("<B >x<BR>y"), "[<B ][>x<BR>y]");
  EXPECT_EQ(Scan("5 < 6"), "[5 ][< ][6]");
  EXPECT_EQ(Scan("5 <B 6>"), "[5 ][<B ][6>]");
  EXPECT_EQ(Scan("<abbr>x</a>"), "[]<ABBR>[x]</A>");
  EXPECT_EQ(Scan("<font size=+2>big</FONT size=-2>"), "[]<FONT SIZE=+2>[big]</FONT SIZE=-2>");
  EXPECT_EQ(Scan("<img name=a b>"), "[]<IMG NAME=A B>");
  // A tag runs to the first ">", and a "<" inside it is part of it.
  EXPECT_EQ(Scan("<A HREF=x<B>y>"), "[]<A HREF=X<B>[y>]");
  EXPECT_EQ(Scan("x <Q> <B", true), "[x ]{<Q>}[<Q> ]{<B}[<B]");
}

TEST(MarkupScanner, HiddenTextIsDroppedButItsTagsCount) {
  EXPECT_EQ(Scan("a<HIDE>b c\r\nd<IMG NAME=P>e<SHOW>f g"), "[a]<HIDE><IMG NAME=P><SHOW>[f ][g]");
  EXPECT_EQ(Scan("a<hide>b\r\nc"), "[a]<HIDE>");
}

TEST(MarkupScanner, APageOfOpenBracketsIsOneWord) {
  std::string page(200000, '<');
  TMarkupScanner scanner(page);
  TMarkupToken token;
  ASSERT_TRUE(scanner.Next(token));
  EXPECT_EQ(token.Text.size(), page.size());
  EXPECT_FALSE(scanner.Next(token));
  // With one ">" at the very end the first "<" opens a tag only if recognised.
  page += ">";
  EXPECT_EQ(Scan(page).size(), page.size() + 2);
  page[1] = 'A';
  EXPECT_EQ(Scan(page).substr(0, 6), "[]<A<<");
}

TEST(MarkupScanner, AttributeValuesFollowTheQuoteRules) {
  EXPECT_EQ(TagAttribute("<A HREF=PAGE2>", "HREF="), "PAGE2");
  EXPECT_EQ(TagAttribute("<IMG NAME=\"A B\" WIDTH=3>", "NAME="), "A B");
  EXPECT_EQ(TagAttribute("<IMG NAME= 'X Y'>", "NAME="), "X Y");
  EXPECT_EQ(TagAttribute("<IMG WIDTH=3 NAME=P>", "WIDTH="), "3");
  EXPECT_EQ(TagAttribute("<A HREF=P2 TITLE=\"T\">", "HREF="), "P2 TITLE=");
  EXPECT_EQ(TagAttribute("<IMG NAME=>", "NAME="), "");
  EXPECT_EQ(TagAttribute("<IMG>", "NAME="), "");
  EXPECT_EQ(TagAttribute("<A HREF=\"\">", "HREF="), "");

  EXPECT_EQ(MarkupNumber("120", -1), 120);
  EXPECT_EQ(MarkupNumber("-5", -1), -5);
  EXPECT_EQ(MarkupNumber("+2147483647", 0), 2147483647);
  EXPECT_EQ(MarkupNumber("-2147483648", 0), INT32_MIN);
  EXPECT_EQ(MarkupNumber("2147483648", -1), -1);
  EXPECT_EQ(MarkupNumber("99999999999999999999", -1), -1);
  EXPECT_EQ(MarkupNumber("12PX", -1), -1);
  EXPECT_EQ(MarkupNumber("", 1), 1);
  EXPECT_EQ(MarkupNumber("-", 1), 1);
}

TEST(MarkupScanner, CheckListsWhatIsMostLikelyAMistake) {
  EXPECT_TRUE(CheckMarkup("<B>Title</B>\r\n5 < 6 and <A HREF=x>a link</A>\r\n"
                          "<IMG NAME=bgi001> <INPUT TYPE=RADIO NAME=q1 VALUE=1>")
                  .empty());
  auto findings = CheckMarkup("<B>open\r\n<BR> x</I>\r\n<A HREF=a><A HREF=b>\nz"
                              "<IMG WIDTH=3><INPUT TYPE=BUTTON NAME=n><FONT SIZE=3><HIDE>");
  std::vector<std::string> lines;
  for (const auto &f : findings)
    lines.push_back(std::to_string(f.Line) + ": " + f.Message);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "1: <B> is not closed",
                       "2: \"<BR>\" is not a tag of the language and is shown as text",
                       "2: </I> without <I> before it",
                       "3: a hyperlink is not closed with </A>",
                       "3: \"<A HREF=B>\" inside an open hyperlink is ignored",
                       "3: a line break that is not CR LF is dropped",
                       "4: \"<IMG WIDTH=3>\" has no NAME= and shows nothing",
                       "4: \"<INPUT TYPE=BUTTON NAME=N>\" needs TYPE=RADIO, CHECKBOX or TEXT (reads \"BUTTON\")",
                       "4: \"<FONT SIZE=3>\" changes nothing: SIZE= needs a + or - change",
                       "4: <HIDE> without <SHOW>: the rest of the text is hidden",
                   }));
}

} // namespace
