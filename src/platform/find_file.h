#pragma once
// The entries of one folder, through FindFirstFile / FindNextFile. Owns the
// search handle. "." and ".." are never returned; hidden and system entries
// and sub-folders are.
//
//   platform::FindFile find(folder);
//   platform::FoundEntry entry;
//   while (find.Next(&entry)) { ... entry.name ... }
//
// Only a fully qualified folder is searched: an empty or relative folder
// (which "\*" would turn into the current drive's root or the current
// folder) finds nothing.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/unique_handle.h"

namespace vantrel::platform {

struct FoundEntry {
  std::wstring name;  // the entry's name, without its folder
  DWORD attributes = 0;

  bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  // A symbolic link or junction: follow it only knowingly.
  bool IsReparsePoint() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
};

class FindFile {
 public:
  // Searches folder + "\" + pattern. A trailing backslash of `folder` is allowed.
  explicit FindFile(std::wstring_view folder, std::wstring_view pattern = L"*");
  FindFile(FindFile&&) = default;
  FindFile& operator=(FindFile&&) = default;

  // The next entry; false when there is none (the search is then closed).
  bool Next(FoundEntry* out);

  // All entries at once, in the order the file system returns them.
  static std::vector<FoundEntry> List(std::wstring_view folder, std::wstring_view pattern = L"*");

 private:
  UniqueFind find_;
  WIN32_FIND_DATAW data_{};
  bool pending_ = false;  // data_ holds an entry not yet returned
};

}  // namespace vantrel::platform
