#pragma once
// The Win32 backend of the component model: realises forms and their controls
// as real windows (standard and common controls, rich edit; windowless
// controls painted by their parent through the GDI canvas), keeps model and
// windows in step both ways, and runs the message loop, timers and modal runs.
//
// Each control's window follows its kind's row (Win32ControlKinds.h) through
// its peer (Win32Peer.h); forms and the backend's own containers share one
// window procedure (Win32ContainerWindow.h).
//
// A tagged control's control ID is its tag, so a test driver can find a
// control with GetDlgItem and press it.

#include "ui/Controls.h"
#include "ui/Forms.h"
#include "ui/Menus.h"

#include <windows.h>

#include <map>
#include <string>

class TWin32Application : public TApplication {
public:
  explicit TWin32Application(HINSTANCE instance);
  ~TWin32Application() override;

  uint64_t TickCount() const override;
  void ProcessMessages() override;
  bool RunFileDialog(TFileDialog &dialog) override;
  int ShowMessageBox(const std::string &text, const std::string &title, TMessageButtons buttons) override;
  uint8_t ModifierKeys() const override;
  void SetBusyCursor(bool busy) override;
  int RunModal(TForm &form) override;
  void Beep() override { MessageBeep(0); }
  char DecimalSeparator() const override;
  void PostFormMessage(TForm &form, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  void FormShown(TForm &form) override;

  // Creates the windows of a form and of every control placed on it (again
  // for controls added later). The form's window appears when it is shown.
  HWND Realize(TForm &form);
  // Runs the message loop until the form is closed or WM_QUIT arrives.
  void Run(TForm &mainForm);
  // Shows a pop-up menu at screen coordinates (design units, as forms are
  // placed) and runs the chosen item.
  void Popup(TPopupMenu &menu, int x, int y);
  // The same at the mouse pointer (a menu of the tray icon).
  void PopupAtCursor(TPopupMenu &menu);

  static HWND WindowOf(const TControl &control);
  static TControl *ControlOf(HWND window);
  // The cursor of a registered cursor number (ui/Cursors.h), loaded from the
  // program's resources on first use; none when it is not registered or the
  // resource is missing.
  static HCURSOR CursorOf(int number);
  HINSTANCE Instance() const { return instance_; }

protected:
  void BackendTimerChanged(TTimer &timer, bool alive) override;
  void PostedCallQueued() override;

private:
  friend LRESULT CALLBACK ContainerProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK UtilityProc(HWND, UINT, WPARAM, LPARAM);
  void RealizeChildren(TWinControl &parent);
  void RealizeControl(TControl &control);
  bool RegisterFormClass(const std::string &name);
  void Dispatch(MSG &message);
  HMENU BuildMenu(const std::vector<TMenuItem *> &items, bool popup);
  void RunMenuCommand(UINT id);
  HWND MenuAnchor(const TPopupMenu &menu);
  void TrackMenu(TPopupMenu &menu, HWND anchor, POINT device);
  // The window in front that dialogs and message boxes belong to.
  HWND ActiveFormWindow() const;

  HINSTANCE instance_;
  HWND utility_ = nullptr; // timers and posted calls
  std::map<std::string, bool> registeredClasses_;
  std::map<UINT, TMenuItem *> menuCommands_;
  UINT nextMenuCommand_ = 0xE000;
  uint32_t lastTick_ = 0;
  uint64_t tickHigh_ = 0;
};
