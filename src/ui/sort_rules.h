#pragma once
// The column sort of the tool windows' lists, as rules without Windows: the
// sort marker kept in the column captions, and the order an exchange sort of
// the rows' keys produces.
#include <string>
#include <vector>

namespace vantrel::ui {

inline constexpr wchar_t kSortUp = L'\u25B2';    // "▲": ascending
inline constexpr wchar_t kSortDown = L'\u25BC';  // "▼": descending

// The caption without its trailing " ▲" / " ▼" (the space is optional).
std::wstring StripSortMarker(const std::wstring& caption);

struct ColumnSort {
  std::vector<std::wstring> captions;  // every column's new caption
  bool ascending = true;
};

// A click on `clicked`: the marker leaves the other column that carries one,
// and the clicked column gets " ▲" (ascending) unless it carried "▲" already,
// in which case it gets " ▼" (descending). Out-of-range `clicked` changes
// nothing and sorts ascending.
ColumnSort NextColumnSort(const std::vector<std::wstring>& captions, int clicked);

// A row's sort key: ASCII letters lower-cased, every other byte kept.
std::string SortKey(std::string bytes);

// The order in which an exchange sort leaves the rows: for i from the first
// row to the second-last, for j after it, rows i and j change places when
// (ascending and key(i) > key(j)) or (descending and key(i) < key(j)), keys
// compared byte by byte. result[k] is the original index of the row that
// ends at position k. Rows with equal keys land where that sort puts them.
std::vector<int> ExchangeSortOrder(const std::vector<std::string>& keys, bool ascending);

// Exchanges that turn the identity into `order` (each a pair of positions,
// applied in sequence); at most one less than the number of rows.
std::vector<std::pair<int, int>> SwapsForOrder(const std::vector<int>& order);

}  // namespace vantrel::ui
