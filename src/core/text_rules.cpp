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

}  // namespace vantrel
