#include "ui/markup/MarkupScanner.h"

#include "base/AnsiText.h"

#include <algorithm>
#include <array>

namespace {

struct TTagPrefix {
  std::string_view Prefix;
  TMarkupTag Tag;
};

constexpr std::array<TTagPrefix, 16> kTagPrefixes{{
    {"<B>", TMarkupTag::mtBold},          {"</B>", TMarkupTag::mtBoldEnd},
    {"<I>", TMarkupTag::mtItalic},        {"</I>", TMarkupTag::mtItalicEnd},
    {"<U>", TMarkupTag::mtUnderline},     {"</U>", TMarkupTag::mtUnderlineEnd},
    {"<S>", TMarkupTag::mtStrikeOut},     {"</S>", TMarkupTag::mtStrikeOutEnd},
    {"<FONT", TMarkupTag::mtFont},        {"</FONT", TMarkupTag::mtFontEnd},
    {"<IMG", TMarkupTag::mtImage},        {"<HIDE>", TMarkupTag::mtHide},
    {"<SHOW>", TMarkupTag::mtShow},       {"<A", TMarkupTag::mtLink},
    {"</A>", TMarkupTag::mtLinkEnd},      {"<INPUT", TMarkupTag::mtInput},
}};
constexpr size_t kLongestPrefix = 6;

bool IsWordChar(char c) { return c != ' ' && c != '<' && c != '\r' && c != '\n'; }

} // namespace

bool RecogniseTag(std::string_view upperTag, TMarkupTag &tag) {
  for (const TTagPrefix &p : kTagPrefixes)
    if (upperTag.starts_with(p.Prefix)) {
      tag = p.Tag;
      return true;
    }
  return false;
}

std::string_view TagAttribute(std::string_view upperTag, std::string_view name) {
  size_t at = upperTag.find(name);
  if (at == std::string_view::npos)
    return {};
  std::string_view rest = upperTag.substr(at + name.size());
  size_t skip = rest.find_first_not_of("\"' ");
  rest = skip == std::string_view::npos ? std::string_view{} : rest.substr(skip);
  size_t close = rest.find('>');
  for (char end : {'"', '\'', ' '}) {
    size_t p = rest.find(end);
    if (p < close)
      return rest.substr(0, p);
  }
  return rest.substr(0, close);
}

int32_t MarkupNumber(std::string_view text, int32_t fallback) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty())
    return fallback;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      return fallback;
    value = value * 10 + (c - '0');
    if (value > int64_t{INT32_MAX} + 1)
      return fallback;
  }
  if (negative)
    value = -value;
  return value < INT32_MIN || value > INT32_MAX ? fallback : static_cast<int32_t>(value);
}

bool TMarkupScanner::FindTagEnd(size_t from, size_t &end) {
  if (!gtKnown_ || (gt_ != std::string_view::npos && gt_ < from)) {
    gt_ = text_.find('>', from);
    gtKnown_ = true;
  }
  end = gt_;
  return gt_ != std::string_view::npos;
}

bool TMarkupScanner::Emit(TMarkupToken &token, TMarkupTokenKind kind, std::string_view text,
                          size_t offset) {
  token.Kind = kind;
  token.Text = text;
  token.Offset = offset;
  return true;
}

bool TMarkupScanner::EmitWord(TMarkupToken &token) {
  out_.swap(word_);
  word_.clear();
  return Emit(token, TMarkupTokenKind::mkWord, out_, wordStart_);
}

bool TMarkupScanner::Next(TMarkupToken &token) {
  if (hasPending_) {
    hasPending_ = false;
    token = pending_;
    return true;
  }
  while (pos_ < text_.size()) {
    const size_t at = pos_;
    const char c = text_[pos_];
    if (IsWordChar(c)) {
      size_t end = pos_ + 1;
      while (end < text_.size() && IsWordChar(text_[end]))
        ++end;
      if (!hidden_) { // hidden characters are never placed: no need to keep them
        if (word_.empty())
          wordStart_ = pos_;
        word_.append(text_.substr(pos_, end - pos_));
      }
      pos_ = end;
      continue;
    }
    ++pos_;
    if (c == '\r') {
      if (ReportText && (pos_ >= text_.size() || text_[pos_] != '\n'))
        return Emit(token, TMarkupTokenKind::mkDroppedBreak, text_.substr(at, 1), at);
      continue;
    }
    if (c == '\n') {
      if (at == 0 || text_[at - 1] != '\r') {
        if (ReportText)
          return Emit(token, TMarkupTokenKind::mkDroppedBreak, text_.substr(at, 1), at);
        continue;
      }
      if (hidden_)
        continue;
      pending_ = TMarkupToken{TMarkupTokenKind::mkLineBreak, TMarkupTag::mtBold, {}, at - 1};
      hasPending_ = true;
      return EmitWord(token);
    }
    if (c == ' ') {
      if (hidden_)
        continue;
      if (word_.empty())
        wordStart_ = at;
      word_.push_back(' ');
      return EmitWord(token);
    }
    // c == '<': a tag when a ">" follows and the upper-case start is known.
    size_t end = 0;
    TMarkupTag kind{};
    if (FindTagEnd(pos_, end)) {
      char head[kLongestPrefix];
      size_t headLength = std::min(kLongestPrefix, end + 1 - at);
      for (size_t i = 0; i < headLength; ++i)
        head[i] = AnsiUpperChar(text_[at + i]);
      if (RecogniseTag(std::string_view(head, headLength), kind)) {
        bool placeWord = !hidden_;
        if (kind == TMarkupTag::mtHide)
          hidden_ = true;
        else if (kind == TMarkupTag::mtShow)
          hidden_ = false;
        pos_ = end + 1;
        tag_.clear();
        for (size_t i = at; i <= end; ++i)
          tag_.push_back(AnsiUpperChar(text_[i]));
        TMarkupToken tagToken{TMarkupTokenKind::mkTag, kind, tag_, at};
        if (!placeWord) {
          word_.clear();
          token = tagToken;
          return true;
        }
        pending_ = tagToken;
        hasPending_ = true;
        return EmitWord(token);
      }
    }
    if (!hidden_) {
      if (word_.empty())
        wordStart_ = at;
      word_.push_back('<');
    }
    if (ReportText) {
      size_t stop = text_.find_first_of(">\r\n", pos_);
      stop = stop == std::string_view::npos ? text_.size() : std::min(text_.size(), stop + 1);
      return Emit(token, TMarkupTokenKind::mkTextLess, text_.substr(at, stop - at), at);
    }
  }
  if (!word_.empty() && !hidden_)
    return EmitWord(token);
  return false;
}

namespace {

// Collects the findings of CheckMarkup; numbers their lines at the end.
class TMarkupChecker {
public:
  explicit TMarkupChecker(std::string_view text) : text_(text) {}
  void Add(size_t offset, std::string message) { findings_.push_back({offset, 1, std::move(message)}); }
  std::vector<TMarkupFinding> Result() {
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const TMarkupFinding &a, const TMarkupFinding &b) { return a.Offset < b.Offset; });
    size_t from = 0;
    int line = 1;
    for (TMarkupFinding &f : findings_) {
      for (; from < f.Offset && from < text_.size(); ++from)
        line += text_[from] == '\n';
      f.Line = line;
    }
    return std::move(findings_);
  }

private:
  std::string_view text_;
  std::vector<TMarkupFinding> findings_;
};

bool LooksLikeTag(std::string_view lessText) {
  if (lessText.size() < 2)
    return false;
  char next = AnsiUpperChar(lessText[1]);
  return next == '/' || (next >= 'A' && next <= 'Z');
}

} // namespace

std::vector<TMarkupFinding> CheckMarkup(std::string_view text) {
  TMarkupChecker check(text);
  TMarkupScanner scanner(text);
  scanner.ReportText = true;
  // Counters of <B>, <I>, <U>, <S> with where each was last opened.
  static const char *const kStyleNames[] = {"B", "I", "U", "S"};
  int styles[4] = {};
  size_t styleOpened[4] = {};
  bool linkOpen = false, droppedReported = false;
  size_t linkOpened = 0, hiddenAt = 0;
  TMarkupToken token;
  while (scanner.Next(token)) {
    std::string quoted = "\"" + std::string(token.Text.substr(0, 60)) + "\"";
    switch (token.Kind) {
    case TMarkupTokenKind::mkTextLess:
      if (LooksLikeTag(token.Text))
        check.Add(token.Offset, token.Text.find('>') == std::string_view::npos
                                    ? quoted + " has no closing \">\" and is shown as text"
                                    : quoted + " is not a tag of the language and is shown as text");
      break;
    case TMarkupTokenKind::mkDroppedBreak:
      if (!droppedReported) // one is enough: usually the whole page has the wrong line ends
        check.Add(token.Offset, "a line break that is not CR LF is dropped");
      droppedReported = true;
      break;
    case TMarkupTokenKind::mkTag: {
      int tag = static_cast<int>(token.Tag);
      if (tag <= static_cast<int>(TMarkupTag::mtStrikeOutEnd)) {
        int style = tag / 2;
        bool closing = tag % 2 == 1;
        if (closing && styles[style] <= 0)
          check.Add(token.Offset, std::string("</") + kStyleNames[style] + "> without <" +
                                      kStyleNames[style] + "> before it");
        styles[style] += closing ? -1 : 1;
        if (!closing)
          styleOpened[style] = token.Offset;
        break;
      }
      switch (token.Tag) {
      case TMarkupTag::mtFont:
      case TMarkupTag::mtFontEnd: {
        std::string_view size = TagAttribute(token.Text, "SIZE=");
        if (size.empty() || (size[0] != '+' && size[0] != '-'))
          check.Add(token.Offset, quoted + " changes nothing: SIZE= needs a + or - change");
        break;
      }
      case TMarkupTag::mtImage:
        if (TagAttribute(token.Text, "NAME=").empty())
          check.Add(token.Offset, quoted + " has no NAME= and shows nothing");
        break;
      case TMarkupTag::mtInput: {
        std::string_view type = TagAttribute(token.Text, "TYPE=");
        if (type != "RADIO" && type != "CHECKBOX" && type != "TEXT")
          check.Add(token.Offset, quoted + " needs TYPE=RADIO, CHECKBOX or TEXT (reads \"" +
                                      std::string(type) + "\")");
        else if (TagAttribute(token.Text, "NAME=").empty())
          check.Add(token.Offset, quoted + " has no NAME= and shows nothing");
        break;
      }
      case TMarkupTag::mtLink:
        if (linkOpen)
          check.Add(token.Offset, quoted + " inside an open hyperlink is ignored");
        linkOpened = linkOpen ? linkOpened : token.Offset;
        linkOpen = true;
        break;
      case TMarkupTag::mtLinkEnd:
        if (!linkOpen)
          check.Add(token.Offset, "</A> without an open hyperlink");
        linkOpen = false;
        break;
      case TMarkupTag::mtHide:
        if (hiddenAt == 0)
          hiddenAt = token.Offset + 1;
        break;
      case TMarkupTag::mtShow:
        hiddenAt = 0;
        break;
      default:
        break;
      }
      break;
    }
    default:
      break;
    }
  }
  for (int style = 0; style < 4; ++style)
    if (styles[style] > 0)
      check.Add(styleOpened[style], std::string("<") + kStyleNames[style] + "> is not closed");
  if (linkOpen)
    check.Add(linkOpened, "a hyperlink is not closed with </A>");
  if (hiddenAt != 0)
    check.Add(hiddenAt - 1, "<HIDE> without <SHOW>: the rest of the text is hidden");
  return check.Result();
}
