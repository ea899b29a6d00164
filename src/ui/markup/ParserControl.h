#pragma once
// The markup text control: a windowless control that lays out and paints a
// text in the markup language (MarkupScanner.h) with word wrap, styles,
// pictures, hyperlinks and input fields, and sizes itself to its content so
// that a scroll box around it can scroll the text.
//
// There is no document tree: every pass scans the raw text again. Setting the
// text runs a measuring pass (on the screen's measuring canvas: it creates
// the input fields and loads the pictures); every paint runs a painting pass
// (it draws, and moves the input fields to where the text puts them). Only
// the hyperlink areas, the input fields and the picture cache outlive a pass.
//
// Input fields are real controls of the model placed on the control's parent
// and owned by the control. Mouse moves and releases over the control come
// in through MouseMove and MouseUp in the control's own coordinates.
//
// The control derives from the kit's graphic base (mouse in and out, the
// shared palette on displays of 256 colours or fewer) and paints its
// background with the kit's background settings.

#include "data/archive/Archive.h"
#include "data/chain/PointerChain.h"
#include "data/image/Picture.h"
#include "platform/FileSystem.h"
#include "platform/Screen.h"
#include "ui/Controls.h"
#include "ui/kit/Background.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Where pictures named in a text come from: members of the content container
// (through its temporary folder), else files.
struct TPictureSource {
  TFileSystem *FileSystem = nullptr; // none: every picture is missing
  std::string ProgramFolder;         // the temporary folder "T" is below it
  std::string ContainerPath;
  // The content directory, owned and replaced by the main window; none when
  // the container is missing.
  const std::optional<TArchiveDirectory> *Directory = nullptr;
  // Runs pending window messages while a member is inflated.
  std::function<void()> ProcessMessages;
};

// One hyperlink area: a rectangle in the control's coordinates (right and
// bottom outside it; both 0 while the link is open) and its reference.
struct THyperLinkArea {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  std::string HRef;
  std::string Text; // the words shown in the area
};

using GOnHyperLinkClick = std::function<void(TComponent &sender, const std::string &hRef)>;

class GCustomParserControl : public GGraphicControl {
public:
  GCustomParserControl(TComponent *owner, std::string name, IScreen &screen);
  ~GCustomParserControl() override;

  void Paint(ICanvas &canvas) override;

  // The text (a 0-terminated copy is kept; none for no text) and its layout.
  void SetText(const char *text);
  bool HasText() const { return text_.has_value(); }
  // The current text ("" for none).
  const char *Text() const { return text_ ? text_->c_str() : ""; }
  // Lays the current text out again, keeping its input fields.
  void Relayout();

  // The background picture, its placement from (dX, dY), and the pen and
  // brush of the rectangle over it; changing any of it repaints the control.
  TBackground &Background() { return background_; }
  const TBackground &Background() const { return background_; }
  void SetBackground(const TBackground &background) { background_.Assign(background); }
  int32_t dX() const { return dX_; }
  void SetdX(int32_t value);
  int32_t dY() const { return dY_; }
  void SetdY(int32_t value);
  bool DrawFocused() const { return drawFocused_; }
  void SetDrawFocused(bool value);
  bool HorScrollBar() const { return horScrollBar_; }
  void SetHorScrollBar(bool value);
  bool VerScrollBar() const { return verScrollBar_; }
  void SetVerScrollBar(bool value);
  // Content width and height of the last pass; YMax 0: not laid out yet.
  int32_t XMax() const { return xMax_; }
  int32_t YMax() const { return yMax_; }
  GOnHyperLinkClick OnHyperLinkClick;
  TFont HyperLinkFont;
  // The parent's colour is used instead of the control's own.
  bool ParentColor = true;

  // Pictures: where they come from, and one by the name written in the text.
  TPictureSource Pictures;
  const TPicture *GetPicture(const std::string &name);

  // Hyperlink areas of the last pass, in order (THyperLinkArea records).
  TPointerChain &HyperLinks() { return hyperLinks_; }
  const TPointerChain &HyperLinks() const { return hyperLinks_; }
  const THyperLinkArea *HyperLinkAt(int32_t x, int32_t y);
  // The input field of a name, or none.
  TControl *InputControl(const std::string &name) const;
  // What a radio button or check box of a name reports when clicked (its
  // VALUE as written); empty for an edit field or a name without a field.
  std::string InputValue(const std::string &name) const;

  // The mouse over the control, in its own coordinates: the hand cursor over
  // a hyperlink, and a release there reports it.
  void MouseMove(int x, int y) override;
  void MouseUp(TMouseButton button, int x, int y) override;

private:
  friend class TMarkupPass;
  void ClearHyperLinks();
  THyperLinkArea &AddHyperLink(int32_t x, int32_t y, std::string_view hRef);
  void ClearInputs();
  void ClearPictures();
  void Layout();
  void SizeToContent();
  void BindInput(TControl &input, const std::string &value);
  void RunPass(ICanvas &canvas, bool painting);
  void PaintBackground(ICanvas &canvas);
  uint32_t EffectiveColor() const;
  bool ParentHasFocus() const;
  std::pair<int, int> ParentScrollPos() const;

  IScreen &screen_;
  std::optional<std::string> text_;
  TBackground background_;
  int32_t dX_ = 0, dY_ = 0;
  bool drawFocused_ = true, horScrollBar_ = false, verScrollBar_ = true;
  int32_t xMax_ = 0, yMax_ = 0;
  TPointerChain hyperLinks_{"HyperLinks"};
  std::vector<std::unique_ptr<THyperLinkArea>> areas_; // what hyperLinks_ points to
  struct TInput {
    std::string Name;
    TControl *Control; // owned
    std::string Value;
  };
  std::vector<TInput> inputs_; // newest first
  std::vector<std::pair<std::string, std::unique_ptr<TPicture>>> pictures_; // newest first
};

// The control with its usual properties public, as forms create it.
class GParserControl : public GCustomParserControl {
public:
  using GCustomParserControl::GCustomParserControl;
};
