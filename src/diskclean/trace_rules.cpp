#include "diskclean/trace_rules.h"
#include "core/text_rules.h"

namespace vantrel {
namespace {

constexpr uint32_t kHidden = 0x2;  // FILE_ATTRIBUTE_HIDDEN
constexpr uint32_t kSystem = 0x4;  // FILE_ATTRIBUTE_SYSTEM

wchar_t Lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

}  // namespace

int FirstProfileIndex(const std::vector<TraceName>& entries) {
  for (size_t i = 0; i < entries.size(); ++i) {
    const TraceName& e = entries[i];
    if (e.name.empty() || e.name == L"." || e.name == L"..") continue;
    if (e.attributes & (kHidden | kSystem)) continue;
    return static_cast<int>(i);
  }
  return -1;
}

bool IsChromeHistoryName(std::wstring_view name) {
  constexpr std::wstring_view kHistory = L"history";
  if (name.size() < kHistory.size()) return false;
  for (size_t i = 0; i < kHistory.size(); ++i)
    if (Lower(name[i]) != kHistory[i]) return false;
  return true;
}

bool KeptInShellFolder(std::wstring_view name) { return name == L"." || name == L".." || name == L"desktop.ini"; }

bool IsModernIeVersion(std::wstring_view fileVersion) {
  size_t i = 0;
  unsigned long major = 0;
  while (i < fileVersion.size() && fileVersion[i] >= L'0' && fileVersion[i] <= L'9') {
    if (major < 1000000) major = major * 10 + static_cast<unsigned long>(fileVersion[i] - L'0');
    ++i;
  }
  return i > 0 && major > 6;
}

std::wstring TypedUrlValueName(int n) { return L"url" + DecimalText(n); }

}  // namespace vantrel
