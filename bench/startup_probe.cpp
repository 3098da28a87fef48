// startup_probe EXE CLASS RUNS [CLOSE_COMMAND]: starts EXE RUNS times and
// prints, per run and as median, the milliseconds from CreateProcess until a
// visible top-level window of CLASS belongs to the new process. Each run is
// ended by WM_COMMAND CLOSE_COMMAND (when given), then WM_CLOSE, then
// TerminateProcess.
#include <windows.h>

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

void End(HANDLE process, HWND window, WORD closeCommand) {
  if (window && closeCommand) PostMessageW(window, WM_COMMAND, MAKEWPARAM(closeCommand, 0), 0);
  if (WaitForSingleObject(process, 5000) == WAIT_OBJECT_0) return;
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process, 2000) == WAIT_OBJECT_0) return;
  TerminateProcess(process, 1);
  WaitForSingleObject(process, 5000);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    fwprintf(stderr, L"usage: startup_probe EXE CLASS RUNS [CLOSE_COMMAND]\n");
    return 2;
  }
  const std::wstring exe = argv[1];
  const wchar_t* className = argv[2];
  const int runs = _wtoi(argv[3]);
  const WORD closeCommand = argc > 4 ? static_cast<WORD>(_wtoi(argv[4])) : 0;
  std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    std::wstring line = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const double start = Now();
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
      fwprintf(stderr, L"cannot start %ls (%lu)\n", exe.c_str(), GetLastError());
      return 1;
    }
    Search s{className, pi.dwProcessId, nullptr};
    while (!s.found && Now() - start < 30000) {
      EnumWindows(Find, reinterpret_cast<LPARAM>(&s));
      if (!s.found) Sleep(1);
    }
    const double elapsed = Now() - start;
    End(pi.hProcess, s.found, closeCommand);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (!s.found) {
      fwprintf(stderr, L"no visible %ls window within 30 s\n", className);
      return 1;
    }
    times.push_back(elapsed);
    wprintf(L"run %d: %.1f ms\n", i + 1, elapsed);
  }
  std::sort(times.begin(), times.end());
  wprintf(L"median: %.1f ms\n", times[times.size() / 2]);
  return 0;
}
