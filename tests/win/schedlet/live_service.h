#pragma once
// Tests against the live Task Scheduler service. A 32-bit program under a
// 64-bit Wine in WoW64 mode may find no service answering it (a limit of that
// Wine, not of the code): such a test is then skipped with the reason, and
// the 64-bit build, which always needs the service, still runs it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "schedlet/schedlet_core.h"

namespace vantrel::test {

// Empty when a test may rely on the service (or has to fail without it); else
// why it cannot here. `status` is what ConnectRootFolder gave.
inline std::string WhyTheServiceIsOutOfReach(int status) {
  if (status == schedlet::kStatusOk || sizeof(void*) != 4) return {};
  BOOL wow64 = FALSE;
  if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64) return {};
  return "the Task Scheduler service does not answer this 32-bit process (status " + std::to_string(status) +
         "); the 64-bit build runs this test";
}

}  // namespace vantrel::test

// Ends the current test as skipped, with the reason, when the service is out of reach.
#define VANTREL_SKIP_WITHOUT_TASK_SCHEDULER(status)                                       \
  do {                                                                                    \
    if (const std::string why = ::vantrel::test::WhyTheServiceIsOutOfReach(status);       \
        !why.empty())                                                                     \
      GTEST_SKIP() << why;                                                                \
  } while (0)
