// The network profile client library. Not built yet: it loads and exports
// nothing, so the program's look-ups of its entry points fail cleanly.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
