#include "ui/captions.h"

#include "core/app_state.h"
#include "core/text_rules.h"
#include "ui/list_view.h"
#include "ui/page_control.h"
#include "ui/tray_icon.h"
#include "ui/window.h"

namespace vantrel::ui {

CaptionReader::CaptionReader(std::wstring_view component)
    : component_(component), section_(ReadLanguageSection(component)), hasTable_(CurrentLanguageTable() != nullptr) {}

CaptionReader::CaptionReader(std::wstring_view component, LanguageSection section, bool hasTable)
    : component_(component), section_(std::move(section)), hasTable_(hasTable) {}

std::wstring CaptionReader::ColumnKey(std::wstring_view listName, int index) {
  return std::wstring(listName) + L".Columns.Items[" + DecimalText(index) + L"]";
}

void CaptionReader::Window(Form& form) const {
  if (hasTable_) form.SetCaption(section_.Text(component_, form.Caption()));
}

void CaptionReader::Caption(Control& control, std::wstring_view key) const {
  if (hasTable_) control.SetText(section_.Text(key, control.Text()));
}

void CaptionReader::Column(ListView& list, std::wstring_view listName, int index) const {
  if (hasTable_) list.SetColumnCaption(index, section_.Text(ColumnKey(listName, index), list.ColumnCaption(index)));
}

void CaptionReader::Columns(ListView& list, std::wstring_view listName) const {
  for (int i = 0; i < list.ColumnCount(); ++i) Column(list, listName, i);
}

void CaptionReader::MenuItem(PopupMenu& menu, int index, std::wstring_view key) const {
  if (hasTable_) menu.SetCaption(index, section_.Text(key, menu.Caption(index)));
}

void CaptionReader::Sheet(PageControl& pages, int index, std::wstring_view key) const {
  if (hasTable_) pages.SetSheetCaption(index, section_.Text(key, pages.SheetCaption(index)));
}

std::wstring CaptionReader::Message(std::wstring_view key, std::wstring_view def) const {
  return section_.Message(key, def);
}

std::wstring CaptionReader::Text(std::wstring_view key, std::wstring_view def) const {
  return section_.Text(key, def);
}

}  // namespace vantrel::ui
