#include "platform/reg_key.h"

#include <algorithm>
#include <cstring>

#include "platform/library_search.h"

namespace vantrel::platform {

std::wstring RelativeKeyPath(std::wstring_view path) {
  if (!path.empty() && path.front() == L'\\') path.remove_prefix(1);
  return std::wstring(path);
}

RegKey& RegKey::operator=(RegKey&& o) noexcept {
  if (this != &o) {
    Close();
    key_ = o.key_;
    o.key_ = nullptr;
  }
  return *this;
}

LONG RegKey::Open(HKEY root, std::wstring_view path, REGSAM access) {
  Close();
  HKEY key = nullptr;
  LONG rc = ::RegOpenKeyExW(root, RelativeKeyPath(path).c_str(), 0, access, &key);
  if (rc == ERROR_SUCCESS) key_ = key;
  return rc;
}

LONG RegKey::Create(HKEY root, std::wstring_view path, REGSAM access) {
  Close();
  HKEY key = nullptr;
  LONG rc = ::RegCreateKeyExW(root, RelativeKeyPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              access, nullptr, &key, nullptr);
  if (rc == ERROR_SUCCESS) key_ = key;
  return rc;
}

void RegKey::Close() {
  if (key_ != nullptr) ::RegCloseKey(key_);
  key_ = nullptr;
}

bool RegKey::HasValue(std::wstring_view name) const {
  if (!key_) return false;
  std::wstring n(name);
  return ::RegQueryValueExW(key_, n.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool RegKey::ReadRaw(std::wstring_view name, std::vector<BYTE>* data, DWORD* type) const {
  if (!key_) return false;
  std::wstring n(name);
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD t = 0, size = 0;
    if (::RegQueryValueExW(key_, n.c_str(), nullptr, &t, nullptr, &size) != ERROR_SUCCESS) return false;
    std::vector<BYTE> buf(size);
    DWORD got = size;
    LONG rc = ::RegQueryValueExW(key_, n.c_str(), nullptr, &t, buf.empty() ? nullptr : buf.data(), &got);
    if (rc == ERROR_MORE_DATA) continue;  // grew between the two calls
    if (rc != ERROR_SUCCESS) return false;
    buf.resize(got);
    if (data) *data = std::move(buf);
    if (type) *type = t;
    return true;
  }
  return false;
}

bool RegKey::ReadDword(std::wstring_view name, DWORD* out) const {
  std::vector<BYTE> data;
  DWORD type = 0;
  if (!ReadRaw(name, &data, &type) || type != REG_DWORD || data.size() != sizeof(DWORD)) return false;
  DWORD v;
  memcpy(&v, data.data(), sizeof v);
  if (out) *out = v;
  return true;
}

std::wstring RegDataText(const BYTE* data, size_t size) {
  std::wstring s(size / sizeof(wchar_t), L'\0');
  if (!s.empty()) memcpy(s.data(), data, s.size() * sizeof(wchar_t));  // no alignment assumed
  size_t nul = s.find(L'\0');  // stored strings may or may not carry their terminator
  if (nul != std::wstring::npos) s.resize(nul);
  return s;
}

std::wstring RegValue::Text() const { return RegDataText(data.data(), data.size()); }

bool RegKey::ReadString(std::wstring_view name, std::wstring* out) const {
  std::vector<BYTE> data;
  DWORD type = 0;
  if (!ReadRaw(name, &data, &type) || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  if (out) *out = RegDataText(data.data(), data.size());
  return true;
}

LONG RegKey::WriteRaw(std::wstring_view name, DWORD type, const void* data, DWORD size) {
  if (!key_) return ERROR_INVALID_HANDLE;
  std::wstring n(name);
  return ::RegSetValueExW(key_, n.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

LONG RegKey::WriteDword(std::wstring_view name, DWORD value) {
  return WriteRaw(name, REG_DWORD, &value, sizeof value);
}

LONG RegKey::WriteString(std::wstring_view name, std::wstring_view value) {
  std::wstring v(value);
  return WriteRaw(name, REG_SZ, v.c_str(), static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
}

LONG RegKey::DeleteValue(std::wstring_view name) {
  if (!key_) return ERROR_INVALID_HANDLE;
  std::wstring n(name);
  return ::RegDeleteValueW(key_, n.c_str());
}

LONG RegKey::DeleteTree(std::wstring_view subkey) {
  if (!key_) return ERROR_INVALID_HANDLE;
  std::wstring s = RelativeKeyPath(subkey);
  if (s.empty()) return ERROR_INVALID_PARAMETER;  // an empty name would mean the key itself
  const auto deleteKey = ShlwapiApi().shDeleteKey;
  if (!deleteKey) return ERROR_PROC_NOT_FOUND;
  return static_cast<LONG>(deleteKey(key_, s.c_str()));
}

std::vector<std::wstring> RegKey::SubkeyNames() const {
  std::vector<std::wstring> names;
  if (!key_) return names;
  DWORD count = 0, maxLen = 0;
  if (::RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &count, &maxLen, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return names;
  std::vector<wchar_t> buf(maxLen + 2);
  for (DWORD i = 0;; ++i) {
    DWORD len = static_cast<DWORD>(buf.size());
    LONG rc = ::RegEnumKeyExW(key_, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) {
      buf.resize(buf.size() * 2 + 256);
      --i;
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    names.emplace_back(buf.data(), len);
  }
  return names;
}

std::vector<std::wstring> RegKey::ValueNames() const {
  std::vector<std::wstring> names;
  if (!key_) return names;
  DWORD maxLen = 0;
  if (::RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxLen,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return names;
  std::vector<wchar_t> buf(maxLen + 2);
  for (DWORD i = 0;; ++i) {
    DWORD len = static_cast<DWORD>(buf.size());
    LONG rc = ::RegEnumValueW(key_, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) {
      buf.resize(buf.size() * 2 + 256);
      --i;
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    names.emplace_back(buf.data(), len);
  }
  return names;
}

LONG RegKey::Values(std::vector<RegValue>* out) const {
  if (!key_) return ERROR_INVALID_HANDLE;
  DWORD count = 0, maxName = 0, maxData = 0;
  LONG rc = ::RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxName,
                               &maxData, nullptr, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  std::vector<RegValue> values;
  std::vector<wchar_t> name(maxName + 2);
  std::vector<BYTE> data(maxData + 2);
  int retries = 0;
  for (DWORD i = 0;;) {
    DWORD nameLen = static_cast<DWORD>(name.size());
    DWORD dataLen = static_cast<DWORD>(data.size());
    DWORD type = REG_NONE;
    rc = ::RegEnumValueW(key_, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
    if (rc == ERROR_MORE_DATA && retries++ < 8) {  // a value grew since the key was asked
      name.resize(name.size() * 2 + 256);
      data.resize(std::max<size_t>(data.size() * 2, dataLen + 2));
      continue;
    }
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc == ERROR_SUCCESS) {
      RegValue v;
      v.name.assign(name.data(), nameLen);
      v.type = type;
      v.data.assign(data.begin(), data.begin() + std::min<size_t>(dataLen, data.size()));
      values.push_back(std::move(v));
    } else if (rc != ERROR_MORE_DATA) {
      break;
    }
    retries = 0;
    ++i;
  }
  if (out) *out = std::move(values);
  return ERROR_SUCCESS;
}

LONG RegKey::DeleteKeyTree(HKEY root, std::wstring_view subkey) {
  std::wstring s = RelativeKeyPath(subkey);
  if (s.empty()) return ERROR_INVALID_PARAMETER;  // never the root key itself
  const auto deleteKey = ShlwapiApi().shDeleteKey;
  if (!deleteKey) return ERROR_PROC_NOT_FOUND;
  return static_cast<LONG>(deleteKey(root, s.c_str()));
}

}  // namespace vantrel::platform
