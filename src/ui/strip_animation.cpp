#include "ui/strip_animation.h"

#include <utility>

#include "platform/gdi_holders.h"

namespace vantrel::ui {
namespace {

constexpr UINT_PTR kTimerId = 1;

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
  platform::WindowDc screen(nullptr);
  if (!screen) return nullptr;
  platform::UniqueGdiObject strip(::CreateCompatibleBitmap(
      screen.get(), StripAnimation::kFrameWidth * StripAnimation::kFrameCount, StripAnimation::kFrameHeight));
  platform::MemoryDc dc(::CreateCompatibleDC(screen.get()));
  if (!strip || !dc) return nullptr;
  {
    platform::SelectedObject selected(dc.get(), strip.get());
    if (!selected.selected()) return nullptr;
    for (int f = 0; f < StripAnimation::kFrameCount; ++f) DrawFrame(dc.get(), f);
  }
  return static_cast<HBITMAP>(strip.release());
}

}  // namespace

StripAnimation::StripAnimation(Container& parent, const Rect& designed) : Control(parent), strip_(MakeStrip()) {
  detail::RegisterKitClass(L"VantrelStripAnimation", &detail::BoundProc<StripAnimation>, 0, nullptr, nullptr);
  CreateChild(L"VantrelStripAnimation", L"", WS_VISIBLE, 0, designed, this);
}

bool StripAnimation::SetStrip(HBITMAP strip, int frames, int frameWidth, int frameHeight) {
  platform::UniqueGdiObject owned(strip);
  BITMAP info{};
  if (!strip || frames < 1 || frameWidth < 1 || frameHeight < 1 || !::GetObjectW(strip, sizeof info, &info) ||
      info.bmWidth / frameWidth < frames || info.bmHeight < frameHeight)
    return false;
  strip_ = std::move(owned);
  frames_ = frames;
  frameWidth_ = frameWidth;
  frameHeight_ = frameHeight;
  frame_ = 0;
  if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE);
  return true;
}

void StripAnimation::NextFrame() {
  frame_ = (frame_ + 1) % frames_;
  if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

bool StripAnimation::Start(UINT intervalMs) {
  if (!hwnd() || !::SetTimer(hwnd(), kTimerId, intervalMs, nullptr)) return false;
  running_ = true;
  frame_ = 0;
  ::InvalidateRect(hwnd(), nullptr, FALSE);
  return true;
}

void StripAnimation::Stop() {
  if (running_ && hwnd()) ::KillTimer(hwnd(), kTimerId);
  running_ = false;
}

void StripAnimation::Paint(HDC dc, const RECT& client) const {
  const int width = client.right - client.left, height = client.bottom - client.top;
  platform::MemoryDc source(strip_ ? ::CreateCompatibleDC(dc) : nullptr);
  platform::SelectedObject selected(source.get(), strip_.get());
  if (!selected.selected()) {
    FillBox(dc, 0, 0, width, height, RGB(244, 246, 250));
    return;
  }
  ::SetStretchBltMode(dc, COLORONCOLOR);
  ::StretchBlt(dc, 0, 0, width, height, source.get(), frame_ * frameWidth_, 0, frameWidth_, frameHeight_, SRCCOPY);
  // A thin frame, since the window itself has no border.
  platform::UniqueGdiObject edge(::CreateSolidBrush(RGB(120, 136, 160)));
  if (edge) ::FrameRect(dc, &client, static_cast<HBRUSH>(edge.get()));
}

LRESULT StripAnimation::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the frame covers everything
    case WM_TIMER:
      if (wp == kTimerId) {
        NextFrame();
        return 0;
      }
      break;
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

}  // namespace vantrel::ui
