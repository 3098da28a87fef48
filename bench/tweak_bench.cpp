// Times whole tweak runs against their fixed pauses (2 x 500 ms). Each run
// goes on its own thread, as behind the progress window, and ends when its
// WM_CLOSE arrives. The connection list is one scratch interface key that
// holds the local address; the address and the renewal are the real ones.
// The Message Queuing value is put back afterwards.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

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
  double total = 0;
  for (int i = 0; i < runs; ++i) {
    ClearTweak = (i % 2) == 1;
    const double ms = TimeOneRun(window);
    total += ms;
    std::printf("run %d (%s): %.0f ms wall, %.0f ms fixed pauses, ratio %.3f\n", i + 1, ClearTweak ? "Off" : "ON", ms,
                kFixedPausesMs, ms / kFixedPausesMs);
  }
  const double mean = total / runs;
  std::printf("mean: %.0f ms wall, %.0f ms fixed pauses, ratio %.3f\n", mean, kFixedPausesMs, mean / kFixedPausesMs);
  ::DestroyWindow(window);
  ClearTweak = false;
  return 0;
}
