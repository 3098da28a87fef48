#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/dialogs.h"

using namespace vantrel::platform;

namespace {

HWND g_owner = nullptr;
bool g_dialogSeen = false;

// Cancels the first dialog box owned by the test's window.
void CALLBACK CancelDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = ::FindWindowW(L"#32770", nullptr);
  if (dialog && ::GetWindow(dialog, GW_OWNER) == g_owner) {
    g_dialogSeen = true;
    ::KillTimer(nullptr, timer);
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }
}

}  // namespace

// The file dialog's library is loaded on first use: the real dialog opens,
// and a cancelled one gives false and leaves the path alone.
TEST(SystemDialogs, TheOpenFileDialogOpensAndACancelGivesFalse) {
  SetDialogs(nullptr);
  g_owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(g_owner, nullptr);
  g_dialogSeen = false;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, CancelDialog);
  std::wstring path = L"unchanged";
  EXPECT_FALSE(CurrentDialogs().OpenFileName(g_owner, L"Programs (*.exe)|*.exe", &path));
  ::KillTimer(nullptr, timer);
  EXPECT_TRUE(g_dialogSeen);
  EXPECT_EQ(path, L"unchanged");
  ::DestroyWindow(g_owner);
}
