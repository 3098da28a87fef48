#pragma once
// How every window takes its captions and messages from the language table
// when it is created: the section is the window's component name; the
// window caption's key is that name; each translated control, menu item,
// tab sheet and list column ("lv1.Columns.Items[0]") is read in the window's
// fixed order with its current caption as the default. Without an open
// table every caption keeps its designed text and every message its
// built-in default.
#include <string>
#include <string_view>

#include "core/language_table.h"

namespace vantrel::ui {

class Control;
class Form;
class ListView;
class PageControl;
class PopupMenu;

class CaptionReader {
 public:
  // The section of the current language table named after the component.
  explicit CaptionReader(std::wstring_view component);
  // A given section (tests, or a table that is not the current one).
  CaptionReader(std::wstring_view component, LanguageSection section, bool hasTable = true);

  bool HasTable() const { return hasTable_; }
  void Window(Form& form) const;
  void Caption(Control& control, std::wstring_view key) const;
  // Key: list name + ".Columns.Items[" + index + "]".
  void Column(ListView& list, std::wstring_view listName, int index) const;
  void Columns(ListView& list, std::wstring_view listName) const;  // every column, from 0
  void MenuItem(PopupMenu& menu, int index, std::wstring_view key) const;
  void Sheet(PageControl& pages, int index, std::wstring_view key) const;

  // A message with "#13" / "#10" turned into line breaks.
  std::wstring Message(std::wstring_view key, std::wstring_view def) const;
  // A text as it is stored.
  std::wstring Text(std::wstring_view key, std::wstring_view def) const;

  static std::wstring ColumnKey(std::wstring_view listName, int index);

 private:
  std::wstring component_;
  LanguageSection section_;
  bool hasTable_;
};

}  // namespace vantrel::ui
