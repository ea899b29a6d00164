#include "ui/Controls.h"

#include "ui/Contrast.h"

#include <algorithm>
#include <cstdint>

void TStrings::Add(std::string text) {
  items_.push_back(std::move(text));
  if (changed_)
    changed_();
}

void TStrings::Set(int i, std::string text) {
  if (i < 0 || i >= Count() || items_[i] == text)
    return;
  items_[i] = std::move(text);
  if (changed_)
    changed_();
}

void TStrings::Clear() {
  items_.clear();
  if (changed_)
    changed_();
}

void TStrings::Assign(std::vector<std::string> items) {
  items_ = std::move(items);
  if (changed_)
    changed_();
}

int TStrings::IndexOf(const std::string &text) const {
  auto it = std::find(items_.begin(), items_.end(), text);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TCheckBox::SetChecked(bool checked) {
  if (checked == checked_)
    return;
  checked_ = checked;
  Notify(TProperty::Checked);
}

void TRadioButton::SetChecked(bool checked) {
  if (checked == checked_)
    return;
  checked_ = checked;
  if (checked && Parent()) {
    for (TControl *sibling : Parent()->Controls())
      if (sibling != this && sibling->Kind() == TComponentKind::ckRadioButton)
        static_cast<TRadioButton *>(sibling)->SetChecked(false);
  }
  Notify(TProperty::Checked);
}

void TSpeedButton::SetDown(bool down) {
  if (down == down_)
    return;
  down_ = down;
  if (down && GroupIndex != 0 && Parent()) {
    for (TControl *sibling : Parent()->Controls())
      if (sibling != this && sibling->Kind() == TComponentKind::ckSpeedButton) {
        auto *other = static_cast<TSpeedButton *>(sibling);
        if (other->GroupIndex == GroupIndex)
          other->SetDown(false);
      }
  }
  Notify(TProperty::Checked);
}

void TSpeedButton::ClickBehaviour() {
  if (GroupIndex != 0)
    SetDown(true);
}

TListControl::TListControl(TComponent *owner, std::string name)
    : TWinControl(owner, std::move(name)), Items([this] {
        if (itemIndex_ >= Items.Count())
          itemIndex_ = -1;
        Notify(TProperty::Items);
      }) {}

void TListControl::SetItemIndex(int index) {
  if (index < 0 || index >= Items.Count())
    index = -1;
  if (index == itemIndex_)
    return;
  itemIndex_ = index;
  Notify(TProperty::ItemIndex);
}

bool TListControl::Select(int index) {
  if (!CanUse() || index < 0 || index >= Items.Count())
    return false;
  bool changed = index != itemIndex_;
  SetItemIndex(index);
  if (changed && OnChange)
    OnChange(*this);
  if (OnClick)
    OnClick(*this);
  return true;
}

void TEdit::SetText(std::string text) {
  if (MaxLength > 0 && static_cast<int>(text.size()) > MaxLength)
    text.resize(MaxLength);
  if (text == text_)
    return;
  text_ = std::move(text);
  Notify(TProperty::Text);
  TextChanged();
  if (OnChange)
    OnChange(*this);
}

bool TEdit::Type(const std::string &text) {
  if (ReadOnly || !CanUse())
    return false;
  SetText(text_ + text);
  return true;
}

TPage &TPageControl::AddPage(std::string name, std::string caption) {
  TPage &page = Owner() ? Owner()->Create<TPage>(std::move(name))
                        : Create<TPage>(std::move(name));
  page.SetCaption(std::move(caption));
  page.SetParent(this);
  page.SetVisible(pages_.empty());
  pages_.push_back(&page);
  if (active_ < 0)
    active_ = 0;
  Notify(TProperty::Pages);
  return page;
}

void TPageControl::SetActivePageIndex(int index) {
  if (index < 0 || index >= PageCount() || index == active_)
    return;
  active_ = index;
  for (int i = 0; i < PageCount(); ++i)
    pages_[i]->SetVisible(i == index);
  Notify(TProperty::ActivePage);
  if (OnChange)
    OnChange(*this);
}

int TScrollBox::VertRange() const {
  int64_t range = 0;
  for (const TControl *child : Controls())
    if (child->Visible())
      range = std::max(range, int64_t{child->Bounds().Top} + child->Bounds().Height + vertPos_);
  return static_cast<int>(std::min<int64_t>(range, INT32_MAX));
}

int TScrollBox::VertScrollMax() const { return std::max(0, VertRange() - Bounds().Height); }

void TScrollBox::ScrollTo(int position) {
  position = std::clamp(position, 0, VertScrollMax());
  const int distance = vertPos_ - position;
  if (distance == 0)
    return;
  vertPos_ = position;
  moving_ = true;
  // A copy: a child that moves may place or remove others (a text's fields).
  const std::vector<TControl *> children = Controls();
  for (TControl *child : children) {
    const TRect &b = child->Bounds();
    child->SetBounds(b.Left, b.Top + distance, b.Width, b.Height);
  }
  moving_ = false;
  notifiedRange_ = VertRange();
  Notify(TProperty::Position);
}

void TScrollBox::ScrollBy(int distance) {
  ScrollTo(static_cast<int>(std::clamp<int64_t>(int64_t{vertPos_} + distance, 0, INT32_MAX)));
}

int TScrollBox::PageIncrement() const { return std::max(1, Bounds().Height * 9 / 10); }

int TScrollBox::LineIncrement() const {
  return Smooth ? std::max(1, PageIncrement() / 10) : std::max(1, Increment);
}

void TScrollBox::Scroll(TScrollRequest request, int thumbPosition) {
  switch (request) {
  case TScrollRequest::srLineUp:
    return ScrollBy(-LineIncrement());
  case TScrollRequest::srLineDown:
    return ScrollBy(LineIncrement());
  case TScrollRequest::srPageUp:
    return ScrollBy(-PageIncrement());
  case TScrollRequest::srPageDown:
    return ScrollBy(PageIncrement());
  case TScrollRequest::srTop:
    return ScrollTo(0);
  case TScrollRequest::srBottom:
    return ScrollTo(VertScrollMax());
  case TScrollRequest::srThumb:
    return ScrollTo(thumbPosition);
  }
}

void TScrollBox::ChildrenChanged() {
  if (moving_)
    return;
  // Content that shrank below the position pulls it back.
  const int before = vertPos_;
  ScrollTo(vertPos_);
  if (vertPos_ == before && VertRange() != notifiedRange_) {
    notifiedRange_ = VertRange();
    Notify(TProperty::Position);
  }
}

void TTrackBar::SetPosition(int position) {
  position = std::clamp(position, Min, std::max(Min, Max));
  if (position == position_)
    return;
  position_ = position;
  Notify(TProperty::Position);
  if (OnChange)
    OnChange(*this);
}

void TGauge::SetProgress(int progress) {
  progress = std::clamp(progress, MinValue, std::max(MinValue, MaxValue));
  if (progress == progress_)
    return;
  progress_ = progress;
  Notify(TProperty::Position);
}

void TGauge::SetRange(int minValue, int maxValue, int progress) {
  MinValue = minValue;
  MaxValue = maxValue;
  progress_ = std::clamp(progress, MinValue, std::max(MinValue, MaxValue));
  Notify(TProperty::Position);
}

int TColorGauge::PercentDone() const {
  if (MaxValue <= MinValue)
    return 0;
  return static_cast<int>(int64_t{Progress() - MinValue} * 100 / (int64_t{MaxValue} - MinValue));
}

void TColorGauge::Paint(ICanvas &canvas) {
  TCanvasRect r = CanvasRectOf(Bounds());
  canvas.Brush = {BackColor, TBrushStyle::bsSolid};
  if (Border) {
    canvas.Pen = {BorderColor, 1, TPenStyle::psSolid};
    canvas.Rectangle(r);
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  } else {
    canvas.FillRect(r);
  }
  const int64_t range = int64_t{MaxValue} - MinValue;
  const int bar = range > 0 ? static_cast<int>(r.Width() * (int64_t{Progress()} - MinValue) / range) : 0;
  if (bar > 0) {
    canvas.Brush = {ForeColor, TBrushStyle::bsSolid};
    canvas.FillRect({r.Left, r.Top, r.Left + bar, r.Bottom});
  }
  if (ShowText) {
    const std::string text = std::to_string(PercentDone()) + "%";
    canvas.Font = CanvasFontOf(Font());
    canvas.Brush.Style = TBrushStyle::bsClear;
    canvas.TextAt(r.Left + (r.Width() - canvas.TextWidth(text)) / 2,
                  r.Top + (r.Height() - canvas.TextHeight(text)) / 2, text);
  }
}

void TRichEdit::SetRichText(std::string source) {
  richText_ = std::move(source);
  Notify(TProperty::Text);
}

TTreeNode *TTreeView::Node(const TTreePath &path) {
  std::vector<TTreeNode> *level = &Nodes;
  TTreeNode *node = nullptr;
  for (int i : path) {
    if (i < 0 || i >= static_cast<int>(level->size()))
      return nullptr;
    node = &(*level)[i];
    level = &node->Children;
  }
  return node;
}

void TTreeView::SetSelected(TTreePath path) {
  if (!Node(path))
    path.clear();
  if (path == selected_)
    return;
  selected_ = std::move(path);
  Notify(TProperty::ItemIndex);
}

bool TTreeView::Select(const TTreePath &path) {
  if (!CanUse() || !Node(path))
    return false;
  bool changed = path != selected_;
  SetSelected(path);
  if (changed && OnChange)
    OnChange(*this);
  return true;
}

bool TTreeView::Expand(const TTreePath &path, bool expanded) {
  TTreeNode *node = Node(path);
  if (!CanUse() || !node)
    return false;
  node->Expanded = expanded;
  if (OnExpanded)
    OnExpanded(*this, path);
  return true;
}

void TStatusBar::SetPanels(std::vector<TStatusPanel> panels) {
  panels_ = std::move(panels);
  Notify(TProperty::Panels);
}

void TStatusBar::SetPanelText(int i, std::string text) {
  if (i < 0 || i >= static_cast<int>(panels_.size()) || panels_[i].Text == text)
    return;
  panels_[i].Text = std::move(text);
  Notify(TProperty::Panels);
}


namespace {

// The path shortened in its middle to fit the width: the first folder, then
// "...", then the most whole trailing folders that fit; when not even the last
// one fits beside the first, "..." and as much of the end as fits.
std::string ShortenedPath(const std::string &path, int width, ICanvas &canvas) {
  if (canvas.TextWidth(path) <= width)
    return path;
  const std::string dots = "...";
  const size_t first = path.find('\\');
  // The trailing part starts at a separator; a final separator stays with its folder.
  size_t cut = path.size() > 1 ? path.find_last_of('\\', path.size() - 2) : std::string::npos;
  std::string best;
  while (first != std::string::npos && cut != std::string::npos && cut > first) {
    std::string tried = path.substr(0, first + 1) + dots + path.substr(cut);
    if (canvas.TextWidth(tried) > width)
      break;
    best = std::move(tried);
    cut = cut == 0 ? std::string::npos : path.find_last_of('\\', cut - 1);
  }
  if (!best.empty())
    return best;
  size_t start = 0;
  while (start < path.size() && canvas.TextWidth(dots + path.substr(start)) > width)
    ++start;
  return dots + path.substr(start);
}

} // namespace

void TLabel::Paint(ICanvas &canvas) {
  const TRect &r = Bounds();
  const THighContrast &contrast = HighContrast();
  // In high contrast a label is never see-through: a skin behind it could
  // hide its text.
  if (!Transparent || contrast.On) {
    canvas.Brush = {contrast.On ? contrast.Back : Color(), TBrushStyle::bsSolid};
    canvas.FillRect(CanvasRectOf(r));
  }
  canvas.Font = CanvasFontOf(Font());
  if (contrast.On)
    canvas.Font.Color = Enabled() ? contrast.Text : contrast.Disabled;
  canvas.Brush.Style = TBrushStyle::bsClear;
  int y = r.Top;
  auto drawLine = [&](const std::string &line) {
    int x = r.Left;
    if (Alignment != taLeftJustify) {
      int room = r.Width - canvas.TextWidth(line);
      x += Alignment == taCenter ? room / 2 : room;
    }
    canvas.TextAt(x, y, line);
    y += canvas.TextHeight("Mg");
  };
  const std::string &text = Caption();
  if (!WordWrap && text.find('\n') == std::string::npos) {
    if (PathEllipsis) {
      drawLine(ShortenedPath(text, r.Width, canvas));
      return;
    }
    // An access key is shown as a system label shows it: the "&" before it
    // hidden, the key underlined; "&&" is one ampersand.
    std::string shown;
    size_t key = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '&' && i + 1 < text.size()) {
        ++i;
        if (text[i] != '&' && key == std::string::npos)
          key = shown.size();
      }
      shown += text[i];
    }
    const int top = y;
    drawLine(shown);
    if (key != std::string::npos) {
      int x = r.Left;
      if (Alignment != taLeftJustify) {
        int room = r.Width - canvas.TextWidth(shown);
        x += Alignment == taCenter ? room / 2 : room;
      }
      x += canvas.TextWidth(shown.substr(0, key));
      const int below = top + canvas.TextHeight("Mg") - 1;
      canvas.Pen = {canvas.Font.Color, 1, TPenStyle::psSolid};
      canvas.Line(x, below, x + canvas.TextWidth(shown.substr(key, 1)), below);
    }
    return;
  }
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    std::string paragraph = text.substr(start, end == std::string::npos ? end : end - start);
    if (!paragraph.empty() && paragraph.back() == '\r')
      paragraph.pop_back();
    std::string line;
    size_t pos = 0;
    while (WordWrap && pos < paragraph.size()) {
      size_t blank = paragraph.find(' ', pos);
      std::string word = paragraph.substr(pos, blank == std::string::npos ? blank : blank - pos);
      std::string tried = line.empty() ? word : line + " " + word;
      if (!line.empty() && canvas.TextWidth(tried) > r.Width) {
        drawLine(line);
        line = word;
      } else {
        line = tried;
      }
      pos = blank == std::string::npos ? paragraph.size() : blank + 1;
    }
    drawLine(WordWrap ? line : paragraph);
    if (end == std::string::npos)
      break;
    start = end + 1;
  }
}

void TImage::SetPicture(const std::string &name) {
  if (name == Picture)
    return;
  Picture = name;
  Bitmap = {};
  Notify(TProperty::Picture);
}

void TImage::Paint(ICanvas &canvas) {
  if (!Bitmap.Handle && !Bitmap.Pixels)
    return;
  const TRect &r = Bounds();
  if (Stretch)
    canvas.StretchDraw(CanvasRectOf(r), Bitmap);
  else
    canvas.Draw(r.Left, r.Top, Bitmap);
}

void TSpeedButton::Paint(ICanvas &canvas) {
  TCanvasRect r = CanvasRectOf(Bounds());
  canvas.Brush = {Color(), TBrushStyle::bsSolid};
  canvas.Pen = {down_ ? 0x404040u : 0x808080u, 1, TPenStyle::psSolid};
  canvas.Rectangle(r);
  canvas.Font = CanvasFontOf(Font());
  canvas.Brush.Style = TBrushStyle::bsClear;
  int shift = down_ ? 1 : 0;
  canvas.TextAt(r.Left + (r.Width() - canvas.TextWidth(Caption())) / 2 + shift,
                r.Top + (r.Height() - canvas.TextHeight(Caption())) / 2 + shift, Caption());
}

void TShape::Paint(ICanvas &canvas) {
  canvas.Pen = {PenColor, 1, TPenStyle::psSolid};
  canvas.Brush = {BrushColor, TBrushStyle::bsSolid};
  if (Shape == stRoundRect) {
    int corner = std::min(Bounds().Width, Bounds().Height) / 4;
    canvas.RoundRect(CanvasRectOf(Bounds()), corner, corner);
  } else {
    canvas.Rectangle(CanvasRectOf(Bounds()));
  }
}
