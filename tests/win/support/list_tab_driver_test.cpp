// The process driver on list views and tab controls of another process:
// check states, state and sub-item images, clicks on cells with either
// button, and a tab chosen by a click that the program may refuse.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "support/child_role.h"
#include "support/process_driver.h"

namespace vantrel::test {
namespace {

constexpr int kList = 201, kTabs = 202, kReport = 203;
constexpr const wchar_t* kTargetClass = L"VantrelListTabTarget";

void Report(HWND window, const std::wstring& event) {
  HWND report = ::GetDlgItem(window, kReport);
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(report)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(report, text.data(), static_cast<int>(text.size()))));
  ::SetWindowTextW(report, (text + event + L";").c_str());
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<NMHDR*>(l);
    if (header->idFrom == kList && (header->code == NM_CLICK || header->code == NM_RCLICK)) {
      const auto* click = reinterpret_cast<NMITEMACTIVATE*>(l);
      Report(window, std::wstring(header->code == NM_CLICK ? L"L " : L"R ") + std::to_wstring(click->iItem) + L" " +
                         std::to_wstring(click->iSubItem));
    }
    // The tab in the middle keeps the selection: no move away from it.
    if (header->idFrom == kTabs && header->code == TCN_SELCHANGING)
      return TabCtrl_GetCurSel(header->hwndFrom) == 1 ? TRUE : FALSE;
    if (header->idFrom == kTabs && header->code == TCN_SELCHANGE)
      Report(window, L"tab " + std::to_wstring(TabCtrl_GetCurSel(header->hwndFrom)));
  }
  if (message == WM_CONTEXTMENU) Report(window, L"menu");
  if (message == WM_DESTROY) ::PostQuitMessage(0);
  return ::DefWindowProcW(window, message, w, l);
}

void AddRow(HWND list, int index, const wchar_t* first, const wchar_t* second, int image, int secondImage) {
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = index;
  item.iImage = image;
  item.pszText = const_cast<wchar_t*>(first);
  ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  item.iSubItem = 1;
  item.pszText = const_cast<wchar_t*>(second);
  item.iImage = secondImage;
  ::SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

[[noreturn]] void ListTabTarget() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&icc);
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = TargetProc;
  wc.hInstance = instance;
  wc.lpszClassName = kTargetClass;
  ::RegisterClassW(&wc);
  HWND window = ::CreateWindowExW(0, kTargetClass, L"list and tabs", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 500,
                                  400, nullptr, nullptr, instance, nullptr);
  auto child = [&](const wchar_t* cls, DWORD style, int x, int y, int w, int h, int id) {
    return ::CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, window,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  HWND tabs = child(WC_TABCONTROLW, 0, 10, 10, 460, 30, kTabs);
  for (const wchar_t* caption : {L"First", L"Middle", L"Last"}) {
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<wchar_t*>(caption);
    ::SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(TabCtrl_GetItemCount(tabs)),
                   reinterpret_cast<LPARAM>(&tab));
  }
  HWND list = child(WC_LISTVIEWW, LVS_REPORT, 10, 50, 460, 200, kList);
  ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_SUBITEMIMAGES | LVS_EX_FULLROWSELECT);
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 0);
  for (int i = 0; i < 3; ++i) ImageList_AddIcon(images, ::LoadIconW(nullptr, IDI_APPLICATION));
  ListView_SetImageList(list, images, LVSIL_SMALL);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = 150;
  column.pszText = const_cast<wchar_t*>(L"Name");
  ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  column.pszText = const_cast<wchar_t*>(L"State");
  ::SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
  AddRow(list, 0, L"Alpha", L"on", 0, 2);
  AddRow(list, 1, L"Beta", L"off", 1, 0);
  ListView_SetCheckState(list, 1, TRUE);
  child(L"STATIC", 0, 10, 260, 460, 20, kReport);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  ::ExitProcess(0);
}

[[maybe_unused]] const int kRole = [] {
  if (ChildRole() == L"list-tab-target") ListTabTarget();
  return 0;
}();

struct Target {
  ChildProcess process = ChildProcess::Start(OwnExePath(), std::wstring(kChildRoleSwitch) + L"list-tab-target");
  HWND window = WaitForTopLevelWindow(kTargetClass, process.id(), 20000, true);
  HWND list = window ? WaitForChildById(window, kList, 5000) : nullptr;
  HWND tabs = window ? WaitForChildById(window, kTabs, 5000) : nullptr;
  HWND report = window ? WaitForChildById(window, kReport, 5000) : nullptr;
  std::wstring Events() const { return WindowText(report); }
  bool WaitForEvents(const std::wstring& expected) const {
    return WaitUntil([&] { return Events() == expected; }, 5000);
  }
};

TEST(ListTabDriver, ReadsCheckStatesAndImages) {
  Target t;
  ASSERT_NE(t.list, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return ListViewItemCount(t.list) == 2; }, 5000));
  EXPECT_FALSE(ListViewChecked(t.list, 0));
  EXPECT_TRUE(ListViewChecked(t.list, 1));
  EXPECT_EQ(ListViewStateImage(t.list, 0), 1);
  EXPECT_EQ(ListViewStateImage(t.list, 1), 2);
  struct Cell {
    int item, subItem, image;
  } cells[] = {{0, 0, 0}, {0, 1, 2}, {1, 0, 1}, {1, 1, 0}};
  for (const Cell& c : cells)
    EXPECT_EQ(ListViewItemImage(t.list, c.item, c.subItem), c.image) << c.item << "," << c.subItem;
  EXPECT_EQ(ListViewItemImage(t.list, 7, 0), -1);  // no such row
}

TEST(ListTabDriver, ClicksCellsWithEitherButton) {
  Target t;
  ASSERT_NE(t.list, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return ListViewItemCount(t.list) == 2; }, 5000));
  ASSERT_TRUE(ClickListCell(t.list, 1, 1, MouseButton::Left));
  ASSERT_TRUE(t.WaitForEvents(L"L 1 1;")) << std::string(t.Events().begin(), t.Events().end());
  ASSERT_TRUE(ClickListCell(t.list, 0, 0, MouseButton::Right));
  ASSERT_TRUE(t.WaitForEvents(L"L 1 1;R 0 0;menu;")) << std::string(t.Events().begin(), t.Events().end());
  EXPECT_FALSE(ClickListCell(t.list, 5, 0));  // no such row
  EXPECT_FALSE(ClickListCell(t.list, 0, 4));  // no such column
}

TEST(ListTabDriver, SelectsATabAsAClickWouldAndTheProgramMayRefuse) {
  Target t;
  ASSERT_NE(t.tabs, nullptr);
  EXPECT_EQ(TabCount(t.tabs), 3);
  EXPECT_EQ(SelectedTab(t.tabs), 0);
  EXPECT_TRUE(SelectTab(t.tabs, 1));
  EXPECT_TRUE(t.WaitForEvents(L"tab 1;"));
  EXPECT_FALSE(SelectTab(t.tabs, 2));  // refused by the program
  EXPECT_EQ(SelectedTab(t.tabs), 1);
  EXPECT_FALSE(SelectTab(t.tabs, 9));
}

}  // namespace
}  // namespace vantrel::test
