// Vantrel.exe: the command line is ignored (the updater passes "UPDATE_OK"
// and more when it restarts the program).
#include <windows.h>

#include "app/start_sequence.h"
#include "platform/library_search.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything loads a library: none is taken from the program folder
  // or the current folder.
  vantrel::platform::RestrictLibrarySearch();
  return vantrel::RunVantrel();
}
