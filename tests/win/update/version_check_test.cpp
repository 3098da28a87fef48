// The version check against the scripted local server: the announcement's
// cases, failures that change nothing, the system proxy from the registry,
// the invisible start-up window and the hand-off's command line.
#include "update/version_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/helpers.h"
#include "platform/reg_key.h"
#include "platform/unique_handle.h"
#include "support/scratch.h"
#include "support/scripted_dialogs.h"
#include "update/popup_url.h"
#include "update/proxy.h"
#include "update/version_check_form.h"
#include "update_test_support.h"

namespace vantrel {
namespace {

constexpr const wchar_t* kInternetSettings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// Puts the proxy values of the user's Internet Settings back as they were.
class SavedProxySettings {
 public:
  SavedProxySettings() {
    platform::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kInternetSettings, KEY_READ) != ERROR_SUCCESS) return;
    hadEnable_ = key.ReadRaw(L"ProxyEnable", &enable_, &enableType_);
    hadServer_ = key.ReadRaw(L"ProxyServer", &server_, &serverType_);
  }
  ~SavedProxySettings() {
    platform::RegKey key;
    if (key.Create(HKEY_CURRENT_USER, kInternetSettings) != ERROR_SUCCESS) return;
    if (hadEnable_) key.WriteRaw(L"ProxyEnable", enableType_, enable_.data(), static_cast<DWORD>(enable_.size()));
    else key.DeleteValue(L"ProxyEnable");
    if (hadServer_) key.WriteRaw(L"ProxyServer", serverType_, server_.data(), static_cast<DWORD>(server_.size()));
    else key.DeleteValue(L"ProxyServer");
    ResetProxyCacheForTesting();
  }
  static void Set(bool enable, const std::wstring& server) {
    platform::RegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kInternetSettings), ERROR_SUCCESS);
    key.WriteDword(L"ProxyEnable", enable ? 1 : 0);
    key.WriteString(L"ProxyServer", server);
  }

 private:
  bool hadEnable_ = false, hadServer_ = false;
  std::vector<BYTE> enable_, server_;
  DWORD enableType_ = 0, serverType_ = 0;
};

class VersionCheckTest : public test::HttpServerTest {
 protected:
  void SetUp() override {
    HttpServerTest::SetUp();
    KoreanUi = false;
    SetVendorServerForTesting(server_->HostPort());
    ResetVersionCheckValuesForTesting();
    ResetProxyCacheForTesting();
    SavedProxySettings::Set(false, L"");
  }
  void TearDown() override {
    SetVendorServerForTesting(L"");
    KoreanUi = false;
    ResetVersionCheckValuesForTesting();
  }
  void Announce(const std::string& text) {
    ASSERT_TRUE(server_->Route("{\"path\": \"/version.html\", \"body\": " + test::JsonText(text) + "}"));
  }
  // Every value as a fresh start has it.
  void ExpectInitialValues() {
    EXPECT_EQ(PopupInterval, 28'800'000u);
    EXPECT_EQ(PopupUrl, InitialPopupUrl(KoreanUi));
    EXPECT_EQ(LaunchSiteText, L"NONE");
    EXPECT_EQ(CurrentUpdateUrl(), L"http://" + server_->HostPort() + L"/update/Vantrel.exe");
  }
  SavedProxySettings savedProxy_;
};

TEST_F(VersionCheckTest, TheOwnVersionAnnouncedMeansNoUpdateAndChangesNothing) {
  Announce("Vantrel Version=1.5.6.4\r\n");
  std::wstring own = L"stale";
  EXPECT_FALSE(CheckVersion(own));
  EXPECT_EQ(own, L"1.5.6.4");
  ExpectInitialValues();
  EXPECT_EQ(server_->Count("GET", "/version.html"), 1);
}

TEST_F(VersionCheckTest, AnotherVersionMeansAnUpdateAndTakesTheAnnouncedValues) {
  Announce(
      "Vantrel Version=1.5.7.0\r\nPopupTime=2\r\nPopupURL=http://kr/pop\r\nEnPopupURL=http://en/pop\r\n"
      "NormalUpdateURL=http://dl/Vantrel.exe\r\nLaunchSite=partner\r\n");
  std::wstring own;
  EXPECT_TRUE(CheckVersion(own));
  EXPECT_EQ(own, L"1.5.6.4");
  EXPECT_EQ(PopupInterval, 7'200'000u);
  EXPECT_EQ(PopupUrl, L"http://en/pop");  // English user interface
  EXPECT_EQ(LaunchSiteText, L"partner");
  EXPECT_EQ(CurrentUpdateUrl(), L"http://dl/Vantrel.exe");
}

TEST_F(VersionCheckTest, WhatCountsAsAnotherVersion) {
  struct Case {
    const char* version;
    bool update;
  };
  for (const Case& c : {Case{"1.5.6.4", false}, Case{"1.5.6.4 ", true}, Case{"1.5.6.3", true},
                        Case{"01.5.6.4", true}, Case{"", true}}) {
    SCOPED_TRACE(c.version);
    Announce(std::string("Vantrel Version=") + c.version + "\n");
    std::wstring own;
    EXPECT_EQ(CheckVersion(own), c.update);
  }
}

TEST_F(VersionCheckTest, TheUpdateAddressIsTakenOnlyWhenAnUpdateFollows) {
  Announce("Vantrel Version=1.5.6.4\nNormalUpdateURL=http://dl/x.exe\nLaunchSite=s\nPopupTime=1\n");
  std::wstring own;
  EXPECT_FALSE(CheckVersion(own));
  EXPECT_EQ(CurrentUpdateUrl(), L"http://" + server_->HostPort() + L"/update/Vantrel.exe");
  // The other values follow every reply with a version line.
  EXPECT_EQ(LaunchSiteText, L"s");
  EXPECT_EQ(PopupInterval, 3'600'000u);
}

TEST_F(VersionCheckTest, ARepliesWithoutAVersionLineChangesNothing) {
  Announce("PopupURL=http://kr/pop\nEnPopupURL=http://en/pop\nPopupTime=2\nvantrel version=9\n");
  std::wstring own = L"x";
  EXPECT_FALSE(CheckVersion(own));
  EXPECT_TRUE(own.empty());
  ExpectInitialValues();
}

TEST_F(VersionCheckTest, PopupTimeValues) {
  struct Case {
    const char* value;
    uint32_t interval;
  };
  for (const Case& c : {Case{"2", 7'200'000u}, Case{"-1", 4'291'367'296u}, Case{"x", 28'800'000u},
                        Case{"9999999999999999999999999999999999999999", 28'800'000u}}) {
    SCOPED_TRACE(c.value);
    PopupInterval = 1;
    Announce(std::string("Vantrel Version=1.5.6.4\nPopupTime=") + c.value + "\n");
    std::wstring own;
    CheckVersion(own);
    EXPECT_EQ(PopupInterval, c.interval);
  }
  PopupInterval = 1;
  Announce("Vantrel Version=1.5.6.4\nPopupTime=\n");
  std::wstring own;
  CheckVersion(own);
  EXPECT_EQ(PopupInterval, 1u);  // an empty value leaves it
}

TEST_F(VersionCheckTest, ThePopUpPageOfTheInterfaceLanguageOnly) {
  KoreanUi = true;
  ResetVersionCheckValuesForTesting();
  Announce("Vantrel Version=1.5.6.4\nEnPopupURL=http://en/pop\n");
  std::wstring own;
  CheckVersion(own);
  EXPECT_EQ(PopupUrl, InitialPopupUrl(true));  // the English key is no substitute
  Announce("Vantrel Version=1.5.6.4\nPopupURL=http://kr/1\nPopupURL=http://kr/2\n");
  CheckVersion(own);
  EXPECT_EQ(PopupUrl, L"http://kr/2");  // the last line counts
  KoreanUi = false;
  Announce("Vantrel Version=1.5.6.4\nPopupURL=http://kr/3\n");
  CheckVersion(own);
  EXPECT_EQ(PopupUrl, L"http://kr/2");
}

// The shell opens the pop-up page after a switch, with this program's
// rights; an announcement over plain http may come from anyone on the way.
TEST_F(VersionCheckTest, APopUpPageThatIsNoWebAddressIsNotTaken) {
  for (const char* page : {"C:\\Windows\\System32\\calc.exe", "\\\\evil\\share\\setup.exe",
                           "file:///C:/Windows/notepad.exe"}) {
    SCOPED_TRACE(page);
    Announce(std::string("Vantrel Version=1.5.6.4\nEnPopupURL=") + page + "\n");
    std::wstring own;
    CheckVersion(own);
    EXPECT_EQ(PopupUrl, InitialPopupUrl(false));
  }
  Announce("Vantrel Version=1.5.6.4\nEnPopupURL=https://en/pop\n");
  std::wstring own;
  CheckVersion(own);
  EXPECT_EQ(PopupUrl, L"https://en/pop");
}

TEST_F(VersionCheckTest, FailedRepliesAreSilentAndChangeNothing) {
  test::ScriptedDialogs dialogs;
  const std::vector<std::string> routes = {
      R"({"path": "/version.html", "status": 404, "body": "Vantrel Version=2"})",
      R"({"path": "/version.html", "status": 302, "location": "/elsewhere.html"})",
      R"({"path": "/version.html", "body": ""})",
      R"({"path": "/version.html", "body": "\u0000Vantrel Version=2\n"})",
      R"({"path": "/version.html", "body_size": 1048576})",  // binary garbage, 1 MB
  };
  ASSERT_TRUE(server_->Route(R"({"path": "/elsewhere.html", "body": "Vantrel Version=2\n"})"));
  for (const std::string& route : routes) {
    SCOPED_TRACE(route);
    ASSERT_TRUE(server_->Route(route));
    std::wstring own = L"x";
    EXPECT_FALSE(CheckVersion(own));
    EXPECT_TRUE(own.empty());
    ExpectInitialValues();
  }
  EXPECT_EQ(server_->Count("GET", "/elsewhere.html"), 0);  // redirects are not followed
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(VersionCheckTest, AMegabyteReplyIsReadOnlyUpToItsLimit) {
  std::string text = "Vantrel Version=2.0\nLaunchSite=first\n";
  text += std::string(1 << 20, 'z');
  Announce(text);
  std::wstring own;
  EXPECT_TRUE(CheckVersion(own));
  EXPECT_EQ(LaunchSiteText, L"first");
}

TEST_F(VersionCheckTest, NoServerOrASilentOneGivesFalseWithinTheTimeOuts) {
  test::ScriptedDialogs dialogs;
  ASSERT_TRUE(server_->Route(R"({"path": "/version.html", "hang": "headers"})"));
  for (const std::wstring& vendor : {server_->HostPort(), std::wstring(L"127.0.0.1:1")}) {
    SCOPED_TRACE(testing::Message() << vendor);
    SetVendorServerForTesting(vendor);
    const DWORD start = ::GetTickCount();
    std::wstring own;
    EXPECT_FALSE(CheckVersion(own));
    // 3 s to connect plus 3 s for the headers, and room for a slow machine.
    EXPECT_LT(::GetTickCount() - start, 8000u);
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(VersionCheckTest, TheSystemProxyFromTheRegistryIsUsedAndReadOncePerProcess) {
  Announce("Vantrel Version=7\n");
  SetVendorServerForTesting(L"proxied.vantrel.example");  // only the proxy can reach it
  SavedProxySettings::Set(true, L"http=127.0.0.1:" + std::to_wstring(server_->port()) + L" ftp=f:21");
  ResetProxyCacheForTesting();
  const TProxySetting proxy = DetectProxy("http");
  EXPECT_TRUE(proxy.Enabled);
  EXPECT_EQ(proxy.Host, L"127.0.0.1");
  EXPECT_EQ(proxy.Port, server_->port());
  std::wstring own;
  EXPECT_TRUE(CheckVersion(own));
  const std::string log = server_->Log();
  EXPECT_NE(log.find("\"target\": \"http://proxied.vantrel.example"), std::string::npos) << log;

  // The cache holds: a later change of the setting is seen at the next start.
  SavedProxySettings::Set(false, L"");
  EXPECT_TRUE(DetectProxy("http").Enabled);
  // A direct connection is cached just the same.
  ResetProxyCacheForTesting();
  EXPECT_FALSE(DetectProxy("http").Enabled);
  SavedProxySettings::Set(true, L"127.0.0.1:3128");
  EXPECT_FALSE(DetectProxy("http").Enabled);
}

TEST_F(VersionCheckTest, TheStartUpWindowRunsTheCheckUnseen) {
  for (const char* version : {"1.5.6.5", "1.5.6.4"}) {
    SCOPED_TRACE(version);
    Announce(std::string("Vantrel Version=") + version + "\n");
    TVersionCheckForm check;
    bool seen = false;
    check.ShowModal();
    EXPECT_EQ(check.UpdateAvailable, std::string(version) != "1.5.6.4");
    ASSERT_NE(check.hwnd(), nullptr);
    RECT r{};
    ::GetWindowRect(check.hwnd(), &r);
    seen = ::IsWindowVisible(check.hwnd()) || r.right > r.left || r.bottom > r.top;
    EXPECT_FALSE(seen);
    EXPECT_EQ(::GetWindowLongW(check.hwnd(), GWL_STYLE) & (WS_CAPTION | WS_BORDER | WS_THICKFRAME), 0);
    EXPECT_FALSE(check.tmr1->Running());
  }
}

TEST_F(VersionCheckTest, RunUpdaterWritesTheUpdaterAndStartsItWithFiveArguments) {
  test::ScratchFolder folder;
  PopupInterval = 7'200'000;
  LaunchSiteText = L"site \"quoted\"";
  std::wstring file, parameters;
  const bool started = RunUpdater(folder.path() + L"\\", [&](const std::wstring& f, const std::wstring& p) {
    file = f;
    parameters = p;
    return true;
  });
  EXPECT_TRUE(started);
  EXPECT_EQ(file, folder.File(L"VantrelUpdate.exe"));
  EXPECT_NE(::GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(parameters, L"7200000 \"site quoted\" \"http://" + server_->HostPort() + L"/update/Vantrel.exe\" \"http://" +
                            server_->HostPort() + L"/update/Vantrel.exe\" \"win_update_tests.exe\"");

  // A launch that fails is a failed hand-off.
  EXPECT_FALSE(RunUpdater(folder.path() + L"\\", [](const std::wstring&, const std::wstring&) { return false; }));
}

// The folder is the user's, the program runs as administrator: a link left
// as "VantrelUpdate.exe" is replaced, not written through.
TEST_F(VersionCheckTest, RunUpdaterNeverWritesThroughALinkUnderTheUpdatersName) {
  test::ScratchFolder folder, elsewhere;
  const std::wstring victim = elsewhere.File(L"system.dll");
  {
    platform::UniqueFile file(::CreateFileW(victim.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), "keep", 4, &written, nullptr));
  }
  ASSERT_TRUE(::CreateHardLinkW(folder.File(L"VantrelUpdate.exe").c_str(), victim.c_str(), nullptr));
  EXPECT_TRUE(RunUpdater(folder.path() + L"\\", [](const std::wstring&, const std::wstring&) { return true; }));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(::GetFileAttributesExW(victim.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 4u);
  ASSERT_TRUE(::GetFileAttributesExW(folder.File(L"VantrelUpdate.exe").c_str(), GetFileExInfoStandard, &data));
  EXPECT_GT(data.nFileSizeLow, 4u);
}

TEST_F(VersionCheckTest, AnUpdaterFileThatCannotBeWrittenFailsTheHandOffWithTheExtractionMessage) {
  test::ScratchFolder folder;
  const std::wstring path = folder.File(L"VantrelUpdate.exe");
  // A previous updater still running holds its file.
  platform::UniqueFile held(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(held);
  test::ScriptedDialogs dialogs;
  bool launched = false;
  EXPECT_FALSE(RunUpdater(folder.path() + L"\\", [&](const std::wstring&, const std::wstring&) {
    launched = true;
    return true;
  }));
  EXPECT_FALSE(launched);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text.rfind(L"File create fail : ", 0), 0u) << dialogs.messages[0].text;
}

}  // namespace
}  // namespace vantrel
