#include "platform/win32/Win32Registry.h"

#include "base/AnsiText.h"

#include <windows.h>

namespace {

HKEY RootHandle(TRootKey root) {
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

// An open key, closed when it goes.
class TOpenKey {
public:
  TOpenKey() = default;
  ~TOpenKey() {
    if (key_)
      RegCloseKey(key_);
  }
  TOpenKey(const TOpenKey &) = delete;
  TOpenKey &operator=(const TOpenKey &) = delete;
  LONG Open(TRootKey root, const std::string &path, REGSAM access) {
    return RegOpenKeyExA(RootHandle(root), path.c_str(), 0, access, &key_);
  }
  LONG Create(TRootKey root, const std::string &path) {
    return RegCreateKeyExA(RootHandle(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
  }
  HKEY Get() const { return key_; }

private:
  HKEY key_ = nullptr;
};

std::string Trimmed(const std::string &key) { return TrimChars(key, "\\"); }

bool EnumNames(TRootKey root, const std::string &key, bool values, std::vector<std::string> &names) {
  names.clear();
  TOpenKey k;
  if (k.Open(root, Trimmed(key), KEY_READ) != ERROR_SUCCESS)
    return false;
  for (DWORD index = 0;; ++index) {
    char name[16384];
    DWORD size = sizeof name;
    LONG r = values ? RegEnumValueA(k.Get(), index, name, &size, nullptr, nullptr, nullptr, nullptr)
                    : RegEnumKeyExA(k.Get(), index, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_NO_MORE_ITEMS)
      return true;
    if (r != ERROR_SUCCESS)
      return false;
    names.emplace_back(name, size);
  }
}

// Deletes the subkeys first: the plain delete call refuses keys that have any.
LONG DeleteTree(HKEY parent, const std::string &path) {
  HKEY key;
  LONG r = RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ | KEY_WRITE, &key);
  if (r != ERROR_SUCCESS)
    return r;
  for (;;) {
    char name[256];
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    if ((r = DeleteTree(key, name)) != ERROR_SUCCESS) {
      RegCloseKey(key);
      return r;
    }
  }
  RegCloseKey(key);
  return RegDeleteKeyA(parent, path.c_str());
}

} // namespace

bool TWin32Registry::KeyExists(TRootKey root, const std::string &key) {
  TOpenKey k;
  return k.Open(root, Trimmed(key), KEY_READ) == ERROR_SUCCESS;
}

TRegStatus TWin32Registry::ReadValue(TRootKey root, const std::string &key, const std::string &name,
                                     TRegValue &value) {
  TOpenKey k;
  if (k.Open(root, Trimmed(key), KEY_READ) != ERROR_SUCCESS)
    return TRegStatus::NoKey;
  DWORD type = 0, size = 0;
  LONG r = RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type, nullptr, &size);
  if (r == ERROR_FILE_NOT_FOUND)
    return TRegStatus::NoValue;
  if (r != ERROR_SUCCESS)
    return TRegStatus::Failed;
  std::string data(size, '\0');
  if (size && RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type,
                               reinterpret_cast<BYTE *>(&data[0]), &size) != ERROR_SUCCESS)
    return TRegStatus::Failed;
  data.resize(size);
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    // Strings come with their terminating zero, or, when written carelessly, without.
    size_t zero = data.find('\0');
    if (zero != std::string::npos)
      data.resize(zero);
  }
  value.Type = type;
  value.Data = data;
  return TRegStatus::Ok;
}

TRegStatus TWin32Registry::CreateKey(TRootKey root, const std::string &key) {
  TOpenKey k;
  return k.Create(root, Trimmed(key)) == ERROR_SUCCESS ? TRegStatus::Ok : TRegStatus::NoKey;
}

TRegStatus TWin32Registry::WriteValue(TRootKey root, const std::string &key, const std::string &name,
                                      const TRegValue &value) {
  TOpenKey k;
  if (k.Create(root, Trimmed(key)) != ERROR_SUCCESS)
    return TRegStatus::NoKey;
  std::string data = value.Data;
  if (value.Type == REG_SZ || value.Type == REG_EXPAND_SZ)
    data.push_back('\0');
  LONG r = RegSetValueExA(k.Get(), name.c_str(), 0, value.Type,
                          reinterpret_cast<const BYTE *>(data.data()), static_cast<DWORD>(data.size()));
  return r == ERROR_SUCCESS ? TRegStatus::Ok : TRegStatus::Failed;
}

TRegStatus TWin32Registry::DeleteValue(TRootKey root, const std::string &key, const std::string &name) {
  TOpenKey k;
  if (k.Open(root, Trimmed(key), KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY |
                                     KEY_ENUMERATE_SUB_KEYS) != ERROR_SUCCESS)
    return TRegStatus::NoKey;
  LONG r = RegDeleteValueA(k.Get(), name.c_str());
  if (r == ERROR_FILE_NOT_FOUND)
    return TRegStatus::NoValue;
  return r == ERROR_SUCCESS ? TRegStatus::Ok : TRegStatus::Failed;
}

TRegStatus TWin32Registry::DeleteKey(TRootKey root, const std::string &key) {
  std::string path = Trimmed(key);
  if (path.empty())
    return TRegStatus::Failed;
  if (!KeyExists(root, path))
    return TRegStatus::NoKey;
  return DeleteTree(RootHandle(root), path) == ERROR_SUCCESS ? TRegStatus::Ok : TRegStatus::Failed;
}

bool TWin32Registry::SubKeyNames(TRootKey root, const std::string &key, std::vector<std::string> &names) {
  return EnumNames(root, key, false, names);
}

bool TWin32Registry::ValueNames(TRootKey root, const std::string &key, std::vector<std::string> &names) {
  return EnumNames(root, key, true, names);
}
