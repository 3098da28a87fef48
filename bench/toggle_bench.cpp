// toggle_bench [RUNS]: the tweak toggle's wall time from the confirmed
// question to the status view, against its floor: the worker's fixed pauses
// (2 x 500 ms) plus one "ipconfig /renew", timed on its own in the same run.
// Runs the real toggle with the real tweak worker (real waits and renewal)
// on a stand-in main window, as a windowed program like Vantrel.exe; the runs
// come in pairs (on, then off), so the registry ends as it began.
// Not a test: it prints its figures and judges nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "platform/dialogs.h"
#include "toggle_support.h"
#include "tweak/tweak_toggle.h"
#include "tweak/init_proc_run_form.h"
#include "tweak/network.h"
#include "tweak/ping_status_form.h"

namespace {

LARGE_INTEGER g_confirmed{}, g_progressShown{}, g_progressGone{}, g_statusShown{};

// Answers the question with Yes and notes when.
class ConfirmingDialogs final : public vantrel::platform::Dialogs {
 public:
  int Message(HWND, const std::wstring&, const std::wstring&, UINT type) override {
    if ((type & 0xF) != MB_YESNO) return IDOK;
    ::QueryPerformanceCounter(&g_confirmed);
    return IDYES;
  }
  bool OpenFileName(HWND, const std::wstring&, std::wstring*) override { return false; }
  void ShellOpen(HWND, const std::wstring&, const std::wstring&, int) override {}
};

void Stamp(LARGE_INTEGER& at) {
  if (at.QuadPart == 0) ::QueryPerformanceCounter(&at);
}

// Notes when the progress window is shown and goes, and when the status view is shown.
LRESULT CALLBACK CbtHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_ACTIVATE || code == HCBT_DESTROYWND) {
    wchar_t name[64] = {};
    ::GetClassNameW(reinterpret_cast<HWND>(wp), name, 64);
    const bool progress = std::wcscmp(name, vantrel::TInitProcRunForm::kClassName) == 0;
    if (code == HCBT_ACTIVATE && progress) Stamp(g_progressShown);
    if (code == HCBT_DESTROYWND && progress) Stamp(g_progressGone);
    if (code == HCBT_ACTIVATE && std::wcscmp(name, vantrel::TPingStatusForm::kClassName) == 0) Stamp(g_statusShown);
  }
  return ::CallNextHookEx(nullptr, code, wp, lp);
}

double Ms(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& frequency) {
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Median of `n` timed "ipconfig /renew" runs, as the worker starts it.
double RenewMs(int n, const LARGE_INTEGER& frequency) {
  std::vector<double> times;
  for (int i = 0; i < n; ++i) {
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    vantrel::RenewNetwork();
    ::QueryPerformanceCounter(&end);
    times.push_back(Ms(start, end, frequency));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int runs = argc > 1 ? std::max(2, _wtoi(argv[1])) : 6;
  runs += runs % 2;
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  ConfirmingDialogs dialogs;
  vantrel::platform::SetDialogs(&dialogs);
  HHOOK hook = ::SetWindowsHookExW(WH_CBT, CbtHook, nullptr, ::GetCurrentThreadId());

  vantrel::test::ToggleHostForm host;
  vantrel::test::ModalWatcher watcher;  // closes each status view
  vantrel::test::UseRealRenewalAndPauses(true);
  const double renewMs = RenewMs(5, frequency);
  const double pausesMs = 1000.0 + renewMs;
  std::vector<double> times;
  std::printf("floor: 1000 ms of pauses + %.1f ms renew (median of 5, this run) = %.1f ms\n", renewMs, pausesMs);
  std::printf("run  direction  toggle_ms  floor_ms   ratio  (to progress shown / progress gone / status shown, ms)\n");
  for (int i = 0; i < runs; ++i) {
    const bool on = host.ToggleCaption() == vantrel::kToggleOffCaption;
    g_confirmed.QuadPart = g_progressShown.QuadPart = g_progressGone.QuadPart = g_statusShown.QuadPart = 0;
    vantrel::RunTweakToggle(host);
    if (g_statusShown.QuadPart == 0) {
      std::printf("run %d: the status view was not seen\n", i + 1);
      continue;
    }
    const double ms = Ms(g_confirmed, g_statusShown, frequency);
    times.push_back(ms);
    std::printf("%3d  %-9s  %9.1f  %9.0f  %5.3f  (%.1f / %.1f / %.1f)\n", i + 1, on ? "on" : "off", ms, pausesMs,
                ms / pausesMs, Ms(g_confirmed, g_progressShown, frequency), Ms(g_confirmed, g_progressGone, frequency),
                ms);
  }
  ::UnhookWindowsHookEx(hook);
  vantrel::platform::SetDialogs(nullptr);
  if (times.empty()) return 1;
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  std::printf("toggle (question confirmed -> status view): median %.1f ms, min %.1f ms, max %.1f ms\n", median,
              times.front(), times.back());
  std::printf("floor (pauses + renew): %.1f ms; ratio median/floor: %.3f\n", pausesMs, median / pausesMs);
  return 0;
}
