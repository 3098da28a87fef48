#pragma once
// The updater's command line: blanks separate arguments, a double quote
// starts or ends a quoted stretch that may hold blanks (the quotes are not
// part of the argument), and there is no escape character. Position 0 is
// the program itself. Pure code.
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// Every argument, position 0 included. An unbalanced quote runs to the end
// of the line.
std::vector<std::wstring> SplitCommandLine(const std::wstring& line);

// One file to update: its primary and second address and its bare name.
struct UpdateTriple {
  std::wstring url, url2, fileName;
};

// The triples of positions 3-5, 6-8, ... Nothing (nullopt) when there are
// fewer than five arguments; `refused` is set, and nothing returned, when a
// triple is incomplete, holds an empty member or names its file unsafely:
// the updater writes only inside its own folder.
std::optional<std::vector<UpdateTriple>> ReadTriples(const std::vector<std::wstring>& arguments, bool* refused);

// A bare file name: not empty, no folder (\ or /), no drive or stream
// (colon), no wildcard, no "..", no character Windows refuses in a name, and
// no device name (CON, NUL, COM1, ...).
bool IsBareFileName(const std::wstring& name);

// Whether a redirect from one address to another may be followed: only to
// http or https, and never from https down to plain http.
bool AllowedRedirect(const std::wstring& from, const std::wstring& to);

// The parameters with which the updater starts the program again: "UPDATE_OK",
// the launch-site text and the first primary address, each in double quotes.
std::wstring RestartParameters(const std::wstring& launchSite, const std::wstring& firstUrl);

}  // namespace vantrel
