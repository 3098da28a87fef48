#pragma once
// Pure rules of the disk cleanup: which Firefox profile is cleaned, which
// names are Chrome history files, which entries of a temporary Internet
// files folder stay, what counts as a modern Internet Explorer, the
// progress steps of a run. No Windows headers.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

struct TraceName {
  std::wstring name;
  uint32_t attributes = 0;  // FILE_ATTRIBUTE_* bits
};

// The index of the first entry that is neither "." nor ".." and neither
// hidden nor a system entry; -1 when there is none. Only that profile is
// cleaned.
int FirstProfileIndex(const std::vector<TraceName>& entries);

// Chrome's history file and everything named like it ("History-journal",
// "History Index 2013-01"): names beginning with "History" in any letter case.
bool IsChromeHistoryName(std::wstring_view name);

// An entry of a shell folder that its cleaning leaves: exactly "desktop.ini"
// (letter case counts), "." and "..".
bool KeptInShellFolder(std::wstring_view name);

// Internet Explorer 7 or later: the number before the first "." of its file
// version is greater than 6. False for an empty text or one that does not
// begin with a digit.
bool IsModernIeVersion(std::wstring_view fileVersion);

// The value name of typed address n (from 1): "url1", "url2", ...
std::wstring TypedUrlValueName(int n);

}  // namespace vantrel
