#pragma once
// The add-on window's automatic mode, run by the tweak toggle when the user
// has chosen to reset the browser add-ons together with the tweak.
#include <windows.h>

#include "core/app_state.h"  // AddonAutoReset

namespace vantrel {

// Opens the add-on window in automatic mode, owned by `owner`, modally: it
// stays invisible, removes every add-on that is not excluded and closes.
// Expects AddonAutoReset to be set; leaves it cleared.
void RunAddonAutoReset(HWND owner);

}  // namespace vantrel
