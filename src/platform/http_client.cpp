#include "platform/http_client.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace vantrel::platform {
namespace {

constexpr DWORD kPieceSize = 64 * 1024;
// The helper thread pauses when this much body waits for the caller.
constexpr size_t kPendingLimit = 4 * 1024 * 1024;
// How often a request asks the caller whether to go on.
constexpr DWORD kCancelPollMs = 100;

// One request, shared by the calling thread and the helper thread that
// performs it. Whichever of the two lets go last deletes it.
struct Request {
  Request() {
    ::InitializeCriticalSection(&lock);
    wake = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    space = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  }
  ~Request() {
    ::DeleteCriticalSection(&lock);
    if (wake) ::CloseHandle(wake);
    if (space) ::CloseHandle(space);
  }
  Request(const Request&) = delete;
  Request& operator=(const Request&) = delete;

  // Set before the helper starts, read-only afterwards.
  WinInetFunctions api;
  HttpSettings settings;
  std::wstring url, verb, host, path;
  INTERNET_PORT port = 0;
  bool secure = false;
  bool readBody = false;
  uint64_t limit = UINT64_MAX;  // the helper stops once it has read more than this

  CRITICAL_SECTION lock;
  HANDLE wake = nullptr;   // the helper has something new for the caller
  HANDLE space = nullptr;  // the caller took the waiting body (or gave up)
  LONG refs = 2;

  // Guarded by `lock`.
  bool cancelled = false;
  bool headersReady = false;
  bool done = false;
  HttpResult result;     // headers, then the final error and truncation
  std::string pending;   // body bytes not yet taken by the caller
};

void Release(Request* r) {
  if (::InterlockedDecrement(&r->refs) == 0) delete r;
}

struct Locked {
  explicit Locked(Request& r) : r_(r) { ::EnterCriticalSection(&r_.lock); }
  ~Locked() { ::LeaveCriticalSection(&r_.lock); }
  Request& r_;
};

bool Cancelled(Request& r) {
  Locked hold(r);
  return r.cancelled;
}

void SetTimeouts(const WinInetFunctions& api, HINTERNET handle, const HttpSettings& s) {
  // WinINet's own time-outs are a second line only, set longer than the
  // caller's deadlines, which bound a request; they let an abandoned helper
  // end by itself.
  DWORD connect = 2 * (s.connectTimeoutMs + s.readTimeoutMs), read = connect;
  api.internetSetOption(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
  api.internetSetOption(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &read, sizeof read);
  api.internetSetOption(handle, INTERNET_OPTION_SEND_TIMEOUT, &read, sizeof read);
  api.internetSetOption(handle, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &read, sizeof read);
  api.internetSetOption(handle, INTERNET_OPTION_DATA_SEND_TIMEOUT, &read, sizeof read);
}

HttpError ErrorOf(DWORD code) {
  return code == ERROR_INTERNET_TIMEOUT ? HttpError::Timeout : HttpError::Connect;
}

std::wstring QueryText(const WinInetFunctions& api, HINTERNET request, DWORD info) {
  DWORD size = 0;
  api.httpQueryInfo(request, info, nullptr, &size, nullptr);
  if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return {};
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1);
  size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (!api.httpQueryInfo(request, info, buffer.data(), &size, nullptr)) return {};
  return std::wstring(buffer.data(), size / sizeof(wchar_t));
}

// Only plain decimal digits count as a length.
bool ParseLength(const std::wstring& text, uint64_t* out) {
  if (text.empty() || text.size() > 19) return false;
  uint64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    value = value * 10 + static_cast<uint64_t>(c - L'0');
  }
  *out = value;
  return true;
}

std::wstring Absolute(const WinInetFunctions& api, const std::wstring& base, const std::wstring& location) {
  if (location.empty()) return {};
  DWORD size = 0;
  api.internetCombineUrl(base.c_str(), location.c_str(), nullptr, &size, ICU_NO_ENCODE);
  if (size == 0) return location;
  std::vector<wchar_t> buffer(size + 1);
  size = static_cast<DWORD>(buffer.size());
  if (!api.internetCombineUrl(base.c_str(), location.c_str(), buffer.data(), &size, ICU_NO_ENCODE)) return location;
  return std::wstring(buffer.data(), size);
}

// The request itself, on the helper thread. Returns with the final error in
// r.result (under the lock); the handles close on the way out.
void Perform(Request& r) {
  auto fail = [&r](HttpError error, DWORD code) {
    Locked hold(r);
    r.result.error = error;
    r.result.systemError = code;
  };
  const WinInetFunctions& api = r.api;
  const HttpSettings& s = r.settings;
  wchar_t port[12] = {};  // msvcrt's own conversion: std::to_wstring would link the whole printf family
  const std::wstring proxy = s.proxyHost + L":" + ::_itow(s.proxyPort, port, 10);
  InternetHandle session(api.internetOpen(s.userAgent.c_str(),
                                         s.useProxy ? INTERNET_OPEN_TYPE_PROXY : INTERNET_OPEN_TYPE_DIRECT,
                                         s.useProxy ? proxy.c_str() : nullptr, nullptr, 0));
  if (!session) return fail(HttpError::Connect, ::GetLastError());
  SetTimeouts(api, session.get(), s);
  InternetHandle connection(
      api.internetConnect(session.get(), r.host.c_str(), r.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return fail(HttpError::Connect, ::GetLastError());
  SetTimeouts(api, connection.get(), s);
  DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI;
  if (r.secure) flags |= INTERNET_FLAG_SECURE;
  InternetHandle request(api.httpOpenRequest(connection.get(), r.verb.c_str(), r.path.c_str(), nullptr, nullptr,
                                            nullptr, flags, 0));
  if (!request) return fail(HttpError::Connect, ::GetLastError());
  SetTimeouts(api, request.get(), s);
  const std::wstring headers = s.accept.empty() ? std::wstring() : L"Accept: " + s.accept + L"\r\n";
  if (!api.httpSendRequest(request.get(), headers.empty() ? nullptr : headers.c_str(),
                          headers.empty() ? 0 : static_cast<DWORD>(-1), nullptr, 0)) {
    const DWORD code = ::GetLastError();
    return fail(ErrorOf(code), code);
  }

  HttpResult head;
  DWORD status = 0, size = sizeof status;
  if (!api.httpQueryInfo(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
    return fail(HttpError::Connect, ::GetLastError());
  head.status = status;
  head.hasContentLength = ParseLength(QueryText(api, request.get(), HTTP_QUERY_CONTENT_LENGTH), &head.contentLength);
  if (head.status >= 300 && head.status < 400) head.location = Absolute(api, r.url, QueryText(api, request.get(), HTTP_QUERY_LOCATION));
  {
    Locked hold(r);
    r.result = head;
    r.headersReady = true;
  }
  ::SetEvent(r.wake);
  if (!r.readBody || !head.Success()) return;

  std::vector<char> piece(kPieceSize);
  uint64_t total = 0;
  for (;;) {
    if (Cancelled(r)) return;
    const uint64_t wanted = r.limit == UINT64_MAX ? kPieceSize : std::min<uint64_t>(kPieceSize, r.limit + 1 - total);
    DWORD got = 0;
    if (!r.api.internetReadFile(request.get(), piece.data(), static_cast<DWORD>(wanted), &got)) {
      const DWORD code = ::GetLastError();
      return fail(ErrorOf(code), code);
    }
    if (got == 0) return;  // the end (a connection cut short ends like this too)
    total += got;
    bool full = false;
    {
      Locked hold(r);
      if (r.cancelled) return;
      r.pending.append(piece.data(), got);
      full = r.pending.size() >= kPendingLimit;
      if (r.limit != UINT64_MAX && total > r.limit) r.result.truncated = true;
    }
    ::SetEvent(r.wake);
    if (r.limit != UINT64_MAX && total > r.limit) return;
    while (full) {
      ::WaitForSingleObject(r.space, 100);
      Locked hold(r);
      if (r.cancelled) return;
      full = r.pending.size() >= kPendingLimit;
    }
  }
}

DWORD WINAPI RequestThread(void* parameter) {
  Request* r = static_cast<Request*>(parameter);
  Perform(*r);
  {
    Locked hold(*r);
    r->done = true;
  }
  ::SetEvent(r->wake);
  Release(r);
  return 0;
}

bool CrackUrl(const WinInetFunctions& api, const std::wstring& url, Request& r) {
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
  if (url.empty() || !api.internetCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return false;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
  if (!parts.lpszHostName || parts.dwHostNameLength == 0) return false;
  r.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  r.host.assign(parts.lpszHostName, parts.dwHostNameLength);
  r.port = parts.nPort;
  if (parts.lpszUrlPath) r.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
  if (parts.lpszExtraInfo) r.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (r.path.empty()) r.path = L"/";
  return true;
}

// Milliseconds since `start`, also across the 49-day wrap of the tick count.
DWORD Since(DWORD start) { return ::GetTickCount() - start; }

}  // namespace

HttpClient::HttpClient(HttpSettings settings, const WinInetFunctions& api)
    : settings_(std::move(settings)), api_(api) {}

HttpResult HttpClient::Head(const std::wstring& url) { return Run(url, L"HEAD", false, nullptr, SIZE_MAX, nullptr); }

HttpResult HttpClient::Get(const std::wstring& url, std::string* body, size_t maxBytes) {
  if (body) body->clear();
  return Run(url, L"GET", true, body, maxBytes, nullptr);
}

HttpResult HttpClient::GetToFile(const std::wstring& url, HANDLE file, uint64_t maxBytes) {
  return Run(url, L"GET", true, nullptr, SIZE_MAX, file, maxBytes);
}

HttpResult HttpClient::Run(const std::wstring& url, const wchar_t* verb, bool readBody, std::string* body,
                           size_t maxBytes, HANDLE file, uint64_t fileLimit) {
  HttpResult out;
  if (!api_.complete()) {  // no WinINet: as if no server could be reached
    out.error = HttpError::Connect;
    out.systemError = api_.error;
    return out;
  }
  auto* r = new Request;
  if (!r->wake || !r->space || !CrackUrl(api_, url, *r)) {
    out.error = r->wake && r->space ? HttpError::BadUrl : HttpError::Connect;
    delete r;
    return out;
  }
  r->api = api_;
  r->settings = settings_;
  r->url = url;
  r->verb = verb;
  r->readBody = readBody;
  r->limit = file ? fileLimit : maxBytes == SIZE_MAX ? UINT64_MAX : maxBytes;

  HANDLE thread = ::CreateThread(nullptr, 0, RequestThread, r, 0, nullptr);
  if (!thread) {
    out.error = HttpError::Connect;
    out.systemError = ::GetLastError();
    delete r;
    return out;
  }
  ::CloseHandle(thread);

  // Connecting and the wait for the headers share one deadline; after that
  // every wait for more data has the read time-out.
  DWORD start = ::GetTickCount();
  DWORD budget = settings_.connectTimeoutMs + settings_.readTimeoutMs;
  bool headersSeen = false;
  std::string piece;
  for (;;) {
    const DWORD elapsed = Since(start);
    DWORD wait = elapsed >= budget ? 0 : budget - elapsed;
    if (cancelled && wait > kCancelPollMs) wait = kCancelPollMs;
    ::WaitForSingleObject(r->wake, wait);
    if (cancelled && cancelled()) {
      out.error = HttpError::Cancelled;
      break;
    }
    bool headersNow = false, done = false;
    HttpResult state;
    piece.clear();
    {
      Locked hold(*r);
      headersNow = r->headersReady && !headersSeen;
      done = r->done;
      state = r->result;
      piece.swap(r->pending);
    }
    ::SetEvent(r->space);
    bool progressed = false;
    if (headersNow) {
      headersSeen = true;
      const uint64_t received = out.received;
      out = state;
      out.received = received;
      progressed = true;
    }
    if (!piece.empty()) {
      progressed = true;
      if (file) {
        DWORD written = 0;
        if (!::WriteFile(file, piece.data(), static_cast<DWORD>(piece.size()), &written, nullptr) ||
            written != piece.size()) {
          out.error = HttpError::Write;
          out.systemError = ::GetLastError();
          break;
        }
        out.received += piece.size();
      } else {
        const size_t room = maxBytes - std::min(maxBytes, static_cast<size_t>(out.received));
        const size_t take = std::min(room, piece.size());
        if (body) body->append(piece.data(), take);
        out.received += take;
      }
      if (onProgress) onProgress(out.received);
    }
    if (done) {
      out.error = state.error;
      out.systemError = state.systemError;
      out.truncated = state.truncated;
      break;
    }
    if (progressed) {
      start = ::GetTickCount();
      budget = settings_.readTimeoutMs;
    } else if (Since(start) >= budget) {
      out.error = HttpError::Timeout;
      out.systemError = ERROR_INTERNET_TIMEOUT;
      break;
    }
  }
  {
    // From here on nothing of this request reaches the caller; a helper
    // still waiting for the network ends on WinINet's own time-outs.
    Locked hold(*r);
    r->cancelled = true;
  }
  ::SetEvent(r->space);
  Release(r);
  return out;
}

}  // namespace vantrel::platform
