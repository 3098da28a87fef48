/* A small in-process server for the ActiveX tests. It serves no class; its
   unregistration leaves a file "<its own path>.unregistered", so a test can
   tell that "regsvr32 /u" ran on exactly this file. */
#include <windows.h>

static HMODULE self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

HRESULT WINAPI DllRegisterServer(void) { return S_OK; }

HRESULT WINAPI DllUnregisterServer(void) {
  WCHAR path[MAX_PATH + 16];
  DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
  HANDLE file;
  if (n == 0 || n >= MAX_PATH) return E_FAIL;
  lstrcatW(path, L".unregistered");
  file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return E_FAIL;
  CloseHandle(file);
  return S_OK;
}

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
  (void)clsid;
  (void)iid;
  if (out) *out = NULL;
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT WINAPI DllCanUnloadNow(void) { return S_OK; }
