#pragma once
// Scratch places for Windows tests; each removes what it made when it goes.
#include <windows.h>

#include <string>

namespace vantrel::test {

// A unique key below HKCU\Software\VantrelTests, deleted with its tree at the end.
class ScratchRegistryKey {
 public:
  explicit ScratchRegistryKey(HKEY root = HKEY_CURRENT_USER);
  ~ScratchRegistryKey();
  ScratchRegistryKey(const ScratchRegistryKey&) = delete;
  ScratchRegistryKey& operator=(const ScratchRegistryKey&) = delete;
  HKEY root() const { return root_; }
  const std::wstring& path() const { return path_; }  // relative to root, no leading backslash

 private:
  HKEY root_;
  std::wstring path_;
};

// A unique empty folder under the temp folder, deleted with its content at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::wstring& path() const { return path_; }  // no trailing backslash
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

// Deletes a folder tree (attributes cleared first). Returns true when it is gone.
bool RemoveTree(const std::wstring& path);

}  // namespace vantrel::test
