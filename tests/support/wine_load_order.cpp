#include "support/wine_load_order.h"

#include <windows.h>

namespace vantrel::test {

ScopedNativeFirst::ScopedNativeFirst(const std::wstring& program, const std::vector<std::wstring>& libraries)
    : key_(L"Software\\Wine\\AppDefaults\\" + program + L"\\DllOverrides"), names_(libraries) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  const wchar_t order[] = L"native,builtin";
  set_ = true;
  for (const std::wstring& name : names_)
    set_ = ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof order) ==
               ERROR_SUCCESS &&
           set_;
  ::RegCloseKey(key);
}

ScopedNativeFirst::~ScopedNativeFirst() {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  for (const std::wstring& name : names_) ::RegDeleteValueW(key, name.c_str());
  ::RegCloseKey(key);
}

}  // namespace vantrel::test
