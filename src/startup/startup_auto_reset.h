#pragma once
// The start-up program window's automatic mode, run by the tweak toggle when
// the user has chosen to reset the start-up programs together with the tweak.
#include <windows.h>

#include "core/app_state.h"  // StartupAutoReset

namespace vantrel {

// Opens the start-up program window in automatic mode, owned by `owner`,
// modally: it stays invisible, deletes every entry that is not excluded and
// closes. Expects StartupAutoReset to be set; leaves it cleared.
void RunStartupAutoReset(HWND owner);

struct StartProgramEnvironment;
// The same with the places handed in (tests).
void RunStartupAutoReset(HWND owner, StartProgramEnvironment environment);

}  // namespace vantrel
