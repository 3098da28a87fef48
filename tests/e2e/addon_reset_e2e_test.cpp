// The add-on removal through the real Vantrel.exe: the toggle with the add-on
// reset option on (the add-on window runs invisible, backs up every add-on
// the test registered and removes it, without a question), and the add-on
// window opened from the main window removing the rows the test ticks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "addons/addon_inventory.h"
#include "core/helpers.h"
#include "core/program_names.h"
#include "mainwindow/main_form.h"
#include "platform/reg_key.h"
#include "recovery/recovery_store.h"
#include "support/process_driver.h"
#include "support/scratch.h"

namespace vantrel {
namespace {

using platform::RegKey;
using test::ChildProcess;

constexpr DWORD kWait = 20000;
constexpr wchar_t kMsmqParameters[] = L"SOFTWARE\\Microsoft\\MSMQ\\Parameters";
constexpr wchar_t kBho[] = L"{E2E0ADD0-0000-0000-0000-0000000000B1}";
constexpr wchar_t kToolbarValue[] = L"{E2E0ADD0-0000-0000-0000-0000000000B2}";
constexpr wchar_t kExplorerBar[] = L"{E2E0ADD0-0000-0000-0000-0000000000B3}";
constexpr wchar_t kExtension[] = L"{E2E0ADD0-0000-0000-0000-0000000000B4}";

std::wstring Sub(const wchar_t* base, const std::wstring& name) { return std::wstring(base) + L"\\" + name; }
std::wstring ClassKey(const std::wstring& clsid) { return std::wstring(addons::kClassesClsidKey) + clsid; }

bool KeyExists(HKEY root, const std::wstring& path) {
  RegKey key;
  return key.Open(root, path, KEY_READ) == ERROR_SUCCESS;
}

bool ToolbarValueExists(const std::wstring& name) {
  RegKey key;
  return key.Open(HKEY_LOCAL_MACHINE, addons::kToolbarKey, KEY_READ) == ERROR_SUCCESS && key.HasValue(name);
}

// The records of a section that belong to the test's add-ons.
bool IsOurs(const std::wstring& section, const recovery::RecoveryRecord& r) {
  if (section == recovery::kIconSection) return r.size() >= 3 && r[2] == kExtension;
  if (r.size() < 5) return false;
  const std::wstring id = recovery::SplitRecordIdView(r[4]).id;
  return id == kBho || id == std::wstring(L"1") + kToolbarValue || id == kExplorerBar;
}
std::vector<recovery::RecoveryRecord> OurRecords(const std::wstring& section) {
  auto records = recovery::ReadRecoverySection(section);
  records.erase(std::remove_if(records.begin(), records.end(),
                               [&](const recovery::RecoveryRecord& r) { return !IsOurs(section, r); }),
                records.end());
  return records;
}

// The test's add-ons in the machine and user registry of this prefix, a
// program folder with a copy of Vantrel.exe, and, whatever happens, the
// removal of everything the test or the program left behind: keys, records,
// export files and the tweak value.
class AddonE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::FindWindowW(kMainWindowClass, nullptr), nullptr) << "a Vantrel main window is already open";
    for (const wchar_t* base : {addons::kToolbarKey, addons::kExplorerBarsKey, addons::kUninstallKey})
      if (!KeyExists(HKEY_LOCAL_MACHINE, base)) createdMachine_.push_back(base);
    if (!KeyExists(HKEY_CURRENT_USER, addons::kExtensionsKey)) createdUserExtensions_ = true;
    exe_ = program_.File(L"Vantrel.exe");
    ASSERT_TRUE(::CopyFileW((GetProgramFolder() + L"Vantrel.exe").c_str(), exe_.c_str(), FALSE));
  }

  void TearDown() override {
    for (const wchar_t* clsid : {kBho, kToolbarValue, kExplorerBar})
      RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, ClassKey(clsid));
    RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, Sub(addons::kBhoKey, kBho));
    RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, Sub(addons::kExplorerBarsKey, kExplorerBar));
    RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, Sub(addons::kExtensionsKey, kExtension));
    RegKey::DeleteKeyTree(HKEY_CURRENT_USER, Sub(addons::kExtensionsKey, kExtension));
    {
      RegKey toolbars;
      if (toolbars.Open(HKEY_LOCAL_MACHINE, addons::kToolbarKey, platform::kKeyReadWrite) == ERROR_SUCCESS)
        toolbars.DeleteValue(kToolbarValue);
    }
    for (const wchar_t* base : createdMachine_) RegKey::DeleteKeyTree(HKEY_LOCAL_MACHINE, base);
    if (createdUserExtensions_) RegKey::DeleteKeyTree(HKEY_CURRENT_USER, addons::kExtensionsKey);

    const recovery::RecoveryStore store = recovery::RecoveryStore::System();
    for (const wchar_t* section : {recovery::kBhoSection, recovery::kToolbarSection, recovery::kIconSection}) {
      auto records = recovery::ReadRecoverySection(store, section);
      const auto kept = records.size();
      for (const auto& r : records) {
        if (section != std::wstring(recovery::kIconSection) || !IsOurs(section, r)) continue;
        const std::wstring payload = recovery::IconPayloadPath(store, r);
        if (!payload.empty()) recovery::DeletePayloadFile(store, payload.substr(payload.find_last_of(L'\\') + 1));
      }
      records.erase(std::remove_if(records.begin(), records.end(),
                                   [&](const recovery::RecoveryRecord& r) { return IsOurs(section, r); }),
                    records.end());
      if (records.size() != kept) recovery::RewriteRecoverySection(store, section, records);
    }
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kMsmqParameters, L"TCPNoDelay");
  }

  // A class whose server file does not exist: regsvr32 fails quietly.
  void RegisterClass(const std::wstring& clsid, const std::wstring& name) const {
    RegKey key;
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, ClassKey(clsid)), ERROR_SUCCESS);
    key.WriteString(L"", name);
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, ClassKey(clsid) + L"\\InprocServer32"), ERROR_SUCCESS);
    key.WriteString(L"", program_.File(L"e2e_addon.dll"));
  }
  void AddToolbars() const {
    RegisterClass(kToolbarValue, L"E2E Toolbar");
    RegisterClass(kExplorerBar, L"E2E Explorer Bar");
    RegKey key;
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, addons::kToolbarKey), ERROR_SUCCESS);
    ASSERT_EQ(key.WriteString(kToolbarValue, L""), ERROR_SUCCESS);
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, Sub(addons::kExplorerBarsKey, kExplorerBar)), ERROR_SUCCESS);
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, addons::kUninstallKey), ERROR_SUCCESS);
  }
  void AddExtensionButton() const {
    RegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, Sub(addons::kExtensionsKey, kExtension)), ERROR_SUCCESS);
    key.WriteString(L"ButtonText", L"E2E Button");
    key.WriteString(L"Exec", L"http://e2e.example/");
  }

  // The toolbar records name the two toolbars by their ids; the extension
  // button's record names its export, which holds the user's key.
  void ExpectToolbarRecords(std::vector<std::wstring> ids) const {
    std::sort(ids.begin(), ids.end());
    std::vector<std::wstring> seen;
    for (const auto& r : OurRecords(recovery::kToolbarSection)) seen.push_back(recovery::SplitRecordIdView(r[4]).id);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, ids);
  }
  void ExpectExtensionBackup() const {
    const auto icons = OurRecords(recovery::kIconSection);
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0][0], L"E2E Button");
    EXPECT_EQ(icons[0][1], L"http://e2e.example/");
    const std::wstring file = recovery::IconPayloadPath(recovery::RecoveryStore::System(), icons[0]);
    ASSERT_FALSE(file.empty());
    HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << "no export file";
    char buffer[4096] = {};
    DWORD got = 0;
    ::ReadFile(h, buffer, sizeof buffer - 1, &got, nullptr);
    ::CloseHandle(h);
    const std::string text(buffer, got);
    EXPECT_EQ(text.rfind("ROOT_KEY = HKEY_CURRENT_USER\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("\r\nButtonText = str::E2E Button\r\n"), std::string::npos) << text;
  }

  void CloseForGood(ChildProcess& vantrel, HWND window) const {
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(kTrayPopupCloseCommand, 0), 0);
    DWORD code = 99;
    ASSERT_TRUE(vantrel.WaitForExit(kWait, &code));
    EXPECT_EQ(code, 0u);
  }

  test::ScratchFolder program_;
  std::wstring exe_;
  std::vector<const wchar_t*> createdMachine_;
  bool createdUserExtensions_ = false;
};

TEST_F(AddonE2E, WithTheAddonResetOptionTheToggleBacksUpAndRemovesEveryAddon) {
  ASSERT_EQ(::RegGetValueW(HKEY_LOCAL_MACHINE, kMsmqParameters, L"TCPNoDelay", RRF_RT_ANY, nullptr, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND)
      << "the tweak is on in this prefix";
  ASSERT_TRUE(::WritePrivateProfileStringW(L"WINDOW", L"INIT_IE", L"1", program_.File(L"Vantrel.ini").c_str()));
  RegisterClass(kBho, L"E2E Helper");
  {
    RegKey key;
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, Sub(addons::kBhoKey, kBho)), ERROR_SUCCESS);
  }
  AddToolbars();
  AddExtensionButton();

  ChildProcess vantrel = ChildProcess::Start(exe_);
  HWND window = test::WaitForTopLevelWindow(kMainWindowClass, vantrel.id(), kWait, true);
  ASSERT_NE(window, nullptr);
  HWND button = test::FindChildByText(window, L"Vantrel Off", L"Button");
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(test::ClickButton(button));
  test::MessageBoxInfo box;
  ASSERT_TRUE(test::WaitForMessageBox(vantrel.id(), kWait, &box));
  test::AnswerMessageBox(box.window, IDYES);
  // The status view comes after the resets; no other question came first.
  HWND status = test::WaitForTopLevelWindow(L"TPingStatusForm", vantrel.id(), kWait, true);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(::FindWindowW(L"TBHOForm", nullptr), nullptr);

  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Sub(addons::kBhoKey, kBho))) << "the helper object was not removed";
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, ClassKey(kBho))) << "the class registration stays";
  EXPECT_FALSE(ToolbarValueExists(kToolbarValue));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Sub(addons::kExplorerBarsKey, kExplorerBar)));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Sub(addons::kExtensionsKey, kExtension)));
  const auto bho = OurRecords(recovery::kBhoSection);
  ASSERT_EQ(bho.size(), 1u) << "no backup record";
  EXPECT_EQ(bho[0][0], L"E2E Helper");
  EXPECT_EQ(bho[0][2], L"e2e_addon.dll");
  ExpectToolbarRecords({kExplorerBar, std::wstring(L"1") + kToolbarValue});
  ExpectExtensionBackup();

  ::PostMessageW(status, WM_CLOSE, 0, 0);
  test::WaitUntil([&] { return !::IsWindow(status); }, kWait);

  // Off again, so that the prefix keeps no tweak values.
  ASSERT_TRUE(test::ClickButton(button));
  ASSERT_TRUE(test::WaitForMessageBox(vantrel.id(), kWait, &box));
  test::AnswerMessageBox(box.window, IDYES);
  status = test::WaitForTopLevelWindow(L"TPingStatusForm", vantrel.id(), kWait, true);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(test::WindowText(button), L"Vantrel Off");
  ::PostMessageW(status, WM_CLOSE, 0, 0);
  test::WaitUntil([&] { return !::IsWindow(status); }, kWait);
  CloseForGood(vantrel, window);
}

// The add-on window's three lists, top to bottom.
BOOL CALLBACK CollectList(HWND child, LPARAM out) {
  if (test::WindowClass(child) == L"SysListView32") reinterpret_cast<std::vector<HWND>*>(out)->push_back(child);
  return TRUE;
}
std::vector<HWND> ListsTopToBottom(HWND form) {
  std::vector<HWND> lists;
  ::EnumChildWindows(form, CollectList, reinterpret_cast<LPARAM>(&lists));
  std::sort(lists.begin(), lists.end(), [](HWND a, HWND b) {
    RECT ra{}, rb{};
    ::GetWindowRect(a, &ra);
    ::GetWindowRect(b, &rb);
    return ra.top < rb.top;
  });
  return lists;
}
int RowOf(HWND list, const std::wstring& text) {
  for (int i = 0; i < test::ListViewItemCount(list); ++i)
    if (test::ListViewItemText(list, i, 0) == text) return i;
  return -1;
}

// Opened from the main window: a click on a row's first cell ticks it, and
// "Delete checked item" removes the ticked toolbar and extension button after
// the one confirmation, with their backups; the unticked toolbar stays.
TEST_F(AddonE2E, TheAddonWindowFromTheMainWindowRemovesTheTickedRows) {
  AddToolbars();
  AddExtensionButton();
  const bool korean = GetUiLanguage() == kKoreanLanguage;

  ChildProcess vantrel = ChildProcess::Start(exe_);
  HWND window = test::WaitForTopLevelWindow(kMainWindowClass, vantrel.id(), kWait, true);
  ASSERT_NE(window, nullptr);
  HWND open = test::FindChildByText(window, korean ? L"익스플로러 초기화" : L"Clean Internet browser", L"Button");
  ASSERT_NE(open, nullptr);
  ASSERT_TRUE(test::ClickButton(open));
  HWND form = test::WaitForTopLevelWindow(L"TBHOForm", vantrel.id(), kWait, true);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(::GetWindow(form, GW_OWNER), window);
  const auto lists = ListsTopToBottom(form);
  ASSERT_EQ(lists.size(), 3u);
  HWND toolbars = lists[1], extensions = lists[2];
  const int toolbar = RowOf(toolbars, L"E2E Toolbar");
  const int bar = RowOf(toolbars, L"E2E Explorer Bar");
  const int button = RowOf(extensions, L"E2E Button");
  ASSERT_GE(toolbar, 0);
  ASSERT_GE(bar, 0);
  ASSERT_GE(button, 0);
  EXPECT_EQ(test::ListViewItemText(extensions, button, 3), kExtension);

  ASSERT_TRUE(test::ClickListCell(toolbars, toolbar, 0));
  ASSERT_TRUE(test::ClickListCell(extensions, button, 0));
  EXPECT_TRUE(test::WaitUntil([&] { return test::ListViewItemImage(toolbars, toolbar, 0) == 1; }, kWait));
  EXPECT_TRUE(test::WaitUntil([&] { return test::ListViewItemImage(extensions, button, 0) == 1; }, kWait));
  EXPECT_EQ(test::ListViewItemImage(toolbars, bar, 0), 0);

  HWND del = test::FindChildByText(form, korean ? L"선택 항목 삭제" : L"Delete checked item", L"Button");
  ASSERT_NE(del, nullptr);
  ASSERT_TRUE(test::ClickButton(del));
  test::MessageBoxInfo box;
  ASSERT_TRUE(test::WaitForMessageBox(vantrel.id(), kWait, &box));
  EXPECT_EQ(box.caption, test::WindowText(form));
  test::AnswerMessageBox(box.window, IDYES);
  EXPECT_TRUE(test::WaitUntil([&] { return RowOf(extensions, L"E2E Button") < 0; }, kWait));
  EXPECT_TRUE(test::WaitUntil([&] { return RowOf(toolbars, L"E2E Toolbar") < 0; }, kWait));
  EXPECT_GE(RowOf(toolbars, L"E2E Explorer Bar"), 0);

  EXPECT_FALSE(ToolbarValueExists(kToolbarValue));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, Sub(addons::kExplorerBarsKey, kExplorerBar)));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Sub(addons::kExtensionsKey, kExtension)));
  ExpectToolbarRecords({std::wstring(L"1") + kToolbarValue});
  ExpectExtensionBackup();

  ::PostMessageW(form, WM_CLOSE, 0, 0);
  EXPECT_TRUE(test::WaitUntil([&] { return !::IsWindow(form); }, kWait));
  CloseForGood(vantrel, window);
}

}  // namespace
}  // namespace vantrel
