// The Task Scheduler work of Schedlet against the test double of the root
// folder: the listing, the backup-then-delete rule and the registration call.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_task_folder.h"
#include "guarded_buffer.h"
#include "platform/text_conv.h"
#include "schedlet/schedlet_core.h"
#include "support/scratch.h"
#include "test_files.h"

namespace vantrel::schedlet {
namespace {

using test::ExecAction;
using test::FakeFolderState;
using test::FakeTask;
using test::TaskDefinition;

class TaskFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { state_ = std::make_shared<FakeFolderState>(); }
  void TearDown() override { EXPECT_EQ(test::LiveFakeObjects(), 0) << "a COM object was not released"; }

  void Add(const std::wstring& name, const std::wstring& actions, bool hidden = false) {
    state_->tasks.push_back(FakeTask{name, TaskDefinition(actions), hidden});
  }
  // Lists into a buffer of `size` bytes; the folder is released afterwards.
  int List(std::string* text, size_t size = 100000) {
    std::vector<char> buffer(size + 16, '#');
    int status;
    {
      auto folder = test::MakeFakeRootFolder(state_);
      TaskListWriter out(buffer.data(), size);
      status = WriteTaskList(*folder.Get(), out);
    }
    for (size_t i = size; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], '#') << "written past the buffer";
    *text = buffer.data();
    return status;
  }
  void BackUpAndDelete(const std::wstring& name, const std::wstring& path) {
    auto folder = test::MakeFakeRootFolder(state_);
    BackUpAndDeleteTask(*folder.Get(), name, platform::ToNarrow(path).c_str());
  }
  bool HasTask(const std::wstring& name) const {
    for (const FakeTask& t : state_->tasks)
      if (t.name == name) return true;
    return false;
  }

  std::shared_ptr<FakeFolderState> state_;
};

TEST_F(TaskFolderTest, ListsTheRootTasksWithHiddenOnesAndTheirFirstCommand) {
  Add(L"A", ExecAction(L"C:\\a\\a.exe"));
  Add(L"B", ExecAction(L"C:\\b\\b.exe", L"-silent"), /*hidden=*/true);
  Add(L"Handler", L"    <ComHandler><ClassId>{F0000000-0000-0000-0000-000000000000}</ClassId></ComHandler>\r\n");
  Add(L"Two", ExecAction(L"first.exe", L"-1") + ExecAction(L"second.exe", L"-2"));
  Add(L"Quoted", ExecAction(L"&quot;C:\\Program Files\\q.exe&quot;", L"/x &amp; /y"));

  std::string text;
  ASSERT_EQ(List(&text), kStatusOk);
  EXPECT_EQ(text,
            "A||C:\\a\\a.exe||NONE;;B||C:\\b\\b.exe||-silent;;Two||first.exe||-1;;"
            "Quoted||&quot;C:\\Program Files\\q.exe&quot;||/x &amp; /y");
  ASSERT_EQ(state_->getTasksFlags, std::vector<LONG>{TASK_ENUM_HIDDEN});
  EXPECT_EQ(state_->itemIndices, (std::vector<LONG>{1, 2, 3, 4, 5}));
  EXPECT_EQ(state_->itemTypes, std::vector<VARTYPE>(5, VT_I4));
}

TEST_F(TaskFolderTest, TasksThatCannotBeReadAreLeftOutAndReleased) {
  Add(L"first", ExecAction(L"1.exe"));
  Add(L"no item", ExecAction(L"x.exe"));
  state_->tasks.back().itemResult = E_FAIL;
  Add(L"no name", ExecAction(L"x.exe"));
  state_->tasks.back().nameResult = E_ACCESSDENIED;
  Add(L"no xml", ExecAction(L"x.exe"));
  state_->tasks.back().xmlResult = E_OUTOFMEMORY;
  Add(L"last", ExecAction(L"2.exe", L"&quot;quoted&quot;"));

  std::string text;
  ASSERT_EQ(List(&text), kStatusOk);
  // The entity's ";" gets a space so that it cannot join a following ";;".
  EXPECT_EQ(text, "first||1.exe||NONE;;last||2.exe||&quot;quoted&quot; ");
}

TEST_F(TaskFolderTest, EmptyOrUnreadableFolderGivesItsStatusAndText) {
  std::string text;
  EXPECT_EQ(List(&text), kStatusNoTasks);
  EXPECT_EQ(text, "\nNo Tasks are currently running");

  Add(L"only hidden ones count too", ExecAction(L"x"), true);
  state_->getTasksResult = E_ACCESSDENIED;
  EXPECT_EQ(List(&text), kStatusTasksFailed);
  EXPECT_EQ(text, "Cannot get the registered tasks.: 80070005");

  state_->getTasksResult = S_OK;
  state_->countResult = E_UNEXPECTED;
  EXPECT_EQ(List(&text), kStatusTasksFailed);
  EXPECT_EQ(text, "Cannot get the registered tasks.: 8000ffff");

  // A message longer than the buffer is cut, NUL-terminated.
  EXPECT_EQ(List(&text, 7), kStatusTasksFailed);
  EXPECT_EQ(text, "Cannot");
}

TEST_F(TaskFolderTest, SetUpFailuresLeaveTheirStatusAndText) {
  struct Case {
    int status;
    HRESULT hr;
    const char* text;
  };
  const Case cases[] = {
      {kStatusCreateFailed, REGDB_E_CLASSNOTREG, "Failed to CoCreate an instance of the TaskService class: 80040154"},
      {kStatusConnectFailed, E_ACCESSDENIED, "ITaskService::Connect failed: 80070005"},
      {kStatusRootFolderFailed, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), "Cannot get Root Folder pointer: 80070002"},
  };
  for (const Case& c : cases) {
    char buffer[100];
    TaskListWriter out(buffer, sizeof buffer);
    RootFolder failed;
    failed.status = c.status;
    failed.hr = c.hr;
    EXPECT_EQ(WriteTaskListOrFailure(failed, out), c.status);
    EXPECT_STREQ(buffer, c.text);
  }
  // Connected: the folder's list.
  Add(L"A", ExecAction(L"a.exe"));
  char buffer[100];
  TaskListWriter out(buffer, sizeof buffer);
  RootFolder connected;
  connected.folder = test::MakeFakeRootFolder(state_);
  EXPECT_EQ(WriteTaskListOrFailure(connected, out), kStatusOk);
  EXPECT_STREQ(buffer, "A||a.exe||NONE");
}

TEST_F(TaskFolderTest, TheListStopsAtTheLastWholeRecordThatFits) {
  // Records of 20, 22 ... bytes: "T0||C:\t\x.exe||NONE".
  for (int i = 0; i < 8; ++i) Add(L"T" + std::to_wstring(i), ExecAction(L"C:\\t\\x.exe"));
  std::string all;
  ASSERT_EQ(List(&all), kStatusOk);
  const std::string record0 = "T0||C:\\t\\x.exe||NONE";
  ASSERT_EQ(all.size(), 8 * record0.size() + 7 * 2);

  for (size_t size = 1; size <= all.size() + 2; ++size) {
    test::GuardedBuffer guarded(size);  // a byte past the end would fault
    {
      auto folder = test::MakeFakeRootFolder(state_);
      TaskListWriter out(guarded.data(), size);
      ASSERT_EQ(WriteTaskList(*folder.Get(), out), kStatusOk);
    }
    const std::string text(guarded.data());
    ASSERT_LT(text.size(), size);
    const size_t whole = size <= record0.size() ? 0 : 1 + (size - record0.size() - 1) / (record0.size() + 2);
    const size_t expected = whole == 0 ? 0 : whole * record0.size() + (whole - 1) * 2;
    EXPECT_EQ(text, all.substr(0, expected)) << size;
  }
}

TEST_F(TaskFolderTest, AwkwardNamesAndFieldsKeepTheRecordsApart) {
  Add(L"semi;;colons", ExecAction(L"left out.exe"));  // its name would split the list
  Add(L"wide bar", ExecAction(L"\xFF5C\xFF5C.exe", L"a||b;;c;"));
  Add(L"wide \xFF5C name", ExecAction(L"left out.exe"));  // could not be named again to delete it
  Add(L"after", ExecAction(L"after.exe"));
  Add(L"long", ExecAction(std::wstring(5000, L'c'), std::wstring(5000, L'a')));

  std::string text;
  ASSERT_EQ(List(&text), kStatusOk);
  // The full-width bar is not in the ANSI code page: it is shown as "?",
  // never as "|".
  const std::string expectedStart = "wide bar||??.exe||a| |b; ;c; ;;after||after.exe||NONE;;long||";
  ASSERT_EQ(text.substr(0, expectedStart.size()), expectedStart);
  EXPECT_EQ(text.substr(expectedStart.size()), std::string(1023, 'c') + "||" + std::string(1023, 'a'));
}

TEST_F(TaskFolderTest, DeleteWritesTheDefinitionToANewHiddenFileFirst) {
  test::ScratchFolder scratch;
  Add(L"Job", ExecAction(L"C:\\job.exe", L"-run"));
  const std::wstring xml = state_->tasks[0].xml;
  BackUpAndDelete(L"Job", scratch.File(L"Job.scd"));

  EXPECT_FALSE(HasTask(L"Job"));
  const DWORD attributes = ::GetFileAttributesW(scratch.File(L"Job.scd").c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
  // No byte-order mark, no NUL, the XML declaration as it was.
  EXPECT_EQ(test::ReadAll(scratch.File(L"Job.scd")), platform::ToNarrow(xml));
}

TEST_F(TaskFolderTest, ADefinitionWithoutAnExactAnsiFormIsNeitherSavedNorDeleted) {
  // "ł" and a full-width backslash: best-fit would save "l" and "\", and the
  // restored task would run another program.
  test::ScratchFolder scratch;
  Add(L"Polish", ExecAction(L"C:\\Micha\x0142\xFF3Crun.exe"));
  if (platform::ToNarrowExact(state_->tasks[0].xml)) GTEST_SKIP() << "the ANSI code page holds both characters";
  BackUpAndDelete(L"Polish", scratch.File(L"Polish.scd"));
  EXPECT_TRUE(HasTask(L"Polish"));
  EXPECT_EQ(::GetFileAttributesW(scratch.File(L"Polish.scd").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(TaskFolderTest, DeleteKeepsAnOlderBackupAndNeverDeletesWithoutOne) {
  test::ScratchFolder scratch;
  // An older backup of the same name stays as it is; the task is deleted.
  const std::wstring older = scratch.File(L"Old.scd");
  ASSERT_TRUE(test::WriteHiddenFile(older, "older"));
  Add(L"Old", ExecAction(L"new.exe"));
  BackUpAndDelete(L"Old", older);
  EXPECT_FALSE(HasTask(L"Old"));
  EXPECT_EQ(test::ReadAll(older), "older");

  // No backup could be written: the task stays.
  Add(L"NoFolder", ExecAction(L"x.exe"));
  BackUpAndDelete(L"NoFolder", scratch.File(L"missing\\NoFolder.scd"));
  EXPECT_TRUE(HasTask(L"NoFolder"));
  Add(L"NoXml", ExecAction(L"x.exe"));
  state_->tasks.back().xmlResult = E_FAIL;
  BackUpAndDelete(L"NoXml", scratch.File(L"NoXml.scd"));
  EXPECT_TRUE(HasTask(L"NoXml"));
  EXPECT_EQ(::GetFileAttributesW(scratch.File(L"NoXml.scd").c_str()), INVALID_FILE_ATTRIBUTES);
  ::CreateDirectoryW(scratch.File(L"Dir.scd").c_str(), nullptr);  // a folder is no backup
  Add(L"Dir", ExecAction(L"x.exe"));
  BackUpAndDelete(L"Dir", scratch.File(L"Dir.scd"));
  EXPECT_TRUE(HasTask(L"Dir"));

  // A missing task: nothing written, nothing deleted.
  BackUpAndDelete(L"Missing", scratch.File(L"Missing.scd"));
  EXPECT_EQ(::GetFileAttributesW(scratch.File(L"Missing.scd").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(state_->deleteTaskCalls == std::vector<std::wstring>{L"Old"});

  // A path into a sub-folder is never looked at.
  BackUpAndDelete(L"Microsoft\\Windows\\Defrag", scratch.File(L"x.scd"));
  EXPECT_EQ(state_->getTaskCalls.back(), L"Missing");
}

TEST_F(TaskFolderTest, RegisterCreatesOrReplacesWithTheInteractiveLogon) {
  const std::wstring xml = TaskDefinition(ExecAction(L"C:\\r.exe"));
  {
    auto folder = test::MakeFakeRootFolder(state_);
    EXPECT_EQ(RegisterTaskXml(*folder.Get(), L"Restored", xml), kStatusOk);
    state_->registerResult = static_cast<HRESULT>(0x80041318);
    EXPECT_EQ(RegisterTaskXml(*folder.Get(), L"Refused", L"<Task/>"), kStatusRegisterFailed);
    EXPECT_EQ(RegisterTaskXml(*folder.Get(), L"Sub\\Task", xml), kStatusRegisterFailed);
    EXPECT_EQ(RegisterTaskXml(*folder.Get(), L"Empty", L""), kStatusRegisterFailed);
  }
  ASSERT_EQ(state_->registerCalls.size(), 2u);  // the sub-folder path and the empty text go nowhere
  const test::RegisterCall& call = state_->registerCalls[0];
  EXPECT_EQ(call.path, L"Restored");
  EXPECT_EQ(call.xml, xml);
  EXPECT_EQ(call.flags, TASK_CREATE_OR_UPDATE);
  EXPECT_EQ(call.logon, TASK_LOGON_INTERACTIVE_TOKEN);
  EXPECT_EQ(call.user, VT_EMPTY);
  EXPECT_EQ(call.password, VT_EMPTY);
  EXPECT_EQ(call.sddl, VT_EMPTY);
  EXPECT_TRUE(HasTask(L"Restored"));
}

}  // namespace
}  // namespace vantrel::schedlet
