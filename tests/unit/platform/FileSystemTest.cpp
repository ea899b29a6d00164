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

TEST(FileSystem, RenameNeverReplacesAndTakesTheMaskAndTimeAlong) {
  TScratchFolder scratch;
  THeadlessFileSystem files;
  const std::string from = scratch.Path("a.ini"), to = scratch.Path("b.ini");
  TScratchFolder::WriteFile(from, "a");
  TScratchFolder::WriteFile(to, "b");
  EXPECT_FALSE(files.RenameFile(from, to));
  EXPECT_EQ(TScratchFolder::ReadFile(to), "b");
  EXPECT_FALSE(files.RenameFile(scratch.Path("none.ini"), scratch.Path("c.ini")));

  ASSERT_TRUE(files.SetLastWriteTime(from, 46000.5));
  ASSERT_TRUE(files.SetAttributes(from, kFileAttributeHidden));
  const std::string moved = scratch.Path("c.ini");
  ASSERT_TRUE(files.RenameFile(from, moved));
  EXPECT_FALSE(files.FileExists(from));
  EXPECT_EQ(TScratchFolder::ReadFile(moved), "a");
  uint32_t mask = 0;
  TDateTime time = 0;
  ASSERT_TRUE(files.GetAttributes(moved, mask) && files.GetLastWriteTime(moved, time));
  EXPECT_EQ(mask, kFileAttributeHidden);
  EXPECT_DOUBLE_EQ(time, 46000.5);
  // What the old name kept is gone with it: a new file there starts plain.
  TScratchFolder::WriteFile(from, "new");
  ASSERT_TRUE(files.GetAttributes(from, mask));
  EXPECT_EQ(mask, kFileAttributeArchive);

  // Replacing: in one step, but never a read-only file or one in use.
  ASSERT_TRUE(files.RenameFile(from, to, kRenameReplaceExisting));
  EXPECT_EQ(TScratchFolder::ReadFile(to), "new");
  TScratchFolder::WriteFile(from, "newer");
  ASSERT_TRUE(files.SetAttributes(moved, kFileAttributeReadOnly));
  EXPECT_FALSE(files.RenameFile(from, moved, kRenameReplaceExisting));
  EXPECT_EQ(files.LastError(), TFileError::AccessDenied);
  files.SetInUse(to, true);
  EXPECT_FALSE(files.RenameFile(from, to, kRenameReplaceExisting));
  EXPECT_EQ(files.LastError(), TFileError::InUse);
  EXPECT_FALSE(files.RemoveFile(to));
  EXPECT_EQ(files.LastError(), TFileError::InUse);
  EXPECT_EQ(TScratchFolder::ReadFile(to), "new");
  ASSERT_TRUE(files.RenameFile(from, to, kRenameReplaceExisting | kRenameAtRestart));
  EXPECT_EQ(TScratchFolder::ReadFile(to), "new"); // only registered
  ASSERT_EQ(files.AtRestart().size(), 1u);
  EXPECT_EQ(files.AtRestart()[0].To, to);
}
