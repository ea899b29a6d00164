#include "movaro/forms/MessageDialog.h"

#include "movaro/schedule/MainTexts.h"

#include <algorithm>

namespace {

constexpr int kIconSize = 32, kIconMargin = 16;
constexpr int kButtonWidth = 74, kButtonHeight = 20, kButtonTop = 15;
constexpr int kKeyEnter = 13, kKeyEscape = 27;
constexpr uint32_t kButtonCaptionColour = 0xFFFFFF;
// Room kept below a dialog grown with a long text, so its buttons stay on screen.
constexpr int kScreenReserve = 2 * kDialogScreenMargin;

TFont DialogFont() {
  TFont font;
  font.Name = "Verdana";
  font.Size = 8;
  return font;
}

} // namespace

TMessageDialog::TMessageDialog(TApplication &application, TMovaroContext &context,
                               IScreen &screen, IDesktop &desktop, ITrayIcon &tray,
                               IBlockingWindow &blocking, IMessageDialogOwner &owner)
    : TForm(application, nullptr, "MessageDialog"), HeaderPnl(Create<TPanel>("HeaderPnl")),
      HeaderPnlBg(Create<TBkControl>("HeaderPnlBg")), CaptionLbl(Create<TLabel>("CaptionLbl")),
      TimeOutBar(Create<TCountDownPie>("TimeOutBar")),
      MsgDlgImage(Create<TKindImage>("MsgDlgImage")),
      MsgTextCtrlPnl(Create<TPanel>("MsgTextCtrlPnl")),
      MsgTextCtrl(Create<TScrollBox>("MsgTextCtrl")),
      MsgText(Create<GParserControl>("MsgText", screen)), FooterPnl(Create<TPanel>("FooterPnl")),
      FooterPnlBg(Create<TBkControl>("FooterPnlBg")), CancelBtn(Create<TBaseBtn>("CancelBtn")),
      NoBtn(Create<TBaseBtn>("NoBtn")), YesBtn(Create<TBaseBtn>("YesBtn")), context_(context),
      screen_(screen), desktop_(desktop), tray_(tray), blocking_(blocking), owner_(owner) {
  SetCaption("Movaro Message");
  Borderless = true;
  StayOnTop = true;
  ShowActivated = false; // typing in other programs goes on
  KeyPreview = true;
  SetColor(kDialogFrameColour);
  SetFont(DialogFont());
  const int inner = kDialogWidth - 2 * kDialogBorder;
  SetBounds(0, 0, kDialogWidth, kDialogHeaderHeight + kDialogFooterHeight + 12);

  // The header: its backdrop first, the title, icon and count-down over it.
  HeaderPnl.SetParent(this);
  HeaderPnl.SetBounds(kDialogBorder, kDialogBorder, inner, kDialogHeaderHeight);
  HeaderPnl.SetColor(kDialogPanelColour);
  HeaderPnlBg.SetParent(&HeaderPnl);
  HeaderPnlBg.SetBounds(0, 0, inner, kDialogHeaderHeight);
  ShowPictureOnly(HeaderPnlBg.Background(), idsTopLeft);
  CaptionLbl.SetParent(&HeaderPnl);
  CaptionLbl.Tag = 15100;
  CaptionLbl.Alignment = TLabel::taCenter;
  TFont title = DialogFont();
  title.Size = 10;
  title.Bold = true;
  title.Color = kDialogFrameColour;
  CaptionLbl.SetFont(title);
  CaptionLbl.SetBounds(kIconMargin + kIconSize, (kDialogHeaderHeight - 16) / 2,
                       inner - 2 * (kIconMargin + kIconSize), 16);
  CaptionLbl.SetCaption("Movaro Message");
  MsgDlgImage.SetParent(&HeaderPnl);
  MsgDlgImage.SetBounds(kIconMargin, (kDialogHeaderHeight - kIconSize) / 2, kIconSize, kIconSize);
  MsgDlgImage.BackColor = kDialogPanelColour;
  TimeOutBar.SetParent(&HeaderPnl);
  TimeOutBar.SetBounds(inner - kIconMargin - kIconSize, (kDialogHeaderHeight - kIconSize) / 2,
                       kIconSize, kIconSize);
  // Named by what it shows: the label before it is the heading.
  TimeOutBar.Tag = 15300;
  TimeOutBar.SetHint("Time left");
  TimeOutBar.ForeColor = kDialogFrameColour;
  TimeOutBar.BackColor = kDialogPanelColour;

  MsgTextCtrlPnl.SetParent(this);
  MsgTextCtrlPnl.SetColor(kDialogPanelColour);
  MsgTextCtrl.SetParent(&MsgTextCtrlPnl);
  MsgTextCtrl.SetColor(kDialogPanelColour);
  MsgTextCtrl.VertScrollBarVisible = false; // the dialog grows with its text instead
  MsgText.SetParent(&MsgTextCtrl);
  MsgText.SetFont(DialogFont());
  MsgText.ParentColor = true;
  MsgText.SetHorScrollBar(false);
  MsgText.SetVerScrollBar(false);

  FooterPnl.SetParent(this);
  FooterPnl.SetColor(kDialogPanelColour);
  FooterPnl.Tag = 15400; // named for screen readers: it holds only the answers
  FooterPnl.SetHint("Answers");
  FooterPnlBg.SetParent(&FooterPnl);
  FooterPnlBg.SetBounds(0, 0, inner, kDialogFooterHeight);
  ShowPictureOnly(FooterPnlBg.Background(), idsAlongside);
  TBaseBtn *buttons[] = {&CancelBtn, &NoBtn, &YesBtn};
  for (int i = 0; i < 3; ++i) {
    TBaseBtn &button = *buttons[i];
    button.SetParent(&FooterPnl);
    button.SetBounds(10 + 80 * i, kButtonTop, kButtonWidth, kButtonHeight);
    TFont font = DialogFont();
    font.Color = kButtonCaptionColour;
    button.SetFont(font);
    MakeRoundFaceButton(button, kDialogFrameColour, kFaceShadowColour); // until skinned
  }
  CancelBtn.Tag = 15200;
  CancelBtn.SetCaption("Cancel");
  YesBtn.OnClick = [this](TComponent &) { YesBtnClick(); };
  NoBtn.OnClick = [this](TComponent &) { NoBtnClick(); };
  CancelBtn.OnClick = [this](TComponent &) { CancelBtnClick(); };
  FitToText();

  OnKeyUp = [this](TComponent &, int &key, bool shift) { FormKeyUp(key, shift); };
  // Enter and Escape answer when released; their presses are taken so that
  // the focused button does not answer first.
  OnKeyDown = [](TComponent &, int &key, bool shift) {
    if (!shift && (key == kKeyEnter || key == kKeyEscape))
      key = 0;
  };
  for (TControl *handle : {static_cast<TControl *>(&HeaderPnlBg), static_cast<TControl *>(&CaptionLbl)}) {
    handle->OnMouseDown = [this](TComponent &, TMouseButton button, int, int) {
      if (button == TMouseButton::mbLeft)
        HeaderMouseDown();
    };
    handle->OnMouseMove = [this](TComponent &, int, int) { HeaderMouseMove(); };
    handle->OnMouseUp = [this](TComponent &, TMouseButton, int, int) { HeaderMouseUp(); };
  }
  OnCloseQuery = [this](TComponent &, bool &canClose) { CloseQuery(canClose); };
  context_.Dialogs.MessageDialog = true;
}

void TMessageDialog::LoadSkins(TSkinLoader &skins) {
  skins.LoadInto(HeaderPnlBg.Background().Image, "header_msgdlg");
  skins.LoadInto(FooterPnlBg.Background().Image, "footer_msgdlg_orange");
  for (TBaseBtn *button : {&CancelBtn, &NoBtn, &YesBtn})
    skins.ReplaceRoundFace(*button, "_20x74obg");
}

TMessageDialog::~TMessageDialog() {
  context_.Dialogs.MessageDialog = false;
  DestroyComponents(); // the markup control before the screen it measures on may go
}

// --- showing ----------------------------------------------------------------------

void TMessageDialog::ShowMessage(const TPromptMessage &message) {
  // A prompt replaced on screen takes its input blocking with it.
  if (Visible())
    EndPromptEffects();
  // Small first, so that the text is laid out on its own height and not on
  // the room the last, perhaps longer one took.
  SetHeight(kDialogHeaderHeight + kDialogFooterHeight + 12);
  MsgText.SetBounds(0, 0, MsgTextCtrl.Bounds().Width, 0);
  text_ = message.Text;
  MsgText.SetText(text_.c_str());

  kind_ = message.Kind;
  if (kind_ <= msrtOk)
    MsgDlgImage.ShowKind(kind_, screen_.BitsPerPixel() >= 16 ? TIconSet::isTrueColour
                                                              : TIconSet::is16Colours);
  ruleIndex_ = message.RuleIndex;
  recordIndex_ = message.RecordIndex;
  persistent_ = message.Persistent;
  blinkTray_ = owner_.ShowInSysTray();
  dragging_ = false;
  dragX_ = dragY_ = 0;

  // A count-down only for a prompt that has time left to count.
  const int32_t timeOut = std::max<int32_t>(0, message.TimeOut);
  TimeOutBar.SetVisible(!message.Persistent && timeOut > 0);
  TimeOutBar.SetMaxValue(timeOut);
  TimeOutBar.SetProgress(timeOut);

  CancelBtn.SetVisible(message.CancelVisible);
  YesBtn.SetCaption(message.FirstCaption);
  YesBtn.SetVisible(!message.FirstCaption.empty());
  NoBtn.SetCaption(message.SecondCaption);
  NoBtn.SetVisible(!message.SecondCaption.empty());
  if (!LanguageFile.empty())
    context_.Translator.TranslateForm(*this, kMainFormTable, LanguageFile);

  FitToText();
  const bool first = !shownBefore_;
  shownBefore_ = true;
  Place(first);
  // Shown without taking the focus, on top of every window (the blocking
  // window of a break included, which was shown before it).
  Show();
  if (OnMessageShown)
    OnMessageShown(*this);
}

void TMessageDialog::SetHeight(int height) {
  const int inner = kDialogWidth - 2 * kDialogBorder;
  const int chrome = kDialogHeaderHeight + kDialogFooterHeight + 2 * kDialogBorder;
  height = std::max(height, chrome);
  const TRect &b = Bounds();
  SetBounds(b.Left, b.Top, kDialogWidth, height);
  const int middle = height - chrome;
  MsgTextCtrlPnl.SetBounds(kDialogBorder, kDialogBorder + kDialogHeaderHeight, inner, middle);
  MsgTextCtrl.SetBounds(kDialogTextBorder, kDialogTextBorder, inner - 2 * kDialogTextBorder,
                        std::max(0, middle - 2 * kDialogTextBorder));
  FooterPnl.SetBounds(kDialogBorder, height - kDialogBorder - kDialogFooterHeight, inner,
                      kDialogFooterHeight);
}

void TMessageDialog::FitToText() {
  // As tall as the text needs, but never taller than the screen leaves
  // room for: the buttons must stay reachable.
  const int chrome = kDialogHeaderHeight + kDialogFooterHeight + 2 * kDialogBorder;
  const int textHeight = std::max(MsgText.YMax(), 0) + 2 * kDialogTextBorder;
  const int screenHeight = PrimaryMonitor(desktop_).Height;
  SetHeight(std::max(chrome + 2 * kDialogTextBorder,
                     std::min(chrome + textHeight, screenHeight - kScreenReserve)));
}

void TMessageDialog::Place(bool firstShowing) {
  const TDesktopRect screen = PrimaryMonitor(desktop_);
  const TRect &b = Bounds();
  int left = b.Left, top = b.Top;
  if (firstShowing) {
    left = screen.Right() - b.Width - kDialogScreenMargin;
    top = screen.Top + kDialogScreenMargin;
  } else {
    // A dialog dragged partly off the screen comes back whole.
    left = std::max(left, screen.Left);
    top = std::max(top, screen.Top);
    if (left + b.Width > screen.Right())
      left = screen.Right() - b.Width;
    if (top + b.Height > screen.Bottom())
      top = screen.Bottom() - b.Height;
  }
  SetBounds(left, top, b.Width, b.Height);
}

void TMessageDialog::SetTimeLeft(int32_t seconds) {
  TimeOutBar.SetProgress(seconds);
  if (!blinkTray_)
    return;
  if (!tray_.ShowsApplicationIcon())
    tray_.ShowApplicationIcon();
  else if (kind_ >= msrtInformation && kind_ <= msrtOk)
    tray_.ShowKindIcon(kind_);
}

// --- going away ----------------------------------------------------------------------

void TMessageDialog::EndPromptEffects() {
  if (!tray_.ShowsApplicationIcon())
    tray_.ShowApplicationIcon();
  if (blocking_.Showing())
    blocking_.CloseBlocking();
}

void TMessageDialog::ClearShownRuleFired() {
  const TTraceState &state = context_.Trace.TraceState;
  if (state.Active && state.Rules && ruleIndex_ >= 0 &&
      ruleIndex_ < static_cast<int32_t>(state.Rules->size()))
    (*state.Rules)[ruleIndex_].Fired = false;
}

void TMessageDialog::HideMessageDialog() {
  if (Visible() && !persistent_) {
    ClearShownRuleFired();
    Hide();
  }
  EndPromptEffects();
}

void TMessageDialog::HideMessage() {
  Hide();
  EndPromptEffects();
}

void TMessageDialog::Answer(bool yes, bool cancelled) {
  if (recordIndex_ >= 1 && recordIndex_ <= owner_.QuestionRecordCount())
    owner_.AnswerQuestion(recordIndex_, yes, cancelled);
  if (persistent_ && owner_.ApplicationMinimized())
    owner_.RestoreMainWindow();
  persistent_ = false;
  HideMessageDialog();
}

void TMessageDialog::YesBtnClick() { Answer(true, false); }
void TMessageDialog::NoBtnClick() { Answer(false, false); }
void TMessageDialog::CancelBtnClick() { Answer(false, true); }

void TMessageDialog::FormKeyUp(int key, bool shift) {
  if (shift)
    return;
  if (key == kKeyEnter)
    YesBtnClick();
  else if (key == kKeyEscape)
    CancelBtnClick();
}

void TMessageDialog::CloseQuery(bool &canClose) {
  ClearShownRuleFired();
  persistent_ = false;
  EndPromptEffects();
  canClose = true;
}

// --- dragging by the header ----------------------------------------------------------

void TMessageDialog::HeaderMouseDown() {
  const TCursorPoint at = context_.Platform.Cursor.CursorPos();
  dragX_ = at.X;
  dragY_ = at.Y;
  dragging_ = true;
}

void TMessageDialog::HeaderMouseMove() {
  if (!dragging_)
    return;
  const TCursorPoint at = context_.Platform.Cursor.CursorPos();
  const TRect &b = Bounds();
  SetBounds(b.Left + at.X - dragX_, b.Top + at.Y - dragY_, b.Width, b.Height);
  dragX_ = at.X;
  dragY_ = at.Y;
}

void TMessageDialog::HeaderMouseUp() {
  dragging_ = false;
  dragX_ = dragY_ = 0;
}
