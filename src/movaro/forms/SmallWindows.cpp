#include "movaro/forms/SmallWindows.h"

#include <tuple>

namespace {

constexpr char kIntroName[] = "IntroForm";
constexpr char kAboutName[] = "AboutBox";
constexpr int kKeyEnter = 13, kKeyEscape = 27;

TFont VerdanaPixels(int pixels, uint32_t colour) {
  TFont font;
  font.Name = "Verdana";
  font.Size = pixels * 3 / 4; // points at 96 pixels per inch
  font.Color = colour;
  return font;
}

void MakeSmallWindow(TForm &form, int width, int height, const std::string &caption) {
  form.Borderless = true;
  form.StayOnTop = true;
  form.CenterOnScreen = true;
  form.KeyPreview = true;
  form.SetBounds(0, 0, width, height);
  form.SetColor(kWindowColour);
  form.SetFont(VerdanaPixels(11, 0));
  form.SetCaption(caption);
}

// A window's picture: centred over the whole window.
void PlacePicture(TForm &form, TBkControl &picture, TSkinLoader &skins, const std::string &name) {
  picture.SetParent(&form);
  picture.SetBounds(0, 0, form.Bounds().Width, form.Bounds().Height);
  ShowPictureOnly(picture.Background(), idsCenter);
  skins.LoadInto(picture.Background().Image, name);
}

void Translate(TSmallWindowsEnv &env, TForm &form) {
  env.Context.Translator.TranslateForm(form, "MainForm", env.LanguageFile);
}

} // namespace

TIntroForm::TIntroForm(TComponent *owner, TApplication &application, TSmallWindowsEnv &env)
    : TForm(application, owner, kIntroName), IntroFormImg(Create<TBkControl>("IntroFormImg")),
      LoadingLbl(Create<TLabel>("LoadingLbl")), Gauge(Create<TColorGauge>("Gauge")),
      SloganLbl(Create<TLabel>("SloganLbl")), env_(env) {
  MakeSmallWindow(*this, 280, 280, "Movaro");
  PlacePicture(*this, IntroFormImg, env.Skins, "MOVAROBOX");
  LoadingLbl.SetParent(this);
  LoadingLbl.Tag = 18200;
  LoadingLbl.SetBounds(10, 90, 205, 13);
  LoadingLbl.SetCaption("One moment please, loading data...");
  LoadingLbl.SetVisible(false);
  Gauge.SetParent(this);
  Gauge.SetBounds(10, 110, 260, 4);
  Gauge.ForeColor = 0xFFFFFF; // a white bar on black, without frame or text
  Gauge.BackColor = 0x000000;
  Gauge.Border = false;
  Gauge.SetProgress(50);
  Gauge.SetVisible(false);
  SloganLbl.SetParent(this);
  SloganLbl.Tag = 18900;
  SloganLbl.SetBounds(0, 256, 280, 14);
  SloganLbl.Alignment = TLabel::taCenter;
  SloganLbl.SetFont(VerdanaPixels(10, kSloganColour));
  SloganLbl.SetCaption(kSlogan);
  OnShow = [this](TComponent &) { Translate(env_, *this); };
  env.Context.Dialogs.Intro = true;
}

TIntroForm::~TIntroForm() { env_.Context.Dialogs.Intro = false; }

TAboutBox::TAboutBox(TComponent *owner, TApplication &application, TSmallWindowsEnv &env)
    : TForm(application, owner, kAboutName), AboutboxImg(Create<TBkControl>("AboutboxImg")),
      VeltrinSBtn(Create<TBaseBtn>("VeltrinSBtn")), CloseBtn(Create<TBaseBtn>("CloseBtn")),
      VersionLbl(Create<TLabel>("VersionLbl")), SloganLbl(Create<TLabel>("SloganLbl")), env_(env) {
  MakeSmallWindow(*this, 325, 325, "Movaro");
  Tag = 4000;
  PlacePicture(*this, AboutboxImg, env.Skins, "about");
  VeltrinSBtn.SetParent(this);
  VeltrinSBtn.Tag = 18400;
  VeltrinSBtn.SetBounds(13, 276, 130, 40);
  VeltrinSBtn.FaceVisible = false;
  VeltrinSBtn.SetHint("Go to the Veltrin Software website");
  VeltrinSBtn.OnClick = [this](TComponent &) {
    Close();
    if (OnVisitMaker)
      OnVisitMaker();
  };
  CloseBtn.SetParent(this);
  CloseBtn.Tag = 18500;
  CloseBtn.SetBounds(245, 300, 60, 15);
  CloseBtn.SetCaption("Close");
  CloseBtn.SetFont(VerdanaPixels(11, kLightColour));
  MakeRoundFaceButton(CloseBtn, kFaceColour, kFaceShadowColour);
  CloseBtn.OnClick = [this](TComponent &) { Close(); };
  const std::tuple<TLabel *, int, int, int, uint32_t, const char *> lines[] = {
      {&VersionLbl, 18600, 190, 12, kFaceColour, "Version 3.0 release 2"},
      {&SloganLbl, 18700, 211, 10, kSloganColour, "Your companion for healthy work at the screen"}};
  for (auto [label, tag, top, pixels, colour, text] : lines) {
    label->SetParent(this);
    label->Tag = tag;
    label->SetBounds(5, top, 315, pixels + 4);
    label->Alignment = TLabel::taCenter;
    label->SetFont(VerdanaPixels(pixels, colour));
    label->SetCaption(text);
  }
  OnShow = [this](TComponent &) { Translate(env_, *this); };
  OnDeactivate = [this](TComponent &) { Close(); };
  // Enter and Escape close the box when released, whichever button has the
  // focus; their presses are taken so that no button acts on them.
  OnPreviewKeyDown = [](TComponent &, int &key, TShiftState shift) {
    if ((key == kKeyEnter || key == kKeyEscape) && shift.None())
      key = 0;
  };
  OnPreviewKeyUp = [this](TComponent &, int &key, TShiftState shift) {
    if ((key == kKeyEnter || key == kKeyEscape) && shift.None()) {
      key = 0;
      Close();
    }
  };
  ActiveControl = &CloseBtn;
  env.Context.Dialogs.About = true;
}

TAboutBox::~TAboutBox() { env_.Context.Dialogs.About = false; }

TMessageDlgBox::TMessageDlgBox(TApplication &application, TSmallWindowsEnv &env)
    : TForm(application, nullptr, "MessageDlgBox"), Background(Create<TShape>("Background")),
      MsgLbl(Create<TLabel>("MsgLbl")), OkBtn(Create<TBaseBtn>("OkBtn")),
      CancelBtn(Create<TBaseBtn>("CancelBtn")), env_(env) {
  MakeSmallWindow(*this, 402, 152, "");
  SetColor(kLightColour);
  Background.SetParent(this);
  Background.SetBounds(1, 1, 400, 150);
  Background.BrushColor = kWindowColour;
  Background.PenColor = kFaceColour;
  MsgLbl.SetParent(this);
  MsgLbl.SetBounds(21, 21, 360, 70);
  MsgLbl.WordWrap = true;
  int left = 141;
  for (TBaseBtn *button : {&OkBtn, &CancelBtn}) {
    button->SetParent(this);
    button->SetBounds(left, 101, 120, 35);
    button->SetFont(VerdanaPixels(11, 0xFFFFFF));
    // Drawn rather than skinned: the plain skin faces stand on the pages' grey.
    MakeRoundFaceButton(*button, kFaceColour, kFaceShadowColour);
    left += 120;
  }
  OkBtn.SetCaption("Ok");
  CancelBtn.SetCaption("Cancel");
  // Escape answers with the second button; Enter presses the focused one.
  CancelBtn.Cancel = true;
  OkBtn.OnClick = [this](TComponent &) { ModalResult = mrOk; };
  CancelBtn.OnClick = [this](TComponent &) { ModalResult = mrCancel; };
  env.Context.Dialogs.MessageBox = true;
}

TMessageDlgBox::~TMessageDlgBox() {
  env_.Context.Dialogs.MessageBox = false;
  if (env_.OpenMessageBox == this)
    env_.OpenMessageBox = nullptr;
}

TIntroForm *FindIntro(TForm &owner) {
  return dynamic_cast<TIntroForm *>(owner.FindComponent(kIntroName));
}

TAboutBox *FindAbout(TForm &owner) {
  return dynamic_cast<TAboutBox *>(owner.FindComponent(kAboutName));
}

TIntroForm &ShowIntro(TForm &owner, TSmallWindowsEnv &env) {
  TIntroForm *intro = FindIntro(owner);
  if (!intro) {
    intro = &owner.Create<TIntroForm>(owner.Application(), env);
    owner.Application().ProcessMessages();
  }
  intro->BringToFront();
  return *intro;
}

TAboutBox &ShowAbout(TForm &owner, TSmallWindowsEnv &env) {
  TAboutBox *about = FindAbout(owner);
  if (!about)
    about = &owner.Create<TAboutBox>(owner.Application(), env);
  about->BringToFront();
  return *about;
}

TAboutBox &ShowFarewell(TForm &owner, TSmallWindowsEnv &env) {
  TAboutBox *about = FindAbout(owner);
  if (!about)
    about = &owner.Create<TAboutBox>(owner.Application(), env);
  about->CloseBtn.SetVisible(false);
  about->ShowActivated = false;
  about->Show();
  about->ShowActivated = true; // shown as the About box, it takes the focus again
  return *about;
}

bool ConfirmBox(TSmallWindowsEnv &env, TApplication &application, const std::string &text,
                const std::string &okCaption, const std::string &cancelCaption) {
  if (env.OpenMessageBox) {
    env.OpenMessageBox->BringToFront();
    return false;
  }
  TMessageDlgBox box(application, env);
  env.OpenMessageBox = &box;
  box.MsgLbl.SetCaption(text);
  box.OkBtn.SetCaption(okCaption);
  box.CancelBtn.SetCaption(cancelCaption);
  box.CancelBtn.SetVisible(!cancelCaption.empty()); // a notice has one button
  box.OkBtn.Cancel = cancelCaption.empty();         // which Escape then presses
  // Alt with a caption's first letter presses its button ("Yes" Alt+Y).
  box.OkBtn.AccessKey = okCaption.empty() ? 0 : okCaption[0];
  box.CancelBtn.AccessKey = cancelCaption.empty() ? 0 : cancelCaption[0];
  return box.ShowModal() == mrOk;
}
