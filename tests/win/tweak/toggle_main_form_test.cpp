// The toggle as the main window runs it: its four questions, and one round
// trip with the real tweak worker from the button to the registry and back.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/app_state.h"
#include "core/language_table.h"
#include "core/text_rules.h"
#include "mainwindow/vantrel_main_form.h"
#include "support/scratch.h"
#include "support/scripted_dialogs.h"
#include "toggle_support.h"
#include "tweak/tweak_toggle.h"
#include "tweak_fixture.h"

using namespace vantrel;

namespace {

bool FontIsBold(HWND control) {
  LOGFONTW font{};
  auto handle = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
  return handle && ::GetObjectW(handle, sizeof font, &font) && font.lfWeight >= FW_BOLD;
}

class MainFormToggle : public ::testing::Test {
 protected:
  void SetUp() override {
    KoreanUi = false;
    SetCurrentLanguageTable(nullptr);
    test::MsmqBackup::Delete();
    form = std::make_unique<TVantrelMainForm>(folder.File(L"Vantrel.ini"));
    ASSERT_TRUE(form->Create());
    ui::PumpPendingMessages();
  }
  void TearDown() override {
    form.reset();
    ui::PumpPendingMessages();
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  test::MsmqBackup msmq;
  test::ScratchFolder folder;
  test::ScriptedDialogs dialogs;
  std::unique_ptr<TVantrelMainForm> form;
};

TEST_F(MainFormToggle, AsksTheMainWindowsQuestionForEachPairOfOptions) {
  struct Case {
    bool startup, ie;
    const std::wstring& text;
  };
  const BuiltInTexts& builtIn = BuiltIns();
  for (const Case& c : {Case{true, true, builtIn.killProc1}, Case{true, false, builtIn.killProc2},
                        Case{false, true, builtIn.killProc3}, Case{false, false, builtIn.killProc4}}) {
    form->SetResetStartupOnToggle(c.startup);
    form->SetResetIeOnToggle(c.ie);
    dialogs.messages.clear();
    dialogs.Answer(IDNO);
    form->btnVantrelClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, UnescapeLineBreaks(c.text)) << "start-up " << c.startup << ", add-ons " << c.ie;
    EXPECT_EQ(dialogs.messages[0].caption, form->Caption());
    EXPECT_EQ(dialogs.messages[0].owner, form->hwnd());
  }
  EXPECT_EQ(form->ToggleCaption(), L"Vantrel Off");
}

TEST_F(MainFormToggle, TheButtonSwitchesTheTweakOnInBoldAndOffAgain) {
  ASSERT_EQ(form->ToggleCaption(), L"Vantrel Off");
  test::ModalWatcher watcher;
  PopupUrl = L"http://popup.example/op.html";
  dialogs.Answer(IDYES);
  form->btnVantrelClick();  // the real worker: no connections under Wine, the MSMQ value still written
  EXPECT_EQ(test::MsmqBackup::Value(), 1);
  EXPECT_EQ(form->ToggleCaption(), L"Vantrel ON");
  EXPECT_TRUE(FontIsBold(form->btnVantrel->hwnd()));
  ASSERT_EQ(watcher.statusViews.size(), 1u);
  EXPECT_EQ(watcher.statusViews[0][11][1], L"ON");
  EXPECT_EQ(watcher.statusOwners[0], form->hwnd());

  dialogs.Answer(IDYES);
  form->btnVantrelClick();
  PopupUrl.clear();
  EXPECT_EQ(test::MsmqBackup::Value(), -1);
  EXPECT_EQ(form->ToggleCaption(), L"Vantrel Off");
  EXPECT_FALSE(FontIsBold(form->btnVantrel->hwnd()));
  ASSERT_EQ(watcher.statusViews.size(), 2u);
  EXPECT_EQ(watcher.statusViews[1][11][1], L"OFF");
  EXPECT_EQ(dialogs.opened.size(), 2u);
}

}  // namespace
