#pragma once
// Text formats of the recovery store: the records of "Recovery.ini" and the
// lines of a registry export file. Pure: no Windows headers; the file work
// is in recovery_store.h.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::recovery {

// Sections of the index file.
inline constexpr wchar_t kStartProgramSection[] = L"START_PROGRAM";
inline constexpr wchar_t kSchedulerSection[] = L"SCHEDULERE";
inline constexpr wchar_t kBhoSection[] = L"BHO";
inline constexpr wchar_t kToolbarSection[] = L"TOOLBAR";
inline constexpr wchar_t kIconSection[] = L"ICON";
inline constexpr wchar_t kCountKey[] = L"COUNT";

inline constexpr std::wstring_view kFieldSeparator = L"||";
// The longest record the format's readers see (a 2,048-character buffer).
inline constexpr size_t kRecordTextLimit = 2047;

// A record: its fields in order.
using RecoveryRecord = std::vector<std::wstring>;

// How many fields ReadRecoverySection gives for a section:
//   "START_PROGRAM" 5: name, maker, command, location, payload. The fifth
//     field is written only when a Startup-folder file was saved in the dat
//     folder under another name than its own (an older backup held that
//     name); it is empty otherwise. Readers that take four fields ignore it.
//   "SCHEDULERE" 4, "BHO" 5, "TOOLBAR" 5.
//   "ICON" 4: name, homepage, key name, payload. The fourth field is set only
//     when the key's export was saved in the dat folder under another name
//     than the key's (an export of a key of the same name was still kept
//     there); it is empty otherwise. Readers that take three fields ignore it.
//   Any other section 0 (all fields, as many as the record has).
size_t ReaderFieldCount(std::wstring_view section);

// "ITEM" + index in decimal without leading zeros.
std::wstring ItemKey(size_t index);
// The index of an item key ("ITEM7", "item7": 7); none for other keys and
// for indices with leading zeros ("ITEM07"), which the format never writes.
std::optional<size_t> ItemIndexOfKey(std::wstring_view key);
// "COUNT" as the format reads it: a decimal number, else 0.
size_t ParseCount(std::wstring_view text);

// The fields joined with "||".
std::wstring JoinRecord(const RecoveryRecord& fields);
// The record of an item's text: fields split from the left at "||"; the
// last field wanted runs to the next "||" or the end; missing fields are
// empty, surplus text is dropped. fieldCount 0: every field.
RecoveryRecord SplitRecord(std::wstring text, size_t fieldCount);

// Whether a record can be appended and read back as the same fields: no
// field contains "||", no field but the last ends in "|" (it would run into
// the separator), and the joined text fits one value of the index file (no
// line break or NUL, no blank or tab at either end and no pair of outer
// quotes, which the profile functions strip, at most 2,047 characters).
bool CanStoreRecord(const RecoveryRecord& fields);

// The text a rewrite stores for a record. An ICON record: its first three
// fields, then "||", its payload field (usually empty) and "||||", six fields
// in all. A START_PROGRAM record
// whose payload field is empty: its four fields (the payload field only
// when set). Others: all fields joined. Line breaks become blanks, so that
// a record can never become keys of its own.
std::wstring RewriteText(std::wstring_view section, const RecoveryRecord& fields);

// A registry export file (the payload of an ICON record).
struct ExportValue {
  std::wstring name;  // empty: the key's default value
  bool isText = true;
  std::wstring text;   // isText
  int32_t number = 0;  // !isText: a REG_DWORD, written as a signed decimal
};
struct RegistryExport {
  bool userRoot = false;  // "ROOT_KEY = HKEY_CURRENT_USER"; HKEY_LOCAL_MACHINE otherwise
  std::wstring baseKey;   // "BASE_KEY = ..." (e.g. "\Software\Microsoft\Internet Explorer\Extensions")
  std::wstring keyName;   // "CLSID_REGKEY = ..."
  std::vector<ExportValue> values;
};

// Whether a value can be written as a line and read back unchanged: its
// name holds no " = " and does not end in " =" (the line is split at its
// first " = "), neither name nor text holds a line break.
bool CanExportValue(const ExportValue& value);

// The lines of the file, without their CR LF: the three header lines, then
// one line per value that CanExportValue accepts.
std::vector<std::wstring> FormatExportLines(const RegistryExport& file);

// The lines of a text at CR LF, LF or CR (a last line without a break counts).
std::vector<std::wstring> SplitLines(std::wstring_view text);

// Reads the lines of an export file. None when one of the three header lines
// is missing. Value lines are those after the header keys: "name = str::text"
// gives a text, "name = int::number" a number (a decimal from -2147483648 to
// 4294967295; a number above 2147483647 is kept as its 32-bit pattern);
// lines of other types, with a bad number or without " = " are skipped.
std::optional<RegistryExport> ParseExportLines(const std::vector<std::wstring>& lines);

// Whether an export names a key the import may write: a base key of plain
// components ("\A\B", one leading backslash allowed; no empty, "." or ".."
// component, no control characters) and a key name that is one plain
// component. The import writes only into base + "\" + name, so a damaged
// or planted file cannot reach any other key of its root.
bool IsImportableKey(std::wstring_view baseKey, std::wstring_view keyName);

// Two key paths are the same key: letter case (ASCII) and one leading
// backslash do not matter.
bool SameKeyPath(std::wstring_view a, std::wstring_view b);

}  // namespace vantrel::recovery
