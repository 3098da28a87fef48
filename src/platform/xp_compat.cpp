// Windows XP has no GetTickCount64, yet the threading runtime that the
// program links (its timed waits) imports it, which would stop the program
// from loading on XP at all. This definition of the import slot is linked
// into each program instead of kernel32's: it calls the system's function
// where there is one and otherwise extends GetTickCount to 64 bits by
// counting its wrap-arounds.
#include <windows.h>

namespace {

ULONGLONG WINAPI TickCount64() {
  using Fn = ULONGLONG(WINAPI*)();
  static Fn system = nullptr;
  static volatile LONG looked = 0;
  if (!looked) {
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    system = kernel ? reinterpret_cast<Fn>(::GetProcAddress(kernel, "GetTickCount64")) : nullptr;
    ::InterlockedExchange(&looked, 1);
  }
  if (system) return system();
  // High half: wrap-arounds seen so far; low half: the last tick count.
  static volatile LONGLONG state = 0;
  for (;;) {
    const LONGLONG old = state;
    DWORD wraps = static_cast<DWORD>(static_cast<ULONGLONG>(old) >> 32);
    const DWORD last = static_cast<DWORD>(old);
    const DWORD now = ::GetTickCount();
    if (now < last) ++wraps;
    const LONGLONG next = static_cast<LONGLONG>((static_cast<ULONGLONG>(wraps) << 32) | now);
    if (::InterlockedCompareExchange64(&state, next, old) == old) return static_cast<ULONGLONG>(next);
  }
}

}  // namespace

#if defined(__i386__)
extern "C" ULONGLONG(WINAPI* const vantrel_imp_GetTickCount64)() __asm__("__imp__GetTickCount64@0") = TickCount64;
#else
extern "C" ULONGLONG(WINAPI* const vantrel_imp_GetTickCount64)() __asm__("__imp_GetTickCount64") = TickCount64;
#endif
