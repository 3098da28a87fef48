#pragma once
// Layout rules of the main window, free of Windows: where the launcher
// buttons go, how high the window is, and how it snaps to the work area.
#include <array>
#include <string>

namespace vantrel {

// One launcher as stored: caption and what it opens (a program or an address).
struct Launcher {
  std::wstring name, path;
  bool Valid() const { return !name.empty() && !path.empty(); }
};
using LauncherSet = std::array<Launcher, 4>;

// The places a launcher panel offers, in pixels of the running window: one
// full-width column, a left and a right half column, and the row height.
struct LauncherMetrics {
  int fullLeft = 10, fullWidth = 210;
  int halfLeft = 10, halfRight = 120, halfWidth = 100;
  int rowHeight = 31;
};

struct LauncherButtonPlace {
  bool shown = false;
  int left = 0, top = 0, width = 0;
};

struct LauncherLayout {
  bool used = false;  // the panel is shown
  int rowCount = 0;   // 0 when not used, else 1 or 2
  int panelHeight = 0;
  std::array<LauncherButtonPlace, 4> buttons{};
};

// Valid launchers (name and path both given) take the places in their order:
// one alone spans the full width; two share the first row; a third spans the
// second row; a fourth shares it. Not used when `use` is false or nothing is
// valid.
LauncherLayout LayoutLaunchers(bool use, const LauncherSet& launchers, const LauncherMetrics& metrics);

// The window height for the launcher rows shown, without the notice and the
// tool buttons while the menu is hidden.
struct MainWindowHeights {
  int base = 0;  // window height without either launcher panel
  int programRow = 0, siteRow = 0;
  int labelPanel = 0, buttonPanel = 0;
};
int MainWindowHeight(const MainWindowHeights& heights, int programRows, int siteRows, bool menuHidden);

// Edge snapping of a window being moved: within 50 pixels of a work-area
// edge it jumps flush to that edge; the left and top edges win over the
// right and bottom ones.
struct WorkArea {
  int left = 0, top = 0, right = 0, bottom = 0;
};
struct SnapResult {
  int x = 0, y = 0;
};
inline constexpr int kSnapDistance = 50;
SnapResult SnapToWorkArea(int x, int y, int cx, int cy, const WorkArea& area);

}  // namespace vantrel
