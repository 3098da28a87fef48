#include "activex/activex_inventory.h"

#include <cwctype>

#include "activex/activex_rules.h"
#include "core/helpers.h"
#include "platform/file_system.h"
#include "platform/reg_key.h"
#include "platform/unique_handle.h"

namespace vantrel::activex {
namespace {

using platform::RegKey;
using platform::UniqueFile;

struct RegHandleTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::RegCloseKey(h); }
};
using UniqueKey = platform::ScopedHandle<RegHandleTraits>;

std::wstring Below(const wchar_t* base, const std::wstring& name) { return std::wstring(base) + L"\\" + name; }

std::wstring DefaultText(HKEY root, const std::wstring& path, bool* opened) {
  RegKey key;
  *opened = key.Open(root, path) == ERROR_SUCCESS;
  std::wstring text;
  if (*opened && !key.ReadString(L"", &text)) text.clear();
  return text;
}

// ---- registry deletion

// A key opened with REG_OPTION_OPEN_LINK is a link when it carries the link's
// target as "SymbolicLinkValue" of type REG_LINK.
bool IsLinkKey(HKEY key) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  const LONG rc = ::RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, &size);
  return (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) && type == REG_LINK;
}

// Deletes the very key behind a handle (a link key itself, never its target).
bool DeleteKeyByHandle(HKEY key) {
  using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
  // ntdll is part of every process: asked for by name, never loaded.
  static const auto ntDeleteKey = reinterpret_cast<NtDeleteKeyFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
  return ntDeleteKey && ntDeleteKey(key) >= 0;
}

UniqueKey OpenKeyItself(HKEY parent, const std::wstring& name, REGSAM access) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK, access, &key) != ERROR_SUCCESS) return UniqueKey();
  return UniqueKey(key);
}

std::vector<std::wstring> SubkeysOf(HKEY key) {
  std::vector<std::wstring> names;
  DWORD count = 0, maxLength = 0;
  if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &maxLength, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
    return names;
  std::vector<wchar_t> buffer(maxLength + 2);
  for (DWORD i = 0; i < count;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    const LONG rc = ::RegEnumKeyExW(key, i, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) {
      buffer.resize(buffer.size() * 2 + 256);
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    names.emplace_back(buffer.data(), length);
    ++i;
  }
  return names;
}

void DeleteTreeBelow(HKEY parent, const std::wstring& name, int depth) {
  // Registry trees are at most 512 levels deep; the limit guards the stack
  // against whatever a damaged hive reports.
  if (depth > 512 || !IsPlainKeyName(name)) return;
  UniqueKey key = OpenKeyItself(parent, name, KEY_READ | DELETE);
  if (!key) return;
  if (!IsLinkKey(key.get())) {
    for (const std::wstring& sub : SubkeysOf(key.get())) DeleteTreeBelow(key.get(), sub, depth + 1);
  }
  DeleteKeyByHandle(key.get());
}

// A path below a root, opened one key at a time; a link on the way ends it.
UniqueKey OpenWithoutLinks(HKEY root, const std::wstring& path) {
  UniqueKey current;
  HKEY at = root;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    const std::wstring part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    UniqueKey next = OpenKeyItself(at, part, KEY_READ);
    if (!next || IsLinkKey(next.get())) return UniqueKey();
    current = std::move(next);
    at = current.get();
  }
  return current;
}

// ---- file deletion

// The length of the root of a fully qualified path ("C:\", "\\server\share\",
// "\\?\C:\"); 0 for any other form.
size_t RootLength(const std::wstring& path) {
  auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  auto drive = [&](size_t at) {
    return path.size() > at + 2 && iswalpha(path[at]) && path[at + 1] == L':' && separator(path[at + 2]);
  };
  if (path.rfind(L"\\\\?\\", 0) == 0) return drive(4) ? 7 : 0;
  if (drive(0)) return 3;
  if (path.size() > 2 && separator(path[0]) && separator(path[1]) && !separator(path[2])) {
    const size_t server = path.find_first_of(L"\\/", 2);
    if (server == std::wstring::npos) return 0;
    const size_t share = path.find_first_of(L"\\/", server + 1);
    if (share == std::wstring::npos || share == server + 1) return 0;
    return share + 1;
  }
  return 0;
}

// Opens a folder so that it cannot be renamed, removed or replaced while held;
// only a real folder (not a link) is held.
UniqueFile HoldFolder(const std::wstring& folder) {
  UniqueFile handle(::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!handle || !::GetFileInformationByHandle(handle.get(), &info) ||
      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return UniqueFile();
  return handle;
}

}  // namespace

std::wstring CreatedDateText(const std::wstring& path) {
  UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return {};
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file.get(), &info)) return {};
  return DateColumnText(info.ftCreationTime);
}

std::wstring DateColumnText(const FILETIME& creationUtc) {
  FILETIME local{};
  if (!::FileTimeToLocalFileTime(&creationUtc, &local)) return {};
  const uint64_t ticks = (static_cast<uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
  const auto stamp = StampFromLocalTicks(ticks);
  if (!stamp) return {};
  SYSTEMTIME at{};
  at.wYear = static_cast<WORD>(stamp->when.year);
  at.wMonth = static_cast<WORD>(stamp->when.month);
  at.wDay = static_cast<WORD>(stamp->when.day);
  at.wHour = static_cast<WORD>(stamp->when.hour);
  at.wMinute = static_cast<WORD>(stamp->when.minute);
  at.wSecond = static_cast<WORD>(stamp->when.second);
  at.wMilliseconds = static_cast<WORD>(stamp->when.millisecond);
  // The day of the week, which some date formats show.
  FILETIME exact{};
  SYSTEMTIME withWeekday{};
  if (::SystemTimeToFileTime(&at, &exact) && ::FileTimeToSystemTime(&exact, &withWeekday))
    at.wDayOfWeek = withWeekday.wDayOfWeek;

  wchar_t date[128] = {};
  wchar_t time[128] = {};
  std::wstring dateText, timeText;
  if (::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &at, nullptr, date, 128) > 0) dateText = date;
  if (dateText.empty()) dateText = IsoDateText(stamp->when);
  if (!stamp->midnight) {
    if (::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &at, nullptr, time, 128) > 0) timeText = time;
    if (timeText.empty()) timeText = IsoTimeText(stamp->when);
  }
  return JoinDateAndTime(dateText, timeText, stamp->midnight);
}

std::vector<ActiveXRow> ListActiveXControls() {
  std::vector<ActiveXRow> rows;
  RegKey units;
  if (units.Open(HKEY_LOCAL_MACHINE, kDistributionUnitsPath) != ERROR_SUCCESS) return rows;
  for (const std::wstring& unitId : units.SubkeyNames()) {
    if (!IsPlainKeyName(unitId)) continue;
    ActiveXRow row;
    row.UnitId = unitId;
    bool opened = false;
    row.Name = DefaultText(HKEY_LOCAL_MACHINE, Below(kMachineClsidPath, unitId), &opened);
    if (!opened) continue;
    row.FullPath = DefaultText(HKEY_LOCAL_MACHINE, Below(kMachineClsidPath, unitId) + L"\\InprocServer32", &opened);
    if (!opened) continue;
    // Only a fully qualified path names one file: a relative one would be
    // looked for wherever this program happens to stand.
    if (!platform::IsFullyQualifiedPath(row.FullPath) || !platform::FileExists(row.FullPath)) continue;
    RegKey download;
    if (download.Open(HKEY_LOCAL_MACHINE, Below(kDistributionUnitsPath, unitId) + L"\\DownloadInformation") ==
            ERROR_SUCCESS &&
        !download.ReadString(L"CODEBASE", &row.InstallPlace))
      row.InstallPlace.clear();
    row.Company = GetFileVersionText(row.FullPath, L"CompanyName");
    row.CreatedDate = CreatedDateText(row.FullPath);
    rows.push_back(std::move(row));
  }
  return rows;
}

void DelRegistryKey(HKEY root, const std::wstring& base, const std::wstring& name) {
  if (!IsPlainKeyName(name)) return;
  const std::wstring relative = platform::RelativeKeyPath(base);
  UniqueKey parent;
  if (root == HKEY_CURRENT_USER) {
    parent = OpenWithoutLinks(root, relative);
  } else {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, relative.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) parent.reset(key);
  }
  if (!parent) return;
  DeleteTreeBelow(parent.get(), name, 0);
}

void DelActiveXRegistry(const std::wstring& unitId) {
  DelRegistryKey(HKEY_LOCAL_MACHINE, kDistributionUnitsPath, unitId);
  DelRegistryKey(HKEY_LOCAL_MACHINE, kMachineClsidPath, unitId);
  DelRegistryKey(HKEY_CURRENT_USER, kExtSettingsPath, unitId);
  DelRegistryKey(HKEY_CURRENT_USER, kExtStatsPath, unitId);
  DelRegistryKey(HKEY_CLASSES_ROOT, kClassesRootClsidPath, unitId);
}

bool UnregisterServer(const std::wstring& path, DWORD timeoutMs) {
  wchar_t system[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  const std::wstring command = UnregisterCommandLine(system, path);
  if (command.empty()) return false;
  return RunCommand(command, SW_HIDE, true, timeoutMs);
}

bool DeleteServerFile(const std::wstring& path) {
  const size_t root = RootLength(path);
  if (root == 0) return false;
  // Every folder from the root down, held while the file goes.
  std::vector<UniqueFile> held;
  size_t at = root;
  for (;;) {
    const size_t end = path.find_first_of(L"\\/", at);
    const std::wstring part = path.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
    if (part.empty() || part == L"." || part == L"..") return false;
    if (end == std::wstring::npos) break;
    UniqueFile folder = HoldFolder(path.substr(0, end));
    if (!folder) return false;
    held.push_back(std::move(folder));
    at = end + 1;
  }
  {
    UniqueFile file(::CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_DELETE_ON_CLOSE,
                                  nullptr));
    if (!file) return false;
  }
  return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace vantrel::activex
