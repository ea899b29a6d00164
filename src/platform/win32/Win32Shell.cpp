#include "platform/win32/Win32Shell.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace {

// COM for the duration of one shell link operation on this thread.
class TComScope {
public:
  TComScope() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~TComScope() {
    if (ok_)
      CoUninitialize();
  }

private:
  bool ok_;
};

template <class T> class TComPtr {
public:
  ~TComPtr() {
    if (p_)
      p_->Release();
  }
  T **Out() { return &p_; }
  T *operator->() const { return p_; }
  T *Get() const { return p_; }

private:
  T *p_ = nullptr;
};

// The path as UTF-16 through the ANSI code page, at most MAX_PATH characters.
bool WidePath(const std::string &path, WCHAR (&wide)[MAX_PATH]) {
  return MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) > 0;
}

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\')
    folder += '\\';
  return folder;
}

} // namespace

bool TWin32Shell::SaveShortcut(const std::string &linkPath, const TShortcutData &data) {
  TComScope com;
  TComPtr<IShellLinkA> link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void **>(link.Out()));
  if (FAILED(hr))
    return false;
  link->SetPath(data.Target.c_str());
  if (!data.Arguments.empty())
    link->SetArguments(data.Arguments.c_str());
  if (!data.IconFile.empty())
    link->SetIconLocation(data.IconFile.c_str(), data.IconIndex);
  if (!data.WorkingDirectory.empty())
    link->SetWorkingDirectory(data.WorkingDirectory.c_str());
  if (data.HotKey)
    link->SetHotkey(data.HotKey);
  TComPtr<IPersistFile> file;
  hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(file.Out()));
  if (FAILED(hr))
    return false;
  WCHAR wide[MAX_PATH];
  if (!WidePath(linkPath, wide))
    return false;
  return SUCCEEDED(file->Save(wide, TRUE));
}

bool TWin32Shell::LoadShortcut(const std::string &linkPath, TShortcutData &data) {
  TComScope com;
  TComPtr<IShellLinkA> link;
  TComPtr<IPersistFile> file;
  WCHAR wide[MAX_PATH];
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void **>(link.Out()))) ||
      FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(file.Out()))) ||
      !WidePath(linkPath, wide) || FAILED(file->Load(wide, STGM_READ)))
    return false;
  char text[MAX_PATH * 4];
  data = TShortcutData();
  if (SUCCEEDED(link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH)))
    data.Target = text;
  if (SUCCEEDED(link->GetArguments(text, sizeof text)))
    data.Arguments = text;
  if (SUCCEEDED(link->GetWorkingDirectory(text, sizeof text)))
    data.WorkingDirectory = text;
  int index = 0;
  if (SUCCEEDED(link->GetIconLocation(text, sizeof text, &index)))
    data.IconFile = text, data.IconIndex = index;
  WORD hotKey = 0;
  if (SUCCEEDED(link->GetHotkey(&hotKey)))
    data.HotKey = hotKey;
  return true;
}

intptr_t TWin32Shell::Open(const std::string &file, const std::string &arguments,
                           const std::string &folder) {
  HINSTANCE result = ShellExecuteA(GetDesktopWindow(), nullptr, file.c_str(),
                                   arguments.empty() ? nullptr : arguments.c_str(),
                                   folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL);
  return reinterpret_cast<intptr_t>(result);
}

bool TWin32Shell::Run(const std::string &file, const std::string &arguments) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.hwnd = GetActiveWindow();
  info.lpFile = file.c_str();
  info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
  info.nShow = SW_SHOW;
  return ShellExecuteExA(&info) != 0;
}

bool TWin32Shell::Recycle(const std::string &path) {
  std::vector<char> from(path.begin(), path.end());
  from.push_back('\0');
  from.push_back('\0'); // the list of names ends with an empty one
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.data();
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  return SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}

namespace {

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH];
  if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE))
    return "";
  return WithBackslash(path);
}

} // namespace

std::string TWin32Shell::DesktopFolder() { return SpecialFolder(CSIDL_DESKTOPDIRECTORY); }
std::string TWin32Shell::AppDataFolder() { return SpecialFolder(CSIDL_APPDATA); }
std::string TWin32Shell::LocalAppDataFolder() { return SpecialFolder(CSIDL_LOCAL_APPDATA); }

std::string TWin32Shell::SystemFolder() {
  char path[256];
  UINT n = GetSystemDirectoryA(path, sizeof path);
  return n == 0 || n >= sizeof path ? "" : WithBackslash(path);
}

std::string TWin32Shell::WindowsFolder() {
  char path[256];
  UINT n = GetWindowsDirectoryA(path, sizeof path);
  return n == 0 || n >= sizeof path ? "" : WithBackslash(path);
}

std::string TWin32Shell::TempFolder() {
  char path[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof path, path);
  return n == 0 || n >= sizeof path ? "" : WithBackslash(std::string(path, n));
}

std::string TWin32Shell::VolumeFileSystem(const std::string &root) {
  char name[MAX_PATH + 1];
  if (!GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, name, sizeof name))
    return "";
  return name;
}
