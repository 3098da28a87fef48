// Progress bars, background colours, the minimum window size and centring in
// the work area, under Wine.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "kit_test_form.h"
#include "platform/gdi_holders.h"
#include "ui/controls.h"

using namespace vantrel::ui;
using vantrel::ui::test::KitTestForm;

namespace {

DWORD StyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)); }

// What a window paints as its background, read from a memory bitmap.
COLORREF ErasedColor(HWND window) {
  HDC screen = GetDC(nullptr);
  vantrel::platform::MemoryDc dc(CreateCompatibleDC(screen));
  vantrel::platform::UniqueGdiObject bitmap(CreateCompatibleBitmap(screen, 8, 8));
  ReleaseDC(nullptr, screen);
  vantrel::platform::SelectedObject selected(dc.get(), bitmap.get());
  RECT all{0, 0, 8, 8};
  FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
  return GetPixel(dc.get(), 2, 2);
}

struct ColorAnswer {
  HBRUSH brush;
  COLORREF background;
};
// The answer of `container` to WM_CTLCOLORSTATIC from `child`.
ColorAnswer AskColor(HWND container, HWND child) {
  HDC dc = GetDC(child);
  SetBkColor(dc, RGB(1, 2, 3));
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(container, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(child)));
  ColorAnswer answer{brush, GetBkColor(dc)};
  ReleaseDC(child, dc);
  return answer;
}

}  // namespace

TEST(ProgressBar, RangeAndPositionStayInOrder) {
  KitTestForm form;
  ProgressBar& bar = form.Add<ProgressBar>(Rect{10, 10, 200, 16});
  bar.SetRange(0, 120);
  EXPECT_EQ(bar.Minimum(), 0);
  EXPECT_EQ(bar.Maximum(), 120);
  struct Step {
    int set, expected;
  } steps[] = {{60, 60}, {120, 120}, {121, 120}, {-5, 0}, {100000, 120}};
  for (const Step& s : steps) {
    bar.SetPosition(s.set);
    EXPECT_EQ(bar.Position(), s.expected) << "set " << s.set;
  }
  bar.SetPosition(110);
  bar.Advance(30);
  EXPECT_EQ(bar.Position(), 120);
  bar.Advance(-200);
  EXPECT_EQ(bar.Position(), 0);

  bar.SetRange(2000, -10);  // reversed: put in order
  EXPECT_EQ(bar.Minimum(), -10);
  EXPECT_EQ(bar.Maximum(), 2000);
  bar.SetPosition(1500);  // beyond the 16-bit range of PBM_SETRANGE
  EXPECT_EQ(bar.Position(), 1500);
}

TEST(ProgressBar, SmoothAndMarqueeStyles) {
  KitTestForm form;
  ProgressBar& blocks = form.Add<ProgressBar>(Rect{10, 10, 200, 16});
  ProgressBar& smooth = form.Add<ProgressBar>(Rect{10, 30, 200, 16}, ProgressStyle::Smooth);
  EXPECT_EQ(blocks.Style(), ProgressStyle::Blocks);
  EXPECT_FALSE(StyleOf(blocks.hwnd()) & PBS_SMOOTH);
  EXPECT_EQ(smooth.Style(), ProgressStyle::Smooth);
  EXPECT_TRUE(StyleOf(smooth.hwnd()) & PBS_SMOOTH);
  blocks.SetSmooth(true);
  EXPECT_TRUE(StyleOf(blocks.hwnd()) & PBS_SMOOTH);

  smooth.SetRange(0, 50);
  smooth.SetPosition(20);
  if (!smooth.SetMarquee(true)) GTEST_SKIP() << "this progress bar has no marquee";
  EXPECT_TRUE(smooth.MarqueeRunning());
  EXPECT_EQ(smooth.Style(), ProgressStyle::Marquee);
  EXPECT_TRUE(StyleOf(smooth.hwnd()) & PBS_MARQUEE);
  EXPECT_TRUE(smooth.SetMarquee(true, 50));  // a second start only changes the pace
  // Ended, the bar is the smooth bar it was and shows positions again.
  EXPECT_TRUE(smooth.SetMarquee(false));
  EXPECT_EQ(smooth.Style(), ProgressStyle::Smooth);
  EXPECT_FALSE(StyleOf(smooth.hwnd()) & PBS_MARQUEE);
  EXPECT_TRUE(StyleOf(smooth.hwnd()) & PBS_SMOOTH);
  smooth.SetPosition(30);
  EXPECT_EQ(smooth.Position(), 30);

  // Made as a marquee: it runs at once; a switch to blocks ends it.
  ProgressBar& marquee = form.Add<ProgressBar>(Rect{10, 50, 200, 16}, ProgressStyle::Marquee);
  EXPECT_TRUE(marquee.MarqueeRunning());
  EXPECT_TRUE(StyleOf(marquee.hwnd()) & PBS_MARQUEE);
  marquee.SetSmooth(false);
  EXPECT_FALSE(marquee.MarqueeRunning());
  EXPECT_FALSE(StyleOf(marquee.hwnd()) & (PBS_MARQUEE | PBS_SMOOTH));
}

TEST(BackgroundColor, LabelsTakeTheNearestColourAndEditsOnlyTheirOwn) {
  KitTestForm form;
  Panel& outer = form.Add<Panel>(Rect{0, 0, 300, 100}, Align::Top);
  Panel& inner = outer.Add<Panel>(Rect{10, 10, 200, 80});
  Label& label = inner.Add<Label>(L"text", Rect{5, 5, 100, 14});
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_READONLY, 5, 30, 100, 20, inner.hwnd(),
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(edit, nullptr);

  // No colour anywhere: the system's answer.
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(AskColor(inner.hwnd(), label.hwnd()).background, face);

  ASSERT_TRUE(form.SetBackgroundColor(RGB(255, 255, 255)));
  ColorAnswer a = AskColor(inner.hwnd(), label.hwnd());
  EXPECT_EQ(a.brush, form.background().Brush());
  EXPECT_EQ(a.background, RGB(255, 255, 255));
  EXPECT_EQ(ErasedColor(inner.hwnd()), RGB(255, 255, 255));  // panels without a colour show the form's
  EXPECT_EQ(ErasedColor(form.hwnd()), RGB(255, 255, 255));

  ASSERT_TRUE(outer.SetBackgroundColor(RGB(0, 128, 0)));
  a = AskColor(inner.hwnd(), label.hwnd());
  EXPECT_EQ(a.brush, outer.background().Brush());
  EXPECT_EQ(a.background, RGB(0, 128, 0));
  EXPECT_EQ(ErasedColor(inner.hwnd()), RGB(0, 128, 0));

  ASSERT_TRUE(label.SetBackgroundColor(RGB(200, 0, 0)));
  a = AskColor(inner.hwnd(), label.hwnd());
  EXPECT_EQ(a.brush, label.background().Brush());
  EXPECT_EQ(a.background, RGB(200, 0, 0));

  // A read-only edit asks with WM_CTLCOLORSTATIC too, but keeps its field.
  a = AskColor(inner.hwnd(), edit);
  EXPECT_NE(a.brush, outer.background().Brush());
  EXPECT_NE(a.brush, form.background().Brush());
  EXPECT_NE(a.background, RGB(0, 128, 0));

  label.ClearBackgroundColor();
  outer.ClearBackgroundColor();
  EXPECT_EQ(AskColor(inner.hwnd(), label.hwnd()).brush, form.background().Brush());
  form.ClearBackgroundColor();
  EXPECT_EQ(AskColor(inner.hwnd(), label.hwnd()).background, face);
}

TEST(BackgroundColor, TheBrushIsOwnedAndReplaced) {
  KitTestForm form;
  Label& label = form.Add<Label>(L"text", Rect{5, 5, 100, 14});
  ASSERT_TRUE(label.SetBackgroundColor(RGB(10, 20, 30)));
  HBRUSH first = label.background().Brush();
  ASSERT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_BRUSH));
  ASSERT_TRUE(label.SetBackgroundColor(RGB(40, 50, 60)));
  EXPECT_EQ(GetObjectType(first), 0u);  // the old brush was deleted
  EXPECT_EQ(label.background().Color(), RGB(40, 50, 60));
  HBRUSH second = label.background().Brush();
  form.Destroy();
  EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_BRUSH));  // lives with its C++ owner
}

TEST(FormSize, MinimumSizeHoldsForTheUserAndForMoves) {
  KitTestForm form(400, 300, WS_OVERLAPPEDWINDOW);
  ASSERT_TRUE(form.created);
  form.SetMinimumSize(300, 250);
  EXPECT_EQ(form.MinimumSizePx().cx, Scale(300));
  MINMAXINFO info{};
  SendMessageW(form.hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, Scale(300));
  EXPECT_EQ(info.ptMinTrackSize.y, Scale(250));

  SetWindowPos(form.hwnd(), nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(form.WindowWidthPx(), Scale(300));
  EXPECT_EQ(form.WindowHeightPx(), Scale(250));
  SetWindowPos(form.hwnd(), nullptr, 0, 0, Scale(500), Scale(260), SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(form.WindowWidthPx(), Scale(500));  // larger is fine

  // A minimum above the current size makes the window grow.
  form.SetMinimumSize(600, 400);
  EXPECT_EQ(form.WindowWidthPx(), Scale(600));
  EXPECT_EQ(form.WindowHeightPx(), Scale(400));
  form.SetMinimumSize(0, 0);
  SetWindowPos(form.hwnd(), nullptr, 0, 0, Scale(320), Scale(240), SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(form.WindowWidthPx(), Scale(320));
}

TEST(FormPlacement, CentredInTheWorkAreaOfItsMonitor) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor));
  const RECT work = monitor.rcWork;
  const int workWidth = work.right - work.left, workHeight = work.bottom - work.top;

  KitTestForm form(300, 200, WS_POPUP);
  form.MoveTo(work.left + 3, work.top + 5);
  form.CenterInWorkArea();
  const RECT r = form.WindowRectPx();
  EXPECT_EQ(r.left, work.left + (workWidth - form.WindowWidthPx()) / 2);
  EXPECT_EQ(r.top, work.top + (workHeight - form.WindowHeightPx()) / 2);

  // Larger than the work area: the top-left corner stays inside it.
  SetWindowPos(form.hwnd(), nullptr, 0, 0, workWidth + 300, workHeight + 40, SWP_NOMOVE | SWP_NOZORDER);
  form.CenterInWorkArea();
  EXPECT_EQ(form.WindowRectPx().left, work.left);
  EXPECT_EQ(form.WindowRectPx().top, work.top);
}
