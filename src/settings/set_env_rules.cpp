#include "settings/set_env_rules.h"

#include <algorithm>

namespace vantrel {
namespace {

bool AllEmpty(const LauncherTexts& texts) {
  return std::all_of(texts.begin(), texts.end(), [](const std::wstring& t) { return t.empty(); });
}

}  // namespace

int FirstProgramLauncherFault(const LauncherTexts& names, const LauncherTexts& paths,
                              const std::function<bool(const std::wstring&)>& fileExists) {
  if (AllEmpty(names) || AllEmpty(paths)) return 1;
  for (int k = 1; k <= 4; ++k) {
    const std::wstring& name = names[static_cast<size_t>(k - 1)];
    const std::wstring& path = paths[static_cast<size_t>(k - 1)];
    if (path.empty()) continue;
    if (name.empty()) return 2 * k;
    if (!fileExists(path)) return 2 * k + 1;
  }
  return 0;
}

int FirstSiteLauncherFault(const LauncherTexts& names, const LauncherTexts& addresses) {
  if (AllEmpty(names) || AllEmpty(addresses)) return 1;
  for (int k = 1; k <= 4; ++k) {
    const bool hasName = !names[static_cast<size_t>(k - 1)].empty();
    const bool hasAddress = !addresses[static_cast<size_t>(k - 1)].empty();
    if (hasAddress && !hasName) return 2 * k;
    if (hasName && !hasAddress) return 2 * k + 1;
  }
  return 0;
}

std::wstring_view FileNameOf(std::wstring_view path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

}  // namespace vantrel
