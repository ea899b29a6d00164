#pragma once
// The kinds of control the programs use, as model state. Names follow the
// programs' forms (TLabel, TButton ...); each reports its kind for the
// translator and the backend.

#include "ui/Component.h"

#include <string>
#include <vector>

enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4,
                          mrIgnore = 5, mrYes = 6, mrNo = 7 };

// A list of texts (items of a list, tabs, page names) that tells its control
// when it changes.
class TStrings {
public:
  explicit TStrings(std::function<void()> changed = {}) : changed_(std::move(changed)) {}
  int Count() const { return static_cast<int>(items_.size()); }
  const std::string &operator[](int i) const { return items_.at(i); }
  void Add(std::string text);
  void Set(int i, std::string text); // ignored outside 0..Count-1
  void Clear();
  void Assign(std::vector<std::string> items);
  int IndexOf(const std::string &text) const;
  const std::vector<std::string> &Items() const { return items_; }

private:
  std::vector<std::string> items_;
  std::function<void()> changed_;
};

class TLabel : public TControl {
public:
  using TControl::TControl;
  MOVARO_KIND(ckLabel)
  bool Windowless() const override { return true; }
  enum TAlignment { taLeftJustify, taCenter, taRightJustify } Alignment = taLeftJustify;
  bool Transparent = true;
  // Lines break at line breaks in the caption and, with WordWrap, at the
  // blank before a word that would pass the right edge.
  bool WordWrap = false;
  // A one-line path wider than the label loses its middle folders to "...",
  // keeping its start and as much of its end as fits ("C:\Apps\...\Movaro\").
  bool PathEllipsis = false;
  void Paint(ICanvas &canvas) override;
};

class TButton : public TControl {
public:
  using TControl::TControl;
  MOVARO_KIND(ckButton)
  // Clicking a button with a result ends the modal run of its form with it.
  int ModalResult = mrNone;
  bool Default = false, Cancel = false;

protected:
  void ClickBehaviour() override;
};

class TCheckBox : public TControl {
public:
  using TControl::TControl;
  MOVARO_KIND(ckCheckBox)
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);

protected:
  void ClickBehaviour() override { SetChecked(!checked_); }

private:
  bool checked_ = false;
};

// Radio buttons with the same parent form one group: checking one unchecks
// the others.
class TRadioButton : public TControl {
public:
  using TControl::TControl;
  MOVARO_KIND(ckRadioButton)
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);

protected:
  void ClickBehaviour() override { SetChecked(true); }

private:
  bool checked_ = false;
};

class TGroupBox : public TWinControl {
public:
  using TWinControl::TWinControl;
  MOVARO_KIND(ckGroupBox)
};

class TPanel : public TWinControl {
public:
  using TWinControl::TWinControl;
  MOVARO_KIND(ckPanel)
};

// What a scroll bar asks of its box: a line or a page either way, one end
// or the other, or the thumb's position.
enum class TScrollRequest { srLineUp, srLineDown, srPageUp, srPageDown, srTop, srBottom, srThumb };

// A box that scrolls its children vertically. Scrolling moves every child
// up by the position, so children keep their places in the box's client
// coordinates like anywhere else; the range is the content's height, the
// lowest bottom edge of the visible children as if unscrolled. The position
// stays within 0 and the range less the box's height, also when the content
// shrinks; the backend shows both in the scroll bar and feeds the bar's
// requests back through Scroll.
class TScrollBox : public TWinControl {
public:
  using TWinControl::TWinControl;
  MOVARO_KIND(ckScrollBox)
  int VertScrollPos() const { return vertPos_; }
  int VertRange() const;
  // The highest position: how much of the content lies below the box.
  int VertScrollMax() const;
  // To a position (kept within 0..VertScrollMax), or by a distance.
  void ScrollTo(int position);
  void ScrollBy(int distance);
  // A step of the scroll bar's arrows (and of the wheel and keys where the
  // program uses it): Increment pixels, or with Smooth a tenth of a page.
  int LineIncrement() const;
  // A click beside the thumb: nine tenths of the box's height.
  int PageIncrement() const;
  bool Smooth = false;
  int Increment = 8;
  // What the scroll bar asks; thumbPosition only for srThumb.
  void Scroll(TScrollRequest request, int thumbPosition = 0);
  // Whether the box shows its vertical scroll bar; read when its window is
  // made. A box whose content always fits (a text sized to it) turns it off.
  bool VertScrollBarVisible = true;

protected:
  void ChildrenChanged() override;

private:
  int vertPos_ = 0;
  int notifiedRange_ = -1; // the range the backend last heard of
  bool moving_ = false;    // the children are being moved by a scroll
};

class TBitButton : public TButton {
public:
  using TButton::TButton;
  MOVARO_KIND(ckBitButton)
  std::string Glyph; // resource name of the picture
};

// A windowless button; with a group index its Down state behaves like a radio
// button among the speed buttons of its parent with the same index.
class TSpeedButton : public TControl {
public:
  using TControl::TControl;
  MOVARO_KIND(ckSpeedButton)
  bool Windowless() const override { return true; }
  std::string Glyph;
  int GroupIndex = 0;
  void Paint(ICanvas &canvas) override;
  bool Down() const { return down_; }
  void SetDown(bool down);

protected:
  void ClickBehaviour() override;

private:
  bool down_ = false;
};

// A list control: items and the selected index (-1 for none).
class TListControl : public TWinControl {
public:
  TListControl(TComponent *owner, std::string name);
  TStrings Items;
  int ItemIndex() const { return itemIndex_; }
  // Out-of-range indexes select nothing (-1).
  void SetItemIndex(int index);
  TNotifyEvent OnChange;
  // A user's choice: selects and fires OnChange (and OnClick).
  bool Select(int index);

private:
  int itemIndex_ = -1;
};

class TRadioGroup : public TListControl {
public:
  using TListControl::TListControl;
  MOVARO_KIND(ckRadioGroup)
};

class TListBox : public TListControl {
public:
  using TListControl::TListControl;
  MOVARO_KIND(ckListBox)
};

// A drop-down list: the user chooses among the items, never types.
class TComboBox : public TListControl {
public:
  using TListControl::TListControl;
  MOVARO_KIND(ckComboBox)
};

class TTabSet : public TListControl {
public:
  using TListControl::TListControl;
  MOVARO_KIND(ckTabSet)
};

class TEdit : public TControl {
public:
  using TControl::TControl;
  MOVARO_KIND(ckEdit)
  const std::string &Text() const { return text_; }
  void SetText(std::string text); // cut to MaxLength when that is set
  int MaxLength = 0;              // 0: no limit
  bool ReadOnly = false;
  char PasswordChar = 0;
  TNotifyEvent OnChange;
  // A user's typing: refused on a read-only or unusable edit.
  virtual bool Type(const std::string &text);

protected:
  // The text changed (before OnChange).
  virtual void TextChanged() {}

private:
  std::string text_;
};

class TRichEdit : public TEdit {
public:
  using TEdit::TEdit;
  MOVARO_KIND(ckRichEdit)
  // The rich-text source loaded into the control, if any; it replaces the
  // plain text on screen.
  const std::string &RichText() const { return richText_; }
  void SetRichText(std::string source);

private:
  std::string richText_;
};

class TPage : public TWinControl {
public:
  using TWinControl::TWinControl;
  MOVARO_KIND(ckPage)
};

// Pages of which one shows at a time. The page names are the pages' captions.
class TPageControl : public TWinControl {
public:
  using TWinControl::TWinControl;
  MOVARO_KIND(ckPageControl)
  TPage &AddPage(std::string name, std::string caption);
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TPage &Page(int i) const { return *pages_.at(i); }
  int ActivePageIndex() const { return active_; }
  void SetActivePageIndex(int index); // ignored outside 0..PageCount-1
  TNotifyEvent OnChange;
  // Where the tabs stand, read when the control's window is made: on the
  // right they run downwards in one column, their text turned.
  enum class TTabPosition { Top, Right };
  TTabPosition TabPosition = TTabPosition::Top;
  // The room the tabs take above the pages, or beside them on the right.
  static constexpr int kTabsExtent = 24;

private:
  std::vector<TPage *> pages_;
  int active_ = -1;
};

class TNotebook : public TPageControl {
public:
  using TPageControl::TPageControl;
  MOVARO_KIND(ckNotebook)
};

class TTrackBar : public TControl {
public:
  using TControl::TControl;
  MOVARO_KIND(ckTrackBar)
  int Min = 0, Max = 10;
  int Position() const { return position_; }
  void SetPosition(int position); // kept within Min..Max
  TNotifyEvent OnChange;

private:
  int position_ = 0;
};

class TGauge : public TControl {
public:
  using TControl::TControl;
  MOVARO_KIND(ckGauge)
  int MinValue = 0, MaxValue = 100;
  int Progress() const { return progress_; }
  void SetProgress(int progress); // kept within MinValue..MaxValue
  // A new range and progress at once.
  void SetRange(int minValue, int maxValue, int progress);

private:
  int progress_ = 0;
};

// A gauge the kit draws itself, where the system's progress bar would not
// show the colours asked for: a bar of ForeColor growing from the left on
// BackColor, framed in BorderColor when Border is set, with its percentage
// centred in Font when ShowText is set. Its colours come through a screen's
// palette like every painted control's.
class TColorGauge : public TGauge {
public:
  using TGauge::TGauge;
  bool Windowless() const override { return true; }
  void Paint(ICanvas &canvas) override;
  int PercentDone() const; // of the range, 0 when the range is empty
  uint32_t ForeColor = 0x000000, BackColor = 0xFFFFFF, BorderColor = 0x808080;
  bool Border = true, ShowText = false;
};

struct TStatusPanel {
  std::string Text;
  int Width = 50;
};

class TStatusBar : public TWinControl {
public:
  using TWinControl::TWinControl;
  MOVARO_KIND(ckStatusBar)
  void SetPanels(std::vector<TStatusPanel> panels);
  const std::vector<TStatusPanel> &Panels() const { return panels_; }
  void SetPanelText(int i, std::string text); // ignored outside the panels

private:
  std::vector<TStatusPanel> panels_;
};

struct TTreeNode {
  std::string Text;
  int Data = 0;
  // Positions in the tree's Images; -1 for none.
  int ImageIndex = -1, SelectedIndex = -1;
  bool Expanded = false;
  std::vector<TTreeNode> Children;
};

// A node's place in the tree: its position among the roots, then among the
// children of each node on the way down. Empty: no node.
using TTreePath = std::vector<int>;

class TTreeView : public TWinControl {
public:
  using TWinControl::TWinControl;
  MOVARO_KIND(ckTreeView)
  std::vector<TTreeNode> Nodes;
  // Picture names of the tree's image list (resources of the program).
  std::vector<std::string> Images;
  int Indent = 19;
  void NodesChanged() { Notify(TProperty::Items); }
  // The node at a path, or none.
  TTreeNode *Node(const TTreePath &path);
  const TTreePath &Selected() const { return selected_; }
  void SetSelected(TTreePath path); // a path that names no node selects none
  // A node's pictures changed (not its texts or children).
  void PicturesChanged() { Notify(TProperty::Picture); }
  // A user's choice: selects the node and fires OnChange.
  bool Select(const TTreePath &path);
  // A user's expanding or collapsing: records it and fires OnExpanded.
  bool Expand(const TTreePath &path, bool expanded);
  TNotifyEvent OnChange;
  std::function<void(TTreeView &sender, const TTreePath &path)> OnExpanded;

private:
  TTreePath selected_;
};

class TImage : public TControl {
public:
  using TControl::TControl;
  MOVARO_KIND(ckImage)
  bool Windowless() const override { return true; }
  std::string Picture; // resource or file name
  // Another picture, once the control has a window: the backend loads it.
  void SetPicture(const std::string &name);
  bool Stretch = false;
  // The picture as the backend loaded it (none headless): drawn at the
  // control's top left, or stretched over it.
  TCanvasBitmap Bitmap;
  void Paint(ICanvas &canvas) override;
};

class TShape : public TControl {
public:
  using TControl::TControl;
  MOVARO_KIND(ckShape)
  bool Windowless() const override { return true; }
  enum TShapeType { stRectangle, stRoundRect } Shape = stRectangle;
  uint32_t PenColor = 0, BrushColor = 0xFFFFFF;
  void Paint(ICanvas &canvas) override;
};
