#include "platform/headless/HeadlessShell.h"

#include <memory>
#include <string>

namespace {

const char *const kMagic = "[shortcut]";

} // namespace

bool THeadlessShell::SaveShortcut(const std::string &linkPath, const TShortcutData &data) {
  if (FailShortcuts)
    return false;
  auto stream = fs_.Create(linkPath);
  if (!stream)
    return false;
  std::string text = std::string(kMagic) + "\n" + data.Target + "\n" + data.Arguments + "\n" +
                     data.WorkingDirectory + "\n" + data.IconFile + "\n" +
                     std::to_string(data.IconIndex) + "\n" + std::to_string(data.HotKey) + "\n";
  return stream->Write(text.data(), static_cast<int32_t>(text.size())) ==
         static_cast<int32_t>(text.size());
}

bool THeadlessShell::LoadShortcut(const std::string &linkPath, TShortcutData &data) {
  std::string text;
  if (!ReadWholeFile(fs_, linkPath, text))
    return false;
  std::vector<std::string> lines;
  for (size_t pos = 0, end; (end = text.find('\n', pos)) != std::string::npos; pos = end + 1)
    lines.push_back(text.substr(pos, end - pos));
  if (lines.size() != 7 || lines[0] != kMagic)
    return false;
  data.Target = lines[1];
  data.Arguments = lines[2];
  data.WorkingDirectory = lines[3];
  data.IconFile = lines[4];
  data.IconIndex = std::atoi(lines[5].c_str());
  data.HotKey = static_cast<uint16_t>(std::atoi(lines[6].c_str()));
  return true;
}

intptr_t THeadlessShell::Open(const std::string &file, const std::string &arguments,
                              const std::string &folder) {
  Opened.push_back({file, arguments, folder});
  return 42;
}

bool THeadlessShell::Run(const std::string &file, const std::string &arguments) {
  Started.push_back({file, arguments, ""});
  return fs_.FileExists(file);
}

bool THeadlessShell::Recycle(const std::string &path) {
  if (RecycleFolder.empty() || !fs_.FileExists(path))
    return false;
  // The bin renames what it keeps: the caller must find the new name itself.
  const std::string folder = IncludeTrailingBackslash(RecycleFolder);
  const std::string number = std::to_string(fs_.ListFiles(RecycleFolder).size() + 1);
  if (RecycleAsVista) {
    // The index comes first, so a caller that takes any new file takes the wrong one.
    fs_.ForceDirectories(folder);
    std::unique_ptr<TFileStream> index = fs_.Create(folder + "$I" + number + ".exe");
    if (!index || !WriteFully(*index, path.data(), static_cast<int64_t>(path.size())))
      return false;
  }
  std::string kept = folder + (RecycleAsVista ? "$R" : "Dc") + number + ".exe";
  return CopyFileBlocks(fs_, path, kept) && fs_.RemoveFile(path);
}
