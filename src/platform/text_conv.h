#pragma once
// Text conversion at the edges that are fixed as ANSI or as a given code page.
// The one conversion from UTF-16 to a code page of the whole program (and of
// Schedlet.dll): never best-fit, so that no look-alike ("l" for "ł", "\" for
// a full-width backslash, "|" for a full-width bar) can forge a path or a
// separator.
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::platform {

inline constexpr unsigned kCodePageAnsi = 0;      // CP_ACP
inline constexpr unsigned kCodePageKorean = 949;  // the Korean language table
inline constexpr unsigned kCodePageUtf8 = 65001;

std::wstring ToWide(std::string_view bytes, unsigned codePage = kCodePageAnsi);

// UTF-16 to the code page; a character it lacks becomes the code page's
// default character ("?"), never a look-alike. For texts that are only shown
// or compared.
std::string ToNarrow(std::wstring_view text, unsigned codePage = kCodePageAnsi);

// UTF-16 to the code page only when every character converts exactly: none
// when one would become the default character, and none unless the bytes
// read back as the same text. For everything that is acted on: paths, names
// that are looked up again, stored values.
std::optional<std::string> ToNarrowExact(std::wstring_view text, unsigned codePage = kCodePageAnsi);

}  // namespace vantrel::platform
