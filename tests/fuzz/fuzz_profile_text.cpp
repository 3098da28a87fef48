// Profile text ("Vantrel.ini", the language tables) as the parser reads it:
// any text parses, and what it gives keeps the rules readers rely on.
#include <cstddef>
#include <cstdint>
#include <set>

#include "core/profile_text.h"
#include "fuzz_input.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = fuzz::Utf16Units(data, size);
  const ProfileText parsed = ParseProfileText(text);

  std::set<std::wstring> sections;
  for (const ProfileSection& section : parsed.sections) {
    // A repeated header continues the first section of that name.
    FUZZ_CHECK(sections.insert(FoldProfileName(section.name)).second);
    FUZZ_CHECK(parsed.Find(section.name) == &section);
    std::set<std::wstring> keys;
    for (const ProfileEntry& entry : section.entries) {
      FUZZ_CHECK(!entry.key.empty());
      FUZZ_CHECK(keys.insert(FoldProfileName(entry.key)).second);  // the first value wins
      FUZZ_CHECK(entry.value.size() <= kProfileValueMax);
      for (const std::wstring* s : {&section.name, &entry.key, &entry.value})
        FUZZ_CHECK(s->find_first_of(L"\r\n\uFFFD") == std::wstring::npos);
      FUZZ_CHECK(section.Find(entry.key) == &entry);
      FUZZ_CHECK(parsed.Value(section.name, entry.key) == entry.value);
    }
  }
  size_t previous = 0;
  for (size_t line : parsed.damagedLines) {
    FUZZ_CHECK(line > previous);  // 1-based, each line once, in order
    previous = line;
  }
  FUZZ_CHECK(previous <= text.size() + 1);
  return 0;
}
