#pragma once
// The system's Internet proxy for HTTP, as WinINet's settings give it. Built
// into both programs; read once per process.
#include <string>

#include "update/proxy_list.h"

namespace vantrel {

// The proxy for `protocol` ("http"; empty means "http"). The first call that
// reaches WinINet's setting fills a process-wide cache, which every later
// call returns, whatever the protocol. Where WinINet or its query function
// is missing there is no proxy, and the next call tries again.
TProxySetting DetectProxy(const std::string& protocol);

// Empties the cache (tests only: the program reads the setting once).
void ResetProxyCacheForTesting();

}  // namespace vantrel
