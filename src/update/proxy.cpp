#include "update/proxy.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

#include "platform/wininet_api.h"

namespace vantrel {
namespace {

struct ProxyCache {
  bool filled = false;
  TProxySetting setting;
};
// Used by one thread at a time in each program.
ProxyCache& Cache() {
  static ProxyCache cache;
  return cache;
}

}  // namespace

TProxySetting DetectProxy(const std::string& protocol) {
  ProxyCache& cache = Cache();
  if (cache.filled) return cache.setting;
  TProxySetting setting;
  // Bound at run time, from the system folder only.
  const platform::WinInetFunctions& api = platform::WinInetApi();
  if (!api.complete()) return setting;
  const auto query = api.internetQueryOptionA;

  std::vector<BYTE> buffer(4096);
  DWORD size = static_cast<DWORD>(buffer.size());
  if (query(nullptr, INTERNET_OPTION_PROXY, buffer.data(), &size) && size >= sizeof(INTERNET_PROXY_INFO)) {
    const auto* info = reinterpret_cast<const INTERNET_PROXY_INFO*>(buffer.data());
    if (info->dwAccessType == INTERNET_OPEN_TYPE_PROXY && info->lpszProxy) {
      // The text lies inside the buffer; never read past its end.
      const char* begin = reinterpret_cast<const char*>(info->lpszProxy);
      const char* bufferEnd = reinterpret_cast<const char*>(buffer.data()) + buffer.size();
      const char* inside = reinterpret_cast<const char*>(buffer.data());
      if (begin >= inside && begin < bufferEnd) {
        const char* end = begin;
        while (end < bufferEnd && *end) ++end;
        setting = SelectProxy(std::string(begin, end), protocol);
      }
    }
  }
  cache.setting = setting;
  cache.filled = true;
  return setting;
}

void ResetProxyCacheForTesting() { Cache() = ProxyCache{}; }

}  // namespace vantrel
