// The start sequence of the real Vantrel.exe: single instance, language
// table file, left-over updater, interface language.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "core/helpers.h"
#include "app/start_sequence.h"
#include "mainwindow/main_form.h"
#include "platform/text_conv.h"
#include "support/process_driver.h"
#include "support/scratch.h"
#include "support/wine_load_order.h"

namespace vantrel {
namespace {

using test::ChildProcess;
using test::ScratchFolder;

constexpr DWORD kWait = 20000;

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
DWORD Attributes(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()); }

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << bytes;
}

// A program folder of its own for each test, holding a copy of the built
// Vantrel.exe, so that Vantrel.ini and VantrelUpdate.exe there are the test's.
class VantrelStart : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::FindWindowW(kMainWindowClass, nullptr), nullptr) << "a Vantrel main window is already open";
    exe_ = program_.File(L"Vantrel.exe");
    ASSERT_TRUE(::CopyFileW((GetProgramFolder() + L"Vantrel.exe").c_str(), exe_.c_str(), FALSE))
        << "Vantrel.exe is not beside the test program";
    languageFile_ = GetDataFolder() + L"\\Vantrel.dat";
  }

  ChildProcess Start() { return ChildProcess::Start(exe_); }

  // The shown main window of a started program.
  HWND MainWindow(const ChildProcess& vantrel) {
    return test::WaitForTopLevelWindow(kMainWindowClass, vantrel.id(), kWait, true);
  }

  // Ends the program the normal way: the tray menu's close command.
  void CloseForGood(ChildProcess& vantrel, HWND window) {
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(kTrayPopupCloseCommand, 0), 0);
    DWORD code = 99;
    ASSERT_TRUE(vantrel.WaitForExit(kWait, &code));
    EXPECT_EQ(code, 0u);
  }

  ScratchFolder program_;
  std::wstring exe_;
  std::wstring languageFile_;
};

TEST_F(VantrelStart, ASecondStartBringsTheHiddenFirstWindowBack) {
  ChildProcess first = Start();
  HWND window = MainWindow(first);
  ASSERT_NE(window, nullptr);
  ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box only hides it
  ASSERT_TRUE(test::WaitUntil([&] { return !::IsWindowVisible(window); }, kWait));
  EXPECT_TRUE(first.Running());

  ChildProcess second = Start();
  DWORD code = 99;
  ASSERT_TRUE(second.WaitForExit(kWait, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_EQ(::GetForegroundWindow(), window);
  EXPECT_EQ(test::TopLevelWindows(kMainWindowClass, 0).size(), 1u);  // no window of its own
  CloseForGood(first, window);
}

TEST_F(VantrelStart, TheLanguageFileIsThereHiddenWhileRunningAndGoneAfterANormalEnd) {
  // A file left by a crashed run, hidden as the program leaves it.
  ::SetFileAttributesW(languageFile_.c_str(), FILE_ATTRIBUTE_NORMAL);
  WriteBytes(languageFile_, "[Vantrel]\r\nMsg_NoExe=left over\r\n");
  ::SetFileAttributesW(languageFile_.c_str(), FILE_ATTRIBUTE_HIDDEN);

  ChildProcess vantrel = Start();
  HWND window = MainWindow(vantrel);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(Exists(languageFile_));
  EXPECT_TRUE(Attributes(languageFile_) & FILE_ATTRIBUTE_HIDDEN);
  const std::string table = ReadBytes(languageFile_);
  EXPECT_EQ(table.find("left over"), std::string::npos);
  EXPECT_NE(table.find("[VantrelMainForm]"), std::string::npos) << "not the carried table: " << table.substr(0, 80);

  CloseForGood(vantrel, window);
  EXPECT_FALSE(Exists(languageFile_));
}

TEST_F(VantrelStart, ALeftOverUpdaterInTheProgramFolderIsDeleted) {
  const std::wstring updater = program_.File(L"VantrelUpdate.exe");
  WriteBytes(updater, "MZ left by an earlier update");
  ChildProcess vantrel = Start();
  HWND window = MainWindow(vantrel);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(Exists(updater));
  CloseForGood(vantrel, window);
}

TEST_F(VantrelStart, AWininetPlantedBesideItIsNeverLoaded) {
  // Wine prefers a library file of that name in Vantrel.exe, as Windows XP
  // and Vista do for a name they do not know: a static import would take it.
  test::ScopedNativeFirst nativeFirst(L"Vantrel.exe", {L"wininet"});
  ASSERT_TRUE(nativeFirst.set());
  const std::wstring planted = program_.File(L"wininet.dll");
  ASSERT_TRUE(::CopyFileW((GetProgramFolder() + L"markers\\marker_library.dll").c_str(), planted.c_str(), FALSE));
  ChildProcess vantrel = Start();
  HWND window = MainWindow(vantrel);
  ASSERT_NE(window, nullptr);
  CloseForGood(vantrel, window);
  EXPECT_FALSE(Exists(planted + L".loaded"));
}

TEST_F(VantrelStart, ASecondStartWithoutAMainWindowSaysItCannotStart) {
  // This process plays the first instance that has no main window yet.
  HANDLE mutex = ::CreateMutexW(nullptr, TRUE, kInstanceMutexName);
  ASSERT_NE(mutex, nullptr);
  ASSERT_NE(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  ::DeleteFileW(languageFile_.c_str());

  ChildProcess vantrel = Start();
  test::MessageBoxInfo box;
  ASSERT_TRUE(test::WaitForMessageBox(vantrel.id(), kWait, &box));
  const bool korean = GetUiLanguage() == kKoreanLanguage;
  EXPECT_EQ(box.text, korean ? L"프로그램을 정상적으로 실행할 수 없습니다." : L"Program could not start properly.");
  EXPECT_EQ(box.caption, L"Vantrel");
  EXPECT_TRUE(test::AnswerMessageBox(box.window, IDOK));
  DWORD code = 99;
  ASSERT_TRUE(vantrel.WaitForExit(kWait, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(Exists(languageFile_));  // it never got as far as the language table
  ::ReleaseMutex(mutex);
  ::CloseHandle(mutex);
}

// Run twice by ctest: in the normal locale and under the private Korean locale.
TEST(Language, TheExtractedTableFollowsTheInterfaceLanguage) {
  const bool korean = GetUiLanguage() == kKoreanLanguage;
  EXPECT_EQ(korean, test::EnvironmentValue(L"LC_ALL").rfind(L"ko_KR", 0) == 0)
      << "the interface language does not follow LC_ALL";
  ScratchFolder program;
  const std::wstring exe = program.File(L"Vantrel.exe");
  ASSERT_TRUE(::CopyFileW((GetProgramFolder() + L"Vantrel.exe").c_str(), exe.c_str(), FALSE));
  const std::wstring languageFile = GetDataFolder() + L"\\Vantrel.dat";

  ChildProcess vantrel = ChildProcess::Start(exe);
  HWND window = test::WaitForTopLevelWindow(kMainWindowClass, vantrel.id(), kWait, true);
  ASSERT_NE(window, nullptr);
  const std::string table = ReadBytes(languageFile);
  const std::string korean949 = platform::ToNarrow(L"업데이트를 실패하였습니다.", platform::kCodePageKorean);
  ASSERT_FALSE(korean949.empty());
  EXPECT_EQ(table.find(korean949) != std::string::npos, korean);
  EXPECT_EQ(table.find("Update has been failed.") != std::string::npos, !korean);

  ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(kTrayPopupCloseCommand, 0), 0);
  EXPECT_TRUE(vantrel.WaitForExit(kWait));
}

}  // namespace
}  // namespace vantrel
