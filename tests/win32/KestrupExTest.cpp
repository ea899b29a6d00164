// The clean-up program KestrupEx.exe, started for real.
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

std::string BinFolder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string text = path;
  return text.substr(0, text.find_last_of('\\') + 1);
}

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Starts a program and returns its exit code, or -1 when it did not end in time.
int RunAndWait(const std::string &commandLine, DWORD timeout) {
  std::string line = commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -2;
  CloseHandle(process.hThread);
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, timeout) == WAIT_OBJECT_0)
    GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

class KestrupExTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryA((base + "Veltrin").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(installer.c_str(), nullptr));
    for (const char *name : {"Kestrup.exe", "Kestrup.log", "Kestrup.dat"})
      TScratchFolder::WriteFile(scratch.Path(std::string("Veltrin/Kestrup/") + name), "x");
    SetFileAttributesA((installer + "Kestrup.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    TScratchFolder::WriteFile(scratch.Path("mine.txt"), "the user's");
  }
  // Started by a short-lived starter (running in FOLDER when given), as the
  // uninstaller starts it; true when the starter ran and ended.
  bool StartThroughStarter(const std::string &arguments, const std::string &folder = "") {
    std::string line = "\"" + BinFolder() + "spawn_probe.exe\" " + Command(arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process))
      return false;
    CloseHandle(process.hThread);
    bool ended = WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0;
    CloseHandle(process.hProcess);
    return ended;
  }
  std::string Command(const std::string &arguments) {
    return "\"" + BinFolder() + "KestrupEx.exe\" " + arguments;
  }

  TScratchFolder scratch;
  std::string base = WinPath(scratch.Path()) + "\\";
  std::string installer = base + "Veltrin\\Kestrup\\";
};

TEST_F(KestrupExTest, WaitsForItsStarterThenRemovesOnlyTheInstallerFolder) {
  std::string child = Command("\"/kestrup\" \"" + base + "\"");
  std::string probe = "\"" + BinFolder() + "spawn_probe.exe\" " + child;
  std::string line = probe;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process));
  CloseHandle(process.hThread);
  Sleep(700);
  // The starter still runs: nothing is removed yet.
  EXPECT_TRUE(Exists(installer + "Kestrup.exe"));
  ASSERT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  ASSERT_EQ(code, 0u);
  for (int i = 0; i < 100 && Exists(base + "Veltrin"); ++i)
    Sleep(100);
  EXPECT_FALSE(Exists(base + "Veltrin"));
  EXPECT_TRUE(Exists(base + "mine.txt"));
}

TEST_F(KestrupExTest, RemovesTheInstallerFolderItInheritedAsCurrentDirectory) {
  // The uninstaller runs in its own folder, and so does what it starts.
  ASSERT_TRUE(StartThroughStarter("\"/kestrup\" \"" + base + "\"", installer));
  for (int i = 0; i < 100 && Exists(base + "Veltrin"); ++i)
    Sleep(100);
  EXPECT_FALSE(Exists(base + "Veltrin"));
}

TEST_F(KestrupExTest, KeepsFoldersThatHoldMoreThanFiles) {
  ASSERT_TRUE(CreateDirectoryA((installer + "sub").c_str(), nullptr));
  TScratchFolder::WriteFile(scratch.Path("Veltrin/other.txt"), "x");
  ASSERT_TRUE(StartThroughStarter("\"/kestrup\" \"" + base + "\""));
  for (int i = 0; i < 100 && Exists(installer + "Kestrup.exe"); ++i)
    Sleep(100);
  Sleep(500);
  EXPECT_FALSE(Exists(installer + "Kestrup.exe"));
  EXPECT_FALSE(Exists(installer + "Kestrup.dat"));
  EXPECT_TRUE(Exists(installer + "sub"));
  EXPECT_TRUE(Exists(base + "Veltrin\\other.txt"));
}

TEST_F(KestrupExTest, RefusesAnyOtherCommandLine) {
  for (const std::string &arguments :
       {std::string("\"/kestrup\""), "\"/other\" \"" + base + "\"", "\"/kestrup\" \"" + base + "..\\\"",
        std::string("\"/kestrup\" \"relative\\\""), "\"/kestrup\" \"" + base + "\" extra",
        "\"/kestrup\" \"" + base + "nowhere\\\"", std::string("\"/kestrup\" \"C:\\*\"")})
    EXPECT_EQ(RunAndWait(Command(arguments), 10000), 1) << arguments;
  EXPECT_TRUE(Exists(installer + "Kestrup.exe"));
}

} // namespace
