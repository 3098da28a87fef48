#pragma once
// The add-on window's automatic mode, run by the tweak toggle when the user
// has chosen to reset the browser add-ons together with the tweak.
#include <windows.h>

namespace vantrel {

// True while the add-on window is to run in automatic mode: the toggle sets
// it just before it opens the window, the window clears it when it closes,
// so that the next opening from the main window is manual again.
extern bool AddonAutoReset;

// Opens the add-on window in automatic mode, owned by `owner`, modally: it
// stays invisible, removes every add-on that is not excluded and closes.
// Expects AddonAutoReset to be set; leaves it cleared.
void RunAddonAutoReset(HWND owner);

}  // namespace vantrel
