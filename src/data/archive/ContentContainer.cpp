#include "data/archive/ContentContainer.h"

#include "base/AnsiText.h"

std::optional<TArchiveDirectory> LoadContentDirectory(TFileSystem &fs, const std::string &containerPath) {
  if (!fs.FileExists(containerPath))
    return std::nullopt;
  return ReadArchiveDirectory(fs, containerPath);
}

TFileData FindContentEntry(const std::optional<TArchiveDirectory> &directory, const std::string &name) {
  if (!directory)
    return TFileData{};
  return FindFileData(*directory, name);
}

bool ExtractContentEntry(TFileSystem &fs, const std::string &containerPath, const TFileData &entry,
                         const std::string &target, const std::function<void()> &processMessages) {
  // Own buffers per call: processing messages may start another extraction.
  TMemberExtractor extractor;
  TMemberExtractor::TOptions options;
  options.ProcessMessages = processMessages;
  return extractor.Extract(fs, containerPath, entry, target, options);
}

std::string ContentTempFolder(const std::string &programFolder) {
  return IncludeTrailingBackslash(programFolder) + "T\\";
}

std::string ContentTempPath(const std::string &programFolder, const std::string &memberName) {
  if (!IsPlainMemberName(memberName))
    return "";
  return ContentTempFolder(programFolder) + memberName;
}

bool RemoveContentTemp(TFileSystem &fs, const std::string &programFolder) {
  std::string folder = ContentTempFolder(programFolder);
  if (!fs.DirectoryExists(folder))
    return true;
  for (const std::string &name : fs.ListFiles(folder)) {
    std::string path = folder + name;
    fs.SetAttributes(path, kFileAttributeArchive);
    fs.RemoveFile(path);
  }
  fs.RemoveFolder(folder);
  return !fs.DirectoryExists(folder);
}

TContentVideo PrepareContentVideo(TFileSystem &fs, const std::string &containerPath,
                                  const std::optional<TArchiveDirectory> &directory,
                                  const std::string &programFolder, const std::string &videoPath,
                                  const std::function<void()> &processMessages) {
  TContentVideo video{videoPath, false};
  std::string name = ExtractFileName(videoPath);
  std::string extension = name.size() >= 4 ? name.substr(name.size() - 4) : "";
  if (!SameText(extension, ".avi"))
    return video;
  TFileData entry = FindContentEntry(directory, name);
  std::string temp = ContentTempPath(programFolder, name);
  if (entry.Offset < 0 || temp.empty())
    return video;
  if (fs.FileExists(temp) || ExtractContentEntry(fs, containerPath, entry, temp, processMessages))
    video = TContentVideo{temp, true};
  return video;
}

void ReleaseContentVideo(TFileSystem &fs, const TContentVideo &video) {
  if (video.Temporary)
    fs.RemoveFile(video.Path);
}
