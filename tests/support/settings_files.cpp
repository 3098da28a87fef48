#include "support/settings_files.h"

#include <vector>

namespace vantrel::test {

ScratchSettingsFile::ScratchSettingsFile() : path_(folder_.File(L"Vantrel.ini")) {}

bool ScratchSettingsFile::Exists() const {
  const DWORD attributes = ::GetFileAttributesW(path_.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ScratchSettingsFile::Write(const std::wstring& section, const std::wstring& key,
                                const std::wstring& value) const {
  return ::WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path_.c_str()) != 0;
}

std::wstring ScratchSettingsFile::Read(const std::wstring& section, const std::wstring& key,
                                       const std::wstring& missing) const {
  std::vector<wchar_t> buffer(4096);
  // A default no file can hold tells a missing key from an empty value.
  const wchar_t* marker = L"\x01missing\x01";
  const DWORD n = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), marker, buffer.data(),
                                             static_cast<DWORD>(buffer.size()), path_.c_str());
  std::wstring value(buffer.data(), n);
  return value == marker ? missing : value;
}

bool ScratchSettingsFile::HasKey(const std::wstring& section, const std::wstring& key) const {
  const std::wstring absent = L"\x02";
  return Read(section, key, absent) != absent;
}

std::string ScratchSettingsFile::Bytes() const {
  std::string bytes;
  HANDLE file = ::CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[4096];
  DWORD got = 0;
  while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  ::CloseHandle(file);
  return bytes;
}

bool ScratchSettingsFile::WriteBytes(const std::string& bytes) const {
  HANDLE file = ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  ::CloseHandle(file);
  return ok;
}

bool ScratchSettingsFile::Remove() const { return ::DeleteFileW(path_.c_str()) || !Exists(); }

}  // namespace vantrel::test
