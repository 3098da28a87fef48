// The built Schedlet.dll, loaded as the main program loads it, against
// Wine's real Task Scheduler: registering, replacing, backing up and
// deleting tasks of the root folder. (Wine cannot enumerate tasks and drops
// the exec action from definitions; the listing is tested with the test
// double in task_folder_test.cpp.)
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>

#include "fake_task_folder.h"
#include "guarded_buffer.h"
#include "live_service.h"
#include "platform/com_holders.h"
#include "platform/text_conv.h"
#include "schedlet/schedlet_core.h"
#include "support/scratch.h"
#include "test_files.h"

namespace vantrel::schedlet {
namespace {

using Microsoft::WRL::ComPtr;
using GetSchedletInfoFn = int(WINAPI*)(char*, int);
using DeleteSchedletFn = int(WINAPI*)(const char*, const char*);
using AddSchedletFn = int(WINAPI*)(const char*, const char*);

class SchedletDllTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = ::LoadLibraryW(test::BesideTestProgram(L"Schedlet.dll").c_str());
    ASSERT_NE(module_, nullptr);
    get_ = reinterpret_cast<GetSchedletInfoFn>(::GetProcAddress(module_, "GetSchedletInfo"));
    delete_ = reinterpret_cast<DeleteSchedletFn>(::GetProcAddress(module_, "DeleteSchedlet"));
    add_ = reinterpret_cast<AddSchedletFn>(::GetProcAddress(module_, "AddSchedlet"));
  }
  static void TearDownTestSuite() { ::FreeLibrary(module_); }

  void SetUp() override {
    ASSERT_TRUE(get_ && delete_ && add_);
    name_ = "VantrelTest" + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(++counter_);
    root_ = ConnectRootFolder();
    VANTREL_SKIP_WITHOUT_TASK_SCHEDULER(root_.status);
    ASSERT_EQ(root_.status, kStatusOk);
  }
  void TearDown() override {
    if (!root_.folder) return;
    for (const std::wstring& name : {FromAnsi(name_.c_str()), extraName_})
      if (!name.empty()) root_.folder->DeleteTask(platform::UniqueBstr(name).get(), 0);
  }

  // The task's definition as the service gives it; empty when there is no such task.
  std::wstring ServiceXml(const std::wstring& name) {
    ComPtr<IRegisteredTask> task;
    if (FAILED(root_.folder->GetTask(platform::UniqueBstr(name).get(), task.GetAddressOf()))) return {};
    platform::UniqueBstr xml;
    return SUCCEEDED(task->get_Xml(xml.put())) ? std::wstring(xml.view()) : L"<no xml>";
  }
  static std::string Definition(const std::wstring& description) {
    return platform::ToNarrow(test::TaskDefinition(test::ExecAction(L"C:\\windows\\notepad.exe", L"-x"), description));
  }

  static inline HMODULE module_ = nullptr;
  static inline GetSchedletInfoFn get_ = nullptr;
  static inline DeleteSchedletFn delete_ = nullptr;
  static inline AddSchedletFn add_ = nullptr;
  static inline int counter_ = 0;
  std::string name_;
  std::wstring extraName_;
  RootFolder root_;
};

TEST_F(SchedletDllTest, ExportsByNameAndOrdinalAreTheSameFunctions) {
  EXPECT_EQ(reinterpret_cast<void*>(::GetProcAddress(module_, MAKEINTRESOURCEA(1))), reinterpret_cast<void*>(get_));
  EXPECT_EQ(reinterpret_cast<void*>(::GetProcAddress(module_, MAKEINTRESOURCEA(2))), reinterpret_cast<void*>(delete_));
  EXPECT_EQ(reinterpret_cast<void*>(::GetProcAddress(module_, MAKEINTRESOURCEA(3))), reinterpret_cast<void*>(add_));
  EXPECT_EQ(::GetProcAddress(module_, MAKEINTRESOURCEA(4)), nullptr);
}

TEST_F(SchedletDllTest, AddRegistersAndReplacesATask) {
  ASSERT_EQ(add_(name_.c_str(), Definition(L"first version").c_str()), 0);
  const std::wstring first = ServiceXml(FromAnsi(name_.c_str()));
  EXPECT_NE(first.find(L"first version"), std::wstring::npos) << first;

  ASSERT_EQ(add_(name_.c_str(), Definition(L"second version").c_str()), 0);
  const std::wstring second = ServiceXml(FromAnsi(name_.c_str()));
  EXPECT_NE(second.find(L"second version"), std::wstring::npos) << second;
  EXPECT_EQ(second.find(L"first version"), std::wstring::npos);
}

TEST_F(SchedletDllTest, AddRefusesWhatCannotBeATaskOfTheRootFolder) {
  EXPECT_EQ(add_(name_.c_str(), "this is no task definition"), kStatusRegisterFailed);
  EXPECT_EQ(add_(name_.c_str(), ""), kStatusRegisterFailed);
  EXPECT_EQ(add_(name_.c_str(), nullptr), kStatusRegisterFailed);
  EXPECT_TRUE(ServiceXml(FromAnsi(name_.c_str())).empty());
  const std::string nested = "Vantrel\\" + name_;
  EXPECT_EQ(add_(nested.c_str(), Definition(L"nested").c_str()), kStatusRegisterFailed);
  EXPECT_TRUE(ServiceXml(FromAnsi(nested.c_str())).empty());
}

TEST_F(SchedletDllTest, DeleteWritesTheHiddenBackupThenRemovesTheTask) {
  test::ScratchFolder scratch;
  ASSERT_EQ(add_(name_.c_str(), Definition(L"to be deleted").c_str()), 0);
  const std::wstring xml = ServiceXml(FromAnsi(name_.c_str()));
  ASSERT_FALSE(xml.empty());

  const std::wstring backup = scratch.File(FromAnsi(name_.c_str()) + L".scd");
  EXPECT_EQ(delete_(name_.c_str(), platform::ToNarrow(backup).c_str()), 0);
  EXPECT_TRUE(ServiceXml(FromAnsi(name_.c_str())).empty()) << "the task is still there";
  const DWORD attributes = ::GetFileAttributesW(backup.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
  const std::string saved = test::ReadAll(backup);
  EXPECT_EQ(saved, platform::ToNarrow(xml));  // as get_Xml gave it: no byte-order mark, no NUL, nothing rewritten

  // The backup registers the task again, as the recovery window does.
  ASSERT_EQ(add_(name_.c_str(), saved.c_str()), 0);
  EXPECT_FALSE(ServiceXml(FromAnsi(name_.c_str())).empty());
}

TEST_F(SchedletDllTest, DeleteLeavesAnExistingBackupUnchanged) {
  test::ScratchFolder scratch;
  const std::wstring backup = scratch.File(L"older.scd");
  ASSERT_TRUE(test::WriteHiddenFile(backup, "older definition"));

  ASSERT_EQ(add_(name_.c_str(), Definition(L"newer").c_str()), 0);
  EXPECT_EQ(delete_(name_.c_str(), platform::ToNarrow(backup).c_str()), 0);
  EXPECT_EQ(test::ReadAll(backup), "older definition");
  EXPECT_TRUE(ServiceXml(FromAnsi(name_.c_str())).empty());
}

TEST_F(SchedletDllTest, MissingTasksEmptyNamesAndNullPointersReturnZero) {
  test::ScratchFolder scratch;
  const std::string backup = platform::ToNarrow(scratch.File(L"missing.scd"));
  EXPECT_EQ(delete_(name_.c_str(), backup.c_str()), 0);
  EXPECT_EQ(::GetFileAttributesA(backup.c_str()), INVALID_FILE_ATTRIBUTES);

  EXPECT_EQ(delete_("", backup.c_str()), 0);
  EXPECT_EQ(delete_(nullptr, nullptr), 0);
  EXPECT_EQ(add_("", Definition(L"x").c_str()), 0);
  EXPECT_EQ(add_(nullptr, nullptr), 0);

  // Without a place for the backup the task is kept.
  ASSERT_EQ(add_(name_.c_str(), Definition(L"kept").c_str()), 0);
  EXPECT_EQ(delete_(name_.c_str(), ""), 0);
  EXPECT_EQ(delete_(name_.c_str(), nullptr), 0);
  EXPECT_FALSE(ServiceXml(FromAnsi(name_.c_str())).empty());
}

TEST_F(SchedletDllTest, EmptyNamesReturnBeforeCOMIsTouched) {
  // On a fresh thread: had the library initialised COM (multithreaded), the
  // thread could no longer enter a single-threaded apartment.
  HRESULT after = E_FAIL;
  std::thread([&] {
    delete_("", "x.scd");
    add_("", "<Task/>");
    after = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(after)) ::CoUninitialize();
  }).join();
  EXPECT_EQ(after, S_OK);
}

TEST_F(SchedletDllTest, NamesInTheAnsiCodePageRoundTrip) {
  // Characters of the system code page (here: "é" and "ü" where the code page
  // holds them, else their default character) pass through both ways.
  const std::string name = name_ + " \xE9t\xFC";
  extraName_ = FromAnsi(name.c_str());
  ASSERT_EQ(add_(name.c_str(), Definition(L"accented").c_str()), 0);
  EXPECT_FALSE(ServiceXml(extraName_).empty());
  test::ScratchFolder scratch;
  const std::string backup = platform::ToNarrow(scratch.path()) + "\\" + name + ".scd";
  EXPECT_EQ(delete_(name.c_str(), backup.c_str()), 0);
  EXPECT_TRUE(ServiceXml(extraName_).empty());
  EXPECT_NE(::GetFileAttributesA(backup.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SchedletDllTest, LongAndOddInputDoesNotCrash) {
  const std::string longName(5000, 'n');
  // (Wine's XML reader itself overruns on a text of 20,000 characters; the
  // library hands the definition over unchanged whatever its length.)
  const std::string hugeXml = Definition(std::wstring(3000, L'd'));
  EXPECT_LE(add_(longName.c_str(), hugeXml.c_str()), 0);
  EXPECT_EQ(delete_(longName.c_str(), std::string(5000, 'p').c_str()), 0);
  EXPECT_LE(add_((name_ + "&quot;&amp;").c_str(), Definition(L"&quot;").c_str()), 0);
  extraName_ = FromAnsi((name_ + "&quot;&amp;").c_str());
  EXPECT_LE(add_("\x81\x82\xFF", "\xFF\xFE<"), 0);  // bytes that are no text in some code pages
  root_.folder->DeleteTask(platform::UniqueBstr(FromAnsi("\x81\x82\xFF")).get(), 0);
}

TEST_F(SchedletDllTest, GetSchedletInfoStaysInsideAnyBuffer) {
  char untouched = '#';
  EXPECT_EQ(get_(nullptr, 100), kStatusNoBuffer);
  EXPECT_EQ(get_(&untouched, 0), kStatusNoBuffer);
  EXPECT_EQ(get_(&untouched, -5), kStatusNoBuffer);
  EXPECT_EQ(untouched, '#');

  // Whatever the service gives (Wine's collection cannot count: -6), text
  // and NUL stay inside the buffer, at any size.
  ASSERT_EQ(add_(name_.c_str(), Definition(L"listed?").c_str()), 0);
  for (int size : {1, 2, 5, 30, 31, 32, 33, 100, 4096, 100000}) {
    test::GuardedBuffer buffer(static_cast<size_t>(size));
    const int status = get_(buffer.data(), size);
    const std::string text(buffer.data());
    EXPECT_LT(text.size(), static_cast<size_t>(size));
    const size_t room = static_cast<size_t>(size) - 1;
    if (status == kStatusNoTasks) {
      EXPECT_EQ(text, std::string(kMsgNoTasks).substr(0, room));
    } else if (status == kStatusTasksFailed) {  // "Cannot get the registered tasks.: <hresult>", cut
      const size_t shown = std::min(room, kMsgTasksFailed.size());
      EXPECT_EQ(text.substr(0, shown), kMsgTasksFailed.substr(0, shown));
    } else {
      EXPECT_EQ(status, kStatusOk) << text;
    }
  }
}

}  // namespace
}  // namespace vantrel::schedlet
