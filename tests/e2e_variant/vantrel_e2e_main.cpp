// Vantrel.exe for the end-to-end update test only (never shipped): the same
// program, except that a file "vendor.txt" beside it may name the vendor's
// web server (host:port of the test's local server).
#include <windows.h>

#include <fstream>
#include <string>

#include "app/start_sequence.h"
#include "update/version_check.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t self[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self, length);
  folder.resize(folder.find_last_of(L'\\') + 1);
  std::ifstream in((folder + L"vendor.txt").c_str());
  std::string host;
  if (in >> host) vantrel::SetVendorServerForTesting(std::wstring(host.begin(), host.end()));
  return vantrel::RunVantrel();
}
