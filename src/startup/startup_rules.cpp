#include "startup/startup_rules.h"

#include <algorithm>

#include "core/text_rules.h"

namespace vantrel {

StartupPlace PlaceOfLocation(std::wstring_view location) {
  if (location == kStartupLocation) return StartupPlace::kStartupFolder;
  if (location.find(L"HKEY_LOCAL_MACHINE") != std::wstring_view::npos) {
    const bool view64 = location.size() >= k64BitViewSuffix.size() &&
                        location.substr(location.size() - k64BitViewSuffix.size()) == k64BitViewSuffix;
    return view64 ? StartupPlace::kMachineRun64 : StartupPlace::kMachineRun;
  }
  if (location.find(L"HKEY_CURRENT_USER") != std::wstring_view::npos) return StartupPlace::kUserRun;
  return StartupPlace::kUnknown;
}

bool IsDesktopIni(std::wstring_view name) {
  static constexpr std::wstring_view kName = L"desktop.ini";
  if (name.size() != kName.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    wchar_t c = name[i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c != kName[i]) return false;
  }
  return true;
}

TExclusionList::TExclusionList(std::vector<std::wstring> names) {
  for (auto& n : names) Add(n);
}

bool TExclusionList::Contains(std::wstring_view name) const {
  return std::find(names_.begin(), names_.end(), name) != names_.end();
}

void TExclusionList::Add(std::wstring_view name) {
  if (!Contains(name)) names_.emplace_back(name);
}

bool TExclusionList::Remove(std::wstring_view name) {
  auto it = std::find(names_.begin(), names_.end(), name);
  if (it == names_.end()) return false;
  names_.erase(it);
  return true;
}

bool IsStorableListName(std::wstring_view name) {
  if (name.empty() || name.find(L"||") != std::wstring_view::npos || name.back() == L'|') return false;
  if (name.find_first_of(L"\r\n") != std::wstring_view::npos) return false;
  for (wchar_t end : {name.front(), name.back()})
    if (end == L' ' || end == L'\t' || end == L'"') return false;
  return true;
}

std::vector<std::wstring> StorableListNames(const std::vector<std::wstring>& names, size_t limit,
                                            std::vector<std::wstring>* leftOut) {
  std::vector<std::wstring> kept;
  size_t length = 0;
  for (const auto& name : names) {
    const size_t added = name.size() + (kept.empty() ? 0 : 2);
    if (IsStorableListName(name) && length + added <= limit) {
      kept.push_back(name);
      length += added;
    } else if (leftOut) {
      leftOut->push_back(name);
    }
  }
  return kept;
}

std::vector<TaskListRecord> ParseTaskListText(std::wstring text) {
  std::vector<TaskListRecord> records;
  while (!text.empty()) {
    std::wstring record = TakeToken(text, L";;");
    TaskListRecord r;
    r.name = TakeToken(record, L"||");
    r.command = TakeToken(record, L"||");
    r.arguments = TakeToken(record, L"||");
    if (r.arguments == L"NONE") r.arguments.clear();
    if (!r.name.empty()) records.push_back(std::move(r));
  }
  return records;
}

std::wstring TaskProgramPath(std::wstring_view command) {
  if (!command.empty() && command.front() == L'"') command.remove_prefix(1);
  if (!command.empty() && command.back() == L'"') command.remove_suffix(1);
  return std::wstring(command);
}

}  // namespace vantrel
