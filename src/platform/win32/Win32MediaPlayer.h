#pragma once
// The media player on the Media Control Interface. The devices run on a
// player thread (see ThreadedMediaPlayer.h): MCI's video driver may wait for
// the thread that gives it a command while it starts or stops playing, and a
// window thread that did so froze for good. Each file is opened as a new
// device under its own alias, so a notification of a device closed in the
// meantime is recognised and dropped. The player thread's notifications and
// answers reach the window thread as a message to a message-only window of
// the player, which also watches, by a timer, that the device answers.

#include "platform/ThreadedMediaPlayer.h"

#include <windows.h>

#include <chrono>

class TWin32MediaPlayer : public TThreadedMediaPlayer {
public:
  explicit TWin32MediaPlayer(std::chrono::milliseconds answerLimit = std::chrono::seconds(5));
  ~TWin32MediaPlayer() override;

private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void WaitingChanged(bool waiting) override;

  HWND window_ = nullptr;
};
