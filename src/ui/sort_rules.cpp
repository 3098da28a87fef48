#include "ui/sort_rules.h"

#include <utility>

namespace vantrel::ui {

namespace {
bool IsMarker(wchar_t c) { return c == kSortUp || c == kSortDown; }
}  // namespace

std::wstring StripSortMarker(const std::wstring& caption) {
  if (caption.empty() || !IsMarker(caption.back())) return caption;
  std::wstring base = caption.substr(0, caption.size() - 1);
  if (!base.empty() && base.back() == L' ') base.pop_back();
  return base;
}

ColumnSort NextColumnSort(const std::vector<std::wstring>& captions, int clicked) {
  ColumnSort sort{captions, true};
  if (clicked < 0 || static_cast<size_t>(clicked) >= captions.size()) return sort;
  // At most one other column carries a marker: the first one found loses it.
  for (size_t i = 0; i < captions.size(); ++i) {
    if (static_cast<int>(i) == clicked) continue;
    if (!captions[i].empty() && IsMarker(captions[i].back())) {
      sort.captions[i] = StripSortMarker(captions[i]);
      break;
    }
  }
  const std::wstring& caption = captions[static_cast<size_t>(clicked)];
  wchar_t old = caption.empty() ? L'\0' : caption.back();
  sort.ascending = old != kSortUp;
  sort.captions[static_cast<size_t>(clicked)] =
      StripSortMarker(caption) + L' ' + (sort.ascending ? kSortUp : kSortDown);
  return sort;
}

std::string SortKey(std::string bytes) {
  for (char& c : bytes)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return bytes;
}

std::vector<int> ExchangeSortOrder(const std::vector<std::string>& keys, bool ascending) {
  std::vector<int> order(keys.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  // Byte-wise comparison: std::string compares chars as unsigned through
  // char_traits<char>::compare (memcmp semantics).
  for (size_t i = 0; i + 1 < order.size(); ++i) {
    for (size_t j = i + 1; j < order.size(); ++j) {
      int c = keys[static_cast<size_t>(order[i])].compare(keys[static_cast<size_t>(order[j])]);
      if (ascending ? c > 0 : c < 0) std::swap(order[i], order[j]);
    }
  }
  return order;
}

std::vector<std::pair<int, int>> SwapsForOrder(const std::vector<int>& order) {
  // where[k]: current position of original row k; at[p]: original row at p.
  std::vector<int> at(order.size()), where(order.size());
  for (size_t i = 0; i < order.size(); ++i) at[i] = where[i] = static_cast<int>(i);
  std::vector<std::pair<int, int>> swaps;
  for (size_t p = 0; p < order.size(); ++p) {
    int wanted = order[p];
    int from = where[static_cast<size_t>(wanted)];
    if (from == static_cast<int>(p)) continue;
    swaps.emplace_back(static_cast<int>(p), from);
    int displaced = at[p];
    std::swap(at[p], at[static_cast<size_t>(from)]);
    where[static_cast<size_t>(wanted)] = static_cast<int>(p);
    where[static_cast<size_t>(displaced)] = from;
  }
  return swaps;
}

}  // namespace vantrel::ui
