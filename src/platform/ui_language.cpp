#include "platform/ui_language.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "platform/reg_key.h"

namespace vantrel::platform {
namespace {

// A DWORD stored as a number, or as hexadecimal text ("00000412").
bool ReadLocaleNumber(const RegKey& key, const wchar_t* name, DWORD* out) {
  if (key.ReadDword(name, out)) return true;
  std::wstring text;
  if (!key.ReadString(name, &text) || text.empty()) return false;
  wchar_t* end = nullptr;
  const unsigned long value = std::wcstoul(text.c_str(), &end, 16);
  if (end == text.c_str()) return false;
  *out = static_cast<DWORD>(value);
  return true;
}

uint16_t LanguageFromRegistry(const wchar_t* path, const wchar_t* name) {
  RegKey key;
  if (key.Open(HKEY_USERS, path, KEY_READ) != ERROR_SUCCESS) return 0;
  DWORD value = 0;
  if (!ReadLocaleNumber(key, name, &value)) return 0;
  return static_cast<uint16_t>(value & 0xFFFF);
}

}  // namespace

uint16_t QueryUiLanguage() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!::GetVersionExW(&info)) return 0;
  if (info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 5) {
    // kernel32 is always loaded: take it by handle, never load a copy by name.
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (!kernel) return 0;
    using Query = LANGID(WINAPI*)();
    auto query = reinterpret_cast<Query>(::GetProcAddress(kernel, "GetUserDefaultUILanguage"));
    return query ? static_cast<uint16_t>(query()) : 0;
  }
  if (info.dwPlatformId == VER_PLATFORM_WIN32_NT)
    return LanguageFromRegistry(L".Default\\Control Panel\\desktop\\International", L"Locale");
  return LanguageFromRegistry(L".Default\\Control Panel\\desktop\\ResourceLocale", L"");
}

}  // namespace vantrel::platform
