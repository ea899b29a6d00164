// The input hook library. Not built yet: both exports exist with their final
// signatures and report failure (0), so the program runs without monitoring.
#include <windows.h>

extern "C" {
__declspec(dllexport) int __cdecl StartHook(int, HWND) { return 0; }
__declspec(dllexport) int __cdecl StopHook(int) { return 0; }
}
