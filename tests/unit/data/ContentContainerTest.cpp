#include "authoring/ArchiveWriter.h"
#include "data/archive/ContentContainer.h"
#include "data/archive/DosDateTime.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kDos = 862411107;

std::string Picture(int seed) {
  std::string s;
  for (int i = 0; i < 3000; ++i)
    s += static_cast<char>((i * seed) % 7 + 'a');
  return s;
}

class ContentContainerTest : public ::testing::Test {
protected:
  void SetUp() override {
    TArchiveWriter writer(files);
    ASSERT_TRUE(writer.Open(container));
    ASSERT_TRUE(writer.AddStored("bgi001", kDos, Picture(1)));
    ASSERT_TRUE(writer.AddMember("erg002a", kDos, Picture(3)));
    ASSERT_TRUE(writer.AddMember("00000001.avi", kDos, Picture(5)));
    ASSERT_TRUE(writer.Finish());
    directory = LoadContentDirectory(files, container);
    ASSERT_TRUE(directory.has_value());
  }

  TScratchFolder scratch;
  THeadlessFileSystem files;
  std::string program = scratch.Path();
  std::string container = scratch.Path("movaro.dat");
  std::optional<TArchiveDirectory> directory;
};

TEST_F(ContentContainerTest, FindsAndExtractsMembersQuietly) {
  EXPECT_FALSE(LoadContentDirectory(files, scratch.Path("absent.dat")).has_value());
  TScratchFolder::WriteFile(scratch.Path("broken.dat"), "xy");
  auto broken = LoadContentDirectory(files, scratch.Path("broken.dat"));
  ASSERT_TRUE(broken.has_value());
  EXPECT_TRUE(broken->empty());

  EXPECT_EQ(FindContentEntry(directory, "BGI001").Offset, 0);
  EXPECT_EQ(FindContentEntry(std::nullopt, "bgi001").Offset, -1);
  TFileData entry = FindContentEntry(directory, "ERG002A");
  ASSERT_EQ(entry.Name, "erg002a");
  EXPECT_LT(entry.CompressedSize, entry.Size);

  std::string target = ContentTempPath(program, entry.Name);
  EXPECT_EQ(target, program + "\\T\\erg002a");
  int pumped = 0;
  ASSERT_TRUE(ExtractContentEntry(files, container, entry, target, [&] { ++pumped; }));
  EXPECT_GT(pumped, 0);
  EXPECT_EQ(TScratchFolder::ReadFile(scratch.Path("T/erg002a")), Picture(3));
  TDateTime when = 0, expected = 0;
  ASSERT_TRUE(files.GetLastWriteTime(target, when));
  ASSERT_TRUE(DosDateTimeToDateTime(kDos, expected));
  EXPECT_EQ(when, expected);

  TFileData bad = entry;
  for (auto spoil : {+[](TFileData &e) { e.Size = 0; }, +[](TFileData &e) { e.CompressedSize = 0; },
                     +[](TFileData &e) { e.Offset = -1; }, +[](TFileData &e) { e.CompressedSize = e.Size + 1; },
                     +[](TFileData &e) { e.Size += 10; }}) {
    bad = entry;
    spoil(bad);
    EXPECT_FALSE(ExtractContentEntry(files, container, bad, scratch.Path("T/bad")));
    EXPECT_FALSE(files.FileExists(scratch.Path("T/bad")));
  }
}

TEST_F(ContentContainerTest, TemporaryPathsStayInsideTheTemporaryFolder) {
  for (const char *name : {"..", ".", "..\\movaro.dat", "../movaro.dat", "sub\\x", "C:x", "nul", "a?", "trail ", ""})
    EXPECT_EQ(ContentTempPath(program, name), "") << name;
  EXPECT_EQ(ContentTempPath("C:\\Movaro\\", "bgi001"), "C:\\Movaro\\T\\bgi001");
  EXPECT_EQ(ContentTempFolder("C:\\Movaro"), "C:\\Movaro\\T\\");
}

TEST_F(ContentContainerTest, VideosPlayFromTheTemporaryFolderAndCleanUpRemovesIt) {
  TContentVideo video =
      PrepareContentVideo(files, container, directory, program, "C:\\Videos\\00000001.AVI");
  ASSERT_TRUE(video.Temporary);
  EXPECT_EQ(video.Path, ContentTempPath(program, "00000001.AVI"));
  EXPECT_EQ(TScratchFolder::ReadFile(scratch.Path("T/00000001.AVI")), Picture(5));
  ReleaseContentVideo(files, video);
  EXPECT_FALSE(files.FileExists(video.Path));

  // A temporary file left from an earlier run is used as it is.
  files.ForceDirectories(ContentTempFolder(program));
  TScratchFolder::WriteFile(scratch.Path("T/00000001.avi"), "left over");
  video = PrepareContentVideo(files, container, directory, program, "00000001.avi");
  ASSERT_TRUE(video.Temporary);
  EXPECT_EQ(video.Path, ContentTempPath(program, "00000001.avi"));
  EXPECT_EQ(TScratchFolder::ReadFile(scratch.Path("T/00000001.avi")), "left over");

  // Not a member, not ".avi", or no container: the path as given.
  for (const char *path : {"C:\\v\\other.avi", "bgi001"}) {
    TContentVideo plain = PrepareContentVideo(files, container, directory, program, path);
    EXPECT_FALSE(plain.Temporary);
    EXPECT_EQ(plain.Path, path);
  }
  EXPECT_FALSE(PrepareContentVideo(files, container, std::nullopt, program, "00000001.avi").Temporary);

  // Clean-up: every file, read-only ones included, then the folder.
  ASSERT_TRUE(ExtractContentEntry(files, container, FindContentEntry(directory, "bgi001"),
                                  ContentTempPath(program, "bgi001")));
  ASSERT_TRUE(files.SetAttributes(ContentTempPath(program, "bgi001"), kFileAttributeReadOnly));
  EXPECT_TRUE(RemoveContentTemp(files, program));
  EXPECT_FALSE(files.DirectoryExists(ContentTempFolder(program)));
  EXPECT_TRUE(files.FileExists(container));
  EXPECT_TRUE(RemoveContentTemp(files, program)); // nothing there: nothing to do
}

} // namespace
