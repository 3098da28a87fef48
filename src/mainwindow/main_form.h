#pragma once
// The main window TVantrelMainForm: the program's only non-modal window.
#include <windows.h>

namespace vantrel {

// The command of the tray menu's close item ("TrayPopupClose"): posted to the
// main window as WM_COMMAND, it closes the window for good and so ends the
// message loop.
inline constexpr WORD kTrayPopupCloseCommand = 40003;

// Creates the main window (class "TVantrelMainForm") as the application's
// main window and runs the message loop until it is closed for good.
// Returns the loop's exit code.
int RunMainForm();

}  // namespace vantrel
