// The installer's clean-up program. Not built yet: it refuses every command
// line and removes nothing.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 1; }
