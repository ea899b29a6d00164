#pragma once
// The media player on the Media Control Interface: each file is opened as a
// new device under its own alias, so a notification of a device closed in
// the meantime is recognised and dropped. Notifications arrive at a
// message-only window of the player, that is, through the thread's message
// loop.

#include "platform/MediaPlayer.h"

#include <windows.h>

#include <string>

class TWin32MediaPlayer : public IMediaPlayer {
public:
  TWin32MediaPlayer();
  ~TWin32MediaPlayer() override;
  TWin32MediaPlayer(const TWin32MediaPlayer &) = delete;
  TWin32MediaPlayer &operator=(const TWin32MediaPlayer &) = delete;

  bool Open(const std::string &path) override;
  void Close() override;
  const std::string &FileName() const override { return fileName_; }
  bool UsesWindow() const override { return usesWindow_; }
  bool SetDisplay(TNativeWindow window, const TMediaRect &rect) override;
  bool Play() override;
  bool Pause() override;
  bool Stop() override;
  bool Rewind() override;
  bool CanStep() const override { return usesWindow_; }
  bool Step(int32_t frames) override;
  int32_t Length() override;
  TMediaMode Mode() override;

  // The last error text of the device, for tests and diagnostics.
  const std::string &LastError() const { return lastError_; }

private:
  static LRESULT CALLBACK NotifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Sends "VERB alias REST" with "notify", "wait" or neither; false (with
  // LastError) when the device refuses.
  bool Command(const std::string &verb, const std::string &rest = "", std::string *reply = nullptr,
               bool notify = false, bool wait = true);

  HWND notifyWindow_ = nullptr;
  std::string alias_;
  std::string fileName_;
  bool usesWindow_ = false;
  std::string lastError_;
};
