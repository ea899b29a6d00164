#pragma once
// The media player for tests: opens what a real device would take (a RIFF
// file holding WAVE sound or an AVI video, read through a file system),
// keeps the device's mode, and records every command as a line of text.
// A test ends a play with FinishPlayback, as the device's notification would,
// and makes the device stop answering with Lose. A closed file is let go of
// at once.

#include "platform/FileSystem.h"
#include "platform/MediaPlayer.h"

#include <string>
#include <vector>

class TRecordingMediaPlayer : public IMediaPlayer {
public:
  explicit TRecordingMediaPlayer(TFileSystem &fs) : fs_(fs) {}

  bool Open(const std::string &path) override;
  void Close() override;
  const std::string &FileName() const override { return fileName_; }
  bool UsesWindow() const override { return video_; }
  bool SetDisplay(TNativeWindow window, const TMediaRect &rect) override;
  bool Play() override;
  bool Pause() override;
  bool Stop() override;
  bool Rewind() override;
  bool CanStep() const override { return video_; }
  bool Step(int32_t frames) override;
  int32_t Length() override { return fileName_.empty() ? 0 : MediumLength; }
  TMediaMode Mode() override { return mode_; }

  // The end of the medium (or another outcome) of the play in progress.
  void FinishPlayback(TMediaNotify result = TMediaNotify::mnSuccessful);
  // The device stops answering: the player closes by itself, and the file
  // stays held.
  void Lose();

  std::vector<std::string> Log; // "open PATH", "play", "pause", ...
  TMediaRect Display;
  int32_t Position = 0;
  int32_t MediumLength = 30;

private:
  TFileSystem &fs_;
  std::string fileName_;
  bool video_ = false;
  TMediaMode mode_ = TMediaMode::mmNotReady;
};
