#include "platform/library_search.h"

namespace vantrel::platform {

namespace {

// Values of libloaderapi.h for systems whose headers lack them.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

template <typename Fn>
Fn Kernel32Function(const char* name) {
  // kernel32.dll is mapped into every process before the program runs; the
  // handle names the one of the system folder.
  return reinterpret_cast<Fn>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name));
}

}  // namespace

LibrarySearch RestrictLibrarySearch() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCWSTR);
  if (auto setDefault = Kernel32Function<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories"))
    if (setDefault(kSearchSystem32)) return LibrarySearch::kSystemFolderOnly;
  // Windows XP SP1 and later: empty text takes the current folder out.
  if (auto setDirectory = Kernel32Function<SetDllDirectoryFn>("SetDllDirectoryW"))
    if (setDirectory(L"")) return LibrarySearch::kWithoutCurrentFolder;
  return LibrarySearch::kUnchanged;
}

std::wstring SystemFolderPath(std::wstring_view name) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::wstring path(folder, length);
  if (path.back() != L'\\') path += L'\\';
  return path.append(name);
}

HMODULE LoadSystemLibrary(std::wstring_view name) {
  if (name.empty() || name.find_first_of(L"\\/:") != std::wstring_view::npos) return nullptr;
  const std::wstring path = SystemFolderPath(name);
  if (path.empty()) return nullptr;
  // With a full path, LOAD_WITH_ALTERED_SEARCH_PATH looks for the library's
  // own imports in its folder (the system folder) before anywhere else.
  return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

const VersionFunctions& VersionApi() {
  static const VersionFunctions functions = [] {
    VersionFunctions f;
    HMODULE module = LoadSystemLibrary(L"version.dll");  // kept for the process
    if (!module) return f;
    f.getFileVersionInfoSize =
        reinterpret_cast<decltype(f.getFileVersionInfoSize)>(::GetProcAddress(module, "GetFileVersionInfoSizeW"));
    f.getFileVersionInfo =
        reinterpret_cast<decltype(f.getFileVersionInfo)>(::GetProcAddress(module, "GetFileVersionInfoW"));
    f.verQueryValue = reinterpret_cast<decltype(f.verQueryValue)>(::GetProcAddress(module, "VerQueryValueW"));
    return f;
  }();
  return functions;
}

const ShlwapiFunctions& ShlwapiApi() {
  static const ShlwapiFunctions functions = [] {
    ShlwapiFunctions f;
    HMODULE module = LoadSystemLibrary(L"shlwapi.dll");  // kept for the process
    if (!module) return f;
    f.shDeleteKey = reinterpret_cast<decltype(f.shDeleteKey)>(::GetProcAddress(module, "SHDeleteKeyW"));
    f.pathIsRoot = reinterpret_cast<decltype(f.pathIsRoot)>(::GetProcAddress(module, "PathIsRootW"));
    return f;
  }();
  return functions;
}

}  // namespace vantrel::platform
