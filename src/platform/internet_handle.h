#pragma once
// Owner of one WinINet handle (session, connection or request).
#include <windows.h>
#include <wininet.h>

#include "platform/unique_handle.h"

namespace vantrel::platform {

struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::InternetCloseHandle(h); }
};
using InternetHandle = ScopedHandle<InternetHandleTraits>;

}  // namespace vantrel::platform
