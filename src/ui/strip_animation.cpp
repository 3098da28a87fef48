#include "ui/strip_animation.h"

namespace vantrel {
namespace {

constexpr int kCells = StripAnimation::kFrameCount;  // one lit cell per frame
constexpr int kCellPitch = 10, kCellWidth = 8, kCellTop = 4, kCellHeight = 9;
constexpr int kTail = 5;  // cells behind the lit one that fade out

COLORREF Blend(COLORREF from, COLORREF to, int step, int steps) {
  auto mix = [&](int a, int b) { return a + (b - a) * step / steps; };
  return RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
             mix(GetBValue(from), GetBValue(to)));
}

void FillBox(HDC dc, int left, int top, int width, int height, COLORREF color) {
  RECT r{left, top, left + width, top + height};
  HBRUSH brush = ::CreateSolidBrush(color);
  ::FillRect(dc, &r, brush);
  ::DeleteObject(brush);
}

// Frame f: cell f lit, the cells just before it fading, the rest at rest.
void DrawFrame(HDC dc, int f) {
  const int x0 = f * StripAnimation::kFrameWidth;
  const COLORREF background = RGB(244, 246, 250), rest = RGB(214, 222, 235), lit = RGB(30, 96, 200);
  FillBox(dc, x0, 0, StripAnimation::kFrameWidth, StripAnimation::kFrameHeight, background);
  for (int cell = 0; cell < kCells; ++cell) {
    const int behind = (f - cell + kCells) % kCells;
    const COLORREF color = behind <= kTail ? Blend(lit, rest, behind, kTail + 1) : rest;
    FillBox(dc, x0 + 4 + cell * kCellPitch, kCellTop, kCellWidth, kCellHeight, color);
  }
}

HBITMAP MakeStrip() {
  HDC screen = ::GetDC(nullptr);
  HBITMAP strip = ::CreateCompatibleBitmap(screen, StripAnimation::kFrameWidth * StripAnimation::kFrameCount,
                                           StripAnimation::kFrameHeight);
  HDC dc = ::CreateCompatibleDC(screen);
  ::ReleaseDC(nullptr, screen);
  if (!strip || !dc) {
    if (dc) ::DeleteDC(dc);
    return strip;
  }
  HGDIOBJ old = ::SelectObject(dc, strip);
  for (int f = 0; f < StripAnimation::kFrameCount; ++f) DrawFrame(dc, f);
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  return strip;
}

}  // namespace

StripAnimation::StripAnimation(ui::Container& parent, const ui::Rect& designed)
    : Control(parent), strip_(MakeStrip()) {
  ui::detail::RegisterKitClass(L"VantrelStripAnimation", &ui::detail::BoundProc<StripAnimation>, 0, nullptr,
                               nullptr);
  CreateChild(L"VantrelStripAnimation", L"", WS_VISIBLE, 0, designed, this);
}

void StripAnimation::NextFrame() {
  frame_ = (frame_ + 1) % kFrameCount;
  if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void StripAnimation::Paint(HDC dc, const RECT& client) const {
  const int width = client.right - client.left, height = client.bottom - client.top;
  HDC source = strip_ ? ::CreateCompatibleDC(dc) : nullptr;
  if (!source) {
    FillBox(dc, 0, 0, width, height, RGB(244, 246, 250));
    return;
  }
  HGDIOBJ old = ::SelectObject(source, strip_.get());
  ::SetStretchBltMode(dc, COLORONCOLOR);
  ::StretchBlt(dc, 0, 0, width, height, source, frame_ * kFrameWidth, 0, kFrameWidth, kFrameHeight, SRCCOPY);
  ::SelectObject(source, old);
  ::DeleteDC(source);
  // A thin frame, since the window itself has no border.
  HBRUSH edge = ::CreateSolidBrush(RGB(120, 136, 160));
  ::FrameRect(dc, &client, edge);
  ::DeleteObject(edge);
}

LRESULT StripAnimation::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the frame covers everything
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd, &ps);
      RECT client;
      ::GetClientRect(hwnd, &client);
      Paint(dc, client);
      ::EndPaint(hwnd, &ps);
      return 0;
    }
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace vantrel
