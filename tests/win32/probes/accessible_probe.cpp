// Lists what assistive technology finds in a top-level window
// (support/Win32AccessibleWalk.h) into the file given, then
// "elements N unnamed M misnamed K shared S". Exits 0 when every shown
// element has a name of its own, 4 when one has none or its container's or
// a button shares its name with another beside it, 1 when the window or
// oleacc is missing.
//   accessible_probe.exe OUTPUT WINDOWCLASS [WINDOWTITLE]
#include "../../support/Win32AccessibleWalk.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc < 3)
    return 2;
  HWND top = FindWindowA(__argv[2], __argc > 3 ? __argv[3] : nullptr);
  if (!accessible_walk::Load() || !top)
    return 1;
  CoInitialize(nullptr);
  FILE *out = std::fopen(__argv[1], "w");
  if (!out)
    return 3;
  accessible_walk::TWalk walk{out};
  const bool walked = WalkWindow(top, walk);
  std::fprintf(out, "elements %d unnamed %d misnamed %d shared %d\n", walk.Elements, walk.Unnamed,
               walk.Misnamed, walk.Shared);
  std::fclose(out);
  CoUninitialize();
  return !walked ? 1 : walk.Unnamed || walk.Misnamed || walk.Shared ? 4 : 0;
}
