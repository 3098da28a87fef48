#include <winsock2.h>
#include <ws2tcpip.h>

#include "support/test_http_server.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <mutex>

#include "platform/text_conv.h"

namespace vantrel::test {
namespace {

// The Unix path of a Windows path (Wine's own export); empty elsewhere.
std::string UnixPath(const std::wstring& windowsPath) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  auto toUnix = reinterpret_cast<ToUnix>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
  if (!toUnix) return {};
  char* path = toUnix(windowsPath.c_str());
  if (!path) return {};
  std::string out(path);
  ::HeapFree(::GetProcessHeap(), 0, path);
  return out;
}

std::unique_ptr<TestHttpServer>& Instance() {
  static std::unique_ptr<TestHttpServer> server;
  return server;
}

}  // namespace

std::string UnixPathOf(const std::wstring& windowsPath) { return UnixPath(windowsPath); }

std::string JsonText(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

TestHttpServer* TestHttpServer::Shared(std::string* why) {
  static std::once_flag once;
  static std::string failure;
  std::call_once(once, [] {
    std::unique_ptr<TestHttpServer> server(new TestHttpServer);
    if (server->Start(&failure)) Instance() = std::move(server);
  });
  if (why) *why = failure;
  return Instance().get();
}

TestHttpServer::~TestHttpServer() {
  if (port_) Control("GET", "/__quit");
}

bool TestHttpServer::Start(std::string* why) {
  WSADATA data;
  ::WSAStartup(MAKEWORD(2, 2), &data);
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring portFile =
      std::wstring(temp) + L"vantrel-http-" + std::to_wstring(::GetCurrentProcessId()) + L".port";
  ::DeleteFileW(portFile.c_str());
  const std::string unixPortFile = UnixPath(portFile);
  if (unixPortFile.empty()) {
    *why = "not running under Wine (no Unix path for the port file)";
    return false;
  }
  // Wine starts a Unix program given by its Z: path; the server ends by
  // itself after its lifetime, should this program never ask it to.
  std::wstring command = L"Z:\\usr\\bin\\python3 " +
                         platform::ToWide(std::string(VANTREL_TEST_SOURCE_DIR) + "/support/http_test_server.py") +
                         L" " + platform::ToWide(unixPortFile) + L" 900";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    *why = "python3 could not be started";
    return false;
  }
  if (process.hProcess) ::CloseHandle(process.hProcess);
  if (process.hThread) ::CloseHandle(process.hThread);
  for (int i = 0; i < 200 && port_ == 0; ++i) {
    ::Sleep(50);
    if (FILE* f = _wfopen(portFile.c_str(), L"r")) {
      int port = 0;
      if (std::fscanf(f, "%d", &port) == 1) port_ = port;
      std::fclose(f);
    }
  }
  ::DeleteFileW(portFile.c_str());
  if (!port_) *why = "the test HTTP server did not report its port";
  return port_ != 0;
}

std::wstring TestHttpServer::HostPort() const { return L"127.0.0.1:" + std::to_wstring(port_); }
std::wstring TestHttpServer::Url(const std::wstring& path) const { return L"http://" + HostPort() + path; }

void TestHttpServer::Reset() { Control("POST", "/__reset"); }
bool TestHttpServer::Route(const std::string& json) { return Control("POST", "/__route", json) == "ok"; }
std::string TestHttpServer::Log() { return Control("GET", "/__log"); }

int TestHttpServer::Count(const std::string& method, const std::string& target) {
  const std::string log = Log();
  const std::string needle = "\"method\": " + JsonText(method) + ", \"target\": " + JsonText(target) + ",";
  int count = 0;
  for (size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1)) ++count;
  return count;
}

std::string TestHttpServer::Control(const std::string& method, const std::string& path, const std::string& body) {
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return {};
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port_));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string reply;
  if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string request = method + " " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Length: " +
                                std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    ::send(s, request.data(), static_cast<int>(request.size()), 0);
    char buffer[4096];
    for (int got; (got = ::recv(s, buffer, sizeof buffer, 0)) > 0;) reply.append(buffer, got);
  }
  ::closesocket(s);
  const size_t start = reply.find("\r\n\r\n");
  return start == std::string::npos ? std::string() : reply.substr(start + 4);
}

}  // namespace vantrel::test
