#include "toggle_support.h"

#include "support/process_driver.h"
#include "tweak/init_proc_run_form.h"
#include "tweak/network.h"
#include "tweak/ping_status_form.h"

namespace vantrel::test {
namespace {

std::vector<std::wstring> g_connections;
std::wstring g_ip;
ModalWatcher* g_watcher = nullptr;

void ListTestConnections(InterfaceList& list) { list.insert(list.end(), g_connections.begin(), g_connections.end()); }
std::wstring TestIp() { return g_ip; }
void NoRenewal() {}
bool g_realRenewalAndPauses = false;
// A fifth of each wait: the watcher still sees the progress window.
void ShortPause(DWORD ms) { ::Sleep(ms / 5); }

DWORD WINAPI TestWorker(LPVOID param) {
  TweakSources sources;
  sources.listConnections = ListTestConnections;
  sources.localIp = TestIp;
  sources.renewNetwork = g_realRenewalAndPauses ? RenewNetwork : NoRenewal;
  sources.pause = g_realRenewalAndPauses ? TweakPause : ShortPause;
  RunTweak(static_cast<HWND>(param), sources);
  return 0;
}

}  // namespace

ToggleHostForm::ToggleHostForm() {
  ui::InitializeUi();
  ui::FormSpec layout;
  layout.className = L"VantrelToggleTestHost";
  layout.caption = L"Vantrel";
  layout.clientWidth = 231;
  layout.clientHeight = 60;
  Create(layout);
  button = &Add<ui::Button>(L"Vantrel Off", ui::Rect{10, 9, 210, 35});
  Show();
}

void ToggleHostForm::SetToggleCaption(const std::wstring& caption, bool makeBold) {
  button->SetText(caption);
  bold = makeBold;
}

void SetTestNetwork(std::vector<std::wstring> connections, std::wstring ip) {
  g_connections = std::move(connections);
  g_ip = std::move(ip);
}

void UseRealRenewalAndPauses(bool real) { g_realRenewalAndPauses = real; }

HANDLE StartTestWorker(HWND window) { return ::CreateThread(nullptr, 0, TestWorker, window, 0, nullptr); }

ModalWatcher::ModalWatcher() {
  g_watcher = this;
  timer_ = ::SetTimer(nullptr, 0, 15, Tick);
}

ModalWatcher::~ModalWatcher() {
  ::KillTimer(nullptr, timer_);
  g_watcher = nullptr;
}

void CALLBACK ModalWatcher::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (g_watcher) g_watcher->Look();
}

void ModalWatcher::Look() {
  HWND progress = ::FindWindowW(TInitProcRunForm::kClassName, nullptr);
  if (!progress || !::IsWindowVisible(progress)) lastProgress_ = nullptr;
  else if (progress != lastProgress_) {
    lastProgress_ = progress;
    ++progressShown;
    if (onProgressShown) onProgressShown();
  }
  HWND status = ::FindWindowW(TPingStatusForm::kClassName, nullptr);
  if (!status || !::IsWindowVisible(status)) lastStatus_ = nullptr;
  else if (status != lastStatus_) {
    lastStatus_ = status;
    statusViews.push_back(ListViewRows(FindChildByText(status, L"", L"SysListView32"), 3));
    statusOwners.push_back(::GetWindow(status, GW_OWNER));
    ClickButton(FindChildByText(status, L"설정 닫기", L"Button"));
  }
}

}  // namespace vantrel::test
