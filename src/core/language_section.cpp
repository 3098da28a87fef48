// The text side of the language table: looking up keys with their defaults.
#include "core/language_table.h"
#include "core/profile_text.h"
#include "core/text_rules.h"

namespace vantrel {

std::wstring LanguageSection::Text(std::wstring_view key, std::wstring_view def) const {
  auto it = values_.find(FoldProfileName(key));
  return it != values_.end() ? it->second : std::wstring(def);
}

std::wstring LanguageSection::Message(std::wstring_view key, std::wstring_view def) const {
  return UnescapeLineBreaks(Text(key, def));
}

bool LanguageSection::Has(std::wstring_view key) const {
  return values_.count(FoldProfileName(key)) != 0;
}

void LanguageSection::Set(std::wstring key, std::wstring value) {
  values_[FoldProfileName(key)] = std::move(value);
}

LanguageSection LanguageSectionFromText(std::wstring_view text, std::wstring_view name) {
  LanguageSection section;
  ProfileText parsed = ParseProfileText(text);
  if (const ProfileSection* found = parsed.Find(name)) {
    for (const ProfileEntry& e : found->entries) section.Set(e.key, e.value);
  }
  return section;
}

}  // namespace vantrel
