// Helper roles of this test program when a test starts a copy of it.
#include <windows.h>

#include "core/helpers.h"
#include "support/child_role.h"

namespace vantrel::test {
namespace {

int RunChildRole() {
  const std::wstring role = ChildRole();
  if (role.empty()) return 0;
  if (role == L"closing-window") RunClosingWindow(L"VantrelTestClosing", L"test window", 300);
  if (role == L"hung-window") RunHungWindow(L"VantrelTestHung", L"test window");
  if (role == L"os-version") ::ExitProcess(static_cast<UINT>(GetOsVersionCode()));
  ::ExitProcess(255);
}

[[maybe_unused]] const int kChildRoleDone = RunChildRole();

}  // namespace
}  // namespace vantrel::test
