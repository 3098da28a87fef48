// The list view pieces the tool windows build on: cell images, row exchange
// that carries everything a row holds, mouse-down of any button on a cell,
// and the column sort with its caption marker.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/list_sort.h"
#include "ui/list_view.h"
#include "ui/window.h"

using namespace vantrel::ui;

namespace {

class ListForm : public Form {
 public:
  ListForm() {
    InitializeUi();
    FormSpec layout;
    layout.className = L"VantrelListKitTestForm";
    layout.caption = L"List kit";
    layout.clientWidth = 420;
    layout.clientHeight = 240;
    Create(layout);
    list = &Add<ListView>(Rect{0, 0, 420, 240}, ListViewOptions{.subItemImages = true});
    list->AddColumn(L"Name", 120);
    list->AddColumn(L"Except", 80);
    list->AddColumn(L"Maker", 120);
    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
    list->AddImage(icon);  // 0: clear mark
    list->AddImage(icon);  // 1: set mark
  }
  // A row whose texts, images and data all name it, so a moved row can be
  // recognised by every part.
  void AddRow(const std::wstring& name, const std::wstring& maker, int mark) {
    int row = list->AddItem({name, mark ? L"Excluded" : L"", maker}, mark, static_cast<LPARAM>(hidden.size()));
    list->SetItemImage(row, 1, mark);
    hidden.push_back(name);
  }
  std::vector<std::wstring> Column(int column) const {
    std::vector<std::wstring> texts;
    for (int i = 0; i < list->Count(); ++i) texts.push_back(list->ItemText(i, column));
    return texts;
  }
  ListView* list = nullptr;
  std::vector<std::wstring> hidden;  // kept in step with the rows, as the add-on window keeps its ids
};

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

TEST(ListKit, SwapRowsCarriesEveryPartOfARow) {
  ListForm form;
  ListView& list = *form.list;
  form.AddRow(L"alpha", L"Maker A", 0);
  form.AddRow(L"beta", L"Maker B", 1);
  list.Select(1);
  std::vector<std::pair<int, int>> swapped;
  list.onRowsSwapped = [&](int a, int b) { swapped.emplace_back(a, b); };

  list.SwapRows(0, 1);
  EXPECT_EQ(form.Column(0), (std::vector<std::wstring>{L"beta", L"alpha"}));
  EXPECT_EQ(form.Column(1), (std::vector<std::wstring>{L"Excluded", L""}));
  EXPECT_EQ(form.Column(2), (std::vector<std::wstring>{L"Maker B", L"Maker A"}));
  EXPECT_EQ(list.ItemImage(0, 0), 1);
  EXPECT_EQ(list.ItemImage(0, 1), 1);
  EXPECT_EQ(list.ItemImage(1, 1), 0);
  EXPECT_EQ(list.ItemData(0), 1);
  EXPECT_EQ(list.ItemData(1), 0);
  EXPECT_TRUE(list.Selected(0));
  EXPECT_FALSE(list.Selected(1));
  EXPECT_EQ(swapped, (std::vector<std::pair<int, int>>{{0, 1}}));

  list.SwapRows(1, 1);  // same row, and rows out of range: nothing happens
  list.SwapRows(0, 5);
  EXPECT_EQ(swapped.size(), 1u);
  EXPECT_EQ(form.Column(0), (std::vector<std::wstring>{L"beta", L"alpha"}));
}

TEST(ListKit, SortByColumnMovesTheMarkerAndKeepsHiddenListsInStep) {
  ListForm form;
  ListView& list = *form.list;
  form.AddRow(L"delta", L"zeta soft", 1);
  form.AddRow(L"Alpha", L"Beta soft", 0);
  form.AddRow(L"charlie", L"alpha soft", 0);
  form.AddRow(L"bravo", L"Alpha soft", 1);
  list.onRowsSwapped = [&](int a, int b) { std::swap(form.hidden[static_cast<size_t>(a)], form.hidden[static_cast<size_t>(b)]); };
  auto hiddenFollow = [&] {
    for (int i = 0; i < list.Count(); ++i) {
      EXPECT_EQ(form.hidden[static_cast<size_t>(i)], list.ItemText(i, 0));
      EXPECT_EQ(list.ItemImage(i, 1), list.ItemText(i, 1).empty() ? 0 : 1) << i;
    }
  };

  SortListByColumn(list, 0);  // letters compared lower-cased
  EXPECT_EQ(form.Column(0), (std::vector<std::wstring>{L"Alpha", L"bravo", L"charlie", L"delta"}));
  EXPECT_EQ(list.ColumnCaption(0), L"Name \u25B2");
  hiddenFollow();

  SortListByColumn(list, 0);  // the same column again: descending
  EXPECT_EQ(form.Column(0), (std::vector<std::wstring>{L"delta", L"charlie", L"bravo", L"Alpha"}));
  EXPECT_EQ(list.ColumnCaption(0), L"Name \u25BC");
  hiddenFollow();

  SortListByColumn(list, 2);  // another column: the marker moves, ascending again
  EXPECT_EQ(list.ColumnCaption(0), L"Name");
  EXPECT_EQ(list.ColumnCaption(2), L"Maker \u25B2");
  // "alpha soft" (charlie) and "Alpha soft" (bravo) tie; the exchange sort
  // keeps them in the order they had after the descending sort above.
  EXPECT_EQ(form.Column(0), (std::vector<std::wstring>{L"charlie", L"bravo", L"Alpha", L"delta"}));
  EXPECT_EQ(form.Column(2), (std::vector<std::wstring>{L"alpha soft", L"Alpha soft", L"Beta soft", L"zeta soft"}));
  hiddenFollow();
}

TEST(ListKit, MouseDownOfEitherButtonNamesTheCell) {
  ListForm form;
  form.Show();
  ListView& list = *form.list;
  form.AddRow(L"alpha", L"Maker A", 0);
  form.AddRow(L"beta", L"Maker B", 0);
  std::vector<std::pair<ListHit, UINT>> presses;
  list.onMouseDown = [&](const ListHit& hit, UINT button) { presses.emplace_back(hit, button); };

  RECT cell{};
  cell.top = 1;  // sub-item
  cell.left = LVIR_BOUNDS;
  ASSERT_TRUE(SendMessageW(list.hwnd(), LVM_GETSUBITEMRECT, 1, reinterpret_cast<LPARAM>(&cell)));
  LPARAM at = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
  for (UINT down : {WM_RBUTTONDOWN, WM_LBUTTONDOWN}) {
    PostMessageW(list.hwnd(), down, 0, at);
    PostMessageW(list.hwnd(), down + 1, 0, at);  // the matching button-up
    for (int i = 0; i < 50 && presses.size() < (down == WM_RBUTTONDOWN ? 1u : 2u); ++i) {
      Pump();
      Sleep(10);
    }
  }
  ASSERT_EQ(presses.size(), 2u);
  EXPECT_EQ(presses[0].second, static_cast<UINT>(WM_RBUTTONDOWN));
  EXPECT_EQ(presses[1].second, static_cast<UINT>(WM_LBUTTONDOWN));
  for (auto& [hit, button] : presses) {
    EXPECT_EQ(hit.item, 1);
    EXPECT_EQ(hit.subItem, 1);
  }
  // Below the rows: a press with no row.
  PostMessageW(list.hwnd(), WM_RBUTTONDOWN, 0, MAKELPARAM(20, 220));
  PostMessageW(list.hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(20, 220));
  for (int i = 0; i < 50 && presses.size() < 3; ++i) {
    Pump();
    Sleep(10);
  }
  ASSERT_EQ(presses.size(), 3u);
  EXPECT_EQ(presses[2].first.item, -1);
}
