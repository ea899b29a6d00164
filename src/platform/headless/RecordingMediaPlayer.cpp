#include "platform/headless/RecordingMediaPlayer.h"

#include <algorithm>

bool TRecordingMediaPlayer::Open(const std::string &path) {
  Close();
  Log.push_back("open " + path);
  std::string header;
  if (!ReadWholeFile(fs_, path, header, 12) || header.size() < 12 ||
      header.compare(0, 4, "RIFF") != 0)
    return false;
  const std::string form = header.substr(8, 4);
  if (form != "WAVE" && form != "AVI ")
    return false;
  fileName_ = path;
  video_ = form == "AVI ";
  mode_ = TMediaMode::mmStopped;
  Position = 0;
  return true;
}

void TRecordingMediaPlayer::Close() {
  if (fileName_.empty())
    return;
  Log.push_back("close");
  const std::string released = fileName_;
  fileName_.clear();
  video_ = false;
  mode_ = TMediaMode::mmNotReady;
  if (OnFileReleased)
    OnFileReleased(released);
}

void TRecordingMediaPlayer::Lose() {
  if (fileName_.empty())
    return;
  Log.push_back("lost");
  fileName_.clear();
  video_ = false;
  mode_ = TMediaMode::mmNotReady;
  if (OnClosed)
    OnClosed();
}

bool TRecordingMediaPlayer::SetDisplay(TNativeWindow, const TMediaRect &rect) {
  if (!video_)
    return false;
  Display = rect;
  Log.push_back("display " + std::to_string(rect.Left) + "," + std::to_string(rect.Top) + " " +
                std::to_string(rect.Width) + "x" + std::to_string(rect.Height));
  return true;
}

bool TRecordingMediaPlayer::Play() {
  if (fileName_.empty())
    return false;
  Log.push_back("play");
  mode_ = TMediaMode::mmPlaying;
  return true;
}

bool TRecordingMediaPlayer::Pause() {
  if (mode_ == TMediaMode::mmPlaying) {
    Log.push_back("pause");
    mode_ = TMediaMode::mmPaused;
    return true;
  }
  if (mode_ == TMediaMode::mmPaused) {
    Log.push_back("resume");
    mode_ = TMediaMode::mmPlaying;
    return true;
  }
  return false;
}

bool TRecordingMediaPlayer::Stop() {
  if (fileName_.empty())
    return false;
  Log.push_back("stop");
  mode_ = TMediaMode::mmStopped;
  return true;
}

bool TRecordingMediaPlayer::Rewind() {
  if (fileName_.empty())
    return false;
  Log.push_back("rewind");
  Position = 0;
  return true;
}

bool TRecordingMediaPlayer::Step(int32_t frames) {
  if (!video_)
    return false;
  Log.push_back("step " + std::to_string(frames));
  Position = std::clamp(Position + frames, 0, MediumLength);
  mode_ = TMediaMode::mmPaused;
  return true;
}

void TRecordingMediaPlayer::FinishPlayback(TMediaNotify result) {
  if (mode_ != TMediaMode::mmPlaying)
    return;
  mode_ = TMediaMode::mmStopped;
  if (result == TMediaNotify::mnSuccessful)
    Position = MediumLength;
  if (OnNotify)
    OnNotify(result);
}
