// The tweak toggle of the real Vantrel.exe with the start-up reset option on:
// after the tweak the start-up window runs invisibly, removes every entry
// that is not excluded and backs each one up in the recovery store.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/start_sequence.h"
#include "core/helpers.h"
#include "mainwindow/main_form.h"
#include "platform/reg_key.h"
#include "platform/shell_folders.h"
#include "recovery/recovery_store.h"
#include "startup/startup_inventory.h"
#include "support/process_driver.h"
#include "support/scratch.h"

namespace vantrel {
namespace {

using platform::RegKey;
using test::ChildProcess;

constexpr DWORD kWait = 20000;
const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kGo = L"VantrelE2EResetGo";
const std::wstring kKeep = L"VantrelE2EResetKeep";
const std::wstring kFile = L"VantrelE2EResetGo.txt";

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool HasRunValue(HKEY root, REGSAM view, const std::wstring& name) {
  RegKey key;
  return key.Open(root, kRun, KEY_READ | view) == ERROR_SUCCESS && key.HasValue(name);
}

// Takes this test's records out of the store again, and its payload file.
void RemoveTestRecords() {
  const recovery::RecoveryStore store = recovery::RecoveryStore::System();
  std::vector<recovery::RecoveryRecord> records = recovery::ReadRecoverySection(store, L"START_PROGRAM");
  const size_t before = records.size();
  records.erase(std::remove_if(records.begin(), records.end(),
                               [](const auto& r) { return !r.empty() && (r[0] == kGo || r[0] == kFile); }),
                records.end());
  if (records.size() != before) recovery::RewriteRecoverySection(store, L"START_PROGRAM", records);
  recovery::DeletePayloadFile(store, kFile);
}

void RemoveTestEntries(const std::wstring& startupFolder) {
  for (REGSAM view : {REGSAM(KEY_WOW64_64KEY), REGSAM(KEY_WOW64_32KEY)}) {
    RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kRun, KEY_ALL_ACCESS | view) == ERROR_SUCCESS) {
      key.DeleteValue(kGo);
      key.DeleteValue(kKeep);
    }
  }
  RegKey key;
  if (key.Open(HKEY_CURRENT_USER, kRun, KEY_ALL_ACCESS) == ERROR_SUCCESS) {
    key.DeleteValue(kGo);
    key.DeleteValue(kKeep);
  }
  if (!startupFolder.empty()) ::DeleteFileW((startupFolder + L"\\" + kFile).c_str());
}

// Presses the toggle, answers its question with Yes and closes the status view.
bool Toggle(const ChildProcess& vantrel, HWND button) {
  if (!test::ClickButton(button)) return false;
  test::MessageBoxInfo box;
  if (!test::WaitForMessageBox(vantrel.id(), kWait, &box)) return false;
  test::AnswerMessageBox(box.window, IDYES);
  HWND status = test::WaitForTopLevelWindow(L"TPingStatusForm", vantrel.id(), kWait, true);
  if (!status) return false;
  ::PostMessageW(status, WM_CLOSE, 0, 0);
  return test::WaitUntil([&] { return !::IsWindow(status); }, kWait);
}

TEST(VantrelStartupReset, TheToggleRemovesAndBacksUpEveryEntryThatIsNotExcluded) {
  ASSERT_EQ(::FindWindowW(kMainWindowClass, nullptr), nullptr) << "a Vantrel main window is already open";
  const std::wstring startupFolder = platform::ShellFolderPath(CSIDL_STARTUP);
  RemoveTestEntries(startupFolder);
  RemoveTestRecords();

  // What the prefix starts already is excluded, so that only the test's entries go.
  std::vector<std::wstring> excluded = {kKeep};
  for (const TStartupEntry& e : ListStartupEntries(TExclusionList())) excluded.push_back(e.name);
  std::wstring joined;
  for (const auto& name : excluded) joined += (joined.empty() ? L"" : L"||") + name;

  for (REGSAM view : {REGSAM(KEY_WOW64_64KEY), REGSAM(KEY_WOW64_32KEY)}) {
    RegKey key;
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, kRun, KEY_ALL_ACCESS | view), ERROR_SUCCESS);
    key.WriteString(kGo, L"go.exe");
    key.WriteString(kKeep, L"keep.exe");
  }
  RegKey user;
  ASSERT_EQ(user.Create(HKEY_CURRENT_USER, kRun, KEY_ALL_ACCESS), ERROR_SUCCESS);
  user.WriteString(kGo, L"go.exe");
  user.Close();
  bool withFile = false;
  if (!startupFolder.empty()) {
    ::CreateDirectoryW(startupFolder.c_str(), nullptr);
    HANDLE h = ::CreateFileW((startupFolder + L"\\" + kFile).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                             nullptr);
    withFile = h != INVALID_HANDLE_VALUE;
    if (withFile) ::CloseHandle(h);
  }

  test::ScratchFolder program;
  const std::wstring exe = program.File(L"Vantrel.exe");
  ASSERT_TRUE(::CopyFileW((GetProgramFolder() + L"Vantrel.exe").c_str(), exe.c_str(), FALSE));
  const std::wstring ini = program.File(L"Vantrel.ini");
  ::WritePrivateProfileStringW(L"WINDOW", L"INIT_START_PROGRAM", L"1", ini.c_str());
  ::WritePrivateProfileStringW(L"INIT_EXCEPT", L"START_PROGRAM", joined.c_str(), ini.c_str());

  ChildProcess vantrel = ChildProcess::Start(exe);
  HWND window = test::WaitForTopLevelWindow(kMainWindowClass, vantrel.id(), kWait, true);
  ASSERT_NE(window, nullptr);
  HWND button = test::FindChildByText(window, L"Vantrel Off", L"Button");
  ASSERT_NE(button, nullptr) << "the tweak is off at start";
  const bool toggled = Toggle(vantrel, button);
  EXPECT_TRUE(toggled);
  // No start-up window was ever shown.
  EXPECT_TRUE(test::TopLevelWindows(L"TStartProgramForm", vantrel.id()).empty());
  if (toggled) Toggle(vantrel, button);  // the tweak off again
  ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(kTrayPopupCloseCommand, 0), 0);
  DWORD code = 99;
  EXPECT_TRUE(vantrel.WaitForExit(kWait, &code));

  for (REGSAM view : {REGSAM(KEY_WOW64_64KEY), REGSAM(KEY_WOW64_32KEY)}) {
    EXPECT_FALSE(HasRunValue(HKEY_LOCAL_MACHINE, view, kGo)) << view;
    EXPECT_TRUE(HasRunValue(HKEY_LOCAL_MACHINE, view, kKeep)) << view;
  }
  EXPECT_FALSE(HasRunValue(HKEY_CURRENT_USER, 0, kGo));
  std::vector<std::wstring> locations;
  for (const auto& r : recovery::ReadRecoverySection(L"START_PROGRAM"))
    if (r.size() >= 4 && (r[0] == kGo || r[0] == kFile)) locations.push_back(r[0] + L" " + r[3]);
  std::sort(locations.begin(), locations.end());
  std::vector<std::wstring> expected = {kGo + L" " + std::wstring(kMachineRunLocation),
                                        kGo + L" " + std::wstring(kMachineRun64Location),
                                        kGo + L" " + std::wstring(kUserRunLocation)};
  if (withFile) {
    expected.push_back(kFile + L" STARTUP");
    EXPECT_FALSE(Exists(startupFolder + L"\\" + kFile));
    EXPECT_TRUE(Exists(recovery::StartupBackupPath(kFile)));
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(locations, expected);

  RemoveTestEntries(startupFolder);
  RemoveTestRecords();
}

// The visible list views of a window.
BOOL CALLBACK CountVisibleList(HWND child, LPARAM param) {
  if (test::WindowClass(child) == L"SysListView32" && ::IsWindowVisible(child)) ++*reinterpret_cast<int*>(param);
  return TRUE;
}
int VisibleLists(HWND window) {
  int lists = 0;
  ::EnumChildWindows(window, CountVisibleList, reinterpret_cast<LPARAM>(&lists));
  return lists;
}

// The main window's start-up button opens the window, owned by the main
// window; with Wine set to Windows XP for the program only the first list shows.
TEST(VantrelStartupWindow, OpensFromTheMainWindowWithTheTaskListOnlyFromVista) {
  ASSERT_EQ(::FindWindowW(kMainWindowClass, nullptr), nullptr) << "a Vantrel main window is already open";
  const std::wstring caption =
      GetUiLanguage() == kKoreanLanguage ? L"시작 프로그램 관리 및 초기화" : L"Clean/Manage Start program";
  for (const auto& [version, lists] : {std::pair<std::wstring, int>{L"", 2}, {L"winxp", 1}}) {
    test::ScratchFolder program;
    const std::wstring name = L"vtstartup" + std::to_wstring(::GetCurrentProcessId()) + L".exe";
    const std::wstring exe = program.File(name);
    ASSERT_TRUE(::CopyFileW((GetProgramFolder() + L"Vantrel.exe").c_str(), exe.c_str(), FALSE));
    const std::wstring appKey = L"Software\\Wine\\AppDefaults\\" + name;
    if (!version.empty()) {
      RegKey key;
      ASSERT_EQ(key.Create(HKEY_CURRENT_USER, appKey), ERROR_SUCCESS);
      key.WriteString(L"Version", version);
    }
    ChildProcess vantrel = ChildProcess::Start(exe);
    HWND window = test::WaitForTopLevelWindow(kMainWindowClass, vantrel.id(), kWait, true);
    ASSERT_NE(window, nullptr);
    HWND button = test::FindChildByText(window, caption, L"Button");
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(test::ClickButton(button));
    HWND form = test::WaitForTopLevelWindow(L"TStartProgramForm", vantrel.id(), kWait, true);
    EXPECT_NE(form, nullptr) << version;
    if (form) {
      EXPECT_EQ(::GetWindow(form, GW_OWNER), window);
      EXPECT_EQ(VisibleLists(form), lists) << version;
      ::PostMessageW(form, WM_CLOSE, 0, 0);
      test::WaitUntil([&] { return !::IsWindowVisible(form); }, kWait);
    }
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(kTrayPopupCloseCommand, 0), 0);
    DWORD code = 99;
    EXPECT_TRUE(vantrel.WaitForExit(kWait, &code));
    ::RegDeleteKeyW(HKEY_CURRENT_USER, appKey.c_str());
  }
}

}  // namespace
}  // namespace vantrel
