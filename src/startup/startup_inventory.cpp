#include "startup/startup_inventory.h"

#include <shlobj.h>

#include <cwctype>

#include "core/helpers.h"
#include "core/settings_rules.h"
#include "platform/file_system.h"
#include "platform/find_file.h"
#include "platform/reg_key.h"
#include "platform/shell_folders.h"
#include "platform/text_conv.h"
#include "schedlet/schedlet_library.h"
#include "startup/program_path.h"

namespace vantrel {
namespace {

using platform::RegKey;
using platform::RegValue;

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::towupper(a[i]) != std::towupper(b[i])) return false;
  return true;
}

// Opens one Run key for reading and appends its text values. False when the
// key cannot be opened or asked.
bool ListRunKey(HKEY root, REGSAM view, const std::wstring& location, const TExclusionList& exclusions,
                std::vector<TStartupEntry>* out) {
  RegKey key;
  if (key.Open(root, kRunKeyPath, KEY_READ | view) != ERROR_SUCCESS) return false;
  std::vector<RegValue> values;
  if (key.Values(&values) != ERROR_SUCCESS) return false;
  for (const RegValue& value : values) {
    if (!value.IsText()) continue;
    TStartupEntry entry;
    entry.name = value.name;
    entry.excluded = exclusions.Contains(entry.name);
    entry.command = value.Text();
    entry.maker = MakerOf(ExtractProgramPath(entry.command));
    entry.location = location;
    out->push_back(std::move(entry));
  }
  return true;
}

void ListFolder(const std::wstring& folder, const TExclusionList& exclusions, std::vector<TStartupEntry>* out) {
  if (folder.empty()) return;
  platform::FindFile find(folder);
  platform::FoundEntry found;
  while (find.Next(&found)) {
    if (IsDesktopIni(found.name)) continue;
    TStartupEntry entry;
    entry.name = found.name;
    entry.excluded = exclusions.Contains(entry.name);
    entry.maker = found.IsFolder() ? std::wstring() : MakerOf(folder + L"\\" + found.name);
    entry.command = folder;
    entry.location = std::wstring(kStartupLocation);
    out->push_back(std::move(entry));
  }
}

}  // namespace

std::vector<RunKeyPlace> MachineRunKeyPlaces(bool windows64) {
  if (!windows64) return {{HKEY_LOCAL_MACHINE, 0, std::wstring(kMachineRunLocation)}};
  return {{HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, std::wstring(kMachineRun64Location)},
          {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, std::wstring(kMachineRunLocation)}};
}

std::optional<RunKeyPlace> RunKeyPlaceOf(std::wstring_view location, bool windows64) {
  switch (PlaceOfLocation(location)) {
    case StartupPlace::kMachineRun:
      return RunKeyPlace{HKEY_LOCAL_MACHINE, REGSAM(windows64 ? KEY_WOW64_32KEY : 0), std::wstring(location)};
    case StartupPlace::kMachineRun64:
      return RunKeyPlace{HKEY_LOCAL_MACHINE, REGSAM(windows64 ? KEY_WOW64_64KEY : 0), std::wstring(location)};
    case StartupPlace::kUserRun:
      return RunKeyPlace{HKEY_CURRENT_USER, 0, std::wstring(location)};
    default:
      return std::nullopt;
  }
}

StartupSources SystemStartupSources() {
  StartupSources sources;
  sources.machineRunKeys = MachineRunKeyPlaces(IsWindows64());
  sources.userFolder = platform::ShellFolderPath(CSIDL_STARTUP);
  sources.commonFolder = platform::ShellFolderPath(CSIDL_COMMON_STARTUP);
  return sources;
}

std::vector<TStartupEntry> ListStartupEntries(const TExclusionList& exclusions) {
  return ListStartupEntries(exclusions, SystemStartupSources());
}

std::vector<TStartupEntry> ListStartupEntries(const TExclusionList& exclusions, const StartupSources& sources) {
  std::vector<TStartupEntry> entries;
  for (const RunKeyPlace& place : sources.machineRunKeys) {
    if (!ListRunKey(place.root, place.view, place.location, exclusions, &entries) &&
        place.location == kMachineRunLocation)
      return {};
  }
  if (!ListRunKey(HKEY_CURRENT_USER, 0, std::wstring(kUserRunLocation), exclusions, &entries)) return entries;
  ListFolder(sources.userFolder, exclusions, &entries);
  if (!SameFolder(sources.commonFolder, sources.userFolder)) ListFolder(sources.commonFolder, exclusions, &entries);
  return entries;
}

std::vector<TTaskEntry> ListTaskEntries(const TExclusionList& exclusions, const SchedletLibrary& bridge) {
  if (!bridge.canList()) return {};
  return ListTaskEntries(exclusions, [&bridge] { return bridge.TaskListText(); });
}

std::vector<TTaskEntry> ListTaskEntries(const TExclusionList& exclusions, const TaskListSource& listText) {
  std::vector<TTaskEntry> tasks;
  const std::optional<std::wstring> text = listText ? listText() : std::nullopt;
  if (!text) return tasks;
  for (TaskListRecord& record : ParseTaskListText(*text)) {
    TTaskEntry task;
    task.name = std::move(record.name);
    task.excluded = exclusions.Contains(task.name);
    task.maker = MakerOf(TaskProgramPath(record.command));
    task.command = std::move(record.command);
    task.arguments = std::move(record.arguments);
    tasks.push_back(std::move(task));
  }
  return tasks;
}

std::wstring MakerOf(const std::wstring& path) {
  // A bare name ("app.exe") names no file this program could tell: Windows
  // finds it along its own search path, not in the current folder.
  if (!platform::IsFullyQualifiedPath(path) || !platform::FileExists(path)) return {};
  return GetFileVersionText(path, L"CompanyName");
}

TExclusionList LoadExclusionList(const std::wstring& key) { return LoadExclusionList(SettingsFile(), key); }

TExclusionList LoadExclusionList(const SettingsFile& file, const std::wstring& key) {
  if (!file.Exists()) return {};
  std::vector<std::wstring> names;
  for (auto& name : file.ReadNames(settings::kInitExcept, key))
    if (!name.empty()) names.push_back(std::move(name));
  return TExclusionList(std::move(names));
}

bool IsStorableExclusionName(const std::wstring& name) {
  return IsStorableListName(name) && platform::ToWide(platform::ToNarrow(name)) == name;
}

bool SaveExclusionList(const std::wstring& key, const std::vector<std::wstring>& names,
                       std::vector<std::wstring>* leftOut) {
  return SaveExclusionList(SettingsFile(), key, names, leftOut);
}

bool SaveExclusionList(const SettingsFile& file, const std::wstring& key, const std::vector<std::wstring>& names,
                       std::vector<std::wstring>* leftOut) {
  std::vector<std::wstring> encodable;
  for (const auto& name : names) {
    if (IsStorableExclusionName(name))
      encodable.push_back(name);
    else if (leftOut)
      leftOut->push_back(name);
  }
  return file.WriteNames(settings::kInitExcept, key, StorableListNames(encodable, kSettingsTextLimit, leftOut));
}

}  // namespace vantrel
