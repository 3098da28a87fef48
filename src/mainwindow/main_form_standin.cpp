// Stand-in for the main window until it is built: a plain window of the main
// window's class that answers the restore request, hides on its close box
// and closes for good on the tray menu's close command.
#include "mainwindow/main_form.h"

#include "core/app_state.h"
#include "core/helpers.h"
#include "core/start_sequence.h"

namespace vantrel {
namespace {

void BringToFront(HWND window) {
  ::ShowWindow(window, SW_HIDE);
  ::ShowWindow(window, SW_SHOW);
  ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::SetForegroundWindow(window);
}

LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case kRestoreMessage:
      BringToFront(window);
      return 0;
    case WM_CLOSE:  // the close box only hides the window
      ::ShowWindow(window, SW_HIDE);
      return 0;
    case WM_COMMAND:
      if (LOWORD(w) == kTrayPopupCloseCommand) ::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window, message, w, l);
  }
}

}  // namespace

int RunMainForm() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = StandInProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.lpszClassName = kMainWindowClass;
  if (!::RegisterClassExW(&wc)) return 0;
  const int width = 240, height = 480;
  const POINT at = CenterOnScreen(width, height);
  HWND window = ::CreateWindowExW(0, kMainWindowClass, kProgramTitle,
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, at.x, at.y, width,
                                  height, nullptr, nullptr, instance, nullptr);
  if (!window) return 0;
  ::ShowWindow(window, SW_SHOW);
  ::UpdateWindow(window);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace vantrel
