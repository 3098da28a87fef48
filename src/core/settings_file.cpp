#include "core/settings_file.h"

#include "core/app_state.h"
#include "core/settings_rules.h"
#include "platform/dialogs.h"

namespace vantrel {
namespace {

std::wstring RefusedWriteText(const std::wstring& file) {
  if (KoreanUi) return L"설정 파일에 저장하지 못했습니다.\r\n" + file;
  return L"The settings could not be saved to the file\r\n" + file;
}

// The profile API takes a bare file name as one in the Windows folder; the
// settings file is always named with its folder (an empty program folder
// must not send it there).
bool NamesAFolder(const std::wstring& file) { return file.find_first_of(L"\\/") != std::wstring::npos; }

}  // namespace

bool SettingsFileExists(const std::wstring& file) {
  if (!NamesAFolder(file)) return false;
  DWORD attributes = ::GetFileAttributesW(file.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool SettingsFile::WriteRaw(std::wstring_view section, std::wstring_view key, const std::wstring& value) const {
  std::wstring s(section), k(key);
  if (NamesAFolder(path_) && ::WritePrivateProfileStringW(s.c_str(), k.c_str(), value.c_str(), path_.c_str()))
    return true;
  platform::ShowMessage(owner_, RefusedWriteText(path_), kProgramTitle);
  return false;
}

bool SettingsFile::ReadBool(std::wstring_view section, std::wstring_view key, bool fallback) const {
  return ParseSettingsBool(ReadText(section, key), fallback);
}

int SettingsFile::ReadInt(std::wstring_view section, std::wstring_view key, int fallback) const {
  return ParseSettingsInt(ReadText(section, key), fallback);
}

std::wstring SettingsFile::ReadText(std::wstring_view section, std::wstring_view key,
                                    std::wstring_view fallback) const {
  if (!NamesAFolder(path_)) return std::wstring(fallback.substr(0, kSettingsTextLimit));
  std::wstring s(section), k(key), d(fallback);
  wchar_t buffer[kSettingsTextLimit + 1] = {};
  DWORD got = ::GetPrivateProfileStringW(s.c_str(), k.c_str(), d.c_str(), buffer, kSettingsTextLimit + 1,
                                         path_.c_str());
  return CutSettingsText(std::wstring_view(buffer, got));
}

std::vector<std::wstring> SettingsFile::ReadNames(std::wstring_view section, std::wstring_view key) const {
  return SplitNameList(ReadText(section, key));
}

bool SettingsFile::WriteBool(std::wstring_view section, std::wstring_view key, bool value) const {
  return WriteRaw(section, key, value ? L"1" : L"0");
}

bool SettingsFile::WriteInt(std::wstring_view section, std::wstring_view key, int value) const {
  return WriteRaw(section, key, std::to_wstring(value));
}

bool SettingsFile::WriteText(std::wstring_view section, std::wstring_view key, std::wstring_view value) const {
  return WriteRaw(section, key, SingleLineValue(value));
}

bool SettingsFile::WriteNames(std::wstring_view section, std::wstring_view key,
                              const std::vector<std::wstring>& names) const {
  std::vector<std::wstring> lines;
  lines.reserve(names.size());
  for (const auto& name : names) lines.push_back(SingleLineValue(name));
  return WriteRaw(section, key, JoinNameList(lines));
}

}  // namespace vantrel
