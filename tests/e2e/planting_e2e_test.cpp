// The shipped updater as a user meets it: a copy of a marker library planted
// as wininet.dll beside it (its folder is the download folder of an update)
// and in its current folder is never loaded: WinINet is no static import,
// and the updater loads it from the system folder by its full path.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "core/helpers.h"
#include "support/process_driver.h"
#include "support/scratch.h"
#include "support/wine_load_order.h"

namespace vantrel {
namespace {

// Wine's own built-in libraries import shlwapi.dll, ws2_32.dll and
// version.dll themselves, so a preferred library file of those names is
// found through them whatever the program does; for those names the file
// check keeps them out of the programs' imports.
const std::vector<std::wstring> kLibraries = {L"wininet"};

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Marker copies of the libraries in `folder`.
bool Plant(const std::wstring& folder) {
  const std::wstring marker = GetProgramFolder() + L"markers\\marker_library.dll";
  for (const std::wstring& name : kLibraries)
    if (!::CopyFileW(marker.c_str(), (folder + L"\\" + name + L".dll").c_str(), FALSE)) return false;
  return true;
}

// Starts `exe` with `arguments` in `current`; its exit code (0xFFFFFFFF when
// it could not be started or did not end).
DWORD RunProgram(const std::wstring& exe, const std::wstring& arguments, const std::wstring& current) {
  test::ChildProcess child = test::ChildProcess::Start(exe, arguments, current);
  DWORD code = 0xFFFFFFFF;
  if (!child.valid() || !child.WaitForExit(20000, &code)) {
    child.EndTree();
    return 0xFFFFFFFF;
  }
  return code;
}

TEST(PlantedLibraries, AWininetBesideTheUpdaterOrInItsCurrentFolderIsNotLoadedAtItsStart) {
  test::ScratchFolder program, current;
  // Wine prefers a library file to its own copy for these names in programs
  // called VantrelUpdate.exe, as Windows XP and Vista do for a name they do
  // not know (the library search test shows that a bare name then finds the
  // planted copy); a static import would get it at the start.
  test::ScopedNativeFirst nativeFirst(L"VantrelUpdate.exe", kLibraries);
  ASSERT_TRUE(nativeFirst.set());
  ASSERT_TRUE(Plant(program.path()) && Plant(current.path()));

  // The updater starts (without arguments it has nothing to do and ends
  // with 0), and no planted copy was loaded, beside it or in its current folder.
  const std::wstring updater = program.File(L"VantrelUpdate.exe");
  ASSERT_TRUE(::CopyFileW((GetProgramFolder() + L"VantrelUpdate.exe").c_str(), updater.c_str(), FALSE));
  EXPECT_EQ(RunProgram(updater, L"", current.path()), 0u);
  for (const std::wstring& folder : {program.path(), current.path()})
    for (const std::wstring& name : kLibraries)
      EXPECT_FALSE(Exists(folder + L"\\" + name + L".dll.loaded")) << folder << L"\\" << name;
}

}  // namespace
}  // namespace vantrel
