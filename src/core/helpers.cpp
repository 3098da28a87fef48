// Winsock 2 before <windows.h>, which would otherwise bring the old winsock.h.
#include <winsock2.h>

#include "core/helpers.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "core/app_state.h"
#include "core/os_version.h"
#include "core/text_rules.h"
#include "platform/dialogs.h"
#include "platform/error_text.h"
#include "platform/file_system.h"
#include "platform/library_search.h"
#include "platform/reg_key.h"
#include "platform/ui_language.h"
#include "platform/unique_handle.h"

namespace vantrel {
namespace {

using platform::UniqueFile;
using platform::UniqueFind;
using platform::UniqueHandle;
using platform::UniqueModule;

bool IsFolder(const std::wstring& path) { return platform::FolderExists(path); }

std::wstring WithoutTrailingBackslash(std::wstring path) {
  while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

// Creates a folder and any missing parents; true when it exists afterwards.
bool CreateFolderTree(const std::wstring& path) {
  if (path.empty()) return false;
  if (IsFolder(path)) return true;
  const auto slash = path.find_last_of(L"\\/");
  if (slash != std::wstring::npos && slash > 0) {
    const std::wstring parent = path.substr(0, slash);
    // Stop at a drive ("C:") or the start of a network share.
    if (parent.size() > 2 && parent.back() != L':' && !IsFolder(parent)) CreateFolderTree(parent);
  }
  return ::CreateDirectoryW(path.c_str(), nullptr) != 0 || IsFolder(path);
}

// A folder that did not exist is created (with its parents) and made hidden;
// an existing one is left as it is.
void EnsureHiddenFolder(const std::wstring& path) {
  if (IsFolder(path)) return;
  if (CreateFolderTree(path)) ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
}

// "X:\..." or "\\server\share...".
bool IsFullyQualified(const std::wstring& path) {
  const bool drive = path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
  const bool unc = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\';
  return drive || unc;
}

std::wstring PersonalFolder() {
  LPITEMIDLIST items = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &items)) || items == nullptr) return {};
  wchar_t buffer[MAX_PATH] = {};
  const BOOL ok = ::SHGetPathFromIDListW(items, buffer);
  ::CoTaskMemFree(items);
  // Some systems hand out an item list whose path is no path at all when the
  // folder is missing; only a fully qualified path counts as resolved.
  if (!ok || !IsFullyQualified(buffer)) return {};
  return WithoutTrailingBackslash(buffer);
}

// A path that names a place below a drive or a share ("C:\x", "\\srv\share\x").
// Relative paths, paths from the current drive's root ("\x") and roots
// themselves are refused: emptying them could reach far beyond the folder meant.
bool IsRootedBelowRoot(const std::wstring& path) {
  if (!IsFullyQualified(path)) return false;
  const std::wstring trimmed = WithoutTrailingBackslash(path);
  // Without the shell's test a path cannot be told from a root: refused.
  const auto pathIsRoot = platform::ShlwapiApi().pathIsRoot;
  if (trimmed.size() <= 2 || !pathIsRoot || pathIsRoot((trimmed + L"\\").c_str())) return false;
  return true;
}

// Deletes a folder through the shell (to the Recycle Bin, without questions).
void ShellDeleteFolder(const std::wstring& path) {
  if (!IsFolder(path)) return;
  std::wstring from = path;
  from.push_back(L'\0');  // the list ends with two zeros; c_str() adds the second
  SHFILEOPSTRUCTW op{};
  op.hwnd = nullptr;
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.pTo = nullptr;
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT;
  ::SHFileOperationW(&op);
}

bool EmptyFolderTree(const std::wstring& folder) {
  if (!IsFolder(folder)) return false;
  WIN32_FIND_DATAW data;
  UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (!find) return true;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring full = folder + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A link to another folder: remove the link, never what it points at.
        ::RemoveDirectoryW(full.c_str());
        continue;
      }
      EmptyFolderTree(full);
      ShellDeleteFolder(full);
    } else {
      ::DeleteFileW(full.c_str());
    }
  } while (::FindNextFileW(find.get(), &data));
  return true;
}

void ShowExtractFailure(const std::wstring& text) { platform::ShowMessage(nullptr, text, kProgramTitle); }

// The Winsock functions of the local address, bound once from the system
// folder's ws2_32.dll (not a known library of the loader on Windows XP) and
// started there; null members when it cannot be had.
struct WinsockFunctions {
  int(WSAAPI* gethostname)(char*, int) = nullptr;
  unsigned long(WSAAPI* inetAddr)(const char*) = nullptr;
  hostent*(WSAAPI* gethostbyname)(const char*) = nullptr;
  bool complete() const { return gethostname && inetAddr && gethostbyname; }
};

const WinsockFunctions& Winsock() {
  static const WinsockFunctions functions = [] {
    WinsockFunctions f;
    HMODULE module = platform::LoadSystemLibrary(L"ws2_32.dll");  // kept for the process
    if (!module) return f;
    using StartupFn = int(WSAAPI*)(WORD, LPWSADATA);
    const auto startup = reinterpret_cast<StartupFn>(::GetProcAddress(module, "WSAStartup"));
    WSADATA data;
    if (!startup || startup(MAKEWORD(2, 2), &data) != 0) return f;
    f.gethostname = reinterpret_cast<decltype(f.gethostname)>(::GetProcAddress(module, "gethostname"));
    f.inetAddr = reinterpret_cast<decltype(f.inetAddr)>(::GetProcAddress(module, "inet_addr"));
    f.gethostbyname = reinterpret_cast<decltype(f.gethostbyname)>(::GetProcAddress(module, "gethostbyname"));
    return f;
  }();
  return functions;
}

}  // namespace

std::wstring GetDataFolder() {
  const std::wstring personal = PersonalFolder();
  if (personal.empty()) return {};
  const std::wstring folder = personal + L"\\Vantrel";
  EnsureHiddenFolder(folder);
  return folder;
}

std::wstring GetRecoveryIniPath() {
  const std::wstring data = GetDataFolder();
  return data.empty() ? std::wstring() : data + L"\\Recovery.ini";
}

std::wstring GetDatFolder() {
  const std::wstring data = GetDataFolder();
  if (data.empty()) return {};
  const std::wstring folder = data + L"\\dat";
  EnsureHiddenFolder(folder);
  return folder;
}

std::wstring GetProgramFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) break;
    buffer.resize(buffer.size() * 2);
  }
  std::wstring path = buffer.data();
  const auto slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

uint16_t GetUiLanguage() { return platform::QueryUiLanguage(); }

bool ExtractResourceToFile(int id, const wchar_t* type, const std::wstring& path) {
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!found) {
    ShowExtractFailure(L"FindResource Fail : " + platform::SystemErrorText(::GetLastError()));
    return false;
  }
  const DWORD size = ::SizeofResource(module, found);
  if (size == 0) {
    ShowExtractFailure(L"SizeofResource Fail : " + platform::SystemErrorText(::GetLastError()));
    return false;
  }
  HGLOBAL loaded = ::LoadResource(module, found);
  if (!loaded) {
    ShowExtractFailure(L"LoadResource Fail : " + platform::SystemErrorText(::GetLastError()));
    return false;
  }
  const void* bytes = ::LockResource(loaded);
  // The program folder is writable by the user: a hard or symbolic link left
  // under the name is removed, never written through, and the file is made
  // new (a name taken again meanwhile fails the extraction).
  ::DeleteFileW(path.c_str());
  UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) {
    ShowExtractFailure(L"File create fail : " + path + L"\r\n" + platform::SystemErrorText(::GetLastError()));
    return false;
  }
  DWORD written = 0;
  if (bytes && !::WriteFile(file.get(), bytes, size, &written, nullptr)) written = 0;
  if (written < size) {
    ShowExtractFailure(L"File write fail : " + DecimalText(written) + L", " + DecimalText(size));
    return false;
  }
  return true;
}

bool RunCommand(const std::wstring& commandLine, int show, bool wait, DWORD timeoutMs, DWORD creationFlags) {
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS | creationFlags, nullptr,
                        nullptr, &startup, &process)) {
    const bool quotedPath = commandLine.size() > 2 && commandLine.front() == L'"' && commandLine.back() == L'"' &&
                            commandLine.find(L'"', 1) == commandLine.size() - 1;
    platform::CurrentDialogs().ShellOpen(
        nullptr, quotedPath ? commandLine.substr(1, commandLine.size() - 2) : commandLine, L"", show);
    return false;
  }
  UniqueHandle processHandle(process.hProcess);
  UniqueHandle threadHandle(process.hThread);
  if (wait) ::WaitForSingleObject(processHandle.get(), timeoutMs);
  return true;
}

void CloseWindowOrKill(HWND window) {
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 100, &result);
  if (!::IsWindow(window)) return;
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  if (processId == 0) return;
  UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, processId));
  if (process) ::TerminateProcess(process.get(), 0);
}

std::wstring GetFileVersionText(const std::wstring& path, const std::wstring& name) {
  const platform::VersionFunctions& api = platform::VersionApi();
  if (!api.complete()) return {};
  DWORD ignored = 0;
  const DWORD size = api.getFileVersionInfoSize(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<BYTE> data(size);
  if (!api.getFileVersionInfo(path.c_str(), 0, size, data.data())) return {};
  WORD* translation = nullptr;
  UINT length = 0;
  if (!api.verQueryValue(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                        &length) ||
      translation == nullptr || length < 2 * sizeof(WORD))
    return {};
  const std::wstring digits = HexText(translation[0], 4) + HexText(translation[1], 4);
  const std::wstring query = std::wstring(L"\\StringFileInfo\\") + digits + L"\\" + name;
  wchar_t* value = nullptr;
  if (!api.verQueryValue(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) ||
      value == nullptr || length == 0)
    return {};
  std::wstring text(value, length);
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

POINT CenterOnScreen(int width, int height) {
  HWND desktop = ::GetDesktopWindow();
  HDC dc = ::GetDC(desktop);
  const int screenWidth = ::GetDeviceCaps(dc, HORZRES);
  const int screenHeight = ::GetDeviceCaps(dc, VERTRES);
  ::ReleaseDC(desktop, dc);
  // Integer division truncates toward zero, also for a window larger than the screen.
  return POINT{(screenWidth - width) / 2, (screenHeight - height) / 2};
}

std::wstring GetLocalIpAddress() {
  const WinsockFunctions& winsock = Winsock();
  if (!winsock.complete()) return {};
  char host[256] = {};
  if (winsock.gethostname(host, sizeof host) != 0) return {};
  host[sizeof host - 1] = '\0';
  if (host[0] >= '0' && host[0] <= '9') {
    if (winsock.inetAddr(host) == INADDR_NONE) return {};
    return std::wstring(host, host + std::strlen(host));
  }
  const hostent* entry = winsock.gethostbyname(host);
  if (!entry || entry->h_addrtype != AF_INET || !entry->h_addr_list || !entry->h_addr_list[0]) return {};
  const auto* a = reinterpret_cast<const unsigned char*>(entry->h_addr_list[0]);
  return DecimalText(a[0]) + L"." + DecimalText(a[1]) + L"." + DecimalText(a[2]) + L"." + DecimalText(a[3]);
}

bool EmptyFolder(const std::wstring& folder) {
  if (!IsRootedBelowRoot(folder)) return false;
  return EmptyFolderTree(WithoutTrailingBackslash(folder));
}

int GetOsVersionCode() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!::GetVersionExW(&info)) return kOsUnknown;
  OsVersionFacts facts;
  facts.platformId = info.dwPlatformId;
  facts.major = info.dwMajorVersion;
  facts.minor = info.dwMinorVersion;
  facts.buildNumber = info.dwBuildNumber;
  facts.servicePack = info.szCSDVersion;
  if (NeedsProductType(facts.platformId, facts.major)) {
    OSVERSIONINFOEXW extended{};
    extended.dwOSVersionInfoSize = sizeof extended;
    if (::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&extended))) facts.productType = extended.wProductType;
  }
  return ClassifyOsVersion(facts);
}

}  // namespace vantrel
