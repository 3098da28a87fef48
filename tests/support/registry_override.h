#pragma once
// Redirects HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this process into
// scratch keys for the lifetime of the object (RegOverridePredefKey), so an
// in-process test can let the code under test read, write and delete
// "HKLM\Software\...\Run" and the like without touching the real keys.
//
//   TEST(Inventory, ListsBothRunKeys) {
//     vantrel::test::ScopedRegistryOverride registry;   // HKLM and HKCU now empty
//     registry.Create(HKEY_LOCAL_MACHINE, L"Software\\...\\Run").WriteString(L"a", L"x");
//     ... code under test opens HKEY_LOCAL_MACHINE as usual ...
//   }                                                    // redirection undone, scratch deleted
//
// Rules:
// - Both roots start empty: a key the code under test expects must be made
//   by the test (Create below, or RegKey::Create on the predefined handle).
// - Only this process is redirected, and only the predefined handles
//   HKEY_LOCAL_MACHINE / HKEY_CURRENT_USER (and HKEY_CLASSES_ROOT does NOT
//   follow: it stays the real one). Child processes (wine reg, the
//   programs of end-to-end tests) see the real registry.
// - HKLM gets "Software\Wow6432Node" as on 64-bit Windows, so that opening
//   with KEY_WOW64_32KEY reaches a key of its own where the system's
//   redirection supports it (Wine's does; see registry_override_test).
// - Handles opened while the override is active keep pointing into the
//   scratch keys; close them before the object goes.
// - One override at a time; nesting is refused (active() is false).
// - Where the scratch lives: below the real HKCU\Software\VantrelTests, like
//   ScratchRegistryKey, removed with its tree at the end.
#include <windows.h>

#include <string>

#include "platform/reg_key.h"

namespace vantrel::test {

class ScopedRegistryOverride {
 public:
  ScopedRegistryOverride();
  ~ScopedRegistryOverride();
  ScopedRegistryOverride(const ScopedRegistryOverride&) = delete;
  ScopedRegistryOverride& operator=(const ScopedRegistryOverride&) = delete;

  // True when both roots are redirected.
  bool active() const { return active_; }

  // Creates (or opens) `path` below the redirected `root` with full access.
  // An invalid key when it cannot.
  platform::RegKey Create(HKEY root, const std::wstring& path) const;

  // Where the redirected roots really are, below the real HKEY_CURRENT_USER
  // (for a look from outside the redirection, e.g. with wine reg).
  const std::wstring& machinePath() const { return machinePath_; }
  const std::wstring& userPath() const { return userPath_; }

 private:
  bool active_ = false;
  std::wstring basePath_, machinePath_, userPath_;
  HKEY machine_ = nullptr;
  HKEY user_ = nullptr;
};

}  // namespace vantrel::test
