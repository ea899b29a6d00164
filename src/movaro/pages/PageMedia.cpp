#include "movaro/pages/PageMedia.h"

#include <algorithm>

TPageMedia::TPageMedia(IMediaPlayer &player, TFileSystem &files, std::string programFolder,
                       const std::optional<TArchiveDirectory> &contentDirectory)
    : player_(player), files_(files), programFolder_(std::move(programFolder)),
      directory_(contentDirectory) {
  player_.OnNotify = [this](TMediaNotify result) { Notify(result); };
  player_.OnClosed = [this] {
    HandOverVideo();
    Changed();
  };
  player_.OnFileReleased = [this](const std::string &path) { FileReleased(path); };
}

TPageMedia::~TPageMedia() {
  player_.OnNotify = nullptr;
  player_.OnClosed = nullptr;
  player_.OnFileReleased = nullptr;
  player_.Close();
  // A copy the device has not let go of yet stays for the content folder's
  // clean-up.
  HandOverVideo();
  for (const TContentVideo &video : releasing_)
    ReleaseContentVideo(files_, video);
}

void TPageMedia::Changed() {
  if (OnLoadedChange)
    OnLoadedChange();
}

void TPageMedia::ReleaseVideo() {
  ReleaseContentVideo(files_, video_);
  video_ = TContentVideo{};
}

void TPageMedia::HandOverVideo() {
  if (video_.Temporary)
    releasing_.push_back(video_);
  video_ = TContentVideo{};
}

void TPageMedia::FileReleased(const std::string &path) {
  for (auto it = releasing_.begin(); it != releasing_.end(); ++it) {
    if (it->Path != path)
      continue;
    // A copy taken up again by the file now playing stays.
    if (video_.Path != path)
      ReleaseContentVideo(files_, *it);
    releasing_.erase(it);
    return;
  }
}

void TPageMedia::PlayMediaFile(const std::string &path) {
  StopMediaFile();
  const std::string containerPath = programFolder_ + "movaro.dat";
  video_ = PrepareContentVideo(files_, containerPath, directory_, programFolder_, path,
                               ProcessMessages);
  if (!files_.FileExists(video_.Path) || !player_.Open(video_.Path)) {
    ReleaseVideo();
    Changed();
    return;
  }
  // A sound ignores the display; whether the file is a video may not be
  // known yet.
  const int left = (VideoPanelWidth - 180 + 1) / 2, top = (VideoPanelHeight - 180 + 1) / 2;
  player_.SetDisplay(VideoWindow ? VideoWindow() : 0, TMediaRect{left, top, 180, 180});
  if (!player_.Play()) {
    StopMediaFile();
    return;
  }
  Changed();
}

void TPageMedia::StopMediaFile() {
  if (!Loaded()) {
    ReleaseVideo();
    return;
  }
  player_.Stop();
  // The device holds the file until it reports that it let go.
  HandOverVideo();
  player_.Close();
  Changed();
}

void TPageMedia::Notify(TMediaNotify result) {
  if (result != TMediaNotify::mnSuccessful || !Loaded())
    return;
  if (LoopPlayback)
    Click(TMediaButton::mbPlay);
  else
    StopMediaFile();
}

void TPageMedia::Click(TMediaButton button) {
  if (!Loaded())
    return;
  bool ok = true;
  switch (button) {
  case TMediaButton::mbPlay:
    if (player_.Mode() == TMediaMode::mmPaused)
      ok = player_.Pause(); // continues where it stopped
    else
      ok = player_.Stop() && player_.Rewind() && player_.Play();
    break;
  case TMediaButton::mbPause: {
    const TMediaMode mode = player_.Mode();
    if (mode == TMediaMode::mmPlaying || mode == TMediaMode::mmPaused)
      ok = player_.Pause();
    break;
  }
  case TMediaButton::mbStop: ok = player_.Stop(); break;
  case TMediaButton::mbForward:
  case TMediaButton::mbBack:
    if (player_.CanStep()) {
      // A tenth of the medium, whose length is known once the device opened it.
      const int32_t frames = std::max(1, player_.Length() / 10);
      ok = player_.Step(button == TMediaButton::mbForward ? frames : -frames);
    }
    break;
  }
  // A device that refuses a command is given up, as if the file had ended.
  if (!ok)
    StopMediaFile();
}
