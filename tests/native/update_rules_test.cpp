// The version file and the proxy list: the text rules of the version check.
#include <gtest/gtest.h>

#include <string>

#include "update/proxy_list.h"
#include "update/version_file.h"

namespace vantrel {
namespace {

TEST(SelectProxy, ChoosesFromTheSystemProxyList) {
  struct Case {
    const char* list;
    bool enabled;
    const wchar_t* host;
    int port;
  };
  const Case cases[] = {
      {"http=p1:8080 https=p2:8443", true, L"p1", 8080},
      {"p1:3128", true, L"p1", 3128},
      {"HTTP=P1:80", true, L"P1", 80},        // protocol in any case, host keeps its case
      {"a:1 b:2", true, L"b", 2},             // the last entry without "=" is the fallback
      {"ftp=f:21 https=s:443", false, L"", 0},
      {"p1:3128 ", false, L"", 0},            // a trailing blank gives a last, empty fallback
      {"", false, L"", 0},
      {",p1:3128", true, L"p1", 3128},        // a first, empty entry
      {"p1:3128,,", false, L"", 0},           // two commas: empty entries replace the fallback
      {"ftp=f:21 p2:81 http=h:82", true, L"h", 82},  // a protocol entry wins over the fallback
      {"\"q1:99\" x=1", true, L"q1", 99},             // quoted: taken without the quotes
      {"http= p1 : 8080 ", false, L"", 0},  // blanks split first: "http=" selects an empty text
      {"http=p1", true, L"p1", 80},         // no port: WinINet's default
      {"http=p1:x", false, L"", 0},         // a port that is no number: no proxy
      {"http=p1:70000", false, L"", 0},
      {"http=:8080", false, L"", 0},        // no host
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    const TProxySetting got = SelectProxy(c.list, "http");
    EXPECT_EQ(got.Enabled, c.enabled);
    EXPECT_EQ(got.Host, c.host);
    EXPECT_EQ(got.Port, c.port);
  }
}

TEST(SelectProxy, AnEmptyProtocolMeansHttp) {
  EXPECT_EQ(SelectProxy("ftp=f:21 http=h:1", "").Host, L"h");
  EXPECT_EQ(SelectProxy("ftp=f:21 http=h:1", "FTP").Host, L"f");
}

TEST(ParseVersionFile, KeysAtTheLineStartInExactCaseAndTheLastLineWins) {
  const VersionAnnouncement a = ParseVersionFile(
      "Vantrel Version=1.5.6.4\r\n"
      "PopupURL=http://one/\r\n"
      "PopupURL=http://two/\r\n"
      " PopupTime=5\r\n"          // a blank before the key
      "popuptime=2\r\n"           // another letter case
      "EnPopupURL=http://en/ \r\n"  // the value is taken unchanged
      "NormalUpdateURL=http://u/x.exe\r\n"
      "LaunchSite=site\r\n"
      "Other=1\r\n");
  EXPECT_EQ(a.version, "1.5.6.4");
  EXPECT_EQ(a.popupUrl, "http://two/");
  EXPECT_FALSE(a.popupTime);
  EXPECT_EQ(a.enPopupUrl, "http://en/ ");
  EXPECT_EQ(a.normalUpdateUrl, "http://u/x.exe");
  EXPECT_EQ(a.launchSite, "site");
}

TEST(ParseVersionFile, LineEndsOfEveryKind) {
  for (const char* text : {"PopupTime=3\nVantrel Version=9\n", "PopupTime=3\rVantrel Version=9\r",
                           "PopupTime=3\r\nVantrel Version=9", "PopupTime=3\n\n\r\r\r\nVantrel Version=9\n\r"}) {
    SCOPED_TRACE(text);
    const VersionAnnouncement a = ParseVersionFile(text);
    EXPECT_EQ(a.popupTime, "3");
    EXPECT_EQ(a.version, "9");
  }
}

TEST(ParseVersionFile, AKeyWithAnEmptyValueIsThereButEmpty) {
  const VersionAnnouncement a = ParseVersionFile("Vantrel Version=\nPopupTime=\n");
  EXPECT_EQ(a.version, "");
  EXPECT_EQ(a.popupTime, "");
  EXPECT_FALSE(ParseVersionFile("PopupURL=x\nPopupTime=2").version);
}

TEST(ParseVersionFile, TheTextEndsAtTheFirstNul) {
  const std::string body = std::string("PopupTime=2\nVantrel Version=1.5") + '\0' + ".6.4\n";
  EXPECT_EQ(ParseVersionFile(body).version, "1.5");
}

TEST(ParseVersionFile, ALongReplyIsCutAtTheLimitWithoutItsHalfLine) {
  // The version line would be cut in the middle at byte 1023: it is dropped.
  std::string body(1010, 'x');
  body += "\nVantrel Version=1.5.6.4\n";
  EXPECT_FALSE(ParseVersionFile(body).version);

  // Whole lines before the limit count; the cut line does not.
  std::string lines = "Vantrel Version=2.0\nLaunchSite=";
  lines += std::string(2000, 's');
  const VersionAnnouncement a = ParseVersionFile(lines);
  EXPECT_EQ(a.version, "2.0");
  EXPECT_FALSE(a.launchSite);

  // Exactly 1023 bytes are whole.
  std::string exact = "Vantrel Version=3\n" + std::string(1023 - 18 - 13, 'y') + "\nLaunchSite=z";
  ASSERT_EQ(exact.size(), 1023u);
  EXPECT_EQ(ParseVersionFile(exact).launchSite, "z");

  // One megabyte of text, one of binary garbage: no crash, nothing half taken.
  EXPECT_FALSE(ParseVersionFile(std::string(1 << 20, 'V')).version);
  std::string garbage(1 << 20, '\0');
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 7919 + 13) % 251 + 1);
  EXPECT_NO_FATAL_FAILURE(ParseVersionFile(garbage));
}

TEST(IsWebAddress, OnlyHttpAndHttpsPages) {
  struct Case {
    const char* value;
    bool web;
  };
  const Case cases[] = {
      {"http://www.example.com/op.html", true},
      {"HTTPS://example.com/pop?a=1&b=2", true},
      {"C:\\Windows\\System32\\calc.exe", false},
      {"\\\\server\\share\\setup.exe", false},
      {"file:///C:/Windows/notepad.exe", false},
      {"javascript:alert(1)", false},
      {"www.example.com", false},
      {"http://", false},
      {" http://example.com", false},
      {"http://example.com/a b", false},
      {"http://example.com/\" --flag", false},
      {"http://example.com/\t", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsWebAddress(c.value), c.web) << c.value;
}

TEST(PopupIntervalFor, HoursToMilliseconds) {
  EXPECT_EQ(PopupIntervalFor("2"), 7'200'000u);
  EXPECT_EQ(PopupIntervalFor("+2"), 7'200'000u);
  EXPECT_EQ(PopupIntervalFor("-1"), 4'291'367'296u);  // modulo 2^32
  EXPECT_EQ(PopupIntervalFor("0"), 0u);
  EXPECT_EQ(PopupIntervalFor("2147483647"), static_cast<uint32_t>(2147483647ull * 3'600'000ull));
  EXPECT_EQ(PopupIntervalFor("x"), kDefaultPopupInterval);
  EXPECT_EQ(PopupIntervalFor("2 "), kDefaultPopupInterval);
  EXPECT_EQ(PopupIntervalFor("-"), kDefaultPopupInterval);
  EXPECT_EQ(PopupIntervalFor("2147483648"), kDefaultPopupInterval);  // beyond a 32-bit integer
  EXPECT_EQ(PopupIntervalFor(std::string(40, '9')), kDefaultPopupInterval);
  EXPECT_FALSE(PopupIntervalFor(""));
}

}  // namespace
}  // namespace vantrel
