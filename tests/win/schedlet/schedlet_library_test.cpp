// The main program's binding of Schedlet.dll: writing the library into the
// data folder, loading it, binding what a window needs, freeing it.
#include "schedlet/schedlet_library.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_task_folder.h"
#include "live_service.h"
#include "platform/com_holders.h"
#include "platform/text_conv.h"
#include "schedlet/schedlet_core.h"
#include "core/helpers.h"
#include "support/scratch.h"
#include "support/scripted_dialogs.h"
#include "test_files.h"

namespace vantrel {
namespace {

class SchedletLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    carried_ = test::ReadAll(test::BesideTestProgram(L"Schedlet.dll"));
    ASSERT_GT(carried_.size(), 1000u);
  }
  // The built library as the program's carried copy; counts the writes.
  SchedletSource Source(bool writeSucceeds = true) {
    SchedletSource source;
    source.bytes = carried_;
    source.write = [this, writeSucceeds](const std::wstring& path) {
      ++writes_;
      written_ = path;
      return writeSucceeds && test::WriteHiddenFile(path, carried_);  // (ExtractResourceToFile's part)
    };
    return source;
  }
  std::wstring LibraryFile() const { return SchedletLibrary::LibraryPath(scratch_.path()); }
  bool Loaded() const { return ::GetModuleHandleW(LibraryFile().c_str()) != nullptr; }

  test::ScratchFolder scratch_;
  std::string carried_;
  int writes_ = 0;
  std::wstring written_;
};

TEST_F(SchedletLibraryTest, WritesTheMissingLibraryHiddenAndBindsWhatTheWindowNeeds) {
  VANTREL_SKIP_WITHOUT_TASK_SCHEDULER(schedlet::ConnectRootFolder().status);  // it adds a task at the end
  {
    SchedletLibrary list = SchedletLibrary::Bind(true, SchedletNeeds::kListAndDelete, scratch_.path(), Source());
    EXPECT_EQ(writes_, 1);
    EXPECT_EQ(written_, scratch_.path() + L"\\Schedlet.dll");
    const DWORD attributes = ::GetFileAttributesW(LibraryFile().c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(attributes & ~FILE_ATTRIBUTE_ARCHIVE, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(list.bound());
    EXPECT_TRUE(list.canList());
    EXPECT_FALSE(list.canAdd());
    EXPECT_FALSE(list.AddTask(L"x", "<Task/>").has_value());
    EXPECT_TRUE(Loaded());
    // Calls go through: a missing task is deleted without complaint, and the
    // list reads (Wine's service cannot count its tasks, so no text there).
    EXPECT_EQ(list.DeleteTask(L"VantrelNoSuchTask", scratch_.File(L"none.scd")), 0);
    (void)list.TaskListText();

    SchedletLibrary moved = std::move(list);
    EXPECT_FALSE(list.bound());
    EXPECT_FALSE(list.TaskListText().has_value());
    EXPECT_TRUE(moved.canList());
    EXPECT_TRUE(Loaded());
  }
  EXPECT_FALSE(Loaded()) << "freed when its owner goes";

  // The recovery window's binding reuses the file.
  SchedletLibrary add = SchedletLibrary::Bind(true, SchedletNeeds::kAdd, scratch_.path(), Source());
  EXPECT_EQ(writes_, 1);
  ASSERT_TRUE(add.canAdd());
  EXPECT_FALSE(add.canList());
  EXPECT_FALSE(add.DeleteTask(L"x", L"y").has_value());
  const std::wstring name = L"VantrelBinding" + std::to_wstring(::GetCurrentProcessId());
  const std::string xml = platform::ToNarrow(test::TaskDefinition(test::ExecAction(L"C:\\windows\\notepad.exe")));
  EXPECT_EQ(add.AddTask(name, xml), 0);
  schedlet::RootFolder root = schedlet::ConnectRootFolder();
  ASSERT_EQ(root.status, schedlet::kStatusOk);
  Microsoft::WRL::ComPtr<IRegisteredTask> task;
  const platform::UniqueBstr taskName(name);
  EXPECT_EQ(root.folder->GetTask(taskName.get(), task.GetAddressOf()), S_OK);
  root.folder->DeleteTask(taskName.get(), 0);
}

TEST_F(SchedletLibraryTest, ANameOrPathWithoutAnExactAnsiFormNeverReachesTheLibrary) {
  VANTREL_SKIP_WITHOUT_TASK_SCHEDULER(schedlet::ConnectRootFolder().status);
  // A character the ANSI code page lacks; "ł" best-fits to "l" in the
  // Western code page, a full-width backslash to "\" in several.
  std::wstring foreign;
  for (const wchar_t* candidate : {L"\x0142", L"\xFF3C", L"\x0E01", L"\x2603"})
    if (!platform::ToNarrowExact(candidate)) {
      foreign = candidate;
      break;
    }
  if (foreign.empty()) GTEST_SKIP() << "the ANSI code page holds every candidate";

  SchedletLibrary add = SchedletLibrary::Bind(true, SchedletNeeds::kAdd, scratch_.path(), Source());
  ASSERT_TRUE(add.canAdd());
  const std::wstring name = L"VantrelExact" + std::to_wstring(::GetCurrentProcessId());
  const std::string xml = platform::ToNarrow(test::TaskDefinition(test::ExecAction(L"C:\\windows\\notepad.exe")));
  EXPECT_EQ(add.AddTask(name + foreign, xml), SchedletLibrary::kNotConverted);
  ASSERT_EQ(add.AddTask(name, xml), 0);
  add = SchedletLibrary();

  SchedletLibrary list = SchedletLibrary::Bind(true, SchedletNeeds::kListAndDelete, scratch_.path(), Source());
  ASSERT_TRUE(list.canList());
  // The backup would land at another path ("Michal.scd"), the name would
  // name another task: neither call is made, the task stays.
  const std::wstring backup = scratch_.File(L"Micha" + foreign + L".scd");
  EXPECT_EQ(list.DeleteTask(name, backup), SchedletLibrary::kNotConverted);
  EXPECT_EQ(list.DeleteTask(name + foreign, scratch_.File(L"plain.scd")), SchedletLibrary::kNotConverted);
  EXPECT_EQ(list.DeleteTask(name + std::wstring(1, L'\0') + L"x", scratch_.File(L"plain.scd")),
            SchedletLibrary::kNotConverted);
  schedlet::RootFolder root = schedlet::ConnectRootFolder();
  ASSERT_EQ(root.status, schedlet::kStatusOk);
  Microsoft::WRL::ComPtr<IRegisteredTask> task;
  const platform::UniqueBstr taskName(name);
  EXPECT_EQ(root.folder->GetTask(taskName.get(), task.GetAddressOf()), S_OK);
  // Nothing but the library in the folder: no backup under a look-alike name.
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileW((scratch_.path() + L"\\*").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(found.cFileName);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  EXPECT_EQ(files, std::vector<std::wstring>{L"Schedlet.dll"});

  // A path that converts exactly is handed over.
  EXPECT_EQ(list.DeleteTask(name, scratch_.File(L"plain.scd")), 0);
  EXPECT_NE(::GetFileAttributesW(scratch_.File(L"plain.scd").c_str()), INVALID_FILE_ATTRIBUTES);
  task.Reset();
  if (root.folder->GetTask(taskName.get(), task.GetAddressOf()) == S_OK) root.folder->DeleteTask(taskName.get(), 0);
}

TEST_F(SchedletLibraryTest, BeforeVistaOrWithoutADataFolderNothingIsWrittenOrLoaded) {
  EXPECT_FALSE(SchedletLibrary::Bind(false, SchedletNeeds::kListAndDelete, scratch_.path(), Source()).bound());
  EXPECT_FALSE(SchedletLibrary::Bind(false, SchedletNeeds::kAdd).bound());
  EXPECT_FALSE(SchedletLibrary::Bind(true, SchedletNeeds::kAdd, L"", Source()).bound());
  EXPECT_EQ(writes_, 0);
  EXPECT_EQ(::GetFileAttributesW(LibraryFile().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SchedletLibraryTest, AFailedWriteLeavesTheWindowWithoutTasks) {
  SchedletLibrary lib = SchedletLibrary::Bind(true, SchedletNeeds::kListAndDelete, scratch_.path(), Source(false));
  EXPECT_EQ(writes_, 1);
  EXPECT_FALSE(lib.bound());
  EXPECT_FALSE(lib.TaskListText().has_value());
  EXPECT_FALSE(lib.DeleteTask(L"x", L"y").has_value());
}

TEST_F(SchedletLibraryTest, AnExistingCopyIsUsedAsItIsAnythingElseIsReplaced) {
  // The carried library, not hidden: used as it is.
  ASSERT_TRUE(test::WriteHiddenFile(LibraryFile(), carried_));
  ::SetFileAttributesW(LibraryFile().c_str(), FILE_ATTRIBUTE_READONLY);
  {
    SchedletLibrary lib = SchedletLibrary::Bind(true, SchedletNeeds::kListAndDelete, scratch_.path(), Source());
    EXPECT_TRUE(lib.canList());
    EXPECT_EQ(writes_, 0);
    EXPECT_EQ(::GetFileAttributesW(LibraryFile().c_str()) & ~FILE_ATTRIBUTE_ARCHIVE,
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  }
  // Another file of that name (an older library, or a planted one) is never run.
  ::SetFileAttributesW(LibraryFile().c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileW(LibraryFile().c_str());
  ASSERT_TRUE(test::WriteHiddenFile(LibraryFile(), carried_.substr(0, carried_.size() - 1) + "!"));
  SchedletLibrary lib = SchedletLibrary::Bind(true, SchedletNeeds::kAdd, scratch_.path(), Source());
  EXPECT_TRUE(lib.canAdd());
  EXPECT_EQ(writes_, 1);
  EXPECT_EQ(test::ReadAll(LibraryFile()), carried_);
}

TEST_F(SchedletLibraryTest, ALibraryWithoutTheExportsIsFreedAgain) {
  // A real library that lacks the three exports, carried in place of Schedlet.
  carried_ = test::ReadAll(L"C:\\windows\\system32\\version.dll");
  ASSERT_GT(carried_.size(), 1000u);
  for (SchedletNeeds needs : {SchedletNeeds::kListAndDelete, SchedletNeeds::kAdd}) {
    SchedletLibrary lib = SchedletLibrary::Bind(true, needs, scratch_.path(), Source());
    EXPECT_FALSE(lib.bound());
    EXPECT_FALSE(Loaded());
  }
}

TEST_F(SchedletLibraryTest, TheProgramsOwnBindingWritesResource102IntoTheDataFolder) {
  // This test program carries no resource 102: the extraction reports it and
  // the window goes on without tasks.
  const std::wstring target = SchedletLibrary::LibraryPath(GetDataFolder());
  if (::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "a library is there already";
  test::ScriptedDialogs dialogs;
  EXPECT_FALSE(SchedletLibrary::Bind(true, SchedletNeeds::kListAndDelete).bound());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text.rfind(L"FindResource Fail : ", 0), 0u) << dialogs.messages[0].text;
  EXPECT_EQ(::GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace vantrel
