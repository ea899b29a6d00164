#pragma once
// The platform's player of wave sounds and AVI videos: one device at a time,
// opened by file name, playing into a window of the program when it is a
// video. A device may take its time or stop answering, so a player may carry
// out its commands later, elsewhere: every call returns at once, telling only
// whether the player took the command. The state the calls report (mode,
// length, whether a window is used) is what the player knows so far, and it
// follows the commands given. A device that refuses a file or a command, or
// does not answer, leaves the player closed and is reported through
// OnClosed, so the caller only has to say that nothing plays.

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
  // call for. False, and closed, when the file is refused at once; a refusal
  // found later is reported through OnClosed.
  virtual bool Open(const std::string &path) = 0;
  virtual void Close() = 0;
  // The open file, empty while closed.
  virtual const std::string &FileName() const = 0;

  // Whether the open device draws into a window (a video), and where; a
  // display given to a sound is ignored.
  virtual bool UsesWindow() const = 0;
  virtual bool SetDisplay(TNativeWindow window, const TMediaRect &rect) = 0;

  // Plays from the current position; OnNotify follows when the medium ends
  // (or the play is cut off).
  virtual bool Play() = 0;
  // Pauses while playing, resumes while paused.
  virtual bool Pause() = 0;
  virtual bool Stop() = 0;
  virtual bool Rewind() = 0;
  // Steps by frames (negative: back) on devices that can.
  virtual bool CanStep() const = 0;
  virtual bool Step(int32_t frames) = 0;
  // The medium's length in frames (sounds: milliseconds), 0 while closed or
  // not yet known.
  virtual int32_t Length() = 0;
  virtual TMediaMode Mode() = 0;

  // All three are called on the thread of the program's window messages.
  std::function<void(TMediaNotify)> OnNotify;
  // The player closed the device by itself: it refused the file or a
  // command, or stopped answering.
  std::function<void()> OnClosed;
  // The device let go of a file it had open (after Close, a new Open or a
  // refusal); only then can the file be removed.
  std::function<void(const std::string &path)> OnFileReleased;
};
