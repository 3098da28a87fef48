// Times the start-up program window filled from 2,000 Run values and 500
// Startup-folder files (creation with the whole listing, then closing),
// next to "reg query" of the same Run key in a child process. The Run keys
// are the registry override's scratch keys; the folder is a scratch folder.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/os_version.h"
#include "platform/reg_key.h"
#include "startup/start_program_form.h"
#include "support/registry_override.h"
#include "support/scratch.h"

namespace {

using namespace vantrel;

const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class BenchHost final : public ui::ToolHost {
 public:
  HWND Owner() const override { return nullptr; }
  unsigned OsFamily() const override { return kFamilyLegacy; }  // no task list: the bridge is not timed
  bool TopMost() const override { return false; }
  std::wstring ToggleCaption() const override { return L"Vantrel Off"; }
  std::wstring ExceptSetText() const override { return L"Setup"; }
  std::wstring ExceptCancelText() const override { return L"Cancel"; }
};

double Now() {
  LARGE_INTEGER frequency, counter;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double RunRegQuery(const std::wstring& key) {
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(system) + L"\\reg.exe\" query \"" + key + L"\"";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE nul = ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = nul;
  PROCESS_INFORMATION pi{};
  const double start = Now();
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
    return -1;
  ::WaitForSingleObject(pi.hProcess, INFINITE);
  const double ms = Now() - start;
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  ::CloseHandle(nul);
  return ms;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = argc > 1 ? _wtoi(argv[1]) : 3;
  test::ScopedRegistryOverride registry;
  if (!registry.active()) return 1;
  test::ScratchFolder folder, data;
  // The plain machine key must be there, or nothing is listed (the 32-bit view on 64-bit Windows).
  platform::RegKey machine;
  if (machine.Create(HKEY_LOCAL_MACHINE, kRun, KEY_ALL_ACCESS | (IsWindows64() ? KEY_WOW64_32KEY : 0)) != ERROR_SUCCESS)
    return 1;
  platform::RegKey user = registry.Create(HKEY_CURRENT_USER, kRun);
  for (int i = 0; i < 2000; ++i)
    user.WriteString(L"Program" + std::to_wstring(i),
                     L"\"C:\\Program Files\\App" + std::to_wstring(i) + L"\\app.exe\" /background");
  for (int i = 0; i < 500; ++i) {
    HANDLE h = ::CreateFileW(folder.File(L"Entry" + std::to_wstring(i) + L".lnk").c_str(), GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  }
  machine.Close();
  user.Close();

  StartProgramEnvironment env;
  env.startup.machineRunKeys = MachineRunKeyPlaces(IsWindows64());
  env.startup.userFolder = folder.path();
  env.store.indexPath = data.File(L"Recovery.ini");
  env.store.datFolder = data.File(L"dat");
  env.settingsPath = data.File(L"Vantrel.ini");
  env.windows64 = IsWindows64();
  const BenchHost host;

  double windowTotal = 0, regTotal = 0;
  int rows = 0;
  for (int run = 0; run < runs; ++run) {
    const double start = Now();
    {
      TStartProgramForm form(host, env);
      if (!form.Create()) return 1;
      rows = form.lv1->Count();
    }
    const double window = Now() - start;
    const double listStart = Now();
    const size_t listed = ListStartupEntries(TExclusionList(), env.startup).size();
    const double listing = Now() - listStart;
    std::printf("run %d: the listing alone %.1f ms (%u entries)\n", run + 1, listing, static_cast<unsigned>(listed));
    const double reg = RunRegQuery(L"HKCU\\" + registry.userPath() + L"\\" + kRun);
    if (rows != 2500) std::printf("expected 2500 rows\n");
    std::printf("run %d: window %.1f ms (%d rows), reg query %.1f ms\n", run + 1, window, rows, reg);
    windowTotal += window;
    regTotal += reg;
  }
  std::printf("mean: window %.1f ms, reg query %.1f ms, ratio %.2f\n", windowTotal / runs, regTotal / runs,
              regTotal > 0 ? windowTotal / regTotal : 0.0);
  return 0;
}
