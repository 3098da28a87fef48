#include "diskclean/hdd_animation.h"

#include <cmath>

namespace vantrel {
namespace {

constexpr wchar_t kClass[] = L"VantrelHddAnimation";

COLORREF DotColor(int behind) {
  // The lit dot, two fading behind it, the rest at rest.
  switch (behind) {
    case 0: return RGB(30, 96, 200);
    case 1: return RGB(100, 146, 222);
    case 2: return RGB(160, 188, 232);
    default: return RGB(214, 222, 235);
  }
}

}  // namespace

HddAnimation::HddAnimation(ui::Container& parent, const ui::Rect& designed) : Control(parent) {
  ui::detail::RegisterKitClass(kClass, &ui::detail::BoundProc<HddAnimation>, 0, nullptr, nullptr);
  CreateChild(kClass, L"", WS_VISIBLE, 0, designed, this);
}

void HddAnimation::NextFrame() {
  frame_ = (frame_ + 1) % kFrameCount;
  if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

LRESULT HddAnimation::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) return 1;
  if (msg != WM_PAINT) return ::DefWindowProcW(hwnd, msg, wp, lp);
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd, &ps);
  RECT client;
  ::GetClientRect(hwnd, &client);
  ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
  const int size = client.right < client.bottom ? client.right : client.bottom;
  const double centre = size / 2.0, radius = size * 0.36, dot = size / 8.0 + 0.5;
  HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(NULL_PEN));
  for (int i = 0; i < kFrameCount; ++i) {
    const double angle = 2 * 3.14159265358979 * i / kFrameCount - 3.14159265358979 / 2;
    const int x = static_cast<int>(std::lround(centre + radius * std::cos(angle)));
    const int y = static_cast<int>(std::lround(centre + radius * std::sin(angle)));
    HBRUSH brush = ::CreateSolidBrush(DotColor((frame_ - i + kFrameCount) % kFrameCount));
    HGDIOBJ oldBrush = ::SelectObject(dc, brush);
    const int d = static_cast<int>(dot);
    ::Ellipse(dc, x - d, y - d, x + d + 1, y + d + 1);
    ::SelectObject(dc, oldBrush);
    ::DeleteObject(brush);
  }
  ::SelectObject(dc, oldPen);
  ::EndPaint(hwnd, &ps);
  return 0;
}

}  // namespace vantrel
