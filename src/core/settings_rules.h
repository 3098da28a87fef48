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

}  // namespace vantrel
