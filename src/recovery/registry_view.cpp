#include "recovery/registry_view.h"

namespace vantrel::recovery {
namespace {

constexpr std::wstring_view kBits64 = L"64-bit";
constexpr std::wstring_view kBits32 = L"32-bit";

}  // namespace

std::wstring RecordIdWithView(std::wstring_view id, RegistryView view) {
  std::wstring out(id);
  if (view == RegistryView::Bits64) out += k64BitIdSuffix;
  return out;
}

RecordId SplitRecordIdView(std::wstring_view field) {
  RecordId out;
  if (field.size() > k64BitIdSuffix.size() && field.substr(field.size() - k64BitIdSuffix.size()) == k64BitIdSuffix) {
    out.id = field.substr(0, field.size() - k64BitIdSuffix.size());
    out.view = RegistryView::Bits64;
  } else {
    out.id = field;
  }
  return out;
}

std::wstring ExportViewLine(RegistryView view) {
  if (view == RegistryView::Default) return {};
  return std::wstring(kExportViewKey) + L" = " + std::wstring(view == RegistryView::Bits64 ? kBits64 : kBits32);
}

RegistryView ExportViewOfLines(const std::vector<std::wstring>& lines) {
  const std::wstring bits64 = ExportViewLine(RegistryView::Bits64);
  const std::wstring bits32 = ExportViewLine(RegistryView::Bits32);
  for (const auto& line : lines) {
    if (line == bits64) return RegistryView::Bits64;
    if (line == bits32) return RegistryView::Bits32;
  }
  return RegistryView::Default;
}

}  // namespace vantrel::recovery
