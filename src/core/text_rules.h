#pragma once
// Small text rules shared by every window. Pure: no Windows headers.
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// "#13" becomes CR, then "#10" becomes LF (exact, case-sensitive).
std::wstring UnescapeLineBreaks(std::wstring_view text);

// Splits off the first field of `text` up to `separator`. The token is the
// text before the separator; `text` keeps what follows it. Without a
// separator the token is the whole text and `text` becomes empty.
std::wstring TakeToken(std::wstring& text, std::wstring_view separator);

// Replaces every occurrence of `from` with `to`.
std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to);

// Decimal digits of `value`, with a leading '-' when negative; at least
// `width` digits, zero-padded ("%0*lld" without the C runtime's printf,
// which would bring its whole formatting and floating-point code along).
std::wstring DecimalText(int64_t value, int width = 1);

// Upper-case hexadecimal digits of `value`, zero-padded to at least `width`
// ("%0*llX").
std::wstring HexText(uint64_t value, int width = 1);

}  // namespace vantrel
