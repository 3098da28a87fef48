#include "recovery/recovery_store.h"

#include <algorithm>
#include <map>

#include "core/helpers.h"
#include "core/text_rules.h"
#include "platform/file_system.h"
#include "platform/reg_key.h"
#include "platform/text_conv.h"
#include "platform/unique_handle.h"

namespace vantrel::recovery {
namespace {

using platform::UniqueFile;

// Export files larger than this are not export files.
constexpr LONGLONG kExportFileLimit = 4 * 1024 * 1024;

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// Holds a folder open so that it cannot be renamed, deleted or replaced by
// a link while files in it are worked on; refuses a folder that is a link.
class FolderHold {
 public:
  explicit FolderHold(const std::wstring& folder) {
    if (!platform::IsFullyQualifiedPath(folder)) return;
    handle_.reset(::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle_ || !::GetFileInformationByHandle(handle_.get(), &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      handle_.reset();
  }
  bool held() const { return handle_.valid(); }

  // Whether the held folder is the one `folder` names, also when a folder
  // above it was swapped for a link: the system's own name of the opened
  // folder is compared. Where the system cannot tell (Windows XP) the check
  // of the last component at opening has to do.
  bool IsAt(const std::wstring& folder) const {
    using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto finalPath =
        kernel ? reinterpret_cast<FinalPathFn>(::GetProcAddress(kernel, "GetFinalPathNameByHandleW")) : nullptr;
    if (!held()) return false;
    if (!finalPath) return true;
    std::vector<wchar_t> buffer(MAX_PATH + 8);
    DWORD n = finalPath(handle_.get(), buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (n >= buffer.size()) {
      buffer.resize(n + 1);
      n = finalPath(handle_.get(), buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    }
    if (n == 0 || n >= buffer.size()) return false;
    std::wstring path(buffer.data(), n);
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
      path = L"\\" + path.substr(7);
    } else if (path.rfind(L"\\\\?\\", 0) == 0) {
      path = path.substr(4);
    }
    std::wstring wanted = folder;
    while (wanted.size() > 3 && (wanted.back() == L'\\' || wanted.back() == L'/')) wanted.pop_back();
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return ::lstrcmpiW(path.c_str(), wanted.c_str()) == 0;
  }

 private:
  UniqueFile handle_;
};

// The index file may be written: its folder is a real folder (held) and the
// file itself is not a link.
bool IndexWritable(const std::wstring& indexPath) {
  return !indexPath.empty() && !platform::IsReparsePoint(indexPath);
}

std::wstring ReadProfileValue(const std::wstring& section, const std::wstring& key, const std::wstring& path) {
  std::vector<wchar_t> buffer(2048);
  for (;;) {
    const DWORD got = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer.data(),
                                                 static_cast<DWORD>(buffer.size()), path.c_str());
    if (got + 1 < buffer.size() || buffer.size() >= (1u << 24)) return std::wstring(buffer.data(), got);
    buffer.resize(buffer.size() * 4);
  }
}

// A section read in one call. A lookup per key costs the profile functions
// a pass over the section each, so reading item by item took minutes for an
// index of a few megabytes; one listing reads it in one pass.
struct SectionContent {
  std::wstring count;                    // the first "COUNT" value
  std::map<size_t, std::wstring> items;  // index -> text (the first of equal keys)
  std::vector<std::wstring> otherLines;  // every other line, as listed
};

std::wstring TrimBlanks(std::wstring_view text) {
  const size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring_view::npos) return {};
  return std::wstring(text.substr(first, text.find_last_not_of(L" \t") - first + 1));
}

SectionContent ReadSection(const std::wstring& section, const std::wstring& path) {
  std::vector<wchar_t> buffer(1 << 16);
  DWORD got = 0;
  for (;;) {
    got = ::GetPrivateProfileSectionW(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
    if (got + 2 < buffer.size() || buffer.size() >= (1u << 26)) break;
    buffer.resize(buffer.size() * 4);
  }
  SectionContent content;
  bool counted = false;
  for (size_t at = 0; at < got;) {
    const std::wstring line(buffer.data() + at);
    at += line.size() + 1;
    if (line.empty()) continue;
    const size_t equals = line.find(L'=');
    const std::wstring key = TrimBlanks(std::wstring_view(line).substr(0, equals));
    // The value as GetPrivateProfileString gives it: blanks and one pair of
    // outer quotes removed.
    std::wstring value = equals == std::wstring::npos ? std::wstring() : TrimBlanks(std::wstring_view(line).substr(equals + 1));
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    if (equals != std::wstring::npos && ::lstrcmpiW(key.c_str(), kCountKey) == 0) {
      if (!counted) content.count = value;
      counted = true;
    } else if (auto index = equals == std::wstring::npos ? std::nullopt : ItemIndexOfKey(key)) {
      content.items.emplace(*index, std::move(value));  // keeps the first
    } else {
      content.otherLines.push_back(line);
    }
  }
  return content;
}

bool WriteProfileValue(const std::wstring& section, const std::wstring& key, const wchar_t* value,
                       const std::wstring& path) {
  return ::WritePrivateProfileStringW(section.c_str(), key.c_str(), value, path.c_str()) != 0;
}

bool AnsiRoundTrips(const std::wstring& text) { return platform::ToWide(platform::ToNarrow(text)) == text; }

// Opens an entry itself (not a link's target) for deletion and deletes it
// when the handle closes.
bool DeleteEntryFile(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  if (attributes & FILE_ATTRIBUTE_READONLY)
    ::SetFileAttributesW(path.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
  {
    UniqueFile file(::CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_DELETE_ON_CLOSE,
                                  nullptr));
    if (!file) return false;
  }
  return !platform::EntryExists(path);
}

std::wstring PayloadPath(const RecoveryStore& store, const std::wstring& name) {
  if (store.datFolder.empty() || !platform::IsPlainFileName(name)) return {};
  return store.datFolder + L"\\" + name;
}

}  // namespace

RecoveryStore RecoveryStore::System() { return {GetRecoveryIniPath(), GetDatFolder()}; }

bool AppendRecoveryRecord(const RecoveryStore& store, const std::wstring& section, const RecoveryRecord& fields) {
  const std::wstring& path = store.indexPath;
  if (section.empty() || !CanStoreRecord(fields)) return false;
  const std::wstring record = JoinRecord(fields);
  if (!AnsiRoundTrips(record)) return false;
  FolderHold hold(FolderOf(path));
  if (!hold.held() || !IndexWritable(path)) return false;

  const bool existed = platform::FileExists(path);
  const SectionContent content = ReadSection(section, path);
  const std::wstring& countText = content.count;
  size_t next = ParseCount(countText);
  for (const auto& [index, text] : content.items) {
    if (text == record) return true;
    next = std::max(next, index + 1);
  }
  if (next >= 0xFFFFFFF0u) return false;

  bool stored = WriteProfileValue(section, kCountKey, DecimalText(next + 1).c_str(), path) &&
                WriteProfileValue(section, ItemKey(next), record.c_str(), path) &&
                ReadProfileValue(section, ItemKey(next), path) == record;
  if (!stored) {
    // Leave the section as it was, as far as the file lets us.
    ::WritePrivateProfileStringW(section.c_str(), ItemKey(next).c_str(), nullptr, path.c_str());
    if (!countText.empty()) WriteProfileValue(section, kCountKey, countText.c_str(), path);
  }
  if (!existed && platform::FileExists(path)) ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
  return stored;
}

bool AppendRecoveryRecord(const std::wstring& section, const RecoveryRecord& fields) {
  return AppendRecoveryRecord(RecoveryStore::System(), section, fields);
}

std::vector<RecoveryRecord> ReadRecoverySection(const RecoveryStore& store, const std::wstring& section) {
  std::vector<RecoveryRecord> records;
  const std::wstring& path = store.indexPath;
  if (path.empty() || !platform::FileExists(path)) return records;
  SectionContent content = ReadSection(section, path);
  const size_t count = ParseCount(content.count);
  const size_t fields = ReaderFieldCount(section);
  for (auto& [index, text] : content.items) {
    if (index >= count) break;
    if (text.empty()) continue;
    records.push_back(SplitRecord(std::move(text), fields));
  }
  return records;
}

std::vector<RecoveryRecord> ReadRecoverySection(const std::wstring& section) {
  return ReadRecoverySection(RecoveryStore::System(), section);
}

bool RewriteRecoverySection(const RecoveryStore& store, const std::wstring& section,
                            const std::vector<RecoveryRecord>& records) {
  const std::wstring& path = store.indexPath;
  if (section.empty()) return false;
  FolderHold hold(FolderOf(path));
  if (!hold.held() || !IndexWritable(path)) return false;
  const bool existed = platform::FileExists(path);
  // Items at or above "COUNT" (a damaged count) were never shown, so the
  // caller cannot have meant to drop them: they are kept, after the given
  // records, and are counted from now on.
  std::vector<std::wstring> texts;
  for (const auto& record : records) texts.push_back(RewriteText(section, record));
  const SectionContent content = ReadSection(section, path);
  const size_t count = ParseCount(content.count);
  for (const auto& [index, text] : content.items)
    if (index >= count && !text.empty()) texts.push_back(text);
  // The whole section in one write (so also all or nothing): "COUNT", the
  // items, then the lines that are neither, unchanged.
  std::wstring block = std::wstring(kCountKey) + L"=" + DecimalText(texts.size());
  block += L'\0';
  for (size_t i = 0; i < texts.size(); ++i) {
    block += ItemKey(i) + L"=" + texts[i];
    block += L'\0';
  }
  for (const auto& line : content.otherLines) {
    block += line;
    block += L'\0';
  }
  block += L'\0';
  const bool ok = ::WritePrivateProfileSectionW(section.c_str(), block.c_str(), path.c_str()) != 0;
  if (!existed && platform::FileExists(path)) ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
  return ok;
}

bool RewriteRecoverySection(const std::wstring& section, const std::vector<RecoveryRecord>& records) {
  return RewriteRecoverySection(RecoveryStore::System(), section, records);
}

std::wstring StartupBackupPath(const RecoveryStore& store, const std::wstring& name) { return PayloadPath(store, name); }
std::wstring TaskBackupPath(const RecoveryStore& store, const std::wstring& task) {
  return platform::IsPlainFileName(task) ? PayloadPath(store, task + L".scd") : std::wstring();
}
std::wstring RegistryExportPath(const RecoveryStore& store, const std::wstring& keyName) {
  return PayloadPath(store, keyName);
}
std::wstring StartupBackupPath(const std::wstring& name) { return StartupBackupPath(RecoveryStore::System(), name); }
std::wstring TaskBackupPath(const std::wstring& task) { return TaskBackupPath(RecoveryStore::System(), task); }
std::wstring RegistryExportPath(const std::wstring& keyName) {
  return RegistryExportPath(RecoveryStore::System(), keyName);
}

std::wstring StartupPayloadPath(const RecoveryStore& store, const RecoveryRecord& record) {
  if (record.size() < 4 || record[3] != L"STARTUP") return {};
  const std::wstring& payload = record.size() > 4 && !record[4].empty() ? record[4] : record[0];
  return PayloadPath(store, payload);
}

std::wstring IconPayloadPath(const RecoveryStore& store, const RecoveryRecord& record) {
  if (record.size() < 3) return {};
  const std::wstring& payload = record.size() > 3 && !record[3].empty() ? record[3] : record[2];
  return PayloadPath(store, payload);
}

std::wstring FreeStartupPayloadName(const RecoveryStore& store, const std::wstring& name) {
  if (PayloadPath(store, name).empty()) return {};
  for (int n = 1; n < 1000; ++n) {
    const std::wstring candidate = n == 1 ? name : name + L"." + DecimalText(n);
    const std::wstring path = PayloadPath(store, candidate);
    if (path.empty() || path.size() >= MAX_PATH) return {};
    if (!platform::EntryExists(path)) return candidate;
  }
  return {};
}

bool MoveStartupEntryToStore(const RecoveryStore& store, const std::wstring& folder, const std::wstring& name,
                             const std::wstring& maker) {
  if (!platform::IsFullyQualifiedPath(folder) || !platform::IsPlainFileName(name)) return false;
  const std::wstring source = folder + L"\\" + name;
  if (!platform::EntryExists(source)) return false;
  FolderHold hold(store.datFolder);
  if (!hold.held()) return false;
  const std::wstring payload = FreeStartupPayloadName(store, name);
  if (payload.empty()) return false;
  RecoveryRecord record{name, maker, folder, L"STARTUP"};
  if (payload != name) record.push_back(payload);
  if (!AppendRecoveryRecord(store, kStartProgramSection, record)) return false;
  const std::wstring target = PayloadPath(store, payload);
  if (!::MoveFileW(source.c_str(), target.c_str())) return false;  // never replaces
  ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_HIDDEN);
  return true;
}

bool MoveStartupEntryFromStore(const RecoveryStore& store, const RecoveryRecord& record, const std::wstring& target) {
  const std::wstring source = StartupPayloadPath(store, record);
  const std::wstring folder = FolderOf(target);
  if (source.empty() || !platform::IsFullyQualifiedPath(target) || folder.empty()) return false;
  // Both folders held: neither can become a link to elsewhere (a Startup
  // folder is the user's to change) while this elevated program moves.
  FolderHold hold(store.datFolder), targetHold(folder);
  if (!hold.held() || !targetHold.IsAt(folder)) return false;
  if (!::MoveFileW(source.c_str(), target.c_str())) return false;  // never replaces
  ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  return true;
}

bool DeletePayloadFile(const RecoveryStore& store, const std::wstring& name) {
  const std::wstring path = PayloadPath(store, name);
  if (path.empty()) return false;
  FolderHold hold(store.datFolder);
  if (!hold.held()) return false;
  return DeleteEntryFile(path);
}

REGSAM ViewFlag(RegistryView view) {
  switch (view) {
    case RegistryView::Bits64: return KEY_WOW64_64KEY;
    case RegistryView::Bits32: return KEY_WOW64_32KEY;
    default: return 0;
  }
}

platform::ProgramBits ProgramBitsOf(RegistryView view) {
  switch (view) {
    case RegistryView::Bits64: return platform::ProgramBits::Bits64;
    case RegistryView::Bits32: return platform::ProgramBits::Bits32;
    case RegistryView::Default: break;
  }
  return platform::ProgramBits::Native;
}

namespace {

// Writes the export of root\baseKey\keyName as a new file (never replacing
// one). The caller holds the dat folder.
bool WriteExportFile(const std::wstring& file, HKEY root, const std::wstring& baseKey, const std::wstring& keyName,
                     std::vector<std::wstring>* leftOut, RegistryView view) {
  RegistryExport out;
  out.userRoot = root == HKEY_CURRENT_USER;
  out.baseKey = baseKey;
  out.keyName = keyName;
  platform::RegKey key;
  if (key.Open(root, baseKey + L"\\" + keyName, KEY_READ | ViewFlag(view)) != ERROR_SUCCESS) return false;
  std::vector<platform::RegValue> values;
  if (key.Values(&values) != ERROR_SUCCESS) return false;
  for (const auto& v : values) {
    ExportValue line;
    line.name = v.name;
    if (v.IsText()) {
      line.text = v.Text();
    } else if (v.type == REG_DWORD && v.data.size() == sizeof(DWORD)) {
      line.isText = false;
      DWORD number;
      memcpy(&number, v.data.data(), sizeof number);
      line.number = static_cast<int32_t>(number);
    } else {
      if (leftOut) leftOut->push_back(v.name);
      continue;
    }
    if (!CanExportValue(line) || !AnsiRoundTrips(line.name) || (line.isText && !AnsiRoundTrips(line.text))) {
      if (leftOut) leftOut->push_back(v.name);
      continue;
    }
    out.values.push_back(std::move(line));
  }
  auto lines = FormatExportLines(out);
  if (view != RegistryView::Default && lines.size() >= 3) lines.insert(lines.begin() + 3, ExportViewLine(view));
  std::wstring text;
  for (const auto& line : lines) text += line + L"\r\n";
  const std::string bytes = platform::ToNarrow(text);
  UniqueFile handle(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
  if (!handle) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  handle.reset();
  if (!ok) DeleteEntryFile(file);  // a cut export would restore only part of the key
  return ok;
}

}  // namespace

bool ExportRegistryKey(const RecoveryStore& store, HKEY root, const std::wstring& baseKey,
                       const std::wstring& keyName, std::vector<std::wstring>* leftOut, RegistryView view) {
  const std::wstring file = RegistryExportPath(store, keyName);
  if (file.empty() || !AnsiRoundTrips(baseKey) || !AnsiRoundTrips(keyName)) return false;
  FolderHold hold(store.datFolder);
  if (!hold.held() || !DeleteEntryFile(file)) return false;
  return WriteExportFile(file, root, baseKey, keyName, leftOut, view);
}

bool ExportRegistryKey(HKEY root, const std::wstring& baseKey, const std::wstring& keyName,
                       std::vector<std::wstring>* leftOut, RegistryView view) {
  return ExportRegistryKey(RecoveryStore::System(), root, baseKey, keyName, leftOut, view);
}

std::wstring FreeRegistryExportName(const RecoveryStore& store, const std::wstring& keyName) {
  return FreeStartupPayloadName(store, keyName);
}

bool ExportRegistryKeyAs(const RecoveryStore& store, const std::wstring& payloadName, HKEY root,
                         const std::wstring& baseKey, const std::wstring& keyName, std::vector<std::wstring>* leftOut,
                         RegistryView view) {
  const std::wstring file = PayloadPath(store, payloadName);
  if (file.empty() || file.size() >= MAX_PATH || !AnsiRoundTrips(payloadName) || !AnsiRoundTrips(baseKey) ||
      !AnsiRoundTrips(keyName))
    return false;
  FolderHold hold(store.datFolder);
  if (!hold.held() || platform::EntryExists(file)) return false;
  return WriteExportFile(file, root, baseKey, keyName, leftOut, view);
}

bool ImportRegistryExport(const std::wstring& file, const std::optional<std::wstring>& allowedBaseKey,
                          std::optional<RegistryView> view) {
  if (!platform::FileExists(file)) return false;
  UniqueFile handle(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!handle || !::GetFileSizeEx(handle.get(), &size) || size.QuadPart > kExportFileLimit) return false;
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() && (!::ReadFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                         read != bytes.size()))
    return false;
  handle.reset();
  bytes.resize(std::min(bytes.size(), bytes.find('\0')));
  const auto lines = SplitLines(platform::ToWide(bytes));
  const auto parsed = ParseExportLines(lines);
  if (!parsed || !IsImportableKey(parsed->baseKey, parsed->keyName)) return false;
  if (allowedBaseKey && !SameKeyPath(parsed->baseKey, *allowedBaseKey)) return false;

  platform::RegKey key;
  if (key.Create(parsed->userRoot ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE,
                 parsed->baseKey + L"\\" + parsed->keyName,
                 KEY_ALL_ACCESS | ViewFlag(view ? *view : ExportViewOfLines(lines))) != ERROR_SUCCESS)
    return false;
  bool ok = true;
  for (const auto& v : parsed->values) {
    const LONG rc = v.isText ? key.WriteString(v.name, v.text) : key.WriteDword(v.name, static_cast<DWORD>(v.number));
    ok = ok && rc == ERROR_SUCCESS;
  }
  return ok;
}

}  // namespace vantrel::recovery
