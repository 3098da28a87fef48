#include <gtest/gtest.h>

#include "core/helpers.h"
#include "support/process_driver.h"

namespace vantrel {
namespace {

// The probe ends with one bit set for each failed check: 1 a function-local
// static built more than once or seen unbuilt, 2 std::mutex or
// std::call_once, 4 exceptions of one thread seen in another, 8 thread_local
// objects not destroyed at thread end or the last error lost.
TEST(SmallThreads, TheRuntimeWorksOnTheDeliverablesThreadingFunctions) {
  test::ChildProcess probe = test::ChildProcess::Start(GetProgramFolder() + L"small_threads_probe.exe");
  ASSERT_TRUE(probe.valid());
  DWORD code = 99;
  ASSERT_TRUE(probe.WaitForExit(60000, &code));
  EXPECT_EQ(code, 0u);
}

}  // namespace
}  // namespace vantrel
