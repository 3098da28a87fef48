// The restricted library search: a library planted in the program folder or
// the current folder is not loaded by its bare name once the search is
// restricted (a child copy of this program does the loading, so that the
// restriction does not stay on the other tests), and system libraries are
// loaded from the system folder by their full path.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "platform/library_search.h"
#include "support/child_role.h"
#include "support/scratch.h"

namespace vantrel::test {
namespace {

constexpr wchar_t kMarkerName[] = L"vantrel_marker.dll";
constexpr UINT kLoaded = 3, kNotLoaded = 4, kNoSystemLibrary = 5;

int RunLibrarySearchRole() {
  const std::wstring role = ChildRole();
  if (role != L"restricted-load" && role != L"plain-load") return 0;
  if (role == L"restricted-load") {
    platform::RestrictLibrarySearch();
    // System libraries still load by their full path under the restriction.
    if (!platform::LoadSystemLibrary(L"version.dll") || !platform::VersionApi().complete())
      ::ExitProcess(kNoSystemLibrary);
  }
  HMODULE module = ::LoadLibraryW(kMarkerName);
  ::ExitProcess(module ? kLoaded : kNotLoaded);
}

[[maybe_unused]] const int kLibrarySearchRoleDone = RunLibrarySearchRole();

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// Starts this program in `role` with `folder` as its current folder; its exit code.
DWORD RunRole(const std::wstring& role, const std::wstring& folder) {
  std::wstring line = L"\"" + OwnExePath() + L"\" " + kChildRoleSwitch + role;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
    return 0xFFFFFFFF;
  ::WaitForSingleObject(process.hProcess, 30000);
  DWORD code = 0xFFFFFFFF;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return code;
}

// A copy of the marker library under kMarkerName in `folder`, removed again
// with its marker file.
class PlantedMarker {
 public:
  explicit PlantedMarker(const std::wstring& folder) : path_(folder + L"\\" + kMarkerName) {
    const std::wstring source = FolderOf(OwnExePath()) + L"\\markers\\marker_library.dll";
    planted_ = ::CopyFileW(source.c_str(), path_.c_str(), FALSE) != FALSE;
  }
  ~PlantedMarker() {
    ::DeleteFileW(path_.c_str());
    ::DeleteFileW((path_ + L".loaded").c_str());
  }
  PlantedMarker(const PlantedMarker&) = delete;
  PlantedMarker& operator=(const PlantedMarker&) = delete;
  bool planted() const { return planted_; }
  bool wasLoaded() const { return ::PathFileExistsW((path_ + L".loaded").c_str()) != FALSE; }

 private:
  std::wstring path_;
  bool planted_ = false;
};

}  // namespace

TEST(LibrarySearch, APlantedLibraryIsLoadedByItsBareNameOnlyWithoutTheRestriction) {
  ScratchFolder current;
  struct Case {
    bool inProgramFolder;
    bool restricted;
  } cases[] = {{true, false}, {false, false}, {true, true}, {false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.inProgramFolder ? "program folder" : "current folder") +
                 (c.restricted ? ", restricted" : ", unrestricted"));
    PlantedMarker marker(c.inProgramFolder ? FolderOf(OwnExePath()) : current.path());
    ASSERT_TRUE(marker.planted());
    const DWORD code = RunRole(c.restricted ? L"restricted-load" : L"plain-load", current.path());
    // Without the restriction the planted copy is what a bare name finds:
    // the marker works, and the restricted case shows something.
    EXPECT_EQ(code, c.restricted ? kNotLoaded : kLoaded);
    EXPECT_EQ(marker.wasLoaded(), !c.restricted);
  }
}

TEST(LibrarySearch, SystemLibrariesComeFromTheSystemFolderByTheirFullPath) {
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
  EXPECT_EQ(platform::SystemFolderPath(L"ipconfig.exe"), std::wstring(system) + L"\\ipconfig.exe");

  HMODULE module = platform::LoadSystemLibrary(L"version.dll");
  ASSERT_NE(module, nullptr);
  wchar_t loaded[MAX_PATH] = {};
  ::GetModuleFileNameW(module, loaded, MAX_PATH);
  EXPECT_EQ(::lstrcmpiW(loaded, platform::SystemFolderPath(L"version.dll").c_str()), 0) << loaded;
  ::FreeLibrary(module);

  // Only names of the system folder: a path is refused, not searched.
  for (const wchar_t* name : {L"", L"..\\version.dll", L"C:\\x\\version.dll", L"sub/version.dll"})
    EXPECT_EQ(platform::LoadSystemLibrary(name), nullptr) << name;

  // The version functions are bound from there, once.
  const platform::VersionFunctions& api = platform::VersionApi();
  EXPECT_TRUE(api.complete());
  EXPECT_EQ(&api, &platform::VersionApi());
}

}  // namespace vantrel::test
