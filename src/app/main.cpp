// Vantrel.exe: the command line is ignored (the updater passes "UPDATE_OK"
// and more when it restarts the program).
#include <windows.h>

#include "app/start_sequence.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return vantrel::RunVantrel(); }
