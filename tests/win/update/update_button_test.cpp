// The main window's Update button against the local server: the version in
// the "latest version" message, the question for an announced update, and
// a hand-off that fails.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/app_state.h"
#include "core/helpers.h"
#include "mainwindow/vantrel_main_form.h"
#include "support/scratch.h"
#include "support/scripted_dialogs.h"
#include "ui/window.h"
#include "update/proxy.h"
#include "update/version_check.h"
#include "update_test_support.h"

namespace vantrel {
namespace {

class UpdateButtonTest : public test::HttpServerTest {
 protected:
  void SetUp() override {
    HttpServerTest::SetUp();
    KoreanUi = false;
    SetVendorServerForTesting(server_->HostPort());
    ResetVersionCheckValuesForTesting();
    ResetProxyCacheForTesting();
    form_ = std::make_unique<TVantrelMainForm>(folder_.File(L"Vantrel.ini"));
    ASSERT_TRUE(form_->Create());
    ui::PumpPendingMessages();
  }
  void TearDown() override {
    form_.reset();
    ui::PumpPendingMessages();
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    SetVendorServerForTesting(L"");
    ResetVersionCheckValuesForTesting();
  }
  void Announce(const std::string& version) {
    ASSERT_TRUE(server_->Route("{\"path\": \"/version.html\", \"body\": " +
                               test::JsonText("Vantrel Version=" + version + "\r\n") + "}"));
  }
  test::ScratchFolder folder_;
  std::unique_ptr<TVantrelMainForm> form_;
  test::ScriptedDialogs dialogs_;
};

TEST_F(UpdateButtonTest, TheOwnVersionAnnouncedShowsTheLatestVersionMessageWithIt) {
  Announce("1.5.6.4");
  form_->btnUpdate->Click();
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text, form_->UpdateText(3) + L" (Version : 1.5.6.4)");
  EXPECT_EQ(dialogs_.messages[0].type & 0xF, static_cast<UINT>(MB_OK));
}

TEST_F(UpdateButtonTest, WithoutTheServerTheParenthesesStayEmpty) {
  SetVendorServerForTesting(L"127.0.0.1:1");
  form_->btnUpdate->Click();
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text, form_->UpdateText(3) + L" (Version : )");
}

TEST_F(UpdateButtonTest, AnAnnouncedUpdateAsksAndNoChangesNothing) {
  Announce("1.5.7.0");
  dialogs_.Answer(IDNO);
  form_->btnUpdate->Click();
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text, form_->UpdateText(1));
  EXPECT_EQ(dialogs_.messages[0].caption, form_->btnUpdate->Text());
  EXPECT_EQ(dialogs_.messages[0].owner, form_->hwnd());
  EXPECT_EQ(dialogs_.messages[0].type & 0xF, static_cast<UINT>(MB_YESNO));
  EXPECT_TRUE(::IsWindow(form_->hwnd()));
}

TEST_F(UpdateButtonTest, YesWithAnUpdaterFileThatCannotBeWrittenShowsTheFailureAndTheWindowStays) {
  // The updater file beside this test program is held, so that the hand-off
  // fails without anything written there.
  const std::wstring updater = GetProgramFolder() + L"VantrelUpdate.exe";
  platform::UniqueFile held(
      ::CreateFileW(updater.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!held) GTEST_SKIP() << "no VantrelUpdate.exe beside the test program to hold";
  Announce("1.5.7.0");
  dialogs_.Answer(IDYES);
  form_->btnUpdate->Click();
  ASSERT_EQ(dialogs_.messages.size(), 3u);
  EXPECT_EQ(dialogs_.messages[1].text.rfind(L"File create fail : ", 0), 0u);  // the extraction's own message
  EXPECT_EQ(dialogs_.messages[2].text, form_->UpdateText(2));
  EXPECT_TRUE(::IsWindow(form_->hwnd()));
}

}  // namespace
}  // namespace vantrel
