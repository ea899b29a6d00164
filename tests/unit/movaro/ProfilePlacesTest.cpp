// Where the profile lives: the user's file in the application data folder,
// an earlier release's file taken over once (and kept), a take-over that
// fails losing nothing; the server settings in the user's key before the
// machine's.
#include "movaro/profile/ProfilePlaces.h"
#include "platform/headless/FaultInjectingFileSystem.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "platform/headless/HeadlessProfileFiles.h"
#include "platform/headless/HeadlessShell.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

namespace {

struct TPlacesWorld {
  TPlacesWorld() {
    shell.AppData = scratch.Path("Roaming") + "\\";
    shell.LocalAppData = scratch.Path("Local") + "\\";
    shell.Windows = scratch.Path("WINDOWS") + "\\";
    fs.ForceDirectories(shell.Windows);
  }
  std::string UserFile() const { return shell.AppData + "Veltrin\\Movaro\\movaro.ini"; }
  std::string WindowsFile() const { return shell.Windows + "movaro.ini"; }
  // The Windows folder below the VirtualStore, as the system mirrors it.
  // The scratch folder is "/tmp/..." natively and "C:/users/..." under Wine.
  std::string VirtualStoreFile() const {
    std::string windows = scratch.Path("WINDOWS");
    size_t start = windows.size() > 1 && windows[1] == ':' ? 2 : 0;
    while (start < windows.size() && (windows[start] == '/' || windows[start] == '\\'))
      ++start;
    return shell.LocalAppData + "VirtualStore\\" + windows.substr(start) + "\\movaro.ini";
  }
  void Write(const std::string &path, const std::string &bytes) {
    fs.ForceDirectories(ExtractFilePath(path));
    auto file = fs.Create(path);
    ASSERT_TRUE(file && WriteFully(*file, bytes.data(), static_cast<int64_t>(bytes.size())));
  }
  std::string Read(const std::string &path) {
    std::string bytes;
    return ReadWholeFile(fs, path, bytes) ? bytes : "<none>";
  }

  TScratchFolder scratch;
  THeadlessFileSystem fs;
  THeadlessShell shell{fs};
};

const std::string kOldProfile = "[Movaro]\r\nLngID=49\r\n[Anna.Data]\r\nConfigLevel=240\r\nt0010001=4>46000\r\n";

TEST(ProfilePlaces, UserFileInTheApplicationDataFolderTakesAnOldOneOverOnce) {
  {
    TPlacesWorld w; // a first installation: nothing to take over, the folder is made
    TProfileFilePlace place = PrepareProfileFile(w.fs, w.shell);
    EXPECT_EQ(place.File, w.UserFile());
    EXPECT_EQ(place.Source, TProfileFileSource::UserFile);
    EXPECT_TRUE(w.fs.DirectoryExists(ExtractFilePath(w.UserFile())));
    EXPECT_FALSE(w.fs.FileExists(w.UserFile()));
  }
  TPlacesWorld w; // an upgrade from a release that wrote into the Windows folder
  w.Write(w.WindowsFile(), kOldProfile);
  TProfileFilePlace place = PrepareProfileFile(w.fs, w.shell);
  EXPECT_EQ(place.Source, TProfileFileSource::TakenOver);
  EXPECT_EQ(place.OldFile, w.WindowsFile());
  EXPECT_EQ(w.Read(w.UserFile()), kOldProfile);
  EXPECT_EQ(w.Read(w.WindowsFile()), kOldProfile);
  EXPECT_EQ(w.fs.ListFiles(ExtractFilePath(w.UserFile())), std::vector<std::string>{"movaro.ini"});
  // The profile reads the history from its new place.
  THeadlessProfileFiles ini(w.fs);
  std::string stored;
  ini.ReadString(place.File, "Anna.Data", "t0010001", "", stored);
  EXPECT_EQ(stored, "4>46000");

  // Later starts keep the user's file, whatever the old one became.
  w.Write(w.WindowsFile(), "[Anna.Data]\r\nConfigLevel=1\r\n");
  place = PrepareProfileFile(w.fs, w.shell);
  EXPECT_EQ(place.Source, TProfileFileSource::UserFile);
  EXPECT_EQ(w.Read(w.UserFile()), kOldProfile);
}

TEST(ProfilePlaces, VirtualStoreCopyWinsAndWithoutAUserFolderTheWindowsFolderStays) {
  TPlacesWorld w;
  w.Write(w.WindowsFile(), "[Anna.Data]\r\nConfigLevel=1\r\n");
  w.Write(w.VirtualStoreFile(), kOldProfile);
  TProfileFilePlace place = PrepareProfileFile(w.fs, w.shell);
  EXPECT_EQ(place.Source, TProfileFileSource::TakenOver);
  EXPECT_EQ(place.OldFile, w.VirtualStoreFile());
  EXPECT_EQ(w.Read(w.UserFile()), kOldProfile);

  // On the system: the drive's folder below the VirtualStore, first.
  THeadlessShell system(w.fs);
  system.Windows = "C:\\WINDOWS\\";
  system.LocalAppData = "C:\\Users\\anna\\AppData\\Local\\";
  EXPECT_EQ(OldProfileFiles(system),
            (std::vector<std::string>{"C:\\Users\\anna\\AppData\\Local\\VirtualStore\\WINDOWS\\movaro.ini",
                                      "C:\\WINDOWS\\movaro.ini"}));

  TPlacesWorld unknown;
  unknown.shell.AppData.clear();
  place = PrepareProfileFile(unknown.fs, unknown.shell);
  EXPECT_EQ(place.Source, TProfileFileSource::NoUserFolder);
  EXPECT_EQ(place.File, unknown.WindowsFile());
}

TEST(ProfilePlaces, FailedTakeOverLeavesNoNewFileWorksOnTheOldOneAndIsRetried) {
  using TOperation = TFaultInjectingFileSystem::TOperation;
  const struct {
    const char *What;
    TOperation Operation; // fails the first time
    int64_t DiskSpace;    // negative: no limit
  } faults[] = {{"open", TOperation::Open, -1},
                {"read", TOperation::Read, -1},
                {"write", TOperation::Write, -1},
                {"rename", TOperation::Rename, -1},
                {"full disk", TOperation::Open, 20}};
  for (const auto &fault : faults) {
    SCOPED_TRACE(fault.What);
    TPlacesWorld w;
    w.Write(w.WindowsFile(), kOldProfile);
    TFaultInjectingFileSystem faulty(w.fs);
    if (fault.DiskSpace >= 0)
      faulty.SetDiskSpace(fault.DiskSpace);
    else
      faulty.Fail(fault.Operation, 1);
    TProfileFilePlace place = PrepareProfileFile(faulty, w.shell);
    EXPECT_GT(faulty.Failures(), 0);
    EXPECT_EQ(place.Source, TProfileFileSource::OldFile);
    EXPECT_EQ(place.File, w.WindowsFile());
    EXPECT_EQ(w.Read(w.WindowsFile()), kOldProfile);
    EXPECT_TRUE(w.fs.ListFiles(ExtractFilePath(w.UserFile())).empty());

    faulty.Reset(); // the next start
    place = PrepareProfileFile(faulty, w.shell);
    EXPECT_EQ(place.Source, TProfileFileSource::TakenOver);
    EXPECT_EQ(w.Read(w.UserFile()), kOldProfile);
  }
}

} // namespace
