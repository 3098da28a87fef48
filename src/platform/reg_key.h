#pragma once
// A registry key opened for one operation. Move-only; closes itself.
// Paths may start with a backslash: they are taken from the root key given.
// Reads leave their out-parameter untouched when they fail.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform {

inline constexpr REGSAM kKeyReadWrite = KEY_READ | KEY_WRITE;  // 0x2001F

class RegKey {
 public:
  RegKey() = default;
  ~RegKey() { Close(); }
  RegKey(RegKey&& o) noexcept : key_(o.key_) { o.key_ = nullptr; }
  RegKey& operator=(RegKey&& o) noexcept;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // Opens an existing key. Returns the Win32 error code (ERROR_SUCCESS on success).
  [[nodiscard]] LONG Open(HKEY root, std::wstring_view path, REGSAM access = KEY_READ);
  // Opens the key, creating it (and missing parents) when it does not exist.
  [[nodiscard]] LONG Create(HKEY root, std::wstring_view path, REGSAM access = kKeyReadWrite);
  void Close();

  bool valid() const { return key_ != nullptr; }
  HKEY get() const { return key_; }

  bool HasValue(std::wstring_view name) const;
  // REG_DWORD only.
  [[nodiscard]] bool ReadDword(std::wstring_view name, DWORD* out) const;
  // REG_SZ or REG_EXPAND_SZ (not expanded); any other type is a failed read.
  [[nodiscard]] bool ReadString(std::wstring_view name, std::wstring* out) const;
  // Any type: the stored bytes and their type.
  [[nodiscard]] bool ReadRaw(std::wstring_view name, std::vector<BYTE>* data, DWORD* type) const;

  LONG WriteDword(std::wstring_view name, DWORD value);
  LONG WriteString(std::wstring_view name, std::wstring_view value);
  LONG WriteRaw(std::wstring_view name, DWORD type, const void* data, DWORD size);
  LONG DeleteValue(std::wstring_view name);
  // Deletes a subkey with everything below it.
  LONG DeleteTree(std::wstring_view subkey);

  std::vector<std::wstring> SubkeyNames() const;
  std::vector<std::wstring> ValueNames() const;

 private:
  HKEY key_ = nullptr;
};

// Drops one leading backslash: "\SOFTWARE\X" -> "SOFTWARE\X".
std::wstring RelativeKeyPath(std::wstring_view path);

}  // namespace vantrel::platform
