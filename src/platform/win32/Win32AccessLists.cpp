// Folder access lists through the security calls of Windows 2000 and later.
// The trusted accounts are the system, the administrators' group and the
// user running this program (whose own processes Windows does not keep
// apart from it); anyone else who owns an entry or may change it counts as
// another writer.
#include "platform/win32/Win32FileSystem.h"

#include <windows.h>
#include <aclapi.h>

#include <vector>

namespace {

// Rights that let an account replace, add, remove or re-secure an entry.
constexpr DWORD kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE |
                                WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

using TSid = std::vector<BYTE>;

TSid WellKnownSid(WELL_KNOWN_SID_TYPE type) {
  TSid sid(SECURITY_MAX_SID_SIZE);
  DWORD size = static_cast<DWORD>(sid.size());
  if (!CreateWellKnownSid(type, nullptr, sid.data(), &size))
    return {};
  sid.resize(size);
  return sid;
}

TSid ProcessUserSid() {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
    return {};
  std::vector<BYTE> buffer(256);
  DWORD size = 0;
  TSid sid;
  if (GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &size)) {
    PSID user = reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid;
    sid.assign(static_cast<BYTE *>(user), static_cast<BYTE *>(user) + GetLengthSid(user));
  }
  CloseHandle(token);
  return sid;
}

class TTrustedAccounts {
public:
  TTrustedAccounts()
      : sids_{WellKnownSid(WinLocalSystemSid), WellKnownSid(WinBuiltinAdministratorsSid), ProcessUserSid()} {}
  bool Contains(PSID sid) const {
    for (const TSid &trusted : sids_)
      if (!trusted.empty() && EqualSid(const_cast<BYTE *>(trusted.data()), sid))
        return true;
    return false;
  }

private:
  TSid sids_[3];
};

std::string WithoutSeparator(std::string path) {
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
    path.pop_back();
  return path;
}

bool VolumeKeepsAccessLists(const std::string &path) {
  char root[MAX_PATH + 1];
  DWORD flags = 0;
  if (!GetVolumePathNameA(path.c_str(), root, sizeof root) ||
      !GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
    return true; // cannot tell: the entry's own list decides
  return (flags & FS_PERSISTENT_ACLS) != 0;
}

// Whether anyone untrusted owns the entry or may change it.
bool OthersMayChange(const std::string &path, const TTrustedAccounts &trusted) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoA(const_cast<char *>(path.c_str()), SE_FILE_OBJECT,
                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                            &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return true;
  // No list at all grants everyone everything.
  bool others = !owner || !trusted.Contains(owner) || !dacl;
  for (DWORD i = 0; !others && i < dacl->AceCount; ++i) {
    void *ace = nullptr;
    if (!GetAce(dacl, i, &ace))
      continue;
    const ACE_HEADER *header = static_cast<ACE_HEADER *>(ace);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
      continue;
    auto *allowed = static_cast<ACCESS_ALLOWED_ACE *>(ace);
    if ((allowed->Mask & kChangeRights) && !trusted.Contains(&allowed->SidStart))
      others = true;
  }
  LocalFree(descriptor);
  return others;
}

// Lets an administrator take and give entries that others own.
void EnableOwnershipPrivileges() {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
    return;
  for (const char *name : {SE_TAKE_OWNERSHIP_NAME, SE_RESTORE_NAME}) {
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid))
      AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  }
  CloseHandle(token);
}

// The administrators' list: they and the system may do everything, users
// read and run; folders and files made inside inherit it.
std::vector<BYTE> AdministratorsList(const TSid &administrators, const TSid &system, const TSid &users) {
  if (administrators.empty() || system.empty() || users.empty())
    return {};
  DWORD size = sizeof(ACL);
  for (const TSid *sid : {&administrators, &system, &users})
    size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + static_cast<DWORD>(sid->size());
  std::vector<BYTE> list(size);
  PACL acl = reinterpret_cast<PACL>(list.data());
  const DWORD inherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
  if (!InitializeAcl(acl, size, ACL_REVISION) ||
      !AddAccessAllowedAceEx(acl, ACL_REVISION, inherit, FILE_ALL_ACCESS,
                             const_cast<BYTE *>(administrators.data())) ||
      !AddAccessAllowedAceEx(acl, ACL_REVISION, inherit, FILE_ALL_ACCESS, const_cast<BYTE *>(system.data())) ||
      !AddAccessAllowedAceEx(acl, ACL_REVISION, inherit, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE,
                             const_cast<BYTE *>(users.data())))
    return {};
  return list;
}

// The owner first: an entry someone else owns may refuse its list to anyone
// but its owner.
bool GiveToAdministrators(const std::string &path, TSid &administrators, std::vector<BYTE> &list) {
  char *name = const_cast<char *>(path.c_str());
  return SetNamedSecurityInfoA(name, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, administrators.data(),
                               nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         SetNamedSecurityInfoA(name, SE_FILE_OBJECT,
                               DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                               nullptr, reinterpret_cast<PACL>(list.data()), nullptr) == ERROR_SUCCESS;
}

std::vector<std::string> EntriesIn(const std::string &folder) {
  std::vector<std::string> entries;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE)
    return entries;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..")
      entries.push_back(folder + "\\" + name);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return entries;
}

} // namespace

TFolderWriters TWin32FileSystem::Writers(const std::string &path) {
  const std::string entry = WithoutSeparator(path);
  if (GetFileAttributesA(entry.c_str()) == INVALID_FILE_ATTRIBUTES)
    return TFolderWriters::Others;
  if (!VolumeKeepsAccessLists(entry))
    return TFolderWriters::NotKept;
  return OthersMayChange(entry, TTrustedAccounts()) ? TFolderWriters::Others : TFolderWriters::OnlyTrusted;
}

bool TWin32FileSystem::RestrictFolder(const std::string &folder) {
  const std::string path = WithoutSeparator(folder);
  if (!DirectoryExists(path) || !VolumeKeepsAccessLists(path))
    return false;
  TSid administrators = WellKnownSid(WinBuiltinAdministratorsSid);
  std::vector<BYTE> list =
      AdministratorsList(administrators, WellKnownSid(WinLocalSystemSid), WellKnownSid(WinBuiltinUsersSid));
  if (list.empty())
    return false;
  EnableOwnershipPrivileges();
  bool ok = GiveToAdministrators(path, administrators, list);
  for (const std::string &entry : EntriesIn(path))
    ok = GiveToAdministrators(entry, administrators, list) && ok;
  return ok;
}
