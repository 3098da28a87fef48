// The disk cleanup window under Wine: its options and their file, check all
// with and without a modern Internet Explorer, the messages before a run,
// the browsers closed first, the worker's progress sequence, a real run over
// a scratch profile, a second run, and the close during a run (asked; after
// Yes no further step, no wait).
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/app_state.h"
#include "core/language_table.h"
#include "core/settings_file.h"
#include "diskclean/hdd_form.h"
#include "support/registry_override.h"
#include "support/scratch.h"
#include "support/scripted_dialogs.h"
#include "trace_test_support.h"
#include "ui/scale.h"

using namespace vantrel;
using test::Exists;
using test::MakeFile;

namespace {

bool PumpUntil(const std::function<bool()>& done, int ms = 15000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ui::PumpPendingMessages();
    ::Sleep(2);
  }
  return true;
}

// Records what reaches the window from the worker.
class RecordingHddForm : public THddForm {
 public:
  using THddForm::THddForm;
  std::vector<int> Progress() {
    std::lock_guard<std::mutex> lock(mutex_);
    return progress_;
  }
  int LastProgress() {
    std::lock_guard<std::mutex> lock(mutex_);
    return progress_.empty() ? -1 : progress_.back();
  }
  std::atomic<int> done{0};

 protected:
  bool OnUserMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override {
    if (msg == WM_HDD_PROGRESS) {
      std::lock_guard<std::mutex> lock(mutex_);
      progress_.push_back(static_cast<int>(wp));
    }
    const bool handled = THddForm::OnUserMessage(msg, wp, lp, result);
    if (msg == WM_HDD_DONE) ++done;
    return handled;
  }

 private:
  std::mutex mutex_;
  std::vector<int> progress_;
};

struct CommandCall {
  int flags;
  size_t progressSeen;  // reports the window had handled when the command ended
  bool operator==(const CommandCall&) const = default;
};

class HddWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    KoreanUi = false;
    SetCurrentLanguageTable(nullptr);
    ASSERT_TRUE(registry.active());
    bases.first = scratch.File(L"Roaming");
    bases.second = scratch.File(L"Local");
    ASSERT_TRUE(test::MakeFolders(bases.first));
    ASSERT_TRUE(test::MakeFolders(bases.second));
    units = std::make_unique<BrowserUnits>(bases);
  }
  void TearDown() override { KoreanUi = false; }

  THddForm::Setup MakeSetup(bool modernIe) {
    THddForm::Setup setup;
    setup.settingsPath = scratch.File(L"Vantrel.ini");
    setup.modernIe = modernIe;
    setup.closeBrowsers = [this] {
      ++browsersClosed;
      workerRunningWhenBrowsersClosed = form && form->RunActive();
    };
    setup.actions.units = units.get();
    setup.actions.clearUrlHistory = [this] {
      ++historyCleared;
      return E_NOTIMPL;  // as Wine's history service answers
    };
    setup.actions.runClearTracks = [this](int flags) {
      if (onCommand) onCommand(flags);
      std::lock_guard<std::mutex> lock(mutex);
      commands.push_back({flags, form ? form->Progress().size() : 0});
      return true;
    };
    return setup;
  }

  RecordingHddForm& Open(bool modernIe) {
    form = std::make_unique<RecordingHddForm>(nullptr, MakeSetup(modernIe));
    EXPECT_TRUE(form->Create());
    return *form;
  }

  void Tick(std::initializer_list<ui::CheckBox*> boxes) {
    form->btnDelChkClick();
    for (ui::CheckBox* box : boxes) box->SetChecked(true);
  }

  std::vector<CommandCall> Commands() {
    std::lock_guard<std::mutex> lock(mutex);
    return commands;
  }

  SettingsFile Settings() const { return SettingsFile(scratch.File(L"Vantrel.ini")); }

  test::ScratchFolder scratch;
  test::ScopedRegistryOverride registry;
  test::ScriptedDialogs dialogs;
  BrowserBaseFolders bases;
  std::unique_ptr<BrowserUnits> units;
  std::unique_ptr<RecordingHddForm> form;
  int browsersClosed = 0;
  bool workerRunningWhenBrowsersClosed = false;
  std::atomic<int> historyCleared{0};
  std::function<void(int)> onCommand;
  std::mutex mutex;
  std::vector<CommandCall> commands;
};

TEST_F(HddWindow, IsADialogWithTheDesignedSizeAndCaptions) {
  RecordingHddForm& f = Open(true);
  RECT client;
  ::GetClientRect(f.hwnd(), &client);
  EXPECT_EQ(client.right, ui::Scale(402));
  EXPECT_EQ(client.bottom, ui::Scale(371));
  EXPECT_FALSE(::GetWindowLongPtrW(f.hwnd(), GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
  EXPECT_EQ(f.Caption(), L"하드 디스크 최적화");
  EXPECT_EQ(f.btnStart->Text(), L"하드 디스크 최적화 시작하기");
  EXPECT_FALSE(f.jvgfnmtr1->Visible());
  EXPECT_EQ(::SendMessageW(f.pb1->hwnd(), PBM_GETRANGE, FALSE, 0), 120);
  EXPECT_LT(f.chkIETempFile->TopPx(), f.chkDoc->TopPx());
  EXPECT_LT(f.chkDoc->TopPx(), f.pb1->TopPx());
  EXPECT_LT(f.jvgfnmtr1->LeftPx(), f.pb1->LeftPx());
  EXPECT_LT(f.pb1->TopPx(), f.btnStart->TopPx());
  EXPECT_LT(f.btnStart->LeftPx(), f.btnClose->LeftPx());
}

TEST_F(HddWindow, OptionsStartAtTheirDefaultsAndAreRememberedAsSaved) {
  {
    RecordingHddForm& f = Open(true);
    EXPECT_TRUE(f.chkIETempFile->Checked() && f.chkCookie->Checked() && f.chkAddrBar->Checked());
    EXPECT_TRUE(f.chkAutoPass->Checked() && f.chkDoc->Checked());
    EXPECT_FALSE(f.chkMyTempFile->Checked());
    f.chkCookie->SetChecked(false);
    f.chkMyTempFile->SetChecked(true);
    f.btnCloseClick();  // no run: nothing asked
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(::IsWindow(f.hwnd()));
  }
  const SettingsFile file = Settings();
  EXPECT_TRUE(file.ReadBool(L"HDD", L"IE_TEMP", false));
  EXPECT_FALSE(file.ReadBool(L"HDD", L"COOKIE", true));
  EXPECT_TRUE(file.ReadBool(L"HDD", L"MY_TEMP", false));
  RecordingHddForm& again = Open(true);
  EXPECT_FALSE(again.chkCookie->Checked());
  EXPECT_TRUE(again.chkMyTempFile->Checked());
  EXPECT_TRUE(again.chkDoc->Checked());
}

TEST_F(HddWindow, WithoutAModernInternetExplorerTheLastThreeStayOffAndAreSavedSo) {
  ASSERT_TRUE(Settings().WriteBool(L"HDD", L"AUTO_PASS", true));
  ASSERT_TRUE(Settings().WriteBool(L"HDD", L"MY_TEMP", true));
  RecordingHddForm& f = Open(false);
  EXPECT_FALSE(f.ModernIE());
  for (ui::CheckBox* box : {f.chkAutoPass, f.chkMyTempFile, f.chkDoc}) {
    EXPECT_FALSE(box->Checked());
    EXPECT_FALSE(box->Enabled());
  }
  f.btnDelChkClick();
  f.btnAllChkClick();
  EXPECT_TRUE(f.chkIETempFile->Checked() && f.chkCookie->Checked() && f.chkAddrBar->Checked());
  EXPECT_FALSE(f.chkAutoPass->Checked() || f.chkMyTempFile->Checked() || f.chkDoc->Checked());

  f.chkAutoPass->SetChecked(true);  // even a box ticked behind its back runs nothing
  dialogs.Answer(IDYES);
  f.btnStartClick();
  ASSERT_TRUE(PumpUntil([&] { return f.done == 1; }));
  EXPECT_TRUE(Commands().empty());
  EXPECT_FALSE(f.chkAutoPass->Enabled());  // the end of the run leaves them disabled
  f.chkAutoPass->SetChecked(false);
  f.btnCloseClick();
  EXPECT_FALSE(Settings().ReadBool(L"HDD", L"AUTO_PASS", true));
  EXPECT_FALSE(Settings().ReadBool(L"HDD", L"MY_TEMP", true));
  EXPECT_FALSE(Settings().ReadBool(L"HDD", L"DOC", true));
}

TEST_F(HddWindow, NothingTickedOrNoToTheQuestionStartsNothing) {
  RecordingHddForm& f = Open(true);
  f.btnDelChkClick();
  f.btnStartClick();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, L"Please select the items you want optimized.");
  EXPECT_EQ(dialogs.messages[0].caption, f.Caption());
  EXPECT_EQ(dialogs.messages[0].type & 0xF, static_cast<UINT>(MB_OK));

  f.chkCookie->SetChecked(true);
  dialogs.Answer(IDNO);
  f.btnStartClick();
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].type & 0xF, static_cast<UINT>(MB_YESNO));
  EXPECT_NE(dialogs.messages[1].text.find(L"Do you want to start optimizing your hard disk?"), std::wstring::npos);
  EXPECT_EQ(browsersClosed, 0);
  EXPECT_FALSE(f.RunActive());

  KoreanUi = true;
  f.btnDelChkClick();
  f.btnStartClick();
  EXPECT_EQ(dialogs.messages.back().text, L"원하시는 최적화 항목을 선택하시기 바랍니다.");
}

TEST_F(HddWindow, ARunReportsEveryStepInOrderAndASecondRunStartsAgainAt10) {
  RecordingHddForm& f = Open(true);
  Tick({f.chkMyTempFile});
  // The command runs after the window has seen 100 and before 120.
  onCommand = [&](int) { PumpUntil([&] { return f.LastProgress() == 100; }, 5000); };
  dialogs.Answer(IDYES);
  f.btnStartClick();
  EXPECT_EQ(browsersClosed, 1);
  EXPECT_FALSE(workerRunningWhenBrowsersClosed);
  EXPECT_TRUE(f.RunActive());
  EXPECT_TRUE(f.jvgfnmtr1->Visible());
  for (ui::Control* c : std::initializer_list<ui::Control*>{f.btnStart, f.btnAllChk, f.btnDelChk, f.chkIETempFile,
                                                            f.chkDoc, f.chkMyTempFile})
    EXPECT_FALSE(c->Enabled());
  EXPECT_TRUE(f.btnClose->Enabled());
  f.btnStartClick();  // ignored while the run goes on
  EXPECT_EQ(dialogs.messages.size(), 1u);

  ASSERT_TRUE(PumpUntil([&] { return f.done == 1; }));
  EXPECT_EQ(f.Progress(), (std::vector<int>{10, 30, 50, 60, 80, 100, 120}));
  EXPECT_EQ(Commands(), (std::vector<CommandCall>{{4351, 6}}));
  EXPECT_EQ(historyCleared, 0);
  EXPECT_FALSE(f.RunActive());
  EXPECT_FALSE(f.jvgfnmtr1->Visible());
  EXPECT_TRUE(f.btnStart->Enabled() && f.chkDoc->Enabled());
  EXPECT_EQ(f.pb1->Position(), 120);

  Tick({f.chkAutoPass, f.chkDoc});
  onCommand = nullptr;
  dialogs.Answer(IDYES);
  f.btnStartClick();
  ASSERT_TRUE(PumpUntil([&] { return f.done == 2; }));
  const std::vector<int> all = f.Progress();
  ASSERT_EQ(all.size(), 14u);
  EXPECT_EQ(all[7], 10);
  const std::vector<CommandCall> calls = Commands();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[1].flags, 32);
  EXPECT_EQ(calls[2].flags, 16);
}

TEST_F(HddWindow, ARunCleansTheTickedTracesAndAFailingHistoryServiceDoesNotStopIt) {
  const std::wstring ieCache = scratch.File(L"IE\\Cache");
  const std::wstring ieHistory = scratch.File(L"IE\\History");
  ASSERT_TRUE(MakeFile(ieCache + L"\\page.htm"));
  ASSERT_TRUE(MakeFile(ieCache + L"\\Content.IE5\\index.dat"));
  ASSERT_TRUE(MakeFile(ieHistory + L"\\History.IE5\\index.dat"));
  {
    platform::RegKey folders =
        registry.Create(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    ASSERT_EQ(folders.WriteString(L"Cache", ieCache), ERROR_SUCCESS);
    ASSERT_EQ(folders.WriteString(L"History", ieHistory), ERROR_SUCCESS);
    platform::RegKey typed = registry.Create(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\TypedURLs");
    ASSERT_EQ(typed.WriteString(L"url1", L"http://x/"), ERROR_SUCCESS);
  }
  const std::wstring profile = bases.first + L"\\Mozilla\\Firefox\\Profiles\\p.default\\";
  for (const wchar_t* f : {L"cookies.sqlite", L"places.sqlite", L"Cache\\entry"}) ASSERT_TRUE(MakeFile(profile + f));

  RecordingHddForm& f = Open(true);
  Tick({f.chkIETempFile, f.chkAddrBar});
  dialogs.Answer(IDYES);
  f.btnStartClick();
  ASSERT_TRUE(PumpUntil([&] { return f.done == 1; }));

  EXPECT_FALSE(Exists(ieCache + L"\\page.htm"));
  EXPECT_FALSE(Exists(ieCache + L"\\Content.IE5\\index.dat"));
  EXPECT_FALSE(Exists(ieHistory + L"\\History.IE5\\index.dat"));
  EXPECT_EQ(historyCleared, 1);
  platform::RegKey typed;
  ASSERT_EQ(typed.Open(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\TypedURLs"), ERROR_SUCCESS);
  EXPECT_FALSE(typed.HasValue(L"url1"));  // the step after the failing one ran
  EXPECT_FALSE(Exists(profile + L"Cache\\entry"));
  EXPECT_FALSE(Exists(profile + L"places.sqlite"));
  EXPECT_TRUE(Exists(profile + L"cookies.sqlite"));  // cookies were not ticked
  EXPECT_TRUE(Commands().empty());
}

// A run held inside its first command until the test lets it go.
class HddWindowHeldRun : public HddWindow {
 protected:
  void StartHeldRun() {
    release.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    onCommand = [this](int) {
      entered = true;
      ::WaitForSingleObject(release.get(), 20000);
    };
    RecordingHddForm& f = Open(true);
    Tick({f.chkAutoPass, f.chkDoc, f.chkMyTempFile});
    dialogs.Answer(IDYES);
    f.btnStartClick();
    ASSERT_TRUE(f.RunActive());
    HANDLE copy = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), f.WorkerThread(), ::GetCurrentProcess(), &copy, SYNCHRONIZE,
                                  FALSE, 0));
    worker.reset(copy);
    ASSERT_TRUE(PumpUntil([&] { return entered.load(); }));
  }
  // Lets the worker go on and waits for its end.
  void Release() {
    ::SetEvent(release.get());
    ASSERT_EQ(::WaitForSingleObject(worker.get(), 20000), WAIT_OBJECT_0);
    ui::PumpPendingMessages();
  }
  platform::UniqueHandle release, worker;
  std::atomic<bool> entered{false};
};

TEST_F(HddWindowHeldRun, CloseAnsweredNoKeepsTheWindowAndTheRun) {
  StartHeldRun();
  RecordingHddForm& f = *form;
  ::SendMessageW(f.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);  // the title bar's close box, Alt+F4
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].text,
            L"현재 하드 디스크 최적화를 진행중입니다.\r\n\r\n진행중이던 하드디스크 최적화를 중지시키고 종료하시겠습니까?");
  EXPECT_EQ(dialogs.messages[1].type & 0xF, static_cast<UINT>(MB_YESNO));
  EXPECT_TRUE(::IsWindow(f.hwnd()));
  EXPECT_TRUE(f.RunActive());
  Release();
  ASSERT_TRUE(PumpUntil([&] { return f.done == 1; }));
  EXPECT_EQ(Commands().size(), 3u);
}

TEST_F(HddWindowHeldRun, CloseAnsweredYesClosesAtOnceSavesAndStartsNoFurtherStep) {
  for (bool closeBox : {true, false}) {
    SCOPED_TRACE(closeBox ? "close box" : "btnClose");
    commands.clear();
    entered = false;
    StartHeldRun();
    RecordingHddForm& f = *form;
    f.chkCookie->SetChecked(false);  // what the window shows is saved
    HWND window = f.hwnd();
    dialogs.Answer(IDYES);
    const auto before = std::chrono::steady_clock::now();
    if (closeBox)
      ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    else
      f.btnCloseClick();
    // Closed while the worker is still held: nobody waited for it.
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(::WaitForSingleObject(worker.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
    EXPECT_FALSE(Settings().ReadBool(L"HDD", L"COOKIE", true));
    EXPECT_TRUE(Settings().ReadBool(L"HDD", L"DOC", false));
    Release();
    const std::vector<CommandCall> calls = Commands();
    ASSERT_EQ(calls.size(), 1u);  // the passwords' command was under way; form data and temp files never ran
    EXPECT_EQ(calls[0].flags, 32);
    EXPECT_EQ(f.done, 0);
    form.reset();
  }
}

TEST(CloseBrowsers, ClosesTheBrowsersWindows) {
  ui::InitializeUi();
  WNDCLASSW wc{};
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"MozillaWindowClass";
  ::RegisterClassW(&wc);
  HWND a = ::CreateWindowW(L"MozillaWindowClass", L"a", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, wc.hInstance,
                           nullptr);
  HWND b = ::CreateWindowW(L"MozillaWindowClass", L"b", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, wc.hInstance,
                           nullptr);
  ASSERT_TRUE(a && b);
  CloseBrowsers();
  EXPECT_FALSE(::IsWindow(a));
  EXPECT_FALSE(::IsWindow(b));
}

}  // namespace
