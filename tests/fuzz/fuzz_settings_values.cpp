// Settings values of "Vantrel.ini": numbers, name lists and single-line
// values, from any stored text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/settings_rules.h"
#include "fuzz_input.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = fuzz::Utf16Units(data, size);

  // A number reads back as itself when written in decimal.
  if (const std::optional<int> n = ParseSettingsInteger(text)) {
    FUZZ_CHECK(ParseSettingsInteger(std::to_wstring(*n)) == n);
    FUZZ_CHECK(ParseSettingsInt(text, *n == 0 ? 1 : 0) == *n);
    FUZZ_CHECK(ParseSettingsBool(text, *n == 0) == (*n != 0));
  } else {
    FUZZ_CHECK(ParseSettingsInt(text, 12345) == 12345);
  }

  FUZZ_CHECK(CutSettingsText(text).size() <= kSettingsTextLimit);
  const std::wstring line = SingleLineValue(text);
  FUZZ_CHECK(line.size() == text.size() && line.find_first_of(L"\r\n") == std::wstring::npos);

  const std::vector<std::wstring> names = SplitNameList(text);
  for (const std::wstring& name : names) FUZZ_CHECK(name.find_first_of(L"\r\n") == std::wstring::npos);
  // A value read from the file is one line: its names, written back, read
  // back as the same names. (Not an empty last name: "a||||" reads as "a"
  // and "", which joins to "a||", and a separator at the end adds no name.)
  if (text.find_first_of(L"\r\n") == std::wstring::npos && (names.empty() || !names.back().empty())) {
    const std::wstring joined = JoinNameList(names);
    FUZZ_CHECK(joined.size() <= kSettingsTextLimit);
    FUZZ_CHECK(SplitNameList(joined) == names);
  }

  // A value the write check lets through reads back as itself; so do the
  // names of a list it lets through (the text split at every 8th unit into
  // names, so that separators and ends fall anywhere).
  if (CheckSettingsText(text) == SettingsValueProblem::kNone) FUZZ_CHECK(SettingsReadBack(text) == text);
  std::vector<std::wstring> pieces;
  for (size_t at = 0; at < text.size(); at += 8) pieces.push_back(text.substr(at, 8));
  if (CheckSettingsNames(pieces) == SettingsValueProblem::kNone)
    FUZZ_CHECK(SplitNameList(SettingsReadBack(JoinNameList(pieces))) == pieces);
  return 0;
}
