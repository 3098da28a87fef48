#pragma once
// Which registry view (64-bit Windows) an add-on backup belongs to, written
// so that the existing record and export formats stay readable by every
// reader: pure, no Windows headers.
//
// - BHO and TOOLBAR records: the fifth field (class id, toolbar id) of an
//   add-on of the 64-bit view ends in " (64-bit)"; a plain id is the view
//   older versions always used (the 32-bit one on 64-bit Windows, the only
//   one elsewhere). Readers of older versions keep that field hidden and
//   restore through the server path only, so the suffix changes nothing
//   for them.
// - Registry export files: a line "REGISTRY_VIEW = 64-bit" or
//   "REGISTRY_VIEW = 32-bit" after the three header lines. It has no value
//   type, so every import that does not know it skips it; a file without
//   it is imported without a view flag, as before.
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::recovery {

enum class RegistryView { Default, Bits64, Bits32 };

inline constexpr std::wstring_view k64BitIdSuffix = L" (64-bit)";
inline constexpr std::wstring_view kExportViewKey = L"REGISTRY_VIEW";

// The id as a record stores it: `id` + " (64-bit)" for the 64-bit view.
std::wstring RecordIdWithView(std::wstring_view id, RegistryView view);
// The id and view of a record's fifth field: the 64-bit view when it ends in
// the suffix (which is then removed), Default otherwise.
struct RecordId {
  std::wstring id;
  RegistryView view = RegistryView::Default;
};
RecordId SplitRecordIdView(std::wstring_view field);

// The export line naming a view; empty for Default (no line is written).
std::wstring ExportViewLine(RegistryView view);
// The view an export file's lines name; Default when none does.
RegistryView ExportViewOfLines(const std::vector<std::wstring>& lines);

}  // namespace vantrel::recovery
