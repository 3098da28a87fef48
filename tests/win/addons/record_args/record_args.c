/* A stand-in for a toolbar's uninstaller: appends its command line (UTF-16)
   and a line break to "<exe>.args" beside itself. With "/hang" among its
   arguments it then sleeps 20 seconds before it ends. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  wchar_t path[MAX_PATH + 8];
  const wchar_t* line = GetCommandLineW();
  DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
  HANDLE file;
  DWORD written;
  (void)instance;
  (void)previous;
  (void)commandLine;
  (void)show;
  if (n == 0 || n >= MAX_PATH) return 1;
  lstrcpyW(path + n, L".args");
  file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file != INVALID_HANDLE_VALUE) {
    WriteFile(file, line, (DWORD)(lstrlenW(line) * sizeof(wchar_t)), &written, NULL);
    WriteFile(file, L"\n", sizeof(wchar_t), &written, NULL);
    CloseHandle(file);
  }
  if (wcsstr(line, L"/hang")) Sleep(20000);
  return 0;
}
