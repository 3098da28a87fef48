#include "ui/sort_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace vantrel::ui;

TEST(SortRules, MarkerMovesAndFlips) {
  struct Case {
    std::vector<std::wstring> before;
    int clicked;
    std::vector<std::wstring> after;
    bool ascending;
  };
  const Case cases[] = {
      {{L"Name", L"Except", L"Maker"}, 0, {L"Name \u25B2", L"Except", L"Maker"}, true},
      {{L"Name \u25B2", L"Except", L"Maker"}, 0, {L"Name \u25BC", L"Except", L"Maker"}, false},
      {{L"Name \u25BC", L"Except", L"Maker"}, 0, {L"Name \u25B2", L"Except", L"Maker"}, true},
      // the marker leaves the other column; the new one starts ascending
      {{L"Name \u25BC", L"Except", L"Maker"}, 2, {L"Name", L"Except", L"Maker \u25B2"}, true},
      // a marker without its space is still a marker
      {{L"Name\u25B2", L"Except"}, 0, {L"Name \u25BC", L"Except"}, false},
      // a caption of the marker alone
      {{L"\u25B2"}, 0, {L" \u25BC"}, false},
      {{L""}, 0, {L" \u25B2"}, true},
      // out of range: nothing changes
      {{L"Name \u25B2"}, 3, {L"Name \u25B2"}, true},
  };
  for (const Case& c : cases) {
    ColumnSort sort = NextColumnSort(c.before, c.clicked);
    EXPECT_EQ(sort.captions, c.after) << c.clicked;
    EXPECT_EQ(sort.ascending, c.ascending) << c.clicked;
  }
}

TEST(SortRules, KeysLowerOnlyAsciiAndCompareAsBytes) {
  EXPECT_EQ(SortKey("AbC-Z\xC0\xB0"), "abc-z\xC0\xB0");
  // bytes above 0x7F sort after ASCII (a code-page lead byte after letters)
  std::vector<int> order = ExchangeSortOrder({"\xB0\xA1", "b", "A"}, true);
  EXPECT_EQ(order, (std::vector<int>{2, 1, 0}));
}

TEST(SortRules, ExchangeSortMatchesADirectSimulationAndSwapsReproduceIt) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    size_t n = random() % 12;
    std::vector<std::string> keys(n);
    for (auto& k : keys) k = std::string(1, static_cast<char>('a' + random() % 4));  // many ties
    bool ascending = random() % 2;
    // The rows themselves exchanged, as the list does it.
    std::vector<std::pair<std::string, int>> rows;
    for (size_t i = 0; i < n; ++i) rows.emplace_back(keys[i], static_cast<int>(i));
    for (size_t i = 0; i + 1 < n; ++i)
      for (size_t j = i + 1; j < n; ++j)
        if (ascending ? rows[i].first > rows[j].first : rows[i].first < rows[j].first) std::swap(rows[i], rows[j]);
    std::vector<int> order = ExchangeSortOrder(keys, ascending);
    for (size_t i = 0; i < n; ++i) ASSERT_EQ(order[i], rows[i].second);
    std::vector<int> applied(n);
    for (size_t i = 0; i < n; ++i) applied[i] = static_cast<int>(i);
    auto swaps = SwapsForOrder(order);
    EXPECT_LE(swaps.size(), n ? n - 1 : 0);
    for (auto [a, b] : swaps) std::swap(applied[static_cast<size_t>(a)], applied[static_cast<size_t>(b)]);
    EXPECT_EQ(applied, order);
  }
}
