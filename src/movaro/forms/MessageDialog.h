#pragma once
// The prompt dialog: the one small window through which the program speaks
// while it sits in the tray (break prompts, rule messages, status questions,
// the "Pausing..." and "Initialization..." notices). It floats on top of
// everything in the upper right corner without taking the focus, shows a
// markup text, the message kind's icon, a pie that counts down and up to
// three buttons, grows and shrinks with its text and can be dragged by its
// header. Every new message reuses it.
//
// Whatever takes a prompt off the screen (an answer, a time-out, another
// message replacing it, a plain hide) also ends the input blocking that came
// with it, and puts the program's own icon back into the tray.

#include "movaro/MovaroContext.h"
#include "movaro/SkinImages.h"
#include "movaro/forms/PromptGraphics.h"
#include "movaro/schedule/SchedulerViews.h"
#include "platform/Desktop.h"
#include "platform/Screen.h"
#include "ui/Forms.h"
#include "ui/kit/Background.h"
#include "ui/kit/SkinnedButton.h"
#include "ui/markup/ParserControl.h"

#include <cstdint>
#include <string>

// What the dialog asks of the main window.
class IMessageDialogOwner {
public:
  virtual ~IMessageDialogOwner() = default;
  // Records of the information file's language; 0 without the file.
  virtual int32_t QuestionRecordCount() = 0;
  // A status question was answered (yes), declined, or closed unanswered (cancelled).
  virtual void AnswerQuestion(int32_t record, bool yes, bool cancelled) = 0;
  virtual bool ApplicationMinimized() = 0;
  virtual void RestoreMainWindow() = 0;
  // The setup page's "Show in taskbar": the tray icon blinks while a prompt counts down.
  virtual bool ShowInSysTray() = 0;
};

// The dialog's design colours (Windows colour values).
constexpr uint32_t kDialogFrameColour = 5455213; // the form's 1-pixel border, the pie
constexpr uint32_t kDialogPanelColour = 9423612;
constexpr int kDialogWidth = 343;
constexpr int kDialogHeaderHeight = 75, kDialogFooterHeight = 40;
constexpr int kDialogBorder = 1, kDialogTextBorder = 4;
// Where the first message appears: this far from the top and right edges.
constexpr int kDialogScreenMargin = 30;

class TMessageDialog : public TForm, public IMessageDialog {
public:
  TMessageDialog(TApplication &application, TMovaroContext &context, IScreen &screen,
                 IDesktop &desktop, ITrayIcon &tray, IBlockingWindow &blocking,
                 IMessageDialogOwner &owner);
  ~TMessageDialog() override;

  // The language file its texts come from ("Movaro.lng"); none: English.
  std::string LanguageFile;

  TPanel &HeaderPnl;
  TBkControl &HeaderPnlBg;
  TLabel &CaptionLbl;
  TCountDownPie &TimeOutBar;
  TKindImage &MsgDlgImage;
  TPanel &MsgTextCtrlPnl;
  TScrollBox &MsgTextCtrl;
  GParserControl &MsgText;
  TPanel &FooterPnl;
  TBkControl &FooterPnlBg;
  TBaseBtn &CancelBtn, &NoBtn, &YesBtn;

  // The skin: the header's and footer's backdrops and the buttons' faces.
  // Without it the dialog shows plain panels and round plum buttons.
  void LoadSkins(TSkinLoader &skins);

  // IMessageDialog (ShowMessage is ShowMessageDialog).
  bool Showing() const override { return Visible(); }
  int32_t ShownRuleIndex() const override { return ruleIndex_; }
  bool ShownPersistent() const override { return persistent_; }
  void ShowMessage(const TPromptMessage &message) override;
  void SetTimeLeft(int32_t seconds) override;
  void CancelMessage() override { CancelBtnClick(); }
  void HideMessage() override;

  // Hides a prompt as an answer or its time-out does (a notice stays), and
  // clears the fired flag of its rule.
  void HideMessageDialog();
  void YesBtnClick();
  void NoBtnClick();
  void CancelBtnClick();
  int32_t ShownRecordIndex() const { return recordIndex_; }
  uint8_t ShownKind() const { return kind_; }
  const std::string &ShownText() const { return text_; }

  // After every ShowMessage, the dialog on screen with its new message
  // (also when it replaced one that was still showing).
  TNotifyEvent OnMessageShown;
  // Enter answers yes, Escape cancels (without Shift); other keys do nothing.
  void FormKeyUp(int key, bool shift);
  // Dragging by the header (HeaderPnlBg or CaptionLbl) with the left button;
  // the dialog follows the cursor's screen position.
  void HeaderMouseDown();
  void HeaderMouseMove();
  void HeaderMouseUp();

private:
  void Answer(bool yes, bool cancelled);
  void ClearShownRuleFired();
  void EndPromptEffects();
  void SetHeight(int height);
  void FitToText();
  void Place(bool firstShowing);
  void CloseQuery(bool &canClose);

  TMovaroContext &context_;
  IScreen &screen_;
  IDesktop &desktop_;
  ITrayIcon &tray_;
  IBlockingWindow &blocking_;
  IMessageDialogOwner &owner_;
  uint8_t kind_ = 0;
  int32_t ruleIndex_ = 0;
  int32_t recordIndex_ = 0;
  bool persistent_ = false;
  bool blinkTray_ = false;
  int32_t dragX_ = 0, dragY_ = 0;
  bool dragging_ = false;
  bool shownBefore_ = false;
  std::string text_;
};
