#include "core/settings_rules.h"

#include <cstdint>

#include "core/text_rules.h"

namespace vantrel {
namespace {

int DigitValue(wchar_t c, int base) {
  int v = -1;
  if (c >= L'0' && c <= L'9') v = c - L'0';
  else if (c >= L'a' && c <= L'f') v = c - L'a' + 10;
  else if (c >= L'A' && c <= L'F') v = c - L'A' + 10;
  return v < base ? v : -1;
}

// The characters a profile reader may drop at the ends of a value: Windows
// drops blanks and tabs, Wine every space character and Ctrl+Z. Refusing all
// of them at the ends costs nothing.
bool IsEdgeSpace(wchar_t c) {
  if (c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1A || c == 0x85 || c == 0xA0) return true;
  return c == 0x1680 || (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
         c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

bool IsQuote(wchar_t c) { return c == L'"' || c == L'\''; }

}  // namespace

std::optional<int> ParseSettingsInteger(std::wstring_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
    negative = text.front() == L'-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.starts_with(L"0x") || text.starts_with(L"0X")) {
    base = 16;
    text.remove_prefix(2);
  } else if (text.starts_with(L"$")) {
    base = 16;
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  // Decimal must fit a signed 32-bit number; hexadecimal is a 32-bit pattern.
  const uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  uint64_t value = 0;
  for (wchar_t c : text) {
    int d = DigitValue(c, base);
    if (d < 0) return std::nullopt;
    value = value * base + d;
    if (value > limit) return std::nullopt;
  }
  uint32_t bits = static_cast<uint32_t>(value);
  if (negative) bits = 0u - bits;
  return static_cast<int>(static_cast<int32_t>(bits));
}

bool ParseSettingsBool(std::wstring_view text, bool fallback) {
  std::optional<int> n = ParseSettingsInteger(text);
  return n ? *n != 0 : fallback;
}

int ParseSettingsInt(std::wstring_view text, int fallback) {
  return ParseSettingsInteger(text).value_or(fallback);
}

std::wstring CutSettingsText(std::wstring_view text) {
  return std::wstring(text.substr(0, kSettingsTextLimit));
}

std::vector<std::wstring> SplitNameList(std::wstring_view stored) {
  std::wstring text = ReplaceAll(CutSettingsText(stored), kNameListSeparator, L"\r\n");
  std::vector<std::wstring> names;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of(L"\r\n", pos);
    if (end == std::wstring::npos) {
      names.push_back(text.substr(pos));
      break;
    }
    names.push_back(text.substr(pos, end - pos));
    pos = end + 1;
    if (text[end] == L'\r' && pos < text.size() && text[pos] == L'\n') ++pos;
  }
  return names;
}

std::wstring JoinNameList(const std::vector<std::wstring>& names) {
  std::wstring joined;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i) joined.append(kNameListSeparator);
    joined.append(names[i]);
  }
  return joined;
}

std::wstring SingleLineValue(std::wstring_view text) {
  std::wstring line(text);
  for (auto& c : line)
    if (c == L'\r' || c == L'\n') c = L' ';
  return line;
}

std::wstring SettingsReadBack(std::wstring_view stored) {
  while (!stored.empty() && IsEdgeSpace(stored.front())) stored.remove_prefix(1);
  while (!stored.empty() && IsEdgeSpace(stored.back())) stored.remove_suffix(1);
  if (stored.size() >= 2 && IsQuote(stored.front()) && stored.back() == stored.front())
    stored = stored.substr(1, stored.size() - 2);
  return CutSettingsText(stored);
}

SettingsValueProblem CheckSettingsText(std::wstring_view value) {
  if (value.find_first_of(std::wstring_view(L"\0\r\n", 3)) != std::wstring_view::npos)
    return SettingsValueProblem::kControlCharacter;
  if (!value.empty() && (IsEdgeSpace(value.front()) || IsEdgeSpace(value.back())))
    return SettingsValueProblem::kEdgeBlank;
  if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
    return SettingsValueProblem::kQuoted;
  if (value.size() > kSettingsTextLimit) return SettingsValueProblem::kTooLong;
  // Whatever else the reader might change shows here.
  return SettingsReadBack(value) == value ? SettingsValueProblem::kNone : SettingsValueProblem::kEdgeBlank;
}

SettingsValueProblem CheckSettingsNames(const std::vector<std::wstring>& names) {
  for (const auto& name : names)
    if (name.find_first_of(std::wstring_view(L"\0\r\n", 3)) != std::wstring::npos)
      return SettingsValueProblem::kControlCharacter;
  const std::wstring joined = JoinNameList(names);
  if (const SettingsValueProblem text = CheckSettingsText(joined); text != SettingsValueProblem::kNone) return text;
  return SplitNameList(joined) == names ? SettingsValueProblem::kNone : SettingsValueProblem::kNamesMerge;
}

}  // namespace vantrel
