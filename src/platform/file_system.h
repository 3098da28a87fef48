#pragma once
// Questions about paths, asked the same way everywhere.
#include <string>
#include <string_view>

namespace vantrel::platform {

// "X:\..." or "\\server\share\..." (also "\\?\X:\..."). Relative paths, a
// bare drive ("C:"), and paths from the current drive's root ("\x") are not.
bool IsFullyQualifiedPath(std::wstring_view path);

// True when a file (not a folder) exists at `path`. An empty path never does.
bool FileExists(std::wstring_view path);
// True when a folder exists at `path`. An empty path never does.
bool FolderExists(std::wstring_view path);
// True when anything (a file, a folder, a link) is at `path`, for names
// that must not be taken. An empty path never is.
bool EntryExists(std::wstring_view path);
// True when the entry at `path` itself is a reparse point (a symbolic link,
// a junction): the entry, not what it points at, is asked.
bool IsReparsePoint(std::wstring_view path);

// A plain file name that names an entry directly inside a folder: not empty,
// not "." or "..", no path separators, drive colons, wildcards or other
// characters Windows refuses in names, no control characters, no trailing
// dot or blank (Windows would strip them and name another file), no
// reserved device name (CON, NUL, COM1, ...). Pure rule.
bool IsPlainFileName(std::wstring_view name);

}  // namespace vantrel::platform
