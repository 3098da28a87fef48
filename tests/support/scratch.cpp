#include "support/scratch.h"

#include <shlwapi.h>

#include <atomic>

namespace vantrel::test {
namespace {
std::atomic<unsigned> counter{0};
std::wstring UniqueSuffix() {
  return std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(::GetTickCount()) + L"_" +
         std::to_wstring(counter++);
}
}  // namespace

ScratchRegistryKey::ScratchRegistryKey(HKEY root)
    : root_(root), path_(L"Software\\VantrelTests\\k" + UniqueSuffix()) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
      ERROR_SUCCESS)
    ::RegCloseKey(key);
}

ScratchRegistryKey::~ScratchRegistryKey() { ::SHDeleteKeyW(root_, path_.c_str()); }

ScratchFolder::ScratchFolder() {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  path_ = std::wstring(temp) + L"vt" + UniqueSuffix();
  ::CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

bool RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW fd;
  HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = path + L"\\" + name;
      ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(full);
      else
        ::DeleteFileW(full.c_str());
    } while (::FindNextFileW(find, &fd));
    ::FindClose(find);
  }
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::RemoveDirectoryW(path.c_str());
  return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace vantrel::test
