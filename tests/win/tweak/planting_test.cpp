// A program or library planted under a system name in the program folder or
// the current folder never runs: the renewal starts the system folder's
// ipconfig.exe and the connection listing loads the system folder's
// netshell.dll, each by its full path. The plants are copies of marker
// programs that leave a file when they run or are loaded.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "core/helpers.h"
#include "platform/library_search.h"
#include "support/child_role.h"
#include "support/scratch.h"
#include "support/scripted_dialogs.h"
#include "tweak/network.h"

using namespace vantrel;

namespace {

std::wstring ProgramFolder() {
  const std::wstring exe = test::OwnExePath();
  return exe.substr(0, exe.find_last_of(L'\\'));
}

// Copies of one marker under `name` in the program folder and in a scratch
// folder that is the current folder while the plants stand; all removed
// (with their marker files) at the end.
class Plants {
 public:
  Plants(const wchar_t* marker, const std::wstring& name, const wchar_t* markerSuffix) : suffix_(markerSuffix) {
    const std::wstring source = ProgramFolder() + L"\\markers\\" + marker;
    for (const std::wstring& folder : {ProgramFolder(), current_.path()}) {
      const std::wstring path = folder + L"\\" + name;
      if (::CopyFileW(source.c_str(), path.c_str(), FALSE)) paths_.push_back(path);
    }
    ::GetCurrentDirectoryW(MAX_PATH, previous_);
    ::SetCurrentDirectoryW(current_.path().c_str());
  }
  ~Plants() {
    ::SetCurrentDirectoryW(previous_);
    for (const auto& path : paths_) {
      ::DeleteFileW(path.c_str());
      ::DeleteFileW((path + suffix_).c_str());
    }
  }
  Plants(const Plants&) = delete;
  Plants& operator=(const Plants&) = delete;

  bool planted() const { return paths_.size() == 2; }
  const std::vector<std::wstring>& paths() const { return paths_; }
  bool Ran(const std::wstring& path) const { return ::PathFileExistsW((path + suffix_).c_str()) != FALSE; }

 private:
  test::ScratchFolder current_;
  std::wstring suffix_;
  std::vector<std::wstring> paths_;
  wchar_t previous_[MAX_PATH] = {};
};

}  // namespace

TEST(PlantedPrograms, AnIpconfigInTheProgramOrCurrentFolderNeverRuns) {
  test::ScriptedDialogs dialogs;
  Plants plants(L"marker_program.exe", L"ipconfig.exe", L".ran");
  ASSERT_TRUE(plants.planted());
  // The marker works: started by a bare name it is what runs.
  ASSERT_TRUE(RunCommand(L"ipconfig", SW_HIDE, true, 5000));
  ASSERT_TRUE(plants.Ran(plants.paths()[0]) || plants.Ran(plants.paths()[1]));
  for (const auto& path : plants.paths()) ::DeleteFileW((path + L".ran").c_str());

  EXPECT_EQ(RenewCommandLine(), L"\"" + platform::SystemFolderPath(L"ipconfig.exe") + L"\" /renew");
  RenewNetwork();
  for (const auto& path : plants.paths()) EXPECT_FALSE(plants.Ran(path)) << path;
  EXPECT_TRUE(dialogs.opened.empty());
}

TEST(PlantedLibraries, ANetshellInTheProgramOrCurrentFolderIsNeverLoaded) {
  Plants plants(L"marker_library.dll", L"netshell.dll", L".loaded");
  ASSERT_TRUE(plants.planted());
  InterfaceList list = {L"{KEPT}"};
  ListConnectionIds(list);
  for (const auto& path : plants.paths()) EXPECT_FALSE(plants.Ran(path)) << path;
  EXPECT_EQ(list.front(), L"{KEPT}");
  // The marker works: loaded by a bare name, the program folder's copy is found.
  HMODULE module = ::LoadLibraryW(L"netshell.dll");
  ASSERT_NE(module, nullptr);
  ::FreeLibrary(module);
  EXPECT_TRUE(plants.Ran(plants.paths()[0]));
}
