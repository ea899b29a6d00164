#pragma once
// The password prompt of protected table databases: a small modal window with
// one masked edit, OK and Cancel. AskPassword plugs it into the database
// engine's password callback.

#include "ui/Controls.h"
#include "ui/Forms.h"

#include <optional>
#include <string>

class TPasswordDlg : public TForm {
public:
  TPasswordDlg(TApplication &application, TComponent *owner);
  TLabel &Lbl;
  TEdit &Password;
  TButton &OKBtn;
  TButton &CancelBtn;

private:
  void CancelBtnClick(TComponent &sender);
};

// Shows the prompt modally: the typed text after OK, nothing after Cancel, a
// close of the window or an empty edit.
std::optional<std::string> AskPassword(TApplication &application);
