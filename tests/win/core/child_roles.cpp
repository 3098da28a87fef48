// Helper roles of this test program when a test starts a copy of it.
#include <windows.h>

#include "core/helpers.h"
#include "support/child_role.h"

namespace vantrel::test {
namespace {

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, w, l);
}

HWND CreateTestWindow(const wchar_t* className) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainWindowProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = className;
  ::RegisterClassW(&wc);
  return ::CreateWindowExW(0, className, L"test window", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

// A window that closes when asked; the process ends by itself with code 7
// afterwards, so that a test can tell it was not ended from outside.
[[noreturn]] void ClosingWindow() {
  CreateTestWindow(L"VantrelTestClosing");
  MSG msg;
  const ULONGLONG end = ::GetTickCount64() + 30000;
  while (::GetTickCount64() < end) {
    if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) == WAIT_TIMEOUT) continue;
    bool quit = false;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) quit = true;
      ::DispatchMessageW(&msg);
    }
    if (quit) {
      ::Sleep(300);
      ::ExitProcess(7);
    }
  }
  ::ExitProcess(9);
}

// A window whose thread stops handling messages.
[[noreturn]] void HungWindow() {
  CreateTestWindow(L"VantrelTestHung");
  ::Sleep(30000);
  ::ExitProcess(9);
}

int RunChildRole() {
  const std::wstring role = ChildRole();
  if (role.empty()) return 0;
  if (role == L"closing-window") ClosingWindow();
  if (role == L"hung-window") HungWindow();
  if (role == L"os-version") ::ExitProcess(static_cast<UINT>(GetOsVersionCode()));
  ::ExitProcess(255);
}

[[maybe_unused]] const int kChildRoleDone = RunChildRole();

}  // namespace
}  // namespace vantrel::test
