// The form kit under Wine: layout of aligned panels, routing of control
// notifications through panels, the list view's hit test, modal loops with
// owners (nested, and ended by WM_QUIT), the exception guard at the window
// procedure, the tray icon's messages and the web panel without a browser.
#include <gtest/gtest.h>

#include <stdexcept>

#include "ui/controls.h"
#include "ui/list_view.h"
#include "ui/page_control.h"
#include "ui/tray_icon.h"
#include "ui/web_panel.h"
#include "ui/window.h"

using namespace vantrel::ui;

namespace {

class TestForm : public Form {
 public:
  explicit TestForm(HWND owner = nullptr, int width = 200, int height = 400) {
    InitializeUi();
    FormSpec layout;
    layout.className = L"VantrelTestForm";
    layout.caption = L"Test form";
    layout.clientWidth = width;
    layout.clientHeight = height;
    layout.owner = owner;
    created = Create(layout);
  }
  bool created = false;
  std::function<bool(UINT, WPARAM, LPARAM)> onUser;

 protected:
  bool OnUserMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override {
    *result = 0;
    return onUser && onUser(msg, wp, lp);
  }
};

int ClientHeight(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  return r.bottom;
}

}  // namespace

TEST(FormKit, AlignedPanelsStackInOrderAndHiddenOnesTakeNoSpace) {
  TestForm form;
  ASSERT_TRUE(form.created);
  Panel& top1 = form.Add<Panel>(Rect{0, 0, 200, 50}, Align::Top);
  Panel& top2 = form.Add<Panel>(Rect{0, 0, 200, 62}, Align::Top);
  Panel& fill = form.Add<Panel>(Rect{0, 0, 200, 10}, Align::Client);
  Panel& bottomA = form.Add<Panel>(Rect{0, 0, 200, 91}, Align::Bottom);
  Panel& bottomB = form.Add<Panel>(Rect{0, 0, 200, 21}, Align::Bottom);
  Panel& bottomC = form.Add<Panel>(Rect{0, 0, 200, 30}, Align::Bottom);
  const int h = ClientHeight(form.hwnd());
  ASSERT_EQ(h, Scale(400));

  EXPECT_EQ(top1.TopPx(), 0);
  EXPECT_EQ(top2.TopPx(), Scale(50));
  EXPECT_EQ(bottomC.TopPx(), h - Scale(30));  // the last bottom panel sits lowest
  EXPECT_EQ(bottomB.TopPx(), h - Scale(30) - Scale(21));
  EXPECT_EQ(bottomA.TopPx(), h - Scale(30) - Scale(21) - Scale(91));
  EXPECT_EQ(fill.TopPx(), Scale(112));
  EXPECT_EQ(fill.HeightPx(), bottomA.TopPx() - Scale(112));
  EXPECT_EQ(fill.WidthPx(), Scale(200));

  // Hidden panels take no space; the rest close up.
  top2.SetVisible(false);
  bottomB.SetVisible(false);
  EXPECT_EQ(fill.TopPx(), Scale(50));
  EXPECT_EQ(bottomA.TopPx(), h - Scale(30) - Scale(91));
  EXPECT_EQ(bottomC.TopPx(), h - Scale(30));

  // Shown again, every panel is back in its order, whatever the order of showing.
  bottomB.SetVisible(true);
  top2.SetVisible(true);
  EXPECT_EQ(top2.TopPx(), Scale(50));
  EXPECT_EQ(bottomA.TopPx(), h - Scale(30) - Scale(21) - Scale(91));
  EXPECT_EQ(bottomB.TopPx(), h - Scale(30) - Scale(21));

  // A shorter window keeps the top and bottom panels and shrinks the fill.
  form.SetWindowHeightPx(form.WindowHeightPx() - Scale(40));
  EXPECT_EQ(bottomC.TopPx(), h - Scale(40) - Scale(30));
  EXPECT_EQ(fill.HeightPx(), bottomA.TopPx() - Scale(112));
}

TEST(FormKit, ClicksInsideNestedPanelsReachTheirHandlers) {
  TestForm form;
  Panel& outer = form.Add<Panel>(Rect{0, 0, 200, 100}, Align::Top);
  Panel& inner = outer.Add<Panel>(Rect{0, 0, 200, 60}, Align::Bottom);
  Button& button = inner.Add<Button>(L"Press", Rect{10, 5, 100, 25});
  CheckBox& box = inner.Add<CheckBox>(L"Tick", Rect{10, 32, 100, 17});
  EXPECT_EQ(inner.TopPx(), Scale(40));
  EXPECT_EQ(button.LeftPx(), Scale(10));
  int clicks = 0, ticks = 0;
  button.onClick = [&] { ++clicks; };
  box.onClick = [&] { ++ticks; };

  SendMessageW(button.hwnd(), BM_CLICK, 0, 0);
  SendMessageW(box.hwnd(), BM_CLICK, 0, 0);
  PumpPendingMessages();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(ticks, 1);
  EXPECT_TRUE(box.Checked());
  box.SetChecked(false);  // quiet change
  EXPECT_EQ(ticks, 1);
  box.Click();
  EXPECT_TRUE(box.Checked());
  EXPECT_EQ(ticks, 2);
}

TEST(FormKit, ListViewHitTestNamesRowAndColumn) {
  TestForm form(nullptr, 400, 200);
  ListView& list = form.Add<ListView>(Rect{0, 0, 400, 200}, ListViewOptions{.checkBoxes = true});
  list.AddColumn(L"Name", 100);
  list.AddColumn(L"State", 60, LVCFMT_CENTER);
  list.AddColumn(L"Info", 150);
  EXPECT_EQ(list.ColumnCount(), 3);
  EXPECT_EQ(list.ColumnCaption(1), L"State");
  list.SetColumnCaption(1, L"Status \u25B2");
  EXPECT_EQ(list.ColumnCaption(1), L"Status \u25B2");

  HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
  EXPECT_EQ(list.AddImage(icon), 0);
  EXPECT_EQ(list.AddItem({L"first", L"ON", L"one"}, 0, 11), 0);
  EXPECT_EQ(list.AddItem({L"second", L"OFF", L"two"}, 0, 22), 1);
  EXPECT_EQ(list.ItemText(1, 2), L"two");
  EXPECT_EQ(list.ItemData(1), 22);

  RECT cell{};
  cell.top = 2;  // sub-item index
  cell.left = LVIR_BOUNDS;
  ASSERT_TRUE(SendMessageW(list.hwnd(), LVM_GETSUBITEMRECT, 1, reinterpret_cast<LPARAM>(&cell)));
  ListHit hit = list.HitTest(POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2});
  EXPECT_EQ(hit.item, 1);
  EXPECT_EQ(hit.subItem, 2);
  EXPECT_EQ(list.HitTest(POINT{Scale(50), Scale(190)}).item, -1);  // below the rows

  int changed = -1;
  list.onCheckChanged = [&](int item) { changed = item; };
  list.SetChecked(0, true);
  EXPECT_TRUE(list.Checked(0));
  EXPECT_EQ(changed, 0);
  EXPECT_FALSE(list.Checked(1));
}

TEST(FormKit, ModalFormDisablesItsOwnerAndNestedLoopsEndInTurn) {
  TestForm owner;
  owner.Show();
  TestForm first(owner.hwnd());
  TestForm second(first.hwnd());
  Timer openSecond(first, 10);
  bool ownerDisabledInside = false, firstStillModalAfterSecond = false;
  int secondResult = 0;
  openSecond.onTimer = [&] {
    openSecond.Stop();
    ownerDisabledInside = !IsWindowEnabled(owner.hwnd());
    PostMessageW(second.hwnd(), WM_CLOSE, 0, 0);
    secondResult = second.ShowModal();
    firstStillModalAfterSecond = first.InModalLoop() && !IsWindowEnabled(owner.hwnd()) &&
                                 IsWindowEnabled(first.hwnd());
    first.EndModal(IDOK);
  };
  openSecond.Start();
  EXPECT_EQ(first.ShowModal(), IDOK);
  EXPECT_TRUE(ownerDisabledInside);
  EXPECT_EQ(secondResult, IDCANCEL);
  EXPECT_TRUE(firstStillModalAfterSecond);
  EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
  EXPECT_FALSE(first.IsVisible());
  EXPECT_TRUE(IsWindow(first.hwnd()));  // hidden, not destroyed: its opener destroys it
}

TEST(FormKit, QuitInsideAModalLoopEndsItAndReachesTheOuterLoop) {
  TestForm owner;
  TestForm tool(owner.hwnd());
  PostQuitMessage(7);
  tool.ShowModal();
  EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST(FormKit, NoExceptionLeavesTheWindowProcedure) {
  TestForm form;
  form.onUser = [](UINT msg, WPARAM, LPARAM) -> bool {
    if (msg == WM_USER + 5) throw std::runtime_error("handler failed");
    return false;
  };
  int before = EscapedExceptionCount();
  EXPECT_EQ(SendMessageW(form.hwnd(), WM_USER + 5, 0, 0), 0);
  EXPECT_EQ(EscapedExceptionCount(), before + 1);
  EXPECT_TRUE(IsWindow(form.hwnd()));
  Button& button = form.Add<Button>(L"x", Rect{0, 0, 50, 20});
  button.onClick = [] { throw 42; };
  SendMessageW(button.hwnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(EscapedExceptionCount(), before + 2);
}

TEST(FormKit, TrayIconAnswersItsMessagesAndComesBackWithANewTaskbar) {
  TestForm form;
  TrayIcon tray(form, nullptr, L"hint");
  PopupMenu menu;
  int opened = 0;
  menu.AddItem(L"&Open", [&] { ++opened; });
  menu.AddItem(L"&Close", [] {});
  tray.popupMenu = &menu;
  tray.onDoubleClick = [&] { ++opened; };
  ASSERT_TRUE(tray.Show());
  SendMessageW(form.hwnd(), TrayIcon::kCallbackMessage, 1, WM_LBUTTONDBLCLK);
  EXPECT_EQ(opened, 1);
  menu.Click(0);
  EXPECT_EQ(opened, 2);
  menu.SetCaption(1, L"E&xit");
  EXPECT_EQ(menu.Caption(1), L"E&xit");
  SendMessageW(form.hwnd(), TrayIcon::TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(tray.Shown());
  tray.SetHint(L"new hint");
  EXPECT_EQ(tray.Hint(), L"new hint");
}

TEST(FormKit, PageControlShowsTheSheetOfTheSelectedTab) {
  TestForm form(nullptr, 300, 200);
  PageControl& pages = form.Add<PageControl>(Rect{0, 0, 300, 200}, Align::Client);
  Panel& one = pages.AddSheet(L"One");
  Panel& two = pages.AddSheet(L"Two");
  int changedTo = -1;
  pages.onChange = [&](int index) { changedTo = index; };
  EXPECT_TRUE(one.Visible());
  EXPECT_FALSE(two.Visible());
  EXPECT_GT(one.TopPx(), 0);  // below the tabs
  pages.SetActiveIndex(1);
  EXPECT_EQ(changedTo, 1);
  EXPECT_FALSE(one.Visible());
  EXPECT_TRUE(two.Visible());
  pages.SetSheetCaption(1, L"Zwei");
  EXPECT_EQ(pages.SheetCaption(1), L"Zwei");
}

TEST(FormKit, WebPanelWithoutABrowserEngineStaysQuiet) {
  TestForm form;
  WebPanel& web = form.Add<WebPanel>(Rect{10, 6, 180, 100});
  web.Navigate(L"http://www.vantrel.example/ads/ad.html");  // the engine is disabled in the tests
  EXPECT_EQ(web.LastUrl(), L"http://www.vantrel.example/ads/ad.html");
  for (int i = 0; i < 20; ++i) {
    PumpPendingMessages();
    Sleep(10);
  }
  EXPECT_TRUE(IsWindow(web.hwnd()));
  form.Destroy();
  PumpPendingMessages();
}
