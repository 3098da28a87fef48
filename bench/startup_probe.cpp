// startup_probe RUNS EXE_A CLASS_A CLOSE_A EXE_B CLASS_B CLOSE_B [MEMORY_MS]: the start-up
// time of two programs side by side, in this one process so that Wine's
// desktop stays up across all runs. Each program is started once unmeasured,
// then RUNS times each, alternating and rotating which goes first, so both
// see the same machine load. A run's time is from CreateProcess until a
// visible top-level window of CLASS belongs to the new process; nothing
// waits a fixed time. Each run is ended by WM_COMMAND CLOSE (when not 0),
// then WM_CLOSE, then TerminateProcess, and the next starts when the process
// has ended. Prints every run, then per program the median, the spread
// (minimum, maximum, interquartile range) and the ratio of the medians B/A.
// With MEMORY_MS each run also waits that long once the window shows and
// reads the process's working set and private bytes; the medians and their
// ratios are printed as well.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Search {
  const wchar_t* className;
  DWORD pid;
  HWND found;
};

BOOL CALLBACK Find(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  if (pid == s->pid && IsWindowVisible(window) && wcscmp(name, s->className) == 0) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

struct Program {
  std::wstring exe;
  const wchar_t* className;
  WORD closeCommand;
  std::vector<double> times;
  std::vector<double> workingSetMb;
  std::vector<double> privateMb;
};

DWORD g_memoryMs = 0;

void End(HANDLE process, HWND window, WORD closeCommand) {
  if (window && closeCommand) PostMessageW(window, WM_COMMAND, MAKEWPARAM(closeCommand, 0), 0);
  else if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process, 10000) == WAIT_OBJECT_0) return;
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process, 5000) == WAIT_OBJECT_0) return;
  TerminateProcess(process, 1);
  WaitForSingleObject(process, 5000);
}

// Milliseconds to the window, or a negative number when it never came.
double StartOnce(Program& p) {
  std::wstring line = L"\"" + p.exe + L"\"";
  const std::wstring folder = p.exe.substr(0, p.exe.find_last_of(L'\\'));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const double start = Now();
  if (!CreateProcessW(p.exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
    fwprintf(stderr, L"cannot start %ls (%lu)\n", p.exe.c_str(), GetLastError());
    return -1;
  }
  Search s{p.className, pi.dwProcessId, nullptr};
  while (!s.found && Now() - start < 30000) {
    EnumWindows(Find, reinterpret_cast<LPARAM>(&s));
    if (!s.found) Sleep(0);
  }
  const double elapsed = Now() - start;
  if (s.found && g_memoryMs) {
    Sleep(g_memoryMs);
    PROCESS_MEMORY_COUNTERS_EX m{};
    m.cb = sizeof m;
    if (GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m)) {
      p.workingSetMb.push_back(static_cast<double>(m.WorkingSetSize) / (1024.0 * 1024.0));
      p.privateMb.push_back(static_cast<double>(m.PrivateUsage) / (1024.0 * 1024.0));
    }
  }
  End(pi.hProcess, s.found, p.closeCommand);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (!s.found) fwprintf(stderr, L"no visible %ls window within 30 s\n", p.className);
  return s.found ? elapsed : -1;
}

double Quantile(std::vector<double> v, double q) {
  std::sort(v.begin(), v.end());
  const double at = q * static_cast<double>(v.size() - 1);
  const size_t lo = static_cast<size_t>(at);
  const size_t hi = std::min(lo + 1, v.size() - 1);
  return v[lo] + (v[hi] - v[lo]) * (at - static_cast<double>(lo));
}

void Summary(const Program& p) {
  wprintf(L"%-24ls median %7.1f ms  min %7.1f  max %7.1f  IQR %6.1f ms  (n=%d)\n",
          p.exe.substr(p.exe.find_last_of(L'\\') + 1).c_str(), Quantile(p.times, 0.5), Quantile(p.times, 0),
          Quantile(p.times, 1), Quantile(p.times, 0.75) - Quantile(p.times, 0.25), static_cast<int>(p.times.size()));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 8) {
    fwprintf(stderr, L"usage: startup_probe RUNS EXE_A CLASS_A CLOSE_A EXE_B CLASS_B CLOSE_B [MEMORY_MS]\n");
    return 2;
  }
  const int runs = std::max(1, _wtoi(argv[1]));
  if (argc > 8) g_memoryMs = static_cast<DWORD>(std::max(0, _wtoi(argv[8])));
  Program programs[2] = {{argv[2], argv[3], static_cast<WORD>(_wtoi(argv[4])), {}},
                         {argv[5], argv[6], static_cast<WORD>(_wtoi(argv[7])), {}}};
  for (auto& p : programs) {
    if (StartOnce(p) < 0) return 1;  // the unmeasured first start
    p.workingSetMb.clear();
    p.privateMb.clear();
  }
  for (int i = 0; i < runs; ++i) {
    const int first = i % 2;
    for (int k : {first, 1 - first}) {
      const double ms = StartOnce(programs[k]);
      if (ms < 0) return 1;
      programs[k].times.push_back(ms);
    }
    wprintf(L"run %d: A %.1f ms, B %.1f ms\n", i + 1, programs[0].times.back(), programs[1].times.back());
  }
  wprintf(L"\n");
  Summary(programs[0]);
  Summary(programs[1]);
  wprintf(L"ratio B/A of the medians: %.2f\n", Quantile(programs[1].times, 0.5) / Quantile(programs[0].times, 0.5));
  if (g_memoryMs && !programs[0].workingSetMb.empty() && !programs[1].workingSetMb.empty()) {
    wprintf(L"\n%lu ms after the window shows (medians):\n", g_memoryMs);
    for (const Program& p : programs)
      wprintf(L"%-24ls working set %6.1f MB  private %6.1f MB\n", p.exe.substr(p.exe.find_last_of(L'\\') + 1).c_str(),
              Quantile(p.workingSetMb, 0.5), Quantile(p.privateMb, 0.5));
    wprintf(L"ratio B/A of the working sets: %.2f\n",
            Quantile(programs[1].workingSetMb, 0.5) / Quantile(programs[0].workingSetMb, 0.5));
    // Wine reports no private bytes (0): no ratio of those then.
    if (Quantile(programs[0].privateMb, 0.5) > 0)
      wprintf(L"ratio B/A of the private bytes: %.2f\n",
              Quantile(programs[1].privateMb, 0.5) / Quantile(programs[0].privateMb, 0.5));
  }
  return 0;
}
