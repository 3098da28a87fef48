#pragma once
// The start-up program inventory: the values of the Run keys, the entries of
// the two Startup folders and the scheduled tasks of the root task folder,
// each with its maker, and the two exclusion lists of the settings file.
// Built anew each time the start-up window is created.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/settings_file.h"
#include "platform/windows_bitness.h"
#include "startup/startup_rules.h"

namespace vantrel {

class SchedletLibrary;

// One Run value or Startup-folder entry.
struct TStartupEntry {
  std::wstring name;      // the value's name, or the entry's file name
  bool excluded = false;  // in the START_PROGRAM exclusion list
  std::wstring maker;     // "CompanyName" of the program, or empty
  std::wstring command;   // Run value: its data as stored; folder entry: the folder (no trailing backslash)
  std::wstring location;  // one of the location texts (startup_rules.h); also tells the registry view
};

// One scheduled task of the root task folder.
struct TTaskEntry {
  std::wstring name;
  bool excluded = false;  // in the TASK_SCHEDULER exclusion list
  std::wstring maker;
  std::wstring command;
  std::wstring arguments;  // empty when the bridge reports "NONE"
};

// True on 64-bit Windows, whichever build of the program asks.
using platform::IsWindows64;

// One Run key to open: its root, the registry view flag to open it with
// (0, KEY_WOW64_64KEY or KEY_WOW64_32KEY) and the location text of its entries.
struct RunKeyPlace {
  HKEY root = nullptr;
  REGSAM view = 0;
  std::wstring location;
};
// The machine-wide Run keys in listing order: on 64-bit Windows the 64-bit
// view, then the 32-bit view (plain location text); else the one key.
std::vector<RunKeyPlace> MachineRunKeyPlaces(bool windows64);
// Where the entry of a location text lives, for deletion and restore: its
// own registry view. None for "STARTUP" and unknown texts. A 64-bit record
// on 32-bit Windows goes to the one machine key there.
std::optional<RunKeyPlace> RunKeyPlaceOf(std::wstring_view location, bool windows64);

// Where ListStartupEntries looks. The default is the real system.
struct StartupSources {
  std::vector<RunKeyPlace> machineRunKeys;  // MachineRunKeyPlaces(IsWindows64())
  std::wstring userFolder;                  // CSIDL_STARTUP; empty when unknown
  std::wstring commonFolder;                // CSIDL_COMMON_STARTUP; empty when unknown
};
StartupSources SystemStartupSources();

// The entries in list order:
// 1. the machine Run key(s): when the plain machine key cannot be opened or
//    asked, the result is empty; the extra 64-bit view is skipped when missing;
// 2. HKCU Run: when it cannot be opened, the listing ends here (the Startup
//    folders are not listed either);
// 3. the user's Startup folder, then the common one unless it is the same
//    folder. A folder whose path is unknown is not listed (never anything else).
// Values of non-text types are left out: Windows starts nothing from them,
// and a backup record could not carry their data, so deleting them would
// lose it. "desktop.ini" is skipped in any letter case; sub-folders are
// listed like files, with an empty maker.
std::vector<TStartupEntry> ListStartupEntries(const TExclusionList& exclusions);
std::vector<TStartupEntry> ListStartupEntries(const TExclusionList& exclusions, const StartupSources& sources);

// The tasks of the bridge's list text (none when it cannot list, or when it
// reports a status other than 0).
std::vector<TTaskEntry> ListTaskEntries(const TExclusionList& exclusions, const SchedletLibrary& bridge);
// The same from a source of the list text: none means the bridge failed.
using TaskListSource = std::function<std::optional<std::wstring>()>;
std::vector<TTaskEntry> ListTaskEntries(const TExclusionList& exclusions, const TaskListSource& listText);

// "CompanyName" of the file at `path`; empty when `path` is not a full path
// to an existing file, or the file has no such version text.
std::wstring MakerOf(const std::wstring& path);

// The exclusion lists in "Vantrel.ini", section "INIT_EXCEPT", keys
// "START_PROGRAM" / "TASK_SCHEDULER" ("||"-joined names).
inline constexpr wchar_t kStartupExclusionKey[] = L"START_PROGRAM";
inline constexpr wchar_t kTaskExclusionKey[] = L"TASK_SCHEDULER";

// Empty when the file does not exist. Empty names are dropped.
TExclusionList LoadExclusionList(const std::wstring& key);
TExclusionList LoadExclusionList(const SettingsFile& file, const std::wstring& key);

// Whether `name` can be saved in an exclusion list and read back unchanged
// (IsStorableListName, and every character in the system's ANSI code page,
// in which the settings file is written).
bool IsStorableExclusionName(const std::wstring& name);

// Writes the names joined by "||" (creating the file or the section when
// missing). Names that could not be read back as they are, and names beyond
// the 2,047 characters a list is read back with, are not written (they would
// read back as other names): they go to `leftOut`. False when the write was
// refused (the settings file code has told the user).
bool SaveExclusionList(const std::wstring& key, const std::vector<std::wstring>& names,
                       std::vector<std::wstring>* leftOut = nullptr);
bool SaveExclusionList(const SettingsFile& file, const std::wstring& key, const std::vector<std::wstring>& names,
                       std::vector<std::wstring>* leftOut = nullptr);

}  // namespace vantrel
