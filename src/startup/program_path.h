#pragma once
// The program file named by a start-up command line, for the maker lookup.
// Pure: no Windows headers.
#include <string>
#include <string_view>

namespace vantrel {

// A command that begins with a quoted path gives that path. Otherwise, with
// the quotes removed: the text up to the first blank after the first dot
// that follows the last backslash; a command without a backslash, without
// such a dot or without such a blank is returned unchanged.
//   "\"C:\\A B\\app.exe\" /min"                      -> C:\A B\app.exe
//   "C:\\Windows\\system32\\rundll32.exe shell32.dll,X" -> C:\Windows\system32\rundll32.exe
//   "C:\\App\\app.exe -x C:\\data\\file.txt"          -> unchanged (the last backslash is the argument's)
std::wstring ExtractProgramPath(std::wstring_view command);

}  // namespace vantrel
