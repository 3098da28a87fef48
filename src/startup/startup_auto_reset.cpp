#include "startup/startup_auto_reset.h"

#include "startup/start_program_form.h"

namespace vantrel {

void RunStartupAutoReset(HWND owner) {
  // Only as the toggle's step: without the flag the window would open for the user.
  if (StartupAutoReset) RunStartupAutoReset(owner, StartProgramEnvironment::System());
  StartupAutoReset = false;
}

}  // namespace vantrel
