#include "startup/startup_auto_reset.h"

namespace vantrel {

void RunStartupAutoReset(HWND /*owner*/) {
  // The start-up program window is not part of the program yet: nothing is
  // deleted. The flag is cleared as the window does when it closes.
  StartupAutoReset = false;
}

}  // namespace vantrel
