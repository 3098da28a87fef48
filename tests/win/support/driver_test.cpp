// The process driver against a small target window in a child process: a
// button that asks a Yes/No question, and a report list.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "support/child_role.h"
#include "support/process_driver.h"

namespace vantrel::test {
namespace {

constexpr int kAskButton = 101;
constexpr int kList = 102;
constexpr const wchar_t* kTargetClass = L"VantrelDriverTarget";

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_COMMAND && LOWORD(w) == kAskButton) {
    const int answer = ::MessageBoxW(window, L"Delete the entry?", L"Driver target", MB_YESNO);
    ::ExitProcess(static_cast<UINT>(answer));
  }
  if (message == WM_DESTROY) ::PostQuitMessage(0);
  return ::DefWindowProcW(window, message, w, l);
}

void AddRow(HWND list, int index, const wchar_t* first, const wchar_t* second) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = const_cast<wchar_t*>(first);
  ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  item.iSubItem = 1;
  item.pszText = const_cast<wchar_t*>(second);
  ::SendMessageW(list, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
}

[[noreturn]] void DriverTarget() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&icc);
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = TargetProc;
  wc.hInstance = instance;
  wc.lpszClassName = kTargetClass;
  ::RegisterClassW(&wc);
  HWND window = ::CreateWindowExW(0, kTargetClass, L"target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 400, 300,
                                  nullptr, nullptr, instance, nullptr);
  ::CreateWindowExW(0, L"BUTTON", L"&Ask", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 80, 24, window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAskButton)), instance, nullptr);
  HWND list = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 10, 40, 360, 200, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kList)), instance, nullptr);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = 150;
  column.pszText = const_cast<wchar_t*>(L"Name");
  ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  column.pszText = const_cast<wchar_t*>(L"Path");
  ::SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
  AddRow(list, 0, L"Alpha", L"C:\\alpha.exe");
  AddRow(list, 1, L"시작 프로그램", L"");
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  ::ExitProcess(0);
}

[[maybe_unused]] const int kRole = [] {
  if (ChildRole() == L"driver-target") DriverTarget();
  return 0;
}();

ChildProcess StartTarget() {
  return ChildProcess::Start(OwnExePath(), std::wstring(kChildRoleSwitch) + L"driver-target");
}

TEST(ProcessDriver, ReadsAListViewOfAnotherProcess) {
  ChildProcess target = StartTarget();
  HWND window = WaitForTopLevelWindow(kTargetClass, target.id(), 20000, true);
  ASSERT_NE(window, nullptr);
  HWND list = WaitForChildById(window, kList, 5000);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(WindowClass(list), L"SysListView32");
  ASSERT_TRUE(WaitUntil([&] { return ListViewItemCount(list) == 2; }, 5000));
  const auto rows = ListViewRows(list, 2);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (std::vector<std::wstring>{L"Alpha", L"C:\\alpha.exe"}));
  EXPECT_EQ(rows[1], (std::vector<std::wstring>{L"시작 프로그램", L""}));
  EXPECT_EQ(ListViewItemText(list, 5, 0), L"");  // no such row
}

TEST(ProcessDriver, PressesAButtonAndAnswersTheQuestion) {
  for (int answer : {IDYES, IDNO}) {
    SCOPED_TRACE(answer);
    ChildProcess target = StartTarget();
    HWND window = WaitForTopLevelWindow(kTargetClass, target.id(), 20000, true);
    ASSERT_NE(window, nullptr);
    HWND button = WaitForChildByText(window, L"&Ask", 5000, L"Button");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button, FindChildById(window, kAskButton));
    ASSERT_TRUE(ClickButton(button));
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(target.id(), 20000, &box));
    EXPECT_EQ(box.caption, L"Driver target");
    EXPECT_EQ(box.text, L"Delete the entry?");
    ASSERT_TRUE(AnswerMessageBox(box.window, answer));
    DWORD code = 0;
    ASSERT_TRUE(target.WaitForExit(20000, &code));
    EXPECT_EQ(code, static_cast<DWORD>(answer));
  }
}

TEST(ProcessDriver, EndsAProcessTreeAtTheEnd) {
  DWORD grandChild = 0;
  {
    // cmd starts a copy of this program that would live for 30 s.
    ChildProcess shell = ChildProcess::Start(L"C:\\windows\\system32\\cmd.exe",
                                             L"/c \"\"" + OwnExePath() + L"\" " + kChildRoleSwitch + L"driver-target\"");
    ASSERT_TRUE(shell.valid());
    HWND window = WaitForTopLevelWindow(kTargetClass, 0, 20000, true);
    ASSERT_NE(window, nullptr);
    ::GetWindowThreadProcessId(window, &grandChild);
    ASSERT_NE(grandChild, shell.id());
  }  // the shell and the program it started end here
  HANDLE h = ::OpenProcess(SYNCHRONIZE, FALSE, grandChild);
  if (h) {
    EXPECT_EQ(::WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    ::CloseHandle(h);
  }
  EXPECT_TRUE(TopLevelWindows(kTargetClass, 0).empty());
}

}  // namespace
}  // namespace vantrel::test
