#pragma once
// The settings file "Vantrel.ini" in the program folder, read and written
// through the profile API (the file stays in the system's ANSI code page).
// Nothing is cached: every call opens the file and closes it again.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/helpers.h"
#include "core/settings_rules.h"

namespace vantrel {

// Sections and keys of the file.
namespace settings {
inline constexpr wchar_t kWindow[] = L"WINDOW";
inline constexpr wchar_t kTopMost[] = L"TOPMOST";
inline constexpr wchar_t kMenuHide[] = L"MENUHIDE";
inline constexpr wchar_t kInitStartProgram[] = L"INIT_START_PROGRAM";
inline constexpr wchar_t kInitIe[] = L"INIT_IE";
inline constexpr wchar_t kInitProcess[] = L"INIT_PROCESS";
inline constexpr wchar_t kProgramLauncher[] = L"PROGRAM_LAUNCHER";  // 2-4: append the digit
inline constexpr wchar_t kSiteLauncher[] = L"SITE_LAUNCHER";        // 2-4: append the digit
inline constexpr wchar_t kUse[] = L"USE";
inline constexpr wchar_t kName[] = L"NAME";
inline constexpr wchar_t kPath[] = L"PATH";
inline constexpr wchar_t kHdd[] = L"HDD";
inline constexpr wchar_t kIeTemp[] = L"IE_TEMP";
inline constexpr wchar_t kCookie[] = L"COOKIE";
inline constexpr wchar_t kAddrBar[] = L"ADDR_BAR";
inline constexpr wchar_t kAutoPass[] = L"AUTO_PASS";
inline constexpr wchar_t kMyTemp[] = L"MY_TEMP";
inline constexpr wchar_t kDoc[] = L"DOC";
inline constexpr wchar_t kInitExcept[] = L"INIT_EXCEPT";
inline constexpr wchar_t kBho[] = L"BHO";
inline constexpr wchar_t kToolbar[] = L"TOOLBAR";
inline constexpr wchar_t kIcon[] = L"ICON";
inline constexpr wchar_t kStartProgram[] = L"START_PROGRAM";
inline constexpr wchar_t kTaskScheduler[] = L"TASK_SCHEDULER";
}  // namespace settings

// The program folder + "Vantrel.ini".
inline std::wstring SettingsFilePath() { return GetProgramFolder() + L"Vantrel.ini"; }

// True when the file exists (a bare file name without its folder never
// does: it is not looked for in the Windows folder). Readers of several keys ask first and take every
// default without opening the file when it is missing.
bool SettingsFileExists(const std::wstring& file);

// One settings file. Reads never fail: a missing file, section or key, or a
// value that does not parse, gives the default. Writes create the file, the
// section and the key when missing and replace an existing value in place;
// when the system refuses a write the user is told in a message box naming
// the file and the write returns false, so that a writer of several keys
// stops there (keys written before keep their new values).
//
// A value is written only when it reads back identical: one with a blank at
// either end, enclosed in quotation marks, longer than 2,047 characters or
// with characters the system's ANSI code page lacks, and a name list whose
// names would not read back as the same names, is refused before anything is
// written, with a message box naming the key and the reason.
//
// A file larger than 1 MB is neither read (every key gives its default) nor
// written (every write returns false); the user is told once per file and run.
class SettingsFile {
 public:
  SettingsFile() : SettingsFile(SettingsFilePath()) {}
  // `owner` owns the message box of a refused write (may be null).
  explicit SettingsFile(std::wstring path, HWND owner = nullptr) : path_(std::move(path)), owner_(owner) {}

  const std::wstring& path() const { return path_; }
  bool Exists() const { return SettingsFileExists(path_); }

  bool ReadBool(std::wstring_view section, std::wstring_view key, bool fallback) const;
  int ReadInt(std::wstring_view section, std::wstring_view key, int fallback) const;
  // At most 2,047 characters.
  std::wstring ReadText(std::wstring_view section, std::wstring_view key, std::wstring_view fallback = {}) const;
  // Empty by default. The 2,047-character limit applies to the joined text.
  std::vector<std::wstring> ReadNames(std::wstring_view section, std::wstring_view key) const;

  bool WriteBool(std::wstring_view section, std::wstring_view key, bool value) const;  // "1" / "0"
  bool WriteInt(std::wstring_view section, std::wstring_view key, int value) const;    // decimal
  // Line breaks in texts and names become blanks: a value is one line of the file.
  bool WriteText(std::wstring_view section, std::wstring_view key, std::wstring_view value) const;
  bool WriteNames(std::wstring_view section, std::wstring_view key, const std::vector<std::wstring>& names) const;

 private:
  bool WriteRaw(std::wstring_view section, std::wstring_view key, const std::wstring& value) const;
  // True (after telling the user) when `value` must not be written.
  bool RefuseUnstorable(std::wstring_view section, std::wstring_view key, SettingsValueProblem problem,
                        const std::wstring& value) const;

  std::wstring path_;
  HWND owner_;
};

}  // namespace vantrel
