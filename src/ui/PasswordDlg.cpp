#include "ui/PasswordDlg.h"

namespace {
TFont DialogFont() {
  TFont font;
  font.Name = "MS Sans Serif";
  font.Size = 8;
  font.Bold = true;
  return font;
}

template <class T> T &Place(TForm &form, const char *name, int x, int y, int w, int h) {
  T &control = form.Create<T>(name);
  control.SetParent(&form);
  control.SetBounds(x, y, w, h);
  control.SetFont(DialogFont());
  return control;
}
} // namespace

TPasswordDlg::TPasswordDlg(TApplication &application, TComponent *owner)
    : TForm(application, owner, "PasswordDlg"),
      Lbl(Place<TLabel>(*this, "Lbl", 8, 9, 220, 16)),
      Password(Place<TEdit>(*this, "Password", 8, 27, 220, 21)),
      OKBtn(Place<TButton>(*this, "OKBtn", 66, 59, 77, 27)),
      CancelBtn(Place<TButton>(*this, "CancelBtn", 152, 59, 77, 27)) {
  SetCaption("Password");
  SetBounds(0, 0, 236, 93);
  SetFont(DialogFont());
  CenterOnScreen = true;
  Lbl.SetCaption("Enter password:");
  Password.PasswordChar = '*';
  ActiveControl = &Password;
  OKBtn.SetCaption("OK");
  OKBtn.ModalResult = mrOk;
  OKBtn.Default = true;
  CancelBtn.SetCaption("Cancel");
  CancelBtn.ModalResult = mrCancel;
  CancelBtn.Cancel = true;
  CancelBtn.OnClick = [this](TComponent &sender) { CancelBtnClick(sender); };
}

void TPasswordDlg::CancelBtnClick(TComponent &) { Password.SetText(""); }

std::optional<std::string> AskPassword(TApplication &application) {
  TPasswordDlg dialog(application, nullptr);
  int result = dialog.ShowModal();
  if (result != mrOk || dialog.Password.Text().empty())
    return std::nullopt;
  return dialog.Password.Text();
}
