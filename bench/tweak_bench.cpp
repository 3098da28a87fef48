// Times whole tweak runs against their floor: the fixed pauses (2 x 500 ms)
// plus one "ipconfig /renew", timed on its own in the same run. A windowed
// program like Vantrel.exe, so the renewal starts as it does there. Each run
// goes on its own thread, as behind the progress window, and ends when its
// WM_CLOSE arrives. The connection list is one scratch interface key that
// holds the local address; the address and the renewal are the real ones.
// The Message Queuing value is put back afterwards.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/unique_handle.h"
#include "tweak/network.h"
#include "tweak_fixture.h"

namespace {

using namespace vantrel;

constexpr double kFixedPausesMs = 1000.0;
std::wstring g_id;

void ListScratchInterface(InterfaceList& list) { list.push_back(g_id); }

DWORD WINAPI Worker(LPVOID param) {
  TweakSources sources;
  sources.listConnections = ListScratchInterface;
  RunTweak(static_cast<HWND>(param), sources);
  return 0;
}

// Milliseconds from the thread's start to the arrival of its WM_CLOSE.
double TimeOneRun(HWND window) {
  LARGE_INTEGER frequency, start, end;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  platform::UniqueHandle thread(::CreateThread(nullptr, 0, Worker, window, 0, nullptr));
  if (!thread) return -1;
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == window && msg.message == WM_CLOSE) break;
    ::DispatchMessageW(&msg);
  }
  ::QueryPerformanceCounter(&end);
  ::WaitForSingleObject(thread.get(), INFINITE);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Median of `n` timed "ipconfig /renew" runs, as the worker starts it.
double RenewMs(int n) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  std::vector<double> times;
  for (int i = 0; i < n; ++i) {
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    RenewNetwork();
    ::QueryPerformanceCounter(&end);
    times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                    static_cast<double>(frequency.QuadPart));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 4;
  test::MsmqBackup msmq;
  test::InterfaceKeys keys;
  g_id = keys.Add();
  const std::wstring ip = GetLocalIpAddress();
  test::InterfaceKeys::SetText(g_id, L"DhcpIPAddress", ip);
  HWND window = ::CreateWindowExW(0, L"STATIC", L"tweak bench", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (!window) {
    std::fprintf(stderr, "no window\n");
    return 1;
  }
  std::printf("local address: %ls, %d runs alternating ON and Off\n", ip.empty() ? L"(none)" : ip.c_str(), runs);
  const double floorMs = kFixedPausesMs + RenewMs(5);
  std::printf("floor: %.0f ms fixed pauses + %.1f ms renew (median of 5, this run) = %.1f ms\n", kFixedPausesMs,
              floorMs - kFixedPausesMs, floorMs);
  double total = 0;
  for (int i = 0; i < runs; ++i) {
    ClearTweak = (i % 2) == 1;
    const double ms = TimeOneRun(window);
    total += ms;
    std::printf("run %d (%s): %.0f ms wall, %.0f ms floor, ratio %.3f\n", i + 1, ClearTweak ? "Off" : "ON", ms,
                floorMs, ms / floorMs);
  }
  const double mean = total / runs;
  std::printf("mean: %.0f ms wall, %.0f ms floor, ratio %.3f\n", mean, floorMs, mean / floorMs);
  ::DestroyWindow(window);
  ClearTweak = false;
  return 0;
}
