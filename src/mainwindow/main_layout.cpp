#include "mainwindow/main_layout.h"

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

SnapResult SnapToWorkArea(int x, int y, int cx, int cy, const WorkArea& a) {
  auto near = [](int distance) { return distance >= -kSnapDistance && distance <= kSnapDistance; };
  SnapResult r{x, y};
  // Right and bottom first, both from the proposed position...
  if (near(a.right - (x + cx))) r.x = a.right - cx;
  if (near(a.bottom - (y + cy))) r.y = a.bottom - cy;
  // ...then left and top from the possibly moved one, so that they win.
  if (near(r.x - a.left)) r.x = a.left;
  if (near(r.y - a.top)) r.y = a.top;
  return r;
}

}  // namespace vantrel
