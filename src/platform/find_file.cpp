#include "platform/find_file.h"

#include "platform/file_system.h"

namespace vantrel::platform {

FindFile::FindFile(std::wstring_view folder, std::wstring_view pattern) {
  if (!IsFullyQualifiedPath(folder) || pattern.empty()) return;
  std::wstring query(folder);
  if (query.back() != L'\\' && query.back() != L'/') query += L'\\';
  query += pattern;
  find_.reset(::FindFirstFileW(query.c_str(), &data_));
  pending_ = find_.valid();
}

bool FindFile::Next(FoundEntry* out) {
  while (find_.valid()) {
    if (!pending_ && !::FindNextFileW(find_.get(), &data_)) {
      find_.reset();
      break;
    }
    pending_ = false;
    const std::wstring_view name(data_.cFileName);
    if (name == L"." || name == L"..") continue;
    if (out) {
      out->name.assign(name);
      out->attributes = data_.dwFileAttributes;
    }
    return true;
  }
  return false;
}

std::vector<FoundEntry> FindFile::List(std::wstring_view folder, std::wstring_view pattern) {
  std::vector<FoundEntry> entries;
  FindFile find(folder, pattern);
  FoundEntry entry;
  while (find.Next(&entry)) entries.push_back(entry);
  return entries;
}

}  // namespace vantrel::platform
