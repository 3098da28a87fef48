#include "support/layout_rects.h"

#include <cstdlib>

namespace vantrel::test {

int Unscale(int pixels) { return ::MulDiv(pixels, 96, ui::SystemDpi()); }

namespace {

ui::Rect Designed(const RECT& r) {
  return ui::Rect{Unscale(r.left), Unscale(r.top), Unscale(r.right - r.left), Unscale(r.bottom - r.top)};
}

}  // namespace

ui::Rect DesignedRect(HWND control) {
  RECT r{};
  if (!control || !::GetWindowRect(control, &r)) return {};
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return Designed(r);
}

ui::Rect DesignedClientRect(HWND window) {
  RECT r{};
  if (!window || !::GetClientRect(window, &r)) return {};
  return Designed(r);
}

ui::Rect DesignedWindowRect(HWND window) {
  RECT r{};
  if (!window || !::GetWindowRect(window, &r)) return {};
  return Designed(r);
}

std::wstring RectText(const ui::Rect& r) {
  return std::to_wstring(r.left) + L", " + std::to_wstring(r.top) + L", " + std::to_wstring(r.width) + L" x " +
         std::to_wstring(r.height);
}

::testing::AssertionResult RectNear(const ui::Rect& actual, const ui::Rect& expected, int tolerance) {
  const bool within = std::abs(actual.left - expected.left) <= tolerance &&
                    std::abs(actual.top - expected.top) <= tolerance &&
                    std::abs(actual.width - expected.width) <= tolerance &&
                    std::abs(actual.height - expected.height) <= tolerance;
  auto narrow = [](const std::wstring& w) { return std::string(w.begin(), w.end()); };
  if (within) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "designed rectangle " << narrow(RectText(actual)) << ", expected "
                                       << narrow(RectText(expected));
}

::testing::AssertionResult HasDesignedRect(HWND control, const ui::Rect& expected, int tolerance) {
  if (!control || !::IsWindow(control)) return ::testing::AssertionFailure() << "no window";
  return RectNear(DesignedRect(control), expected, tolerance);
}

}  // namespace vantrel::test
