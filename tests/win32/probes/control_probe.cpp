// Finds the controls of a top-level window by their control IDs (the kit
// makes a control's tag its ID), so a script can click them with xdotool as a
// user would. For each ID it prints one line to the file given:
//   ID X Y WIDTH HEIGHT VISIBLE ENABLED CHECKED TEXT
// in screen coordinates, or "ID none" when no control has it. An ID written
// as "class:NAME" finds the first visible control of that window class
// instead (an edit without a tag); "focus" prints "focus ID CLASS" of the
// window with the keyboard focus (ID 0: the window itself or one without an
// ID; -1: none). With "-" for the class, "foreground" prints
// "foreground X Y WIDTH HEIGHT" of the window the user works with now (the
// one that gets the keys), or "foreground none".
//   control_probe.exe OUTPUT WINDOWCLASS ID...
//   control_probe.exe OUTPUT - foreground
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct TSearch {
  int Id;
  std::string Class;
  HWND Found = nullptr;
};

BOOL CALLBACK FindChild(HWND child, LPARAM data) {
  auto *search = reinterpret_cast<TSearch *>(data);
  if (!search->Class.empty()) {
    char name[64] = {};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, search->Class.c_str()) != 0 || !IsWindowVisible(child))
      return TRUE;
    search->Found = child;
    return FALSE;
  }
  if (GetDlgCtrlID(child) != search->Id)
    return TRUE;
  // A hidden page may hold a control of the same ID: the visible one wins.
  if (!search->Found || IsWindowVisible(child))
    search->Found = child;
  return TRUE;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc < 4)
    return 2;
  if (std::string(__argv[2]) == "-") {
    FILE *out = std::fopen(__argv[1], "w");
    if (!out)
      return 3;
    RECT r;
    HWND foreground = GetForegroundWindow();
    if (foreground && GetWindowRect(foreground, &r))
      std::fprintf(out, "foreground %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    else
      std::fprintf(out, "foreground none\n");
    std::fclose(out);
    return 0;
  }
  HWND top = FindWindowA(__argv[2], nullptr);
  if (!top)
    return 1;
  FILE *out = std::fopen(__argv[1], "w");
  if (!out)
    return 3;
  for (int i = 3; i < __argc; ++i) {
    std::string wanted = __argv[i];
    if (wanted == "focus") { // the ID of the window with the keyboard focus
      GUITHREADINFO thread{};
      thread.cbSize = sizeof thread;
      const bool known = GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &thread) &&
                         thread.hwndFocus;
      char name[64] = {};
      if (known)
        GetClassNameA(thread.hwndFocus, name, sizeof name);
      std::fprintf(out, "focus %d %s\n", known ? GetDlgCtrlID(thread.hwndFocus) : -1, name);
      continue;
    }
    TSearch search{std::atoi(__argv[i]), {}};
    if (wanted.rfind("class:", 0) == 0)
      search.Class = wanted.substr(6);
    EnumChildWindows(top, FindChild, reinterpret_cast<LPARAM>(&search));
    if (!search.Found) {
      std::fprintf(out, "%s none\n", wanted.c_str());
      continue;
    }
    RECT r;
    GetWindowRect(search.Found, &r);
    char text[512] = {};
    // WM_GETTEXT, not GetWindowText, which for another program's window
    // returns its creation caption, not what an edit or status bar shows.
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(search.Found, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    LRESULT checked = SendMessageA(search.Found, BM_GETCHECK, 0, 0);
    std::fprintf(out, "%s %ld %ld %ld %ld %d %d %d %s\n", wanted.c_str(), r.left, r.top, r.right - r.left,
                 r.bottom - r.top, IsWindowVisible(search.Found) ? 1 : 0,
                 IsWindowEnabled(search.Found) ? 1 : 0, checked == BST_CHECKED ? 1 : 0, text);
  }
  std::fclose(out);
  return 0;
}
