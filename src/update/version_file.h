#pragma once
// The version announcement "/version.html": single-byte text, lines ending
// in CR LF, LF or CR, each line carrying a value when it begins (at its very
// first character, in exactly this letter case) with one of the keys. Pure
// code: no Windows headers.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// At most this many bytes of a reply are considered.
inline constexpr size_t kVersionFileLimit = 1023;
// The pop-up interval until an announcement sets another: 8 hours.
inline constexpr uint32_t kDefaultPopupInterval = 28'800'000;

// The values of one announcement; a key without a line stays empty (nullopt).
// The last line of a key counts.
struct VersionAnnouncement {
  std::optional<std::string> version;          // "Vantrel Version="
  std::optional<std::string> popupTime;        // "PopupTime="
  std::optional<std::string> popupUrl;         // "PopupURL=" (Korean user interface)
  std::optional<std::string> enPopupUrl;       // "EnPopupURL=" (any other)
  std::optional<std::string> normalUpdateUrl;  // "NormalUpdateURL="
  std::optional<std::string> launchSite;       // "LaunchSite="
};

// Reads a reply body. The text ends at its first NUL byte and after
// kVersionFileLimit bytes; when a longer reply is cut there, the line the
// cut falls into is dropped, so that no value is ever taken half.
VersionAnnouncement ParseVersionFile(std::string_view body);

// Whether an announced pop-up page is a web address the shell may open:
// "http://" or "https://" (any letter case) and more, without blanks,
// control characters or double quotes. Anything else (a program path, a
// share, a file: address) would be started by the shell with this
// program's rights.
bool IsWebAddress(std::string_view value);

// The pop-up interval for a "PopupTime=" value: nullopt for an empty value
// (the interval stays as it is); hours x 3,600,000 modulo 2^32 for a decimal
// whole number (a sign allowed, 32-bit range); kDefaultPopupInterval for
// anything else.
std::optional<uint32_t> PopupIntervalFor(std::string_view value);

}  // namespace vantrel
