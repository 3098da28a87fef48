// hdd_bench [FILES]: the disk cleanup worker emptying a Firefox cache of
// FILES files (default 20,000, in 16 sub-folders as Firefox keeps them)
// below a scratch profile, next to "cmd /c rd /s /q" of the same tree.
// Prints both times and their ratio.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "diskclean/hdd_form.h"

using namespace vantrel;

namespace {

void MakeFolders(const std::wstring& path) {
  for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
    ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  ::CreateDirectoryW(path.c_str(), nullptr);
}

void MakeCache(const std::wstring& cache, int files) {
  for (int i = 0; i < files; ++i) {
    wchar_t name[64];
    std::swprintf(name, 64, L"\\%X\\%08X%08X", i % 16, i * 2654435761u, i);
    const std::wstring path = cache + name;
    if (i < 16) MakeFolders(path.substr(0, path.find_last_of(L'\\')));
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) continue;
    DWORD written = 0;
    ::WriteFile(h, "cache entry", 11, &written, nullptr);
    ::CloseHandle(h);
  }
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int files = argc > 1 ? _wtoi(argv[1]) : 20000;
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring root = std::wstring(temp) + L"vantrel-hdd-bench";
  BrowserBaseFolders bases{root + L"\\Roaming", root + L"\\Local"};
  MakeFolders(bases.second);
  const std::wstring cache = bases.first + L"\\Mozilla\\Firefox\\Profiles\\bench.default\\Cache";

  std::printf("files: %d\n", files);
  MakeCache(cache, files);
  BrowserUnits units(bases);
  auto run = std::make_shared<HddRun>();
  run->ieTemp = true;  // the temporary files step: IE's folders and cache, then the three browsers
  run->actions.units = &units;
  run->actions.clearUrlHistory = [] { return S_OK; };
  run->actions.runClearTracks = [](int) { return true; };
  const auto workerStart = std::chrono::steady_clock::now();
  HANDLE thread = ::CreateThread(nullptr, 0, HddCleanWorker, new std::shared_ptr<HddRun>(run), 0, nullptr);
  if (!thread) return 1;
  ::WaitForSingleObject(thread, INFINITE);
  ::CloseHandle(thread);
  const double worker = Seconds(std::chrono::steady_clock::now() - workerStart);

  ::RemoveDirectoryW(cache.c_str());
  MakeCache(cache, files);
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring cmd = std::wstring(system) + L"\\cmd.exe";
  std::wstring line = L"\"" + cmd + L"\" /c rd /s /q \"" + cache + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const auto rdStart = std::chrono::steady_clock::now();
  if (!::CreateProcessW(cmd.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 1;
  ::WaitForSingleObject(pi.hProcess, INFINITE);
  const double rd = Seconds(std::chrono::steady_clock::now() - rdStart);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);

  std::printf("worker: %.2f s\nrd /s /q: %.2f s\nratio worker/rd: %.2f\n", worker, rd, rd > 0 ? worker / rd : 0.0);
  std::wstring cleanup = L"\"" + cmd + L"\" /c rd /s /q \"" + root + L"\"";
  if (::CreateProcessW(cmd.c_str(), cleanup.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
  }
  return 0;
}
