#include "movaro/MainFormWiring.h"

#include "movaro/MainForm.h"
#include "movaro/profile/UserData.h"
#include "movaro/schedule/MainTexts.h"
#include "ui/Translator.h"

std::string KindIconName(uint8_t kind) { return "MSGKIND" + std::to_string(kind); }

TMainFormWiring::TMainFormWiring(TMainForm &form, TMovaroContext &context, TMainFormEnv &env,
                                 const std::string &languageFile)
    : form_(form), context_(context), env_(env), languageFile_(languageFile),
      Blocking(form.Application(), context, env.Screen, env.Desktop),
      Dialog(form.Application(), context, env.Screen, env.Desktop, *this, Blocking, *this),
      Pages(form, form.PageCtrl, context, *this, env.Player, env.Screen, env.ProgramFolder),
      Setup(form, form.PageCtrl, context, *this, Pages, env.ProfileFiles, env.ProgramFolder),
      Pump(form.Application()),
      Scheduler(context, {*this, *this, Dialog, Blocking, *this, *this, Pump}, env.Random,
                env.Session, env.ProgramFolder) {
  Blocking.LanguageFile = languageFile;
  Dialog.LanguageFile = languageFile;
  Pages.Media.ProcessMessages = [this] { form_.Application().ProcessMessages(); };
  if (env.NativeWindowOf)
    Pages.Media.VideoWindow = [this] {
      return Pages.ExerVideoPnl ? env_.NativeWindowOf(*Pages.ExerVideoPnl) : TNativeWindow{};
    };
  if (TUserData *profile = context.Profile)
    profile->Links.View = this;
}

TMainFormWiring::~TMainFormWiring() {
  if (TUserData *profile = context_.Profile) {
    if (profile->Links.View == this)
      profile->Links.View = nullptr;
    profile->Links.InfoFile = nullptr;
  }
}

void TMainFormWiring::SetInfoFile(TIDbRecFile *infoFile) {
  Pages.InfoFile = infoFile;
  Scheduler.InfoFile = infoFile;
}

void TMainFormWiring::ShowInitializationNotice() {
  TPromptMessage notice;
  notice.RuleIndex = -1;
  notice.Text = "Initialization...";
  notice.Kind = 1;
  notice.Persistent = true;
  Dialog.ShowMessage(notice);
}

void TMainFormWiring::HideInitializationNotice() {
  if (Dialog.Showing() && Dialog.ShownRuleIndex() == -1)
    Dialog.HideMessage();
}

bool TMainFormWiring::StartMonitoring(const std::string &ruleFilePath,
                                      std::vector<std::string> &tracesStatusLst) {
  TRuleSetup &setup = context_.Trace.RuleSetup;
  setup.RuleFilePath = ruleFilePath;
  setup.TracesStatusLst = &tracesStatusLst;
  if (!Scheduler.StartMonitoring()) {
    context_.Trace.StopTracing(); // whatever started (hooks, timer) goes again
    return false;
  }
  return true;
}

bool TMainFormWiring::BringPromptToFront() {
  if (!Dialog.Showing())
    return false;
  Dialog.BringToFront();
  return true;
}

bool TMainFormWiring::OnScreen() {
  return form_.FirstShowPending() || (form_.Visible() && !form_.Minimized());
}

void TMainFormWiring::SetPanelText(int panel, const std::string &text) {
  form_.MainStatusBar.SetPanelText(panel, text);
}

bool TMainFormWiring::HasExerciseItems() {
  for (TMenuItem *submenu : Pages.ExerciseSubmenus)
    if (submenu && !submenu->Items().empty())
      return true;
  return false;
}

bool TMainFormWiring::HasLastMessageItems() {
  return Pages.PopupLastMessageItems && !Pages.PopupLastMessageItems->Items().empty();
}

void TMainFormWiring::EnableControls(const TStatusControls &controls) {
  form_.ExercisesBtn.SetEnabled(controls.Exercises);
  form_.MessagesBtn.SetEnabled(controls.Messages);
  form_.NetworkBtn.SetEnabled(controls.Network);
  Setup.ConfigStartBtn->SetEnabled(controls.Start);
  Setup.ConfigPauseBtn->SetEnabled(controls.Pause);
  Pages.TakeBreakNowBtn->SetEnabled(controls.BreakNow);
}

bool TMainFormWiring::ShowsApplicationIcon() const {
  return env_.Tray.IconName() == kMainIconName;
}

void TMainFormWiring::ShowApplicationIcon() { env_.Tray.SetIcon(kMainIconName); }

void TMainFormWiring::ShowKindIcon(uint8_t kind) { env_.Tray.SetIcon(KindIconName(kind)); }

int32_t TMainFormWiring::QuestionRecordCount() {
  return Pages.InfoFile ? Pages.InfoFile->SelectedCount() : 0;
}

bool TMainFormWiring::ApplicationMinimized() { return form_.Minimized(); }

void TMainFormWiring::RestoreMainWindow() { form_.FormRestore(); }

bool TMainFormWiring::ShowInSysTray() { return Setup.ConfigShowInSysTrayCBox->Checked(); }

void TMainFormWiring::FormRestore() { form_.FormRestore(); }

void TMainFormWiring::FormMinimize() { form_.FormMinimize(); }

void TMainFormWiring::PopupMenu(TPopupMenu &menu, TControl &button) {
  if (!env_.Popup)
    return;
  // 2 pixels below the button's left edge, in screen coordinates.
  int x = 0, y = button.Bounds().Height + 2;
  for (const TControl *control = &button; control; control = control->Parent()) {
    x += control->Bounds().Left;
    y += control->Bounds().Top;
  }
  env_.Popup(menu, x, y);
}

void TMainFormWiring::PageTextChanged() {
  if (env_.RealizeControls)
    env_.RealizeControls();
}

void TMainFormWiring::TakeBreakNow() { form_.TakeBreakNowClick(); }

void TMainFormWiring::ExportHistory() { form_.ExportHistoryClick(); }

void TMainFormWiring::RebuildMainTexts() {
  Scheduler.MainTexts = BuildMainTexts(context_.Translator, languageFile_);
  TRuleSetup &setup = context_.Trace.RuleSetup;
  setup.ShortBreakText = Scheduler.MainTexts[mtShortBreak];
  setup.LongBreakText = Scheduler.MainTexts[mtLongBreak];
  if (TRuleList *rules = context_.Trace.TraceState.Rules.get(); rules && rules->size() > 4) {
    (*rules)[3].MsgText = setup.ShortBreakText;
    (*rules)[4].MsgText = setup.LongBreakText;
  }
  Scheduler.UpdateStatus();
}

void TMainFormWiring::ShowCaption(const std::string &caption) {
  form_.SetCaption(caption);
  form_.CaptionLbl.SetCaption(caption);
}

std::string TMainFormWiring::MainText(int index) {
  return index >= 0 && index < static_cast<int>(Scheduler.MainTexts.size())
             ? Scheduler.MainTexts[index]
             : std::string();
}

std::string TMainFormWiring::TranslateMainText(int number, const std::string &defaultText) {
  return context_.Translator.TranslateText(number, kMainFormTable, languageFile_, defaultText);
}
