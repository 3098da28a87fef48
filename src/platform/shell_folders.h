#pragma once
// Paths of the shell's special folders (CSIDL_STARTUP, CSIDL_COMMON_STARTUP,
// CSIDL_PERSONAL, ...) through SHGetSpecialFolderLocation and
// SHGetPathFromIDList, which exist from the first shell on.
#include <windows.h>
#include <shlobj.h>

#include <string>

namespace vantrel::platform {

// Owns an item id list handed out by the shell (freed with CoTaskMemFree).
class UniquePidl {
 public:
  UniquePidl() = default;
  explicit UniquePidl(LPITEMIDLIST p) : p_(p) {}
  ~UniquePidl() { reset(); }
  UniquePidl(UniquePidl&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  UniquePidl& operator=(UniquePidl&& o) noexcept {
    if (this != &o) {
      reset();
      p_ = o.p_;
      o.p_ = nullptr;
    }
    return *this;
  }
  UniquePidl(const UniquePidl&) = delete;
  UniquePidl& operator=(const UniquePidl&) = delete;

  LPITEMIDLIST get() const { return p_; }
  // For out parameters: frees the old list first.
  LPITEMIDLIST* put() {
    reset();
    return &p_;
  }
  void reset() {
    if (p_) ::CoTaskMemFree(p_);
    p_ = nullptr;
  }

 private:
  LPITEMIDLIST p_ = nullptr;
};

// The folder's path without a trailing backslash (a drive root keeps its
// own: "C:\"). Empty text when the shell cannot resolve the folder or hands
// out something that is not a fully qualified path; never a guess.
std::wstring ShellFolderPath(int csidl);

}  // namespace vantrel::platform
