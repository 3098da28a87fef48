// The tweak toggle in-process under Wine: the question, Internet Explorer
// closed, the real tweak run (on a test interface key) behind the progress
// window, the caption flip, the resets, the status view and the pop-up page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addons/addon_auto_reset.h"
#include "startup/startup_auto_reset.h"
#include "support/child_role.h"
#include "support/process_driver.h"
#include "support/scripted_dialogs.h"
#include "toggle_support.h"
#include "tweak/tweak_toggle.h"
#include "tweak/network.h"
#include "tweak_fixture.h"
#include "core/app_state.h"

using namespace vantrel;
using test::ChildProcess;
using test::InterfaceKeys;
using test::MsmqBackup;

namespace {

const std::wstring kIp = L"192.0.2.10";
const std::wstring kPopup = L"http://popup.example/op.html";
using Rows = std::vector<std::vector<std::wstring>>;

ChildProcess StartFrame(const wchar_t* role) {
  return ChildProcess::Start(test::OwnExePath(), std::wstring(test::kChildRoleSwitch) + role);
}

// The status cells of the rows that carry one (2, 3, 4, 7 and 12).
std::vector<std::wstring> StatusCells(const Rows& rows) {
  std::vector<std::wstring> cells;
  for (int row : {1, 2, 3, 6, 11})
    if (row < static_cast<int>(rows.size())) cells.push_back(rows[row][1]);
  return cells;
}

class TweakToggle : public ::testing::Test {
 protected:
  void SetUp() override {
    adapter = keys.Add();
    InterfaceKeys::SetText(adapter, L"DhcpIPAddress", kIp);
    other = keys.Add();
    InterfaceKeys::SetText(other, L"DhcpIPAddress", L"192.0.2.99");
    MsmqBackup::Delete();
    test::SetTestNetwork({adapter, other}, kIp);
    steps.startWorker = test::StartTestWorker;
    PopupUrl = kPopup;
  }
  void TearDown() override { PopupUrl.clear(); }

  MsmqBackup msmq;
  InterfaceKeys keys;
  std::wstring adapter, other;
  test::ScriptedDialogs dialogs;
  test::ToggleHostForm host;
  ToggleSteps steps;
};

TEST_F(TweakToggle, FirstToggleAppliesTheTweakAndTheSecondRemovesIt) {
  ASSERT_TRUE(host.hwnd());
  test::ModalWatcher watcher;
  dialogs.Answer(IDYES);
  RunTweakToggle(host, steps);

  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, L"question 4");
  EXPECT_EQ(dialogs.messages[0].caption, L"Vantrel");
  EXPECT_EQ(dialogs.messages[0].owner, host.hwnd());
  EXPECT_EQ(dialogs.messages[0].type & 0xF, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(MsmqBackup::Value(), 1);
  EXPECT_TRUE(InterfaceKeys::HoldsTweak(adapter));
  EXPECT_TRUE(InterfaceKeys::TweakValues(other).empty());
  EXPECT_EQ(host.ToggleCaption(), L"Vantrel ON");
  EXPECT_TRUE(host.bold);
  EXPECT_EQ(watcher.progressShown, 1);
  ASSERT_EQ(watcher.statusViews.size(), 1u);
  EXPECT_EQ(watcher.statusOwners[0], host.hwnd());
  EXPECT_EQ(StatusCells(watcher.statusViews[0]), std::vector<std::wstring>(5, L"ON"));
  EXPECT_EQ(dialogs.opened, std::vector<std::wstring>{kPopup});
  EXPECT_TRUE(::IsWindowEnabled(host.hwnd())) << "the owner is enabled again after the modal windows";

  dialogs.Answer(IDYES);
  RunTweakToggle(host, steps);
  EXPECT_EQ(MsmqBackup::Value(), -1);
  EXPECT_TRUE(InterfaceKeys::TweakValues(adapter).empty());
  EXPECT_EQ(host.ToggleCaption(), L"Vantrel Off");
  EXPECT_FALSE(host.bold);
  ASSERT_EQ(watcher.statusViews.size(), 2u);
  EXPECT_EQ(StatusCells(watcher.statusViews[1]), std::vector<std::wstring>(5, L"OFF"));
  EXPECT_EQ(dialogs.opened.size(), 2u);
}

TEST_F(TweakToggle, AnyCaptionButOffRemovesTheTweak) {
  test::ModalWatcher watcher;
  dialogs.Answer(IDYES);
  RunTweakToggle(host, steps);  // on
  host.SetToggleCaption(L"vantrel off", false);  // not the exact text
  dialogs.Answer(IDYES);
  RunTweakToggle(host, steps);
  EXPECT_EQ(MsmqBackup::Value(), -1);
  EXPECT_TRUE(InterfaceKeys::TweakValues(adapter).empty());
  EXPECT_EQ(host.ToggleCaption(), L"Vantrel Off");
}

TEST_F(TweakToggle, NoChangesNothingAndLeavesInternetExplorerOpen) {
  ChildProcess browser = StartFrame(L"ie-frame");
  ASSERT_TRUE(test::WaitForTopLevelWindow(L"IEFrame", browser.id(), 20000));
  test::ModalWatcher watcher;
  dialogs.Answer(IDNO);
  RunTweakToggle(host, steps);

  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(host.ToggleCaption(), L"Vantrel Off");
  EXPECT_EQ(MsmqBackup::Value(), -1);
  EXPECT_TRUE(InterfaceKeys::TweakValues(adapter).empty());
  EXPECT_EQ(watcher.progressShown, 0);
  EXPECT_TRUE(watcher.statusViews.empty());
  EXPECT_TRUE(dialogs.opened.empty());
  EXPECT_TRUE(browser.Running());
  EXPECT_FALSE(test::TopLevelWindows(L"IEFrame", browser.id()).empty());
}

TEST_F(TweakToggle, InternetExplorerIsClosedOrEndedBeforeTheRun) {
  ChildProcess closing = StartFrame(L"ie-frame");
  ChildProcess hung = StartFrame(L"hung-ie-frame");
  ASSERT_TRUE(test::WaitForTopLevelWindow(L"IEFrame", closing.id(), 20000));
  ASSERT_TRUE(test::WaitForTopLevelWindow(L"IEFrame", hung.id(), 20000));

  bool framesGoneAtProgress = false;
  test::ModalWatcher watcher;
  watcher.onProgressShown = [&] { framesGoneAtProgress = test::TopLevelWindows(L"IEFrame", 0).empty(); };
  dialogs.Answer(IDYES);
  RunTweakToggle(host, steps);

  EXPECT_TRUE(framesGoneAtProgress);
  DWORD code = 0;
  ASSERT_TRUE(closing.WaitForExit(10000, &code));
  EXPECT_EQ(code, 7u) << "a frame that closes when asked is not ended from outside";
  ASSERT_TRUE(hung.WaitForExit(10000, &code));
  EXPECT_EQ(code, 0u) << "the hung frame's process is ended";
  EXPECT_EQ(host.ToggleCaption(), L"Vantrel ON");
}

TEST(CloseInternetExplorer, WindowsOfThisProcessAreAskedButNeverEndIt) {
  // A frame of this process that refuses to close: tried once, and this
  // process goes on.
  struct Stubborn {  // a window procedure is stdcall on 32-bit Windows
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
      return m == WM_CLOSE ? 0 : ::DefWindowProcW(w, m, wp, lp);
    }
  };
  WNDCLASSW wc{};
  wc.lpfnWndProc = &Stubborn::Proc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"IEFrame";
  ::RegisterClassW(&wc);
  HWND frame = ::CreateWindowExW(0, L"IEFrame", L"stubborn", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                 wc.hInstance, nullptr);
  ASSERT_TRUE(frame);
  EXPECT_EQ(CloseInternetExplorer(), 1);
  EXPECT_TRUE(::IsWindow(frame));
  ::DestroyWindow(frame);
  ::UnregisterClassW(L"IEFrame", wc.hInstance);
  EXPECT_EQ(CloseInternetExplorer(), 0);
}

TEST_F(TweakToggle, TheQuestionFollowsTheResetOptions) {
  struct Case {
    bool startup, ie;
    const wchar_t* question;
  };
  for (const Case& c : {Case{true, true, L"question 1"}, Case{true, false, L"question 2"},
                        Case{false, true, L"question 3"}, Case{false, false, L"question 4"}}) {
    host.resetStartup = c.startup;
    host.resetIe = c.ie;
    dialogs.messages.clear();
    dialogs.Answer(IDNO);
    RunTweakToggle(host, steps);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, c.question) << "start-up " << c.startup << ", add-ons " << c.ie;
  }
  EXPECT_EQ(host.ToggleCaption(), L"Vantrel Off");
}

// What the reset hooks saw, in order.
std::vector<std::wstring> g_resets;
test::ModalWatcher* g_resetWatcher = nullptr;
test::ToggleHostForm* g_resetHost = nullptr;
void NoteReset(const wchar_t* name, bool flag) {
  g_resets.push_back(std::wstring(name) + (flag ? L" flag set" : L" flag clear") + L", caption " +
                     g_resetHost->ToggleCaption() + L", status views " +
                     std::to_wstring(g_resetWatcher->statusViews.size()));
}
void RecordAddonReset(HWND owner) {
  EXPECT_EQ(owner, g_resetHost->hwnd());
  NoteReset(L"add-ons", AddonAutoReset);
  AddonAutoReset = false;
}
void RecordStartupReset(HWND owner) {
  EXPECT_EQ(owner, g_resetHost->hwnd());
  NoteReset(L"start-up", StartupAutoReset);
  StartupAutoReset = false;
}

TEST_F(TweakToggle, BothResetsRunAfterTheFlipAddOnsFirstAndBeforeTheStatusView) {
  test::ModalWatcher watcher;
  g_resets.clear();
  g_resetWatcher = &watcher;
  g_resetHost = &host;
  steps.addonReset = RecordAddonReset;
  steps.startupReset = RecordStartupReset;
  host.resetStartup = host.resetIe = true;
  dialogs.Answer(IDYES);
  RunTweakToggle(host, steps);
  EXPECT_EQ(g_resets, (std::vector<std::wstring>{L"add-ons flag set, caption Vantrel ON, status views 0",
                                                 L"start-up flag set, caption Vantrel ON, status views 0"}));
  EXPECT_EQ(watcher.statusViews.size(), 1u);

  // Only the chosen one runs; the real hooks leave their flags cleared.
  g_resets.clear();
  host.resetStartup = false;
  dialogs.Answer(IDYES);
  RunTweakToggle(host, steps);
  EXPECT_EQ(g_resets, (std::vector<std::wstring>{L"add-ons flag set, caption Vantrel Off, status views 1"}));
  steps.addonReset = nullptr;
  steps.startupReset = nullptr;
  host.resetStartup = true;
  dialogs.Answer(IDYES);
  RunTweakToggle(host, steps);
  EXPECT_FALSE(AddonAutoReset);
  EXPECT_FALSE(StartupAutoReset);
}

TEST_F(TweakToggle, AWorkerThatCannotStartIsReportedAndTheRestGoesOn) {
  test::ModalWatcher watcher;
  steps.startWorker = [](HWND) -> HANDLE { return nullptr; };
  PopupUrl.clear();
  dialogs.Answer(IDYES);
  RunTweakToggle(host, steps);

  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].text, L"프로세스 초기화를 수행할 수 없습니다.");
  EXPECT_EQ(dialogs.messages[1].caption, L"프로세스 초기화");
  EXPECT_EQ(dialogs.messages[1].type, static_cast<UINT>(MB_OK));
  EXPECT_NE(dialogs.messages[1].owner, host.hwnd()) << "owned by the progress window";
  EXPECT_TRUE(dialogs.messages[1].owner != nullptr);
  EXPECT_EQ(MsmqBackup::Value(), -1);
  EXPECT_EQ(host.ToggleCaption(), L"Vantrel ON") << "the caption flips although nothing changed";
  EXPECT_EQ(watcher.statusViews.size(), 1u);
  EXPECT_TRUE(dialogs.opened.empty()) << "no pop-up page announced: nothing is opened";
}

}  // namespace
