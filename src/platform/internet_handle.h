#pragma once
// Owner of one WinINet handle (session, connection or request), closed
// through the run-time bound WinINet functions that opened it.
#include <windows.h>
#include <wininet.h>

#include "platform/unique_handle.h"
#include "platform/wininet_api.h"

namespace vantrel::platform {

struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) {
    if (const auto close = WinInetApi().internetCloseHandle) close(h);
  }
};
using InternetHandle = ScopedHandle<InternetHandleTraits>;

}  // namespace vantrel::platform
