#include "addons/addon_auto_reset.h"

namespace vantrel {

void RunAddonAutoReset(HWND /*owner*/) {
  // The add-on window is not part of the program yet: nothing is removed.
  // The flag is cleared as the window does when it closes.
  AddonAutoReset = false;
}

}  // namespace vantrel
