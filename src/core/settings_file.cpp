#include "core/settings_file.h"

#include <mutex>
#include <set>

#include "core/text_rules.h"
#include "platform/file_system.h"
#include "core/app_state.h"
#include "core/settings_rules.h"
#include "platform/dialogs.h"
#include "platform/text_conv.h"

namespace vantrel {
namespace {

std::wstring RefusedWriteText(const std::wstring& file) {
  if (KoreanUi) return L"설정 파일에 저장하지 못했습니다.\r\n" + file;
  return L"The settings could not be saved to the file\r\n" + file;
}

std::wstring OversizedFileText(const std::wstring& file) {
  if (KoreanUi)
    return L"설정 파일이 1 MB보다 커서 사용하지 않습니다. 설정을 읽지 않고, 바뀐 설정도 저장하지 않습니다.\r\n" + file;
  return L"The settings file is larger than 1 MB and is not used: its settings are not read, and changes are not "
         L"saved to it.\r\n" + file;
}

std::wstring ProblemText(SettingsValueProblem problem) {
  const bool ko = KoreanUi;
  switch (problem) {
    case SettingsValueProblem::kEdgeBlank:
      return ko ? L"값의 처음이나 끝에 공백이 있습니다." : L"The value begins or ends with a blank.";
    case SettingsValueProblem::kQuoted:
      return ko ? L"값이 따옴표로 둘러싸여 있습니다." : L"The value is enclosed in quotation marks.";
    case SettingsValueProblem::kTooLong:
      return ko ? L"값이 2,047자보다 깁니다." : L"The value is longer than 2,047 characters.";
    case SettingsValueProblem::kControlCharacter:
      return ko ? L"값에 저장할 수 없는 제어 문자가 있습니다." : L"The value holds a control character that cannot be stored.";
    case SettingsValueProblem::kNamesMerge:
      return ko ? L"이름 목록을 다시 같은 이름으로 나눌 수 없습니다. 빈 이름이 끝에 있거나, 이름에 \"||\"가 있거나, "
                  L"이름이 \"|\"로 끝납니다."
                : L"The names would not read back as the same names: a name is empty at the end, holds \"||\", or "
                  L"ends with \"|\".";
    case SettingsValueProblem::kNone:
      break;
  }
  return ko ? L"값에 시스템 코드 페이지로 저장할 수 없는 문자가 있습니다."
            : L"The value holds characters that the system's code page cannot store.";
}

std::wstring UnstorableValueText(const std::wstring& file, std::wstring_view section, std::wstring_view key,
                                 SettingsValueProblem problem) {
  const std::wstring place = L"[" + std::wstring(section) + L"] " + std::wstring(key);
  if (KoreanUi) return L"이 값은 설정 파일에 저장할 수 없습니다: " + place + L"\r\n" + ProblemText(problem) + L"\r\n" + file;
  return L"This value cannot be saved to the settings file: " + place + L"\r\n" + ProblemText(problem) +
         L"\r\n" + file;
}

// Whether the file is larger than the limit; the user is told about each
// such file once per run.
bool Oversized(const std::wstring& file, HWND owner) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return false;
  const unsigned long long size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  if (size <= kSettingsFileLimit) return false;
  static std::mutex guard;
  static std::set<std::wstring> told;
  bool first;
  {
    std::lock_guard<std::mutex> lock(guard);
    first = told.insert(file).second;
  }
  if (first) platform::ShowMessage(owner, OversizedFileText(file), kProgramTitle);
  return true;
}

// The profile API takes a bare file name as one in the Windows folder; the
// settings file is always named with its folder (an empty program folder
// must not send it there).
bool NamesAFolder(const std::wstring& file) { return file.find_first_of(L"\\/") != std::wstring::npos; }

}  // namespace

bool SettingsFileExists(const std::wstring& file) { return NamesAFolder(file) && platform::FileExists(file); }

bool SettingsFile::WriteRaw(std::wstring_view section, std::wstring_view key, const std::wstring& value) const {
  std::wstring s(section), k(key);
  if (NamesAFolder(path_) && Oversized(path_, owner_)) return false;
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
  if (!NamesAFolder(path_) || Oversized(path_, owner_)) return std::wstring(fallback.substr(0, kSettingsTextLimit));
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
  return WriteRaw(section, key, DecimalText(value));
}

bool SettingsFile::RefuseUnstorable(std::wstring_view section, std::wstring_view key, SettingsValueProblem problem,
                                    const std::wstring& value) const {
  // The file is in the system's ANSI code page: a character it lacks would
  // be stored as another one (or as "?").
  if (problem == SettingsValueProblem::kNone && platform::ToNarrowExact(value)) return false;
  platform::ShowMessage(owner_, UnstorableValueText(path_, section, key, problem), kProgramTitle);
  return true;
}

bool SettingsFile::WriteText(std::wstring_view section, std::wstring_view key, std::wstring_view value) const {
  const std::wstring line = SingleLineValue(value);
  if (RefuseUnstorable(section, key, CheckSettingsText(line), line)) return false;
  return WriteRaw(section, key, line);
}

bool SettingsFile::WriteNames(std::wstring_view section, std::wstring_view key,
                              const std::vector<std::wstring>& names) const {
  std::vector<std::wstring> lines;
  lines.reserve(names.size());
  for (const auto& name : names) lines.push_back(SingleLineValue(name));
  const std::wstring joined = JoinNameList(lines);
  if (RefuseUnstorable(section, key, CheckSettingsNames(lines), joined)) return false;
  return WriteRaw(section, key, joined);
}

}  // namespace vantrel
