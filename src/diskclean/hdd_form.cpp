#include "diskclean/hdd_form.h"

#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cwctype>
#include <mutex>
#include <utility>

#include "core/app_state.h"
#include "core/helpers.h"
#include "core/settings_file.h"
#include "diskclean/ie_cleaners.h"
#include "diskclean/trace_rules.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/shell_folders.h"
#include "ui/captions.h"
#include "ui/scale.h"

namespace vantrel {
namespace {

constexpr const wchar_t* kComponent = L"HddForm";
constexpr const wchar_t* kCaption = L"하드 디스크 최적화";
constexpr const wchar_t* kIsClose1 =
    L"현재 하드 디스크 최적화를 진행중입니다.#13#10#13#10진행중이던 하드디스크 최적화를 중지시키고 종료하시겠습니까?";

struct Message {
  const wchar_t* korean;
  const wchar_t* english;
  const wchar_t* Text() const { return KoreanUi ? korean : english; }
};
constexpr Message kNothingTicked{L"원하시는 최적화 항목을 선택하시기 바랍니다.",
                                 L"Please select the items you want optimized."};
constexpr Message kConfirmStart{
    L"하드디스크 최적화를 시작하려면 실행중인 모든 브라우져가 종료됩니다.\r\n\r\n하드디스크 최적화를 시작하시겠습니까?",
    L"Optimize your hard disk to start the browser shuts down all running.\r\n\r\n Do you want to start optimizing "
    L"your hard disk?"};
constexpr Message kCannotStart{L"하드 디스크 최적화를 수행할 수 없습니다.",
                               L"Optimize your hard disk can not be performed.."};

constexpr int kProgressMax = 120;

// One run at a time in the process: a worker left behind by a closed window
// finishes its step before the next run's worker touches the browser units.
// Never destroyed, like the browser units: such a worker may outlive main().
std::mutex& RunLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}

void Report(HddRun& run, int position) {
  if (!run.stopped) ::PostMessageW(run.window, WM_HDD_PROGRESS, static_cast<WPARAM>(position), 0);
}

// Runs one cleaning step unless the window has closed meanwhile.
template <class Step>
void Do(HddRun& run, Step step) {
  if (!run.stopped) step();
}

void CleanShellFolder(HddRun& run, const wchar_t* value, const wchar_t* suffix) {
  Do(run, [&] {
    const std::wstring folder = ReadShellFolder(value);
    if (!folder.empty()) EmptyFolderFiles(folder, suffix);
  });
}

void RunTracks(HddRun& run, int flags) {
  Do(run, [&] {
    if (run.actions.runClearTracks)
      run.actions.runClearTracks(flags);
    else
      RunClearTracksCommand(flags, 5000);
  });
}

void RunSteps(HddRun& run) {
  BrowserUnits& units = run.actions.units ? *run.actions.units : ProgramBrowserUnits();
  Report(run, 10);
  if (run.ieTemp) {
    CleanShellFolder(run, L"Cache", L"\\Content.IE5\\index.dat");
    Do(run, [] { DeleteUrlCacheEntries(nullptr); });
    Do(run, [&] { ClearBrowserTempFiles(units); });
  }
  Report(run, 30);
  if (run.cookie) {
    CleanShellFolder(run, L"Cookies", L"\\Cookies\\index.dat");
    Do(run, [] { DeleteUrlCacheEntries(L"cookie:"); });
    Do(run, [&] { ClearBrowserCookies(units); });
  }
  Report(run, 50);
  if (run.addrBar) {
    CleanShellFolder(run, L"History", L"\\History.IE5\\index.dat");
    // A history service that is missing or refuses (E_NOTIMPL) does not stop the run.
    Do(run, [&] { run.actions.clearUrlHistory ? run.actions.clearUrlHistory() : ClearUrlHistory(); });
    Do(run, [] { ClearTypedUrls(); });
    Do(run, [&] { ClearBrowserHistory(units); });
  }
  Report(run, 60);
  if (run.modernIe && run.autoPass) RunTracks(run, kClearPasswords);
  Report(run, 80);
  if (run.modernIe && run.doc) RunTracks(run, kClearFormData);
  Report(run, 100);
  if (run.modernIe && run.myTemp) RunTracks(run, kClearTempFiles);
  Report(run, kProgressMax);
}

}  // namespace

DWORD WINAPI HddCleanWorker(LPVOID parameter) {
  std::unique_ptr<std::shared_ptr<HddRun>> owned(static_cast<std::shared_ptr<HddRun>*>(parameter));
  if (!owned || !*owned) return 1;
  HddRun& run = **owned;
  {
    std::lock_guard<std::mutex> lock(RunLock());
    const HRESULT com = ::CoInitialize(nullptr);
    try {
      RunSteps(run);
    } catch (...) {
      // The run ends here; the window still hears of its end.
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
  }
  if (!run.stopped) ::PostMessageW(run.window, WM_HDD_DONE, 0, 0);
  return 0;
}

bool DetectModernIe() {
  const std::wstring programFiles = platform::ShellFolderPath(CSIDL_PROGRAM_FILES);
  if (programFiles.empty()) return false;
  std::wstring path = programFiles;
  if (path.back() == L'\\') path.pop_back();
  path += L"\\Internet Explorer\\iexplore.exe";
  if (!platform::FileExists(path)) return false;
  return IsModernIeVersion(GetFileVersionText(path, L"FileVersion"));
}

void CloseBrowsers() {
  static const wchar_t* const kClasses[] = {L"IEFrame", L"Chrome_WidgetWin_0", L"MozillaWindowClass",
                                            L"{1C03B488-D53B-4a81-97F8-754559640193}"};
  for (const wchar_t* windowClass : kClasses) {
    for (int i = 0; i < 1000; ++i) {
      HWND window = ::FindWindowW(windowClass, nullptr);
      if (!window) break;
      CloseWindowOrKill(window);
    }
  }
  platform::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
    std::wstring name = entry.szExeFile;
    for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(c));
    if (name != L"chrome.exe" && name != L"firefox.exe" && name != L"safari.exe") continue;
    platform::UniqueHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
    if (process) ::TerminateProcess(process.get(), 0);
  }
}

// ---- the window

THddForm::THddForm(HWND owner, Setup setup) : owner_(owner), setup_(std::move(setup)) {
  if (setup_.settingsPath.empty()) setup_.settingsPath = SettingsFilePath();
}

THddForm::~THddForm() {
  // A loop ended without a close (the program quits): the same as a close.
  if (hwnd() && !closed_) FormClose();
  tmrAnimation_.reset();
}

bool THddForm::Create() {
  ui::InitializeUi();
  ui::FormSpec layout;
  layout.className = kClassName;
  layout.caption = kCaption;
  layout.clientWidth = 402;
  layout.clientHeight = 371;
  layout.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME;
  layout.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  layout.owner = owner_;
  if (!Form::Create(layout)) return false;

  lbl1 = &Add<ui::Label>(L"인터넷 익스플로러의 사용흔적과 불필요한 파일은 컴퓨터의 성능을", ui::Rect{16, 14, 372, 14});
  // A second line for a text that does not fit in one.
  lbl2 = &Add<ui::Label>(L"저하시키므로 3일에 한번씩 삭제 해주시면 컴퓨터가 최적화됩니다.", ui::Rect{16, 31, 372, 28});
  btnAllChk = &Add<ui::Button>(L"전체 선택", ui::Rect{16, 68, 100, 25});
  btnDelChk = &Add<ui::Button>(L"선택 해제", ui::Rect{122, 68, 100, 25});
  lbl3 = &Add<ui::Label>(L"인터넷 익스플로러 / 크롬 / 파이어폭스 / 사파리", ui::Rect{16, 108, 372, 14});
  lbl3->SetFont(ui::DefaultBoldFont());
  chkIETempFile = &Add<ui::CheckBox>(L"인터넷 임시 파일", ui::Rect{32, 128, 356, 18});
  chkCookie = &Add<ui::CheckBox>(L"쿠키 : 인터넷 사용자 설정을 저장한 기록", ui::Rect{32, 149, 356, 18});
  chkAddrBar = &Add<ui::CheckBox>(L"기록 : 방문한 웹사이트 목록", ui::Rect{32, 170, 356, 18});
  chkAutoPass = &Add<ui::CheckBox>(L"암호 : 웹사이트 로그온 자동 입력 암호", ui::Rect{32, 191, 356, 18});
  lbl4 = &Add<ui::Label>(L"내 컴퓨터", ui::Rect{16, 224, 372, 14});
  lbl4->SetFont(ui::DefaultBoldFont());
  chkMyTempFile = &Add<ui::CheckBox>(L"내컴퓨터 임시 파일", ui::Rect{32, 244, 356, 18});
  chkDoc = &Add<ui::CheckBox>(L"양식 데이터 : 문서 양식을 입력한 내용의 기록", ui::Rect{32, 265, 356, 18});
  jvgfnmtr1 = &Add<HddAnimation>(ui::Rect{16, 303, 16, 16});
  pb1 = &Add<ui::ProgressBar>(ui::Rect{38, 302, 350, 18});
  if (pb1->hwnd())
    ::SetWindowLongPtrW(pb1->hwnd(), GWL_STYLE, ::GetWindowLongPtrW(pb1->hwnd(), GWL_STYLE) | PBS_SMOOTH);
  pb1->SetRange(0, kProgressMax);
  btnStart = &Add<ui::Button>(L"하드 디스크 최적화 시작하기", ui::Rect{16, 334, 220, 27});
  btnClose = &Add<ui::Button>(L"닫기", ui::Rect{298, 334, 90, 27});

  btnAllChk->onClick = [this] { btnAllChkClick(); };
  btnDelChk->onClick = [this] { btnDelChkClick(); };
  btnStart->onClick = [this] { btnStartClick(); };
  btnClose->onClick = [this] { btnCloseClick(); };
  tmrAnimation_ = std::make_unique<ui::Timer>(*this, HddAnimation::kFrameIntervalMs);
  tmrAnimation_->onTimer = [this] { tmrAnimationTimer(); };

  FormCreate();
  return true;
}

void THddForm::FormCreate() {
  const ui::CaptionReader captions(kComponent);
  captions.Window(*this);
  for (auto [control, key] : std::initializer_list<std::pair<ui::Control*, const wchar_t*>>{
           {lbl1, L"lbl1"},
           {lbl2, L"lbl2"},
           {lbl3, L"lbl3"},
           {lbl4, L"lbl4"},
           {btnAllChk, L"btnAllChk"},
           {btnDelChk, L"btnDelChk"},
           {btnStart, L"btnStart"},
           {btnClose, L"btnClose"},
           {chkIETempFile, L"chkIETempFile"},
           {chkCookie, L"chkCookie"},
           {chkAddrBar, L"chkAddrBar"},
           {chkAutoPass, L"chkAutoPass"},
           {chkMyTempFile, L"chkMyTempFile"},
           {chkDoc, L"chkDoc"}})
    captions.Caption(*control, key);
  msgIsClose1_ = captions.Message(L"Msg_IsClose1", kIsClose1);

  const POINT at = CenterOnScreen(WindowWidthPx(), WindowHeightPx());
  MoveTo(at.x, at.y);

  worker_.reset();
  jvgfnmtr1->SetVisible(false);
  modernIe_ = setup_.modernIe ? *setup_.modernIe : DetectModernIe();
  if (!modernIe_) {
    chkAutoPass->SetEnabled(false);
    chkMyTempFile->SetEnabled(false);
    chkDoc->SetEnabled(false);
  }
  LoadHddOptions();
}

void THddForm::LoadHddOptions() {
  const SettingsFile file(setup_.settingsPath, hwnd());
  const bool exists = file.Exists();
  auto read = [&](const wchar_t* key, bool fallback) {
    return exists ? file.ReadBool(settings::kHdd, key, fallback) : fallback;
  };
  chkIETempFile->SetChecked(read(settings::kIeTemp, true));
  chkCookie->SetChecked(read(settings::kCookie, true));
  chkAddrBar->SetChecked(read(settings::kAddrBar, true));
  chkAutoPass->SetChecked(modernIe_ && read(settings::kAutoPass, true));
  chkMyTempFile->SetChecked(modernIe_ && read(settings::kMyTemp, false));
  chkDoc->SetChecked(modernIe_ && read(settings::kDoc, true));
}

void THddForm::SaveHddOptions() {
  const SettingsFile file(setup_.settingsPath, hwnd());
  // A refused write has told the user; the keys after it are not tried.
  file.WriteBool(settings::kHdd, settings::kIeTemp, chkIETempFile->Checked()) &&
      file.WriteBool(settings::kHdd, settings::kCookie, chkCookie->Checked()) &&
      file.WriteBool(settings::kHdd, settings::kAddrBar, chkAddrBar->Checked()) &&
      file.WriteBool(settings::kHdd, settings::kAutoPass, chkAutoPass->Checked()) &&
      file.WriteBool(settings::kHdd, settings::kMyTemp, chkMyTempFile->Checked()) &&
      file.WriteBool(settings::kHdd, settings::kDoc, chkDoc->Checked());
}

void THddForm::btnAllChkClick() {
  chkIETempFile->SetChecked(true);
  chkCookie->SetChecked(true);
  chkAddrBar->SetChecked(true);
  if (modernIe_) {
    chkAutoPass->SetChecked(true);
    chkMyTempFile->SetChecked(true);
    chkDoc->SetChecked(true);
  }
}

void THddForm::btnDelChkClick() {
  chkIETempFile->SetChecked(false);
  chkCookie->SetChecked(false);
  chkAddrBar->SetChecked(false);
  if (modernIe_) {
    chkAutoPass->SetChecked(false);
    chkMyTempFile->SetChecked(false);
    chkDoc->SetChecked(false);
  }
}

void THddForm::SetControlsEnabled(bool on) {
  for (ui::Control* c : {static_cast<ui::Control*>(btnAllChk), static_cast<ui::Control*>(btnDelChk),
                         static_cast<ui::Control*>(btnStart), static_cast<ui::Control*>(chkIETempFile),
                         static_cast<ui::Control*>(chkCookie), static_cast<ui::Control*>(chkAddrBar)})
    c->SetEnabled(on);
  if (modernIe_) {
    chkAutoPass->SetEnabled(on);
    chkMyTempFile->SetEnabled(on);
    chkDoc->SetEnabled(on);
  }
}

void THddForm::btnStartClick() {
  if (RunActive()) return;
  const bool anything = chkIETempFile->Checked() || chkCookie->Checked() || chkAddrBar->Checked() ||
                        chkAutoPass->Checked() || chkMyTempFile->Checked() || chkDoc->Checked();
  if (!anything) {
    platform::ShowMessage(hwnd(), kNothingTicked.Text(), Caption());
    return;
  }
  if (!Ask(kConfirmStart.Text())) return;
  if (setup_.closeBrowsers)
    setup_.closeBrowsers();
  else
    CloseBrowsers();

  auto run = std::make_shared<HddRun>();
  run->window = hwnd();
  run->ieTemp = chkIETempFile->Checked();
  run->cookie = chkCookie->Checked();
  run->addrBar = chkAddrBar->Checked();
  run->autoPass = chkAutoPass->Checked();
  run->myTemp = chkMyTempFile->Checked();
  run->doc = chkDoc->Checked();
  run->modernIe = modernIe_;
  run->actions = setup_.actions;
  auto* parameter = new std::shared_ptr<HddRun>(run);
  HANDLE thread = ::CreateThread(nullptr, 0, HddCleanWorker, parameter, 0, nullptr);
  if (!thread) {
    delete parameter;
    platform::ShowMessage(hwnd(), kCannotStart.Text(), Caption());
    return;
  }
  worker_.reset(thread);
  run_ = std::move(run);
  jvgfnmtr1->SetVisible(true);
  tmrAnimation_->Start();
  SetControlsEnabled(false);
}

bool THddForm::ConfirmStopCleanup() {
  if (!RunActive()) return true;
  return Ask(msgIsClose1_);
}

void THddForm::btnCloseClick() {
  if (!ConfirmStopCleanup()) return;
  closeAgreed_ = true;
  Close();
}

bool THddForm::OnSysCommand(WPARAM command) {
  if ((command & 0xFFF0) != SC_CLOSE) return false;
  if (!ConfirmStopCleanup()) return true;  // dropped
  closeAgreed_ = true;
  return false;  // on to WM_CLOSE
}

bool THddForm::OnCloseQuery() {
  // Any other close (Esc, a close sent by another program) asks the same.
  if (!closeAgreed_ && !ConfirmStopCleanup()) return false;
  closeAgreed_ = false;
  FormClose();
  return true;
}

void THddForm::FormClose() {
  closed_ = true;
  SaveHddOptions();
  if (run_) {
    // The worker finishes the step under way on its own; it starts no
    // other and reports nothing more. Nobody waits for it.
    run_->stopped = true;
    run_.reset();
  }
  worker_.reset();
  tmrAnimation_->Stop();
  jvgfnmtr1->SetVisible(false);
}

void THddForm::RunEnded() {
  worker_.reset();
  run_.reset();
  tmrAnimation_->Stop();
  jvgfnmtr1->SetVisible(false);
  SetControlsEnabled(true);
}

void THddForm::tmrAnimationTimer() {
  jvgfnmtr1->NextFrame();
  // A worker that ended without its report (it cannot, but the window must
  // not stay disabled if it did).
  if (worker_ && ::WaitForSingleObject(worker_.get(), 0) == WAIT_OBJECT_0) {
    MSG pending;
    if (!::PeekMessageW(&pending, hwnd(), WM_HDD_DONE, WM_HDD_DONE, PM_NOREMOVE)) RunEnded();
  }
}

bool THddForm::OnUserMessage(UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
  if (msg == WM_HDD_PROGRESS) {
    pb1->SetPosition(static_cast<int>(wp));
    *result = 0;
    return true;
  }
  if (msg == WM_HDD_DONE) {
    if (RunActive()) RunEnded();
    *result = 0;
    return true;
  }
  return false;
}

void ShowHddForm(const ui::ToolHost& host) {
  THddForm form(host.Owner());
  if (form.Create()) form.ShowModal();
}

}  // namespace vantrel
