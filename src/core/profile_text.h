#pragma once
// Private-profile text: "[Section]" lines and "Key=Value" lines, read the way
// the Windows profile functions read them. Pure: the bytes are decoded by the
// caller, which knows the file's code page.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The longest value the profile functions return (a 2,048-character buffer).
inline constexpr size_t kProfileValueMax = 2047;

struct ProfileEntry {
  std::wstring key;
  std::wstring value;  // blanks around it dropped, outer quotes removed, at most kProfileValueMax
};

struct ProfileSection {
  std::wstring name;
  std::vector<ProfileEntry> entries;  // file order
  const ProfileEntry* Find(std::wstring_view key) const;
};

struct ProfileText {
  std::vector<ProfileSection> sections;  // file order
  // 1-based numbers of the lines that were skipped as damaged: no '=', no key
  // name, control characters or undecodable bytes, an unterminated "[section",
  // or a key before the first section.
  std::vector<size_t> damagedLines;

  const ProfileSection* Find(std::wstring_view name) const;
  // The value of a key, or nothing when the section or the key is missing.
  std::optional<std::wstring> Value(std::wstring_view section, std::wstring_view key) const;
};

// Parses the whole text. Lines end at CR LF, CR or LF. Section and key names
// are compared without regard to case. A key repeated within a section keeps
// its first value; a repeated section header continues the first section of
// that name, so the first occurrence of every key still wins. A damaged line
// is skipped and does not disturb the lines around it. A line holding U+FFFD
// (the decoder's mark for bytes it could not read) counts as damaged.
ProfileText ParseProfileText(std::wstring_view text);

// A section or key name folded for comparison (ASCII letters to upper case).
std::wstring FoldProfileName(std::wstring_view name);

}  // namespace vantrel
