#include "diskclean/trace_files.h"

#include <winternl.h>

#include <cstddef>
#include <vector>

#include "platform/file_system.h"

namespace vantrel {
namespace {

// The native calls that open, list and delete relative to a folder handle.
// Taken from the ntdll.dll every process already has loaded (its import
// library would also bring C runtime functions that must not replace the
// program's own).
using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER,
                                        ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using NtQueryDirectoryFileFn = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG,
                                                FILE_INFORMATION_CLASS, BOOLEAN, PUNICODE_STRING, BOOLEAN);
using NtSetInformationFileFn = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, FILE_INFORMATION_CLASS);

struct NativeCalls {
  NtCreateFileFn createFile = nullptr;
  NtQueryDirectoryFileFn queryDirectoryFile = nullptr;
  NtSetInformationFileFn setInformationFile = nullptr;
  bool Ready() const { return createFile && queryDirectoryFile && setInformationFile; }
};

template <class Fn>
Fn Native(HMODULE ntdll, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, name)));
}

const NativeCalls& Nt() {
  static const NativeCalls calls = [] {
    NativeCalls c;
    if (HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll")) {
      c.createFile = Native<NtCreateFileFn>(ntdll, "NtCreateFile");
      c.queryDirectoryFile = Native<NtQueryDirectoryFileFn>(ntdll, "NtQueryDirectoryFile");
      c.setInformationFile = Native<NtSetInformationFileFn>(ntdll, "NtSetInformationFile");
    }
    return c;
  }();
  return calls;
}

using platform::UniqueHandle;

constexpr ULONG kFileOpen = 1;                   // FILE_OPEN
constexpr ULONG kDirectoryFile = 0x00000001;     // FILE_DIRECTORY_FILE
constexpr ULONG kFileDirectoryInformation = 1;   // FileDirectoryInformation
constexpr ULONG kFileDispositionInformation = 13;
// Folders nested deeper than this are left alone: each level holds a handle
// and a frame of the worker's stack.
constexpr int kMaxDepth = 200;

// Folders are held without delete sharing, so that no one renames them away
// while the run works inside; files share everything, so that only a real
// lock keeps one.
constexpr ULONG kFolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr ULONG kFileShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

struct DispositionInformation {
  BOOLEAN deleteFile;
};

// A name that stays inside its folder when opened relative to it: no
// separators, no stream colon, not "." or "..".
bool IsEntryName(std::wstring_view name) {
  if (name.empty() || name == L"." || name == L".." || name.size() > 32767) return false;
  return name.find_first_of(std::wstring_view(L"\\/:\0", 4)) == std::wstring_view::npos;
}

// Opens `name` directly inside `folder` without following a link at it.
UniqueHandle OpenRelative(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG share, ULONG options) {
  if (!folder || !IsEntryName(name) || !Nt().Ready()) return UniqueHandle();
  UNICODE_STRING text;
  text.Buffer = const_cast<PWSTR>(name.data());
  text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  text.MaximumLength = text.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK io{};
  HANDLE opened = nullptr;
  const NTSTATUS status = Nt().createFile(&opened, access | SYNCHRONIZE, &attributes, &io, nullptr, 0, share, kFileOpen,
                                         options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  if (!NT_SUCCESS(status)) return UniqueHandle();
  return UniqueHandle(opened);
}

bool IsRealFolder(DWORD attributes) {
  return attributes != 0 && (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool MarkForDeletion(HANDLE handle) {
  DispositionInformation disposition{TRUE};
  IO_STATUS_BLOCK io{};
  if (!Nt().Ready()) return false;
  return NT_SUCCESS(Nt().setInformationFile(handle, &io, &disposition, sizeof disposition,
                                           static_cast<FILE_INFORMATION_CLASS>(kFileDispositionInformation)));
}

// A long path needs the "\\?\" form to be opened at all.
std::wstring OpenablePath(const std::wstring& path) {
  if (path.size() < MAX_PATH - 12 || path.rfind(L"\\\\", 0) == 0) return path;
  return L"\\\\?\\" + path;
}

void EmptyFolderAt(HANDLE folder, int depth);

// Deletes one listed entry of `folder`; a real folder is emptied first when
// `intoFolders`, else left alone.
bool DeleteEntry(HANDLE folder, const TraceEntry& entry, bool intoFolders, int depth) {
  if (entry.IsFolder() && !entry.IsLink()) {
    if (!intoFolders || depth >= kMaxDepth) return false;
    UniqueHandle sub = OpenRelative(folder, entry.name, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | DELETE,
                                    kFolderShare, kDirectoryFile);
    if (!sub) return false;
    const DWORD attributes = TraceHandleAttributes(sub.get());
    if (IsRealFolder(attributes)) EmptyFolderAt(sub.get(), depth + 1);
    // A real folder goes once it is empty; one swapped for a link since the
    // listing goes as the link.
    return attributes != 0 && MarkForDeletion(sub.get());
  }
  UniqueHandle item = OpenRelative(folder, entry.name, FILE_READ_ATTRIBUTES | DELETE, kFileShare, 0);
  if (!item) return false;
  const DWORD attributes = TraceHandleAttributes(item.get());
  // A file swapped for a real folder since the listing stays.
  if (attributes == 0 || IsRealFolder(attributes)) return false;
  return MarkForDeletion(item.get());
}

void EmptyFolderAt(HANDLE folder, int depth) {
  for (const TraceEntry& entry : ListTraceFolder(folder)) DeleteEntry(folder, entry, true, depth);
}

}  // namespace

DWORD TraceHandleAttributes(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!handle || !::GetFileInformationByHandle(handle, &info)) return 0;
  return info.dwFileAttributes;
}

UniqueHandle OpenTraceFolder(const std::wstring& path) {
  if (!platform::IsFullyQualifiedPath(path)) return UniqueHandle();
  HANDLE opened = ::CreateFileW(OpenablePath(path).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                kFolderShare, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return UniqueHandle();
  UniqueHandle folder(opened);
  if (!IsRealFolder(TraceHandleAttributes(folder.get()))) return UniqueHandle();
  return folder;
}

UniqueHandle OpenTraceSubfolder(HANDLE folder, std::wstring_view name) {
  UniqueHandle sub = OpenRelative(folder, name, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, kFolderShare, kDirectoryFile);
  if (!sub || !IsRealFolder(TraceHandleAttributes(sub.get()))) return UniqueHandle();
  return sub;
}

std::vector<TraceEntry> ListTraceFolder(HANDLE folder) {
  std::vector<TraceEntry> entries;
  if (!folder || !Nt().Ready()) return entries;
  // ULONGLONG keeps the records' alignment.
  std::vector<ULONGLONG> buffer(64 * 1024 / sizeof(ULONGLONG));
  bool restart = true;
  for (;;) {
    IO_STATUS_BLOCK io{};
    const NTSTATUS status =
        Nt().queryDirectoryFile(folder, nullptr, nullptr, nullptr, &io, buffer.data(),
                             static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG)),
                             static_cast<FILE_INFORMATION_CLASS>(kFileDirectoryInformation), FALSE, nullptr, restart);
    restart = false;
    if (!NT_SUCCESS(status) || io.Information == 0) break;
    const auto* bytes = reinterpret_cast<const BYTE*>(buffer.data());
    const BYTE* end = bytes + io.Information;
    constexpr size_t kHeader = offsetof(FILE_DIRECTORY_INFORMATION, FileName);
    for (const BYTE* at = bytes; static_cast<size_t>(end - at) >= kHeader;) {
      const auto* record = reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(at);
      if (static_cast<size_t>(end - at) < kHeader + record->FileNameLength) break;
      std::wstring name(record->FileName, record->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..") entries.push_back({std::move(name), record->FileAttributes});
      if (record->NextEntryOffset == 0) break;
      at += record->NextEntryOffset;
    }
  }
  return entries;
}

bool DeleteTraceFile(HANDLE folder, std::wstring_view name) {
  TraceEntry entry{std::wstring(name), 0};
  return DeleteEntry(folder, entry, false, 0);
}

void EmptyTraceFolder(HANDLE folder) { EmptyFolderAt(folder, 0); }

bool EmptyTraceFolder(const std::wstring& path) {
  UniqueHandle folder = OpenTraceFolder(path);
  if (!folder) return false;
  EmptyFolderAt(folder.get(), 0);
  return true;
}

}  // namespace vantrel
