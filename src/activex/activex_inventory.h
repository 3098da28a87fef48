#pragma once
// The ActiveX controls that Internet Explorer downloaded, as its record of
// downloaded components ("Distribution Units") names them, and their removal:
// unregistering, the file and the control's registry keys.
//
// Registry view: the keys are opened in the process's own view. The shipped
// program is 32-bit, so on 64-bit Windows it reads the 32-bit view of the
// machine's classes and of the component record (the one 32-bit Internet
// Explorer downloads into), unregisters with the 32-bit regsvr32 and sees the
// file system as 32-bit programs do: the registration's paths mean there
// what they meant to the browser that wrote them.
#include <windows.h>

#include <string>
#include <vector>

namespace vantrel::activex {

inline constexpr const wchar_t* kDistributionUnitsPath =
    L"\\SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units";
inline constexpr const wchar_t* kMachineClsidPath = L"\\SOFTWARE\\Classes\\CLSID";
inline constexpr const wchar_t* kExtSettingsPath = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings";
inline constexpr const wchar_t* kExtStatsPath = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats";
inline constexpr const wchar_t* kClassesRootClsidPath = L"\\CLSID";

// One listed control, in the column order of the window's list.
struct ActiveXRow {
  std::wstring Name;          // the class key's default value
  std::wstring Company;       // "CompanyName" of the file's version text
  std::wstring InstallPlace;  // "CODEBASE" of the unit's "DownloadInformation"
  std::wstring CreatedDate;   // the file's creation time as text; empty when it cannot be read
  std::wstring UnitId;        // the unit's key name (the control's CLSID)
  std::wstring FullPath;      // the class's "InprocServer32" default value, unexpanded
};

// Every unit of the record whose class is registered under HKEY_LOCAL_MACHINE
// "\SOFTWARE\Classes\CLSID" with an "InprocServer32" that names an existing
// file by a fully qualified path; in enumeration order. Empty when the record
// is missing.
std::vector<ActiveXRow> ListActiveXControls();

// The creation time of a file as the date column shows it: the user's short
// date, then a space and the long time unless the local time is exactly
// midnight. Empty when the file cannot be opened or its date cannot be shown.
std::wstring CreatedDateText(const std::wstring& path);
// The same text for a creation time as the file system gives it (UTC).
std::wstring DateColumnText(const FILETIME& creationUtc);

// Deletes the key `name` below root\base with everything beneath it, depth
// first. `name` must be one plain key name. Keys are opened relative to the
// key above them and deleted through their own handle, so a key that is a
// registry link is removed as a link and nothing it points at is touched; a
// base below HKEY_CURRENT_USER (which its user can rearrange) is opened one
// key at a time, refusing links. Does nothing when the key or base is missing.
void DelRegistryKey(HKEY root, const std::wstring& base, const std::wstring& name);

// The five deletions of a control's keys, in this order: the unit's record,
// the machine's class, the user's Ext "Settings" and "Stats" entries, and the
// class under HKEY_CLASSES_ROOT (often the same key as the machine's class,
// found gone by then).
void DelActiveXRegistry(const std::wstring& unitId);

// Unregisters the in-process server at `path` with "regsvr32 /u /s" from the
// system folder, hidden, waiting at most `timeoutMs`. False when it could not
// be started.
bool UnregisterServer(const std::wstring& path, DWORD timeoutMs = 5000);

// Deletes the file at a fully qualified `path` itself (a link there is removed,
// not followed). Every folder on the way is held open while the file goes and
// must be a real folder, not a link: a folder that could be swapped for a link
// to another place does not lead the deletion elsewhere. False when the file
// was not deleted.
bool DeleteServerFile(const std::wstring& path);

}  // namespace vantrel::activex
