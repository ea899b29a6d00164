// Kestrup program entry. The installer wizard and engine are not built yet: the
// program says so and ends with a failure code, so no script mistakes it for a
// working installer.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  MessageBoxA(nullptr, "This installer is not built yet.", "Kestrup", MB_OK | MB_ICONSTOP);
  return 1;
}
