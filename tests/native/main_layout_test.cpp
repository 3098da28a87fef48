// Launcher placement, window height and edge snapping of the main window.
#include "mainwindow/main_layout.h"

#include <gtest/gtest.h>

#include <climits>

using namespace vantrel;

namespace {

LauncherSet Only(std::initializer_list<int> complete) {
  LauncherSet set;
  for (int k = 0; k < 4; ++k) set[static_cast<size_t>(k)].name = L"name" + std::to_wstring(k + 1);
  for (int k : complete) set[static_cast<size_t>(k - 1)].path = L"C:\\p" + std::to_wstring(k) + L".exe";
  return set;
}

struct Expected {
  bool shown;
  int left, top, width;
};
constexpr Expected kOff{false, 0, 0, 0};

}  // namespace

TEST(LauncherLayout, PlacesValidLaunchersInTheirOrder) {
  const LauncherMetrics m;  // 10/210 full, 10 and 120 halves of 100, rows of 31
  struct Case {
    std::initializer_list<int> complete;
    int rows;
    std::array<Expected, 4> places;
  } cases[] = {
      {{3}, 1, {{kOff, kOff, {true, 10, 0, 210}, kOff}}},
      {{2, 4}, 1, {{kOff, {true, 10, 0, 100}, kOff, {true, 120, 0, 100}}}},
      {{1, 2, 4}, 2, {{{true, 10, 0, 100}, {true, 120, 0, 100}, kOff, {true, 10, 31, 210}}}},
      {{1, 2, 3, 4}, 2, {{{true, 10, 0, 100}, {true, 120, 0, 100}, {true, 10, 31, 100}, {true, 120, 31, 100}}}},
  };
  for (const Case& c : cases) {
    LauncherLayout layout = LayoutLaunchers(true, Only(c.complete), m);
    ASSERT_TRUE(layout.used);
    EXPECT_EQ(layout.rowCount, c.rows);
    EXPECT_EQ(layout.panelHeight, 31 * c.rows);
    for (size_t k = 0; k < 4; ++k) {
      SCOPED_TRACE(testing::Message() << "rows " << c.rows << ", launcher " << k + 1);
      EXPECT_EQ(layout.buttons[k].shown, c.places[k].shown);
      if (!c.places[k].shown) continue;
      EXPECT_EQ(layout.buttons[k].left, c.places[k].left);
      EXPECT_EQ(layout.buttons[k].top, c.places[k].top);
      EXPECT_EQ(layout.buttons[k].width, c.places[k].width);
    }
  }
}

TEST(LauncherLayout, UnusedOrWithoutACompleteLauncherThePanelGoes) {
  const LauncherMetrics m;
  LauncherSet pathsOnly = Only({1, 2, 3, 4});
  for (auto& l : pathsOnly) l.name.clear();
  for (const auto& [use, set] : {std::pair{false, Only({1, 2})}, std::pair{true, Only({})},
                                 std::pair{true, pathsOnly}, std::pair{true, LauncherSet{}}}) {
    LauncherLayout layout = LayoutLaunchers(use, set, m);
    EXPECT_FALSE(layout.used);
    EXPECT_EQ(layout.rowCount, 0);
    for (const auto& b : layout.buttons) EXPECT_FALSE(b.shown);
  }
}

TEST(MainWindowHeight, AddsLauncherRowsAndDropsTheMenuWhenHidden) {
  const MainWindowHeights h{.base = 576, .programRow = 31, .siteRow = 30, .labelPanel = 91, .buttonPanel = 251};
  EXPECT_EQ(MainWindowHeight(h, 0, 0, false), 576);
  EXPECT_EQ(MainWindowHeight(h, 2, 1, false), 576 + 62 + 30);
  EXPECT_EQ(MainWindowHeight(h, 0, 0, true), 576 - 342);
  EXPECT_EQ(MainWindowHeight(h, 1, 2, true), 576 + 31 + 60 - 342);
}

TEST(EdgeSnapping, JumpsToEdgesWithinFiftyPixelsAndLeftTopWin) {
  const WorkArea area{0, 0, 1024, 738};
  struct Case {
    int x, y, cx, cy, wantX, wantY;
  } cases[] = {
      {500, 300, 237, 698, 500, 300},     // far from every edge
      {760, 20, 237, 400, 787, 0},        // right edge 27 px away, top 20 px away
      {837, 300, 237, 300, 787, 300},     // 50 px beyond the right edge: still snaps
      {838, 300, 237, 300, 838, 300},     // 51 px beyond: stays
      {-50, 100, 237, 300, 0, 100},       // 50 px beyond the left edge
      {-51, 100, 237, 300, -51, 100},     // 51 px beyond
      {300, 400, 237, 300, 300, 438},     // bottom edge 38 px away
      {300, 489, 237, 300, 300, 489},     // bottom edge 51 px away
      {10, 10, 1000, 700, 0, 0},          // both edges in reach: left and top win
      {30, 0, 1010, 300, 0, 0},           // right snap to 14, then left wins
  };
  for (const Case& c : cases) {
    SnapResult r = SnapToWorkArea(c.x, c.y, c.cx, c.cy, area);
    EXPECT_EQ(r.x, c.wantX) << c.x << "," << c.y;
    EXPECT_EQ(r.y, c.wantY) << c.x << "," << c.y;
  }
  // A work area that does not start at 0 (taskbar at the top or left).
  SnapResult r = SnapToWorkArea(40, 70, 200, 200, WorkArea{30, 60, 800, 600});
  EXPECT_EQ(r.x, 30);
  EXPECT_EQ(r.y, 60);
}

TEST(EdgeSnapping, CoordinatesNearTheEndsOfTheIntRangeNeitherOverflowNorSnapFalsely) {
  constexpr int kMin = INT_MIN, kMax = INT_MAX;
  struct Case {
    int x, y, cx, cy;
    WorkArea area;
    int wantX, wantY;
  } cases[] = {
      // Far from an ordinary work area at either end: stays put (a wrapped
      // distance would look small and snap).
      {kMin, kMin, 237, 300, {0, 0, 1024, 738}, kMin, kMin},
      {kMax, kMax, 237, 300, {0, 0, 1024, 738}, kMax, kMax},
      {kMax - 10, kMax - 10, kMax, kMax, {0, 0, 1024, 738}, kMax - 10, kMax - 10},
      {kMin, kMin, kMax, kMax, {0, 0, 1024, 738}, kMin, kMin},
      // A work area at the bottom of the range: the left and top edges snap.
      {kMin + 20, kMin + 30, 237, 300, {kMin, kMin, kMin + 2000, kMin + 2000}, kMin, kMin},
      // ...and at the top of the range: the right and bottom edges snap.
      {kMax - 260, kMax - 330, 237, 300, {kMax - 2000, kMax - 2000, kMax, kMax}, kMax - 237, kMax - 300},
      // A snapped position beyond the int range is held at its end.
      {kMin, 0, 55, 10, {kMin + 1000, 0, kMin + 10, 5000}, kMin, 0},
  };
  for (const Case& c : cases) {
    SnapResult r = SnapToWorkArea(c.x, c.y, c.cx, c.cy, c.area);
    EXPECT_EQ(r.x, c.wantX) << c.x << "," << c.y;
    EXPECT_EQ(r.y, c.wantY) << c.x << "," << c.y;
  }
}
