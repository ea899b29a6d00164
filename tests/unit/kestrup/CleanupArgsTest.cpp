#include "cleanup/CleanupArgs.h"

#include <gtest/gtest.h>

namespace {

TEST(CleanupArgs, AcceptsOnlyKestrupAndAnAbsoluteFolder) {
  using cleanup::CleanupFolder;
  EXPECT_EQ(CleanupFolder("KestrupEx.exe \"/kestrup\" \"C:\\ProgramData\\\""), "C:\\ProgramData\\");
  EXPECT_EQ(CleanupFolder("\"C:\\x y\\KestrupEx.exe\" /KESTRUP \"C:\\All Users\""), "C:\\All Users\\");
  EXPECT_EQ(CleanupFolder("x /kestrup \\\\server\\share\\data\\"), "\\\\server\\share\\data\\");
  for (const char *refused :
       {"x", "x /kestrup", "x /kestrup C:\\a\\ extra", "x /other C:\\a\\", "x /kestrupx C:\\a\\",
        "x /kestrup relative\\", "x /kestrup C:", "x /kestrup C:\\a\\..\\", "x /kestrup C:\\.\\a",
        "x /kestrup C:\\*", "x /kestrup \"C:\\a\\\" \"\"", ""})
    EXPECT_EQ(CleanupFolder(refused), "") << refused;
}

} // namespace
