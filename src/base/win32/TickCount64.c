/* Windows XP has no GetTickCount64, yet the static threading runtime that the
 * C++ exception support pulls in imports it, and a program importing a
 * function its system lacks does not load at all. This object is linked into
 * every shipped 32-bit program before the system libraries, so its import slot
 * wins: it calls the system's GetTickCount64 where there is one and otherwise
 * widens GetTickCount, counting its wraps (the runtime only measures timeouts
 * with it). */
#include <windows.h>

static ULONGLONG WINAPI TickCountWidened(void) {
  static volatile LONG lastLow = 0, wraps = 0;
  DWORD now = GetTickCount();
  LONG last = InterlockedExchange(&lastLow, (LONG)now);
  if (now < (DWORD)last)
    InterlockedIncrement(&wraps);
  return ((ULONGLONG)(DWORD)wraps << 32) | now;
}

static ULONGLONG WINAPI TickCount64FirstCall(void);

#ifdef _WIN64
#define IMPORT_SLOT "__imp_GetTickCount64"
#else
#define IMPORT_SLOT "__imp__GetTickCount64@0"
#endif
typedef ULONGLONG(WINAPI *TickCount64Function)(void);
TickCount64Function xp_imp_GetTickCount64 __asm__(IMPORT_SLOT) = TickCount64FirstCall;

static ULONGLONG WINAPI TickCount64FirstCall(void) {
  TickCount64Function system =
      (TickCount64Function)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                  "GetTickCount64");
  xp_imp_GetTickCount64 = system ? system : TickCountWidened;
  return xp_imp_GetTickCount64();
}
