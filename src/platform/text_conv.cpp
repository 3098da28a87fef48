#include "platform/text_conv.h"

#include <windows.h>

#include <climits>

namespace vantrel::platform {

namespace {

// Texts longer than this are not converted (no length computation may overflow).
constexpr size_t kMaxChars = INT_MAX / 4;

struct Narrowed {
  std::string bytes;
  bool ok = false;           // the conversion ran
  bool usedDefault = false;  // a character became the default character
};

int Convert(unsigned codePage, DWORD flags, std::wstring_view text, char* out, int size, BOOL* usedDefault) {
  return ::WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), out, size, nullptr,
                               usedDefault);
}

Narrowed Narrow(std::wstring_view text, unsigned codePage) {
  Narrowed result;
  if (text.size() > kMaxChars) return result;
  if (text.empty()) {
    result.ok = true;
    return result;
  }
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* check = &usedDefault;
  int n = Convert(codePage, flags, text, nullptr, 0, check);
  if (n <= 0 && (::GetLastError() == ERROR_INVALID_FLAGS || ::GetLastError() == ERROR_INVALID_PARAMETER)) {
    // UTF-8 (also as the ANSI code page), UTF-7 and a few others take
    // neither the flag nor the check; they have no best-fit table, and the
    // read-back of ToNarrowExact decides for them.
    flags = 0;
    check = nullptr;
    n = Convert(codePage, flags, text, nullptr, 0, check);
  }
  if (n <= 0) return result;
  result.bytes.assign(static_cast<size_t>(n), '\0');
  if (Convert(codePage, flags, text, result.bytes.data(), n, check) != n) return Narrowed{};
  result.ok = true;
  result.usedDefault = usedDefault != FALSE;
  return result;
}

}  // namespace

std::wstring ToWide(std::string_view bytes, unsigned codePage) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  int n = ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

std::string ToNarrow(std::wstring_view text, unsigned codePage) {
  Narrowed narrowed = Narrow(text, codePage);
  return narrowed.ok ? std::move(narrowed.bytes) : std::string();
}

std::optional<std::string> ToNarrowExact(std::wstring_view text, unsigned codePage) {
  Narrowed narrowed = Narrow(text, codePage);
  if (!narrowed.ok || narrowed.usedDefault) return std::nullopt;
  if (ToWide(narrowed.bytes, codePage) != text) return std::nullopt;
  return std::move(narrowed.bytes);
}

}  // namespace vantrel::platform
