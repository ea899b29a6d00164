#include "authoring/ArchiveWriter.h"
#include "data/archive/ContentContainer.h"
#include "data/archive/DosDateTime.h"
#include "platform/FileReplacement.h"
#include "platform/win32/Win32FileSystem.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <aclapi.h>

namespace {

constexpr uint32_t kDos = 862411107; // 2005-11-07 11:11:06, local time

// The file's last-write time as a packed local DOS date-time, read the Win32 way.
uint32_t DosTimeOf(const std::string &path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(h, INVALID_HANDLE_VALUE) << path;
  FILETIME utc, local;
  WORD date = 0, time = 0;
  EXPECT_TRUE(GetFileTime(h, nullptr, nullptr, &utc));
  CloseHandle(h);
  EXPECT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  EXPECT_TRUE(FileTimeToDosDateTime(&local, &date, &time));
  return static_cast<uint32_t>(date) << 16 | time;
}

class Win32FileSystemTest : public ::testing::Test {
protected:
  void SetUp() override {
    TArchiveWriter writer(files);
    ASSERT_TRUE(writer.Open(setup));
    ASSERT_TRUE(writer.AddStored("Kestrup.exe", kDos, std::string(3000, 'k')));
    std::string text;
    for (int i = 0; i < 2000; ++i)
      text += "readme line " + std::to_string(i) + "\r\n";
    readme = text;
    ASSERT_TRUE(writer.AddMember("Readme.txt", kDos, readme));
    ASSERT_TRUE(writer.Finish());
    ASSERT_TRUE(archive.LoadDirectory(setup));
  }

  bool Extract(const std::string &name, const std::string &target, const std::string &fileAttributes,
               const std::string &folderAttributes) {
    return archive.ExtractMember(archive.LookupMember(name), target, fileAttributes, folderAttributes,
                                 [this](const std::string &m) { log.push_back(m); }, {});
  }

  TScratchFolder scratch;
  TWin32FileSystem files;
  TArchive archive{files};
  std::string setup = WinPath(scratch.Path("setup.exe"));
  std::string readme;
  std::vector<std::string> log;
};

TEST_F(Win32FileSystemTest, ExtractedFileCarriesTheDirectoryTimeAndAttributes) {
  const std::string folder = WinPath(scratch.Path("Program\\Sub\\"));
  const std::string target = folder + "Readme.txt";
  ASSERT_TRUE(Extract("Readme.txt", target, "1", "2"));
  EXPECT_EQ(TScratchFolder::ReadFile(target), readme);
  EXPECT_EQ(DosTimeOf(target), kDos);
  TDateTime when = 0, expected = 0;
  ASSERT_TRUE(files.GetLastWriteTime(target, when));
  ASSERT_TRUE(DosDateTimeToDateTime(kDos, expected));
  EXPECT_EQ(when, expected);

  DWORD attributes = GetFileAttributesA(target.c_str());
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
  attributes = GetFileAttributesA(folder.substr(0, folder.size() - 1).c_str());
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);

  // Extracting onto the read-only file fails and names it and why; the file is kept.
  log.clear();
  EXPECT_FALSE(Extract("Readme.txt", target, "", ""));
  EXPECT_EQ(log, (std::vector<std::string>{" Extracting Readme.txt to " + folder,
                                           " Error: Unable to create " + target,
                                           " Error: access is denied (" + target + ")"}));
  EXPECT_EQ(TScratchFolder::ReadFile(target), readme);
  // A read-only file cannot be opened for writing, so its time cannot be set either.
  EXPECT_FALSE(files.SetLastWriteTime(target, expected + 1));
  EXPECT_TRUE(SetPathAttributes(files, target, FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_TRUE(files.RemoveFile(target));
}

TEST_F(Win32FileSystemTest, FirstMemberIsTheInstallerAndFoldersAreCreated) {
  const std::string target = WinPath(scratch.Path("a\\b\\c\\Kestrup.exe"));
  ASSERT_TRUE(Extract("KESTRUP.EXE", target, "", "0"));
  EXPECT_EQ(TScratchFolder::ReadFile(target), std::string(3000, 'k'));
  DWORD attributes = GetFileAttributesA(WinPath(scratch.Path("a\\b\\c")).c_str());
  EXPECT_EQ(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY), 0u);

  // A file standing where a folder should be.
  const std::string blocked = WinPath(scratch.Path("a\\b\\c\\Kestrup.exe\\x\\"));
  EXPECT_FALSE(Extract("Readme.txt", blocked + "Readme.txt", "", ""));
  EXPECT_EQ(log.back(), " Error: Unable to create " + blocked);

  EXPECT_TRUE(CopyFileBlocks(files, target, WinPath(scratch.Path("copy\\deep\\K.exe"))));
  EXPECT_EQ(TScratchFolder::ReadFile(WinPath(scratch.Path("copy\\deep\\K.exe"))), std::string(3000, 'k'));
}

TEST_F(Win32FileSystemTest, TemporaryFolderIsRemovedWithItsFiles) {
  const std::string program = WinPath(scratch.Path());
  auto directory = LoadContentDirectory(files, setup);
  ASSERT_TRUE(directory && !directory->empty());
  for (const char *name : {"Readme.txt", "Kestrup.exe"})
    ASSERT_TRUE(ExtractContentEntry(files, setup, FindContentEntry(directory, name),
                                    ContentTempPath(program, name)));
  ASSERT_TRUE(SetFileAttributesA(ContentTempPath(program, "Readme.txt").c_str(),
                                 FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(files.ListFiles(ContentTempFolder(program)).size(), 2u);
  EXPECT_TRUE(RemoveContentTemp(files, program));
  EXPECT_EQ(GetFileAttributesA((program + "\\T").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(files.FileExists(setup));
}

std::string Upper(std::string text) {
  for (char &c : text)
    c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return text;
}

// The session manager's list of renames made at the next start, as one text
// of its zero-ended names; empty when there is none.
std::string PendingRenames() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return "";
  std::string value(1 << 16, '\0');
  DWORD type = 0, size = static_cast<DWORD>(value.size());
  LONG status = RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, &type,
                                 reinterpret_cast<BYTE *>(&value[0]), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_MULTI_SZ)
    return "";
  value.resize(size);
  return value;
}

// A file another program holds open without sharing cannot be replaced or
// deleted now: after the retries the new copy waits under its temporary
// name and the system lists the replacement (and the deletion) for the next
// start. A file nobody holds is replaced at once.
TEST_F(Win32FileSystemTest, FileHeldOpenIsReplacedAtTheNextStart) {
  const std::string target = WinPath(scratch.Path("Held.dll"));
  const std::string waiting = TFileReplacement::TemporaryPath(target);
  TDateTime date = 0;
  ASSERT_TRUE(DosDateTimeToDateTime(kDos, date));
  ASSERT_FALSE(TFileReplacement(files).Write(target, "old", 3, date, 0).Failed());
  ASSERT_FALSE(TFileReplacement(files).Write(target, "new", 3, date, kFileAttributeHidden).Failed());
  EXPECT_EQ(TScratchFolder::ReadFile(target), "new");
  EXPECT_TRUE(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(DosTimeOf(target), kDos);
  EXPECT_EQ(GetFileAttributesA(waiting.c_str()), INVALID_FILE_ATTRIBUTES);

  HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  int waits = 0;
  TInUseRetry retry{2, 10, [&](uint32_t) { ++waits; }, true};
  TReplaceResult replaced = TFileReplacement(files, retry).Write(target, "newer", 5, date, 0);
  TReplaceResult removed = TFileReplacement(files, retry).Remove(target);
  CloseHandle(held);
  EXPECT_EQ(replaced.Error, TFileError::InUse);
  EXPECT_EQ(replaced.Outcome, TReplaceOutcome::AtRestart);
  EXPECT_EQ(removed.Outcome, TReplaceOutcome::AtRestart);
  EXPECT_EQ(waits, 4);
  EXPECT_EQ(TScratchFolder::ReadFile(target), "new");
  EXPECT_EQ(TScratchFolder::ReadFile(waiting), "newer");
  std::string pending = Upper(PendingRenames());
  size_t from = pending.find(Upper(waiting));
  EXPECT_NE(from, std::string::npos) << pending;
  EXPECT_NE(pending.find(Upper(target), from + waiting.size()), std::string::npos) << pending;
  // The deletion taken back, as an install does for a file it puts in place:
  // the pair of the deletion (the name, then an empty one) goes, the
  // replacement stays.
  // (After another name's end; a replacement's target starts with "!".)
  const std::string deletion = std::string(1, '\0') + "\\??\\" + Upper(target) + std::string(2, '\0');
  ASSERT_NE(pending.find(deletion), std::string::npos) << pending;
  EXPECT_TRUE(files.CancelDeletionAtRestart(target));
  pending = Upper(PendingRenames());
  EXPECT_EQ(pending.find(deletion), std::string::npos) << pending;
  EXPECT_NE(pending.find(Upper(waiting)), std::string::npos) << pending;
}

} // namespace

namespace {

// Reads of every size, across read-ahead blocks and after seeks, see the bytes
// in the file; a read returns fewer bytes only at its end.
TEST(Win32FileSystemRead, SmallLargeAndSeekingReadsSeeTheFile) {
  TScratchFolder scratch;
  std::string bytes(200000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>(i * 7 + i / 251);
  const std::string path = scratch.Path("data.bin");
  TScratchFolder::WriteFile(path, bytes);
  TWin32FileSystem files;
  auto in = files.OpenRead(path);
  ASSERT_TRUE(in);
  EXPECT_EQ(in->Size(), 200000);

  std::string seen;
  char block[70000];
  for (int32_t size : {1024, 3, 65530, 70000, 1024}) { // crosses block ends both ways
    int32_t got = in->Read(block, size);
    ASSERT_EQ(got, size);
    seen.append(block, static_cast<size_t>(got));
  }
  EXPECT_EQ(seen, bytes.substr(0, seen.size()));

  ASSERT_TRUE(in->Seek(199990));
  EXPECT_EQ(in->Read(block, 1024), 10);
  EXPECT_EQ(std::string(block, 10), bytes.substr(199990));
  EXPECT_EQ(in->Read(block, 1024), 0);

  ASSERT_TRUE(in->Seek(5));
  ASSERT_EQ(in->Read(block, 4), 4);
  EXPECT_EQ(std::string(block, 4), bytes.substr(5, 4));
}

} // namespace

namespace {

std::vector<BYTE> SidOf(WELL_KNOWN_SID_TYPE type) {
  std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
  DWORD size = static_cast<DWORD>(sid.size());
  EXPECT_TRUE(CreateWellKnownSid(type, nullptr, sid.data(), &size));
  sid.resize(size);
  return sid;
}

// Lets everyone change the entry, as a folder another user prepared would.
void OpenToEveryone(const std::string &path) {
  std::vector<BYTE> everyone = SidOf(WinWorldSid);
  EXPLICIT_ACCESS_A access = {};
  access.grfAccessPermissions = FILE_ALL_ACCESS;
  access.grfAccessMode = SET_ACCESS;
  access.grfInheritance = NO_INHERITANCE;
  access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  access.Trustee.ptstrName = reinterpret_cast<char *>(everyone.data());
  PACL list = nullptr;
  ASSERT_EQ(SetEntriesInAclA(1, &access, nullptr, &list), ERROR_SUCCESS);
  ASSERT_EQ(SetNamedSecurityInfoA(const_cast<char *>(path.c_str()), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, list, nullptr),
            ERROR_SUCCESS);
  LocalFree(list);
}

// Wine keeps no owner and no protection flag for files: their list is made
// from the Unix permissions, which a new list changes.
bool RunsUnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

// A folder and a file in it that everyone may change are found and given to
// the administrators; read back through the system's security calls, no
// account but them and the system may change either any more (and on
// Windows the administrators own both, under a protected list).
TEST(Win32AccessLists, FolderOthersMayChangeIsGivenToTheAdministrators) {
  TScratchFolder scratch;
  TWin32FileSystem files;
  const std::string folder = WinPath(scratch.Path()) + "\\Kestrup";
  ASSERT_TRUE(files.ForceDirectories(folder));
  const std::string program = folder + "\\Kestrup.exe";
  ASSERT_TRUE(files.Create(program));
  OpenToEveryone(program);
  EXPECT_EQ(FolderWriters(files, folder + "\\"), TFolderWriters::Others);

  ASSERT_TRUE(files.RestrictFolder(folder + "\\"));
  EXPECT_EQ(FolderWriters(files, folder + "\\"), TFolderWriters::OnlyTrusted);
  std::vector<BYTE> administrators = SidOf(WinBuiltinAdministratorsSid), everyone = SidOf(WinWorldSid),
                    users = SidOf(WinBuiltinUsersSid);
  for (const std::string &path : {folder, program}) {
    PSID owner = nullptr;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetNamedSecurityInfoA(const_cast<char *>(path.c_str()), SE_FILE_OBJECT,
                                    OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                                    &list, nullptr, &descriptor),
              ERROR_SUCCESS);
    ASSERT_TRUE(list);
    for (DWORD i = 0; i < list->AceCount; ++i) {
      ACCESS_ALLOWED_ACE *ace = nullptr;
      ASSERT_TRUE(GetAce(list, i, reinterpret_cast<void **>(&ace)));
      if (EqualSid(&ace->SidStart, users.data()) || EqualSid(&ace->SidStart, everyone.data())) {
        EXPECT_EQ(ace->Mask & (FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | WRITE_DAC), 0u) << path;
      }
    }
    if (!RunsUnderWine()) {
      SECURITY_DESCRIPTOR_CONTROL control = 0;
      DWORD revision = 0;
      ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
      EXPECT_TRUE(EqualSid(owner, administrators.data())) << path;
      EXPECT_TRUE(control & SE_DACL_PROTECTED) << path;
      EXPECT_EQ(list->AceCount, 3) << path;
    }
    LocalFree(descriptor);
  }
  // Something made inside later is not open to others either.
  ASSERT_TRUE(files.Create(folder + "\\Kestrup.log"));
  EXPECT_EQ(FolderWriters(files, folder + "\\"), TFolderWriters::OnlyTrusted);
}

} // namespace
