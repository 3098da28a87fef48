#include "support/registry_override.h"

#include <shlwapi.h>

#include <atomic>

namespace vantrel::test {
namespace {
std::atomic<bool> overrideActive{false};

HKEY CreateRealKey(const std::wstring& path) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return nullptr;
  return key;
}
}  // namespace

ScopedRegistryOverride::ScopedRegistryOverride() {
  if (overrideActive.exchange(true)) return;  // nested: refused, and nothing to undo
  basePath_ = L"Software\\VantrelTests\\override" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
              std::to_wstring(::GetTickCount());
  machinePath_ = basePath_ + L"\\HKLM";
  userPath_ = basePath_ + L"\\HKCU";
  machine_ = CreateRealKey(machinePath_);
  user_ = CreateRealKey(userPath_);
  if (HKEY wow = CreateRealKey(machinePath_ + L"\\Software\\Wow6432Node")) ::RegCloseKey(wow);
  if (machine_ && user_ && ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_) == ERROR_SUCCESS) {
    if (::RegOverridePredefKey(HKEY_CURRENT_USER, user_) == ERROR_SUCCESS)
      active_ = true;
    else
      ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  }
}

ScopedRegistryOverride::~ScopedRegistryOverride() {
  if (basePath_.empty()) return;  // the refused nested one
  ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  if (machine_) ::RegCloseKey(machine_);
  if (user_) ::RegCloseKey(user_);
  ::SHDeleteKeyW(HKEY_CURRENT_USER, basePath_.c_str());  // the real HKCU again
  overrideActive = false;
}

platform::RegKey ScopedRegistryOverride::Create(HKEY root, const std::wstring& path) const {
  platform::RegKey key;
  if (active_) (void)key.Create(root, path, KEY_ALL_ACCESS);
  return key;
}

}  // namespace vantrel::test
