// The shipped 32-bit programs carry their own GetTickCount64 import slot,
// because Windows XP exports no such function; the tests link it the same way.
#include <windows.h>

#include <gtest/gtest.h>

#ifdef _WIN64
#define IMPORT_SLOT "__imp_GetTickCount64"
#else
#define IMPORT_SLOT "__imp__GetTickCount64@0"
#endif
extern "C" ULONGLONG(WINAPI *xp_imp_GetTickCount64)(void) __asm__(IMPORT_SLOT);
// Hidden by the Windows XP API level the programs are built for.
extern "C" __declspec(dllimport) ULONGLONG WINAPI GetTickCount64(void);

TEST(XpCompat, TickCount64GoesThroughOurSlotToTheSystemFunction) {
  ULONGLONG value = GetTickCount64(); // through the import slot
  DWORD low = GetTickCount();
  auto system = reinterpret_cast<ULONGLONG(WINAPI *)(void)>(
      reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount64")));
  ASSERT_NE(system, nullptr); // Wine, like every Windows after XP, has one
  // The first call replaced the slot with the system function: the import
  // really is ours.
  EXPECT_EQ(xp_imp_GetTickCount64, system);
  EXPECT_LT(low - static_cast<DWORD>(value), 1000u);
}
