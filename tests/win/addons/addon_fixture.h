#pragma once
// What the add-on tests share: the registry override with helpers that
// register classes, add-ons, uninstall entries and extension buttons in a
// chosen view, a scratch folder with the settings file and a recovery
// store, and the helper programs built beside the test program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addons/addon_inventory.h"
#include "addons/bho_form.h"
#include "platform/reg_key.h"
#include "recovery/recovery_store.h"
#include "support/registry_override.h"
#include "support/scratch.h"

namespace vantrel::test {

using addons::RegistryView;

inline constexpr wchar_t kTestMaker[] = L"Vantrel Addon Makers";
// The view of this test program's own bitness, where its test server is
// registered: keys the helpers below make "by default" go there in both
// builds (the inventory reads both views either way).
inline constexpr RegistryView kOwnView = sizeof(void*) == 8 ? RegistryView::Bits64 : RegistryView::Bits32;

std::wstring TestProgramPath();
// bin/addon_test/test_addon_server.dll and addon_record_args.exe.
std::wstring TestServerPath();
std::wstring RecordArgsPath();
// Lines of a UTF-8/ANSI or UTF-16 file; empty when it does not exist.
std::vector<std::string> ReadAnsiLines(const std::wstring& path);
std::vector<std::wstring> ReadWideLines(const std::wstring& path);

class AddonFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Keys in the machine's `view` (Default: kOwnView).
  platform::RegKey Machine(const std::wstring& path, RegistryView view = RegistryView::Default) const;
  platform::RegKey User(const std::wstring& path) const;
  bool MachineKeyExists(const std::wstring& path, RegistryView view = RegistryView::Default) const;
  bool UserKeyExists(const std::wstring& path) const;

  void RegisterClass(const std::wstring& clsid, const std::wstring& name, const std::wstring& server,
                     RegistryView view = RegistryView::Default) const;
  void AddBho(const std::wstring& clsid, RegistryView view = RegistryView::Default) const;
  void AddToolbarValue(const std::wstring& clsid, RegistryView view = RegistryView::Default) const;
  void AddExplorerBar(const std::wstring& clsid, RegistryView view = RegistryView::Default) const;
  void AddUninstall(const std::wstring& entry, const std::wstring& command,
                    RegistryView view = RegistryView::Default) const;
  void AddExtension(HKEY root, const std::wstring& clsid, const std::wstring& text, const std::wstring& exec) const;

  std::vector<recovery::RecoveryRecord> Records(const wchar_t* section) const;
  TBHOForm::Environment Env() const { return env_; }

  ScopedRegistryOverride registry_;
  ScratchFolder folder_;
  TBHOForm::Environment env_;
};

}  // namespace vantrel::test
