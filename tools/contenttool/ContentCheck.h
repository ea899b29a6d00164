#pragma once
// Checks the built content files through the programs' own readers: the
// language files (table database), the information file MVRInfo.dat (record
// file) and the content container movaro.dat (archive directory). Every
// problem becomes a finding of one kind; the tool prints them and fails when
// there is any.

#include "TextWidth.h"

#include "platform/DisplayScale.h"

#include <functional>
#include <string>
#include <vector>

namespace finding {
// Language files.
inline constexpr char kMissingLanguage[] = "missing-language"; // Contents lacks one of the six
inline constexpr char kMissingTag[] = "missing-tag";           // English has the tag, a language not
inline constexpr char kExtraTag[] = "extra-tag";               // a language has a tag English lacks
inline constexpr char kTagOrder[] = "tag-order";               // list items are taken in table order
inline constexpr char kOverflow[] = "overflow";                // wider than its control
// Information file and container.
inline constexpr char kRecordName[] = "record-name";
inline constexpr char kMessageHead[] = "message-head";
inline constexpr char kOwner[] = "owner";
inline constexpr char kDuplicateKey[] = "duplicate-key";
inline constexpr char kStructure[] = "structure";   // a language's records differ from English
inline constexpr char kRegion[] = "region";         // exercise region code outside the table
inline constexpr char kQuestionnaire[] = "questionnaire";
inline constexpr char kExplanation[] = "explanation";
inline constexpr char kMissingPicture[] = "missing-picture";
inline constexpr char kMissingVideo[] = "missing-video";
inline constexpr char kUnreferenced[] = "unreferenced-member";
inline constexpr char kMarkup[] = "markup";
inline constexpr char kUnreadable[] = "unreadable"; // a file that does not load
} // namespace finding

struct TFinding {
  std::string Kind;
  std::string Where;
  std::string Message;
};

// One row of a control-width table: the texts of the tag, at the design font
// (character height in pixels, bold or not), must fit into Width pixels.
struct TControlWidth {
  int Tag = 0;
  int Width = 0;
  int Pixels = 11;
  bool Bold = false;
};

// Rows "TAG WIDTH PIXELS [b]" with "#" comments; false naming the bad line.
bool ParseControlWidths(const std::string &text, std::vector<TControlWidth> &out, std::string &error);

// The problems of one markup text; empty when it scans cleanly. The markup
// scanner of the markup text control provides it.
using TMarkupScan = std::function<std::vector<std::string>(const std::string &text)>;

// The picture names a markup text refers to (IMG tags with a NAME), read by
// the tag and attribute rules of the markup language.
std::vector<std::string> ReferencedPictures(const std::string &text);

class TContentCheck {
public:
  std::vector<TFinding> Findings;

  // Every language of the file has every tag of English, in English's order;
  // with widths and a measure, no text is wider than its control at any of
  // the display scales (pixels per inch): control and font both scaled, the
  // text measured at the scaled font, whose hinting need not keep the ratio.
  void LanguageFile(const std::string &path, const std::vector<TControlWidth> &widths = {},
                    const TTextMeasure *measure = nullptr,
                    const std::vector<int> &dpis = {TDisplayScale::kDesignDpi});
  // Record names, message heads and owners, the same records in every
  // language, questionnaires and explanations, exercise regions, and the
  // pictures and videos against the container's members (both ways). The
  // markup of every text goes through `scan` when one is given.
  void InformationFile(const std::string &infoPath, const std::string &containerPath,
                       const TMarkupScan &scan = {});

private:
  void Add(const char *kind, std::string where, std::string message);
};
