#pragma once
// The checks of the settings window's launcher entries, free of Windows.
// Each gives the number of the first failing test (the suffix of its
// message key: 1 for "Msg_ChkPGTab1", 2k or 2k+1 for slot k) or 0 when the
// entries pass.
#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace vantrel {

using LauncherTexts = std::array<std::wstring, 4>;

// Program launchers: none complete at all (every name or every path empty)
// gives 1; then for slot k (1-4) with a path, a missing name gives 2k and a
// path where no file exists gives 2k+1. A name without a path passes.
int FirstProgramLauncherFault(const LauncherTexts& names, const LauncherTexts& paths,
                              const std::function<bool(const std::wstring&)>& fileExists);

// Site launchers: the same first test; then for slot k an address without a
// name gives 2k and a name without an address 2k+1. An empty slot passes.
int FirstSiteLauncherFault(const LauncherTexts& names, const LauncherTexts& addresses);

// The file name of a path (after its last '\' or '/').
std::wstring_view FileNameOf(std::wstring_view path);

}  // namespace vantrel
