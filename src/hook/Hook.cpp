// Movaro.dll, the input hook library. StartHook(hookType, window) installs a
// system-wide keyboard (type 2) or mouse (type 7) hook that posts one
// notification per input event to the window; StopHook(hookType) removes it.
// Both return non-zero on success.
//
// The hook types and notifications are those of platform/HookProtocol.h.
//
// How: low-level hooks (WH_KEYBOARD_LL, WH_MOUSE_LL) rather than the classic
// WH_KEYBOARD/WH_MOUSE. The classic hooks load this DLL into every process
// that receives input, which fails across the 32/64-bit boundary (a 32-bit
// DLL cannot enter 64-bit processes, so their input would go uncounted) and
// puts our code at risk inside other programs. Low-level hooks see all input
// of the desktop before it is delivered, without any injection.
//
// Where: the system calls a low-level hook procedure on the thread that
// installed the hook, by a message to that thread, and holds back the user's
// input until it returns. If the main window's thread installed the hooks,
// every keystroke would wait for the window to finish whatever it is doing
// (loading a file, showing a dialog), and a hook that keeps the system
// waiting too long is silently removed. So the hooks live on a thread of
// their own that does nothing but run the hook procedures, each of which only
// posts a message and returns; the window counts the posted messages when it
// gets to them.
#include "platform/HookProtocol.h"

#include <windows.h>

namespace {

// Thread messages to the hook thread; lParam points at a TCommand.
constexpr UINT kInstallCommand = WM_APP + 1;
constexpr UINT kRemoveCommand = WM_APP + 2;

struct TCommand {
  int HookType = 0;
  BOOL Result = FALSE;
  HANDLE Done = nullptr;
};

HINSTANCE g_module = nullptr;
CRITICAL_SECTION g_lock; // StartHook/StopHook against each other
HANDLE g_thread = nullptr;
DWORD g_threadId = 0;

// Owned by the hook thread, except that the target windows are also written
// by StartHook before the hook exists.
HHOOK g_keyboardHook = nullptr, g_mouseHook = nullptr;
HWND volatile g_keyboardWindow = nullptr, g_mouseWindow = nullptr;
bool g_keyDown[256];

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const KBDLLHOOKSTRUCT *key = reinterpret_cast<const KBDLLHOOKSTRUCT *>(lParam);
    BYTE vk = static_cast<BYTE>(key->vkCode);
    bool released = (key->flags & LLKHF_UP) != 0;
    bool wasDown = g_keyDown[vk];
    g_keyDown[vk] = !released;
    DWORD flags = 1 | (key->scanCode & 0xFF) << 16;
    if (key->flags & LLKHF_EXTENDED)
      flags |= 1u << 24;
    if (key->flags & LLKHF_ALTDOWN)
      flags |= 1u << 29;
    if (released || wasDown)
      flags |= 1u << 30;
    if (released)
      flags |= 1u << 31;
    if (HWND window = g_keyboardWindow)
      PostMessageA(window, kKeyboardNotification, vk, static_cast<LPARAM>(flags));
  }
  (void)wParam;
  return CallNextHookEx(g_keyboardHook, code, wParam, lParam);
}

LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const MSLLHOOKSTRUCT *mouse = reinterpret_cast<const MSLLHOOKSTRUCT *>(lParam);
    if (HWND window = g_mouseWindow)
      PostMessageA(window, kMouseNotification, wParam,
                   MAKELPARAM(static_cast<WORD>(mouse->pt.x), static_cast<WORD>(mouse->pt.y)));
  }
  return CallNextHookEx(g_mouseHook, code, wParam, lParam);
}

void Execute(UINT command, TCommand &job) {
  bool keyboard = job.HookType == kKeyboardHook;
  HHOOK &hook = keyboard ? g_keyboardHook : g_mouseHook;
  if (command == kInstallCommand) {
    if (!hook) {
      if (keyboard)
        ZeroMemory(g_keyDown, sizeof g_keyDown);
      hook = SetWindowsHookExA(keyboard ? WH_KEYBOARD_LL : WH_MOUSE_LL,
                               keyboard ? KeyboardProc : MouseProc, g_module, 0);
    }
    job.Result = hook != nullptr;
  } else {
    job.Result = hook && UnhookWindowsHookEx(hook);
    if (job.Result)
      hook = nullptr;
  }
}

DWORD WINAPI HookThread(LPVOID ready) {
  // Holds the library in memory for as long as the thread runs, so a caller
  // that frees it early does not pull the code from under the hooks.
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                     reinterpret_cast<LPCSTR>(&HookThread), &self);
  MSG message;
  PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE); // make the queue
  SetEvent(static_cast<HANDLE>(ready));
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == nullptr &&
        (message.message == kInstallCommand || message.message == kRemoveCommand)) {
      TCommand &job = *reinterpret_cast<TCommand *>(message.lParam);
      Execute(message.message, job);
      SetEvent(job.Done);
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  HHOOK *hooks[] = {&g_keyboardHook, &g_mouseHook};
  for (HHOOK *hook : hooks)
    if (*hook) {
      UnhookWindowsHookEx(*hook);
      *hook = nullptr;
    }
  if (self)
    FreeLibraryAndExitThread(self, 0);
  return 0;
}

bool EnsureThread() {
  if (g_thread)
    return true;
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!ready)
    return false;
  g_thread = CreateThread(nullptr, 0, HookThread, ready, 0, &g_threadId);
  if (g_thread) {
    HANDLE waits[2] = {ready, g_thread};
    if (WaitForMultipleObjects(2, waits, FALSE, 10000) != WAIT_OBJECT_0) {
      CloseHandle(g_thread);
      g_thread = nullptr;
    }
  }
  CloseHandle(ready);
  return g_thread != nullptr;
}

BOOL RunOnHookThread(UINT command, int hookType) {
  TCommand job;
  job.HookType = hookType;
  job.Done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!job.Done)
    return FALSE;
  BOOL result = FALSE;
  if (PostThreadMessageA(g_threadId, command, 0, reinterpret_cast<LPARAM>(&job))) {
    HANDLE waits[2] = {job.Done, g_thread};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0)
      result = job.Result;
  }
  CloseHandle(job.Done);
  return result;
}

void EndThreadWhenIdle() {
  if (!g_thread || g_keyboardHook || g_mouseHook)
    return;
  PostThreadMessageA(g_threadId, WM_QUIT, 0, 0);
  WaitForSingleObject(g_thread, 5000);
  CloseHandle(g_thread);
  g_thread = nullptr;
  g_threadId = 0;
}

bool KnownType(int hookType) {
  return hookType == kKeyboardHook || hookType == kMouseHook;
}

} // namespace

extern "C" {

__declspec(dllexport) int __cdecl StartHook(int hookType, HWND window) {
  if (!KnownType(hookType) || !IsWindow(window))
    return 0;
  EnterCriticalSection(&g_lock);
  (hookType == kKeyboardHook ? g_keyboardWindow : g_mouseWindow) = window;
  BOOL installed = EnsureThread() && RunOnHookThread(kInstallCommand, hookType);
  if (!installed)
    EndThreadWhenIdle();
  LeaveCriticalSection(&g_lock);
  return installed ? 1 : 0;
}

__declspec(dllexport) int __cdecl StopHook(int hookType) {
  if (!KnownType(hookType))
    return 0;
  EnterCriticalSection(&g_lock);
  BOOL removed = g_thread && RunOnHookThread(kRemoveCommand, hookType);
  if (removed)
    (hookType == kKeyboardHook ? g_keyboardWindow : g_mouseWindow) = nullptr;
  EndThreadWhenIdle();
  LeaveCriticalSection(&g_lock);
  return removed ? 1 : 0;
}

} // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    InitializeCriticalSection(&g_lock);
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    DeleteCriticalSection(&g_lock);
  }
  return TRUE;
}
