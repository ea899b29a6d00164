#include "platform/FileSystem.h"
#include "platform/headless/HeadlessFileSystem.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

TEST(FileSystem, PathAttributesAndBlockCopies) {
  TScratchFolder scratch;
  THeadlessFileSystem files;
  const std::string file = scratch.Path("f.bin");
  TScratchFolder::WriteFile(file, std::string(5000, '\x5a') + "\r\n" + std::string(3000, '\0'));
  EXPECT_FALSE(SetPathAttributes(files, scratch.Path("nothing"), 1));
  EXPECT_FALSE(SetPathAttributes(files, file, 0));
  EXPECT_TRUE(SetPathAttributes(files, file, kFileAttributeArchive)); // already so
  EXPECT_TRUE(SetPathAttributes(files, file, kFileAttributeHidden));
  uint32_t mask = 0;
  ASSERT_TRUE(files.GetAttributes(file, mask));
  EXPECT_EQ(mask, kFileAttributeHidden);

  const std::string copy = scratch.Path("deep/er/copy.bin");
  EXPECT_TRUE(CopyFileBlocks(files, file, copy));
  EXPECT_EQ(TScratchFolder::ReadFile(copy), TScratchFolder::ReadFile(file));
  EXPECT_FALSE(CopyFileBlocks(files, scratch.Path("nothing"), scratch.Path("x/copy")));
  EXPECT_FALSE(files.DirectoryExists(scratch.Path("x")));
  ASSERT_TRUE(files.SetAttributes(copy, kFileAttributeReadOnly));
  EXPECT_FALSE(CopyFileBlocks(files, file, copy));
}
