#pragma once
// Forms, timers and the application object that runs them. The application
// is where time, pending messages, close requests and modal runs come from:
// THeadlessApplication runs them in virtual time for tests; a backend's
// application runs them on real windows.

#include "ui/Component.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class TApplication;
class TFileDialog;
class TTimer;

enum class TCloseAction { caNone, caHide, caFree, caMinimize };

// The buttons of a message box; its answer is mrOk or mrCancel.
enum class TMessageButtons { mbOk, mbOkCancel };

// Modifier keys held, as ModifierKeys reports them.
enum TModifierKey : uint8_t { mkShift = 1, mkCtrl = 2, mkAlt = 4 };

// The modifier keys held with a key.
struct TShiftState {
  bool Shift = false, Ctrl = false, Alt = false;
  bool None() const { return !Shift && !Ctrl && !Alt; }
};
using TPreviewKeyEvent = std::function<void(TComponent &sender, int &key, TShiftState shift)>;

class TForm : public TWinControl {
public:
  TForm(TApplication &application, TComponent *owner, std::string name);
  ~TForm() override;
  MOVARO_KIND(ckForm)

  TApplication &Application() const { return application_; }

  int ModalResult = 0;
  bool KeyPreview = false;
  bool StayOnTop = false;      // always on top of other windows
  bool ShowActivated = true;   // false: shown without taking the focus
  bool Borderless = false;
  // A caption bar without the system menu and its buttons (minimise, close).
  bool NoBorderIcons = false;
  // A fixed dialog frame, as for a modal dialog.
  bool DialogBorder = false;
  bool CenterOnScreen = false; // placed in the middle of the screen when realised
  // The control that has the focus when the form is shown.
  TControl *ActiveControl = nullptr;
  // The window class a backend registers the form's window under, so that
  // another program finds it by name (empty: a generic class).
  std::string WindowClassName;
  bool Modal() const { return modal_; }

  // Private messages (0x0400 and up) posted to the form's window, such as
  // another instance's "show yourself" or the input hook's notifications.
  std::function<void(uint32_t message, uintptr_t wParam, intptr_t lParam)> OnMessage;

  // With key preview, every key pressed or released while the form is
  // active, keys held with Alt included, before OnKeyDown and OnKeyUp and
  // before the system's own handling (Alt+F4 closes after OnPreviewKeyDown
  // saw it). Setting key to 0 takes the key.
  TPreviewKeyEvent OnPreviewKeyDown, OnPreviewKeyUp;
  // The desktop session ends (log-off or shut-down): the last chance to save,
  // without asking anybody. The program ends afterwards.
  TNotifyEvent OnEndSession;
  // Another window became the active one.
  TNotifyEvent OnDeactivate;

  TNotifyEvent OnCreate, OnShow, OnHide, OnDestroy;
  // Asked before closing; clearing canClose refuses the close.
  std::function<void(TComponent &sender, bool &canClose)> OnCloseQuery;
  std::function<void(TComponent &sender, TCloseAction &action)> OnClose;

  void Show();
  void Hide() { SetVisible(false); }
  // Shows the form, restored if it was minimised, in front of the others.
  void BringToFront();
  // Shrinks the form to its task-bar button; BringToFront restores it.
  void Minimize();
  bool Minimized() const { return minimized_; }
  // Asks OnCloseQuery, then closes (hides; a modal form ends its run with
  // mrCancel unless a result is set). False when the close was refused.
  // The main form closed while modal forms run over it (asked from outside:
  // another program, the uninstaller) first ends them as cancelled and
  // closes once their runs are over; false until then.
  bool Close();
  // Runs the form modally until ModalResult is set or it is closed.
  int ShowModal();

private:
  friend class TApplication;
  TApplication &application_;
  bool modal_ = false;
  bool minimized_ = false;
};

class TTimer : public TComponent {
public:
  TTimer(TComponent *owner, std::string name);
  ~TTimer() override;
  MOVARO_KIND(ckTimer)
  uint32_t Interval() const { return interval_; }
  void SetInterval(uint32_t ms);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  TNotifyEvent OnTimer;

  // For the application: the virtual time the timer fires next.
  uint64_t Due = 0;

private:
  void Reschedule();
  uint32_t interval_ = 1000;
  bool enabled_ = true;
  TApplication *application_;
};

// The application a component's form belongs to, or none.
TApplication *ApplicationOf(const TComponent &component);

class TApplication {
public:
  virtual ~TApplication();

  // Milliseconds since an arbitrary start, from the application's clock.
  virtual uint64_t TickCount() const = 0;
  // Runs what is pending (posted calls, due timers, a backend's window
  // messages) and returns; long operations call it to stay responsive.
  virtual void ProcessMessages() = 0;
  // Queues a call for the message loop, like a posted window message.
  void Post(std::function<void()> call);
  // A posted close request, as another program's WM_CLOSE would be.
  void PostCloseRequest(TForm &form);
  // Whether a form runs modally now.
  bool ModalFormRunning() const;
  // A posted private message for the form's OnMessage.
  virtual void PostFormMessage(TForm &form, uint32_t message, uintptr_t wParam, intptr_t lParam);
  // Shows the system's file dialog; headless, the prepared answer.
  virtual bool RunFileDialog(TFileDialog &dialog) = 0;
  // A plain message box with the title and buttons, in front of the
  // application's forms; mrOk or mrCancel. Headless, the prepared answer.
  virtual int ShowMessageBox(const std::string &text, const std::string &title,
                         TMessageButtons buttons) = 0;
  // Which modifier keys are held now (TModifierKey bits).
  virtual uint8_t ModifierKeys() const = 0;
  // Shows the hourglass over the application's windows while busy.
  virtual void SetBusyCursor(bool) {}
  // The modal loop: until the form has a result or is hidden.
  virtual int RunModal(TForm &form) = 0;
  // The system's default beep (a refused key, a read-only control).
  virtual void Beep() = 0;
  // The decimal separator of the user's number format.
  virtual char DecimalSeparator() const = 0;

  // For timers and forms.
  void TimerChanged(TTimer &timer, bool alive);
  // A form became visible: a backend makes the windows of a form shown
  // for the first time.
  virtual void FormShown(TForm &form);
  void FormAlive(TForm &form, bool alive);
  // The form whose close ends the program's message loop (set by a backend's
  // run); Terminated once that close was allowed.
  TForm *MainForm = nullptr;
  bool Terminated = false;

  // A form's window moved to a display of another scale (pixels per inch):
  // the backend says so before it lays the form out again, so what was
  // chosen for the scale before (skin pictures) can be chosen again.
  std::function<void(TForm &form, int dpi)> OnFormScaleChanged;
  void FormScaleChanged(TForm &form, int dpi);

  // The live forms, in creation order.
  const std::vector<TForm *> &Forms() const { return forms_; }
  const std::vector<TTimer *> &Timers() const { return timers_; }

protected:
  // Runs the posted calls, including those they post; true when any ran.
  bool RunPosted();
  // Fires every enabled timer due at or before now, in order of due time.
  bool FireDueTimers(uint64_t now);
  virtual void BackendTimerChanged(TTimer &, bool) {}
  // Wakes a backend's message loop for a newly posted call.
  virtual void PostedCallQueued() {}
  bool IsAlive(const TForm *form) const;
  std::vector<TTimer *> timers_;
  std::vector<TForm *> forms_;

private:
  friend class TForm;
  // A modal run ended: a close waiting for the modal forms is asked again
  // once none runs any more.
  void ModalRunEnded();
  std::deque<std::function<void()>> posted_;
  TForm *closeAfterModal_ = nullptr;
};

class THeadlessApplication : public TApplication {
public:
  uint64_t TickCount() const override { return now_; }
  void ProcessMessages() override;
  // Moves virtual time forward, firing timers on the way at their own times.
  void AdvanceTime(uint64_t ms);
  // The answer the next file dialogs give: a file name, or none for Cancel.
  std::deque<std::string> FileDialogAnswers;
  bool RunFileDialog(TFileDialog &dialog) override;
  // Message boxes shown ("title: text"), and the answers the next ones give
  // (mrOk when none is prepared).
  std::vector<std::string> MessagesShown;
  std::deque<int> MessageAnswers;
  int ShowMessageBox(const std::string &text, const std::string &title, TMessageButtons buttons) override;
  uint8_t Modifiers = 0;
  uint8_t ModifierKeys() const override { return Modifiers; }
  // Runs posted calls and timers in virtual time until the form has a result
  // or is hidden; with nothing left that could end it, the run ends with
  // mrCancel rather than hanging. MaxModalTime bounds a run in virtual time.
  int RunModal(TForm &form) override;
  uint64_t MaxModalTime = 24ull * 3600 * 1000;
  // Beeps are counted; the separator is the one chosen.
  void Beep() override { ++Beeps; }
  int Beeps = 0;
  char DecimalSeparator() const override { return Separator; }
  char Separator = '.';

private:
  uint64_t now_ = 0;
};
