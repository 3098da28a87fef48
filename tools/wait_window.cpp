// wait_window CLASS [TIMEOUT_MS] [--close]
// Waits until a visible top-level window of the class exists (exit 0) or the
// time runs out (exit 1). With --close it then sends the window WM_CLOSE and
// waits for it to go. Used by the run and screenshot scripts.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  DWORD timeout = argc > 2 ? static_cast<DWORD>(_wtoi(argv[2])) : 30000;
  bool close = argc > 3 && wcscmp(argv[3], L"--close") == 0;
  DWORD start = GetTickCount();
  HWND window = nullptr;
  while (GetTickCount() - start < timeout) {
    window = FindWindowW(argv[1], nullptr);
    if (window && IsWindowVisible(window)) break;
    window = nullptr;
    Sleep(100);
  }
  if (!window) return 1;
  if (close) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    while (IsWindow(window) && GetTickCount() - start < timeout) Sleep(100);
    return IsWindow(window) ? 1 : 0;
  }
  return 0;
}
