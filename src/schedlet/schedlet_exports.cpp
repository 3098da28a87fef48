#include <windows.h>

extern "C" {
int WINAPI GetSchedletInfo(char* buffer, int bufferSize) {
  if (buffer != nullptr && bufferSize > 0) buffer[0] = '\0';
  return -3;
}
int WINAPI DeleteSchedlet(const char*, const char*) { return -3; }
int WINAPI AddSchedlet(const char*, const char*) { return -3; }
}
