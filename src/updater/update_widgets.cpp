#include "updater/update_widgets.h"

#include <algorithm>

#include "ui/scale.h"

namespace vantrel {
namespace {

void Fill(HDC dc, const RECT& r, COLORREF color) {
  HBRUSH brush = ::CreateSolidBrush(color);
  ::FillRect(dc, &r, brush);
  ::DeleteObject(brush);
}

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kLit = RGB(0, 120, 215);
constexpr COLORREF kUnlit = RGB(225, 228, 232);
constexpr COLORREF kEdge = RGB(150, 150, 150);

}  // namespace

FlatBox::FlatBox(ui::Container& parent, const ui::Rect& designed, COLORREF color, const std::wstring& text)
    : Control(parent), color_(color) {
  ui::detail::RegisterKitClass(L"VantrelFlatBox", &ui::detail::BoundProc<FlatBox>, 0, nullptr, nullptr);
  CreateChild(L"VantrelFlatBox", text, WS_VISIBLE | WS_CLIPSIBLINGS, 0, designed, this);
}

LRESULT FlatBox::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTEXT: {
      const LRESULT result = ::DefWindowProcW(hwnd, msg, wp, lp);
      ::InvalidateRect(hwnd, nullptr, FALSE);
      return result;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd, &ps);
      RECT client;
      ::GetClientRect(hwnd, &client);
      Fill(dc, client, color_);
      const std::wstring text = Text();
      if (!text.empty()) {
        HGDIOBJ old = ::SelectObject(dc, ui::DefaultFont());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        ::SelectObject(dc, old);
      }
      ::EndPaint(hwnd, &ps);
      return 0;
    }
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

SegmentBar::SegmentBar(ui::Container& parent, const ui::Rect& designed) : Control(parent) {
  ui::detail::RegisterKitClass(L"VantrelSegmentBar", &ui::detail::BoundProc<SegmentBar>, 0, nullptr, nullptr);
  CreateChild(L"VantrelSegmentBar", L"", WS_VISIBLE | WS_CLIPSIBLINGS, 0, designed, this);
}

void SegmentBar::SetPosition(int percent) {
  percent = std::clamp(percent, 0, 100);
  if (percent == position_) return;
  position_ = percent;
  if (hwnd()) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

LRESULT SegmentBar::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd, &ps);
      RECT client;
      ::GetClientRect(hwnd, &client);
      Fill(dc, client, kWhite);
      const int width = std::min<int>(ui::Scale(kBarWidth), client.right);
      const int height = std::min<int>(ui::Scale(kBarHeight), client.bottom);
      RECT bar{(client.right - width) / 2, (client.bottom - height) / 2, 0, 0};
      bar.right = bar.left + width;
      bar.bottom = bar.top + height;
      HBRUSH edge = ::CreateSolidBrush(kEdge);
      ::FrameRect(dc, &bar, edge);
      ::DeleteObject(edge);
      // Ten segments inside the edge, one pixel apart.
      const int inner = width - 2;
      const int lit = LitSegments();
      for (int i = 0; i < kSegments; ++i) {
        RECT segment{bar.left + 1 + inner * i / kSegments + 1, bar.top + 2, bar.left + 1 + inner * (i + 1) / kSegments - 1,
                     bar.bottom - 2};
        Fill(dc, segment, i < lit ? kLit : kUnlit);
      }
      ::EndPaint(hwnd, &ps);
      return 0;
    }
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace vantrel
