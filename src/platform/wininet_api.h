#pragma once
// The WinINet functions the programs use, bound at run time from the system
// folder's wininet.dll. The library is not a known library of the loader on
// Windows XP and Vista, so a static import of it would be looked for in the
// program folder first, where a planted copy would run with administrator
// rights.
#include <windows.h>
#include <wininet.h>

namespace vantrel::platform {

// Either every member is bound or none is (`error` then tells why: the
// library or one of its functions is missing), so that a caller checks
// complete() once and never calls a null member.
struct WinInetFunctions {
  decltype(&::InternetOpenW) internetOpen = nullptr;
  decltype(&::InternetConnectW) internetConnect = nullptr;
  decltype(&::HttpOpenRequestW) httpOpenRequest = nullptr;
  decltype(&::HttpSendRequestW) httpSendRequest = nullptr;
  decltype(&::HttpQueryInfoW) httpQueryInfo = nullptr;
  decltype(&::InternetReadFile) internetReadFile = nullptr;
  decltype(&::InternetSetOptionW) internetSetOption = nullptr;
  decltype(&::InternetQueryOptionA) internetQueryOptionA = nullptr;
  decltype(&::InternetCrackUrlW) internetCrackUrl = nullptr;
  decltype(&::InternetCombineUrlW) internetCombineUrl = nullptr;
  decltype(&::InternetCloseHandle) internetCloseHandle = nullptr;
  decltype(&::FindFirstUrlCacheEntryW) findFirstUrlCacheEntry = nullptr;
  decltype(&::FindNextUrlCacheEntryW) findNextUrlCacheEntry = nullptr;
  decltype(&::DeleteUrlCacheEntryW) deleteUrlCacheEntry = nullptr;
  decltype(&::FindCloseUrlCache) findCloseUrlCache = nullptr;
  DWORD error = ERROR_MOD_NOT_FOUND;  // why the table is empty; 0 when complete

  bool complete() const { return error == 0; }
};

// The functions of `module`; an empty table (error ERROR_MOD_NOT_FOUND for
// a null module, ERROR_PROC_NOT_FOUND when a function is missing) otherwise.
WinInetFunctions BindWinInet(HMODULE module);

// The system folder's wininet.dll, loaded once on first use (from any
// thread) and kept for the process.
const WinInetFunctions& WinInetApi();

}  // namespace vantrel::platform
