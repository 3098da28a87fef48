#pragma once
// Where the programs find the libraries and system programs they use.
// Vantrel runs with administrator rights from a folder the user can write to,
// so nothing is ever looked up by a bare name: a library or program planted
// in the program folder or the current folder would run with those rights.
#include <windows.h>

#include <string>
#include <string_view>

namespace vantrel::platform {

// Takes the program folder and the current folder out of the library search
// for the rest of the process: only the system folder is searched
// (SetDefaultDllDirectories, looked up at run time: Windows 7 with KB2533623,
// Windows 8 and later). Older systems get the best they allow: the current
// folder is taken out (SetDllDirectoryW with empty text). Called first thing
// by both programs, before any library is loaded. The result tells which.
enum class LibrarySearch { kSystemFolderOnly, kWithoutCurrentFolder, kUnchanged };
LibrarySearch RestrictLibrarySearch();

// The system folder (GetSystemDirectory, "C:\Windows\System32") + "\" + name;
// empty when the folder cannot be told.
std::wstring SystemFolderPath(std::wstring_view name);

// Loads a library of the system folder by its full path; the libraries it
// needs are looked up from the system folder too. Null when that fails.
HMODULE LoadSystemLibrary(std::wstring_view name);

// The version information functions of VERSION.dll, loaded once from the
// system folder on first use and kept for the process (VERSION.dll is not a
// known library of the loader, so a static import of it would be searched in
// the program folder first). Members are null when the library is missing.
struct VersionFunctions {
  DWORD(WINAPI* getFileVersionInfoSize)(LPCWSTR, LPDWORD) = nullptr;
  BOOL(WINAPI* getFileVersionInfo)(LPCWSTR, DWORD, DWORD, LPVOID) = nullptr;
  BOOL(WINAPI* verQueryValue)(LPCVOID, LPCWSTR, LPVOID*, PUINT) = nullptr;
  bool complete() const { return getFileVersionInfoSize && getFileVersionInfo && verQueryValue; }
};
const VersionFunctions& VersionApi();

// The two functions of SHLWAPI.dll the programs use, bound the same way (the
// library is not a known one on Windows XP). Null when missing.
struct ShlwapiFunctions {
  LSTATUS(WINAPI* shDeleteKey)(HKEY, LPCWSTR) = nullptr;
  BOOL(WINAPI* pathIsRoot)(LPCWSTR) = nullptr;
};
const ShlwapiFunctions& ShlwapiApi();

}  // namespace vantrel::platform
