#include "platform/windows_bitness.h"

#include <windows.h>

namespace vantrel::platform {

namespace {

std::wstring InFolder(UINT (WINAPI* folderOf)(LPWSTR, UINT), std::wstring_view tail) {
  wchar_t buf[MAX_PATH] = {};
  const UINT n = folderOf(buf, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  return std::wstring(buf, n) + L"\\" + std::wstring(tail);
}

}  // namespace

bool RunsUnderWow64() {
  static const bool wow64 = [] {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto isWow64 = kernel ? reinterpret_cast<IsWow64ProcessFn>(::GetProcAddress(kernel, "IsWow64Process")) : nullptr;
    BOOL result = FALSE;
    return isWow64 != nullptr && isWow64(::GetCurrentProcess(), &result) && result;
  }();
  return wow64;
}

bool IsWindows64() { return sizeof(void*) == 8 || RunsUnderWow64(); }

std::wstring SystemProgramPath(std::wstring_view name, ProgramBits bits) {
#ifdef _WIN64
  if (bits == ProgramBits::Bits32) {
    std::wstring path = InFolder(::GetSystemWow64DirectoryW, name);
    if (!path.empty()) return path;
  }
#else
  if (bits == ProgramBits::Bits64) {
    std::wstring path = InFolder(::GetWindowsDirectoryW, L"Sysnative\\" + std::wstring(name));
    if (!path.empty()) return path;
  }
#endif
  return InFolder(::GetSystemDirectoryW, name);
}

}  // namespace vantrel::platform
