#include "update/version_file.h"

#include <array>
#include <utility>

namespace vantrel {

VersionAnnouncement ParseVersionFile(std::string_view body) {
  std::string_view text = body;
  const size_t nul = text.find('\0');
  bool cut = false;
  if (nul != std::string_view::npos && nul <= kVersionFileLimit) {
    text = text.substr(0, nul);
  } else if (text.size() > kVersionFileLimit) {
    text = text.substr(0, kVersionFileLimit);
    cut = true;
  }
  if (cut) {
    // Only whole lines of a reply that went on beyond the limit.
    const size_t lastBreak = text.find_last_of("\r\n");
    text = lastBreak == std::string_view::npos ? std::string_view() : text.substr(0, lastBreak + 1);
  }

  VersionAnnouncement out;
  // In the order in which a line is matched against the keys.
  const std::array<std::pair<std::string_view, std::optional<std::string>*>, 6> keys{{
      {"Vantrel Version=", &out.version},
      {"PopupTime=", &out.popupTime},
      {"PopupURL=", &out.popupUrl},
      {"EnPopupURL=", &out.enPopupUrl},
      {"NormalUpdateURL=", &out.normalUpdateUrl},
      {"LaunchSite=", &out.launchSite},
  }};
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(at, end - at);
    for (const auto& [key, value] : keys) {
      if (line.substr(0, key.size()) == key) {
        *value = std::string(line.substr(key.size()));
        break;
      }
    }
    // CR LF, LF or CR ends the line.
    at = end;
    if (at < text.size()) at += text.compare(at, 2, "\r\n") == 0 ? 2 : 1;
  }
  return out;
}

bool IsWebAddress(std::string_view value) {
  auto startsWith = [value](std::string_view scheme) {
    if (value.size() <= scheme.size()) return false;
    for (size_t i = 0; i < scheme.size(); ++i) {
      const char c = value[i] >= 'A' && value[i] <= 'Z' ? static_cast<char>(value[i] - 'A' + 'a') : value[i];
      if (c != scheme[i]) return false;
    }
    return true;
  };
  if (!startsWith("http://") && !startsWith("https://")) return false;
  for (char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || c == '"') return false;
  }
  return true;
}

std::optional<uint32_t> PopupIntervalFor(std::string_view value) {
  if (value.empty()) return std::nullopt;
  std::string_view digits = value;
  bool negative = false;
  if (digits.front() == '+' || digits.front() == '-') {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty() || digits.size() > 10) return kDefaultPopupInterval;
  int64_t hours = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return kDefaultPopupInterval;
    hours = hours * 10 + (c - '0');
  }
  if (negative) hours = -hours;
  if (hours < INT32_MIN || hours > INT32_MAX) return kDefaultPopupInterval;
  // Modulo 2^32, as the interval is a 32-bit unsigned count of milliseconds.
  return static_cast<uint32_t>(static_cast<uint64_t>(hours) * 3'600'000u);
}

}  // namespace vantrel
