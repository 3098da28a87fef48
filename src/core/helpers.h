#pragma once
// Shared helpers and platform operations of the main program. None keeps
// state between calls; each reports failure through its result (empty text
// or false). Only ExtractResourceToFile tells the user (a message box).
#include <windows.h>

#include <cstdint>
#include <string>

namespace vantrel {

// The user's documents folder + "\Vantrel", no trailing backslash. Created
// hidden (with missing parents) when absent. Empty when the documents folder
// cannot be resolved; callers must not build paths from an empty result.
std::wstring GetDataFolder();
// GetDataFolder() + "\Recovery.ini" (nothing created); empty without a data folder.
std::wstring GetRecoveryIniPath();
// GetDataFolder() + "\dat", created hidden when absent; empty without a data folder.
std::wstring GetDatFolder();
// The running executable's folder, with a trailing backslash.
std::wstring GetProgramFolder();

// The user-interface language (1042 = Korean); 0 when it cannot be told.
uint16_t GetUiLanguage();

// Writes resource (type name `type`, id `id`) of the program's own module
// to `path`. Failures are shown in a message box ("FindResource Fail : ...",
// "SizeofResource Fail : ...", "LoadResource Fail : ...", "File write fail :
// N, M"; a target that cannot be created at all gives "File create fail : "
// with the path and the reason) and give false.
bool ExtractResourceToFile(int id, const wchar_t* type, const std::wstring& path);

// CreateProcess(commandLine) with the given show state and extra creation
// flags (CREATE_NO_WINDOW: a console program gets no console); optionally
// waits up to timeoutMs. When the process cannot be created the command is
// handed to ShellExecute "open" and the result is false; a command that is
// one quoted path goes to the shell without its quotes.
bool RunCommand(const std::wstring& commandLine, int show, bool wait, DWORD timeoutMs, DWORD creationFlags = 0);

// WM_CLOSE with a 100 ms time-out; a window still there afterwards has its
// process ended.
void CloseWindowOrKill(HWND window);

// A StringFileInfo value of a file's first translation ("CompanyName",
// "FileVersion"); empty when there is none.
std::wstring GetFileVersionText(const std::wstring& path, const std::wstring& name);

// Left and top that centre a window of this size on the primary screen.
POINT CenterOnScreen(int width, int height);

// The computer's IP address as dotted text; empty when it cannot be found.
std::wstring GetLocalIpAddress();

// Removes everything inside a folder (sub-folders through the Recycle Bin),
// keeping the folder; files that cannot be deleted stay. False only when the
// folder does not exist. An empty path, a relative one, one that starts at
// the current drive's root ("\x") and a drive or share root itself count as
// not existing. Links to other folders are removed, never followed.
bool EmptyFolder(const std::wstring& folder);

// The Windows version code (0-18) of the running system; OsFamilyOf() in
// os_version.h gives its family.
int GetOsVersionCode();

}  // namespace vantrel
