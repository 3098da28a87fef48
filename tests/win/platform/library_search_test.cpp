// The restricted library search: a library planted in the program folder or
// the current folder is not loaded by its bare name once the search is
// restricted (a child copy of this program does the loading, so that the
// restriction does not stay on the other tests), and system libraries are
// loaded from the system folder by their full path: a wininet.dll planted
// beside the program is never what the HTTP client uses.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "platform/http_client.h"
#include "platform/library_search.h"
#include "support/child_role.h"
#include "support/scratch.h"
#include "support/wine_load_order.h"

namespace vantrel::test {
namespace {

constexpr wchar_t kMarkerName[] = L"vantrel_marker.dll";
constexpr UINT kLoaded = 3, kNotLoaded = 4, kNoSystemLibrary = 5, kLoadedBefore = 6;

// The wininet.dll of this process after one request through the HTTP client
// (to a closed port: the library is loaded all the same): kNotLoaded when it
// is the system folder's, kLoaded when it is another one.
[[noreturn]] void RunHttpRequest() {
  if (::GetModuleHandleW(L"wininet.dll")) ::ExitProcess(kLoadedBefore);  // nothing to show
  const platform::HttpResult reply = platform::HttpClient().Head(L"http://127.0.0.1:1/");
  HMODULE module = ::GetModuleHandleW(L"wininet.dll");
  wchar_t path[MAX_PATH] = {};
  if (!module || reply.error != platform::HttpError::Connect || !::GetModuleFileNameW(module, path, MAX_PATH))
    ::ExitProcess(kNoSystemLibrary);
  ::ExitProcess(::lstrcmpiW(path, platform::SystemFolderPath(L"wininet.dll").c_str()) == 0 ? kNotLoaded : kLoaded);
}

// Roles: "plain-load:<name>" and "restricted-load:<name>" load a library by
// its bare name, without and with the restriction; "http-request" above.
int RunLibrarySearchRole() {
  const std::wstring role = ChildRole();
  if (role == L"http-request") RunHttpRequest();
  const size_t colon = role.find(L':');
  const std::wstring kind = role.substr(0, colon), name = colon == std::wstring::npos ? L"" : role.substr(colon + 1);
  if ((kind != L"restricted-load" && kind != L"plain-load") || name.empty()) return 0;
  if (kind == L"restricted-load") {
    platform::RestrictLibrarySearch();
    // System libraries still load by their full path under the restriction.
    if (!platform::LoadSystemLibrary(L"version.dll") || !platform::VersionApi().complete())
      ::ExitProcess(kNoSystemLibrary);
  }
  HMODULE module = ::LoadLibraryW(name.c_str());
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

// A copy of the marker library under `name` in `folder`, removed again with
// its marker file.
class PlantedMarker {
 public:
  PlantedMarker(const std::wstring& folder, const wchar_t* name) : path_(folder + L"\\" + name) {
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
  // Wine then finds a planted wininet.dll by its bare name, as XP and Vista do.
  const std::wstring exe = OwnExePath();
  ScopedNativeFirst nativeFirst(exe.substr(exe.find_last_of(L'\\') + 1), {L"wininet"});
  ASSERT_TRUE(nativeFirst.set());
  struct Case {
    const wchar_t* name;
    bool inProgramFolder;
    const wchar_t* role;
    bool loaded;
  } cases[] = {
      {kMarkerName, true, L"plain-load", true},
      {kMarkerName, false, L"plain-load", true},
      {kMarkerName, true, L"restricted-load", false},
      {kMarkerName, false, L"restricted-load", false},
      // A bare "wininet.dll" finds the program folder's copy where the
      // system does not know the name (as Windows XP and Vista do not)...
      {L"wininet.dll", true, L"plain-load", true},
      // ...but the HTTP client loads the system folder's by its full path.
      {L"wininet.dll", true, L"http-request", false},
      {L"wininet.dll", false, L"http-request", false},
  };
  for (const Case& c : cases) {
    std::string trace;
    for (const wchar_t* p : {c.name, L" ", c.role, c.inProgramFolder ? L" in the program folder" : L" in the current folder"})
      for (; *p; ++p) trace += static_cast<char>(*p);
    SCOPED_TRACE(trace);
    PlantedMarker marker(c.inProgramFolder ? FolderOf(OwnExePath()) : current.path(), c.name);
    ASSERT_TRUE(marker.planted());
    const std::wstring role = std::wstring(c.role) == L"http-request" ? c.role : c.role + std::wstring(L":") + c.name;
    // Without the restriction the planted copy is what a bare name finds:
    // the marker works, and the other cases show something.
    EXPECT_EQ(RunRole(role, current.path()), c.loaded ? kLoaded : kNotLoaded);
    EXPECT_EQ(marker.wasLoaded(), c.loaded);
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
