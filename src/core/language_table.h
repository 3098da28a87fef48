#pragma once
// The language table: a private-profile file (CR LF lines, "[Section]",
// "Key=Value") in code page 949 (Korean) or ASCII (English), extracted at
// start to the data folder as "Vantrel.dat" and kept open for the run.
// Each window reads its section when it is created.
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace vantrel {

// One section's keys and values as read from the file at one moment.
class LanguageSection {
 public:
  LanguageSection() = default;
  // The value when the key exists (also when it is empty), otherwise `def`.
  // Blanks around the value are dropped; at most 2,047 characters.
  std::wstring Text(std::wstring_view key, std::wstring_view def) const;
  // Text(), then "#13" -> CR and "#10" -> LF.
  std::wstring Message(std::wstring_view key, std::wstring_view def) const;
  bool Has(std::wstring_view key) const;

  // Used by the reader; keys are compared without regard to case.
  void Set(std::wstring key, std::wstring value);

 private:
  std::map<std::wstring, std::wstring> values_;  // key folded to upper case
};

class LanguageTable {
 public:
  // Opens the table file (kept open until destroyed; others may still read,
  // write or delete it).
  // `codePage` decodes its bytes (949 for Korean, whatever the system's ANSI
  // code page is). Null when the file cannot be opened.
  static std::unique_ptr<LanguageTable> Open(const std::wstring& path, unsigned codePage);
  ~LanguageTable();
  LanguageTable(const LanguageTable&) = delete;
  LanguageTable& operator=(const LanguageTable&) = delete;

  // Reads the file afresh and returns the named section (empty when absent).
  LanguageSection Section(std::wstring_view name) const;
  const std::wstring& path() const { return path_; }

 private:
  LanguageTable(std::wstring path, unsigned codePage, void* handle);
  std::wstring path_;
  unsigned codePage_;
  void* handle_;  // the open file
};

// The named section of a table's decoded text (empty when absent). Damaged
// lines are skipped, so only their keys fall back to the defaults.
LanguageSection LanguageSectionFromText(std::wstring_view text, std::wstring_view name);

// Reads a section of the current language table, or an empty section when
// no table is open (every text then takes its default).
LanguageSection ReadLanguageSection(std::wstring_view name);

}  // namespace vantrel
