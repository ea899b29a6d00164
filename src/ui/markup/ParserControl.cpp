#include "ui/markup/ParserControl.h"

#include "base/AnsiText.h"
#include "data/archive/ContentContainer.h"
#include "ui/Contrast.h"
#include "ui/Cursors.h"
#include "ui/kit/Palettes.h"
#include "ui/markup/MarkupScanner.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Every position and size a pass computes stays within +-2^30, so the sum of
// any two still fits in 32 bits whatever numbers the markup holds.
constexpr int64_t kCoordLimit = int64_t{1} << 30;
// Font sizes stay within what a display can show.
constexpr int64_t kFontPointsLimit = 1000;

int32_t Coord(int64_t value) {
  return static_cast<int32_t>(std::clamp(value, -kCoordLimit, kCoordLimit));
}
int32_t Coord(double value) {
  if (!(value == value)) // NaN
    return 0;
  return static_cast<int32_t>(
      std::clamp(value, -static_cast<double>(kCoordLimit), static_cast<double>(kCoordLimit)));
}

// To the nearest integer, halves to the even one.
int32_t RoundHalfEven(double value) {
  double floor = std::floor(value), fraction = value - floor;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0))
    floor += 1.0;
  return Coord(floor);
}

// numerator / denominator (denominator > 0) rounded as RoundHalfEven, in
// integers: an aspect ratio taken as a double lands some exact halves a hair
// above them (7 / 6 x 105 gave 122.50000000000001).
int32_t RoundedQuotient(int64_t numerator, int64_t denominator) {
  int64_t quotient = numerator / denominator, twiceRest = 2 * (numerator % denominator);
  if (twiceRest < 0) { // towards minus infinity
    quotient -= 1;
    twiceRest += 2 * denominator;
  }
  if (twiceRest > denominator || (twiceRest == denominator && quotient % 2 != 0))
    quotient += 1;
  return Coord(quotient);
}

void ApplyFontPoints(TCanvasFont &font, int64_t points) {
  font.Size = static_cast<int>(std::clamp(points, -kFontPointsLimit, kFontPointsLimit));
}

TCanvasBitmap BitmapOf(const TPicture &picture, const std::string &name) {
  return TCanvasBitmap{nullptr, name, picture.Width, picture.Height, picture.Pixels.data()};
}

} // namespace

// One measuring or painting pass over the text: the pass state and what each
// word, line break and tag does to it.
class TMarkupPass {
public:
  TMarkupPass(GCustomParserControl &control, ICanvas &canvas, bool painting)
      : c_(control), canvas_(canvas), painting_(painting) {
    const TRect &b = control.Bounds();
    width_ = b.Width;
    originX_ = painting ? b.Left : 0;
    originY_ = painting ? b.Top : 0;
    auto [hx, hy] = control.ParentScrollPos();
    inputX_ = -hx;
    inputY_ = -hy;
  }

  void Run(std::string_view text) {
    c_.ClearHyperLinks();
    const TFont &font = c_.Font();
    canvas_.Font = CanvasFontOf(font);
    if (HighContrast().On)
      canvas_.Font.Color = HighContrast().Text;
    fontPoints_ = font.Size;
    lineHeight_ = canvas_.TextHeight("M");
    bold_ = font.Bold;
    italic_ = font.Italic;
    underline_ = font.Underline;
    strikeOut_ = font.StrikeOut;
    TMarkupScanner scanner(text);
    TMarkupToken token;
    while (scanner.Next(token)) {
      switch (token.Kind) {
      case TMarkupTokenKind::mkWord:
        PlaceWord(scanner.Word());
        break;
      case TMarkupTokenKind::mkLineBreak:
        EndLine();
        break;
      case TMarkupTokenKind::mkTag:
        ApplyTag(token.Tag, token.Text);
        break;
      default:
        break;
      }
    }
    Finish();
  }

private:
  void PlaceWord(const std::string &text) {
    int64_t width = canvas_.TextWidth(text);
    // Wraps past 0.95 of the width, counted exactly: 20 (x + w) > 19 width.
    if (20 * (x_ + width) > int64_t{19} * width_)
      Wrap();
    if (painting_ && !text.empty())
      canvas_.TextAt(Coord(int64_t{originX_} + x_), Coord(int64_t{originY_} + y_), text);
    if (link_ != 0)
      c_.areas_[link_ - 1]->Text += text;
    x_ = Coord(x_ + width);
  }

  void Wrap() {
    if (link_ == 0) {
      EndLine();
      return;
    }
    THyperLinkArea &open = *c_.areas_[link_ - 1];
    open.Right = x_;
    open.Bottom = Coord(int64_t{y_} + lineHeight_);
    std::string hRef = open.HRef;
    SetControlFont();
    EndLine();
    c_.AddHyperLink(x_, y_, hRef);
    link_ = c_.hyperLinks_.Count();
    SetHyperLinkFont();
  }

  void EndLine() {
    y_ = Coord(int64_t{y_} + (pictureLineHeight_ > 0 ? pictureLineHeight_ : lineHeight_));
    x_ = 2;
    pictureLineHeight_ = 0;
  }

  // Back to the control's font, underlined by the underline counter.
  void SetControlFont() {
    canvas_.Font = CanvasFontOf(c_.Font());
    if (HighContrast().On)
      canvas_.Font.Color = HighContrast().Text;
    fontPoints_ = c_.Font().Size;
    canvas_.Font.Underline = underline_ != 0;
  }

  void SetHyperLinkFont() {
    canvas_.Font = CanvasFontOf(c_.HyperLinkFont);
    if (HighContrast().On)
      canvas_.Font.Color = HighContrast().Text; // still told apart by the underline
    fontPoints_ = c_.HyperLinkFont.Size;
  }

  void Style(int64_t &counter, bool on, bool TCanvasFont::*field) {
    counter += on ? 1 : -1;
    canvas_.Font.*field = counter != 0;
  }

  void ApplyTag(TMarkupTag tag, std::string_view text) {
    switch (tag) {
    case TMarkupTag::mtBold: Style(bold_, true, &TCanvasFont::Bold); break;
    case TMarkupTag::mtBoldEnd: Style(bold_, false, &TCanvasFont::Bold); break;
    case TMarkupTag::mtItalic: Style(italic_, true, &TCanvasFont::Italic); break;
    case TMarkupTag::mtItalicEnd: Style(italic_, false, &TCanvasFont::Italic); break;
    case TMarkupTag::mtStrikeOut: Style(strikeOut_, true, &TCanvasFont::StrikeOut); break;
    case TMarkupTag::mtStrikeOutEnd: Style(strikeOut_, false, &TCanvasFont::StrikeOut); break;
    case TMarkupTag::mtUnderline:
    case TMarkupTag::mtUnderlineEnd:
      underline_ += tag == TMarkupTag::mtUnderline ? 1 : -1;
      if (link_ == 0)
        canvas_.Font.Underline = underline_ != 0;
      break;
    case TMarkupTag::mtFont:
    case TMarkupTag::mtFontEnd: {
      std::string_view size = TagAttribute(text, "SIZE=");
      if (!size.empty() && (size[0] == '+' || size[0] == '-')) {
        int64_t change = MarkupNumber(size.substr(1), 0);
        fontPoints_ += size[0] == '+' ? change : -change;
        ApplyFontPoints(canvas_.Font, fontPoints_);
      }
      break;
    }
    case TMarkupTag::mtLink:
      if (link_ == 0) {
        c_.AddHyperLink(x_, y_, TagAttribute(text, "HREF="));
        link_ = c_.hyperLinks_.Count();
        SetHyperLinkFont();
      }
      break;
    case TMarkupTag::mtLinkEnd:
      if (link_ != 0) {
        THyperLinkArea &open = *c_.areas_[link_ - 1];
        open.Right = x_;
        open.Bottom = Coord(int64_t{y_} + (pictureLineHeight_ > 0 ? pictureLineHeight_ : lineHeight_));
        link_ = 0;
        SetControlFont();
      }
      break;
    case TMarkupTag::mtImage:
      PlacePicture(text);
      break;
    case TMarkupTag::mtInput:
      PlaceInput(text);
      break;
    case TMarkupTag::mtHide:
    case TMarkupTag::mtShow:
      break; // the scanner keeps hidden text out of the words
    }
  }

  void PlacePicture(std::string_view tag) {
    std::string name(TagAttribute(tag, "NAME="));
    if (name.empty())
      return;
    int32_t w = Coord(int64_t{MarkupNumber(TagAttribute(tag, "WIDTH="), -1)});
    int32_t h = Coord(int64_t{MarkupNumber(TagAttribute(tag, "HEIGHT="), -1)});
    const TPicture *picture = c_.GetPicture(name);
    if (picture) {
      const int64_t pw = picture->Width, ph = picture->Height;
      if (w > 0 && h < 0 && pw > 0)
        h = RoundedQuotient(ph * w, pw);
      else if (w < 0 && h > 0 && ph > 0)
        w = RoundedQuotient(pw * h, ph);
      if (w < 0)
        w = picture->Width;
      if (h < 0)
        h = picture->Height;
    } else if (w > 0 && h < 0) {
      h = w;
    } else if (w < 0 && h > 0) {
      w = h;
    }
    // A size still negative (a missing picture without sizes, or negative
    // numbers) takes no room rather than moving the pen backwards.
    w = std::max(w, 0);
    h = std::max(h, 0);
    pictureLineHeight_ = h;
    if (painting_)
      DrawPicture(tag, picture, name, w, h);
    else if (c_.horScrollBar_ && c_.Parent() && w > c_.xMax_)
      c_.xMax_ = w;
    x_ = Coord(int64_t{x_} + w);
  }

  void DrawPicture(std::string_view tag, const TPicture *picture, const std::string &name,
                   int32_t w, int32_t h) {
    std::string_view align = TagAttribute(tag, "ALIGN=");
    int64_t left;
    if (align.empty() || align == "LEFT")
      left = x_;
    else if (align == "CENTER")
      left = RoundHalfEven((static_cast<double>(width_) - w) / 2);
    else if (align == "RIGHT")
      left = int64_t{width_} - w;
    else
      return;
    TCanvasRect r{Coord(originX_ + left), Coord(int64_t{originY_} + y_), 0, 0};
    r.Right = Coord(int64_t{r.Left} + w);
    r.Bottom = Coord(int64_t{r.Top} + h);
    if (picture) {
      TPaletteScope palette(canvas_);
      canvas_.StretchDraw(r, BitmapOf(*picture, name));
      return;
    }
    canvas_.Pen = TCanvasPen{0, 1, TPenStyle::psSolid};
    TBrushStyle brush = canvas_.Brush.Style;
    canvas_.Brush.Style = TBrushStyle::bsClear;
    canvas_.Rectangle(r);
    canvas_.Brush.Style = brush;
    canvas_.Pen = c_.background_.Pen();
  }

  void PlaceInput(std::string_view tag) {
    std::string_view type = TagAttribute(tag, "TYPE=");
    TComponentKind kind;
    if (type == "RADIO")
      kind = TComponentKind::ckRadioButton;
    else if (type == "CHECKBOX")
      kind = TComponentKind::ckCheckBox;
    else if (type == "TEXT")
      kind = TComponentKind::ckEdit;
    else
      return;
    std::string name(TagAttribute(tag, "NAME="));
    if (name.empty())
      return;
    const int32_t left = Coord(int64_t{x_} + inputX_), top = Coord(int64_t{y_} + inputY_);
    TControl *existing = c_.InputControl(name);
    if (existing && existing->Kind() != kind)
      return;
    if (existing) {
      int32_t w = kind == TComponentKind::ckEdit ? existing->Bounds().Width : lineHeight_;
      int32_t h = kind == TComponentKind::ckEdit ? existing->Bounds().Height : lineHeight_;
      existing->SetBounds(left, top, w, h);
      existing->SetEnabled(true);
      x_ = Coord(int64_t{x_} + w);
      return;
    }
    std::string value(TagAttribute(tag, "VALUE="));
    TControl *made;
    int32_t w = lineHeight_;
    if (kind == TComponentKind::ckEdit) {
      int64_t size = MarkupNumber(TagAttribute(tag, "SIZE="), 1);
      w = Coord(std::max<int64_t>(0, size * lineHeight_));
      auto &edit = c_.Create<TEdit>(name);
      edit.SetText(AnsiLowerCase(value));
      made = &edit;
    } else if (kind == TComponentKind::ckCheckBox) {
      made = &c_.Create<TCheckBox>(name);
    } else {
      made = &c_.Create<TRadioButton>(name);
    }
    c_.BindInput(*made, value);
    made->SetParent(c_.Parent());
    made->SetBounds(left, top, w, lineHeight_);
    made->SetEnabled(true);
    c_.inputs_.insert(c_.inputs_.begin(), {name, made, value});
    x_ = Coord(int64_t{x_} + w);
  }

  void Finish() {
    int64_t yMax = int64_t{y_} + 2 * int64_t{lineHeight_};
    c_.yMax_ = Coord(std::max<int64_t>(yMax, 1));
    if (TWinControl *parent = c_.Parent()) {
      c_.xMax_ = std::max(c_.xMax_, parent->Bounds().Width);
      c_.yMax_ = std::max(c_.yMax_, parent->Bounds().Height);
    }
    c_.SizeToContent();
  }

  GCustomParserControl &c_;
  ICanvas &canvas_;
  const bool painting_;
  int32_t width_ = 0, originX_ = 0, originY_ = 0, inputX_ = 0, inputY_ = 0;
  int32_t x_ = 2, y_ = 0, lineHeight_ = 0, pictureLineHeight_ = 0;
  int64_t bold_ = 0, italic_ = 0, underline_ = 0, strikeOut_ = 0, fontPoints_ = 0;
  int32_t link_ = 0; // 1-based position of the open hyperlink area
};

GCustomParserControl::GCustomParserControl(TComponent *owner, std::string name, IScreen &screen)
    : GGraphicControl(owner, std::move(name)), HyperLinkFont(Font()), screen_(screen),
      background_([this] { Invalidate(); }) {
  RegisterHandCursors(); // shown over hyperlinks and beside them
  SetBounds(0, 0, 120, 100);
}

GCustomParserControl::~GCustomParserControl() {
  ClearInputs();
  ClearHyperLinks();
}

void GCustomParserControl::SetText(const char *text) {
  const TRect &b = Bounds();
  SetBounds(b.Left, b.Top, b.Width, 0);
  ClearPictures();
  ClearInputs();
  ClearHyperLinks();
  if (text)
    text_ = std::string(text);
  else
    text_.reset();
  Layout();
}

void GCustomParserControl::Relayout() { Layout(); }

void GCustomParserControl::Layout() {
  if (Parent())
    xMax_ = Parent()->Bounds().Width;
  yMax_ = 0;
  if (text_)
    RunPass(screen_.MeasuringCanvas(), false);
  const TRect &b = Bounds();
  if (Parent())
    SetBounds(b.Left, b.Top, xMax_, yMax_);
  else
    SetBounds(b.Left, b.Top, b.Width, yMax_);
}

void GCustomParserControl::SizeToContent() {
  const TRect &b = Bounds();
  if (!((horScrollBar_ && b.Width < xMax_) || (verScrollBar_ && b.Height < yMax_)))
    return;
  if (Parent())
    SetBounds(b.Left, b.Top, xMax_, yMax_);
  else
    SetBounds(b.Left, b.Top, b.Width, yMax_);
}

void GCustomParserControl::RunPass(ICanvas &canvas, bool painting) {
  TMarkupPass(*this, canvas, painting).Run(*text_);
}

void GCustomParserControl::Paint(ICanvas &canvas) {
  if (HighContrast().On) {
    // No backdrop: the text in the system's colours.
    canvas.Brush = TCanvasBrush{HighContrast().Back, TBrushStyle::bsSolid};
    canvas.FillRect(CanvasRectOf(Bounds()));
  } else if (!background_.Image.Empty()) {
    PaintBackground(canvas);
  } else {
    const TRect &b = Bounds();
    canvas.Brush = TCanvasBrush{EffectiveColor(), TBrushStyle::bsSolid};
    canvas.Pen = drawFocused_ && ParentHasFocus()
                     ? TCanvasPen{0, 1, TPenStyle::psDot}
                     : TCanvasPen{EffectiveColor(), 1, TPenStyle::psSolid};
    canvas.Rectangle({b.Left, b.Top, b.Left + b.Width, b.Top + b.Height});
  }
  canvas.Brush.Style = TBrushStyle::bsClear;
  if (text_)
    RunPass(canvas, yMax_ != 0);
}

void GCustomParserControl::PaintBackground(ICanvas &canvas) {
  const TCanvasRect area = CanvasRectOf(Bounds());
  auto [hx, hy] = ParentScrollPos();
  // The origin moves with the scroll position so the picture stays put
  // while the text scrolls over it.
  const int64_t ox = int64_t{area.Left} + dX_ + hx, oy = int64_t{area.Top} + dY_ + hy;
  {
    TPaletteScope palette(canvas);
    DrawBackdrop(canvas, background_.Image, background_.ImageDrawStyle(),
                 {area, ox, oy, {Coord(ox), Coord(oy), area.Right, area.Bottom}});
  }
  canvas.Pen = background_.Pen();
  canvas.Brush = background_.Brush();
  canvas.Rectangle(area);
}

uint32_t GCustomParserControl::EffectiveColor() const {
  return ParentColor && Parent() ? Parent()->Color() : Color();
}

bool GCustomParserControl::ParentHasFocus() const {
  return Parent() && Parent()->Focused();
}

std::pair<int, int> GCustomParserControl::ParentScrollPos() const {
  if (Parent() && Parent()->Kind() == TComponentKind::ckScrollBox) {
    auto *box = static_cast<const TScrollBox *>(Parent());
    return {0, box->VertScrollPos()}; // a box scrolls vertically only
  }
  return {0, 0};
}

void GCustomParserControl::SetdX(int32_t value) {
  if (value != dX_) {
    dX_ = value;
    Invalidate();
  }
}

void GCustomParserControl::SetdY(int32_t value) {
  if (value != dY_) {
    dY_ = value;
    Invalidate();
  }
}

void GCustomParserControl::SetDrawFocused(bool value) {
  if (value != drawFocused_) {
    drawFocused_ = value;
    Relayout();
  }
}

void GCustomParserControl::SetHorScrollBar(bool value) {
  if (value != horScrollBar_) {
    horScrollBar_ = value;
    Relayout();
  }
}

void GCustomParserControl::SetVerScrollBar(bool value) {
  if (value != verScrollBar_) {
    verScrollBar_ = value;
    Relayout();
  }
}

void GCustomParserControl::ClearHyperLinks() {
  while (hyperLinks_.Count() > 0)
    hyperLinks_.Delete(hyperLinks_.Count());
  areas_.clear();
}

THyperLinkArea &GCustomParserControl::AddHyperLink(int32_t x, int32_t y, std::string_view hRef) {
  areas_.push_back(std::make_unique<THyperLinkArea>(THyperLinkArea{x, y, 0, 0, std::string(hRef), {}}));
  hyperLinks_.Add(areas_.back().get());
  return *areas_.back();
}

const THyperLinkArea *GCustomParserControl::HyperLinkAt(int32_t x, int32_t y) {
  for (const auto &area : areas_) // the chain's order
    if (x >= area->Left && x < area->Right && y >= area->Top && y < area->Bottom)
      return area.get();
  return nullptr;
}

void GCustomParserControl::ClearInputs() {
  std::vector<TInput> inputs;
  inputs.swap(inputs_);
  for (TInput &input : inputs)
    delete input.Control;
}

void GCustomParserControl::ClearPictures() { pictures_.clear(); }

TControl *GCustomParserControl::InputControl(const std::string &name) const {
  for (const TInput &input : inputs_)
    if (input.Name == name)
      return input.Control;
  return nullptr;
}

std::string GCustomParserControl::InputValue(const std::string &name) const {
  for (const TInput &input : inputs_)
    if (input.Name == name)
      return input.Control->Kind() == TComponentKind::ckEdit ? "" : input.Value;
  return "";
}

void GCustomParserControl::BindInput(TControl &input, const std::string &value) {
  if (input.Kind() == TComponentKind::ckEdit) {
    auto &edit = static_cast<TEdit &>(input);
    edit.OnChange = [this](TComponent &sender) {
      if (OnHyperLinkClick)
        OnHyperLinkClick(*this, static_cast<TEdit &>(sender).Text());
    };
    edit.OnClick = [this](TComponent &sender) {
      if (OnClick)
        OnClick(sender);
    };
  } else if (input.Kind() == TComponentKind::ckCheckBox) {
    input.OnClick = [this, value](TComponent &sender) {
      if (OnHyperLinkClick)
        OnHyperLinkClick(*this, static_cast<TCheckBox &>(sender).Checked() ? value : std::string());
    };
  } else {
    input.OnClick = [this, value](TComponent &) {
      if (OnHyperLinkClick)
        OnHyperLinkClick(*this, value);
    };
  }
}

void GCustomParserControl::MouseMove(int x, int y) {
  const int cursor = OnHyperLinkClick && hyperLinks_.Count() > 0
                         ? (HyperLinkAt(x, y) ? crHandCursor : crHandNoFingersCursor)
                         : crDefault;
  SetCursor(cursor); // read by the backend when it sets the cursor
  GGraphicControl::MouseMove(x, y);
}

void GCustomParserControl::MouseUp(TMouseButton button, int x, int y) {
  if (OnHyperLinkClick)
    if (const THyperLinkArea *area = HyperLinkAt(x, y)) {
      std::string hRef = area->HRef; // the handler may set another text
      OnHyperLinkClick(*this, hRef);
    }
  GGraphicControl::MouseUp(button, x, y);
}

const TPicture *GCustomParserControl::GetPicture(const std::string &name) {
  for (const auto &[cachedName, picture] : pictures_)
    if (SameText(cachedName, name))
      return picture.get();
  TFileSystem *fs = Pictures.FileSystem;
  if (!fs || name.empty())
    return nullptr;
  const TColorLevel level = ColorLevelForDepth(screen_.BitsPerPixel());
  auto decode = [&](const std::string &path) {
    std::string bytes;
    auto picture = std::make_unique<TPicture>();
    if (ReadWholeFile(*fs, path, bytes) && DecodePicture(bytes, level, *picture))
      pictures_.insert(pictures_.begin(), {name, std::move(picture)});
  };
  const std::string member = ExtractFileName(name);
  const TFileData entry = Pictures.Directory ? FindContentEntry(*Pictures.Directory, member)
                                             : TFileData{};
  if (!entry.Name.empty()) {
    const std::string temp = ContentTempPath(Pictures.ProgramFolder, member);
    if (temp.empty())
      return nullptr;
    if (!fs->FileExists(temp) &&
        !ExtractContentEntry(*fs, Pictures.ContainerPath, entry, temp, Pictures.ProcessMessages))
      return nullptr;
    decode(temp);
    fs->RemoveFile(temp);
  } else if (fs->FileExists(name)) {
    decode(name);
  }
  return !pictures_.empty() && pictures_.front().first == name ? pictures_.front().second.get()
                                                               : nullptr;
}
