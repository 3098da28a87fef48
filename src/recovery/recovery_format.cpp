#include "recovery/recovery_format.h"

#include <limits>

#include "core/text_rules.h"

namespace vantrel::recovery {
namespace {

wchar_t FoldAscii(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool EqualsFolded(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

std::optional<uint64_t> ParseDigits(std::wstring_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  uint64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - L'0');
  }
  return value;
}

bool HasControlCharacter(std::wstring_view text) {
  for (wchar_t c : text)
    if (c < 32) return true;
  return false;
}

// A line split at its first " = ".
std::pair<std::wstring, std::wstring> SplitLine(const std::wstring& line) {
  std::wstring rest = line;
  std::wstring key = TakeToken(rest, L" = ");
  return {key, rest};
}

std::wstring WithoutLineBreaks(std::wstring text) {
  for (auto& c : text)
    if (c == L'\r' || c == L'\n' || c == L'\0') c = L' ';
  return text;
}

}  // namespace

size_t ReaderFieldCount(std::wstring_view section) {
  if (EqualsFolded(section, kStartProgramSection)) return 5;
  if (EqualsFolded(section, kSchedulerSection)) return 4;
  if (EqualsFolded(section, kBhoSection) || EqualsFolded(section, kToolbarSection)) return 5;
  if (EqualsFolded(section, kIconSection)) return 4;
  return 0;
}

std::wstring ItemKey(size_t index) { return L"ITEM" + DecimalText(index); }

std::optional<size_t> ItemIndexOfKey(std::wstring_view key) {
  if (key.size() < 5 || !EqualsFolded(key.substr(0, 4), L"ITEM")) return std::nullopt;
  const std::wstring_view digits = key.substr(4);
  if (digits.size() > 1 && digits[0] == L'0') return std::nullopt;
  const auto value = ParseDigits(digits);
  if (!value || *value > std::numeric_limits<uint32_t>::max()) return std::nullopt;
  return static_cast<size_t>(*value);
}

size_t ParseCount(std::wstring_view text) {
  const auto value = ParseDigits(text);
  if (!value || *value > std::numeric_limits<uint32_t>::max()) return 0;
  return static_cast<size_t>(*value);
}

std::wstring JoinRecord(const RecoveryRecord& fields) {
  std::wstring text;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) text += kFieldSeparator;
    text += fields[i];
  }
  return text;
}

RecoveryRecord SplitRecord(std::wstring text, size_t fieldCount) {
  RecoveryRecord fields;
  if (fieldCount == 0) {
    do fields.push_back(TakeToken(text, kFieldSeparator));
    while (!text.empty());
    return fields;
  }
  for (size_t i = 0; i < fieldCount; ++i) fields.push_back(TakeToken(text, kFieldSeparator));
  return fields;
}

bool CanStoreRecord(const RecoveryRecord& fields) {
  for (size_t i = 0; i < fields.size(); ++i) {
    const std::wstring& f = fields[i];
    if (f.find(kFieldSeparator) != std::wstring::npos) return false;
    if (i + 1 < fields.size() && !f.empty() && f.back() == L'|') return false;
  }
  const std::wstring text = JoinRecord(fields);
  if (text.empty() || text.size() > kRecordTextLimit) return false;
  if (text.find_first_of(std::wstring_view(L"\r\n\0", 3)) != std::wstring::npos) return false;
  for (wchar_t end : {text.front(), text.back()})
    if (end == L' ' || end == L'\t') return false;
  if (text.size() >= 2 && (text.front() == L'"' || text.front() == L'\'') && text.back() == text.front())
    return false;
  return true;
}

std::wstring RewriteText(std::wstring_view section, const RecoveryRecord& fields) {
  RecoveryRecord out = fields;
  if (EqualsFolded(section, kIconSection)) {
    out.resize(4);
    return WithoutLineBreaks(JoinRecord(out) + L"||||");
  }
  if (EqualsFolded(section, kStartProgramSection)) {
    if (out.size() < 4) out.resize(4);
    if (out.size() > 4 && out[4].empty()) out.resize(4);
  }
  return WithoutLineBreaks(JoinRecord(out));
}

bool CanExportValue(const ExportValue& value) {
  const std::wstring named = value.name + L" = ";
  if (named.find(L" = ") != value.name.size()) return false;
  if (value.name.find_first_of(L"\r\n") != std::wstring::npos) return false;
  if (value.isText && value.text.find_first_of(L"\r\n") != std::wstring::npos) return false;
  return true;
}

std::vector<std::wstring> FormatExportLines(const RegistryExport& file) {
  std::vector<std::wstring> lines;
  lines.push_back(std::wstring(L"ROOT_KEY = ") + (file.userRoot ? L"HKEY_CURRENT_USER" : L"HKEY_LOCAL_MACHINE"));
  lines.push_back(L"BASE_KEY = " + file.baseKey);
  lines.push_back(L"CLSID_REGKEY = " + file.keyName);
  for (const auto& v : file.values) {
    if (!CanExportValue(v)) continue;
    lines.push_back(v.name + L" = " + (v.isText ? L"str::" + v.text : L"int::" + DecimalText(v.number)));
  }
  return lines;
}

std::vector<std::wstring> SplitLines(std::wstring_view text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'\r' && text[i] != L'\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::optional<RegistryExport> ParseExportLines(const std::vector<std::wstring>& lines) {
  RegistryExport file;
  bool root = false, base = false, name = false;
  for (const auto& line : lines) {
    auto [key, value] = SplitLine(line);
    if (key == L"ROOT_KEY" && !root) {
      root = true;
      file.userRoot = value != L"HKEY_LOCAL_MACHINE";
    } else if (key == L"BASE_KEY" && !base) {
      base = true;
      file.baseKey = value;
    } else if (key == L"CLSID_REGKEY" && !name) {
      name = true;
      file.keyName = value;
    }
    if (root && base && name) break;
  }
  if (!root || !base || !name) return std::nullopt;

  for (const auto& line : lines) {
    if (line.find(L" = ") == std::wstring::npos) continue;
    auto [valueName, rest] = SplitLine(line);
    if (valueName == L"ROOT_KEY" || valueName == L"BASE_KEY" || valueName == L"CLSID_REGKEY") continue;
    const std::wstring type = TakeToken(rest, L"::");
    ExportValue v;
    v.name = valueName;
    if (type == L"str") {
      v.text = rest;
    } else if (type == L"int") {
      std::wstring_view digits = rest;
      const bool negative = !digits.empty() && digits.front() == L'-';
      if (negative || (!digits.empty() && digits.front() == L'+')) digits.remove_prefix(1);
      const auto magnitude = ParseDigits(digits);
      if (!magnitude) continue;
      if (negative ? *magnitude > 2147483648ull : *magnitude > 4294967295ull) continue;
      const int64_t signedValue = negative ? -static_cast<int64_t>(*magnitude) : static_cast<int64_t>(*magnitude);
      v.isText = false;
      v.number = static_cast<int32_t>(static_cast<uint32_t>(signedValue & 0xFFFFFFFF));
    } else {
      continue;
    }
    file.values.push_back(std::move(v));
  }
  return file;
}

bool IsImportableKey(std::wstring_view baseKey, std::wstring_view keyName) {
  auto plainComponent = [](std::wstring_view c) {
    return !c.empty() && c != L"." && c != L".." && c.find_first_of(L"\\/") == std::wstring_view::npos &&
           !HasControlCharacter(c) && c.front() != L' ' && c.back() != L' ';
  };
  if (!plainComponent(keyName)) return false;
  if (!baseKey.empty() && baseKey.front() == L'\\') baseKey.remove_prefix(1);
  if (baseKey.empty()) return false;
  size_t start = 0;
  for (;;) {
    const size_t slash = baseKey.find(L'\\', start);
    if (!plainComponent(baseKey.substr(start, slash - start))) return false;
    if (slash == std::wstring_view::npos) return true;
    start = slash + 1;
  }
}

bool SameKeyPath(std::wstring_view a, std::wstring_view b) {
  if (!a.empty() && a.front() == L'\\') a.remove_prefix(1);
  if (!b.empty() && b.front() == L'\\') b.remove_prefix(1);
  return EqualsFolded(a, b);
}

}  // namespace vantrel::recovery
