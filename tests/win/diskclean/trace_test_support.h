#pragma once
// Files, folders and links for the trace cleaner tests.
#include <windows.h>
#include <winioctl.h>

#include <string>

#include "support/scratch.h"

namespace vantrel::test {

inline bool MakeFolders(const std::wstring& path) {
  for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
    ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  ::CreateDirectoryW(path.c_str(), nullptr);
  const DWORD a = ::GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// A file with a little content; its folders are made.
inline bool MakeFile(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  const size_t slash = path.find_last_of(L'\\');
  if (slash != std::wstring::npos) MakeFolders(path.substr(0, slash));
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  ::WriteFile(h, "trace", 5, &written, nullptr);
  ::CloseHandle(h);
  return true;
}

inline bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline bool IsLinkAt(const std::wstring& path) {
  const DWORD a = ::GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A junction at `link` (a new empty folder) to the folder `target`.
inline bool MakeJunction(const std::wstring& link, const std::wstring& target) {
  if (!::CreateDirectoryW(link.c_str(), nullptr)) return false;
  HANDLE h = ::CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const std::wstring substitute = L"\\??\\" + target;
  const USHORT subBytes = static_cast<USHORT>(substitute.size() * sizeof(wchar_t));
  const USHORT printBytes = static_cast<USHORT>(target.size() * sizeof(wchar_t));
  // REPARSE_DATA_BUFFER, mount point form: tag, length, reserved, four
  // offsets/lengths, then both names with their terminating zeros.
  BYTE buffer[4096] = {};
  auto* p = reinterpret_cast<USHORT*>(buffer + 8);
  *reinterpret_cast<DWORD*>(buffer) = IO_REPARSE_TAG_MOUNT_POINT;
  p[0] = 0;
  p[1] = subBytes;
  p[2] = static_cast<USHORT>(subBytes + sizeof(wchar_t));
  p[3] = printBytes;
  BYTE* names = buffer + 16;
  memcpy(names, substitute.c_str(), subBytes);
  memcpy(names + subBytes + sizeof(wchar_t), target.c_str(), printBytes);
  const USHORT dataLength = static_cast<USHORT>(8 + subBytes + printBytes + 2 * sizeof(wchar_t));
  *reinterpret_cast<USHORT*>(buffer + 4) = dataLength;
  DWORD returned = 0;
  const BOOL ok = ::DeviceIoControl(h, FSCTL_SET_REPARSE_POINT, buffer, 8 + dataLength, nullptr, 0, &returned, nullptr);
  ::CloseHandle(h);
  if (!ok) ::RemoveDirectoryW(link.c_str());
  return ok && IsLinkAt(link);
}

// A link to the folder `target` at `link`: a symbolic link where the system
// makes one, else a junction. False when neither can be made here.
inline bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
  if (::CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2) && IsLinkAt(link))
    return true;
  ::RemoveDirectoryW(link.c_str());
  ::DeleteFileW(link.c_str());
  return MakeJunction(link, target);
}

}  // namespace vantrel::test
