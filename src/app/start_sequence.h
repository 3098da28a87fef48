#pragma once
// The main program's spine: the steps from process start to process end, as
// separate functions so that tests can run each of them.
#include <windows.h>

#include <string>

#include "core/program_names.h"

namespace vantrel {


// Sets KoreanUi from the user-interface language.
void DetermineUiLanguage();

// Creates the mutex "VANTREL" (held for the rest of the process). False when
// another instance holds it, or when the mutex could not be made at all: any
// error counts as another instance.
bool ClaimSingleInstance();

// Another instance runs: sends the restore request to its main window and
// waits until it is handled, or, with no main window to be found, tells the
// user that the program could not start.
void HandOverToRunningInstance();

// The text shown when another instance holds the mutex but has no main window.
std::wstring CannotStartText();

// Writes the language table of the chosen language into `dataFolder` as
// "Vantrel.dat" (hidden; a left-over file is replaced), opens it as the
// current language table and reads [Vantrel] "Msg_UpdateFail" into
// UpdateFailText(). Returns the file's path, or empty text when there is no
// table: no data folder (nothing is written anywhere then) or a failed
// extraction (reported by the extraction itself).
std::wstring PrepareLanguageTable(const std::wstring& dataFolder, bool korean);

// Closes the current language table and deletes the file written by
// PrepareLanguageTable (nothing happens for an empty path).
void ReleaseLanguageTable(const std::wstring& path);

// The whole program: start sequence, version check, main window and message
// loop, shutdown. Always 0.
int RunVantrel();

}  // namespace vantrel
