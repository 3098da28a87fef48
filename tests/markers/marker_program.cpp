// A marker program for the planting tests: when it runs, it leaves a file
// "<its own path>.ran" and ends. A test plants copies of it under the names
// of system programs and checks that no copy ever ran.
#include <windows.h>

int main() {
  wchar_t path[MAX_PATH + 8] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  ::lstrcatW(path, L".ran");
  HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  ::CloseHandle(file);
  return 0;
}
