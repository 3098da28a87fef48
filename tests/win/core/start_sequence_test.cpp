#include "app/start_sequence.h"

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/language_table.h"
#include "support/scratch.h"
#include "support/scripted_dialogs.h"

namespace vantrel {
namespace {

using test::ScratchFolder;
using test::ScriptedDialogs;

const std::wstring kDefaultUpdateFail = L"업데이트를 실패하였습니다.\r\n\r\n잠시 후 다시 시도하시기 바랍니다.";

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Puts the process-wide texts back after a test.
class StartStateReset : public ::testing::Test {
 protected:
  void TearDown() override {
    SetCurrentLanguageTable(nullptr);
    UpdateFailText() = kDefaultUpdateFail;
    KoreanUi = false;
  }
};

using LanguageTablePreparation = StartStateReset;

TEST_F(LanguageTablePreparation, WritesTheChosenTableHiddenAndReadsTheUpdateText) {
  for (bool korean : {false, true}) {
    SCOPED_TRACE(korean ? "Korean" : "English");
    ScriptedDialogs dialogs;
    ScratchFolder data;
    UpdateFailText() = kDefaultUpdateFail;
    const std::wstring path = PrepareLanguageTable(data.path(), korean);
    EXPECT_EQ(path, data.File(L"Vantrel.dat"));
    ASSERT_NE(CurrentLanguageTable(), nullptr);
    EXPECT_EQ(CurrentLanguageTable()->Section(L"Vantrel").Text(L"Msg_NoExe", L""), korean ? L"ko" : L"en");
    EXPECT_EQ(UpdateFailText(), korean ? L"Korean\r\nfail" : L"English\r\nfail");
    EXPECT_TRUE(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(dialogs.messages.empty());

    ReleaseLanguageTable(path);
    EXPECT_EQ(CurrentLanguageTable(), nullptr);
    EXPECT_FALSE(Exists(path));
  }
}

TEST_F(LanguageTablePreparation, ReplacesALeftOverFileEvenWhenHiddenAndReadOnly) {
  ScriptedDialogs dialogs;
  ScratchFolder data;
  const std::wstring path = data.File(L"Vantrel.dat");
  {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const char old[] = "[Vantrel]\r\nMsg_NoExe=left over\r\n";
    DWORD n = 0;
    ::WriteFile(h, old, sizeof old - 1, &n, nullptr);
    ::CloseHandle(h);
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  }
  EXPECT_EQ(PrepareLanguageTable(data.path(), false), path);
  ASSERT_NE(CurrentLanguageTable(), nullptr);
  EXPECT_EQ(CurrentLanguageTable()->Section(L"Vantrel").Text(L"Msg_NoExe", L""), L"en");
  EXPECT_TRUE(dialogs.messages.empty());
  ReleaseLanguageTable(path);
}

TEST_F(LanguageTablePreparation, WithoutADataFolderNothingIsWrittenAndDefaultsStay) {
  ScriptedDialogs dialogs;
  wchar_t current[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, current);
  const std::wstring atRoot = std::wstring(current).substr(0, 2) + L"\\Vantrel.dat";
  ASSERT_FALSE(Exists(atRoot));
  EXPECT_EQ(PrepareLanguageTable(L"", false), L"");
  EXPECT_FALSE(Exists(atRoot));
  EXPECT_EQ(CurrentLanguageTable(), nullptr);
  EXPECT_EQ(UpdateFailText(), kDefaultUpdateFail);
  EXPECT_TRUE(dialogs.messages.empty());
  ReleaseLanguageTable(L"");  // nothing to release
}

TEST_F(LanguageTablePreparation, AFolderThatCannotTakeTheFileLeavesNoTable) {
  ScriptedDialogs dialogs;
  ScratchFolder data;
  EXPECT_EQ(PrepareLanguageTable(data.File(L"missing"), false), L"");
  EXPECT_EQ(CurrentLanguageTable(), nullptr);
  EXPECT_EQ(UpdateFailText(), kDefaultUpdateFail);
  ASSERT_EQ(dialogs.messages.size(), 1u);  // the extraction's own report
  EXPECT_EQ(dialogs.messages[0].text.rfind(L"File create fail : ", 0), 0u);
}

TEST(BuiltInTexts, StartKoreanWithTheEscapesLeftInPlace) {
  const BuiltInTexts& t = BuiltIns();
  const std::wstring lead = L"Vantrel ON/OFF를 실행하시면#13#10#13#10현재 실행중인 모든 익스플로러가 종료되고,";
  EXPECT_EQ(t.killProc1, lead + L"#13#10시작 프로그램 초기화 및 익스플로러 초기화도 같이 처리됩니다."
                                L"#13#10#13#10Vantrel ON/OFF를 처리하시겠습니까?");
  EXPECT_EQ(t.killProc2.rfind(lead, 0), 0u);
  EXPECT_EQ(t.killProc3.rfind(lead, 0), 0u);
  EXPECT_EQ(t.update2, L"업데이트를 실패하였습니다.\r\n잠시 후 다시 시도해 주시기 바랍니다.");
  EXPECT_EQ(UpdateFailText(), kDefaultUpdateFail);
}

// --- Single instance -----------------------------------------------------------

TEST(SingleInstance, TheSecondClaimInTheSameSessionFails) {
  // Another test program or a left-over Vantrel may hold it: then both fail.
  const bool first = ClaimSingleInstance();
  EXPECT_FALSE(ClaimSingleInstance());
  (void)first;
}

class RunningMainWindow {
 public:
  RunningMainWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kMainWindowClass;
    ::RegisterClassW(&wc);
    window_ = ::CreateWindowExW(0, kMainWindowClass, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                wc.hInstance, nullptr);
    restores = 0;
  }
  ~RunningMainWindow() {
    ::DestroyWindow(window_);
    ::UnregisterClassW(kMainWindowClass, ::GetModuleHandleW(nullptr));
  }
  HWND window() const { return window_; }
  static inline int restores = 0;

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == kRestoreMessage && wp == 0 && lp == 0) ++restores;
    return ::DefWindowProcW(w, m, wp, lp);
  }
  HWND window_ = nullptr;
};

using HandOver = StartStateReset;

TEST_F(HandOver, SendsTheRestoreRequestToTheRunningWindow) {
  ScriptedDialogs dialogs;
  RunningMainWindow running;
  ASSERT_NE(running.window(), nullptr);
  HandOverToRunningInstance();
  EXPECT_EQ(RunningMainWindow::restores, 1);  // handled before the call returned
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(HandOver, WithoutAWindowTellsTheUserInTheInterfaceLanguage) {
  ASSERT_EQ(::FindWindowW(kMainWindowClass, nullptr), nullptr) << "a main window of another program is open";
  for (bool korean : {false, true}) {
    ScriptedDialogs dialogs;
    KoreanUi = korean;
    HandOverToRunningInstance();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              korean ? L"프로그램을 정상적으로 실행할 수 없습니다." : L"Program could not start properly.");
    EXPECT_EQ(dialogs.messages[0].caption, L"Vantrel");
    EXPECT_EQ(dialogs.messages[0].type & 0xF, static_cast<UINT>(MB_OK));
  }
}

}  // namespace
}  // namespace vantrel
