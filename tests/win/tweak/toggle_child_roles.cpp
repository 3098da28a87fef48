// Helper roles of this test program when a test starts a copy of it: stand-ins
// for Internet Explorer, a frame window of class "IEFrame" that closes when
// asked or one whose thread has stopped handling messages.
#include <windows.h>

#include "support/child_role.h"

namespace vantrel::test {
namespace {

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, w, l);
}

HWND CreateFrame() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"IEFrame";
  ::RegisterClassW(&wc);
  return ::CreateWindowExW(0, wc.lpszClassName, L"Internet Explorer stand-in", WS_OVERLAPPEDWINDOW, 40, 40, 300, 200,
                           nullptr, nullptr, wc.hInstance, nullptr);
}

// Closes when asked and then ends by itself with code 7, so that a test can
// tell it was not ended from outside. Gives up after 30 s (code 9).
[[noreturn]] void ClosingFrame() {
  CreateFrame();
  const ULONGLONG end = ::GetTickCount64() + 30000;
  MSG msg;
  while (::GetTickCount64() < end) {
    if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) == WAIT_TIMEOUT) continue;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) ::ExitProcess(7);
      ::DispatchMessageW(&msg);
    }
  }
  ::ExitProcess(9);
}

// Never handles a message after its window is made.
[[noreturn]] void HungFrame() {
  CreateFrame();
  ::Sleep(30000);
  ::ExitProcess(9);
}

int RunChildRole() {
  const std::wstring role = ChildRole();
  if (role.empty()) return 0;
  if (role == L"ie-frame") ClosingFrame();
  if (role == L"hung-ie-frame") HungFrame();
  ::ExitProcess(255);
}

[[maybe_unused]] const int kChildRoleDone = RunChildRole();

}  // namespace
}  // namespace vantrel::test
