#pragma once
// Value rules of the settings file "Vantrel.ini": how its texts become
// booleans, integers and name lists and back. Pure: no Windows headers.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// A text value is read back with at most this many characters; the limit
// covers the whole joined text of a name list too.
inline constexpr size_t kSettingsTextLimit = 2047;

// Separator between the names of a name list.
inline constexpr std::wstring_view kNameListSeparator = L"||";

// Decimal ("-12", "+7", "42"), or hexadecimal after "0x", "0X" or "$"
// ("0x1F", "$ff"; up to 32 bits, so "$FFFFFFFF" is -1). Anything else -
// empty text, blanks, trailing characters, a value out of range - is not a
// number and gives nothing.
std::optional<int> ParseSettingsInteger(std::wstring_view text);

// Integer rule; any number other than 0 is true; no number gives `fallback`.
bool ParseSettingsBool(std::wstring_view text, bool fallback);
// Integer rule with a fallback.
int ParseSettingsInt(std::wstring_view text, int fallback);

// The first kSettingsTextLimit characters.
std::wstring CutSettingsText(std::wstring_view text);

// The names of a stored list: the text cut to the limit, every "||" turned
// into a line break, then split into lines. An empty value gives no name, a
// break at the very end adds no empty name, "a||||b" gives "a", "", "b".
std::vector<std::wstring> SplitNameList(std::wstring_view stored);
// The names joined with "||" between them; an empty list is empty text.
std::wstring JoinNameList(const std::vector<std::wstring>& names);

// A value as it may be written into one line of the file: CR and LF (which
// would end the line and let the rest be read as keys or sections) become
// blanks.
std::wstring SingleLineValue(std::wstring_view text);

// A settings file larger than this is neither read nor written: the profile
// API would read it as empty and the next write would replace it whole.
inline constexpr unsigned long long kSettingsFileLimit = 1ull << 20;

// Why a value would not read back as it was written (the code page is
// checked by the caller, which knows it).
enum class SettingsValueProblem {
  kNone,
  kEdgeBlank,       // a blank (or another space character) at either end: the reader drops it
  kQuoted,          // enclosed in a pair of the same quotation marks: the reader drops them
  kTooLong,         // more than kSettingsTextLimit characters: the reader cuts it
  kControlCharacter,  // a NUL or a line break: it would end the value or the line
  kNamesMerge,      // a name list whose names would not come apart as the same names
};

// What the profile API gives back for a stored value: the text without the
// space characters at either end, without one pair of enclosing quotation
// marks ('...' or "..."), cut to the limit.
std::wstring SettingsReadBack(std::wstring_view stored);

// kNone when `value`, written as it is, reads back identical.
SettingsValueProblem CheckSettingsText(std::wstring_view value);
// kNone when the names, joined, read back identical as text and split into
// the same names again (no name that holds "||" or a line break or ends
// with "|" before another name, and no empty name at the end; a list of one
// empty name reads back as no name).
SettingsValueProblem CheckSettingsNames(const std::vector<std::wstring>& names);

}  // namespace vantrel
