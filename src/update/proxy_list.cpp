#include "update/proxy_list.h"

#include <optional>
#include <vector>

namespace vantrel {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerText(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

std::string_view Trim(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<std::string> SplitEntries(std::string_view list) {
  std::string text(list);
  for (char& c : text)
    if (c == ' ') c = ',';
  std::vector<std::string> entries;
  size_t at = 0;
  for (;;) {
    if (at < text.size() && text[at] == '"') {
      // A quoted entry: up to the closing quote, without the quotes; the
      // rest up to the next comma belongs to it too.
      const size_t close = text.find('"', at + 1);
      std::string entry = text.substr(at + 1, close == std::string::npos ? std::string::npos : close - at - 1);
      size_t next = close == std::string::npos ? text.size() : close + 1;
      const size_t comma = text.find(',', next);
      entry += text.substr(next, comma == std::string::npos ? std::string::npos : comma - next);
      entries.push_back(entry);
      if (comma == std::string::npos) break;
      at = comma + 1;
      continue;
    }
    const size_t comma = text.find(',', at);
    entries.push_back(text.substr(at, comma == std::string::npos ? std::string::npos : comma - at));
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  return entries;
}

std::optional<int32_t> ReadPort(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  int32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 65535) return std::nullopt;
  return value;
}

}  // namespace

TProxySetting SelectProxy(std::string_view list, std::string_view protocol) {
  const std::string prefix = LowerText(protocol.empty() ? std::string_view("http") : protocol) + "=";
  std::optional<std::string> selected;
  std::string fallback;
  for (const std::string& entry : SplitEntries(list)) {
    if (LowerText(entry).compare(0, prefix.size(), prefix) == 0) {
      selected = entry.substr(entry.find('=') + 1);
      break;
    }
    if (entry.find('=') == std::string::npos) fallback = entry;
  }
  const std::string chosen = selected ? *selected : fallback;
  TProxySetting setting;
  if (chosen.empty()) return setting;
  const size_t colon = chosen.find(':');
  const std::string_view host = Trim(std::string_view(chosen).substr(0, colon));
  std::optional<int32_t> port = 80;
  if (colon != std::string::npos) port = ReadPort(Trim(std::string_view(chosen).substr(colon + 1)));
  if (host.empty() || !port) return setting;
  setting.Enabled = true;
  for (char c : host) setting.Host += static_cast<wchar_t>(static_cast<unsigned char>(c));
  setting.Port = *port;
  return setting;
}

}  // namespace vantrel
