// The three exports of Schedlet.dll (names and ordinals in schedlet.def):
// stdcall, ANSI strings in the system code page, a caller-owned buffer.
// No exception leaves them; the work is in schedlet_core.
#include <windows.h>

#include "schedlet/schedlet_core.h"

namespace sl = vantrel::schedlet;

extern "C" {

int WINAPI GetSchedletInfo(char* buffer, int bufferSize) {
  try {
    return sl::ListTasksIntoBuffer(buffer, bufferSize);
  } catch (...) {
    if (buffer && bufferSize > 0) buffer[0] = '\0';
    return sl::kStatusFailure;
  }
}

int WINAPI DeleteSchedlet(const char* taskName, const char* backupPath) {
  try {
    return sl::DeleteTaskWithBackup(taskName, backupPath);
  } catch (...) {
    return sl::kStatusFailure;
  }
}

int WINAPI AddSchedlet(const char* taskName, const char* taskXml) {
  try {
    return sl::AddTaskFromXml(taskName, taskXml);
  } catch (...) {
    return sl::kStatusFailure;
  }
}

}  // extern "C"
