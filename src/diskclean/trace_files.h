#pragma once
// Deletions inside a browser's folders that never leave them. A folder is
// opened once, without following a link at its last step, and everything
// below it is opened relative to that handle: a folder swapped for a link
// while a run goes on is met as the link, which is removed itself, never
// followed. Nothing here reports why a deletion failed; what cannot be
// deleted (in use, read-only, a folder that is not empty) stays.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/unique_handle.h"

namespace vantrel {

struct TraceEntry {
  std::wstring name;
  DWORD attributes = 0;
  bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  bool IsLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
};

// The folder at a fully qualified path, for listing and work below it; null
// unless the path names a real folder (a link there, a file or nothing give
// null). Folders on the way to the last step are the caller's business.
platform::UniqueHandle OpenTraceFolder(const std::wstring& path);
// A real sub-folder `name` of an open folder; null for a link, a file or nothing.
platform::UniqueHandle OpenTraceSubfolder(HANDLE folder, std::wstring_view name);

// The entries of an open folder in the file system's order, without "." and "..".
std::vector<TraceEntry> ListTraceFolder(HANDLE folder);

// Deletes the entry `name` of an open folder when it is a file or a link (a
// link goes itself, never what it points at); a real folder stays. True when
// the entry is gone.
bool DeleteTraceFile(HANDLE folder, std::wstring_view name);

// Deletes everything inside an open folder: files and links go, sub-folders
// are emptied the same way and then removed. The folder itself stays.
void EmptyTraceFolder(HANDLE folder);
// The same through a path (OpenTraceFolder); false when it names no real folder.
bool EmptyTraceFolder(const std::wstring& path);

// The attributes of what an open handle names (0 when they cannot be read).
DWORD TraceHandleAttributes(HANDLE handle);

}  // namespace vantrel
