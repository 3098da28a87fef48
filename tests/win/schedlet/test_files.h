#pragma once
// Small file helpers of the Schedlet tests.
#include <windows.h>

#include <string>
#include <string_view>

namespace vantrel::test {

// A file in the test program's own folder (the build's bin folder).
inline std::wstring BesideTestProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring self(path);
  return self.substr(0, self.find_last_of(L'\\') + 1) + name;
}

// The whole file as bytes; "<missing>" when it cannot be opened.
inline std::string ReadAll(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes(1 << 20, '\0');
  DWORD read = 0;
  ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  ::CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

// A new hidden file holding `bytes`, as an older backup would be.
inline bool WriteHiddenFile(const std::wstring& path, std::string_view bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == bytes.size();
}

}  // namespace vantrel::test
