// The real Vantrel.exe: two start-up entries deleted in the start-up window
// come back through the system recovery window; with Wine set to Windows XP
// for the program the recovery window refuses its scheduler page.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/start_sequence.h"
#include "core/helpers.h"
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
const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kFirst = L"VantrelE2ERecoverOne";
const std::wstring kSecond = L"VantrelE2ERecoverTwo";

bool Korean() { return GetUiLanguage() == kKoreanLanguage; }

std::wstring UserRunValue(const std::wstring& name) {
  RegKey key;
  if (key.Open(HKEY_CURRENT_USER, kRun, KEY_READ) != ERROR_SUCCESS) return L"<no key>";
  std::wstring text;
  return key.ReadString(name, &text) ? text : L"<none>";
}

void RemoveTestEntries() {
  RegKey key;
  if (key.Open(HKEY_CURRENT_USER, kRun, KEY_ALL_ACCESS) == ERROR_SUCCESS) {
    key.DeleteValue(kFirst);
    key.DeleteValue(kSecond);
  }
  const recovery::RecoveryStore store = recovery::RecoveryStore::System();
  auto records = recovery::ReadRecoverySection(store, L"START_PROGRAM");
  const size_t before = records.size();
  records.erase(std::remove_if(records.begin(), records.end(),
                               [](const auto& r) { return !r.empty() && (r[0] == kFirst || r[0] == kSecond); }),
                records.end());
  if (records.size() != before) recovery::RewriteRecoverySection(store, L"START_PROGRAM", records);
}

int RowOf(HWND list, const std::wstring& name) {
  for (int row = 0; row < test::ListViewItemCount(list); ++row)
    if (test::ListViewItemText(list, row, 0) == name) return row;
  return -1;
}

// The visible list view of a window that lists `name`.
struct ListSearch {
  std::wstring name;
  HWND found = nullptr;
};
BOOL CALLBACK FindListWith(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<ListSearch*>(param);
  if (test::WindowClass(child) == L"SysListView32" && ::IsWindowVisible(child) && RowOf(child, search->name) >= 0) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}
HWND ListWith(HWND window, const std::wstring& name) {
  ListSearch search{name};
  ::EnumChildWindows(window, FindListWith, reinterpret_cast<LPARAM>(&search));
  return search.found;
}
BOOL CALLBACK FindTabs(HWND child, LPARAM param) {
  if (test::WindowClass(child) == L"SysTabControl32") {
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
  }
  return TRUE;
}

// The visible button of a window with this caption (each recovery page has its own).
struct ButtonSearch {
  std::wstring text;
  HWND found = nullptr;
};
BOOL CALLBACK FindVisibleButton(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<ButtonSearch*>(param);
  if (test::WindowClass(child) == L"Button" && ::IsWindowVisible(child) && test::WindowText(child) == search->text) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}
HWND VisibleButton(HWND window, const std::wstring& text) {
  ButtonSearch search{text};
  ::EnumChildWindows(window, FindVisibleButton, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool AnswerNextBox(const ChildProcess& vantrel, int answer, std::wstring* text = nullptr) {
  test::MessageBoxInfo box;
  if (!test::WaitForMessageBox(vantrel.id(), kWait, &box)) return false;
  if (text) *text = box.text;
  return test::AnswerMessageBox(box.window, answer) &&
         test::WaitUntil([&] { return !::IsWindow(box.window); }, kWait);
}

void CloseToolWindow(HWND window) {
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  test::WaitUntil([&] { return !::IsWindowVisible(window); }, kWait);
}

TEST(VantrelRecovery, TwoStartupEntriesDeletedInTheStartupWindowComeBackFromTheRecoveryWindow) {
  ASSERT_EQ(::FindWindowW(kMainWindowClass, nullptr), nullptr) << "a Vantrel main window is already open";
  RemoveTestEntries();
  {
    // The start-up window lists nothing without the machine's Run keys.
    for (REGSAM view : {REGSAM(KEY_WOW64_64KEY), REGSAM(KEY_WOW64_32KEY)}) {
      RegKey machine;
      ASSERT_EQ(machine.Create(HKEY_LOCAL_MACHINE, kRun, KEY_ALL_ACCESS | view), ERROR_SUCCESS);
    }
    RegKey user;
    ASSERT_EQ(user.Create(HKEY_CURRENT_USER, kRun, KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(user.WriteString(kFirst, L"\"C:\\nowhere\\one.exe\" /quiet"), ERROR_SUCCESS);
    ASSERT_EQ(user.WriteString(kSecond, L"two.exe"), ERROR_SUCCESS);
  }
  test::ScratchFolder program;
  const std::wstring exe = program.File(L"Vantrel.exe");
  ASSERT_TRUE(::CopyFileW((GetProgramFolder() + L"Vantrel.exe").c_str(), exe.c_str(), FALSE));
  ChildProcess vantrel = ChildProcess::Start(exe);
  HWND window = test::WaitForTopLevelWindow(kMainWindowClass, vantrel.id(), kWait, true);
  ASSERT_NE(window, nullptr);

  // The start-up window: both entries marked and deleted.
  HWND startupButton =
      test::FindChildByText(window, Korean() ? L"시작 프로그램 관리 및 초기화" : L"Clean/Manage Start program", L"Button");
  ASSERT_NE(startupButton, nullptr);
  ASSERT_TRUE(test::ClickButton(startupButton));
  HWND startup = test::WaitForTopLevelWindow(L"TStartProgramForm", vantrel.id(), kWait, true);
  ASSERT_NE(startup, nullptr);
  HWND list = ListWith(startup, kFirst);
  ASSERT_NE(list, nullptr);
  for (const std::wstring& name : {kFirst, kSecond}) {
    const int row = RowOf(list, name);
    ASSERT_GE(row, 0) << testing::PrintToString(name);
    ASSERT_TRUE(test::ClickListCell(list, row, 0));
    ASSERT_TRUE(test::WaitUntil([&] { return test::ListViewItemImage(list, row, 0) == 1; }, kWait));
  }
  ASSERT_TRUE(test::ClickButton(VisibleButton(startup, Korean() ? L"선택 항목 삭제" : L"Delete selected items")));
  ASSERT_TRUE(AnswerNextBox(vantrel, IDYES));
  ASSERT_TRUE(test::WaitUntil([&] { return UserRunValue(kFirst) == L"<none>" && UserRunValue(kSecond) == L"<none>"; },
                              kWait));
  CloseToolWindow(startup);

  // The recovery window: its first page lists both; ticked and restored.
  HWND recoveryButton =
      test::FindChildByText(window, Korean() ? L"프로세스 시스템 복원" : L"Recover Process system", L"Button");
  ASSERT_NE(recoveryButton, nullptr);
  ASSERT_TRUE(test::ClickButton(recoveryButton));
  HWND recovery = test::WaitForTopLevelWindow(L"TSysRecoveryForm", vantrel.id(), kWait, true);
  ASSERT_NE(recovery, nullptr);
  EXPECT_EQ(::GetWindow(recovery, GW_OWNER), window);
  EXPECT_EQ(test::WindowText(recovery), Korean() ? L"프로세스 시스템 복원" : L"Recover process system");
  list = ListWith(recovery, kFirst);
  ASSERT_NE(list, nullptr);
  for (const std::wstring& name : {kFirst, kSecond}) {
    const int row = RowOf(list, name);
    ASSERT_GE(row, 0) << testing::PrintToString(name);
    EXPECT_EQ(test::ListViewItemText(list, row, 3),
              L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    // A click on the row and the space bar tick it, as for the user.
    ASSERT_TRUE(test::ClickListCell(list, row, 1));
    ASSERT_TRUE(test::WaitUntil([&] { return ::SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_FOCUSED) == row; }, kWait));
    ::PostMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
    ::PostMessageW(list, WM_KEYUP, VK_SPACE, 0xC0000000);
    ASSERT_TRUE(test::WaitUntil([&] { return test::ListViewChecked(list, row); }, kWait));
  }
  ASSERT_TRUE(test::ClickButton(VisibleButton(recovery, Korean() ? L"설정 복원 후 저장" : L"Recover setup Save")));
  ASSERT_TRUE(AnswerNextBox(vantrel, IDYES));  // restore?
  std::wstring question;
  ASSERT_TRUE(AnswerNextBox(vantrel, IDNO, &question));  // run them now? no
  EXPECT_NE(question.find(Korean() ? L"시작 프로그램" : L"Start Program"), std::wstring::npos);
  EXPECT_EQ(UserRunValue(kFirst), L"\"C:\\nowhere\\one.exe\" /quiet");
  EXPECT_EQ(UserRunValue(kSecond), L"two.exe");
  EXPECT_EQ(RowOf(list, kFirst), -1);
  for (const auto& r : recovery::ReadRecoverySection(L"START_PROGRAM"))
    EXPECT_TRUE(r.empty() || (r[0] != kFirst && r[0] != kSecond)) << testing::PrintToString(r[0]);
  CloseToolWindow(recovery);

  ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(kTrayPopupCloseCommand, 0), 0);
  DWORD code = 99;
  EXPECT_TRUE(vantrel.WaitForExit(kWait, &code));
  RemoveTestEntries();
}

TEST(VantrelRecovery, UnderWindowsXpTheSchedulerPageIsRefusedWithItsMessage) {
  ASSERT_EQ(::FindWindowW(kMainWindowClass, nullptr), nullptr) << "a Vantrel main window is already open";
  test::ScratchFolder program;
  const std::wstring name = L"vtrecovery" + std::to_wstring(::GetCurrentProcessId()) + L".exe";
  const std::wstring exe = program.File(name);
  ASSERT_TRUE(::CopyFileW((GetProgramFolder() + L"Vantrel.exe").c_str(), exe.c_str(), FALSE));
  const std::wstring appKey = L"Software\\Wine\\AppDefaults\\" + name;
  {
    RegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, appKey), ERROR_SUCCESS);
    key.WriteString(L"Version", L"winxp");
  }
  ChildProcess vantrel = ChildProcess::Start(exe);
  HWND window = test::WaitForTopLevelWindow(kMainWindowClass, vantrel.id(), kWait, true);
  ASSERT_NE(window, nullptr);
  HWND recoveryButton =
      test::FindChildByText(window, Korean() ? L"프로세스 시스템 복원" : L"Recover Process system", L"Button");
  ASSERT_TRUE(test::ClickButton(recoveryButton));
  HWND recovery = test::WaitForTopLevelWindow(L"TSysRecoveryForm", vantrel.id(), kWait, true);
  ASSERT_NE(recovery, nullptr);
  HWND tabs = nullptr;
  ::EnumChildWindows(recovery, FindTabs, reinterpret_cast<LPARAM>(&tabs));
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(test::TabCount(tabs), 5);
  // The click is refused: a message box, and the first page stays.
  test::SelectTab(tabs, 1);
  std::wstring text;
  EXPECT_TRUE(AnswerNextBox(vantrel, IDOK, &text));
  EXPECT_EQ(text, Korean() ? L"\"스케줄러 복원\"은 비스타 이상에서만 사용할 수 있습니다."
                           : L"\"Recover the Scheduler\" is only available under Windows Vista or beyond.");
  EXPECT_EQ(test::SelectedTab(tabs), 0);
  EXPECT_TRUE(test::SelectTab(tabs, 2));
  CloseToolWindow(recovery);
  ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(kTrayPopupCloseCommand, 0), 0);
  EXPECT_TRUE(vantrel.WaitForExit(kWait));
  ::RegDeleteKeyW(HKEY_CURRENT_USER, appKey.c_str());
}

}  // namespace
}  // namespace vantrel
