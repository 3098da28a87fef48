#include "platform/file_system.h"

#include <windows.h>

#include <cwctype>

namespace vantrel::platform {
namespace {

DWORD AttributesOf(std::wstring_view path) {
  if (path.empty()) return INVALID_FILE_ATTRIBUTES;
  return ::GetFileAttributesW(std::wstring(path).c_str());
}

bool IsReservedDeviceName(std::wstring_view name) {
  // The part before the first dot counts: "nul.txt" is the device too.
  std::wstring base(name.substr(0, name.find(L'.')));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  for (auto& c : base) c = static_cast<wchar_t>(std::towupper(c));
  static const wchar_t* const kNames[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const wchar_t* n : kNames)
    if (base == n) return true;
  if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
      base[3] >= L'1' && base[3] <= L'9')
    return true;
  return false;
}

}  // namespace

bool IsFullyQualifiedPath(std::wstring_view path) {
  const bool drive = path.size() >= 3 && std::iswalpha(path[0]) && path[1] == L':' &&
                     (path[2] == L'\\' || path[2] == L'/');
  const bool unc = path.size() > 2 && (path[0] == L'\\' || path[0] == L'/') &&
                   (path[1] == L'\\' || path[1] == L'/') && path[2] != L'\\' && path[2] != L'/';
  return drive || unc;
}

bool FileExists(std::wstring_view path) {
  const DWORD a = AttributesOf(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(std::wstring_view path) {
  const DWORD a = AttributesOf(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool EntryExists(std::wstring_view path) { return AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

bool IsReparsePoint(std::wstring_view path) {
  if (path.empty()) return false;
  // Asked through a handle on the entry itself: GetFileAttributes follows a
  // file link on some systems and would report its target.
  const std::wstring p(path);
  HANDLE h = ::CreateFileW(p.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL ok = ::GetFileInformationByHandle(h, &info);
    ::CloseHandle(h);
    if (ok) return (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  }
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW(p.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  ::FindClose(find);
  return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsPlainFileName(std::wstring_view name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  for (wchar_t c : name) {
    if (c < 32) return false;
    if (std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) return false;
  }
  if (name.back() == L'.' || name.back() == L' ') return false;
  return !IsReservedDeviceName(name);
}

}  // namespace vantrel::platform
