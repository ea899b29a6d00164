#include "movaro/pages/PageMedia.h"

#include <algorithm>

TPageMedia::TPageMedia(IMediaPlayer &player, TFileSystem &files, std::string programFolder,
                       const std::optional<TArchiveDirectory> &contentDirectory)
    : player_(player), files_(files), programFolder_(std::move(programFolder)),
      directory_(contentDirectory) {
  player_.OnNotify = [this](TMediaNotify result) { Notify(result); };
}

TPageMedia::~TPageMedia() {
  player_.OnNotify = nullptr;
  player_.Close();
  ReleaseVideo();
}

void TPageMedia::Changed() {
  if (OnLoadedChange)
    OnLoadedChange();
}

void TPageMedia::ReleaseVideo() {
  ReleaseContentVideo(files_, video_);
  video_ = TContentVideo{};
}

void TPageMedia::PlayMediaFile(const std::string &path) {
  StopMediaFile();
  const std::string containerPath = programFolder_ + "movaro.dat";
  video_ = PrepareContentVideo(files_, containerPath, directory_, programFolder_, path,
                               ProcessMessages);
  if (!files_.FileExists(video_.Path) || !player_.Open(video_.Path)) {
    StopMediaFile();
    ReleaseVideo();
    Changed();
    return;
  }
  const int32_t length = player_.Length();
  stepFrames_ = std::max(1, length / 10);
  if (player_.UsesWindow()) {
    const int left = (VideoPanelWidth - 180 + 1) / 2, top = (VideoPanelHeight - 180 + 1) / 2;
    player_.SetDisplay(VideoWindow ? VideoWindow() : 0, TMediaRect{left, top, 180, 180});
  }
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
  player_.Close();
  if (ProcessMessages)
    ProcessMessages();
  ReleaseVideo();
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
    if (player_.CanStep())
      ok = player_.Step(button == TMediaButton::mbForward ? stepFrames_ : -stepFrames_);
    break;
  }
  // A device that refuses a command is given up, as if the file had ended.
  if (!ok)
    StopMediaFile();
}
