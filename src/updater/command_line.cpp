#include "updater/command_line.h"

#include <array>
#include <cwctype>

namespace vantrel {

std::vector<std::wstring> SplitCommandLine(const std::wstring& line) {
  std::vector<std::wstring> out;
  size_t at = 0;
  const size_t n = line.size();
  for (;;) {
    while (at < n && (line[at] == L' ' || line[at] == L'\t')) ++at;
    if (at >= n) break;
    std::wstring argument;
    bool quoted = false;
    while (at < n && (quoted || (line[at] != L' ' && line[at] != L'\t'))) {
      if (line[at] == L'"') quoted = !quoted;
      else argument += line[at];
      ++at;
    }
    out.push_back(argument);
  }
  return out;
}

bool IsBareFileName(const std::wstring& name) {
  if (name.empty() || name.size() > 255) return false;
  if (name.find(L"..") != std::wstring::npos) return false;
  for (wchar_t c : name) {
    if (c < 0x20) return false;
    if (std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) return false;
  }
  if (name.back() == L'.' || name.back() == L' ' || name.front() == L' ') return false;
  // Device names, with or without an extension.
  std::wstring stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  for (wchar_t& c : stem) c = static_cast<wchar_t>(std::towupper(c));
  static const std::array<const wchar_t*, 22> devices = {
      L"CON",  L"PRN",  L"AUX",  L"NUL",  L"COM1", L"COM2", L"COM3", L"COM4", L"COM5", L"COM6", L"COM7",
      L"COM8", L"COM9", L"LPT1", L"LPT2", L"LPT3", L"LPT4", L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9"};
  for (const wchar_t* device : devices)
    if (stem == device) return false;
  return true;
}

std::optional<std::vector<UpdateTriple>> ReadTriples(const std::vector<std::wstring>& arguments, bool* refused) {
  *refused = false;
  if (arguments.size() < 6) return std::nullopt;  // position 0 and at least five arguments
  std::vector<UpdateTriple> triples;
  for (size_t p = 3; p < arguments.size(); p += 3) {
    if (p + 2 >= arguments.size()) {
      *refused = true;  // an incomplete last triple
      return std::nullopt;
    }
    UpdateTriple t{arguments[p], arguments[p + 1], arguments[p + 2]};
    if (t.url.empty() || t.url2.empty() || !IsBareFileName(t.fileName)) {
      *refused = true;
      return std::nullopt;
    }
    triples.push_back(std::move(t));
  }
  return triples;
}

namespace {
bool StartsWithNoCase(const std::wstring& text, std::wstring_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (static_cast<wchar_t>(std::towlower(text[i])) != prefix[i]) return false;
  return true;
}
}  // namespace

bool AllowedRedirect(const std::wstring& from, const std::wstring& to) {
  if (StartsWithNoCase(to, L"https://")) return true;
  return StartsWithNoCase(to, L"http://") && !StartsWithNoCase(from, L"https://");
}

std::wstring RestartParameters(const std::wstring& launchSite, const std::wstring& firstUrl) {
  return L"\"UPDATE_OK\" \"" + launchSite + L"\" \"" + firstUrl + L"\"";
}

}  // namespace vantrel
