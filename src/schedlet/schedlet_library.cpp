#include "schedlet/schedlet_library.h"

#include <cstring>
#include <vector>

#include "core/helpers.h"
#include "core/program_names.h"
#include "platform/file_system.h"
#include "platform/text_conv.h"

namespace vantrel {
namespace {

using platform::UniqueFile;

std::optional<std::string> ExactAnsi(const std::wstring& text) {
  if (text.find(L'\0') != std::wstring::npos) return std::nullopt;  // would end the text early
  return platform::ToNarrowExact(text, platform::kCodePageAnsi);
}

// Open for reading; others may read it too, but not change or delete it.
UniqueFile OpenLocked(const std::wstring& path) {
  return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool HoldsExactly(HANDLE file, std::string_view bytes) {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file, &size) || static_cast<ULONGLONG>(size.QuadPart) != bytes.size()) return false;
  std::vector<char> chunk(64 * 1024);
  size_t at = 0;
  while (at < bytes.size()) {
    DWORD read = 0;
    if (!::ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr) || read == 0) return false;
    if (read > bytes.size() - at || std::memcmp(chunk.data(), bytes.data() + at, read) != 0) return false;
    at += read;
  }
  return true;
}

bool HoldsExactly(const std::wstring& path, std::string_view bytes) {
  UniqueFile file = OpenLocked(path);
  return file && HoldsExactly(file.get(), bytes);
}

// Writes the carried library to `path` (no file there) and hides it.
bool WriteLibrary(const std::wstring& path, const SchedletSource& source) {
  if (!source.write || !source.write(path)) return false;
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
  return true;
}

}  // namespace

SchedletSource CarriedSchedlet() {
  SchedletSource source;
  source.write = [](const std::wstring& path) {
    return ExtractResourceToFile(kSchedletResourceId, kCarriedResourceType, path);
  };
  HMODULE self = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(self, MAKEINTRESOURCEW(kSchedletResourceId), kCarriedResourceType);
  HGLOBAL loaded = found ? ::LoadResource(self, found) : nullptr;
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (bytes) source.bytes = std::string_view(static_cast<const char*>(bytes), ::SizeofResource(self, found));
  return source;
}

SchedletLibrary SchedletLibrary::Bind(bool isNt6, SchedletNeeds needs) {
  if (!isNt6) return {};  // nothing is written or loaded before Vista
  return Bind(isNt6, needs, GetDataFolder(), CarriedSchedlet());
}

SchedletLibrary SchedletLibrary::Bind(bool isNt6, SchedletNeeds needs, const std::wstring& dataFolder,
                                      const SchedletSource& source) {
  if (!isNt6 || dataFolder.empty()) return {};
  const std::wstring path = LibraryPath(dataFolder);

  const bool known = !source.bytes.empty();
  if (!platform::EntryExists(path)) {
    if (!WriteLibrary(path, source)) return {};
  } else if (known && !HoldsExactly(path, source.bytes)) {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!::DeleteFileW(path.c_str()) || !WriteLibrary(path, source)) return {};
  }
  // From here until it is loaded the file cannot change.
  UniqueFile lock = OpenLocked(path);
  if (known && (!lock || !HoldsExactly(lock.get(), source.bytes))) return {};

  SchedletLibrary out;
  out.module_.reset(::LoadLibraryW(path.c_str()));
  lock.reset();
  if (!out.module_) return {};
  HMODULE module = out.module_.get();
  if (needs == SchedletNeeds::kListAndDelete) {
    out.getInfo_ = reinterpret_cast<GetSchedletInfoFn>(::GetProcAddress(module, "GetSchedletInfo"));
    out.delete_ = reinterpret_cast<DeleteSchedletFn>(::GetProcAddress(module, "DeleteSchedlet"));
    if (!out.canList()) return {};  // FreeLibrary through out's destructor
  } else {
    out.add_ = reinterpret_cast<AddSchedletFn>(::GetProcAddress(module, "AddSchedlet"));
    if (!out.canAdd()) return {};
  }
  return out;
}

SchedletLibrary& SchedletLibrary::operator=(SchedletLibrary&& other) noexcept {
  if (this != &other) {
    module_ = std::move(other.module_);
    getInfo_ = std::exchange(other.getInfo_, nullptr);
    delete_ = std::exchange(other.delete_, nullptr);
    add_ = std::exchange(other.add_, nullptr);
  }
  return *this;
}

std::optional<std::wstring> SchedletLibrary::TaskListText() const {
  if (!getInfo_) return std::nullopt;
  std::vector<char> buffer(kListBufferSize + 1, '\0');  // the last byte stays NUL whatever happens
  if (getInfo_(buffer.data(), kListBufferSize) != 0) return std::nullopt;
  return platform::ToWide(std::string_view(buffer.data()), platform::kCodePageAnsi);
}

std::optional<int> SchedletLibrary::DeleteTask(const std::wstring& name, const std::wstring& backupPath) const {
  if (!delete_) return std::nullopt;
  // A name or path that does not convert exactly would act on another task
  // or save the backup elsewhere: the library is not called.
  const auto ansiName = ExactAnsi(name);
  const auto ansiPath = ExactAnsi(backupPath);
  if (!ansiName || !ansiPath) return kNotConverted;
  return delete_(ansiName->c_str(), ansiPath->c_str());
}

std::optional<int> SchedletLibrary::AddTask(const std::wstring& name, const std::string& definition) const {
  if (!add_) return std::nullopt;
  const auto ansiName = ExactAnsi(name);
  if (!ansiName || definition.find('\0') != std::string::npos) return kNotConverted;
  return add_(ansiName->c_str(), definition.c_str());
}

}  // namespace vantrel
