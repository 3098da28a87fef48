#pragma once
// Text conversion at the edges that are fixed as ANSI or as a given code page.
#include <string>
#include <string_view>

namespace vantrel::platform {

inline constexpr unsigned kCodePageAnsi = 0;      // CP_ACP
inline constexpr unsigned kCodePageKorean = 949;  // the Korean language table
inline constexpr unsigned kCodePageUtf8 = 65001;

std::wstring ToWide(std::string_view bytes, unsigned codePage = kCodePageAnsi);
std::string ToNarrow(std::wstring_view text, unsigned codePage = kCodePageAnsi);

}  // namespace vantrel::platform
