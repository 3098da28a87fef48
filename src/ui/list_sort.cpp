#include "ui/list_sort.h"

#include "platform/text_conv.h"
#include "ui/sort_rules.h"

namespace vantrel::ui {

void SortListByColumn(ListView& list, int column) {
  const int columns = list.ColumnCount();
  if (column < 0 || column >= columns) return;
  std::vector<std::wstring> captions;
  for (int c = 0; c < columns; ++c) captions.push_back(list.ColumnCaption(c));
  ColumnSort sort = NextColumnSort(captions, column);
  for (int c = 0; c < columns; ++c)
    if (sort.captions[static_cast<size_t>(c)] != captions[static_cast<size_t>(c)])
      list.SetColumnCaption(c, sort.captions[static_cast<size_t>(c)]);

  std::vector<std::string> keys;
  const int count = list.Count();
  keys.reserve(static_cast<size_t>(count));
  for (int row = 0; row < count; ++row) keys.push_back(SortKey(platform::ToNarrow(list.ItemText(row, column))));
  auto swaps = SwapsForOrder(ExchangeSortOrder(keys, sort.ascending));
  if (swaps.empty()) return;
  // Hidden while the rows move: no flicker, no repaint per exchange.
  HWND hwnd = list.hwnd();
  ::SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
  for (auto [a, b] : swaps) list.SwapRows(a, b);
  ::SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(hwnd, nullptr, TRUE);
}

}  // namespace vantrel::ui
