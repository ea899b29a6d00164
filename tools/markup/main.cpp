// markup: lays a markup text out as the markup text control does, with the
// headless text metrics, and prints what the passes produce; or checks pages
// for likely mistakes. See README.md beside this file.

#include "data/archive/ContentContainer.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/markup/MarkupScanner.h"
#include "ui/markup/ParserControl.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: markup layout [--width N] [--parent WxH | --no-parent] [--font-size N]\n"
               "                     [--hscroll] [--no-vscroll] [--container FILE] PAGE\n"
               "       markup check PAGE...\n");
  return 2;
}

bool ReadText(const std::string &path, std::string &text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "markup: cannot read %s\n", path.c_str());
    return false;
  }
  std::ostringstream all;
  all << in.rdbuf();
  text = all.str();
  return true;
}

// Control characters as escapes (a tag may run over lines), so that one
// finding or field stays on one line; with quote, also quote and backslash.
std::string Escaped(const std::string &text, bool quote) {
  std::string out;
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (quote && (c == '"' || c == '\\')) {
      out += '\\';
      out += c;
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u < 0x20 || u == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", u);
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

// A text as one double-quoted field.
std::string Quoted(const std::string &text) { return "\"" + Escaped(text, true) + "\""; }

std::string Style(const TCanvasFont &f) {
  std::string s = std::to_string(f.Size);
  if (f.Bold)
    s += ",bold";
  if (f.Italic)
    s += ",italic";
  if (f.Underline)
    s += ",underline";
  if (f.StrikeOut)
    s += ",strikeout";
  return s;
}

// The recording canvas's metrics; prints the painting pass as it happens, in
// the control's coordinates (the control sits at 0,0 of its parent).
class TPrintingCanvas : public TRecordingCanvas {
public:
  void TextAt(int x, int y, const std::string &text) override {
    std::printf("word %d %d %s %s\n", x, y, Style(Font).c_str(), Quoted(text).c_str());
  }
  void Rectangle(const TCanvasRect &r) override {
    // The control's own fill comes first; every later rectangle is the frame
    // of a missing picture.
    if (filled_)
      std::printf("frame %d %d %d %d\n", r.Left, r.Top, r.Width(), r.Height());
    filled_ = true;
  }
  void StretchDraw(const TCanvasRect &r, const TCanvasBitmap &b) override {
    std::printf("picture %d %d %d %d %s\n", r.Left, r.Top, r.Width(), r.Height(), Quoted(b.Name).c_str());
  }

private:
  bool filled_ = false;
};

// KIND "NAME" LEFT TOP WIDTH HEIGHT, then what the field starts with: the
// value a radio button or check box reports and whether it is checked, or
// an edit field's text; "disabled" at the end of one that is.
std::string InputLine(const GParserControl &control, const TControl &input) {
  const TRect &b = input.Bounds();
  char place[64];
  std::snprintf(place, sizeof place, " %d %d %d %d ", b.Left, b.Top, b.Width, b.Height);
  std::string line = "input ";
  switch (input.Kind()) {
  case TComponentKind::ckRadioButton:
  case TComponentKind::ckCheckBox: {
    const bool radio = input.Kind() == TComponentKind::ckRadioButton;
    const bool checked = radio ? static_cast<const TRadioButton &>(input).Checked()
                               : static_cast<const TCheckBox &>(input).Checked();
    line += std::string(radio ? "radio " : "checkbox ") + Quoted(input.Name()) + place + "value " +
            Quoted(control.InputValue(input.Name())) + (checked ? " checked" : " unchecked");
    break;
  }
  default:
    line += "text " + Quoted(input.Name()) + place + "text " +
            Quoted(static_cast<const TEdit &>(input).Text());
  }
  if (!input.Enabled())
    line += " disabled";
  return line;
}

int Layout(int argc, char **argv) {
  int width = 400, parentWidth = 400, parentHeight = 300, fontSize = 8;
  bool withParent = true, hscroll = false, vscroll = true;
  std::string container, page;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    bool more = i + 1 < argc;
    if (arg == "--width" && more)
      width = std::atoi(argv[++i]);
    else if (arg == "--parent" && more && std::sscanf(argv[i + 1], "%dx%d", &parentWidth, &parentHeight) == 2)
      ++i;
    else if (arg == "--no-parent")
      withParent = false;
    else if (arg == "--font-size" && more)
      fontSize = std::atoi(argv[++i]);
    else if (arg == "--hscroll")
      hscroll = true;
    else if (arg == "--no-vscroll")
      vscroll = false;
    else if (arg == "--container" && more)
      container = argv[++i];
    else if (page.empty() && arg[0] != '-')
      page = arg;
    else
      return Usage();
  }
  std::string text;
  if (page.empty())
    return Usage();
  if (!ReadText(page, text))
    return 1;

  THeadlessFileSystem files;
  THeadlessScreen screen;
  TPanel parent(nullptr, "Parent");
  parent.SetBounds(0, 0, parentWidth, parentHeight);
  GParserControl control(nullptr, "Text", screen);
  TFont font;
  font.Size = fontSize;
  control.SetFont(font);
  control.HyperLinkFont = font;
  control.SetBounds(0, 0, width, 0);
  if (withParent)
    control.SetParent(&parent);
  control.SetHorScrollBar(hscroll);
  control.SetVerScrollBar(vscroll);
  std::optional<TArchiveDirectory> directory;
  fs::path scratch;
  if (!container.empty()) {
    directory = LoadContentDirectory(files, container);
    scratch = fs::temp_directory_path() / ("markup-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    control.Pictures = TPictureSource{&files, scratch.string(), container, &directory, {}};
  }
  control.SetText(text.c_str());
  TPrintingCanvas canvas;
  control.Paint(canvas);
  for (int32_t i = 1; i <= control.HyperLinks().Count(); ++i) {
    auto *a = static_cast<THyperLinkArea *>(control.HyperLinks().GetItem(i));
    std::printf("link %d %d %d %d %s\n", a->Left, a->Top, a->Right, a->Bottom, Quoted(a->HRef).c_str());
  }
  for (TComponent *c : control.Components())
    std::printf("%s\n", InputLine(control, *static_cast<TControl *>(c)).c_str());
  std::printf("xmax %d ymax %d bounds %d %d\n", control.XMax(), control.YMax(), control.Bounds().Width,
              control.Bounds().Height);
  if (!scratch.empty()) {
    std::error_code ec;
    fs::remove_all(scratch, ec);
  }
  return 0;
}

int Check(int argc, char **argv) {
  if (argc < 3)
    return Usage();
  int found = 0;
  for (int i = 2; i < argc; ++i) {
    std::string text;
    if (!ReadText(argv[i], text))
      return 1;
    for (const TMarkupFinding &f : CheckMarkup(text)) {
      std::printf("%s:%d: %s\n", argv[i], f.Line, Escaped(f.Message, false).c_str());
      ++found;
    }
  }
  return found == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2)
    return Usage();
  std::string command = argv[1];
  if (command == "layout")
    return Layout(argc, argv);
  if (command == "check")
    return Check(argc, argv);
  return Usage();
}
