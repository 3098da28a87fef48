#include <windows.h>

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

HWND CreateChildRoleWindow(const wchar_t* className, const wchar_t* title) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainWindowProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = className;
  ::RegisterClassW(&wc);
  return ::CreateWindowExW(0, className, title, WS_OVERLAPPEDWINDOW, 40, 40, 300, 200, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

}  // namespace

void RunClosingWindow(const wchar_t* className, const wchar_t* title, unsigned exitDelayMs) {
  CreateChildRoleWindow(className, title);
  const ULONGLONG end = ::GetTickCount64() + 30000;
  MSG msg;
  while (::GetTickCount64() < end) {
    if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) == WAIT_TIMEOUT) continue;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        if (exitDelayMs) ::Sleep(exitDelayMs);
        ::ExitProcess(7);
      }
      ::DispatchMessageW(&msg);
    }
  }
  ::ExitProcess(9);
}

void RunHungWindow(const wchar_t* className, const wchar_t* title) {
  CreateChildRoleWindow(className, title);
  ::Sleep(30000);
  ::ExitProcess(9);
}

}  // namespace vantrel::test
