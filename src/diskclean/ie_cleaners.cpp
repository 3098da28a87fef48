#include "diskclean/ie_cleaners.h"

#include <objbase.h>
#include <wininet.h>

#include <memory>
#include <vector>

#include "core/text_rules.h"
#include "diskclean/trace_files.h"
#include "diskclean/trace_rules.h"
#include "platform/reg_key.h"
#include "platform/unique_handle.h"
#include "platform/wininet_api.h"

namespace vantrel {
namespace {

using platform::UniqueHandle;

constexpr wchar_t kShellFoldersKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr wchar_t kTypedUrlsKey[] = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";

// The URL history object and its interface with ClearHistory.
constexpr CLSID kClsidUrlHistory = {0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
constexpr IID kIidUrlHistoryStg2 = {0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};

// IUrlHistoryStg2 as far as ClearHistory: IUnknown, then IUrlHistoryStg's
// five methods, then IUrlHistoryStg2's AddUrlAndNotify and ClearHistory.
struct UrlHistoryStg2 : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE AddUrl(LPCOLESTR, LPCOLESTR, DWORD) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeleteUrl(LPCOLESTR, DWORD) = 0;
  virtual HRESULT STDMETHODCALLTYPE QueryUrl(LPCOLESTR, DWORD, void*) = 0;
  virtual HRESULT STDMETHODCALLTYPE BindToObject(LPCOLESTR, REFIID, void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumUrls(void**) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddUrlAndNotify(LPCOLESTR, LPCOLESTR, DWORD, BOOL, IUnknown*, IUnknown*) = 0;
  virtual HRESULT STDMETHODCALLTYPE ClearHistory() = 0;
};

std::wstring SystemFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT n = ::GetSystemDirectoryW(buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  return buffer;
}

// A cache entry buffer of `size` bytes, prepared for the call that fills it.
std::unique_ptr<BYTE[]> EntryBuffer(DWORD size) {
  if (size < sizeof(INTERNET_CACHE_ENTRY_INFOW) || size > 1024 * 1024) return nullptr;
  auto buffer = std::make_unique<BYTE[]>(size);
  reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.get())->dwStructSize = sizeof(INTERNET_CACHE_ENTRY_INFOW);
  return buffer;
}

}  // namespace

std::wstring ReadShellFolder(const wchar_t* valueName) {
  platform::RegKey key;
  if (key.Open(HKEY_CURRENT_USER, kShellFoldersKey, KEY_READ) != ERROR_SUCCESS) return {};
  std::wstring path;
  if (!key.ReadString(valueName, &path)) return {};
  return path;
}

void EmptyFolderFiles(const std::wstring& folder, const wchar_t* suffix) {
  std::wstring path = folder;
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  UniqueHandle root = OpenTraceFolder(path);
  if (!root) return;
  for (const TraceEntry& e : ListTraceFolder(root.get())) {
    if (KeptInShellFolder(e.name) || e.IsFolder()) continue;
    DeleteTraceFile(root.get(), e.name);
  }
  // The index file: each folder on the way opened as a real folder.
  std::wstring rest = suffix ? suffix : L"";
  UniqueHandle at(std::move(root));
  for (;;) {
    while (!rest.empty() && rest.front() == L'\\') rest.erase(0, 1);
    const size_t slash = rest.find(L'\\');
    if (slash == std::wstring::npos) break;
    at = OpenTraceSubfolder(at.get(), std::wstring_view(rest).substr(0, slash));
    if (!at) return;
    rest.erase(0, slash + 1);
  }
  if (!rest.empty()) DeleteTraceFile(at.get(), rest);
}

void DeleteUrlCacheEntries(const wchar_t* pattern) {
  const platform::WinInetFunctions& api = platform::WinInetApi();
  if (!api.complete()) return;  // without WinINet there is no cache of it to empty
  DWORD size = 0;
  api.findFirstUrlCacheEntry(pattern, nullptr, &size);
  std::unique_ptr<BYTE[]> buffer = EntryBuffer(size);
  if (!buffer) return;
  HANDLE find =
      api.findFirstUrlCacheEntry(pattern, reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.get()), &size);
  if (!find) return;
  // A cache that keeps handing out entries cannot hold the run for ever.
  for (int guard = 0; guard < 10000000; ++guard) {
    const auto* entry = reinterpret_cast<const INTERNET_CACHE_ENTRY_INFOW*>(buffer.get());
    if (entry->lpszSourceUrlName) api.deleteUrlCacheEntry(entry->lpszSourceUrlName);
    buffer.reset();
    size = 0;
    api.findNextUrlCacheEntry(find, nullptr, &size);
    buffer = EntryBuffer(size);
    if (!buffer) break;
    if (!api.findNextUrlCacheEntry(find, reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.get()), &size)) break;
  }
  api.findCloseUrlCache(find);
}

HRESULT ClearUrlHistory() {
  UrlHistoryStg2* history = nullptr;
  HRESULT hr = ::CoCreateInstance(kClsidUrlHistory, nullptr, CLSCTX_INPROC_SERVER, kIidUrlHistoryStg2,
                                  reinterpret_cast<void**>(&history));
  if (FAILED(hr) || !history) return FAILED(hr) ? hr : E_NOINTERFACE;
  hr = history->ClearHistory();
  history->Release();
  return hr;
}

void ClearTypedUrls() {
  platform::RegKey key;
  if (key.Open(HKEY_CURRENT_USER, kTypedUrlsKey, KEY_ALL_ACCESS) != ERROR_SUCCESS) return;
  for (int n = 1; n < 1000000; ++n) {
    const std::wstring name = TypedUrlValueName(n);
    if (!key.HasValue(name)) break;
    key.DeleteValue(name);
  }
}

std::wstring ClearTracksCommandLine(int flags) {
  const std::wstring system = SystemFolder();
  if (system.empty()) return {};
  return L"\"" + system + L"\\rundll32.exe\" " + system + L"\\InetCpl.cpl,ClearMyTracksByProcess " +
         DecimalText(flags);
}

bool RunClearTracksCommand(int flags, DWORD timeoutMs) {
  const std::wstring system = SystemFolder();
  std::wstring commandLine = ClearTracksCommandLine(flags);
  if (commandLine.empty()) return false;
  const std::wstring program = system + L"\\rundll32.exe";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, system.c_str(),
                        &startup, &process))
    return false;
  UniqueHandle thread(process.hThread), handle(process.hProcess);
  ::WaitForSingleObject(handle.get(), timeoutMs);
  return true;
}

}  // namespace vantrel
