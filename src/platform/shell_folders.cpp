#include "platform/shell_folders.h"

#include "platform/file_system.h"

namespace vantrel::platform {

std::wstring ShellFolderPath(int csidl) {
  UniquePidl items;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, items.put())) || !items.get()) return {};
  wchar_t buffer[MAX_PATH + 1] = {};
  if (!::SHGetPathFromIDListW(items.get(), buffer)) return {};
  buffer[MAX_PATH] = L'\0';
  std::wstring path = buffer;
  // Some systems answer a missing folder with a short garbage path.
  if (!IsFullyQualifiedPath(path)) return {};
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();  // "C:\" stays
  return path;
}

}  // namespace vantrel::platform
