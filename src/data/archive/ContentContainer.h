#pragma once
// The content container "movaro.dat": an archive without an installer image in
// front, holding pictures and videos. Members are used from ordinary files in
// the temporary folder "T" of the program's folder and deleted after use.

#include "data/archive/Archive.h"

#include <functional>
#include <optional>
#include <string>

// None when the container file does not exist; an empty directory when it
// exists but its directory could not be read completely.
std::optional<TArchiveDirectory> LoadContentDirectory(TFileSystem &fs, const std::string &containerPath);

// The member's entry; the empty entry when there is no directory or no such member.
TFileData FindContentEntry(const std::optional<TArchiveDirectory> &directory, const std::string &name);

// Writes a member to the target path. Nothing is logged and no attributes are
// applied; processMessages (optional) runs per inflated input chunk so the
// window stays responsive. True only when the member was written completely
// and its last-write time was set.
bool ExtractContentEntry(TFileSystem &fs, const std::string &containerPath, const TFileData &entry,
                         const std::string &target, const std::function<void()> &processMessages = {});

// The temporary folder: the program's folder followed by "T\".
std::string ContentTempFolder(const std::string &programFolder);
// The temporary path of a member: the temporary folder and the member name.
// Empty for a name that is not a plain file name (a folder, drive or ".."
// would lead out of the temporary folder).
std::string ContentTempPath(const std::string &programFolder, const std::string &memberName);

// Deletes every file in the temporary folder, whatever its attributes, then
// the folder itself. True when the folder is gone afterwards.
bool RemoveContentTemp(TFileSystem &fs, const std::string &programFolder);

// A video the media player is to play: from the temporary folder when the
// file-name part of the requested path is a container member, else the path
// as given.
struct TContentVideo {
  std::string Path;
  bool Temporary = false; // Path is a temporary file to delete when playback stops
};

// Chooses the file to play for a requested video path (".avi" only, in any
// letter case): an existing temporary file is used as it is, otherwise the
// member is extracted there; when that fails the requested path is used.
TContentVideo PrepareContentVideo(TFileSystem &fs, const std::string &containerPath,
                                  const std::optional<TArchiveDirectory> &directory,
                                  const std::string &programFolder, const std::string &videoPath,
                                  const std::function<void()> &processMessages = {});

// Deletes the temporary file of a video that came from the container.
void ReleaseContentVideo(TFileSystem &fs, const TContentVideo &video);
