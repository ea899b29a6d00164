#include "platform/win32/Win32MediaPlayer.h"

#include <mmsystem.h>

#include <cstdlib>

namespace {

constexpr char kNotifyClass[] = "MovaroMediaNotify";
unsigned g_nextAlias = 0;

ATOM RegisterNotifyClass(WNDPROC proc) {
  static ATOM atom = 0;
  if (!atom) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kNotifyClass;
    atom = RegisterClassA(&wc);
  }
  return atom;
}

} // namespace

TWin32MediaPlayer::TWin32MediaPlayer() {
  RegisterNotifyClass(NotifyProc);
  notifyWindow_ = CreateWindowA(kNotifyClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (notifyWindow_)
    SetWindowLongPtrA(notifyWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TWin32MediaPlayer::~TWin32MediaPlayer() {
  Close();
  if (notifyWindow_)
    DestroyWindow(notifyWindow_);
}

LRESULT CALLBACK TWin32MediaPlayer::NotifyProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  if (message != MM_MCINOTIFY)
    return DefWindowProcA(window, message, wParam, lParam);
  auto *self = reinterpret_cast<TWin32MediaPlayer *>(GetWindowLongPtrA(window, GWLP_USERDATA));
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
  if (self->OnNotify)
    self->OnNotify(result);
  return 0;
}

bool TWin32MediaPlayer::Command(const std::string &verb, const std::string &rest,
                                std::string *reply, bool notify, bool wait) {
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

bool TWin32MediaPlayer::Open(const std::string &path) {
  Close();
  if (path.empty() || path.find('"') != std::string::npos)
    return false;
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
  fileName_ = path;
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

void TWin32MediaPlayer::Close() {
  if (alias_.empty())
    return;
  Command("close");
  alias_.clear();
  fileName_.clear();
  usesWindow_ = false;
}

bool TWin32MediaPlayer::SetDisplay(TNativeWindow window, const TMediaRect &rect) {
  if (!usesWindow_ || !window)
    return false;
  return Command("window", "handle " + std::to_string(window)) &&
         Command("put", "destination at " + std::to_string(rect.Left) + " " +
                            std::to_string(rect.Top) + " " + std::to_string(rect.Width) + " " +
                            std::to_string(rect.Height));
}

bool TWin32MediaPlayer::Play() { return Command("play", "", nullptr, true); }

bool TWin32MediaPlayer::Pause() {
  switch (Mode()) {
  case TMediaMode::mmPlaying: return Command("pause");
  // A resumed device may stay "stopped" on some systems; playing on from the
  // paused position works everywhere.
  case TMediaMode::mmPaused: return Command("play", "", nullptr, true);
  default: return false;
  }
}

bool TWin32MediaPlayer::Stop() {
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

bool TWin32MediaPlayer::Rewind() { return Command("seek", "to start"); }

bool TWin32MediaPlayer::Step(int32_t frames) {
  if (!usesWindow_ || frames == 0)
    return false;
  const std::string by = "by " + std::to_string(std::abs(frames));
  return Command("step", frames < 0 ? "reverse " + by : by);
}

int32_t TWin32MediaPlayer::Length() {
  std::string reply;
  if (!Command("status", "length", &reply))
    return 0;
  return std::atoi(reply.c_str());
}

TMediaMode TWin32MediaPlayer::Mode() {
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
