#include "platform/wininet_api.h"

#include "platform/library_search.h"

namespace vantrel::platform {

namespace {

template <typename Fn>
bool Bind(HMODULE module, const char* name, Fn* out) {
  *out = reinterpret_cast<Fn>(::GetProcAddress(module, name));
  return *out != nullptr;
}

}  // namespace

WinInetFunctions BindWinInet(HMODULE module) {
  WinInetFunctions f;
  if (!module) return f;
  const bool all = Bind(module, "InternetOpenW", &f.internetOpen) &&
                   Bind(module, "InternetConnectW", &f.internetConnect) &&
                   Bind(module, "HttpOpenRequestW", &f.httpOpenRequest) &&
                   Bind(module, "HttpSendRequestW", &f.httpSendRequest) &&
                   Bind(module, "HttpQueryInfoW", &f.httpQueryInfo) &&
                   Bind(module, "InternetReadFile", &f.internetReadFile) &&
                   Bind(module, "InternetSetOptionW", &f.internetSetOption) &&
                   Bind(module, "InternetQueryOptionA", &f.internetQueryOptionA) &&
                   Bind(module, "InternetCrackUrlW", &f.internetCrackUrl) &&
                   Bind(module, "InternetCombineUrlW", &f.internetCombineUrl) &&
                   Bind(module, "InternetCloseHandle", &f.internetCloseHandle) &&
                   Bind(module, "FindFirstUrlCacheEntryW", &f.findFirstUrlCacheEntry) &&
                   Bind(module, "FindNextUrlCacheEntryW", &f.findNextUrlCacheEntry) &&
                   Bind(module, "DeleteUrlCacheEntryW", &f.deleteUrlCacheEntry) &&
                   Bind(module, "FindCloseUrlCache", &f.findCloseUrlCache);
  if (!all) {
    f = WinInetFunctions{};
    f.error = ERROR_PROC_NOT_FOUND;
    return f;
  }
  f.error = 0;
  return f;
}

const WinInetFunctions& WinInetApi() {
  // A function-local static is initialised once, and other threads wait for
  // it: the version check may be the first user, on its worker thread.
  static const WinInetFunctions functions = BindWinInet(LoadSystemLibrary(L"wininet.dll"));  // kept loaded
  return functions;
}

}  // namespace vantrel::platform
