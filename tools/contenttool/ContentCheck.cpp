#include "ContentCheck.h"

#include "Languages.h"
#include "data/archive/ContentContainer.h"
#include "data/recfile/IDbRecs.h"
#include "data/tabledb/Strovdex.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessLocale.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <set>
#include <sstream>

namespace {

// The exercise regions of the exercise menu, by their eight-character codes.
constexpr std::array<const char *, 10> kRegionCodes{"00010110", "00000110", "00010010", "01001000",
                                                    "00000001", "00101010", "00101000", "00100000",
                                                    "00010000", "10010000"};
constexpr int kQuestionnaires = 10;

std::string Upper(std::string text) {
  for (char &c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool AllDigits(const std::string &text) {
  return !text.empty() && std::all_of(text.begin(), text.end(),
                                      [](char c) { return c >= '0' && c <= '9'; });
}

std::string Suffix(int language) { return "_" + std::to_string(language); }

// ---- language files --------------------------------------------------------

struct TTextTable {
  bool Present = false;
  std::vector<std::string> Tags;               // in table order
  std::map<std::string, std::string> Captions; // first record of each tag
};

TTextTable ReadTextTable(TStrovdexObject &db, const std::string &table) {
  TTextTable result;
  if (db.FindTable(table) < 1)
    return result;
  result.Present = true;
  const int32_t count = db.RecordCount(table);
  for (int32_t r = 1; r <= count; ++r) {
    const std::string tag = db.FieldText(table, "Tag", r);
    result.Tags.push_back(tag);
    result.Captions.emplace(tag, db.FieldText(table, "Caption", r));
  }
  return result;
}

// ---- information file ------------------------------------------------------

struct TRecordView {
  std::array<std::string, 4> Parts;
  std::string Text;
  std::string Page;    // part 1 without the language suffix
  std::string Head;    // the 14 characters after "Dlg #", empty for no message
  bool HeadPart = false; // a part begins with "Dlg #"
};

std::string MessagePart(const std::array<std::string, 4> &parts) {
  for (const auto &part : parts)
    if (part.rfind("Dlg #", 0) == 0)
      return part;
  return {};
}

// Head positions (1-based as the profile counts them).
char Kind(const std::string &head) { return head[0]; }
std::string Group(const std::string &head) { return head.substr(1, 2); }
char Category(const std::string &head) { return head[3]; }
std::string SetNumber(const std::string &head) { return head.substr(7, 3); }
std::string Key(const std::string &head) { return head.substr(3, 1) + head.substr(7, 7); }

// Why a head breaks the rules, or empty.
std::string HeadProblem(const std::string &head, bool explanation) {
  if (head.size() != 14)
    return "a message head has 14 characters";
  if (std::string("iqwon").find(Kind(head)) == std::string::npos)
    return "dialog kind must be i, q, w, o or n";
  if ((Kind(head) == 'n') != explanation)
    return "explanation pages, and only they, have the kind n";
  const std::string group = Group(head);
  if (group != "kk" && group != "mg" && group != "gg")
    return "group must be kk, mg or gg";
  if (!std::isalpha(static_cast<unsigned char>(Category(head))))
    return "the category is a letter";
  if (Category(head) == 't' && !explanation && !AllDigits(head.substr(5, 2)))
    return "a questionnaire item carries two score digits";
  if (!AllDigits(SetNumber(head)) || std::stoi(SetNumber(head)) > kQuestionnaires)
    return "set number must be 000 to 010";
  if (!AllDigits(head.substr(10, 4)))
    return "the item number is four digits";
  return {};
}

// The group test, exclusion and set test of the status question search.
bool Candidate(const std::string &head, const std::string &filter, const std::string &excluded,
               const std::string &set) {
  const std::string group = Group(head);
  if (filter != "gg" && group != filter && head.substr(1, 3) != filter)
    return false;
  return group != excluded && SetNumber(head) == set;
}

std::string ThreeDigits(int n) {
  std::string text = std::to_string(n);
  return std::string(3 - text.size(), '0') + text;
}

} // namespace

// ---- shared ----------------------------------------------------------------

void TContentCheck::Add(const char *kind, std::string where, std::string message) {
  Findings.push_back({kind, std::move(where), std::move(message)});
}

bool ParseControlWidths(const std::string &text, std::vector<TControlWidth> &out,
                        std::string &error) {
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    TControlWidth row;
    std::string bold;
    if (!(words >> row.Tag)) {
      if (line.find_first_not_of(" \t\r") == std::string::npos)
        continue;
      error = "line " + std::to_string(number) + ": TAG WIDTH PIXELS [b] expected";
      return false;
    }
    if (!(words >> row.Width >> row.Pixels) || row.Width <= 0 || row.Pixels <= 0 ||
        ((words >> bold) && bold != "b")) {
      error = "line " + std::to_string(number) + ": TAG WIDTH PIXELS [b] expected";
      return false;
    }
    row.Bold = bold == "b";
    out.push_back(row);
  }
  return true;
}

std::vector<std::string> ReferencedPictures(const std::string &text) {
  // A tag runs from "<" to the first ">"; only "<IMG" tags with a NAME count,
  // and attribute values are read from the upper-case tag as the markup does.
  std::vector<std::string> names;
  for (size_t start = text.find('<'); start != std::string::npos; start = text.find('<', start + 1)) {
    const size_t end = text.find('>', start);
    if (end == std::string::npos)
      break;
    const std::string tag = Upper(text.substr(start, end - start + 1));
    if (tag.rfind("<IMG", 0) != 0)
      continue;
    const size_t at = tag.find("NAME=");
    if (at == std::string::npos)
      continue;
    std::string value = tag.substr(at + 5);
    value.erase(0, value.find_first_not_of("\"' "));
    const size_t close = value.find('>');
    size_t stop = value.find('"');
    if (stop == std::string::npos || stop > close)
      stop = value.find('\'');
    if (stop == std::string::npos || stop > close)
      stop = value.find(' ');
    if (stop == std::string::npos || stop > close)
      stop = close;
    value = value.substr(0, stop);
    if (!value.empty())
      names.push_back(value);
    start = end;
  }
  return names;
}

// ---- language files --------------------------------------------------------

void TContentCheck::LanguageFile(const std::string &path, const std::vector<TControlWidth> &widths,
                                 const TTextMeasure *measure, const std::vector<int> &dpis) {
  THeadlessFileSystem fs;
  THeadlessLocale locale;
  TStrovdexObject db(fs, locale);
  if (!db.Open(path, path, "", "")) {
    Add(finding::kUnreadable, path, "the language file does not open");
    return;
  }
  std::map<int, std::string> tables; // language number -> text table
  const int32_t languages = db.RecordCount("Contents");
  for (int32_t r = 1; r <= languages; ++r) {
    const std::string number = db.FieldText("Contents", "iCountry", r);
    if (AllDigits(number))
      tables[std::stoi(number)] = "MainForm (" + db.FieldText("Contents", "sCountry", r) + ")";
  }
  for (const auto &language : kLanguages)
    if (!tables.count(language.Number))
      Add(finding::kMissingLanguage, path, "no language " + std::to_string(language.Number));
  if (!tables.count(44))
    return;

  const TTextTable english = ReadTextTable(db, tables[44]);
  std::map<std::string, int> englishWidth;
  for (const auto &[number, name] : tables) {
    const TTextTable table = ReadTextTable(db, name);
    const std::string where = path + ": " + name;
    if (!table.Present) {
      Add(finding::kMissingTag, where, "the table is missing");
      continue;
    }
    std::set<std::string> own(table.Tags.begin(), table.Tags.end());
    std::set<std::string> reference(english.Tags.begin(), english.Tags.end());
    for (const auto &tag : english.Tags)
      if (!own.count(tag))
        Add(finding::kMissingTag, where, "tag " + tag);
    for (const auto &tag : table.Tags)
      if (!reference.count(tag))
        Add(finding::kExtraTag, where, "tag " + tag + " is not in English");
    if (own == reference && table.Tags != english.Tags)
      Add(finding::kTagOrder, where, "the tags are not in English's order");

    if (!measure)
      continue;
    for (const int dpi : dpis) {
      const TDisplayScale scale(dpi);
      const std::string at =
          scale.IsDesign() ? "" : " at " + std::to_string(scale.Dpi()) + " dpi";
      for (const auto &row : widths) {
        const std::string tag = std::to_string(row.Tag);
        auto caption = table.Captions.find(tag);
        auto design = english.Captions.find(tag);
        if (caption == table.Captions.end() || design == english.Captions.end())
          continue;
        // Where the English design text is already wider than the space the
        // layout gives it, the design accepts that width.
        const int pixels = scale.ToDevice(row.Pixels);
        const int limit = std::max(scale.ToDevice(row.Width),
                                   measure->Width(design->second, pixels, row.Bold));
        const int width = measure->Width(caption->second, pixels, row.Bold);
        if (width > limit)
          Add(finding::kOverflow, where,
              "tag " + tag + " \"" + caption->second + "\" is " + std::to_string(width) +
                  " pixels wide" + at + ", its control " + std::to_string(limit));
      }
    }
  }
}

// ---- information file ------------------------------------------------------

void TContentCheck::InformationFile(const std::string &infoPath, const std::string &containerPath,
                                    const TMarkupScan &scan) {
  THeadlessFileSystem fs;
  TIDbRecFile file(fs);
  if (!file.LoadRecords(infoPath)) {
    Add(finding::kUnreadable, infoPath, "the information file does not load completely");
    if (file.RecordCount() == 0)
      return;
  }
  const auto container = LoadContentDirectory(fs, containerPath);
  if (!container)
    Add(finding::kUnreadable, containerPath, "the content container is missing");

  // Names that carry no or several language suffixes belong to no language,
  // or to several: both break the selection by language.
  file.SelectRecords("");
  for (int32_t n = 1; n <= file.SelectedCount(); ++n) {
    const std::string name = file.GetSelectedRecord(n).Name;
    int suffixes = 0;
    for (const auto &language : kLanguages)
      suffixes += name.find(Suffix(language.Number)) != std::string::npos;
    if (suffixes != 1)
      Add(finding::kRecordName, infoPath + ": " + name, "a name carries exactly one language suffix");
  }

  std::set<std::string> referenced; // upper-case member names
  std::vector<std::string> englishOutline;
  std::map<int, std::vector<std::string>> outlines;

  for (const auto &language : kLanguages) {
    file.SelectRecords(Suffix(language.Number));
    outlines[language.Number]; // a language without records differs from English too
    std::vector<TRecordView> records;
    for (int32_t n = 1; n <= file.SelectedCount(); ++n) {
      const TIDbRec record = file.GetSelectedRecord(n);
      TRecordView view;
      view.Parts = TIDbRecFile::SplitName(record.Name);
      view.Text = record.Text;
      const std::string suffix = Suffix(language.Number);
      const std::string &first = view.Parts[0];
      view.Page = first.size() > suffix.size() && first.compare(first.size() - suffix.size(), suffix.size(), suffix) == 0
                      ? first.substr(0, first.size() - suffix.size())
                      : first;
      const std::string message = MessagePart(view.Parts);
      view.HeadPart = !message.empty();
      view.Head = message.size() > 5 ? message.substr(5) : "";
      records.push_back(std::move(view));
    }

    const std::string lang = std::to_string(language.Number);
    std::set<std::string> keys;
    std::vector<std::string> heads;
    bool chapter = false;
    for (size_t i = 0; i < records.size(); ++i) {
      const TRecordView &r = records[i];
      const std::string where = infoPath + ": " + r.Parts[0] + "|" + r.Parts[1] + "|" + r.Parts[2] + "|" + r.Parts[3];
      const std::string prefix = r.Page.substr(0, 4);
      const std::string number = r.Page.size() > 4 ? r.Page.substr(4) : "";
      if ((prefix != "bgi_" && prefix != "exe_" && prefix != "msg_" && prefix != "exp_") ||
          number.size() < 3 || !AllDigits(number) || r.Page + Suffix(language.Number) != r.Parts[0]) {
        Add(finding::kRecordName, where, "the first part is bgi_, exe_, msg_ or exp_, a number of three or more digits and the language suffix");
        continue;
      }
      if (r.Text.empty())
        Add(finding::kRecordName, where, "the record has no text");
      std::string outline = r.Page;
      if (prefix == "bgi_") {
        const bool isChapter = !r.Parts[1].empty() && r.Parts[2].empty();
        const bool isSection = r.Parts[1].empty() && !r.Parts[2].empty();
        if ((!isChapter && !isSection) || !r.Parts[3].empty() || r.HeadPart)
          Add(finding::kRecordName, where, "a background record is a chapter (title in part 2) or a section (title in part 3)");
        else if (isSection && !chapter)
          Add(finding::kRecordName, where, "a section follows a chapter");
        chapter = chapter || isChapter;
      } else if (prefix == "exe_") {
        const std::string &video = r.Parts[1];
        const size_t dash = video.find('-');
        const std::string base = video.substr(0, dash);
        const std::string region = dash == std::string::npos ? "" : video.substr(dash + 1);
        outline += "|" + video;
        if (base.size() != 8 || !AllDigits(base) || r.Parts[2].empty() || !r.Parts[3].empty())
          Add(finding::kRecordName, where, "an exercise is VIDEO-REGION|title with an eight-digit video name");
        if (std::find(kRegionCodes.begin(), kRegionCodes.end(), region) == kRegionCodes.end())
          Add(finding::kRegion, where, "region code \"" + region + "\" is not in the region table");
        referenced.insert(Upper(base + ".avi"));
        if (container && FindContentEntry(container, base + ".avi").Offset < 0)
          Add(finding::kMissingVideo, where, base + ".avi is not in the container");
      } else {
        const bool explanation = prefix == "exp_";
        const std::string problem = r.HeadPart ? HeadProblem(r.Head, explanation) : "no \"Dlg #\" part";
        if (!problem.empty()) {
          Add(finding::kMessageHead, where, problem);
          continue;
        }
        outline += "|" + r.Head;
        heads.push_back(r.Head);
        // The key names the answer in the profile; explanations have none.
        if (!explanation && !keys.insert(Key(r.Head)).second)
          Add(finding::kDuplicateKey, where, "key " + Key(r.Head) + " is used twice");
        if (explanation != r.Parts[3].empty())
          Add(finding::kOwner, where, explanation ? "an explanation page is its own page"
                                                  : "a message names its page in part 4");
        if (!explanation) {
          // The owning page: the nearest record before with an empty part 4.
          size_t owner = i;
          while (owner > 0 && !records[owner].Parts[3].empty())
            --owner;
          if (records[owner].Page != r.Parts[3])
            Add(finding::kOwner, where, "part 4 names " + r.Parts[3] + " but the page before is " + records[owner].Page);
        }
      }
      outlines[language.Number].push_back(outline);

      for (const auto &picture : ReferencedPictures(r.Text)) {
        referenced.insert(picture);
        if (container && FindContentEntry(container, picture).Offset < 0)
          Add(finding::kMissingPicture, where, picture + " is not in the container");
      }
      if (scan)
        for (const auto &problem : scan(r.Text))
          Add(finding::kMarkup, where, problem);
    }

    // Explanation pages of the Risk Index (000) and the ten questionnaires.
    for (int set = 0; set <= kQuestionnaires; ++set) {
      const std::string head = "nggt000" + ThreeDigits(set) + "0000";
      if (std::find(heads.begin(), heads.end(), head) == heads.end())
        Add(finding::kExplanation, infoPath + ": language " + lang, "no explanation page " + head);
    }
    // Every questionnaire has items, and the status question search finds an
    // entry for it whichever group it asks for.
    const std::array<std::pair<const char *, const char *>, 5> searches{
        {{"gg", "mg"}, {"gg", "kk"}, {"gge", "kk"}, {"kk", "mg"}, {"mg", "kk"}}};
    for (int set = 1; set <= kQuestionnaires; ++set) {
      const std::string number = ThreeDigits(set);
      const bool items = std::any_of(heads.begin(), heads.end(), [&](const std::string &h) {
        return Kind(h) != 'n' && Category(h) == 't' && SetNumber(h) == number;
      });
      if (!items)
        Add(finding::kQuestionnaire, infoPath + ": language " + lang, "questionnaire " + number + " has no question");
      for (const auto &search : searches) {
        // Named copies: clang 14 cannot capture structured bindings in a lambda.
        const char *filter = search.first, *excluded = search.second;
        const bool found = std::any_of(heads.begin(), heads.end(), [&](const std::string &h) {
          return Kind(h) != 'n' && Candidate(h, filter, excluded, number);
        });
        if (!found)
          Add(finding::kQuestionnaire, infoPath + ": language " + lang,
              "questionnaire " + number + " has no entry for group " + filter + " without " + excluded);
      }
    }
  }

  // Every language has the records of English, in the same order.
  const auto &reference = outlines[44];
  for (const auto &[number, outline] : outlines) {
    if (outline == reference)
      continue;
    size_t i = 0;
    while (i < outline.size() && i < reference.size() && outline[i] == reference[i])
      ++i;
    Add(finding::kStructure, infoPath + ": language " + std::to_string(number),
        "differs from English at record " + std::to_string(i + 1) + ": " +
            (i < outline.size() ? outline[i] : "(none)") + " instead of " +
            (i < reference.size() ? reference[i] : "(none)"));
  }

  if (container)
    for (const auto &line : *container) {
      const std::string name = line.substr(0, line.find('='));
      if (!referenced.count(Upper(name)))
        Add(finding::kUnreferenced, containerPath, name + " is referenced by no record");
    }
}
