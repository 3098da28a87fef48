#pragma once
// The command line with which the main program starts the updater: the
// pop-up interval bare, then the launch-site text, the primary and the
// second download address and the program's file name, each in double
// quotes, separated by one blank. Pure code.
#include <cstdint>
#include <string>

namespace vantrel {

// A double quote cannot stand inside a quoted argument (the updater's
// parser has no escape for it), so any that a value holds is left out:
// the values stay five arguments, whatever the version file announced.
std::wstring BuildUpdaterCommandLine(uint32_t popupInterval, const std::wstring& launchSite,
                                     const std::wstring& updateUrl, const std::wstring& secondUrl,
                                     const std::wstring& fileName);

}  // namespace vantrel
