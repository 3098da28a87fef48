#pragma once
// The scripted HTTP server of the tests (tests/support/http_test_server.py):
// Python 3 on 127.0.0.1, a free port each run, started once per test
// program and ended when the program ends. Tests set its routes and read
// what it was asked.
#include <string>

namespace vantrel::test {

class TestHttpServer {
 public:
  // The server of this test program, started on first use; null (with the
  // reason in *why) when it cannot be started.
  static TestHttpServer* Shared(std::string* why = nullptr);
  ~TestHttpServer();

  int port() const { return port_; }
  std::wstring HostPort() const;                    // "127.0.0.1:port"
  std::wstring Url(const std::wstring& path) const;  // "http://127.0.0.1:port" + path

  // Forgets every route and the log.
  void Reset();
  // Sets one route (a JSON object, see the server script) and returns true.
  bool Route(const std::string& json);
  // The log of served requests, as the server's JSON text.
  std::string Log();
  // How many logged requests had this method and request target.
  int Count(const std::string& method, const std::string& target);

 private:
  TestHttpServer() = default;
  bool Start(std::string* why);
  // A plain HTTP/1.0 exchange with the server; the reply body.
  std::string Control(const std::string& method, const std::string& path, const std::string& body = {});
  int port_ = 0;
};

// The Unix path of a Windows path (for the server's "body_file"); empty when
// not running under Wine.
std::string UnixPathOf(const std::wstring& windowsPath);

// JSON text of a string (quotes, escapes).
std::string JsonText(const std::string& text);

}  // namespace vantrel::test
