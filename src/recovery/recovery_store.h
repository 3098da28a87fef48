#pragma once
// The recovery store: the index file "Recovery.ini" and the payload folder
// "dat" in the data folder. Every tool writes a record here before it
// removes an item; the recovery window reads the records back to restore or
// purge. Formats in recovery_format.h.
//
// Safety rules of this elevated program in a user-writable folder:
// - The data folder and the dat folder must be real folders, not links: a
//   folder that is a reparse point is refused, and the folder is held open
//   without delete sharing while files in it are written, moved or deleted,
//   so that it cannot be swapped for a link meanwhile.
// - Payload names are plain file names (IsPlainFileName); a record naming
//   anything else ("..\x", "C:\x") gives no payload path.
// - Files are deleted through a handle opened on the entry itself (a link is
//   removed, never what it points at).
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/windows_bitness.h"
#include "recovery/recovery_format.h"
#include "recovery/registry_view.h"

namespace vantrel::recovery {

// Where the store lives.
struct RecoveryStore {
  std::wstring indexPath;  // "...\Recovery.ini"
  std::wstring datFolder;  // "...\dat", no trailing backslash

  // GetRecoveryIniPath() and GetDatFolder() (which creates the dat folder hidden).
  static RecoveryStore System();
};

// Adds one record to a section unless the same text (byte for byte) is
// already there: "COUNT" is written first, then the item; a file that did
// not exist is made hidden. True when the record is in the section
// afterwards (appended now or already there), false when nothing could be
// stored: a record that could not be read back as the same fields
// (CanStoreRecord; characters outside the ANSI code page), a refused write,
// a data folder that is a link. A writer removes an item only after true.
//
// A damaged section is never made worse: a new record goes after the
// highest item present even when "COUNT" is smaller, so no item is
// overwritten.
bool AppendRecoveryRecord(const RecoveryStore& store, const std::wstring& section, const RecoveryRecord& fields);
bool AppendRecoveryRecord(const std::wstring& section, const RecoveryRecord& fields);

// The records of items 0 ... COUNT - 1 in order, each with
// ReaderFieldCount(section) fields. Empty and missing items are skipped; a
// "COUNT" larger than the items costs nothing (only the items present are
// read). Values are read whole, also beyond 2,047 characters.
std::vector<RecoveryRecord> ReadRecoverySection(const RecoveryStore& store, const std::wstring& section);
std::vector<RecoveryRecord> ReadRecoverySection(const std::wstring& section);

// Replaces the section by `records`, numbered from 0 (RewriteText forms),
// and "COUNT" by their number (also 0). Items at or above the old "COUNT",
// which ReadRecoverySection never gave, are kept unchanged after them and
// counted. Every other item key of the section is removed. False when a
// write was refused.
bool RewriteRecoverySection(const RecoveryStore& store, const std::wstring& section,
                            const std::vector<RecoveryRecord>& records);
bool RewriteRecoverySection(const std::wstring& section, const std::vector<RecoveryRecord>& records);

// Payload paths: dat folder + "\" + name (+ ".scd" for a task). Empty when
// there is no dat folder or the name is not a plain file name.
std::wstring StartupBackupPath(const RecoveryStore& store, const std::wstring& name);
std::wstring TaskBackupPath(const RecoveryStore& store, const std::wstring& task);
std::wstring RegistryExportPath(const RecoveryStore& store, const std::wstring& keyName);
std::wstring StartupBackupPath(const std::wstring& name);
std::wstring TaskBackupPath(const std::wstring& task);
std::wstring RegistryExportPath(const std::wstring& keyName);

// The payload path of a START_PROGRAM record: its fifth field when set,
// else its name. Empty for registry records and bad names.
std::wstring StartupPayloadPath(const RecoveryStore& store, const RecoveryRecord& record);

// The payload path of an ICON record (its registry export): its fourth field
// when set, else its key name (third field). Empty for bad names.
std::wstring IconPayloadPath(const RecoveryStore& store, const RecoveryRecord& record);

// A name under which a Startup-folder entry can be saved in the dat folder
// without replacing anything there: `name` itself when free, else
// name + ".2", ".3", ... Empty when none can be found.
std::wstring FreeStartupPayloadName(const RecoveryStore& store, const std::wstring& name);

// Backs up and removes one Startup-folder entry (file or sub-folder):
// appends its START_PROGRAM record (name, maker, folder, "STARTUP", and
// the payload name when it differs from the name), then moves the entry
// into the dat folder under that payload name (never replacing a file) and
// hides it. True when the entry has left the Startup folder and is in the
// dat folder. On false the entry is where it was; nothing is deleted.
bool MoveStartupEntryToStore(const RecoveryStore& store, const std::wstring& folder, const std::wstring& name,
                             const std::wstring& maker);

// Moves the payload of a START_PROGRAM record (StartupPayloadPath) back out
// of the dat folder to `target` (a full path), never replacing an entry
// there, and clears its attributes (it is no longer hidden). True when the
// entry is at `target`; on false nothing was moved.
bool MoveStartupEntryFromStore(const RecoveryStore& store, const RecoveryRecord& record, const std::wstring& target);

// Deletes one payload file of the dat folder (a purge, or after a restore).
// True when no entry of that name is left. Folders are not deleted.
bool DeletePayloadFile(const RecoveryStore& store, const std::wstring& name);

// Writes the registry export file of root\baseKey\keyName into the dat
// folder (RegistryExportPath(keyName)): an older file of that name is
// deleted first; when the key cannot be opened no file is written. Values
// that cannot be written as lines (other types than text and DWORD, names
// holding " = ", line breaks, characters outside the ANSI code page) are
// left out and named in `leftOut`. True when the file was written.
// `view` (64-bit Windows): the key is read in that registry view and the
// file names it (registry_view.h); Default reads without a view flag and
// writes the file as before.
bool ExportRegistryKey(const RecoveryStore& store, HKEY root, const std::wstring& baseKey,
                       const std::wstring& keyName, std::vector<std::wstring>* leftOut = nullptr,
                       RegistryView view = RegistryView::Default);
bool ExportRegistryKey(HKEY root, const std::wstring& baseKey, const std::wstring& keyName,
                       std::vector<std::wstring>* leftOut = nullptr, RegistryView view = RegistryView::Default);

// A name under which a registry export of `keyName` can be written into the
// dat folder without replacing an older backup: `keyName` itself when free,
// else keyName + ".2", ".3", ... (the rule of FreeStartupPayloadName).
// Empty when none can be found.
std::wstring FreeRegistryExportName(const RecoveryStore& store, const std::wstring& keyName);

// Like ExportRegistryKey, but the file is dat folder + "\" + payloadName,
// and it is written only when no entry of that name exists: nothing is
// ever deleted or replaced. False when the name is not a plain file name
// or is taken, the key cannot be opened, or the file cannot be written (a
// file cut short is removed again).
bool ExportRegistryKeyAs(const RecoveryStore& store, const std::wstring& payloadName, HKEY root,
                         const std::wstring& baseKey, const std::wstring& keyName,
                         std::vector<std::wstring>* leftOut = nullptr, RegistryView view = RegistryView::Default);

// Writes the values of an export file back: key root\base\name (created
// when missing); texts as REG_SZ, numbers as REG_DWORD. Nothing is written
// when the file is missing, lacks a header line, or names a key outside its
// base (IsImportableKey); with `allowedBaseKey` the base must also be that
// key (the recovery window passes the extension key of its ICON records).
// True when the key was opened and the values written. The key is written
// in `view` when given, else in the view the file names (none: no view
// flag, as for files of earlier versions).
bool ImportRegistryExport(const std::wstring& file, const std::optional<std::wstring>& allowedBaseKey = std::nullopt,
                          std::optional<RegistryView> view = std::nullopt);

// The access flag of a view: KEY_WOW64_64KEY, KEY_WOW64_32KEY or 0.
REGSAM ViewFlag(RegistryView view);

// The bitness of the system programs (regsvr32) that register a server of
// that view: a 64-bit server is registered by the 64-bit program and the
// other way round; Default takes the process's own.
platform::ProgramBits ProgramBitsOf(RegistryView view);

}  // namespace vantrel::recovery
