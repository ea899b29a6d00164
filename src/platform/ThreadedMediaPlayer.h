#pragma once
// A media player whose device runs on a player thread of its own: the
// calling (user-interface) thread only queues commands and reads the state
// the player keeps, and never waits for the device. What the device does is
// handed back through HandOff, after which the calling thread runs Deliver
// to apply it and to call the callbacks. A device that leaves a command
// unanswered for longer than the answer limit is given up: its thread is
// abandoned (never waited for), the player closes, and the next Open starts
// a fresh thread with a fresh device. Only when the player goes, at the
// program's end, does it give its thread up to a second to close the file.

#include "platform/MediaPlayer.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// A device whose commands may block; used only on its player thread, except
// for Wake.
class IMediaDevice {
public:
  virtual ~IMediaDevice() = default;
  // On the player thread, first and last.
  virtual void Begin() {}
  virtual void End() {}
  // False (with LastError) when the device refuses.
  virtual bool Open(const std::string &path) = 0;
  virtual void Close() = 0;
  virtual bool UsesWindow() = 0;
  virtual int32_t Length() = 0;
  virtual bool SetDisplay(TNativeWindow window, const TMediaRect &rect) = 0;
  // Plays from the current position; Notice follows at the end.
  virtual bool Play() = 0;
  virtual bool Pause() = 0;
  virtual bool Resume() = 0;
  virtual bool Stop() = 0;
  virtual bool Rewind() = 0;
  virtual bool Step(int32_t frames) = 0;
  virtual TMediaMode Mode() = 0;
  virtual std::string LastError() { return ""; }
  // Blocks until Wake was called (since the last return), delivering the
  // device's notices through Notice meanwhile.
  virtual void Wait() = 0;
  // From any thread.
  virtual void Wake() = 0;

  std::function<void(TMediaNotify)> Notice;
};

class TThreadedMediaPlayer : public IMediaPlayer {
public:
  using TDeviceFactory = std::function<std::unique_ptr<IMediaDevice>()>;
  // handOff is called on the player thread and must not block (a posted
  // message); it asks the calling thread to run Deliver soon.
  TThreadedMediaPlayer(TDeviceFactory makeDevice, std::function<void()> handOff,
                       std::chrono::milliseconds answerLimit);
  ~TThreadedMediaPlayer() override;
  TThreadedMediaPlayer(const TThreadedMediaPlayer &) = delete;
  TThreadedMediaPlayer &operator=(const TThreadedMediaPlayer &) = delete;

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
  int32_t Length() override { return length_; }
  TMediaMode Mode() override { return mode_; }

  // Applies what the player thread reported and calls the callbacks.
  void Deliver();
  // Whether a command waits for its answer; while one does, CheckAnswer
  // should run now and then.
  bool Waiting() const { return answered_ != posted_; }
  // Gives the device up when it has not answered for the answer limit.
  void CheckAnswer();
  // The device's last refusal, for tests and diagnostics.
  const std::string &LastError() const { return lastError_; }

protected:
  // Told on the calling thread when Waiting changes.
  virtual void WaitingChanged(bool) {}

private:
  struct TSession;
  struct TCommand;
  bool Post(TCommand command);
  void Answered(uint32_t sequence);
  void Abandon();
  void ClearState();

  TDeviceFactory makeDevice_;
  std::function<void()> handOff_;
  std::chrono::milliseconds answerLimit_;
  std::shared_ptr<TSession> session_;
  uint32_t generation_ = 0; // the open file's number: reports of older ones are dropped
  uint32_t posted_ = 0, answered_ = 0;
  std::chrono::steady_clock::time_point lastAnswer_;
  std::string fileName_;
  bool usesWindow_ = false;
  int32_t length_ = 0;
  TMediaMode mode_ = TMediaMode::mmNotReady;
  std::string lastError_;
};
