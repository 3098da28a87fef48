#pragma once
// The system's Internet proxy setting for one protocol, chosen from the
// proxy list text that WinINet reports ("http=p1:8080 https=p2:8443",
// "p1:3128", ...). Pure code: no Windows headers.
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

struct TProxySetting {
  bool Enabled = false;
  std::wstring Host;
  int32_t Port = 0;
};

// Blanks count as commas; entries are split at commas (empty ones count, a
// quoted entry runs to its closing quote). The first "<protocol>=" entry
// (protocol matched regardless of case; empty means "http") wins; otherwise
// the last entry without "=" is the fallback, an empty one included. The
// chosen text is "host:port"; blanks around either part are trimmed.
// A host without a port gets port 80, as WinINet itself does; a port that is
// not a decimal number from 1 to 65535 gives no proxy at all.
TProxySetting SelectProxy(std::string_view list, std::string_view protocol);

}  // namespace vantrel
