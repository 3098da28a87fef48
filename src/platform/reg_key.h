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

// One value of a key as stored: its name, type and bytes.
struct RegValue {
  std::wstring name;  // empty for the default value
  DWORD type = REG_NONE;
  std::vector<BYTE> data;

  bool IsText() const { return type == REG_SZ || type == REG_EXPAND_SZ; }
  // The data read as UTF-16 text up to its first NUL (see RegDataText).
  std::wstring Text() const;
};

// Stored bytes read as UTF-16 text: up to the first NUL, or all of it when
// the terminator is missing; an odd last byte is dropped.
std::wstring RegDataText(const BYTE* data, size_t size);

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
  // Every value with its type and data, in RegEnumValue order. Returns the
  // error of RegQueryInfoKey (ERROR_SUCCESS when the key could be asked);
  // `out` is untouched on failure. A value that vanishes while the key is
  // enumerated is left out.
  [[nodiscard]] LONG Values(std::vector<RegValue>* out) const;

  // Deletes `subkey` of `root` with everything below it (RegDeleteTree
  // semantics; through SHDeleteKey, which exists from Windows XP on).
  static LONG DeleteKeyTree(HKEY root, std::wstring_view subkey);

 private:
  HKEY key_ = nullptr;
};

// Drops one leading backslash: "\SOFTWARE\X" -> "SOFTWARE\X".
std::wstring RelativeKeyPath(std::wstring_view path);

}  // namespace vantrel::platform
