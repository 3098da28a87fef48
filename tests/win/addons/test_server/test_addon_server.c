/* A minimal in-process server for the add-on tests: regsvr32 can load it
   and call its entry points, which only note the call in a file beside the
   DLL ("<dll>.log", one line per call) and change nothing else. */
#include <windows.h>

static HMODULE self;

static void Note(const char* line) {
  char path[MAX_PATH + 8];
  DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
  HANDLE file;
  DWORD written;
  if (n == 0 || n >= MAX_PATH) return;
  lstrcpyA(path + n, ".log");
  file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  WriteFile(file, line, (DWORD)lstrlenA(line), &written, NULL);
  WriteFile(file, "\r\n", 2, &written, NULL);
  CloseHandle(file);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

__declspec(dllexport) HRESULT WINAPI DllRegisterServer(void) {
  Note("register");
  return S_OK;
}

__declspec(dllexport) HRESULT WINAPI DllUnregisterServer(void) {
  Note("unregister");
  return S_OK;
}

__declspec(dllexport) HRESULT WINAPI DllCanUnloadNow(void) { return S_OK; }
