#include "core/text_rules.h"

namespace vantrel {

std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to) {
  if (from.empty()) return std::wstring(text);
  std::wstring out;
  out.reserve(text.size());
  size_t pos = 0;
  for (;;) {
    size_t hit = text.find(from, pos);
    if (hit == std::wstring_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::wstring UnescapeLineBreaks(std::wstring_view text) {
  return ReplaceAll(ReplaceAll(text, L"#13", L"\r"), L"#10", L"\n");
}

std::wstring TakeToken(std::wstring& text, std::wstring_view separator) {
  size_t hit = separator.empty() ? std::wstring::npos : text.find(separator);
  if (hit == std::wstring::npos) {
    std::wstring token;
    token.swap(text);
    return token;
  }
  std::wstring token = text.substr(0, hit);
  text.erase(0, hit + separator.size());
  return token;
}

namespace {

std::wstring Digits(uint64_t value, unsigned base, int width, bool negative) {
  wchar_t buffer[72];
  wchar_t* end = buffer + 72;
  wchar_t* at = end;
  do {
    *--at = L"0123456789ABCDEF"[value % base];
    value /= base;
  } while (value != 0);
  if (width > 64) width = 64;
  while (end - at < width) *--at = L'0';
  if (negative) *--at = L'-';
  return std::wstring(at, end);
}

}  // namespace

std::wstring DecimalText(int64_t value, int width) {
  // The magnitude in unsigned arithmetic, so that the most negative value works too.
  const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  return Digits(magnitude, 10, width, value < 0);
}

std::wstring HexText(uint64_t value, int width) { return Digits(value, 16, width, false); }

}  // namespace vantrel
