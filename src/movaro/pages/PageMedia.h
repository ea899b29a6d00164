#pragma once
// The main window's media playing: exercise videos (from the content
// container through the temporary folder "T", else from "Av\"), prompt
// sounds and the sound tests of the setup page, all through one player.
// Errors of the player are never shown: a file that does not play leaves the
// player closed, and the exercise page's buttons then say that nothing plays.

#include "data/archive/ContentContainer.h"
#include "platform/FileSystem.h"
#include "platform/MediaPlayer.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

enum class TMediaButton { mbPlay, mbPause, mbStop, mbForward, mbBack };

class TPageMedia {
public:
  // programFolder ends with a backslash; the content directory is the main
  // window's (none while "movaro.dat" is missing).
  TPageMedia(IMediaPlayer &player, TFileSystem &files, std::string programFolder,
             const std::optional<TArchiveDirectory> &contentDirectory);
  ~TPageMedia();
  TPageMedia(const TPageMedia &) = delete;
  TPageMedia &operator=(const TPageMedia &) = delete;

  // Whether a file that has played to its end starts again.
  bool LoopPlayback = true;
  // The video display: its window and its size (the video is centred in it).
  std::function<TNativeWindow()> VideoWindow;
  int VideoPanelWidth = 230, VideoPanelHeight = 240;
  // Lets pending window messages run while a video is inflated.
  std::function<void()> ProcessMessages;
  // Told whenever a file was loaded or unloaded (the media buttons follow).
  std::function<void()> OnLoadedChange;

  void PlayMediaFile(const std::string &path);
  void StopMediaFile();
  // The buttons of the exercise page; nothing while no file is loaded.
  void Click(TMediaButton button);
  // The player's notification of a command's end.
  void Notify(TMediaNotify result);

  bool Loaded() const { return !player_.FileName().empty(); }
  const std::string &FileName() const { return player_.FileName(); }
  IMediaPlayer &Player() { return player_; }

private:
  void ReleaseVideo();
  // The device still holds the file: it is removed when the device lets go.
  void HandOverVideo();
  void FileReleased(const std::string &path);
  void Changed();

  IMediaPlayer &player_;
  TFileSystem &files_;
  std::string programFolder_;
  const std::optional<TArchiveDirectory> &directory_;
  TContentVideo video_; // the file being played and whether it is a temporary copy
  std::vector<TContentVideo> releasing_; // copies closed, not yet let go of by the device
};
