#include "platform/win32/Win32MediaPlayer.h"

#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

constexpr char kPlayerClass[] = "MovaroMediaPlayer";
constexpr char kNotifyClass[] = "MovaroMediaNotify";
constexpr UINT kDeliverMessage = WM_APP + 1;
constexpr UINT_PTR kAnswerTimer = 1;
constexpr UINT kAnswerCheckMs = 250;
std::atomic<unsigned> g_nextAlias{0};

void RegisterWindowClass(const char *name, WNDPROC proc) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = name;
  RegisterClassA(&wc); // fails harmlessly when it exists
}

HWND CreateMessageWindow(const char *className, void *self) {
  HWND window = CreateWindowA(className, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (window)
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  return window;
}

// One MCI device at a time, used only on the player thread; its
// notifications arrive at a message-only window of that thread, which Wait
// serves.
class TMciDevice : public IMediaDevice {
public:
  TMciDevice() : wake_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
  ~TMciDevice() override {
    if (wake_)
      CloseHandle(wake_);
  }

  void Begin() override {
    static std::once_flag registered;
    std::call_once(registered, [] { RegisterWindowClass(kNotifyClass, NotifyProc); });
    notifyWindow_ = CreateMessageWindow(kNotifyClass, this);
  }
  void End() override {
    Close();
    if (notifyWindow_)
      DestroyWindow(notifyWindow_);
    notifyWindow_ = nullptr;
  }

  bool Open(const std::string &path) override;
  void Close() override {
    if (alias_.empty())
      return;
    Command("close");
    alias_.clear();
    usesWindow_ = false;
  }
  bool UsesWindow() override { return usesWindow_; }
  int32_t Length() override {
    std::string reply;
    return Command("status", "length", &reply) ? std::atoi(reply.c_str()) : 0;
  }
  bool SetDisplay(TNativeWindow window, const TMediaRect &rect) override {
    if (!usesWindow_ || !window)
      return false;
    return Command("window", "handle " + std::to_string(window)) &&
           Command("put", "destination at " + std::to_string(rect.Left) + " " +
                              std::to_string(rect.Top) + " " + std::to_string(rect.Width) + " " +
                              std::to_string(rect.Height));
  }
  bool Play() override { return Command("play", "", nullptr, true); }
  bool Pause() override { return Command("pause"); }
  // A resumed device may stay "stopped" on some systems; playing on from the
  // paused position works everywhere.
  bool Resume() override { return Play(); }
  bool Stop() override;
  bool Rewind() override { return Command("seek", "to start"); }
  bool Step(int32_t frames) override {
    if (!usesWindow_ || frames == 0)
      return false;
    // The driver refuses a step beyond either end: it stops there instead.
    std::string position;
    if (Command("status", "position", &position)) {
      const int32_t at = std::max(0, std::atoi(position.c_str()));
      frames = frames < 0 ? -std::min(-frames, at) : std::min(frames, std::max(0, Length() - 1 - at));
      if (frames == 0)
        return true;
    }
    const std::string by = "by " + std::to_string(std::abs(frames));
    return Command("step", frames < 0 ? "reverse " + by : by);
  }
  TMediaMode Mode() override;
  std::string LastError() override { return lastError_; }
  bool AtEnd() {
    std::string position;
    if (!Command("status", "position", &position))
      return true; // no position to tell: take the driver's word
    const int32_t length = Length();
    return length <= 0 || std::atoi(position.c_str()) >= length - 1;
  }

  void Wait() override {
    const DWORD woken =
        MsgWaitForMultipleObjects(1, &wake_, FALSE, INFINITE, QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (woken == WAIT_FAILED)
      Sleep(10); // never spin on a broken handle
  }
  void Wake() override { SetEvent(wake_); }

private:
  static LRESULT CALLBACK NotifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Sends "VERB alias REST" with "notify", "wait" or neither; false (with
  // LastError) when the device refuses.
  bool Command(const std::string &verb, const std::string &rest = "", std::string *reply = nullptr,
               bool notify = false, bool wait = true);

  HANDLE wake_ = nullptr;
  HWND notifyWindow_ = nullptr;
  std::string alias_;
  bool usesWindow_ = false;
  std::string lastError_;
};

LRESULT CALLBACK TMciDevice::NotifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != MM_MCINOTIFY)
    return DefWindowProcA(window, message, wParam, lParam);
  auto *self = reinterpret_cast<TMciDevice *>(GetWindowLongPtrA(window, GWLP_USERDATA));
  // Only the device open now reports; a closed one's late notice is dropped.
  if (!self || self->alias_.empty() ||
      static_cast<MCIDEVICEID>(lParam) != mciGetDeviceIDA(self->alias_.c_str()))
    return 0;
  TMediaNotify result = TMediaNotify::mnFailure;
  switch (wParam) {
  case MCI_NOTIFY_SUCCESSFUL: result = TMediaNotify::mnSuccessful; break;
  case MCI_NOTIFY_SUPERSEDED: result = TMediaNotify::mnSuperseded; break;
  case MCI_NOTIFY_ABORTED: result = TMediaNotify::mnAborted; break;
  }
  // Wine's video driver reports a play cut off by a stop, a seek, a pause or
  // another play as successful, and a player that restarts the film at its
  // end then cuts off its own play, endlessly: the end is only where the
  // position has reached the length.
  if (result == TMediaNotify::mnSuccessful && !self->AtEnd())
    result = TMediaNotify::mnAborted;
  if (self->Notice)
    self->Notice(result);
  return 0;
}

bool TMciDevice::Command(const std::string &verb, const std::string &rest, std::string *reply,
                         bool notify, bool wait) {
  if (alias_.empty())
    return false;
  std::string command = verb + " " + alias_;
  if (!rest.empty())
    command += " " + rest;
  command += notify ? " notify" : wait ? " wait" : "";
  char buffer[256] = {};
  MCIERROR error = mciSendStringA(command.c_str(), buffer, sizeof buffer,
                                  notify ? notifyWindow_ : nullptr);
  if (error) {
    char text[256] = {};
    mciGetErrorStringA(error, text, sizeof text);
    lastError_ = command + ": " + std::to_string(error) + " " + text;
    return false;
  }
  if (reply)
    *reply = buffer;
  return true;
}

bool TMciDevice::Open(const std::string &path) {
  Close();
  if (path.empty() || path.find('"') != std::string::npos) {
    lastError_ = "no file name MCI takes: " + path;
    return false;
  }
  const std::string alias = "movaro" + std::to_string(++g_nextAlias);
  const std::string command = "open \"" + path + "\" alias " + alias + " wait";
  MCIERROR error = mciSendStringA(command.c_str(), nullptr, 0, nullptr);
  if (error) {
    char text[256] = {};
    mciGetErrorStringA(error, text, sizeof text);
    lastError_ = command + ": " + text;
    return false;
  }
  alias_ = alias;
  // Not every driver answers the capability query; a device that reports a
  // window handle draws into a window too.
  std::string uses, handle;
  usesWindow_ = Command("capability", "uses window", &uses)
                    ? uses == "true"
                    : Command("status", "window handle", &handle) && !handle.empty();
  if (usesWindow_)
    Command("set", "time format frames");
  return true;
}

bool TMciDevice::Stop() {
  if (Command("stop"))
    return true;
  // Some drivers refuse to wait for a stop while a play of theirs is
  // pending; stopping without waiting, then asking, ends the same.
  std::string error = lastError_;
  if (Command("stop", "", nullptr, false, false) && Mode() != TMediaMode::mmPlaying)
    return true;
  lastError_ = error;
  return false;
}

TMediaMode TMciDevice::Mode() {
  std::string reply;
  if (!Command("status", "mode", &reply))
    return TMediaMode::mmNotReady;
  if (reply == "playing" || reply == "seeking")
    return TMediaMode::mmPlaying;
  if (reply == "paused")
    return TMediaMode::mmPaused;
  if (reply == "stopped")
    return TMediaMode::mmStopped;
  if (reply == "open")
    return TMediaMode::mmOpen;
  return TMediaMode::mmNotReady;
}

HWND CreatePlayerWindow(void *self, WNDPROC proc) {
  static std::once_flag registered;
  std::call_once(registered, [proc] { RegisterWindowClass(kPlayerClass, proc); });
  return CreateMessageWindow(kPlayerClass, self);
}

} // namespace

// The hand-off posts to the window by its handle, which stays harmless
// should the player be gone by then.
TWin32MediaPlayer::TWin32MediaPlayer(std::chrono::milliseconds answerLimit)
    : TThreadedMediaPlayer([] { return std::make_unique<TMciDevice>(); },
                           [this] { PostMessageA(window_, kDeliverMessage, 0, 0); }, answerLimit) {
  window_ = CreatePlayerWindow(this, WindowProc);
}

TWin32MediaPlayer::~TWin32MediaPlayer() {
  Close();
  if (window_) {
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

LRESULT CALLBACK TWin32MediaPlayer::WindowProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  auto *self = reinterpret_cast<TWin32MediaPlayer *>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self && message == kDeliverMessage) {
    self->Deliver();
    return 0;
  }
  if (self && message == WM_TIMER && wParam == kAnswerTimer) {
    self->CheckAnswer();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void TWin32MediaPlayer::WaitingChanged(bool waiting) {
  if (!window_)
    return;
  if (waiting)
    SetTimer(window_, kAnswerTimer, kAnswerCheckMs, nullptr);
  else
    KillTimer(window_, kAnswerTimer);
}
