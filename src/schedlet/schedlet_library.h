#pragma once
// The main program's binding of Schedlet.dll, the scheduled-task bridge
// library it carries as resource "100"/102. A window binds it when it is
// created (on Windows Vista or later only) and frees it when it closes, by
// owning a SchedletLibrary. Unbound, every call reports "not done", and the
// window works without scheduled tasks.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/unique_handle.h"

namespace vantrel {

// What a window needs of the library: the start-up window lists and
// deletes, the recovery window registers.
enum class SchedletNeeds { kListAndDelete, kAdd };

// Where the library comes from: the bytes the program carries and the
// operation that writes them to a file (reporting its own failures).
struct SchedletSource {
  std::string_view bytes;  // empty when the program does not carry it
  std::function<bool(const std::wstring& path)> write;
};
// Resource "100"/102 of the program, written by ExtractResourceToFile.
SchedletSource CarriedSchedlet();

class SchedletLibrary {
 public:
  using GetSchedletInfoFn = int(WINAPI*)(char* buffer, int bufferSize);
  using DeleteSchedletFn = int(WINAPI*)(const char* taskName, const char* backupPath);
  using AddSchedletFn = int(WINAPI*)(const char* taskName, const char* taskXml);

  // The buffer the start-up window lists into: 100,001 bytes, announced as 100,000.
  static constexpr int kListBufferSize = 100000;

  SchedletLibrary() = default;  // unbound

  // On NT 6.x only (`isNt6`: IsNt6Family of the main window's OsFamily):
  // the library file GetDataFolder() + "\Schedlet.dll" is written when
  // missing and then made hidden, loaded, and the exports `needs` asks for
  // are bound; a missing one unloads it again. Without a data folder nothing
  // is written anywhere.
  //
  // An existing file is used as it is when it holds exactly the carried
  // library. Any other file there (the library of an older version of the
  // program, or a file put there by someone else in the user's documents
  // folder, which this elevated program would otherwise run) is replaced by
  // the carried library first. The file is kept open without write sharing
  // from that check until it is loaded.
  static SchedletLibrary Bind(bool isNt6, SchedletNeeds needs);
  // The same with the data folder and the source handed in.
  static SchedletLibrary Bind(bool isNt6, SchedletNeeds needs, const std::wstring& dataFolder,
                              const SchedletSource& source);
  static std::wstring LibraryPath(const std::wstring& dataFolder) { return dataFolder + L"\\Schedlet.dll"; }

  // Moving hands over the module and its entry points; the source is left unbound.
  SchedletLibrary(SchedletLibrary&& other) noexcept { *this = std::move(other); }
  SchedletLibrary& operator=(SchedletLibrary&& other) noexcept;
  SchedletLibrary(const SchedletLibrary&) = delete;
  SchedletLibrary& operator=(const SchedletLibrary&) = delete;
  ~SchedletLibrary() = default;  // FreeLibrary through module_

  bool bound() const { return module_.valid(); }
  bool canList() const { return getInfo_ != nullptr && delete_ != nullptr; }
  bool canAdd() const { return add_ != nullptr; }

  // GetSchedletInfo into the list buffer: the task list text (converted from
  // the ANSI code page) when the status is 0, else none.
  std::optional<std::wstring> TaskListText() const;
  // The status when a name or path has no exact ANSI form (a character the
  // code page lacks): the library is not called. No export returns it.
  static constexpr int kNotConverted = -8;

  // DeleteSchedlet(name, backupPath) with both converted exactly to the ANSI
  // code page; its status, kNotConverted, or none when not bound with it.
  std::optional<int> DeleteTask(const std::wstring& name, const std::wstring& backupPath) const;
  // AddSchedlet(name, definition): the name converted exactly, the
  // definition as the ANSI text of a ".scd" file, passed as it is (one with a
  // NUL inside is not passed); its status, kNotConverted, or none.
  std::optional<int> AddTask(const std::wstring& name, const std::string& definition) const;

 private:
  platform::UniqueModule module_;
  GetSchedletInfoFn getInfo_ = nullptr;
  DeleteSchedletFn delete_ = nullptr;
  AddSchedletFn add_ = nullptr;
};

}  // namespace vantrel
