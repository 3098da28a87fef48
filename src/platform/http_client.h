#pragma once
// A small HTTP/1.1 client over WinINet, shared by the version check and the
// updater: GET into memory or into a file, HEAD, an optional explicit proxy,
// redirects handed back to the caller (never followed), Content-Length, and
// progress from the read loop. WinINet is bound at run time (wininet_api.h).
//
// The time-outs are enforced here, not left to WinINet (which ignores the
// connect time-out on some systems): each request runs on a helper thread
// while the calling thread waits with a deadline. A request that passes its
// deadline is abandoned: its handles are closed, nothing more reaches the
// caller's buffer or file, and the call returns HttpError::Timeout at once.
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/internet_handle.h"
#include "platform/unique_handle.h"
#include "platform/wininet_api.h"

namespace vantrel::platform {

struct HttpSettings {
  // An explicit proxy; otherwise the connection is direct.
  bool useProxy = false;
  std::wstring proxyHost;
  int proxyPort = 0;
  // Connecting (until the reply's headers may begin), then each wait for
  // data: the headers, and every piece of the body.
  DWORD connectTimeoutMs = 3000;
  DWORD readTimeoutMs = 3000;
  std::wstring userAgent = L"Vantrel";
  std::wstring accept;  // Accept header; none when empty
};

enum class HttpError {
  None,       // a reply arrived (any status); see HttpResult::status
  BadUrl,     // not an http or https address
  Connect,    // no connection, a broken one, or another WinINet failure
  Timeout,    // a deadline passed (connect or read)
  Write,      // the body could not be written to the file
  Cancelled,  // the caller's cancel check said so
};

struct HttpResult {
  HttpError error = HttpError::None;
  DWORD systemError = 0;  // WinINet / Win32 error code behind `error`
  DWORD status = 0;       // HTTP status of the reply
  std::wstring location;  // a redirect's target, made absolute
  bool hasContentLength = false;
  uint64_t contentLength = 0;
  uint64_t received = 0;   // body bytes read
  bool truncated = false;  // the body was longer than the caller's limit

  bool Replied() const { return error == HttpError::None; }
  bool Success() const { return Replied() && status >= 200 && status < 300; }
  bool Redirect() const {
    return Replied() && (status == 301 || status == 302 || status == 303 || status == 307 || status == 308);
  }
};

class HttpClient {
 public:
  // Requests go through `api`, the system's WinINet (handles are closed
  // through WinInetApi(), so another table is only ever an empty one, as
  // the tests hand in); without a complete table every request fails as an
  // unreachable server does: HttpError::Connect, with the table's error.
  explicit HttpClient(HttpSettings settings = {}, const WinInetFunctions& api = WinInetApi());

  // Headers only.
  HttpResult Head(const std::wstring& url);
  // The body of a 2xx reply into `body` (replaced), at most `maxBytes`; a
  // longer body is cut there and `truncated` set. Bodies of other replies
  // are not read.
  HttpResult Get(const std::wstring& url, std::string* body, size_t maxBytes = SIZE_MAX);
  // The body of a 2xx reply appended to an open file; with `maxBytes`, at
  // most that many bytes and one more, which sets `truncated` and ends the
  // request (a reply longer than announced never fills the disk).
  HttpResult GetToFile(const std::wstring& url, HANDLE file, uint64_t maxBytes = UINT64_MAX);

  // Called on the calling thread with the body bytes read so far in the
  // current request, after each piece.
  std::function<void(uint64_t received)> onProgress;
  // Asked on the calling thread at least every 100 ms while a request runs;
  // true abandons the request (HttpError::Cancelled).
  std::function<bool()> cancelled;

  const HttpSettings& settings() const { return settings_; }

 private:
  HttpResult Run(const std::wstring& url, const wchar_t* verb, bool readBody, std::string* body, size_t maxBytes,
                 HANDLE file, uint64_t fileLimit = UINT64_MAX);
  HttpSettings settings_;
  WinInetFunctions api_;
};

}  // namespace vantrel::platform
