#include "ui/Forms.h"

#include "ui/Controls.h"
#include "ui/Menus.h"

#include <algorithm>
#include <limits>

TForm::TForm(TApplication &application, TComponent *owner, std::string name)
    : TWinControl(owner, std::move(name)), application_(application) {
  SetVisible(false);
  application_.FormAlive(*this, true);
}

TForm::~TForm() {
  if (OnDestroy)
    OnDestroy(*this);
  DestroyComponents();
  application_.FormAlive(*this, false);
}

void TForm::Show() {
  if (Visible())
    return;
  SetVisible(true);
  application_.FormShown(*this);
  if (OnShow)
    OnShow(*this);
}

void TForm::BringToFront() {
  minimized_ = false;
  Show();
  Notify(TProperty::Front);
}

void TForm::Minimize() {
  minimized_ = true;
  Notify(TProperty::Minimized);
}

bool TForm::Close() {
  if (application_.MainForm == this && !modal_ && application_.ModalFormRunning()) {
    for (TForm *form : application_.Forms())
      if (form->modal_ && form->ModalResult == 0)
        form->ModalResult = mrCancel;
    application_.closeAfterModal_ = this;
    return false;
  }
  bool canClose = true;
  if (OnCloseQuery)
    OnCloseQuery(*this, canClose);
  if (!canClose)
    return false;
  TCloseAction action = TCloseAction::caHide;
  if (OnClose)
    OnClose(*this, action);
  if (action == TCloseAction::caNone)
    return false;
  if (modal_ && ModalResult == 0)
    ModalResult = mrCancel;
  SetVisible(false);
  if (OnHide)
    OnHide(*this);
  if (application_.MainForm == this)
    application_.Terminated = true;
  return true;
}

int TForm::ShowModal() {
  ModalResult = 0;
  modal_ = true;
  Show();
  int result = application_.RunModal(*this);
  modal_ = false;
  if (Visible()) {
    SetVisible(false);
    if (OnHide)
      OnHide(*this);
  }
  application_.ModalRunEnded();
  return result;
}

void TButton::ClickBehaviour() {
  if (ModalResult == mrNone)
    return;
  for (TControl *c = this; c; c = c->Parent())
    if (c->Kind() == TComponentKind::ckForm) {
      static_cast<TForm *>(c)->ModalResult = ModalResult;
      return;
    }
}

TApplication *ApplicationOf(const TComponent &component) {
  for (const TComponent *c = &component; c; c = c->Owner())
    if (c->Kind() == TComponentKind::ckForm)
      return &static_cast<const TForm *>(c)->Application();
  return nullptr;
}

TTimer::TTimer(TComponent *owner, std::string name)
    : TComponent(owner, std::move(name)), application_(ApplicationOf(*this)) {
  Reschedule();
}

TTimer::~TTimer() {
  if (application_)
    application_->TimerChanged(*this, false);
}

void TTimer::SetInterval(uint32_t ms) {
  if (ms == interval_)
    return;
  interval_ = ms;
  Reschedule();
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_)
    return;
  enabled_ = enabled;
  Reschedule();
}

void TTimer::Reschedule() {
  if (!application_)
    return;
  Due = application_->TickCount() + interval_;
  application_->TimerChanged(*this, true);
}

TApplication::~TApplication() = default;

void TApplication::Post(std::function<void()> call) {
  posted_.push_back(std::move(call));
  PostedCallQueued();
}

bool TApplication::IsAlive(const TForm *form) const {
  return std::find(forms_.begin(), forms_.end(), form) != forms_.end();
}

void TApplication::PostFormMessage(TForm &form, uint32_t message, uintptr_t wParam,
                                   intptr_t lParam) {
  TForm *target = &form;
  Post([this, target, message, wParam, lParam] {
    if (IsAlive(target) && target->OnMessage)
      target->OnMessage(message, wParam, lParam);
  });
}

void TApplication::PostCloseRequest(TForm &form) {
  // The form may be gone when the request is handled.
  TForm *target = &form;
  Post([this, target] {
    if (IsAlive(target))
      target->Close();
  });
}

bool TApplication::ModalFormRunning() const {
  return std::any_of(forms_.begin(), forms_.end(), [](const TForm *form) { return form->Modal(); });
}

void TApplication::ModalRunEnded() {
  if (!closeAfterModal_ || ModalFormRunning())
    return;
  // The code that opened the modal forms finishes first: the close comes
  // from the message loop.
  PostCloseRequest(*closeAfterModal_);
  closeAfterModal_ = nullptr;
}

void TApplication::FormAlive(TForm &form, bool alive) {
  if (!alive && closeAfterModal_ == &form)
    closeAfterModal_ = nullptr;
  auto it = std::find(forms_.begin(), forms_.end(), &form);
  if (alive && it == forms_.end())
    forms_.push_back(&form);
  else if (!alive && it != forms_.end())
    forms_.erase(it);
}

void TApplication::TimerChanged(TTimer &timer, bool alive) {
  auto it = std::find(timers_.begin(), timers_.end(), &timer);
  if (alive && it == timers_.end())
    timers_.push_back(&timer);
  else if (!alive && it != timers_.end())
    timers_.erase(it);
  BackendTimerChanged(timer, alive);
}

void TApplication::FormShown(TForm &) {}

void TApplication::FormScaleChanged(TForm &form, int dpi) {
  if (OnFormScaleChanged)
    OnFormScaleChanged(form, dpi);
}

bool TApplication::RunPosted() {
  bool ran = false;
  while (!posted_.empty()) {
    auto call = std::move(posted_.front());
    posted_.pop_front();
    call();
    ran = true;
  }
  return ran;
}

bool TApplication::FireDueTimers(uint64_t now) {
  bool fired = false;
  for (;;) {
    TTimer *next = nullptr;
    for (TTimer *t : timers_)
      if (t->Enabled() && t->Interval() > 0 && t->Due <= now && (!next || t->Due < next->Due))
        next = t;
    if (!next)
      return fired;
    // Like a window timer, a late timer fires once, not once per missed period.
    next->Due = now + next->Interval();
    fired = true;
    if (next->OnTimer)
      next->OnTimer(*next);
  }
}

void THeadlessApplication::ProcessMessages() {
  RunPosted();
  FireDueTimers(now_);
  RunPosted();
}

void THeadlessApplication::AdvanceTime(uint64_t ms) {
  const uint64_t end = now_ + ms;
  for (;;) {
    RunPosted();
    uint64_t next = std::numeric_limits<uint64_t>::max();
    for (TTimer *t : timers_)
      if (t->Enabled() && t->Interval() > 0)
        next = std::min(next, t->Due);
    if (next > end)
      break;
    now_ = std::max(now_, next);
    FireDueTimers(now_);
  }
  now_ = end;
  RunPosted();
}

bool THeadlessApplication::RunFileDialog(TFileDialog &dialog) {
  if (FileDialogAnswers.empty())
    return false;
  std::string answer = std::move(FileDialogAnswers.front());
  FileDialogAnswers.pop_front();
  if (answer.empty())
    return false;
  dialog.FileName = std::move(answer);
  return true;
}

int THeadlessApplication::ShowMessageBox(const std::string &text, const std::string &title,
                                     TMessageButtons) {
  MessagesShown.push_back(title + ": " + text);
  if (MessageAnswers.empty())
    return mrOk;
  int answer = MessageAnswers.front();
  MessageAnswers.pop_front();
  return answer;
}

int THeadlessApplication::RunModal(TForm &form) {
  const uint64_t limit = now_ + MaxModalTime;
  for (;;) {
    ProcessMessages();
    if (form.ModalResult != 0 || !form.Visible())
      break;
    uint64_t next = std::numeric_limits<uint64_t>::max();
    for (TTimer *t : timers_)
      if (t->Enabled() && t->Interval() > 0)
        next = std::min(next, t->Due);
    if (next == std::numeric_limits<uint64_t>::max() || next > limit) {
      form.ModalResult = mrCancel; // nothing left could end the run
      break;
    }
    now_ = std::max(now_, next);
    FireDueTimers(now_);
  }
  return form.ModalResult;
}
