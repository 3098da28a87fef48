#pragma once
// Text rules of the start-up program inventory: where an entry lives, the
// exclusion lists, the task list records. Pure: no Windows headers.
#include <string>
#include <string_view>
#include <vector>

#include "core/registry_paths.h"  // kRunKeyPath, the Run key below both roots

namespace vantrel {

// Location texts of start-up entries; they are stored in recovery records,
// and deletion and restore go by them.
//
// On 64-bit Windows the machine-wide Run key has two registry views. The
// plain machine location names the 32-bit view there: it is the key this
// 32-bit program has always opened, so records written before the views were
// told apart restore where they came from. The 64-bit view carries the
// suffix " (64-bit)"; its text still contains "HKEY_LOCAL_MACHINE", so a
// reader that only looks for that word still takes it for a machine entry.
// On 32-bit Windows there is one key and only the plain text is used.
inline constexpr std::wstring_view kMachineRunLocation =
    L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::wstring_view kMachineRun64Location =
    L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run (64-bit)";
inline constexpr std::wstring_view kUserRunLocation =
    L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::wstring_view kStartupLocation = L"STARTUP";
inline constexpr std::wstring_view k64BitViewSuffix = L" (64-bit)";

enum class StartupPlace {
  kMachineRun,    // HKLM Run; the 32-bit view on 64-bit Windows
  kMachineRun64,  // HKLM Run, 64-bit view
  kUserRun,       // HKCU Run
  kStartupFolder,
  kUnknown,
};
// By the store's rules: exactly "STARTUP" is a folder entry; a text that
// contains "HKEY_LOCAL_MACHINE" is a machine entry (of the 64-bit view when
// it ends in " (64-bit)"); one that contains "HKEY_CURRENT_USER" a user
// entry; anything else is unknown.
StartupPlace PlaceOfLocation(std::wstring_view location);

// "desktop.ini" in any letter case: never a start-up entry.
bool IsDesktopIni(std::wstring_view name);

// Names of excluded entries: an ordered list, exact case-sensitive membership.
class TExclusionList {
 public:
  TExclusionList() = default;
  explicit TExclusionList(std::vector<std::wstring> names);

  bool Contains(std::wstring_view name) const;
  // Appends only a name that is not present yet.
  void Add(std::wstring_view name);
  // Removes the first equal name; true when one was removed.
  bool Remove(std::wstring_view name);
  const std::vector<std::wstring>& names() const { return names_; }
  bool empty() const { return names_.empty(); }

 private:
  std::vector<std::wstring> names_;
};

// Whether a name survives being stored in a "||"-joined list of the
// settings file unchanged: not empty, no "||", no "|" at its end (it would
// run into the separator), no line break, no blank or double quote at either
// end (the profile functions strip those from a value). A name that fails
// could not be read back, or would read back as other names.
bool IsStorableListName(std::wstring_view name);

// The names a list can be saved with: the storable ones, in order, as long
// as the joined text stays within `limit` characters, so that what is read
// back is exactly what was saved. The others go to `leftOut` (may be null).
std::vector<std::wstring> StorableListNames(const std::vector<std::wstring>& names, size_t limit,
                                            std::vector<std::wstring>* leftOut);

// One record of Schedlet's task list text.
struct TaskListRecord {
  std::wstring name;
  std::wstring command;
  std::wstring arguments;  // empty when the bridge reports "NONE"
};
// Records split at ";;", fields at "||"; missing fields are empty; records
// without a name (nothing could be done with them) are left out.
std::vector<TaskListRecord> ParseTaskListText(std::wstring text);

// The task command as a file path: without a leading double quote, then
// without a trailing one.
std::wstring TaskProgramPath(std::wstring_view command);

}  // namespace vantrel
