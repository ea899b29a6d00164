#include "kestrup/wizard/MainForm.h"

#include "base/AnsiText.h"
#include "kestrup/InstallerPaths.h"
#include "kestrup/Startup.h"
#include "kestrup/wizard/Dialogs.h"
#include "ui/Accessibility.h"

#include <cmath>

namespace kestrup {

namespace {

constexpr int kVirtualKeyF4 = 0x73;
constexpr uint64_t kPumpInterval = 50; // ms

// Shown when the setup file carries no licence text for the language.
const char *const kFallbackLicence =
    "[ProgramTitle] licence agreement\r\n\r\n"
    "Please read this agreement before you install [ProgramTitle].\r\n\r\n"
    "You may install and use [ProgramTitle] on the computers you use yourself. You may not sell, "
    "rent or pass on copies of it, nor change the program or take it apart.\r\n\r\n"
    "[ProgramTitle] suggests breaks and exercises; it is no medical advice. If you feel pain "
    "while working at a computer, see a doctor.\r\n\r\n"
    "[ProgramTitle] is provided as it is, without any warranty. The maker is not liable for "
    "damage caused by its use, as far as the law allows.\r\n\r\n"
    "By choosing \"Yes, I accept\" you agree to these terms.";

int ClampToInt(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

} // namespace

std::string RemoveForbiddenPathCharacters(const std::string &text) {
  std::string out;
  for (char c : text)
    if (c != '"' && c != '*' && c != '<' && c != '>' && c != '?' && c != '|')
      out += c;
  return out;
}

std::string KilobyteText(int64_t bytes) {
  // Halves to even, as the current rounding mode does by default.
  return std::to_string(static_cast<int64_t>(std::nearbyint(static_cast<double>(bytes) / 1024.0))) +
         " kb";
}

std::string ShortenPath(const std::string &path, size_t maxChars) {
  if (path.size() <= maxChars || maxChars < 8)
    return path;
  std::string name = ExtractFileName(path);
  size_t keep = maxChars - 3;
  if (name.size() + 6 > keep)
    return path.substr(0, 3) + "..." + path.substr(path.size() - (keep - 3));
  return path.substr(0, keep - name.size() - 1) + "...\\" + name;
}

void TMainForm::Bind(TKestrupContext &context, IDesktopWindows &windows, std::function<void(uint32_t)> sleep) {
  context_ = &context;
  windows_ = &windows;
  sleep_ = std::move(sleep);
}

void TMainForm::ShowText(TEdit &edit, const std::string &text) {
  updating_ = true;
  edit.SetText(text);
  updating_ = false;
}

void TMainForm::ShowMessage(const std::string &text) {
  Application().ShowMessageBox(text, kApplicationTitle, TMessageButtons::mbOk);
}

bool TMainForm::Start(const std::vector<std::string> &arguments) {
  TRunState &state = State();
  Context().SetLanguage(LanguageFromLocale(Context().Platform.Registry));
  const bool install = arguments.empty();
  state.Mode = install ? TRunMode::Install : TRunMode::Uninstall;
  ShowPage(wpLanguage);
  if (!install)
    SetupImage.SetPicture("UNSETUP");
  bool ok = install ? InstallStartup(Context()) : UninstallStartup(Context(), arguments);
  FillLanguageList();
  HeaderLbl.SetCaption(Context().Header);
  ShowText(FolderEdit, state.InstallDir);
  ShowText(ProgramgroupEdit, state.ProgramGroup);
  ProgramgroupDesktopShortcutCBox.SetChecked(state.DesktopShortcutChecked);
  if (install)
    UpdateFreeSpace(false);
  BackBtn.SetEnabled(false);
  std::string message = install ? InstallStartupMessage(Context(), ok) : "";
  if (!install && !ok)
    message = "Fatal Error Initializing!";
  if (!ok && !(install && state.UpdateTargetMissing && Product().IsUpdate))
    state.FatalError = true;
  if (!message.empty()) {
    state.EndedAtStartup = true;
    ShowMessage(message);
    return false;
  }
  if (state.RecoveredRun)
    ShowMessage(MessageText(10050).empty()
                    ? "An earlier installation was interrupted: the previous version was restored first."
                    : MessageText(10050));
  CloseProductWindows(Context(), *windows_, *this);
  if (!Product().LanguagePage)
    NextBtnClick();
  return true;
}

void TMainForm::FillLanguageList() {
  std::vector<std::string> names;
  for (const TLanguageEntry &entry : Context().Languages)
    names.push_back(entry.Name);
  LanguageList.Items.Assign(names);
  const TLanguageEntry *current = FindLanguage(Context(), State().Language);
  LanguageList.SetItemIndex(current ? LanguageList.Items.IndexOf(current->Name) : -1);
}

void TMainForm::FormShown() {
  if (shown_ || !context_)
    return;
  shown_ = true;
  // The language chosen in an earlier run wins over the locale's: the list
  // shows it before it is applied, since applying reads the list.
  int32_t stored = StoredLanguage(Context(), State().Language);
  if (stored != State().Language) {
    if (const TLanguageEntry *entry = FindLanguage(Context(), stored)) {
      Context().SetLanguage(stored);
      LanguageList.SetItemIndex(LanguageList.Items.IndexOf(entry->Name));
    }
  }
  ApplyLanguage();
  BringToFront();
  ActiveControl = NextBtn.Enabled() ? &NextBtn : BackBtn.Enabled() ? &BackBtn : &CancelBtn;
}

void TMainForm::ApplyLanguage() {
  int selected = LanguageList.ItemIndex();
  if (selected < 0 || !context_)
    return;
  for (const TLanguageEntry &entry : Context().Languages)
    if (entry.Name == LanguageList.Items[selected] && entry.Number != 0)
      Context().SetLanguage(entry.Number);
  Context().Translator.TranslateForm(*this, kFormName, Context().LanguageFile);
  TranslateAccessibleActions(Context().Translator, kFormName, Context().LanguageFile);
  LoadLicence();
  if (State().Mode == TRunMode::Uninstall)
    UninstallLbl.SetCaption(Context().Engine.Expand(UninstallLbl.Caption()));
}

void TMainForm::LoadLicence() {
  static const std::pair<int32_t, const char *> kCodes[] = {{31, "nl"}, {33, "fr"}, {34, "es"},
                                                            {39, "it"}, {44, "uk"}, {49, "de"}};
  TFileSystem &files = Context().Platform.Files;
  const std::string folder = Context().Engine.InstallerFolder();
  auto fileFor = [&](const char *code) { return folder + "Kestrup_lic_" + code + ".rtf"; };
  std::string file = fileFor("uk");
  for (const auto &[number, code] : kCodes)
    if (number == State().Language && files.FileExists(fileFor(code)))
      file = fileFor(code);
  std::string text;
  bool rich = !folder.empty() && files.FileExists(file) && ReadWholeFile(files, file, text);
  if (!rich && !LicenceText.RichText().empty())
    return; // keeps the text loaded before
  if (!rich)
    text = kFallbackLicence;
  // Each line naming the product gets its title (once: a title that names
  // itself must not loop).
  std::string expanded;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(start, end - start);
    expanded += line.find("[ProgramTitle]") != std::string::npos ? Context().Engine.Expand(line) : line;
    start = end;
  }
  if (rich)
    LicenceText.SetRichText(expanded);
  else
    LicenceText.SetText(expanded);
}

void TMainForm::ShowPage(TWizardPage page) { Pages.SetActivePageIndex(page); }

void TMainForm::NextBtnClick() {
  if (!context_)
    return;
  if (State().Mode == TRunMode::Uninstall) {
    if (CurrentPage() == wpLanguage) {
      ShowPage(wpUninstall);
      EnableButtons(Product().LanguagePage, true, true);
    } else if (CurrentPage() == wpUninstall) {
      if (State().ErrorsLogged || State().Completed) {
        Close();
        return;
      }
      Context().Engine.Uninstall();
      UninstallLbl.SetVisible(false); // it announced what is done now
      BackBtn.SetEnabled(false);
      NextBtn.SetEnabled(true);
    }
    return;
  }
  NextInstall(CurrentPage());
}

void TMainForm::NextInstall(TWizardPage page) {
  const TProductSettings &p = Product();
  switch (page) {
  case wpLanguage:
    if (!p.LicencePage)
      return NextInstall(wpLicence);
    ShowPage(wpLicence);
    BackBtn.SetEnabled(p.LanguagePage);
    NextBtn.SetEnabled(LicenceAcceptRBtn.Checked());
    return;
  case wpLicence:
    if (!p.ProgramFolderPage || SkipsChoices())
      return NextInstall(wpFolder);
    ShowPage(wpFolder);
    BackBtn.SetEnabled(p.LanguagePage || p.LicencePage);
    NextBtn.SetEnabled(true);
    return;
  case wpFolder:
    if (!SkipsChoices() && !LeaveFolderPage())
      return;
    if (!p.ProgramGroupPage || SkipsChoices())
      return NextInstall(wpProgramGroup);
    ShowPage(wpProgramGroup);
    ProgramgroupDesktopShortcutCBox.SetVisible(p.DesktopShortcut);
    BackBtn.SetEnabled(p.LanguagePage || p.LicencePage || (p.ProgramFolderPage && !SkipsChoices()));
    UpdateFreeSpace(true);
    return;
  case wpProgramGroup:
    if (!SkipsChoices() && !LeaveProgramGroupPage())
      return;
    if (!p.SummaryPage)
      return NextInstall(wpSummary);
    ShowPage(wpSummary);
    SummaryProgramFolderLbl.SetCaption(State().InstallDir);
    SummaryProgramGroupLbl.SetCaption(State().ProgramGroup);
    SummaryDesktopShortcutLbl.SetVisible(p.DesktopShortcut && ProgramgroupDesktopShortcutCBox.Checked());
    BackBtn.SetEnabled(p.LanguagePage || p.LicencePage ||
                       (!SkipsChoices() && (p.ProgramFolderPage || p.ProgramGroupPage)));
    NextBtn.SetEnabled(true);
    return;
  case wpSummary:
    ShowPage(wpInstall);
    State().DesktopShortcutChecked = ProgramgroupDesktopShortcutCBox.Checked();
    if (p.IsUpdate)
      Context().Engine.UpdateInstall();
    else
      Context().Engine.FreshInstall();
    return;
  case wpFinish:
    FinishRun();
    return;
  default:
    return;
  }
}

bool TMainForm::LeaveFolderPage() {
  TRunState &state = State();
  if (!state.InstallDir.empty() && state.InstallDir.back() != '\\') {
    state.InstallDir += '\\';
    ShowText(FolderEdit, state.InstallDir);
  }
  if (ProveFolder(Context(), state.InstallDir))
    return true;
  Context().Engine.Log(" Error: Unable to create program folder");
  ShowPage(wpFolder);
  ShowMessage(MessageText(12001).empty() ? "Unable to create program folder" : MessageText(12001));
  return false;
}

bool TMainForm::LeaveProgramGroupPage() {
  TRunState &state = State();
  if (!state.ProgramGroup.empty() && state.ProgramGroup.back() != '\\') {
    state.ProgramGroup += '\\';
    ShowText(ProgramgroupEdit, state.ProgramGroup);
  }
  if (ProveFolder(Context(), Context().Engine.Expand("[ftProgramGroup]")))
    return true;
  Context().Engine.Log(" Error: Unable to create program group");
  ShowPage(wpProgramGroup);
  ShowMessage(MessageText(13001).empty() ? "Unable to create program group" : MessageText(13001));
  return false;
}

void TMainForm::ShowFinishPage() {
  const TProductSettings &p = Product();
  ShowPage(wpFinish);
  // A rolled-back run installed nothing new to start or read; a program
  // whose new files wait for the restart is not started before it.
  const bool rolledBack = State().RolledBack;
  FinishLaunchProgram.SetVisible(p.FinishLaunchProgram && !rolledBack && !State().RestartNeeded);
  FinishShowReadme.SetVisible(p.FinishViewReadme && !rolledBack);
  FinishShowLogfile.SetVisible(State().ErrorsLogged);
  FinishRestartLbl.SetVisible(State().RestartNeeded);
  FinishRolledBackLbl.SetVisible(rolledBack);
  EnableButtons(false, true, false);
}

void TMainForm::FinishRun() {
  const TProductSettings &p = Product();
  TKestrupEngine &engine = Context().Engine;
  auto open = [&](const std::string &file) {
    std::string path = engine.Expand(file);
    std::string name = ExtractFileName(path);
    size_t dot = name.rfind('.');
    engine.Actions().OpenDocument(dot == std::string::npos ? "" : name.substr(dot), path);
  };
  if (p.FinishLaunchProgram && FinishLaunchProgram.Visible() && FinishLaunchProgram.Checked())
    open(p.ProgramModule);
  if (p.FinishViewReadme && FinishShowReadme.Checked())
    open(p.ReadmeFile);
  Close();
}

void TMainForm::BackBtnClick() {
  if (!context_)
    return;
  const TProductSettings &p = Product();
  if (State().Mode == TRunMode::Uninstall) {
    if (CurrentPage() != wpUninstall)
      return;
    if (p.LanguagePage) {
      ShowPage(wpLanguage);
      EnableButtons(false, true, true);
    } else {
      BackBtn.SetEnabled(false);
      NextBtn.SetEnabled(true);
    }
    return;
  }
  BackInstall(CurrentPage());
}

void TMainForm::BackInstall(TWizardPage page) {
  const TProductSettings &p = Product();
  switch (page) {
  case wpLicence:
    if (p.LanguagePage)
      ShowPage(wpLanguage);
    BackBtn.SetEnabled(false);
    NextBtn.SetEnabled(true);
    return;
  case wpFolder:
    if (p.LicencePage) {
      ShowPage(wpLicence);
      BackBtn.SetEnabled(p.LanguagePage);
      NextBtn.SetEnabled(true);
    } else if (p.LanguagePage) {
      ShowPage(wpLanguage);
      BackBtn.SetEnabled(false);
      NextBtn.SetEnabled(true);
    } else {
      BackBtn.SetEnabled(false);
    }
    return;
  case wpProgramGroup:
    if (!p.ProgramFolderPage || SkipsChoices()) {
      if (p.LanguagePage || p.LicencePage)
        return BackInstall(wpFolder);
      BackBtn.SetEnabled(false);
      return;
    }
    ShowPage(wpFolder);
    BackBtn.SetEnabled(p.LanguagePage || p.LicencePage);
    NextBtn.SetEnabled(true);
    return;
  case wpSummary:
    if (!p.ProgramGroupPage || SkipsChoices()) {
      if (p.LanguagePage || p.LicencePage || p.ProgramFolderPage)
        return BackInstall(wpProgramGroup);
      BackBtn.SetEnabled(false);
      return;
    }
    ShowPage(wpProgramGroup);
    BackBtn.SetEnabled(p.LanguagePage || p.LicencePage || (p.ProgramFolderPage && !SkipsChoices()));
    NextBtn.SetEnabled(true);
    return;
  default:
    return;
  }
}

void TMainForm::CancelBtnClick() {
  std::string question = MessageText(301);
  if (question.empty())
    question = "Abort Kestrup?";
  if (Application().ShowMessageBox(question, kApplicationTitle, TMessageButtons::mbOkCancel) != mrOk)
    return;
  if (CurrentPage() == wpInstall) {
    // The engine stops at its next step and reverses what it did.
    cancelRequested_ = true;
    return;
  }
  State().Cancelled = true;
  Close();
}

void TMainForm::CloseQuery(bool &canClose) {
  if (AltF4Latch) {
    AltF4Latch = false;
    canClose = false;
  }
}

void TMainForm::Closing() {
  if (closedDown_ || !context_)
    return;
  closedDown_ = true;
  Hide();
  Context().Archive.Release();
  Context().Engine.CloseDown();
}

void TMainForm::KeyDown(int key) {
  if (key == kVirtualKeyF4 && Application().ModifierKeys() == mkAlt)
    AltF4Latch = true;
}

void TMainForm::UpdateFreeSpace(bool withNext) {
  if (FolderEdit.Text().empty()) {
    FolderFDSLbl.SetCaption("0 kb");
    FolderFDSAILbl.SetCaption(" 0 kb");
    if (withNext)
      NextBtn.SetEnabled(false);
    return;
  }
  const std::string &text = FolderEdit.Text();
  char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  TFileSystem &files = Context().Platform.Files;
  // The first letter names the drive, with or without its colon; a share
  // ("\\server\share\") is asked as it is written rather than refused.
  int64_t free = drive >= 'A' && drive <= 'Z' ? files.FreeSpace(std::string(1, drive) + ":\\")
                                              : files.FreeSpace(text);
  const int64_t after = free - State().TotalSize;
  FolderFDSLbl.SetCaption(KilobyteText(free));
  FolderFDSAILbl.SetCaption(KilobyteText(after));
  if (withNext)
    NextBtn.SetEnabled(after > 0);
}

void TMainForm::FolderChangeBtnClick() {
  TFileSystem &files = Context().Platform.Files;
  std::string start = files.DirectoryExists(State().InstallDir) ? State().InstallDir
                                                                : Context().Engine.FolderPath(sfProgramFiles);
  std::string folder = ChooseFolder(start);
  if (folder.empty())
    return;
  State().InstallDir = IncludeTrailingBackslash(folder);
  ShowText(FolderEdit, State().InstallDir);
  UpdateFreeSpace(true);
}

void TMainForm::ProgramgroupChangeBtnClick() {
  std::string group = ChooseProgramGroup(State().GroupBase, State().ProgramGroup);
  if (group.empty())
    return;
  State().ProgramGroup = group + "\\";
  ShowText(ProgramgroupEdit, State().ProgramGroup);
}

std::string TMainForm::ChooseFolder(const std::string &start) {
  if (folderDialogOpen_) {
    if (openDialog_)
      openDialog_->BringToFront();
    return "";
  }
  TFoldersDialog dialog(Application(), this, Context().Platform.Files);
  if (State().Language != 44)
    Context().Translator.TranslateForm(dialog, kFormName, Context().LanguageFile);
  dialog.SetDirectory(start);
  folderDialogOpen_ = true;
  openDialog_ = &dialog;
  int result = dialog.ShowModal();
  folderDialogOpen_ = false;
  openDialog_ = nullptr;
  return result == mrOk ? dialog.Directory() : "";
}

std::string TMainForm::ChooseProgramGroup(const std::string &base, const std::string &current) {
  if (groupDialogOpen_) {
    if (openDialog_)
      openDialog_->BringToFront();
    return "";
  }
  TProgramGroupsDialog dialog(Application(), this);
  if (State().Language != 44)
    Context().Translator.TranslateForm(dialog, kFormName, Context().LanguageFile);
  dialog.Fill(Context().Platform.Files, base, current);
  groupDialogOpen_ = true;
  openDialog_ = &dialog;
  int result = dialog.ShowModal();
  groupDialogOpen_ = false;
  openDialog_ = nullptr;
  return result == mrOk ? dialog.Chosen() : "";
}

// --- the engine's page ---------------------------------------------------------

void TMainForm::EnableButtons(bool back, bool next, bool cancel) {
  BackBtn.SetEnabled(back);
  NextBtn.SetEnabled(next);
  CancelBtn.SetEnabled(cancel);
}

void TMainForm::SetLabel(TPageLabel label, const std::string &text) {
  switch (label) {
  case TPageLabel::FileProgress:
    InstallFileProgressLbl.SetCaption(text);
    break;
  case TPageLabel::InstallMessage:
    InstallMessageLbl.SetCaption(text);
    break;
  case TPageLabel::UninstallProgress:
    UninstallProgressLbl.SetCaption(text);
    break;
  case TPageLabel::UninstallMessage:
    UninstallMessageLbl.SetCaption(text);
    break;
  case TPageLabel::UninstallBottom:
    UninstallUninstallLbl.SetCaption(text);
    break;
  }
}

void TMainForm::SetBar(TPageBar bar, int64_t position, int64_t maximum) {
  TGauge &gauge = bar == TPageBar::FileProgress      ? InstallFileProgressBar
                  : bar == TPageBar::InstallProgress ? InstallProgressBar
                                                     : UninstallProgressBar;
  const int top = std::max(1, ClampToInt(maximum));
  const int value = std::clamp(ClampToInt(position), 0, top);
  // The engine reports every block it reads; the bar moves only when it shows more.
  if (gauge.MaxValue != top || gauge.Progress() != value)
    gauge.SetRange(0, top, value);
}

void TMainForm::ShowUninstallProgress(bool visible) {
  UninstallProgressLbl.SetVisible(visible);
  UninstallProgressBar.SetVisible(visible);
}

std::string TMainForm::FitPath(TPageLabel label, const std::string &path) {
  const TLabel &target = label == TPageLabel::FileProgress ? InstallFileProgressLbl : UninstallProgressLbl;
  // Verdana 8 averages about 6 pixels a character.
  return ShortenPath(path, static_cast<size_t>(target.Bounds().Width * 2 / 3 / 6));
}

std::string TMainForm::MessageText(int number) {
  return Context().Translator.TranslateText(number, kFormName, Context().LanguageFile, "");
}

void TMainForm::ProcessMessages() {
  // Asked for after every block the engine reads: letting the window repaint
  // a few times a second keeps it responsive without slowing the work down.
  const uint64_t now = Application().TickCount();
  if (now - lastPump_ < kPumpInterval && lastPump_ != 0)
    return;
  lastPump_ = now;
  Application().ProcessMessages();
}

void TMainForm::Wait(uint32_t milliseconds) {
  if (sleep_)
    sleep_(milliseconds);
}

void TMainForm::SetBusyCursor(bool busy) { Application().SetBusyCursor(busy); }

} // namespace kestrup
