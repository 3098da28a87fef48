// The page control under Wine, driven through its real tab strip: clicks on
// a tab and arrow keys, a handler that refuses the change, disabled sheets.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

#include "kit_test_form.h"
#include "ui/page_control.h"

using namespace vantrel::ui;
using vantrel::ui::test::KitTestForm;

namespace {

HWND StripOf(const PageControl& pages) {
  return FindWindowExW(pages.hwnd(), nullptr, WC_TABCONTROLW, nullptr);
}

void ClickTab(HWND strip, int index) {
  RECT r{};
  ASSERT_TRUE(TabCtrl_GetItemRect(strip, index, &r));
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(strip, WM_LBUTTONUP, 0, at);
  PumpPendingMessages();
}

void PressKey(HWND strip, UINT key) {
  SetFocus(strip);
  SendMessageW(strip, WM_KEYDOWN, key, 0);
  SendMessageW(strip, WM_KEYUP, key, 0xC0000000);
  PumpPendingMessages();
}

struct Pages {
  KitTestForm form;
  PageControl& control = form.Add<PageControl>(Rect{0, 0, 300, 200}, Align::Client);
  Panel& one = control.AddSheet(L"One");
  Panel& two = control.AddSheet(L"Two");
  Panel& three = control.AddSheet(L"Three");
  HWND strip = StripOf(control);
  Pages() { form.Show(); }
  // Which sheet shows, and whether tab and sheet agree.
  int Shown() const {
    int shown = -1;
    for (int i = 0; i < control.SheetCount(); ++i)
      if (control.Sheet(i).Visible() && IsWindowVisible(control.Sheet(i).hwnd())) shown = shown == -1 ? i : -2;
    return shown;
  }
};

}  // namespace

TEST(PageControl, UserChoiceIsRefusedByTheHandlerOrByADisabledSheet) {
  enum class Input { Click, RightKey };
  struct Case {
    const char* name;
    Input input;
    bool disableTwo;
    bool refuse;
    int expected;  // the sheet shown afterwards
    int asked;     // the tab the handler was asked about (-1: not asked)
  };
  const Case cases[] = {
      {"click, allowed", Input::Click, false, false, 1, 1},
      {"click, refused by the handler", Input::Click, false, true, 0, 1},
      {"click on a disabled tab", Input::Click, true, false, 0, -1},
      {"key, allowed", Input::RightKey, false, false, 1, 1},
      {"key, refused by the handler", Input::RightKey, false, true, 0, 1},
      {"key past a disabled tab", Input::RightKey, true, false, 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pages p;
    ASSERT_TRUE(p.form.created);
    ASSERT_NE(p.strip, nullptr);
    p.control.SetSheetEnabled(1, !c.disableTwo);
    int asked = -1, changed = -1;
    p.control.onChanging = [&](int index) {
      asked = index;
      return !c.refuse;
    };
    p.control.onChange = [&](int index) { changed = index; };
    if (c.input == Input::Click)
      ClickTab(p.strip, 1);
    else
      PressKey(p.strip, VK_RIGHT);

    EXPECT_EQ(p.control.ActiveIndex(), c.expected);
    EXPECT_EQ(TabCtrl_GetCurSel(p.strip), c.expected);  // the strip agrees with the sheet
    EXPECT_EQ(p.Shown(), c.expected);
    EXPECT_EQ(changed, c.expected == 0 ? -1 : c.expected);
    // The handler is asked with the tab the user went for, never for a disabled one.
    EXPECT_EQ(asked, c.asked);
  }
}

TEST(PageControl, RefusedMoveLeavesTheStripReadyForTheNextOne) {
  Pages p;
  bool refuse = true;
  p.control.onChanging = [&](int) { return !refuse; };
  PressKey(p.strip, VK_RIGHT);
  EXPECT_EQ(p.control.ActiveIndex(), 0);
  refuse = false;
  PressKey(p.strip, VK_RIGHT);  // from the kept tab, not from the refused one
  EXPECT_EQ(p.control.ActiveIndex(), 1);
  EXPECT_EQ(p.Shown(), 1);
  ClickTab(p.strip, 2);  // a click after keys
  EXPECT_EQ(p.control.ActiveIndex(), 2);
  PressKey(p.strip, VK_LEFT);
  EXPECT_EQ(p.control.ActiveIndex(), 1);
  ClickTab(p.strip, 0);
  EXPECT_EQ(p.control.ActiveIndex(), 0);
}

TEST(PageControl, ArrowKeysStepOverADisabledTab) {
  Pages p;
  p.control.SetSheetEnabled(1, false);
  std::vector<int> asked;
  p.control.onChanging = [&](int index) {
    asked.push_back(index);
    return true;
  };
  PressKey(p.strip, VK_RIGHT);
  EXPECT_EQ(p.control.ActiveIndex(), 2);
  EXPECT_EQ(TabCtrl_GetCurSel(p.strip), 2);
  EXPECT_EQ(p.Shown(), 2);
  PressKey(p.strip, VK_RIGHT);  // nothing beyond the last tab
  EXPECT_EQ(p.control.ActiveIndex(), 2);
  PressKey(p.strip, VK_LEFT);
  EXPECT_EQ(p.control.ActiveIndex(), 0);
  EXPECT_EQ(asked, (std::vector<int>{2, 0}));

  // With nothing enabled beyond it, the disabled tab is a wall.
  p.control.SetSheetEnabled(2, false);
  PressKey(p.strip, VK_RIGHT);
  EXPECT_EQ(p.control.ActiveIndex(), 0);
  EXPECT_EQ(TabCtrl_GetCurSel(p.strip), 0);
  EXPECT_EQ(p.Shown(), 0);

  // A refused step over keeps the first tab.
  p.control.SetSheetEnabled(2, true);
  p.control.onChanging = [](int) { return false; };
  PressKey(p.strip, VK_RIGHT);
  EXPECT_EQ(p.control.ActiveIndex(), 0);
  EXPECT_EQ(TabCtrl_GetCurSel(p.strip), 0);
}

TEST(PageControl, EnablingAgainAndTheProgramsOwnChoice) {
  Pages p;
  p.control.SetSheetEnabled(2, false);
  EXPECT_FALSE(p.control.SheetEnabled(2));
  EXPECT_TRUE(p.control.SheetEnabled(1));
  EXPECT_FALSE(p.control.SheetEnabled(7));
  ClickTab(p.strip, 2);
  EXPECT_EQ(p.control.ActiveIndex(), 0);
  p.control.SetSheetEnabled(2, true);
  ClickTab(p.strip, 2);
  EXPECT_EQ(p.control.ActiveIndex(), 2);

  // The program may show any sheet; the handler is not asked.
  p.control.SetSheetEnabled(0, false);
  bool asked = false;
  p.control.onChanging = [&](int) { return asked = true, false; };
  p.control.SetActiveIndex(0);
  EXPECT_EQ(p.control.ActiveIndex(), 0);
  EXPECT_EQ(TabCtrl_GetCurSel(p.strip), 0);
  EXPECT_EQ(p.Shown(), 0);
  EXPECT_FALSE(asked);
}
