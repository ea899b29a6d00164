// The wizard's window as it is laid out: the picture column, the notebook of
// pages with their controls, the buttons, fonts and colours.
#include "kestrup/wizard/MainForm.h"

namespace kestrup {

namespace {

constexpr uint32_t kNavy = 0x00800000;
constexpr uint32_t kWhite = 0x00FFFFFF;

TFont VerdanaFont(int size = 8, bool bold = false, bool italic = false, uint32_t color = 0) {
  TFont font;
  font.Name = "Verdana";
  font.Size = size;
  font.Bold = bold;
  font.Italic = italic;
  font.Color = color;
  return font;
}

template <class T>
T &Place(TForm &form, TWinControl &parent, const char *name, int32_t tag, int x, int y, int w, int h,
         const char *caption = "") {
  T &control = form.Create<T>(name);
  control.SetParent(&parent);
  control.SetBounds(x, y, w, h);
  control.SetFont(VerdanaFont());
  control.SetColor(kWhite);
  control.Tag = tag;
  if (*caption)
    control.SetCaption(caption);
  return control;
}

// A page's header: a bold Verdana text of 16 pixels at (60, 20) (12 points).
TLabel &PageHeader(TForm &form, TPage &page, const char *name, int32_t tag, const char *caption) {
  TLabel &label = Place<TLabel>(form, page, name, tag, 60, 20, 310, 22, caption);
  label.SetFont(VerdanaFont(12, true));
  return label;
}

// The page's picture at its top left.
void PagePicture(TForm &form, TPage &page, const std::string &name, const char *picture) {
  TImage &image = Place<TImage>(form, page, name.c_str(), 0, 16, 14, 32, 32);
  image.Picture = picture;
}

TPage &AddWizardPage(TForm &form, TNotebook &pages, const char *name, const char *picture) {
  TPage &page = pages.AddPage(name, name);
  page.SetColor(kWhite);
  PagePicture(form, page, std::string(name) + "Image", picture);
  return page;
}

} // namespace

TMainForm::TMainForm(TApplication &application)
    : TForm(application, nullptr, "MainForm"),
      HeaderPnl(Place<TPanel>(*this, *this, "HeaderPnl", 0, 0, 0, 504, 40)),
      HeaderLbl(Place<TLabel>(*this, HeaderPnl, "HeaderLbl", 0, 5, 7, 450, 28)),
      ComputerImage(Place<TImage>(*this, HeaderPnl, "ComputerImage", 0, 466, 4, 32, 32)),
      PicturePnl(Place<TPanel>(*this, *this, "PicturePnl", 0, 0, 40, 125, 277)),
      SetupImage(Place<TImage>(*this, PicturePnl, "SetupImage", 0, 0, 0, 125, 277)),
      Pages(Place<TNotebook>(*this, *this, "Pages", 0, 125, 40, 379, 277)),
      ButtonPnl(Place<TPanel>(*this, *this, "ButtonPnl", 0, 0, 317, 504, 40)),
      BackBtn(Place<TButton>(*this, ButtonPnl, "BackBtn", 100, 245, 8, 80, 25, "< Back")),
      NextBtn(Place<TButton>(*this, ButtonPnl, "NextBtn", 200, 325, 8, 80, 25, "Next >")),
      CancelBtn(Place<TButton>(*this, ButtonPnl, "CancelBtn", 300, 415, 8, 80, 25, "Cancel")),
      LanguageHeaderLbl(PageHeader(*this, AddWizardPage(*this, Pages, "LanguagePage", "PAGELANG"),
                                   "LanguageHeaderLbl", 10100, "Choose Your Language")),
      LanguageList(Place<TComboBox>(*this, Pages.Page(wpLanguage), "LanguageList", 0, 60, 70, 200, 150)),
      LicenceHeaderLbl(PageHeader(*this, AddWizardPage(*this, Pages, "LicencePage", "PAGELIC"),
                                  "LicenceHeaderLbl", 11100, "License Agreement")),
      LicenceText(Place<TRichEdit>(*this, Pages.Page(wpLicence), "LicenceText", 0, 16, 56, 350, 160)),
      LicenceAcceptRBtn(Place<TRadioButton>(*this, Pages.Page(wpLicence), "LicenceAcceptRBtn", 11200, 16,
                                            226, 170, 20, "Yes, I accept")),
      LicenceDeclineRBtn(Place<TRadioButton>(*this, Pages.Page(wpLicence), "LicenceDeclineRBtn", 11300,
                                             196, 226, 170, 20, "No, I decline")),
      FolderHeaderLbl(PageHeader(*this, AddWizardPage(*this, Pages, "FolderPage", "PAGEDIR"),
                                 "FolderHeaderLbl", 12100, "Program Folder")),
      FolderEdit(Place<TEdit>(*this, Pages.Page(wpFolder), "FolderEdit", 0, 16, 70, 350, 21)),
      FolderFDSHeaderLbl(Place<TLabel>(*this, Pages.Page(wpFolder), "FolderFDSHeaderLbl", 12200, 16, 140,
                                       230, 16, "Current free disk space")),
      FolderFDSLbl(Place<TLabel>(*this, Pages.Page(wpFolder), "FolderFDSLbl", 0, 246, 140, 120, 16)),
      FolderFDSAIHeaderLbl(Place<TLabel>(*this, Pages.Page(wpFolder), "FolderFDSAIHeaderLbl", 12300, 16,
                                         162, 230, 16, "Free disk space after install")),
      FolderFDSAILbl(Place<TLabel>(*this, Pages.Page(wpFolder), "FolderFDSAILbl", 0, 246, 162, 120, 16)),
      FolderChangeBtn(Place<TButton>(*this, Pages.Page(wpFolder), "FolderChangeBtn", 12400, 196, 100, 80,
                                     25, "Change...")),
      FolderDefaultBtn(Place<TButton>(*this, Pages.Page(wpFolder), "FolderDefaultBtn", 12500, 286, 100, 80,
                                      25, "Default")),
      ProgramgroupHeaderLbl(PageHeader(*this, AddWizardPage(*this, Pages, "ProgramGroupPage", "PAGEGRP"),
                                       "ProgramgroupHeaderLbl", 13100, "Program Group")),
      ProgramgroupEdit(Place<TEdit>(*this, Pages.Page(wpProgramGroup), "ProgramgroupEdit", 0, 16, 70, 350,
                                    21)),
      ProgramgroupDesktopShortcutCBox(Place<TCheckBox>(*this, Pages.Page(wpProgramGroup),
                                                       "ProgramgroupDesktopShortcutCBox", 13200, 16, 140,
                                                       350, 20, "Place a program shortcut on the desktop")),
      ProgramgroupChangeBtn(Place<TButton>(*this, Pages.Page(wpProgramGroup), "ProgramgroupChangeBtn",
                                           13300, 196, 100, 80, 25, "Change...")),
      ProgramgroupDefaultBtn(Place<TButton>(*this, Pages.Page(wpProgramGroup), "ProgramgroupDefaultBtn",
                                            13400, 286, 100, 80, 25, "Default")),
      SummaryHeaderLbl(PageHeader(*this, AddWizardPage(*this, Pages, "SummaryPage", "PAGESUM"),
                                  "SummaryHeaderLbl", 14100, "Summary")),
      SummaryProgramFolderHeaderLbl(Place<TLabel>(*this, Pages.Page(wpSummary),
                                                  "SummaryProgramFolderHeaderLbl", 14200, 16, 64, 350, 16,
                                                  "\x95 Program folder")),
      SummaryProgramFolderLbl(Place<TLabel>(*this, Pages.Page(wpSummary), "SummaryProgramFolderLbl", 0,
                                            28, 84, 340, 16)),
      SummaryProgramGroupHeaderLbl(Place<TLabel>(*this, Pages.Page(wpSummary),
                                                 "SummaryProgramGroupHeaderLbl", 14300, 16, 112, 350, 16,
                                                 "\x95 Program group")),
      SummaryProgramGroupLbl(Place<TLabel>(*this, Pages.Page(wpSummary), "SummaryProgramGroupLbl", 0, 28,
                                           132, 340, 16)),
      SummaryDesktopShortcutLbl(Place<TLabel>(*this, Pages.Page(wpSummary), "SummaryDesktopShortcutLbl",
                                              14400, 16, 160, 350, 16,
                                              "\x95 A program shortcut will be placed on the desktop")),
      SummaryFinishLbl(Place<TLabel>(*this, Pages.Page(wpSummary), "SummaryFinishLbl", 14500, 16, 236, 350,
                                     16, "Click next to start the installation!")),
      InstallHeaderLbl(PageHeader(*this, AddWizardPage(*this, Pages, "InstallPage", "PAGEINST"),
                                  "InstallHeaderLbl", 15100, "Installing")),
      InstallFileProgressLbl(Place<TLabel>(*this, Pages.Page(wpInstall), "InstallFileProgressLbl", 15200,
                                           16, 70, 350, 16)),
      InstallFileProgressBar(Place<TGauge>(*this, Pages.Page(wpInstall), "InstallFileProgressBar", 0, 16,
                                           90, 350, 18)),
      InstallProgressLbl(Place<TLabel>(*this, Pages.Page(wpInstall), "InstallProgressLbl", 15300, 16, 130,
                                       350, 16, "Installation progress")),
      InstallProgressBar(Place<TGauge>(*this, Pages.Page(wpInstall), "InstallProgressBar", 0, 16, 150,
                                       350, 18)),
      InstallMessageLbl(Place<TLabel>(*this, Pages.Page(wpInstall), "InstallMessageLbl", 15400, 16, 190,
                                      350, 16)),
      FinishHeaderLbl(PageHeader(*this, AddWizardPage(*this, Pages, "FinishPage", "PAGEFIN"),
                                 "FinishHeaderLbl", 16100, "Finish")),
      FinishLaunchProgram(Place<TCheckBox>(*this, Pages.Page(wpFinish), "FinishLaunchProgram", 16200, 16,
                                           70, 350, 20, "Launch the program")),
      FinishShowReadme(Place<TCheckBox>(*this, Pages.Page(wpFinish), "FinishShowReadme", 16300, 16, 96,
                                        350, 20, "View the readme file")),
      FinishShowLogfile(Place<TCheckBox>(*this, Pages.Page(wpFinish), "FinishShowLogfile", 16400, 16, 122,
                                         350, 20, "View the log file for reported errors!")),
      FinishRestartLbl(Place<TLabel>(*this, Pages.Page(wpFinish), "FinishRestartLbl", 16600, 16, 156,
                                     350, 32,
                                     "Some files are in use: restart the computer to complete the "
                                     "installation.")),
      FinishRolledBackLbl(Place<TLabel>(*this, Pages.Page(wpFinish), "FinishRolledBackLbl", 16700, 16,
                                        156, 350, 32,
                                        "The installation could not be completed: the product was "
                                        "left as it was.")),
      FinishFinishLbl(Place<TLabel>(*this, Pages.Page(wpFinish), "FinishFinishLbl", 16500, 16, 236, 350,
                                    16, "Click next to finish the installation!")),
      UninstallHeaderLbl(PageHeader(*this, AddWizardPage(*this, Pages, "UninstallPage", "PAGEUNIN"),
                                    "UninstallHeaderLbl", 17100, "Uninstall")),
      UninstallLbl(Place<TLabel>(*this, Pages.Page(wpUninstall), "UninstallLbl", 17200, 16, 70, 350, 32,
                                 "This program will uninstall [ProgramTitle]")),
      UninstallProgressLbl(Place<TLabel>(*this, Pages.Page(wpUninstall), "UninstallProgressLbl", 17300, 16,
                                         120, 350, 16, "Uninstall progress")),
      UninstallProgressBar(Place<TGauge>(*this, Pages.Page(wpUninstall), "UninstallProgressBar", 0, 16,
                                         140, 350, 18)),
      UninstallMessageLbl(Place<TLabel>(*this, Pages.Page(wpUninstall), "UninstallMessageLbl", 17400, 16,
                                        180, 350, 16)),
      UninstallUninstallLbl(Place<TLabel>(*this, Pages.Page(wpUninstall), "UninstallUninstallLbl", 17500,
                                          16, 220, 350, 32,
                                          "Click next to start uninstall, click cancel to abort!")) {
  SetCaption(kWindowCaption);
  SetBounds(0, 0, 504, 357);
  SetFont(VerdanaFont());
  SetColor(kWhite);
  WindowClassName = kWindowClass;
  NoBorderIcons = true;
  StayOnTop = true;
  CenterOnScreen = true;
  KeyPreview = true;

  HeaderPnl.SetColor(kNavy);
  PicturePnl.SetColor(kNavy);
  ButtonPnl.SetColor(kWhite);
  ButtonPnl.Tag = 18100; // named for screen readers: it holds only buttons
  ButtonPnl.SetHint("Navigation");
  HeaderLbl.SetFont(VerdanaFont(15, true, true, kWhite));
  ComputerImage.Picture = "COMPUTER";
  SetupImage.Picture = "SETUP";
  FolderFDSLbl.Alignment = TLabel::taRightJustify;
  FolderFDSAILbl.Alignment = TLabel::taRightJustify;
  UninstallLbl.WordWrap = true;
  UninstallUninstallLbl.WordWrap = true;
  FinishRestartLbl.WordWrap = true;
  FinishRestartLbl.SetVisible(false);
  FinishRolledBackLbl.WordWrap = true;
  FinishRolledBackLbl.SetVisible(false);
  LicenceText.ReadOnly = true;
  ProgramgroupDesktopShortcutCBox.SetChecked(true);
  SummaryProgramFolderLbl.PathEllipsis = true; // a long path keeps its start and end
  SummaryProgramGroupLbl.PathEllipsis = true;
  for (TCheckBox *box : {&FinishLaunchProgram, &FinishShowReadme, &FinishShowLogfile}) {
    box->SetChecked(true);
    box->SetVisible(false);
  }
  // Named by what it shows: the label before it names the file, or nothing.
  InstallFileProgressBar.Tag = 18200;
  InstallFileProgressBar.SetHint("File progress");
  UninstallProgressLbl.SetVisible(false);
  UninstallProgressBar.SetVisible(false);

  NextBtn.Default = true; // Enter, unless another button has the focus
  CancelBtn.Cancel = true;
  BackBtn.OnClick = [this](TComponent &) { BackBtnClick(); };
  NextBtn.OnClick = [this](TComponent &) { NextBtnClick(); };
  CancelBtn.OnClick = [this](TComponent &) { CancelBtnClick(); };
  LanguageList.OnChange = [this](TComponent &) { ApplyLanguage(); };
  LicenceAcceptRBtn.OnClick = [this](TComponent &) { NextBtn.SetEnabled(true); };
  LicenceDeclineRBtn.OnClick = [this](TComponent &) { NextBtn.SetEnabled(false); };
  FolderEdit.OnChange = [this](TComponent &) {
    if (updating_)
      return;
    std::string cleaned = RemoveForbiddenPathCharacters(FolderEdit.Text());
    State().InstallDir = cleaned;
    if (cleaned != FolderEdit.Text())
      ShowText(FolderEdit, cleaned);
    UpdateFreeSpace(true);
  };
  FolderChangeBtn.OnClick = [this](TComponent &) { FolderChangeBtnClick(); };
  FolderDefaultBtn.OnClick = [this](TComponent &) {
    State().InstallDir = Context().Engine.Expand(Product().InstallDir);
    ShowText(FolderEdit, State().InstallDir);
    UpdateFreeSpace(true);
  };
  ProgramgroupEdit.OnChange = [this](TComponent &) {
    if (updating_)
      return;
    std::string cleaned = RemoveForbiddenPathCharacters(ProgramgroupEdit.Text());
    State().ProgramGroup = cleaned;
    if (cleaned != ProgramgroupEdit.Text())
      ShowText(ProgramgroupEdit, cleaned);
  };
  ProgramgroupChangeBtn.OnClick = [this](TComponent &) { ProgramgroupChangeBtnClick(); };
  ProgramgroupDefaultBtn.OnClick = [this](TComponent &) {
    State().ProgramGroup = Context().Engine.Expand(Product().ProgramGroup);
    ShowText(ProgramgroupEdit, State().ProgramGroup);
  };
  ProgramgroupDesktopShortcutCBox.OnClick = [this](TComponent &) {
    State().DesktopShortcutChecked = ProgramgroupDesktopShortcutCBox.Checked();
  };

  OnShow = [this](TComponent &) { FormShown(); };
  OnCloseQuery = [this](TComponent &, bool &canClose) { CloseQuery(canClose); };
  OnClose = [this](TComponent &, TCloseAction &) { Closing(); };
  OnKeyDown = [this](TComponent &, int &key, bool) { KeyDown(key); };
  OnMessage = [this](uint32_t message, uintptr_t, intptr_t) {
    if (message == kShowYourselfMessage)
      BringToFront();
  };
  Pages.SetActivePageIndex(wpLanguage);
}

} // namespace kestrup
