#pragma once
// The scanner of the markup language: turns a text into the words, line
// breaks and tags that the measuring and painting passes of the markup text
// control act on, in order.
//
// The language in short: CR LF breaks a line, a CR or LF on its own is
// dropped; a space ends a word and belongs to it (so runs of spaces are kept);
// a tag is "<" up to the first ">" whose upper-case form begins with one of
// sixteen prefixes (the ones ending in ">" must match whole, "<A", "<FONT",
// "</FONT", "<IMG" and "<INPUT" take anything after them); every other "<" and
// every ">" outside a tag is text. Text between <HIDE> and <SHOW> is dropped,
// while the tags inside it still count.
//
// The scanner is a pure function of the text: it allocates only its three
// buffers and never looks at a character more than a fixed number of times,
// so even a page of nothing but "<" scans in linear time.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class TMarkupTag : uint8_t {
  mtBold, mtBoldEnd, mtItalic, mtItalicEnd, mtUnderline, mtUnderlineEnd,
  mtStrikeOut, mtStrikeOutEnd, mtFont, mtFontEnd, mtImage, mtHide, mtShow,
  mtLink, mtLinkEnd, mtInput,
};

enum class TMarkupTokenKind : uint8_t {
  mkWord,      // a word to place (with its trailing space, if any; may be empty before a tag or break)
  mkLineBreak, // the line ends (after the word before it was placed)
  mkTag,       // a recognised tag, Text in upper case from "<" to ">"
  // Only with TMarkupScanner::ReportText:
  mkTextLess,     // a "<" kept as text; Text runs to the next ">" or the end of the line
  mkDroppedBreak, // a CR or LF on its own, dropped
};

struct TMarkupToken {
  TMarkupTokenKind Kind = TMarkupTokenKind::mkWord;
  TMarkupTag Tag = TMarkupTag::mtBold; // for mkTag
  std::string_view Text;                // valid until the next call of Next
  size_t Offset = 0;                    // where the token starts in the text
};

class TMarkupScanner {
public:
  explicit TMarkupScanner(std::string_view text) : text_(text) {}
  // The next token; false at the end of the text.
  bool Next(TMarkupToken &token);
  // The text of the last mkWord token as a string, for measuring it.
  const std::string &Word() const { return out_; }
  // Whether the scanner is inside hidden text (after <HIDE>, before <SHOW>).
  bool Hidden() const { return hidden_; }
  // Also yield mkTextLess and mkDroppedBreak tokens (for checking pages).
  bool ReportText = false;

private:
  bool FindTagEnd(size_t from, size_t &end);
  bool Emit(TMarkupToken &token, TMarkupTokenKind kind, std::string_view text, size_t offset);
  bool EmitWord(TMarkupToken &token);

  std::string_view text_;
  size_t pos_ = 0;
  bool hidden_ = false;
  std::string word_; // the word being collected
  size_t wordStart_ = 0;
  std::string out_;  // the word handed out last
  std::string tag_;  // the tag handed out last, in upper case
  // Tokens found but not yet handed out: a word before a break or tag comes
  // first, the break or tag next.
  TMarkupToken pending_;
  bool hasPending_ = false;
  // The first ">" after the last "<" looked at (npos: none in the rest of
  // the text), remembered so that every "<" does not search the text again.
  size_t gt_ = 0;
  bool gtKnown_ = false;
};

// The recognised tag that an upper-case tag text starts with; false for none.
bool RecogniseTag(std::string_view upperTag, TMarkupTag &tag);

// The value of an attribute (its name with "=", such as "NAME=") in an
// upper-case tag text: after the first occurrence of the name, leading quotes
// and spaces skipped, up to a double quote, else a single quote, else a space
// before the closing ">", else up to that ">". Empty when the name is absent.
std::string_view TagAttribute(std::string_view upperTag, std::string_view name);

// A decimal number with an optional sign that fits in 32 bits; fallback for
// anything else (empty, other characters, too large).
int32_t MarkupNumber(std::string_view text, int32_t fallback);

// One finding of CheckMarkup: where it is (1-based line of the text) and what.
struct TMarkupFinding {
  size_t Offset = 0;
  int Line = 1;
  std::string Message;
};

// Reads a page as the control would and lists what is most likely a mistake
// of its writer, though the control shows it without fail: a "<" that is
// shown as text although it looks like a tag, a line break that is dropped
// because it is not CR LF, style tags that do not balance, a hyperlink or
// hidden text left open, a picture or input field that does nothing for want
// of a name or type, a FONT size that changes nothing. Empty for a clean page.
std::vector<TMarkupFinding> CheckMarkup(std::string_view text);
