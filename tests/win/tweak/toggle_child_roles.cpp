// Helper roles of this test program when a test starts a copy of it: stand-ins
// for Internet Explorer, a frame window of class "IEFrame" that closes when
// asked or one whose thread has stopped handling messages.
#include <windows.h>

#include "support/child_role.h"

namespace vantrel::test {
namespace {

int RunChildRole() {
  const std::wstring role = ChildRole();
  if (role.empty()) return 0;
  if (role == L"ie-frame") RunClosingWindow(L"IEFrame", L"Internet Explorer stand-in", 0);
  if (role == L"hung-ie-frame") RunHungWindow(L"IEFrame", L"Internet Explorer stand-in");
  ::ExitProcess(255);
}

[[maybe_unused]] const int kChildRoleDone = RunChildRole();

}  // namespace
}  // namespace vantrel::test
