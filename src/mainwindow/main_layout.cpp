#include "mainwindow/main_layout.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace vantrel {

LauncherLayout LayoutLaunchers(bool use, const LauncherSet& launchers, const LauncherMetrics& m) {
  LauncherLayout layout;
  int valid = 0;
  for (const Launcher& l : launchers) valid += l.Valid() ? 1 : 0;
  if (!use || valid == 0) return layout;

  int index = 0;
  for (size_t k = 0; k < launchers.size(); ++k) {
    if (!launchers[k].Valid()) continue;
    LauncherButtonPlace& place = layout.buttons[k];
    place.shown = true;
    const bool secondRow = index >= 2;
    place.top = secondRow ? m.rowHeight : 0;
    // Alone in its row (the only one, or the third of three): full width.
    if ((valid == 1 && index == 0) || (valid == 3 && index == 2)) {
      place.left = m.fullLeft;
      place.width = m.fullWidth;
    } else {
      place.left = index % 2 == 0 ? m.halfLeft : m.halfRight;
      place.width = m.halfWidth;
    }
    ++index;
  }
  layout.used = true;
  layout.rowCount = valid < 3 ? 1 : 2;
  layout.panelHeight = m.rowHeight * layout.rowCount;
  return layout;
}

int MainWindowHeight(const MainWindowHeights& h, int programRows, int siteRows, bool menuHidden) {
  int height = h.base + h.programRow * programRows + h.siteRow * siteRows;
  if (menuHidden) height -= h.labelPanel + h.buttonPanel;
  return height;
}

namespace {

// Distances and snapped positions in 64 bits: a window or work area near the
// ends of the int range must neither overflow nor wrap into a false snap.
bool Near(std::int64_t distance) { return distance >= -kSnapDistance && distance <= kSnapDistance; }

int ClampToInt(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

}  // namespace

SnapResult SnapToWorkArea(int x, int y, int cx, int cy, const WorkArea& a) {
  const std::int64_t width = cx, height = cy;
  std::int64_t nx = x, ny = y;
  // Right and bottom first, both from the proposed position...
  if (Near(std::int64_t{a.right} - (nx + width))) nx = std::int64_t{a.right} - width;
  if (Near(std::int64_t{a.bottom} - (ny + height))) ny = std::int64_t{a.bottom} - height;
  // ...then left and top from the possibly moved one, so that they win.
  if (Near(nx - a.left)) nx = a.left;
  if (Near(ny - a.top)) ny = a.top;
  return SnapResult{ClampToInt(nx), ClampToInt(ny)};
}

}  // namespace vantrel
