#pragma once
// Internet Explorer's traces: the folders its shell-folder values name, the
// WinINet URL cache, the URL history, the typed addresses and its own
// clearing command. Nothing is reported: what cannot be deleted stays.
#include <windows.h>

#include <string>

namespace vantrel {

// HKCU "...\Explorer\Shell Folders" value ("Cache", "Cookies", "History");
// empty when the key or the value is missing or not text.
std::wstring ReadShellFolder(const wchar_t* valueName);

// Deletes the files directly inside `folder` except one named exactly
// "desktop.ini", then the file folder + `suffix` ("\Content.IE5\index.dat").
// Sub-folders and what they hold stay; links are never followed.
void EmptyFolderFiles(const std::wstring& folder, const wchar_t* suffix);

// Deletes every entry of the WinINet URL cache that matches `pattern`
// (null: the temporary Internet files; "cookie:": the cookies).
void DeleteUrlCacheEntries(const wchar_t* pattern);

// Clears the history through the URL history object (IUrlHistoryStg2);
// the COM result (E_NOINTERFACE and the like when it is not there).
HRESULT ClearUrlHistory();

// Deletes the typed addresses "url1", "url2", ... up to the first gap.
void ClearTypedUrls();

// The clearing command's arguments.
inline constexpr int kClearPasswords = 32;
inline constexpr int kClearFormData = 16;
inline constexpr int kClearTempFiles = 4351;

// The command line of Internet Explorer's clearing command with `flags`,
// started from the system folder: "<system>\rundll32.exe
// <system>\InetCpl.cpl,ClearMyTracksByProcess <flags>". Empty without a
// system folder.
std::wstring ClearTracksCommandLine(int flags);
// Runs that command hidden and waits for it at most `timeoutMs`; false when
// it could not be started (nothing else is tried).
bool RunClearTracksCommand(int flags, DWORD timeoutMs = 5000);

}  // namespace vantrel
