// Add-ons removed by the real add-on window come back through the recovery
// window: browser helper objects and toolbars through the real regsvr32 and
// the add-on tests' server (which notes each registration), extension
// buttons through their registry export.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "addon_fixture.h"
#include "addons/bho_form.h"
#include "core/os_version.h"
#include "recovery/sys_recovery_form.h"
#include "support/scripted_dialogs.h"

namespace vantrel::test {
namespace {

const std::wstring kA = L"{AAAAAAAA-0000-0000-0000-0000000000A1}";
const std::wstring kC = L"{CCCCCCCC-0000-0000-0000-0000000000C1}";
const std::wstring kE = L"{EEEEEEEE-0000-0000-0000-0000000000E1}";

class Win7Host final : public ui::ToolHost {
 public:
  HWND Owner() const override { return nullptr; }
  unsigned OsFamily() const override { return kFamilyWin7; }
  bool TopMost() const override { return false; }
  std::wstring ToggleCaption() const override { return L"Vantrel ON"; }
  std::wstring ExceptSetText() const override { return L"Setup"; }
  std::wstring ExceptCancelText() const override { return L"Cancel"; }
};

class AddonRoundTrip : public AddonFixture {
 protected:
  std::vector<std::tuple<std::wstring, DWORD, std::vector<BYTE>>> ExtensionValues(HKEY root) const {
    std::vector<std::tuple<std::wstring, DWORD, std::vector<BYTE>>> out;
    platform::RegKey key;
    if (key.Open(root, std::wstring(addons::kExtensionsKey) + L"\\" + kE, KEY_READ) != ERROR_SUCCESS) return out;
    std::vector<platform::RegValue> values;
    EXPECT_EQ(key.Values(&values), ERROR_SUCCESS);
    for (const auto& v : values) out.emplace_back(v.name, v.type, v.data);
    std::sort(out.begin(), out.end());
    return out;
  }
  size_t RegisterCalls(size_t expected) const {
    auto count = [] {
      const auto lines = ReadAnsiLines(TestServerPath() + L".log");
      return static_cast<size_t>(std::count(lines.begin(), lines.end(), "register"));
    };
    for (int i = 0; i < 100 && count() < expected; ++i) ::Sleep(200);
    return count();
  }
};

TEST_F(AddonRoundTrip, AddOnsRemovedByTheAddOnWindowAreRegisteredAndImportedAgain) {
  const std::wstring server = TestServerPath();
  RegisterClass(kA, L"Helper A", server);
  AddBho(kA);
  RegisterClass(kC, L"Bar C", server);
  AddToolbarValue(kC);
  AddUninstall(L"Other", L"");  // the toolbar listing reads the uninstall entries of both views
  AddUninstall(L"Other", L"", RegistryView::Bits32);
  AddExtension(HKEY_CURRENT_USER, kE, L"Go", L"http://go.example/");
  User(std::wstring(addons::kExtensionsKey) + L"\\" + kE).WriteDword(L"Flags", 7);
  const auto before = ExtensionValues(HKEY_CURRENT_USER);
  ASSERT_EQ(before.size(), 3u);

  ScriptedDialogs dialogs;
  {
    TBHOForm removal(nullptr, L"Setup", L"Cancel", env_);
    ASSERT_TRUE(removal.Create());
    removal.btnAllCheckClick();
    dialogs.Answer(IDYES);
    removal.btnDelClick();
    ASSERT_EQ(removal.lv1->Count() + removal.lv2->Count() + removal.lv3->Count(), 0);
  }
  ASSERT_FALSE(UserKeyExists(std::wstring(addons::kExtensionsKey) + L"\\" + kE));
  ASSERT_EQ(Records(L"BHO").size(), 1u);
  ASSERT_EQ(Records(L"TOOLBAR").size(), 1u);
  ASSERT_EQ(Records(L"ICON").size(), 1u);
  ::DeleteFileW((server + L".log").c_str());

  SysRecoveryEnvironment env;
  env.store = env_.store;
  env.windows64 = true;
  env.addTask = SysRecoveryEnvironment::AddTask();
  Win7Host host;
  TSysRecoveryForm recovery(host, env);
  ASSERT_TRUE(recovery.Create());
  dialogs.messages.clear();
  for (int page : {TSysRecoveryForm::kBhoPage, TSysRecoveryForm::kToolbarPage, TSysRecoveryForm::kIconPage}) {
    SCOPED_TRACE(page);
    recovery.rzpgcntrl->SetActiveIndex(page);
    ASSERT_EQ(recovery.List(page).Count(), 1);
    recovery.btnAllCheckClick(page);
    dialogs.Answer(IDYES);
    recovery.btnRecoverClick(page);
    EXPECT_EQ(recovery.List(page).Count(), 0);
  }
  EXPECT_EQ(dialogs.messages.size(), 3u);  // the three questions, no failure

  // The server registered itself once for the helper and once for the bar.
  EXPECT_EQ(RegisterCalls(2), 2u);
  // The extension key is back under the current user with its values.
  EXPECT_EQ(ExtensionValues(HKEY_CURRENT_USER), before);
  EXPECT_FALSE(MachineKeyExists(std::wstring(addons::kExtensionsKey) + L"\\" + kE));
  EXPECT_FALSE(::GetFileAttributesW(recovery::RegistryExportPath(env_.store, kE).c_str()) != INVALID_FILE_ATTRIBUTES);
  for (const wchar_t* section : {L"BHO", L"TOOLBAR", L"ICON"}) EXPECT_TRUE(Records(section).empty()) << section;
}

// The user's and the machine's key of one extension, both removed: each has
// its own record and export, and the recovery window puts back each key.
TEST_F(AddonRoundTrip, BothKeysOfOneExtensionComeBackFromTheirOwnExports) {
  const std::wstring key = std::wstring(addons::kExtensionsKey) + L"\\" + kE;
  AddExtension(HKEY_CURRENT_USER, kE, L"Go", L"http://user.example/");
  AddExtension(HKEY_LOCAL_MACHINE, kE, L"Go", L"http://machine.example/");
  auto exec = [&](HKEY root) {
    platform::RegKey k;
    std::wstring text;
    const REGSAM view = root == HKEY_LOCAL_MACHINE ? recovery::ViewFlag(kOwnView) : 0;
    return k.Open(root, key, KEY_READ | view) == ERROR_SUCCESS && k.ReadString(L"Exec", &text) ? text : L"<none>";
  };

  ScriptedDialogs dialogs;
  {
    TBHOForm removal(nullptr, L"Setup", L"Cancel", env_);
    ASSERT_TRUE(removal.Create());
    ASSERT_EQ(removal.lv3->Count(), 2);
    removal.btnAllCheckClick();
    dialogs.Answer(IDYES);
    removal.btnDelClick();
  }
  ASSERT_EQ(exec(HKEY_CURRENT_USER), L"<none>");
  ASSERT_EQ(exec(HKEY_LOCAL_MACHINE), L"<none>");
  ASSERT_EQ(Records(L"ICON").size(), 2u);

  SysRecoveryEnvironment env;
  env.store = env_.store;
  env.windows64 = true;
  env.addTask = SysRecoveryEnvironment::AddTask();
  Win7Host host;
  TSysRecoveryForm recovery(host, env);
  ASSERT_TRUE(recovery.Create());
  recovery.rzpgcntrl->SetActiveIndex(TSysRecoveryForm::kIconPage);
  ASSERT_EQ(recovery.List(TSysRecoveryForm::kIconPage).Count(), 2);
  recovery.btnAllCheckClick(TSysRecoveryForm::kIconPage);
  dialogs.Answer(IDYES);
  recovery.btnRecoverClick(TSysRecoveryForm::kIconPage);
  EXPECT_EQ(recovery.List(TSysRecoveryForm::kIconPage).Count(), 0);

  EXPECT_EQ(exec(HKEY_CURRENT_USER), L"http://user.example/");
  EXPECT_EQ(exec(HKEY_LOCAL_MACHINE), L"http://machine.example/");
  EXPECT_TRUE(Records(L"ICON").empty());
  for (const std::wstring name : {kE, kE + L".2"})
    EXPECT_EQ(::GetFileAttributesW((env_.store.datFolder + L"\\" + name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
}

}  // namespace
}  // namespace vantrel::test
