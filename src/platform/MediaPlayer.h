#pragma once
// The platform's player of wave sounds and AVI videos: one device at a time,
// opened by file name, playing into a window of the program when it is a
// video. Every command reports whether the device took it; a device that
// refuses (a missing or unreadable file, a file of another kind) leaves the
// player closed, so the caller only has to say that nothing plays.

#include <cstdint>
#include <functional>
#include <string>

// A native window handle (0: none).
using TNativeWindow = uintptr_t;

enum class TMediaMode { mmNotReady, mmStopped, mmPlaying, mmPaused, mmOpen };

// How a command that asked to be notified ended. Successful after a play is
// the end of the medium.
enum class TMediaNotify { mnSuccessful, mnSuperseded, mnAborted, mnFailure };

struct TMediaRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const TMediaRect &) const = default;
};

class IMediaPlayer {
public:
  virtual ~IMediaPlayer() = default;

  // Closes what is open, then opens the file with the device its contents
  // call for and waits for it. False, and closed, when no device takes it.
  virtual bool Open(const std::string &path) = 0;
  virtual void Close() = 0;
  // The open file, empty while closed.
  virtual const std::string &FileName() const = 0;

  // Whether the open device draws into a window (a video), and where.
  virtual bool UsesWindow() const = 0;
  virtual bool SetDisplay(TNativeWindow window, const TMediaRect &rect) = 0;

  // Plays from the current position without waiting; OnNotify follows when
  // the medium ends (or the play is cut off).
  virtual bool Play() = 0;
  // Pauses while playing, resumes while paused.
  virtual bool Pause() = 0;
  virtual bool Stop() = 0;
  virtual bool Rewind() = 0;
  // Steps by frames (negative: back) on devices that can.
  virtual bool CanStep() const = 0;
  virtual bool Step(int32_t frames) = 0;
  // The medium's length in frames (sounds: milliseconds), 0 while closed.
  virtual int32_t Length() = 0;
  virtual TMediaMode Mode() = 0;

  // Called on the thread of the program's window messages.
  std::function<void(TMediaNotify)> OnNotify;
};
