// The HTTP client against the scripted local server: replies, redirects,
// lengths, bodies cut short, servers that never answer, files and progress.
#include "platform/http_client.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scratch.h"
#include "support/test_http_server.h"
#include "update_test_support.h"

namespace vantrel {
namespace {

using platform::HttpClient;
using platform::HttpError;
using platform::HttpResult;
using platform::HttpSettings;
using test::TestHttpServer;

class HttpClientTest : public test::HttpServerTest {};

TEST_F(HttpClientTest, GetsABodyIntoMemoryWithItsLengthAndHeaders) {
  ASSERT_TRUE(server_->Route(R"({"path": "/v", "body": "hello\r\nworld"})"));
  HttpSettings settings;
  settings.userAgent = L"Test Agent/1";
  settings.accept = L"text/html, */*";
  HttpClient client(settings);
  std::string body;
  const HttpResult r = client.Get(server_->Url(L"/v"), &body);
  EXPECT_TRUE(r.Success());
  EXPECT_EQ(r.status, 200u);
  EXPECT_TRUE(r.hasContentLength);
  EXPECT_EQ(r.contentLength, 12u);
  EXPECT_EQ(r.received, 12u);
  EXPECT_EQ(body, "hello\r\nworld");
  const std::string log = server_->Log();
  EXPECT_NE(log.find("\"User-Agent\": \"Test Agent/1\""), std::string::npos) << log;
  EXPECT_NE(log.find("\"Accept\": \"text/html, */*\""), std::string::npos) << log;
}

TEST_F(HttpClientTest, HeadReadsTheAnnouncedLengthAndNoBody) {
  ASSERT_TRUE(server_->Route(R"({"path": "/f", "body_size": 5000})"));
  HttpClient client;
  const HttpResult r = client.Head(server_->Url(L"/f"));
  EXPECT_TRUE(r.Success());
  EXPECT_TRUE(r.hasContentLength);
  EXPECT_EQ(r.contentLength, 5000u);
  EXPECT_EQ(r.received, 0u);
  EXPECT_EQ(server_->Count("HEAD", "/f"), 1);
}

TEST_F(HttpClientTest, RedirectsComeBackWithAnAbsoluteLocationAndAreNotFollowed) {
  ASSERT_TRUE(server_->Route(R"({"path": "/a", "status": 302, "location": "/b"})"));
  ASSERT_TRUE(server_->Route(R"({"path": "/b", "body": "b"})"));
  HttpClient client;
  std::string body;
  const HttpResult r = client.Get(server_->Url(L"/a"), &body);
  EXPECT_TRUE(r.Redirect());
  EXPECT_FALSE(r.Success());
  EXPECT_EQ(r.status, 302u);
  EXPECT_EQ(r.location, server_->Url(L"/b"));
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(server_->Count("GET", "/b"), 0);
}

TEST_F(HttpClientTest, StatusesOutside2xxAreRepliesWithoutABody) {
  HttpClient client;
  std::string body = "old";
  const HttpResult r = client.Get(server_->Url(L"/missing"), &body);
  EXPECT_TRUE(r.Replied());
  EXPECT_FALSE(r.Success());
  EXPECT_EQ(r.status, 404u);
  EXPECT_TRUE(body.empty());
}

TEST_F(HttpClientTest, MissingOrWrongLengthsAndCutBodiesAreVisibleToTheCaller) {
  ASSERT_TRUE(server_->Route(R"({"path": "/none", "body": "abc", "length": null})"));
  ASSERT_TRUE(server_->Route(R"({"path": "/cut", "body_size": 100000, "cut_after": 4000})"));
  HttpClient client;
  std::string body;
  HttpResult r = client.Get(server_->Url(L"/none"), &body);
  EXPECT_TRUE(r.Success());
  EXPECT_FALSE(r.hasContentLength);
  EXPECT_EQ(body, "abc");

  r = client.Get(server_->Url(L"/cut"), &body);
  EXPECT_EQ(r.contentLength, 100000u);
  EXPECT_EQ(r.received, 4000u);  // whether as an error or a clean end, never the full length
}

TEST_F(HttpClientTest, ALimitCutsTheBodyAndSaysSo) {
  ASSERT_TRUE(server_->Route(R"({"path": "/big", "body_size": 1048576})"));
  ASSERT_TRUE(server_->Route(R"({"path": "/small", "body_size": 1023})"));
  HttpClient client;
  std::string body;
  HttpResult r = client.Get(server_->Url(L"/big"), &body, 1023);
  EXPECT_TRUE(r.truncated);
  EXPECT_EQ(body.size(), 1023u);
  r = client.Get(server_->Url(L"/small"), &body, 1023);
  EXPECT_FALSE(r.truncated);
  EXPECT_EQ(body.size(), 1023u);
}

TEST_F(HttpClientTest, AServerThatNeverAnswersEndsInATimeoutWithinTheBound) {
  ASSERT_TRUE(server_->Route(R"({"path": "/silent", "hang": "headers"})"));
  ASSERT_TRUE(server_->Route(R"({"path": "/stall", "hang": "body", "body_size": 10})"));
  HttpSettings settings;
  settings.connectTimeoutMs = 300;
  settings.readTimeoutMs = 300;
  HttpClient client(settings);
  std::string body;
  for (const wchar_t* path : {L"/silent", L"/stall"}) {
    SCOPED_TRACE(testing::Message() << path);
    const DWORD start = ::GetTickCount();
    const HttpResult r = client.Get(server_->Url(path), &body);
    const DWORD took = ::GetTickCount() - start;
    EXPECT_EQ(r.error, HttpError::Timeout);
    EXPECT_FALSE(r.Success() && r.received == 10);
    // Connect plus read time-out, with room for a slow machine; far below the
    // server's own 30 s hang.
    EXPECT_LT(took, 5000u);
  }
}

TEST_F(HttpClientTest, ConnectionFailuresAndBadAddresses) {
  HttpClient client;
  // A port nobody listens on: the server's own port after it is taken away
  // is not predictable, so use port 1 on the loopback.
  HttpResult r = client.Head(L"http://127.0.0.1:1/x");
  EXPECT_EQ(r.error, HttpError::Connect);
  for (const wchar_t* bad : {L"", L"ftp://127.0.0.1/x", L"not a url", L"file:///c:/x"}) {
    r = client.Head(bad);
    EXPECT_EQ(r.error, HttpError::BadUrl) << bad;
  }
}

TEST_F(HttpClientTest, WithoutWinInetEveryRequestFailsAsAnUnreachableServerWould) {
  ASSERT_TRUE(server_->Route(R"({"path": "/v", "body": "hello"})"));
  ASSERT_TRUE(platform::WinInetApi().complete());
  test::ScratchFolder folder;
  const std::wstring path = folder.File(L"out.bin");
  // A library without the functions (kernel32), and none at all.
  struct Case {
    HMODULE module;
    DWORD error;
  } cases[] = {{::GetModuleHandleW(L"kernel32.dll"), ERROR_PROC_NOT_FOUND}, {nullptr, ERROR_MOD_NOT_FOUND}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    const platform::WinInetFunctions api = platform::BindWinInet(c.module);
    ASSERT_FALSE(api.complete());
    EXPECT_EQ(api.internetOpen, nullptr);  // nothing half-bound
    EXPECT_EQ(api.error, c.error);
    HttpClient client({}, api);
    std::string body = "old";
    platform::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    for (const HttpResult& r : {client.Head(server_->Url(L"/v")), client.Get(server_->Url(L"/v"), &body),
                                client.GetToFile(server_->Url(L"/v"), file.get())}) {
      EXPECT_EQ(r.error, HttpError::Connect);
      EXPECT_EQ(r.systemError, c.error);
      EXPECT_FALSE(r.Replied());
    }
    EXPECT_EQ(body, "");
    EXPECT_EQ(::GetFileSize(file.get(), nullptr), 0u);
  }
  EXPECT_EQ(server_->Count("HEAD", "/v") + server_->Count("GET", "/v"), 0);
}

TEST_F(HttpClientTest, HttpsSpeaksTlsNotPlainHttp) {
  ASSERT_TRUE(server_->Route(R"({"path": "/tls", "body": "plain"})"));
  HttpSettings settings;
  settings.connectTimeoutMs = 1000;
  settings.readTimeoutMs = 1000;
  HttpClient client(settings);
  std::string body;
  const HttpResult r = client.Get(L"https://" + server_->HostPort() + L"/tls", &body);
  EXPECT_FALSE(r.Success());
  EXPECT_EQ(server_->Count("GET", "/tls"), 0);
}

TEST_F(HttpClientTest, GetToFileWritesTheBodyAndReportsProgress) {
  ASSERT_TRUE(server_->Route(R"({"path": "/file", "body_size": 300000, "pace": [65536, 20]})"));
  test::ScratchFolder folder;
  const std::wstring path = folder.File(L"out.bin");
  platform::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(file);
  HttpClient client;
  std::vector<uint64_t> progress;
  client.onProgress = [&](uint64_t received) { progress.push_back(received); };
  const HttpResult r = client.GetToFile(server_->Url(L"/file"), file.get());
  file.reset();
  EXPECT_TRUE(r.Success());
  EXPECT_EQ(r.received, 300000u);
  ASSERT_GE(progress.size(), 2u);
  for (size_t i = 1; i < progress.size(); ++i) EXPECT_GT(progress[i], progress[i - 1]);
  EXPECT_EQ(progress.back(), 300000u);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 300000u);
}

// A body without Content-Length that goes on far beyond the limit: the
// file gets the limit and one byte more, and the request ends there.
TEST_F(HttpClientTest, GetToFileStopsOneByteBeyondItsLimit) {
  ASSERT_TRUE(server_->Route(R"({"path": "/long", "body_size": 8388608, "length": null})"));
  ASSERT_TRUE(server_->Route(R"({"path": "/exact", "body_size": 100000})"));
  test::ScratchFolder folder;
  struct Case {
    const wchar_t* path;
    bool truncated;
    uint64_t written;
  };
  for (const Case& c : {Case{L"/long", true, 100001}, Case{L"/exact", false, 100000}}) {
    SCOPED_TRACE(testing::Message() << c.written);
    const std::wstring path = folder.File(L"limited.bin");
    platform::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    HttpClient client;
    const HttpResult r = client.GetToFile(server_->Url(c.path), file.get(), 100000);
    file.reset();
    EXPECT_EQ(r.error, HttpError::None);
    EXPECT_EQ(r.truncated, c.truncated);
    EXPECT_EQ(r.received, c.written);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, c.written);
  }
}

TEST_F(HttpClientTest, AnExplicitProxyGetsTheAbsoluteAddress) {
  ASSERT_TRUE(server_->Route(R"({"path": "/through", "body": "via proxy"})"));
  HttpSettings settings;
  settings.useProxy = true;
  settings.proxyHost = L"127.0.0.1";
  settings.proxyPort = server_->port();
  HttpClient client(settings);
  std::string body;
  const HttpResult r = client.Get(L"http://vendor.vantrel.example/through", &body);
  EXPECT_TRUE(r.Success());
  EXPECT_EQ(body, "via proxy");
  // Wine writes the default port into the request line.
  const std::string log = server_->Log();
  EXPECT_NE(log.find("\"target\": \"http://vendor.vantrel.example"), std::string::npos) << log;
  EXPECT_NE(log.find("\"path\": \"/through\", \"proxied\": true"), std::string::npos) << log;
}

}  // namespace
}  // namespace vantrel
